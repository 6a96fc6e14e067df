#include "orn_channel.h"

#include "channel_heap.h"
#include "channel_internal.h"
#include "evaluation_depth.h"
#include "engine_interface.h"
#include "file_loader.h"
#include "file_path_find.h"
#include "file_saver.h"
#include "guid_util.h"
#include "orn_channel_cold.h"
#include "orn_channel_group.h"
#include "orn_string.h"
#include "win32/thread.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

namespace {

// The engine whose functors report for a channel.
EngineInterface* EngineOf(const Orn_Channel* channel) {
  return channel && channel->engine ? channel->engine : globalEngine;
}

// A loaded name is at most this long; longer blocks are corrupt data.
constexpr unsigned long kMaxLoadedName = Orn_String::kMaxChars + 1;

// Nesting depth of parameter resolution: a parameter answered by a call that
// itself answers with a parameter of its own group, and so on. A project whose
// groups call themselves with parameters would otherwise recurse without end.
thread_local int parameterDepth = 0;
constexpr int kMaxParameterDepth = 64;

// Reads one fixed-size chunk. kAbsent: the tag is not at the read position
// (nothing moved); kCorrupt: the tag is there but its block is not dstSize
// bytes long or runs past the data.
enum class Chunk { kRead, kAbsent, kCorrupt };
Chunk ReadFixed(OrnFileLoader& loader, const char* tag, void* dst, unsigned long size) {
  if (!loader.GetInfoIfTag(tag)) return Chunk::kAbsent;
  return loader.CopyTagData(dst, size) ? Chunk::kRead : Chunk::kCorrupt;
}

void ReportCorrupt(EngineInterface* engine, const char* tag, const Orn_Channel* channel) {
  if (!engine) return;
  engine->errorFunctor("Orn_Channel::LoadChannel: Corrupt chunk", tag);
  if (channel->GetChannelName()) engine->errorFunctor("Channel : ", channel->GetChannelName());
}

}  // namespace

void* Orn_ChannelCold::operator new(std::size_t size) {
  if (void* block = channel_heap::AllocateCold(size)) return block;
  throw std::bad_alloc();
}

void Orn_ChannelCold::operator delete(void* block, std::size_t size) noexcept { channel_heap::FreeCold(block, size); }

Orn_Channel::Orn_Channel()
    : interfaceType(VEL_NORMAL),
      lastTreeCount(-1),
      channelGroup(nullptr),
      cold(new Orn_ChannelCold),
      channelName(nullptr),
      channelIndexNr(-1),
      ignoreTreeCount(false),
      collectingLinks(false),
      uniqueChannel(false),
      typeCached(false),
      depthReported(false) {
  cold->timeStamp = static_cast<DWORD>(std::rand());
}

uint64_t Orn_Channel::linkChangeCount = 1;

Orn_Channel::~Orn_Channel() {
  NoteLinkChange();
  // The engine drops its event registrations and waiting requests of this channel.
  if (engine && engine->ext) engine->ext->ChannelDestroyed(this);
  for (int i = 0; i < cold->childCreations.GetItemCount(); ++i)
    delete static_cast<ChildCreation*>(cold->childCreations.GetItem(i));
  for (int i = 0; i < childInfos.GetItemCount(); ++i) delete static_cast<ChildInfo*>(childInfos.GetItem(i));
  for (int i = 0; i < cold->linkRequests.GetItemCount(); ++i)
    delete static_cast<LinkRequestMark*>(cold->linkRequests.GetItem(i));
  delete cold->parameterInfo;
  delete cold->publicCallInfo;
  delete cold;
  std::free(channelName);
}

void Orn_Channel::CallChannel() {}
void Orn_Channel::OneTimeInitialize() {}
void Orn_Channel::DoEvent(int, unsigned long) {}

