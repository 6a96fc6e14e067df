#include "orn_channel_group.h"

#include "channel_internal.h"
#include "engine.h"
#include "engine_interface.h"
#include "file_loader.h"
#include "file_saver.h"
#include "guid_util.h"
#include "load_stop.h"
#include "orn_channel.h"
#include "orn_string.h"
#include "smart_channel.h"
#include "win32/com.h"

#include <cstring>
#include <strings.h>
#include <vector>

namespace {

// The smallest slot record a group file can hold: a CHIX chunk (tag, size, index).
constexpr unsigned long kMinSlotBytes = 12;
// The name written for a hole in the parameter interface.
constexpr char kNoInterface[] = "NoInterface";
// A pool name is at most this long; longer blocks are corrupt data.
constexpr unsigned long kMaxPoolName = Orn_String::kMaxChars + 1;

enum class Chunk { kRead, kAbsent, kCorrupt };
Chunk ReadFixed(OrnFileLoader& loader, const char* tag, void* dst, unsigned long size) {
  if (!loader.GetInfoIfTag(tag)) return Chunk::kAbsent;
  return loader.CopyTagData(dst, size) ? Chunk::kRead : Chunk::kCorrupt;
}

bool IsPublic(Orn_Channel* channel) {
  int type = channel->GetChannelInterfaceType();
  return type == VEL_PUBLIC || type == VEL_PUBLICCUSTOMCHANNELGET;
}

void CopyParameterInfo(ParameterInterfaceInfo& dst, const ParameterInterfaceInfo& src) {
  std::memset(dst.name, 0, sizeof dst.name);
  size_t length = strnlen(src.name, sizeof src.name - 1);
  std::memcpy(dst.name, src.name, length);
  dst.type = src.type;
}

}  // namespace

Orn_ChannelGroup::Orn_ChannelGroup() : Orn_ChannelGroup(globalEngine) {}

Orn_ChannelGroup::Orn_ChannelGroup(EngineInterface* engineInterface)
    : groupFileName(new Orn_String),
      poolName(new Orn_String),
      groupIndex(-1),
      startChannel(0),
      poolNr(-1),
      parameterChannel(new SmartChannel(engineInterface)),
      treeCount(-1),
      uniqueGroupGuid{},
      arrayGroup(false),
      destroying(false),
      engine(engineInterface),
      parentWindow(nullptr) {
  CoCreateGuid(&uniqueGroupGuid);
}

Orn_ChannelGroup::~Orn_ChannelGroup() {
  destroying = true;
  Release();
  delete parameterChannel;
  delete groupFileName;
  delete poolName;
}

void Orn_ChannelGroup::Release() {
  // Every channel goes: the links among them are cleared in one pass, so no
  // destructor sees a link to a channel of this group and removing a channel
  // costs no walk over all the others.
  if (!destroying) {
    for (int c = 0; c < channels.GetItemCount(); ++c) {
      Orn_Channel* channel = GetChannel(c);
      if (!channel) continue;
      for (int i = 0; i < channel->GetChildCount(); ++i) {
        Orn_Channel* linked = channelInternal.GetInternalChild(channel, i);
        if (linked && linked->GetChannelGroup() == this) channel->RemoveChild(i);
      }
    }
  }
  releasingAll = true;
  for (int i = 0; i < channels.GetItemCount(); ++i) RemoveChannel(i);
  releasingAll = false;
  channels.ReleaseItems();
  firstHoleHint = 0;
  SetParameterChannel(nullptr);
  startChannel = 0;
  for (int i = 0; i < channelRequests.GetItemCount(); ++i)
    delete static_cast<ChannelRequestInfo*>(channelRequests.GetItem(i));
  channelRequests.ReleaseItems();
  requestsByTarget.clear();
  for (int i = 0; i < parameterInfos.GetItemCount(); ++i)
    delete static_cast<ParameterInterfaceInfo*>(parameterInfos.GetItem(i));
  parameterInfos.ReleaseItems();
}

// ---------------------------------------------------------------------------
// The group file

