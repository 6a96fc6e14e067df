// Makes the bundled demo projects with the engine's own code: channels are
// created through the engine, groups saved with SaveChannelGroup and project
// files written through OrnFileSaver.
//   make_demos <installation> <output directory>
#include "channel_list.h"
#include "engine_interface.h"
#include "file_loader.h"
#include "file_saver.h"
#include "guid_util.h"
#include "orn_channel.h"
#include "orn_channel_group.h"

#include <cstdint>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
const GUID kFrameLogType = GuidLiteral("5D3A8C10-7E2B-4F19-A6C4-1B9E0D27F835");

// One channel library the project needs, with an embedded copy of its file.
void WriteChannelEntry(OrnFileSaver& saver, EngineInterface* engine, const GUID& type) {
  ChannelList* list = engine->ext->GetChannelList();
  ChannelListItem* item = list->GetItem(type);
  ChannelType record = list->GetChannelType(type);
  int32_t crc = 0;
  std::vector<char> bytes;
  if (item && item->fileName.GetString()) {
    OrnFileLoader loader(engine);
    if (loader.LoadFile(item->fileName.GetString())) crc = loader.GetCRC();
    std::ifstream in(item->fileName.GetString(), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  saver.SaveTag("KNDB");
  saver.SaveBlockSize(sizeof type);
  saver.SaveDataToFile(&type, sizeof type);
  saver.SaveBlockSize(sizeof record.version);
  saver.SaveDataToFile(record.version, sizeof record.version);
  saver.SaveBlockSize(sizeof crc);
  saver.SaveDataToFile(&crc, sizeof crc);
  if (!bytes.empty()) {
    std::string name = GuidToString(type) + ".so";
    int32_t size = static_cast<int32_t>(bytes.size());
    saver.SaveChunk("KCAN", name.c_str(), name.size() + 1);
    saver.SaveChunk("KCAS", &size, sizeof size);
    saver.SaveChunk("KCAF", bytes.data(), bytes.size());
  }
}

bool WriteProject(EngineInterface* engine, const fs::path& file, const char* startGroup,
                  const std::vector<GUID>& channelTypes) {
  OrnFileSaver saver(engine);
  if (!saver.OpenSaveFile(file.c_str(), false)) return false;
  int32_t header = 1;
  saver.SaveChunk("KSPT", &header, sizeof header);
  saver.SaveChunk("KSGR", startGroup, std::strlen(startGroup) + 1);
  int32_t version = engine->ext->GetInterfaceID();
  saver.SaveChunk("KVNV", &version, sizeof version);
  int32_t count = static_cast<int32_t>(channelTypes.size());
  saver.SaveChunk("KDDC", &count, sizeof count);
  for (const GUID& type : channelTypes) WriteChannelEntry(saver, engine, type);
  int32_t others = 0;
  saver.SaveChunk("KDGC", &others, sizeof others);
  saver.CloseSaveFile();
  return saver.GetSaveingFileName() != nullptr;
}

Orn_Channel* MakeFrameLog(EngineInterface* engine, Orn_ChannelGroup* group, const char* name) {
  Orn_Channel* channel = engine->InitChannelFromType(kFrameLogType, group, false);
  if (channel) channel->SetChannelName(name);
  return channel;
}

// "hello": a frame-log channel that calls two more every frame.
bool MakeHello(EngineInterface* engine, const fs::path& dir) {
  fs::create_directories(dir);
  Orn_ChannelGroup* group = engine->CreateNewGroup("Hello", false, -1);
  if (!group) return false;
  Orn_Channel* main = MakeFrameLog(engine, group, "Main");
  Orn_Channel* left = MakeFrameLog(engine, group, "Left");
  Orn_Channel* right = MakeFrameLog(engine, group, "Right");
  if (!main || !left || !right) return false;
  main->SetChild(left, -1, 0);
  main->SetChild(right, -1, 0);
  group->SetStartChannel(main->GetChannelIDIndexNr());
  if (!group->SaveChannelGroup((dir / "start.grp").c_str())) return false;
  return WriteProject(engine, dir / "hello.klv", "start.grp", {kFrameLogType});
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_demos <installation> <output directory>\n");
    return 2;
  }
  fs::path install = fs::absolute(argv[1]);
  fs::path output = fs::absolute(argv[2]);
  EngineInterface* engine = new EngineInterface;
  engine->ext->SetInstallDir(install.c_str());
  engine->ext->SetKelvaneRegKey("SOFTWARE\\Ondrel\\Kelvane Demos");
  bool ok = engine->ext->InitEngine(nullptr, "DEMOS") && MakeHello(engine, output / "hello");
  engine->ext->Release();
  delete engine;
  if (!ok) {
    std::fprintf(stderr, "make_demos: could not make the demo projects\n");
    return 1;
  }
  return 0;
}