ChannelType Orn_Channel::GetChannelType() {
  if (!typeCached && engine && engine->ext) {
    cold->channelType = engine->ext->GetDLLType(dll);
    typeCached = true;
  }
  return cold->channelType;
}

Orn_Channel* Orn_Channel::GetChannelFromChannel(Orn_Channel*, ChildInfo*) { return nullptr; }
unsigned long Orn_Channel::GetTimeStamp() { return cold->timeStamp; }
void Orn_Channel::SetTimeStamp() { cold->timeStamp += GetTickCount() + 1; }
void Orn_Channel::DoDependencyInit(Orn_List*) {}

// ---------------------------------------------------------------------------
// Children

void Orn_Channel::ReportTooDeep(bool reentered) {
  if (depthReported) return;
  depthReported = true;
  EngineInterface* eng = EngineOf(this);
  if (!eng) return;
  if (reentered)
    eng->errorFunctor("Orn_Channel::GetChild: A public call that calls itself again is left out");
  else
    eng->errorFunctor("Orn_Channel::GetChild: Channel evaluation deeper than the limit; the child is left out, levels : ",
                      evaluation_depth::kMaxDepth);
  if (channelName) eng->errorFunctor("Channel : ", channelName);
}

Orn_Channel* Orn_Channel::ResolveChild(int i, uintptr_t frame) {
  EngineInterface* eng = engine;
  bool track = eng && eng->ext && eng->ext->GetIfTrackChannelCalling();
  ChildInfo* info = static_cast<ChildInfo*>(childInfos.GetItem(i));
  Orn_Channel* linked = info ? info->channel : nullptr;
  if (track) {
    channelInternal.UpdateCallingTime(this);
    if (linked) channelInternal.UpdateCallingTime(linked);
  }
  if (!linked) return nullptr;
  switch (evaluation_depth::Enter(frame, linked->interfaceType == VEL_PUBLICCALL ? linked : nullptr)) {
    case evaluation_depth::Entry::kAllowed:
      break;
    case evaluation_depth::Entry::kTooDeep:
      ReportTooDeep(false);
      return nullptr;
    case evaluation_depth::Entry::kReentered:
      linked->ReportTooDeep(true);
      return nullptr;
  }

  Orn_Channel* result = nullptr;
  switch (linked->interfaceType) {
    case VEL_PUBLICCALL:
      result = channelInternal.GetPublicChannelForPublicCall(linked);
      break;
    case VEL_CUSTOMCHANNELGET:
    case VEL_PUBLICCUSTOMCHANNELGET:
      if (channelInternal.GetChildCreateType(this, info->creationTypeNr))
        result = linked->GetChannelFromChannel(this, info);
      break;
    case VEL_PARAMETER: {
      if (!channelGroup || !linked->cold->parameterInfo) break;
      if (parameterDepth >= kMaxParameterDepth) break;
      ++parameterDepth;
      Orn_Channel* p = channelGroup->GetParameterChannel(linked->cold->parameterInfo->parameterIndex);
      --parameterDepth;
      if (!p) break;
      ChannelType placeholder = linked->GetChannelType();
      ChannelType offered = p->GetChannelType();
      if (offered.baseType == placeholder.type || offered.baseType == placeholder.baseType ||
          GuidIsWildcard(placeholder.type))
        result = p;
      break;
    }
    default:
      result = linked;
      break;
  }
  if (track && result) channelInternal.UpdateCallingTime(result);
  return result;
}

bool Orn_Channel::LinksResolveDirectly() {
  if (TrackingCalls()) return false;
  for (int i = 0; i < childInfos.GetItemCount(); ++i) {
    const ChildInfo* info = static_cast<const ChildInfo*>(childInfos.GetItem(i));
    const Orn_Channel* linked = info ? info->channel : nullptr;
    if (linked && linked->interfaceType != VEL_NORMAL && linked->interfaceType != VEL_PUBLIC) return false;
  }
  return true;
}