bool Orn_ChannelGroup::SaveChannelGroup(const char* path) {
  OrnFileSaver saver(engine);
  if (!path || !saver.OpenSaveFile(path, false)) {
    if (engine) engine->errorFunctor("Couldn't create channel group file: ", path);
    return false;
  }
  // Public calls store their target relative to this file: name it first.
  groupFileName->SetString(path);
  WriteChannelGroup(saver);
  saver.CloseSaveFile();
  return true;
}

void Orn_ChannelGroup::WriteChannelGroup(OrnFileSaver& saver) {
  saver.SaveTag("ORNG");
  int32_t n = channels.GetItemCount();
  saver.SaveChunk("CHCO", &n, 4);
  for (int32_t i = 0; i < n; ++i) {
    Orn_Channel* channel = GetChannel(i);
    int32_t index = channel ? i : -1;
    saver.SaveChunk("CHIX", &index, 4);
    if (!channel) continue;
    GUID type = channel->GetChannelType().type;
    saver.SaveChunk("CHID", &type, sizeof type);
    channel->SaveChannel(saver);
  }
  int32_t start = startChannel;
  saver.SaveChunk("CHSC", &start, 4);
  int32_t m = parameterInfos.GetItemCount();
  saver.SaveChunk("CGIC", &m, 4);
  std::vector<ParameterInterfaceInfo> records(static_cast<size_t>(m));
  for (int32_t k = 0; k < m; ++k) {
    ParameterInterfaceInfo& record = records[static_cast<size_t>(k)];
    std::memset(&record, 0, sizeof record);
    if (auto* info = static_cast<ParameterInterfaceInfo*>(parameterInfos.GetItem(k))) CopyParameterInfo(record, *info);
    else std::strcpy(record.name, kNoInterface);
  }
  saver.SaveChunk("CGII", records.data(), static_cast<unsigned long>(records.size() * sizeof(ParameterInterfaceInfo)));
  const char* pool = poolName->GetString();
  if (!pool) pool = "No Name Instance";
  saver.SaveChunk("CINA", pool, static_cast<unsigned long>(std::strlen(pool) + 1));
  saver.SaveChunk("CGGG", &uniqueGroupGuid, sizeof uniqueGroupGuid);
}

bool Orn_ChannelGroup::LoadChannelGroupFromFile(const char* path, bool takePoolName) {
  if (!path) return false;
  OrnFileLoader loader(engine);
  if (!loader.LoadFile(path)) {
    if (engine) engine->errorFunctor("Couldn't load project file");
    return false;
  }
  groupFileName->SetString(path);
  return LoadChannelGroup(loader, takePoolName);
}

bool Orn_ChannelGroup::LoadChannelGroupFromBuffer(const char* name, int size, char* data, bool takePoolName) {
  if (!name) return false;
  if (size < 0 || (size > 0 && !data)) {
    if (engine) engine->errorFunctor("Orn_ChannelGroup::LoadChannelGroupFromBuffer: Invalid buffer", size);
    return false;
  }
  OrnFileLoader loader(engine);
  loader.SetBuffer(data, size, false);
  groupFileName->SetString(name);
  return LoadChannelGroup(loader, takePoolName);
}

bool Orn_ChannelGroup::LoadChannelGroup(OrnFileLoader& loader, bool takePoolName) {
  Release();
  bool loaded = ReadChannelGroup(loader, takePoolName);
  // Links to slots that never loaded are dropped.
  for (int i = 0; i < channelRequests.GetItemCount(); ++i)
    delete static_cast<ChannelRequestInfo*>(channelRequests.GetItem(i));
  channelRequests.ReleaseItems();
  requestsByTarget.clear();
  return loaded;
}

