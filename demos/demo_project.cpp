#include "demo_project.h"

#include "channel_list.h"
#include "file_loader.h"
#include "file_saver.h"
#include "guid_util.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace demos {

namespace {

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

}  // namespace

bool WriteProject(EngineInterface* engine, const std::filesystem::path& file, const char* startGroup,
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

Orn_Channel* MakeChannel(EngineInterface* engine, Orn_ChannelGroup* group, const GUID& type, const char* name,
                         bool withChildren) {
  Orn_Channel* channel = engine->InitChannelFromType(type, group, withChildren);
  if (channel && name) channel->SetChannelName(name);
  return channel;
}

bool Link(Orn_Channel* parent, Orn_Channel* child, int slot) {
  return parent && child && parent->SetChild(child, -1, slot) >= 0;
}

}  // namespace demos