Orn_Channel* Orn_Channel::GetChildFromLinkPosition(int slot, int pos) {
  ChildCreation* creation = channelInternal.GetChildCreateType(this, slot);
  if (!creation || !creation->childInfo) return nullptr;
  ChildInfo* head = creation->childInfo;
  int n = head->linkPos;
  if (pos < 0 || pos > n) return nullptr;
  return GetChild(head->listPos - n + pos);
}

int Orn_Channel::GetChildLinkPositionCount(int slot) {
  ChildCreation* creation = channelInternal.GetChildCreateType(this, slot);
  if (!creation || !creation->childInfo) return 0;
  return creation->childInfo->linkPos;
}

Orn_Channel* Orn_Channel::GetChildFromLinkGuid(GUID type, int n) {
  int found = 0;
  for (int i = 0; i < childInfos.GetItemCount(); ++i) {
    ChildInfo* info = static_cast<ChildInfo*>(childInfos.GetItem(i));
    if (!info || !info->channel) continue;
    ChannelType t = info->channel->GetChannelType();
    if (t.type != type && t.baseType != type) continue;
    if (found == n) return GetChild(i);
    ++found;
  }
  return nullptr;
}

int Orn_Channel::GetChildTypeCount(GUID type) {
  int found = 0;
  for (int i = 0; i < childInfos.GetItemCount(); ++i) {
    ChildInfo* info = static_cast<ChildInfo*>(childInfos.GetItem(i));
    if (!info || !info->channel) continue;
    ChannelType t = info->channel->GetChannelType();
    if (t.type == type || t.baseType == type) ++found;
  }
  return found;
}

int Orn_Channel::SetChild(Orn_Channel* child, int targetChannel, int targetChildTypeNr) {
  if (!child || child == this) return -1;
  NoteLinkChange();
  EngineInterface* eng = EngineOf(this);
  if (targetChannel < -1 && eng) eng->infoFunctor("Orn_Channel::SetChild targetChannel<-1 is out of range");

  if (interfaceType == VEL_PUBLICCALL) {
    // Resolves the call or sets up the collecting slot 0. While collecting,
    // each link is kept in slot 0 at the position of the slot it asked for.
    channelInternal.GetChildCreateType(this, 0);
    if (collectingLinks) {
      targetChannel = targetChildTypeNr;
      targetChildTypeNr = 0;
    }
  }

  auto outOfRange = [&]() {
    if (eng) {
      eng->infoFunctor("Orn_Channel::SetChild targetChildTypeNr is out of range");
      eng->infoFunctor(child->GetChannelName() ? child->GetChannelName() : "");
      eng->infoFunctor(targetChannel);
      eng->infoFunctor(targetChildTypeNr);
      eng->infoFunctor(GetChildCount());
      eng->infoFunctor("Relinking");
    }
    return channelInternal.SetChildByType(this, child, -1);
  };

  if (targetChildTypeNr < -1) return outOfRange();
  if (targetChildTypeNr >= channelInternal.GetChildCreationCount(this)) return outOfRange();
  if (targetChildTypeNr == -1) return channelInternal.SetChildByType(this, child, targetChannel);

  ChildCreation* creation = channelInternal.GetChildCreateType(this, targetChildTypeNr);
  if (!creation) {
    if (eng) eng->infoFunctor("Orn_Channel::SetChild childCreation==NULL for this target type");
    return -1;
  }

  ChannelType childType = child->GetChannelType();
  const GUID& accepted = creation->acceptedType.type;
  if (childType.baseType != accepted && childType.type != accepted && !GuidIsWildcard(accepted)) {
    if (eng) {
      eng->infoFunctor("Orn_Channel::SetChild child can't link at this position");
      eng->infoFunctor("channeL :", channelName);
      eng->infoFunctor("channeL link :", child->GetChannelName());
      eng->infoFunctor("targetChildTypeNr :", targetChildTypeNr);
      eng->infoFunctor(accepted);
      eng->infoFunctor(childType.baseType);
      eng->infoFunctor(childType.type);
    }
    return channelInternal.SetChildByType(this, child, -1);
  }

  ChildInfo* head = creation->childInfo;
  if (!head) {
    if (eng) eng->infoFunctor("Orn_Channel::SetChild childCreation->childInfo==NULL group not found?");
    return -1;
  }

  if (!head->multiLink) {
    head->channel = child;
    return targetChildTypeNr;
  }

  int n = head->linkPos;
  if (targetChannel >= 0 && targetChannel < n) {
    int index = head->listPos - n + targetChannel;
    ChildInfo* entry = static_cast<ChildInfo*>(childInfos.GetItem(index));
    if (!entry) {
      if (eng) {
        eng->infoFunctor("Orn_Channel::SetChild invalid targetChannel");
        eng->infoFunctor(child->GetChannelName() ? child->GetChannelName() : "");
        eng->infoFunctor(targetChannel);
        eng->infoFunctor(targetChildTypeNr);
        eng->infoFunctor(GetChildCount());
        eng->infoFunctor(channelName ? channelName : "");
      }
      return -1;
    }
    entry->channel = child;
    return index;
  }

  // Append, first padding the slot with blank links up to the position asked for.
  int index = head->listPos;
  for (int missing = targetChannel > n ? targetChannel - n : 0; missing > 0; --missing) {
    ChildInfo* blank = new ChildInfo;
    blank->creationTypeNr = targetChildTypeNr;
    if (!childInfos.InsertItem(blank, index)) {
      delete blank;
      channelInternal.RecalculateNodeOffsets(this);
      return -1;
    }
    ++index;
  }
  ChildInfo* entry = new ChildInfo;
  entry->channel = child;
  entry->creationTypeNr = targetChildTypeNr;
  if (!childInfos.InsertItem(entry, index)) {
    delete entry;
    channelInternal.RecalculateNodeOffsets(this);
    return -1;
  }
  channelInternal.RecalculateNodeOffsets(this);
  return entry->listPos;
}

