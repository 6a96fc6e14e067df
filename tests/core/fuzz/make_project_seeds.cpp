// Writes project files into a directory, as the project fuzz target's seed
// corpus: a bare project, present and missing libraries, embedded copies
// whose checksums match.
//   make_project_seeds <directory>
#include "channel_list.h"
#include "file_loader.h"
#include "file_saver.h"
#include "fuzz_engine.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
class Seed {
 public:
  explicit Seed(EngineInterface* engine) : engine(engine), saver(engine) { saver.OpenMemory(); }
  Seed& Int(const char* tag, int32_t value) {
    saver.SaveChunk(tag, &value, sizeof value);
    return *this;
  }
  Seed& Text(const char* tag, const std::string& text) {
    saver.SaveChunk(tag, text.c_str(), static_cast<unsigned long>(text.size() + 1));
    return *this;
  }
  Seed& Tag(const char* tag) {
    saver.SaveTag(tag);
    return *this;
  }
  Seed& Library(const GUID& type, int32_t crc) {
    const int32_t version[3] = {1, 25, 1};
    saver.SaveTag("KNDB");
    saver.SaveBlockSize(sizeof type);
    saver.SaveDataToFile(&type, sizeof type);
    saver.SaveBlockSize(sizeof version);
    saver.SaveDataToFile(version, sizeof version);
    saver.SaveBlockSize(sizeof crc);
    saver.SaveDataToFile(&crc, sizeof crc);
    return *this;
  }
  // An embedded copy under the given tags, with its checksum.
  Seed& Copy(const char* nameTag, const char* sizeTag, const char* dataTag, const std::string& name,
             const std::string& bytes) {
    Text(nameTag, name).Int(sizeTag, static_cast<int32_t>(bytes.size()));
    saver.SaveChunk(dataTag, bytes.data(), static_cast<unsigned long>(bytes.size()));
    return *this;
  }
  int32_t Crc(const std::string& bytes) {
    OrnFileLoader loader(engine);
    loader.SetBuffer(const_cast<char*>(bytes.data()), static_cast<int>(bytes.size()), true);
    return loader.GetCRC();
  }
  void Write(const std::filesystem::path& path) {
    saver.CloseMemory();
    WriteFuzzFile(path, saver.GetBuffer(), saver.GetBufferSize());
  }

 private:
  EngineInterface* engine;
  OrnFileSaver saver;
};
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_project_seeds <directory>\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  EngineInterface* engine = StartFuzzEngine();
  ChannelListItem* frameLog = engine->ext->GetChannelList()->GetItem(FuzzFrameLogType());
  OrnFileLoader file(engine);
  int32_t frameLogCrc = frameLog && file.LoadFile(frameLog->fileName.GetString()) ? file.GetCRC() : 0;
  const GUID unknown = GuidLiteral("0F0F0F0F-1234-4567-89AB-0123456789AB");
  const std::string copy = "the bytes of an embedded library";

  Seed(engine).Int("KSPT", 1).Text("KSGR", "main.grp").Int("KVNV", 100005).Write(dir / "bare.klv");
  Seed present(engine);
  present.Int("KSPT", 1).Text("KSGR", "main.grp").Int("KDDC", 2).Tag("KFDB").Library(FuzzFrameLogType(), frameLogCrc);
  present.Int("KDGC", 2).Tag("KDFF").Text("KDDF", "helper.so").Int("KCRC", 1).Write(dir / "present.klv");
  Seed restored(engine);
  restored.Int("KSPT", 1).Int("KDDC", 1).Library(unknown, restored.Crc(copy));
  restored.Copy("KCAN", "KCAS", "KCAF", "seed-copy.so", copy);
  restored.Int("KDGC", 1).Text("KDDF", "seed-helper.so").Int("KCRC", restored.Crc(copy));
  restored.Copy("KDLN", "KDLS", "KDLF", "seed-helper.so", copy).Write(dir / "restored.klv");
  return 0;
}