bool Orn_ChannelGroup::ReadChannelGroup(OrnFileLoader& loader, bool takePoolName) {
  auto error = [this](const char* text) {
    if (engine) engine->errorFunctor(text);
  };
  auto corrupt = [this](const char* tag) {
    if (engine) engine->errorFunctor("Orn_ChannelGroup::LoadChannelGroup: Corrupt chunk", tag);
    if (engine) engine->errorFunctor("Loader file : ", groupFileName->GetString());
  };

  if (loader.CheckHeader("ONDF", false) && engine && engine->ext) engine->ext->TranslateFile(&loader);

  if (!loader.GetInfoIfTag("ORNG")) {
    error("Orn_ChannelGroup::LoadChannelGroup: Unknown format channel group");
    if (engine) engine->errorFunctor(loader.GetBufferSize());
    return false;
  }

  int32_t environment = 0;
  if (ReadFixed(loader, "ENVR", &environment, 4) == Chunk::kCorrupt) {
    corrupt("ENVR");
    return false;
  }

  int32_t n = 0;
  switch (ReadFixed(loader, "CHCO", &n, 4)) {
    case Chunk::kRead: break;
    case Chunk::kAbsent: error("Orn_ChannelGroup::LoadChannelGroup: No itemcount"); return false;
    case Chunk::kCorrupt: corrupt("CHCO"); return false;
  }
  // Every slot takes at least kMinSlotBytes of the bytes left, so a larger
  // count is corrupt (and would otherwise size the slot list without bound).
  unsigned long total = loader.GetBufferSize() > 0 ? static_cast<unsigned long>(loader.GetBufferSize()) : 0;
  if (n < 0 || static_cast<unsigned long>(n) > total / kMinSlotBytes) {
    if (engine) engine->errorFunctor("Orn_ChannelGroup::LoadChannelGroup: Item count out of range", n);
    return false;
  }

  ChannelType record;  // carried from slot to slot
  LoadStop stop;
  for (int32_t i = 0; i < n; ++i) {
    // A group of very many channels loads for a long time: the load is given
    // up when the program is asked to end, and the group is dropped whole as
    // for any other failure.
    if (stop.Wanted()) {
      error("Orn_ChannelGroup::LoadChannelGroup: Loading stopped, the program is asked to end");
      if (engine) engine->errorFunctor("Loader file : ", groupFileName->GetString());
      return false;
    }
    int32_t index = -1;
    switch (ReadFixed(loader, "CHIX", &index, 4)) {
      case Chunk::kRead: break;
      case Chunk::kAbsent:
        error("Orn_ChannelGroup::LoadChannelGroup: Couldn't find channel index header");
        if (engine) {
          engine->errorFunctor(record.type);
          engine->errorFunctor("Loader file : ", groupFileName->GetString());
        }
        return false;
      case Chunk::kCorrupt: corrupt("CHIX"); return false;
    }
    if (index == -1) {
      // A hole (a channel that an earlier slot put here stays).
      if (!GetChannel(i)) {
        channels.SetItem(nullptr, i);
        if (i < firstHoleHint) firstHoleHint = i;
      }
      continue;
    }
    if (index < 0 || index >= n || GetChannel(index)) {
      if (engine) {
        engine->errorFunctor("Orn_ChannelGroup::LoadChannelGroup: Channel index out of range", index);
        engine->errorFunctor("Loader file : ", groupFileName->GetString());
      }
      return false;
    }

    GUID guid;
    switch (ReadFixed(loader, "CHID", &guid, sizeof guid)) {
      case Chunk::kRead: record.type = guid; break;
      case Chunk::kCorrupt: corrupt("CHID"); return false;
      case Chunk::kAbsent: break;
    }
    char name[sizeof record.name];
    switch (ReadFixed(loader, "CHNM", name, sizeof name)) {
      case Chunk::kRead:
        name[sizeof name - 1] = '\0';
        std::memcpy(record.name, name, sizeof name);
        break;
      case Chunk::kCorrupt: corrupt("CHNM"); return false;
      case Chunk::kAbsent: break;
    }
    int32_t version = 0;
    switch (ReadFixed(loader, "CHVE", &version, 4)) {
      case Chunk::kRead: record.version[2] = version; break;
      case Chunk::kCorrupt: corrupt("CHVE"); return false;
      case Chunk::kAbsent: break;
    }
    switch (ReadFixed(loader, "CHBG", &guid, sizeof guid)) {
      case Chunk::kRead: record.baseType = guid; break;
      case Chunk::kCorrupt: corrupt("CHBG"); return false;
      case Chunk::kAbsent: break;
    }

    Orn_Channel* channel = engine ? engine->InitChannelFromType(record, nullptr, false) : nullptr;
    if (!channel) {
      error("Orn_ChannelGroup::LoadChannelGroup: Couldn't find channel DLL!");
      if (engine) engine->errorFunctor(record.type);
      return false;
    }
    channelInternal.SetChannelIDIndexNr(channel, index);
    channels.SetItem(channel, index);
    if (channels.GetItem(index) != channel) {
      delete channel;
      error("Orn_ChannelGroup::LoadChannelGroup: Couldn't extend channel list");
      return false;
    }
    channelInternal.SetChannelGroup(channel, this);
    if (!channel->LoadChannel(loader, this)) {
      error("Orn_ChannelGroup::LoadChannelGroup: Couldn't load channel");
      if (engine) engine->errorFunctor(record.type);
      return false;
    }
    CheckRequestListForIndex(index);
  }
  if (channels.GetItemCount() < n) channels.Allocate(n);

  int32_t start = 0;
  switch (ReadFixed(loader, "CHSC", &start, 4)) {
    case Chunk::kRead: startChannel = start; break;
    case Chunk::kCorrupt: corrupt("CHSC"); return false;
    case Chunk::kAbsent: break;
  }

  int32_t m = 0;
  switch (ReadFixed(loader, "CGIC", &m, 4)) {
    case Chunk::kRead: break;
    case Chunk::kCorrupt: corrupt("CGIC"); return false;
    case Chunk::kAbsent: break;
  }
  if (loader.GetInfoIfTag("CGII")) {
    total = loader.GetBufferSize() > 0 ? static_cast<unsigned long>(loader.GetBufferSize()) : 0;
    if (m < 0 || static_cast<unsigned long>(m) > total / sizeof(ParameterInterfaceInfo)) {
      if (engine) engine->errorFunctor("Orn_ChannelGroup::LoadChannelGroup: Parameter count out of range", m);
      return false;
    }
    // The block holds exactly m records.
    std::vector<ParameterInterfaceInfo> records(static_cast<size_t>(m));
    unsigned long size = static_cast<unsigned long>(records.size() * sizeof(ParameterInterfaceInfo));
    if (loader.GetSizeDataBlock(false) != size || !loader.CopyTagData(records.data(), size)) {
      corrupt("CGII");
      return false;
    }
    for (int32_t k = 0; k < m; ++k) {
      ParameterInterfaceInfo& info = records[static_cast<size_t>(k)];
      // A hole is written as "NoInterface" with a zero type: it stays a hole.
      if (GuidIsZero(info.type) && strncmp(info.name, kNoInterface, sizeof info.name) == 0) continue;
      SetParameterInfo(info, k);
    }
    if (parameterInfos.GetItemCount() < m) parameterInfos.Allocate(m);
  }

  if (loader.GetInfoIfTag("CINA")) {
    unsigned long size = loader.GetSizeDataBlock(false);
    if (size > kMaxPoolName || size > static_cast<unsigned long>(loader.GetBufferSize())) {
      corrupt("CINA");
      return false;
    }
    std::vector<char> text(size + 1, '\0');
    if (!loader.CopyTagData(text.data(), size)) {
      corrupt("CINA");
      return false;
    }
    if (takePoolName) {
      poolName->SetString(text.data());
      poolNr = engine ? engine->GetHighInstance(text.data()) + 1 : 0;
    }
  }

  GUID unique;
  switch (ReadFixed(loader, "CGGG", &unique, sizeof unique)) {
    case Chunk::kRead: uniqueGroupGuid = unique; break;
    case Chunk::kCorrupt: corrupt("CGGG"); return false;
    case Chunk::kAbsent: break;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Requests

void Orn_ChannelGroup::AddChannelRequest(ChannelRequestInfo request) {
  ChannelRequestInfo* copy = new ChannelRequestInfo(request);
  int slot = channelRequests.AddItem(copy);
  if (slot < 0) {
    delete copy;
    return;
  }
  requestsByTarget[copy->targetIndex].push_back(slot);
}

void Orn_ChannelGroup::CheckRequestListForIndex(int index) {
  // The requests for one slot are found through the index and tried in the
  // order they were made. A linked request leaves an empty entry behind so
  // that the list slots of the others stay valid.
  auto found = requestsByTarget.find(index);
  if (found == requestsByTarget.end()) return;
  std::vector<int32_t>& slots = found->second;
  size_t kept = 0;
  for (int32_t slot : slots) {
    ChannelRequestInfo* request = static_cast<ChannelRequestInfo*>(channelRequests.GetItem(slot));
    if (!request) continue;
    if (channelInternal.CheckChannelRequest(request->requester, request->targetIndex, request->linkPos,
                                            GetChannel(index), request->creationTypeNr)) {
      channelRequests.SetItem(nullptr, slot);
      delete request;
      continue;
    }
    slots[kept++] = slot;
  }
  slots.resize(kept);
  if (slots.empty()) requestsByTarget.erase(found);
}

void Orn_ChannelGroup::CheckPublicChannels() {
  if (!engine || !engine->ext) return;
  for (int i = 0; i < channels.GetItemCount(); ++i) {
    Orn_Channel* channel = GetChannel(i);
    if (channel && IsPublic(channel)) engine->ext->CheckChannelRequest(this, poolNr, channel);
  }
}

// ---------------------------------------------------------------------------
// Slots

int Orn_ChannelGroup::GetGroupIndex() { return groupIndex; }
void Orn_ChannelGroup::SetGroupIndex(int index) { groupIndex = index; }

int Orn_ChannelGroup::AddChannel(Orn_Channel* channel) {
  if (!channel) return -1;
  // A channel of this group knows its slot.
  if (channel->GetChannelGroup() == this && GetChannel(channel->GetChannelIDIndexNr()) == channel)
    return channel->GetChannelIDIndexNr();
  int count = channels.GetItemCount();
  int slot = firstHoleHint < 0 ? 0 : firstHoleHint;
  while (slot < count && channels.GetItem(slot)) ++slot;
  if (slot < count) channels.SetItem(channel, slot);
  else slot = channels.AddItem(channel);
  if (slot < 0) return -1;
  firstHoleHint = slot + 1;
  channelInternal.SetChannelIDIndexNr(channel, slot);
  channelInternal.SetChannelGroup(channel, this);
  return slot;
}

bool Orn_ChannelGroup::RemoveChannel(Orn_Channel* channel) {
  if (!channel) return false;
  for (int i = 0; i < channels.GetItemCount(); ++i)
    if (channels.GetItem(i) == channel) return RemoveChannel(i);
  return false;
}

bool Orn_ChannelGroup::RemoveChannel(int index) {
  Orn_Channel* channel = GetChannel(index);
  if (!channel) return false;
  EngineInterfaceExt* ext = engine ? engine->ext : nullptr;
  if (ext) {
    if (IsPublic(channel)) ext->CheckPublicChannelRemoval(channel, poolNr);
    else if (channel->GetChannelInterfaceType() == VEL_PUBLICCALL) ext->CheckPublicCallChannelRemoval(channel);
  }
  if (!destroying && !releasingAll) {
    for (int i = 0; i < channels.GetItemCount(); ++i) {
      Orn_Channel* other = GetChannel(i);
      if (other && other != channel) channelInternal.CheckIndexNrRemoval(other, index);
    }
  }
  // Waiting links of the channel go with it.
  for (int i = 0; i < channelRequests.GetItemCount(); ++i) {
    ChannelRequestInfo* request = static_cast<ChannelRequestInfo*>(channelRequests.GetItem(i));
    if (request && request->requester == channel) {
      channelRequests.SetItem(nullptr, i);
      delete request;
    }
  }
  channels.SetItem(nullptr, index);
  if (index < firstHoleHint) firstHoleHint = index;
  delete channel;
  return true;
}

bool Orn_ChannelGroup::TransferChannel(int index, Orn_ChannelGroup* other) {
  Orn_Channel* channel = GetChannel(index);
  if (!channel || !other || other == this) return false;
  if (other->AddChannel(channel) < 0) return false;
  channels.SetItem(nullptr, index);
  if (index < firstHoleHint) firstHoleHint = index;
  return true;
}

int Orn_ChannelGroup::GetChannelCount() { return channels.GetItemCount(); }

Orn_Channel* Orn_ChannelGroup::GetChannel(const char* name) {
  if (!name) return nullptr;
  for (int i = 0; i < channels.GetItemCount(); ++i) {
    Orn_Channel* channel = GetChannel(i);
    if (channel && channel->GetChannelName() && strcasecmp(channel->GetChannelName(), name) == 0) return channel;
  }
  return nullptr;
}

Orn_Channel* Orn_ChannelGroup::GetChannel(int index) { return static_cast<Orn_Channel*>(channels.GetItem(index)); }

void Orn_ChannelGroup::SetChannel(Orn_Channel* channel, int index) {
  channels.SetItem(channel, index);
  if (!channel && index >= 0 && index < firstHoleHint) firstHoleHint = index;
}

const char* Orn_ChannelGroup::GetChannelGroupFileName() { return groupFileName->GetString(); }

bool Orn_ChannelGroup::GetIfChannelInGroup(Orn_Channel* channel) {
  if (!channel) return false;
  for (int i = 0; i < channels.GetItemCount(); ++i)
    if (channels.GetItem(i) == channel) return true;
  return false;
}

// ---------------------------------------------------------------------------
// Public channels

Orn_Channel* Orn_ChannelGroup::GetPublicChannel(PublicCallInfo* info) {
  if (!info || info->requestedNr != poolNr) return nullptr;
  // The record's texts need not be terminated.
  char wantedPool[sizeof info->poolName + 1] = {};
  char wantedName[sizeof info->channelName + 1] = {};
  std::memcpy(wantedPool, info->poolName, sizeof info->poolName);
  std::memcpy(wantedName, info->channelName, sizeof info->channelName);
  const char* pool = poolName->GetString();
  if (!pool || strcasecmp(pool, wantedPool) != 0) return nullptr;
  for (int i = 0; i < channels.GetItemCount(); ++i) {
    Orn_Channel* channel = GetChannel(i);
    if (channel && IsPublic(channel) && channel->GetChannelName() &&
        strcasecmp(channel->GetChannelName(), wantedName) == 0)
      return channel;
  }
  return nullptr;
}

void Orn_ChannelGroup::CheckPublicChannelRemoval(Orn_Channel* channel, int instanceNr) {
  for (int i = 0; i < channels.GetItemCount(); ++i)
    if (Orn_Channel* caller = GetChannel(i)) channelInternal.CheckPublicChannelInstanceRemoval(caller, channel, instanceNr);
}

bool Orn_ChannelGroup::CheckDuplicatePublicChannelName(Orn_Channel* channel) {
  if (!channel || !channel->GetChannelName()) return false;
  for (int i = 0; i < channels.GetItemCount(); ++i) {
    Orn_Channel* other = GetChannel(i);
    if (other && other != channel && IsPublic(other) && other->GetChannelName() &&
        strcasecmp(other->GetChannelName(), channel->GetChannelName()) == 0)
      return true;
  }
  return false;
}

void Orn_ChannelGroup::CheckInterfaceChange(const char* pool) {
  if (!pool) return;
  for (int i = 0; i < channels.GetItemCount(); ++i) {
    Orn_Channel* channel = GetChannel(i);
    if (!channel || channel->GetChannelInterfaceType() != VEL_PUBLICCALL) continue;
    PublicCallInfo info = channelInternal.GetPublicCallInfo(channel);
    if (strcasecmp(info.poolName, pool) != 0) continue;
    channel->SetChildCreationCount(0);
    channel->RemoveChildren();
  }
}

// ---------------------------------------------------------------------------
// Frames

void Orn_ChannelGroup::CallStartChannel() {
  IncreaseTreeCount();
  Orn_Channel* start = GetChannel(startChannel == -1 ? 0 : startChannel);
  if (start) start->CallChannel();
}

void Orn_ChannelGroup::SetStartChannel(int index) { startChannel = index; }
int Orn_ChannelGroup::GetStartChannel() { return startChannel; }

int Orn_ChannelGroup::GetTreeCalculateCount() {
  if (!parameterChannel->IsEmpty() && parameterChannel->GetInternalChannel()) return treeCount;
  // The engine's count, read where it lives (the interface's call does the same).
  return engine && engine->engineObject ? engine->engineObject->GetTreeCalculateCount() : 0;
}

void Orn_ChannelGroup::IncreaseTreeCount() { treeCount = treeCount > 29999 ? 0 : treeCount + 1; }

// ---------------------------------------------------------------------------
// Pool and parameters

int Orn_ChannelGroup::GetPoolNr() { return poolNr; }
void Orn_ChannelGroup::SetPoolNr(int nr) { poolNr = nr; }
const char* Orn_ChannelGroup::GetPoolName() { return poolName->GetString(); }
void Orn_ChannelGroup::SetPoolName(const char* name) { poolName->SetString(name); }

Orn_Channel* Orn_ChannelGroup::GetParameterChannel(int i) {
  Orn_Channel* caller = parameterChannel->GetInternalChannel();
  return caller ? caller->GetChild(i) : nullptr;
}

void Orn_ChannelGroup::SetParameterChannel(Orn_Channel* channel) { parameterChannel->SetChannel(channel); }

int Orn_ChannelGroup::GetParameterCount() { return parameterInfos.GetItemCount(); }

ParameterInterfaceInfo Orn_ChannelGroup::GetParameterInfo(int i) {
  ParameterInterfaceInfo copy;
  std::memset(&copy, 0, sizeof copy);
  if (auto* info = static_cast<ParameterInterfaceInfo*>(parameterInfos.GetItem(i))) CopyParameterInfo(copy, *info);
  return copy;
}

void Orn_ChannelGroup::SetParameterInfo(ParameterInterfaceInfo info, int index) {
  if (index < 0) return;
  auto* record = static_cast<ParameterInterfaceInfo*>(parameterInfos.GetItem(index));
  if (!record) {
    record = new ParameterInterfaceInfo;
    parameterInfos.SetItem(record, index);
    if (parameterInfos.GetItem(index) != record) {
      delete record;
      return;
    }
  }
  CopyParameterInfo(*record, info);
}

int Orn_ChannelGroup::AddParameterInfo(ParameterInterfaceInfo info) {
  for (int i = 0; i < parameterInfos.GetItemCount(); ++i) {
    if (!parameterInfos.GetItem(i)) {
      SetParameterInfo(info, i);
      return i;
    }
  }
  int slot = parameterInfos.GetItemCount();
  SetParameterInfo(info, slot);
  return parameterInfos.GetItem(slot) ? slot : -1;
}

void Orn_ChannelGroup::RemoveParameterInfo(int index) {
  auto* record = static_cast<ParameterInterfaceInfo*>(parameterInfos.GetItem(index));
  if (!record) return;
  delete record;
  if (index == parameterInfos.GetItemCount() - 1) parameterInfos.RemoveItem(index);
  else parameterInfos.SetItem(nullptr, index);
  if (engine && engine->ext) engine->ext->CheckInterfaceChange(poolName->GetString());
}

// ---------------------------------------------------------------------------
// Identity and window

GUID Orn_ChannelGroup::GetUniqueGroupGuid() { return uniqueGroupGuid; }
void Orn_ChannelGroup::SetChannelGroupFileName(const char* name) { groupFileName->SetString(name); }
bool Orn_ChannelGroup::GetIfArrayGroup() { return arrayGroup; }
void Orn_ChannelGroup::SetIfArrayGroup(bool array) { arrayGroup = array; }

HWND Orn_ChannelGroup::GetParentWindow() {
  if (parentWindow) return parentWindow;
  return engine ? engine->GetWindowHandle() : nullptr;
}

void Orn_ChannelGroup::SetParentWindow(HWND window) { parentWindow = window; }