void Orn_Channel::RemoveChild(int i) {
  NoteLinkChange();
  ChildInfo* info = static_cast<ChildInfo*>(childInfos.GetItem(i));
  if (info) info->channel = nullptr;
}

void Orn_Channel::RemoveChildren() {
  for (int i = childInfos.GetItemCount() - 1; i >= 0; --i) {
    ChildInfo* info = static_cast<ChildInfo*>(childInfos.GetItem(i));
    if (!info) continue;
    info->channel = nullptr;
    if (!info->isCreationHead) {
      childInfos.RemoveItem(i);
      delete info;
    }
  }
  channelInternal.RecalculateNodeOffsets(this);
}

void Orn_Channel::SetChildCreationCount(int) {
  NoteLinkChange();
  for (int i = 0; i < cold->childCreations.GetItemCount(); ++i)
    delete static_cast<ChildCreation*>(cold->childCreations.GetItem(i));
  cold->childCreations.ReleaseItems();
  for (int i = 0; i < childInfos.GetItemCount(); ++i) delete static_cast<ChildInfo*>(childInfos.GetItem(i));
  childInfos.ReleaseItems();
  cold->pendingCreation.childInfo = nullptr;
  collectingLinks = false;
}

void Orn_Channel::SetChildCreateType(ChildCreation creation, int slot) {
  if (creation.requestLink != -1 && interfaceType != VEL_PUBLICCALL) {
    for (int s = 0; s < cold->childCreations.GetItemCount(); ++s) {
      ChildCreation* declared = static_cast<ChildCreation*>(cold->childCreations.GetItem(s));
      if (declared && declared->requestLink != -1 && declared->requestLink == creation.requestLink) {
        if (EngineInterface* eng = EngineOf(this))
          eng->errorFunctor("Can't add child creation with the same request link!");
        return;
      }
    }
  }
  if (interfaceType == VEL_PUBLICCALL || slot < 0) return;

  ChildCreation* record = new ChildCreation;
  record->acceptedType = creation.acceptedType;
  record->requestLink = creation.requestLink;
  record->createChild = creation.createChild;
  record->createInstead = creation.createInstead;
  creation.childName[sizeof creation.childName - 1] = '\0';
  std::strcpy(record->childName, creation.childName);

  // The new head takes the place of the slot's old head, which is at index
  // `slot` until links are inserted before it.
  ChildCreation* old = static_cast<ChildCreation*>(cold->childCreations.GetItem(slot));
  int at = slot;
  if (old && old->childInfo) {
    for (int i = 0; i < childInfos.GetItemCount(); ++i)
      if (childInfos.GetItem(i) == old->childInfo) {
        at = i;
        break;
      }
  }
  delete old;
  cold->childCreations.SetItem(record, slot);

  ChildInfo* replaced = static_cast<ChildInfo*>(childInfos.GetItem(at));
  if (replaced) {
    // Never leave another slot's record pointing at a deleted head.
    for (int s = 0; s < cold->childCreations.GetItemCount(); ++s) {
      ChildCreation* other = static_cast<ChildCreation*>(cold->childCreations.GetItem(s));
      if (other && other->childInfo == replaced) other->childInfo = nullptr;
    }
    if (cold->pendingCreation.childInfo == replaced) cold->pendingCreation.childInfo = nullptr;
    delete replaced;
  }
  ChildInfo* head = new ChildInfo;
  head->creationTypeNr = slot;
  head->isCreationHead = true;
  head->multiLink = creation.requestLink == -1;
  head->listPos = at;
  childInfos.SetItem(head, at);
  if (childInfos.GetItem(at) != head) {
    // The list could not grow: the slot stays declared without a head.
    delete head;
    head = nullptr;
  }
  record->childInfo = head;
  channelInternal.RecalculateNodeOffsets(this);
}

void Orn_Channel::SetChannelName(const char* name) {
  if (!name) return;
  size_t length = strnlen(name, 500);
  char* copy = static_cast<char*>(std::malloc(length + 1));
  if (!copy) return;
  std::memcpy(copy, name, length);
  copy[length] = '\0';
  std::free(channelName);
  channelName = copy;
}

// ---------------------------------------------------------------------------
// Interface type

void Orn_Channel::SetChannelInterfaceType(int type) {
  EngineInterface* eng = EngineOf(this);
  if (interfaceType == VEL_PUBLICCALL) {
    if (eng) eng->errorFunctor("Orn_Channel::SetChannelInterfaceType interface can't be changed VEL_PUBLICCALL");
    return;
  }
  if (interfaceType == VEL_PARAMETER) {
    if (eng) eng->errorFunctor("Orn_Channel::SetChannelInterfaceType interface can't be changed VEL_PARAMETER");
    return;
  }
  if (interfaceType == VEL_CUSTOMCHANNELGET && type != VEL_PUBLICCUSTOMCHANNELGET) {
    if (eng)
      eng->errorFunctor("Orn_Channel::SetChannelInterfaceType interface can't be changed VEL_CUSTOMCHANNELGET");
    return;
  }
  // A channel that stops being public is forgotten by the calls that found it,
  // whichever type it becomes, so no call keeps it after it is deleted.
  bool wasPublic = interfaceType == VEL_PUBLIC || interfaceType == VEL_PUBLICCUSTOMCHANNELGET;
  bool isPublic = type == VEL_PUBLIC || type == VEL_PUBLICCUSTOMCHANNELGET;
  if (wasPublic && !isPublic && channelGroup && eng && eng->ext)
    eng->ext->CheckPublicChannelRemoval(this, channelGroup->GetPoolNr());

  interfaceType = type;
  NoteLinkChange();
  delete cold->parameterInfo;
  cold->parameterInfo = nullptr;
  delete cold->publicCallInfo;
  cold->publicCallInfo = nullptr;
  cold->publicCallTargets.ReleaseItems();

  if (isPublic) {
    channelInternal.DoPublicChannelNameCheck(this);
  } else if (type == VEL_PUBLICCALL) {
    channelInternal.ReleaseChilderen(this);
    cold->publicCallInfo = new PublicCallInfo;
  } else if (type == VEL_PARAMETER) {
    channelInternal.ReleaseChilderen(this);
    cold->parameterInfo = new ParameterInfo;
  }
}

int Orn_Channel::CurrentTreeCount() {
  if (channelGroup) return channelGroup->GetTreeCalculateCount();
  return engine ? engine->GetTreeCalculateCount() : 0;
}

bool Orn_Channel::CheckRenderCount() {
  if (ignoreTreeCount) return true;
  const int count = CurrentTreeCount();
  if (count == lastTreeCount) return false;
  lastTreeCount = count;
  return true;
}

// ---------------------------------------------------------------------------
// Dependencies

namespace {
ChannelDependency* FindDependency(Orn_List* dependencies, const GUID& type) {
  for (int i = 0; i < dependencies->GetItemCount(); ++i) {
    ChannelDependency* d = static_cast<ChannelDependency*>(dependencies->GetItem(i));
    if (d && d->type == type) return d;
  }
  return nullptr;
}
}  // namespace

void Orn_Channel::AddChannelGuidDepend(GUID type, Orn_List* dependencies) {
  if (!dependencies || FindDependency(dependencies, type)) return;
  EngineInterface* eng = EngineOf(this);
  if (!eng) return;
  Orn_Channel* temp = eng->InitChannelFromType(type, nullptr, false);
  if (!temp) return;
  channelInternal.GetChannelDepenency(temp, dependencies);
  delete temp;
}

void Orn_Channel::AddDLLDepend(const char* file, Orn_List* dependencies) {
  if (!file || !dependencies) return;
  ChannelDependency* own = FindDependency(dependencies, GetChannelType().type);
  if (!own) return;
  Orn_String* name = new Orn_String;
  name->SetString(file);
  if (own->dllNames.AddItem(name) < 0) delete name;
}

// ---------------------------------------------------------------------------
// The channel record

bool Orn_Channel::SaveChannel(OrnFileSaver& saver) {
  if (interfaceType == VEL_PUBLICCALL && cold->publicCallInfo && cold->publicCallInfo->autoLoad) {
    Orn_Channel* target = channelInternal.GetPublicChannelForPublicCall(this);
    Orn_ChannelGroup* targetGroup = target ? target->GetChannelGroup() : nullptr;
    const char* targetFile = targetGroup ? targetGroup->GetChannelGroupFileName() : nullptr;
    if (targetFile && cold->publicCallInfo) {
      FilePathFind find;
      if (channelGroup && channelGroup->GetChannelGroupFileName())
        find.SetSourcePath(channelGroup->GetChannelGroupFileName());
      const char* relative = find.GetValidRelativeDir(targetFile);
      if (relative) {
        std::memset(cold->publicCallInfo->fileName, 0, sizeof cold->publicCallInfo->fileName);
        std::strncpy(cold->publicCallInfo->fileName, relative, sizeof cold->publicCallInfo->fileName - 1);
        // The group file stores relative paths with '\' ("..\shared\lib.grp");
        // an absolute path (another root) is kept as it is.
        if (cold->publicCallInfo->fileName[0] == '.')
          for (char* c = cold->publicCallInfo->fileName; *c; ++c)
            if (*c == '/') *c = '\\';
      }
    }
  }

  uint8_t ignore = ignoreTreeCount ? 1 : 0;
  saver.SaveChunk("CHIC", &ignore, 1);
  if (channelName) saver.SaveChunk("CHNA", channelName, static_cast<unsigned long>(std::strlen(channelName) + 1));
  else saver.SaveChunk("CHNA", " ", 2);
  int32_t type = interfaceType;
  saver.SaveChunk("CHIT", &type, 4);
  if (interfaceType == VEL_PUBLICCALL && cold->publicCallInfo) saver.SaveChunk("CHES", cold->publicCallInfo, sizeof(PublicCallInfo));
  if (interfaceType == VEL_PARAMETER && cold->parameterInfo) {
    int32_t index = cold->parameterInfo->parameterIndex;
    saver.SaveChunk("CEXI", &index, 4);
  }

  int32_t n = childInfos.GetItemCount() - (collectingLinks ? 1 : 0);
  if (n < 0) n = 0;
  saver.SaveChunk("CHLC", &n, 4);
  for (int i = 0; i < n; ++i) {
    ChildInfo* info = static_cast<ChildInfo*>(childInfos.GetItem(i));
    int32_t target = info && info->channel ? info->channel->GetChannelIDIndexNr() : -1;
    saver.SaveChunk("CHLI", &target, 4);
    if (!info) continue;
    int32_t slot = collectingLinks && info->channel ? i : info->creationTypeNr;
    saver.SaveChunk("CHUL", &slot, 4);
    if (info->channel) {
      int32_t pos = collectingLinks ? 0 : info->linkPos;
      saver.SaveChunk("CHRP", &pos, 4);
    }
  }
  return true;
}

bool Orn_Channel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  EngineInterface* eng = EngineOf(this);
  delete cold->publicCallInfo;
  cold->publicCallInfo = nullptr;
  delete cold->parameterInfo;
  cold->parameterInfo = nullptr;
  if (!group) {
    if (eng) eng->errorFunctor("Group is NULL");
    return false;
  }

  uint8_t ignore = 0;
  switch (ReadFixed(loader, "CHIC", &ignore, 1)) {
    case Chunk::kRead: ignoreTreeCount = ignore != 0; break;
    case Chunk::kCorrupt: ReportCorrupt(eng, "CHIC", this); return false;
    case Chunk::kAbsent: break;
  }

  if (!loader.GetInfoIfTag("CHNA")) {
    if (eng) eng->errorFunctor("Couldn't find channel name header");
    return false;
  }
  unsigned long nameSize = loader.GetSizeDataBlock(false);
  if (nameSize > kMaxLoadedName || nameSize > static_cast<unsigned long>(loader.GetBufferSize())) {
    ReportCorrupt(eng, "CHNA", this);
    return false;
  }
  std::vector<char> name(nameSize + 1, '\0');
  if (!loader.CopyTagData(name.data(), nameSize)) {
    ReportCorrupt(eng, "CHNA", this);
    return false;
  }
  if (nameSize > 0) {
    char* copy = static_cast<char*>(std::malloc(std::strlen(name.data()) + 1));
    if (copy) {
      std::strcpy(copy, name.data());
      std::free(channelName);
      channelName = copy;
    }
  }

  int32_t type = interfaceType;
  switch (ReadFixed(loader, "CHIT", &type, 4)) {
    case Chunk::kRead:
      interfaceType = type;
      NoteLinkChange();
      break;
    case Chunk::kCorrupt: ReportCorrupt(eng, "CHIT", this); return false;
    case Chunk::kAbsent: break;
  }

  if (interfaceType == VEL_PUBLICCALL) {
    channelInternal.ReleaseChilderen(this);
    cold->publicCallInfo = new PublicCallInfo;
    PublicCallInfo read;
    switch (ReadFixed(loader, "CHES", &read, sizeof read)) {
      case Chunk::kRead:
        // Texts from a file are not trusted to be terminated.
        read.channelName[sizeof read.channelName - 1] = '\0';
        read.poolName[sizeof read.poolName - 1] = '\0';
        read.fileName[sizeof read.fileName - 1] = '\0';
        if (read.requestedNr > kMaxPoolInstanceNr) {
          if (eng) {
            eng->errorFunctor("Orn_Channel::LoadChannel: Pool instance number out of range", static_cast<int>(read.requestedNr));
            eng->errorFunctor("Channel : ", channelName);
          }
          return false;
        }
        *cold->publicCallInfo = read;
        break;
      case Chunk::kCorrupt: ReportCorrupt(eng, "CHES", this); return false;
      case Chunk::kAbsent: break;
    }
  } else if (interfaceType == VEL_PARAMETER) {
    channelInternal.ReleaseChilderen(this);
    cold->parameterInfo = new ParameterInfo;
    int32_t index = 0;
    switch (ReadFixed(loader, "CEXI", &index, 4)) {
      case Chunk::kRead: cold->parameterInfo->parameterIndex = index; break;
      case Chunk::kCorrupt: ReportCorrupt(eng, "CEXI", this); return false;
      case Chunk::kAbsent: break;
    }
  }

  int32_t n = 0;
  switch (ReadFixed(loader, "CHLC", &n, 4)) {
    case Chunk::kRead: break;
    case Chunk::kAbsent:
      if (eng) eng->errorFunctor("Couldn't find channel linkcount header");
      return false;
    case Chunk::kCorrupt: ReportCorrupt(eng, "CHLC", this); return false;
  }

  for (int32_t i = 0; i < n; ++i) {
    int32_t target = -1;
    switch (ReadFixed(loader, "CHLI", &target, 4)) {
      case Chunk::kRead: break;
      case Chunk::kAbsent:
        if (eng) {
          eng->errorFunctor("Couldn't find channel links header");
          eng->errorFunctor(static_cast<int>(n));
          eng->errorFunctor(channelName ? channelName : "");
        }
        return false;
      case Chunk::kCorrupt: ReportCorrupt(eng, "CHLI", this); return false;
    }
    int32_t slot = -1;
    switch (ReadFixed(loader, "CHUL", &slot, 4)) {
      case Chunk::kRead: break;
      case Chunk::kCorrupt: ReportCorrupt(eng, "CHUL", this); return false;
      case Chunk::kAbsent: break;
    }
    // Without CHRP the position is the entry's index minus its slot.
    int64_t wide = static_cast<int64_t>(i) - slot;
    int32_t pos = wide > INT32_MAX ? INT32_MAX : wide < INT32_MIN ? INT32_MIN : static_cast<int32_t>(wide);
    switch (ReadFixed(loader, "CHRP", &pos, 4)) {
      case Chunk::kRead: break;
      case Chunk::kCorrupt: ReportCorrupt(eng, "CHRP", this); return false;
      case Chunk::kAbsent: break;
    }
    if (target == -1) continue;
    // The link at position p of a slot follows the p links before it in the
    // record, so p is at most i (i + 1 for a record without slot numbers). A
    // public call waiting for its target keeps each link at the position of
    // its slot, which is i. Anything further would pad the slot with blank
    // links without end.
    bool farSlot = interfaceType == VEL_PUBLICCALL && slot > i + 1;
    if (pos > i + 1 || farSlot) {
      if (eng) {
        eng->errorFunctor("Orn_Channel::LoadChannel: Link position out of range", static_cast<int>(farSlot ? slot : pos));
        eng->errorFunctor("Channel : ", channelName);
      }
      return false;
    }
    Orn_Channel* linked = group->GetChannel(target);
    if (linked) {
      SetChild(linked, pos, slot);
    } else {
      ChannelRequestInfo request{target, pos, this, slot};
      group->AddChannelRequest(request);
      LinkRequestMark* mark = new LinkRequestMark{target, pos};
      if (cold->linkRequests.AddItem(mark) < 0) delete mark;
    }
  }
  return true;
}
