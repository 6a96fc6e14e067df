#include "channel_internal.h"

#include "orn_channel_cold.h"

#include "engine_interface.h"
#include "file_path_find.h"
#include "guid_util.h"
#include "orn_channel.h"
#include "orn_channel_cold.h"
#include "orn_channel_group.h"
#include "smart_channel.h"
#include "win32/thread.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

ChannelInternal channelInternal;

namespace {

EngineInterface* EngineOf(const Orn_Channel* channel) {
  return channel && channel->engine ? channel->engine : globalEngine;
}

EngineInterfaceExt* ExtOf(const Orn_Channel* channel) {
  EngineInterface* engine = EngineOf(channel);
  return engine ? engine->ext : nullptr;
}

// The mark stored in publicCallPending while the engine holds a request.
char pendingMark;

bool AcceptsType(const ChildCreation* creation, const ChannelType& type) {
  const GUID& accepted = creation->acceptedType.type;
  return accepted == type.type || accepted == type.baseType || GuidIsWildcard(accepted);
}

// Same first character and the whole texts equal ignoring case.
bool SameName(const char* a, const char* b) {
  if (!a || !b || a[0] != b[0]) return false;
  return strcasecmp(a, b) == 0;
}

}  // namespace

ChannelInternal::~ChannelInternal() = default;

// ---------------------------------------------------------------------------
// The child list

ChildInfo* ChannelInternal::GetChildInfo(Orn_Channel* channel, int i) {
  if (!channel) return nullptr;
  return static_cast<ChildInfo*>(channel->childInfos.GetItem(i));
}

Orn_Channel* ChannelInternal::GetInternalChild(Orn_Channel* channel, int i) {
  ChildInfo* info = GetChildInfo(channel, i);
  return info ? info->channel : nullptr;
}

void ChannelInternal::RecalculateNodeOffsets(Orn_Channel* channel) {
  Orn_Channel::NoteLinkChange();
  if (!channel) return;
  int counter = 0;
  for (int i = 0; i < channel->childInfos.GetItemCount(); ++i) {
    ChildInfo* info = static_cast<ChildInfo*>(channel->childInfos.GetItem(i));
    if (!info) {
      // An undeclared slot number: the links of the next slot start afresh.
      counter = 0;
      continue;
    }
    info->listPos = i;
    if (info->isCreationHead && !info->multiLink) {
      info->linkPos = 0;
      counter = 0;
    } else if (info->isCreationHead) {
      info->linkPos = counter;
      counter = 0;
    } else {
      info->linkPos = counter++;
    }
  }
}

int ChannelInternal::SetChildByType(Orn_Channel* parent, Orn_Channel* child, int linkPos) {
  if (!parent || !child) return -1;
  int slots = GetChildCreationCount(parent);
  if (slots <= 0) return -1;
  ChannelType type = child->GetChannelType();
  for (int s = 0; s < slots; ++s) {
    ChildCreation* creation = GetChildCreateType(parent, s);
    if (!creation || !AcceptsType(creation, type)) continue;
    ChildInfo* head = creation->childInfo;
    if (!head) continue;
    if (head->multiLink) {
      int position = linkPos;
      if (linkPos == -1) {
        int n = head->linkPos;
        for (int p = 0; p < n; ++p) {
          ChildInfo* link = GetChildInfo(parent, head->listPos - n + p);
          if (link && !link->channel) {
            position = p;
            break;
          }
        }
      }
      return parent->SetChild(child, position, s);
    }
    if (!head->channel) return parent->SetChild(child, 0, s);
  }
  return -1;
}

void ChannelInternal::RemoveChildPosition(Orn_Channel* channel, int i) {
  if (!channel) return;
  ChildInfo* info = GetChildInfo(channel, i);
  if (info) {
    info->channel = nullptr;
    if (!info->isCreationHead) {
      channel->childInfos.RemoveItem(i);
      delete info;
    }
  }
  RecalculateNodeOffsets(channel);
}

void ChannelInternal::RemoveChild(Orn_Channel* parent, Orn_Channel* child) {
  if (!parent) return;
  for (int i = 0; i < parent->GetChildCount(); ++i) {
    Orn_Channel* linked = GetInternalChild(parent, i);
    if (!linked) continue;
    if (linked == child) {
      parent->RemoveChild(i);
      continue;
    }
    SmartChannel handle(EngineOf(parent));
    handle.SetChannel(linked);
    if (handle.GetChannel() == child) parent->RemoveChild(i);
  }
}

void ChannelInternal::SortChilderen(Orn_Channel* channel) {
  if (!channel) return;
  bool removed = true;
  while (removed) {
    removed = false;
    for (int i = 0; i < channel->childInfos.GetItemCount(); ++i) {
      ChildInfo* info = GetChildInfo(channel, i);
      if (info && !info->channel && !info->isCreationHead && !info->multiLink) {
        RemoveChildPosition(channel, i);
        removed = true;
        break;
      }
    }
  }
}

void ChannelInternal::ReleaseChilderen(Orn_Channel* channel) {
  Orn_Channel::NoteLinkChange();
  if (!channel) return;
  for (int i = 0; i < channel->childInfos.GetItemCount(); ++i)
    delete static_cast<ChildInfo*>(channel->childInfos.GetItem(i));
  channel->childInfos.ReleaseItems();
  channel->cold->pendingCreation.childInfo = nullptr;
  channel->SetChildCreationCount(0);
}

// ---------------------------------------------------------------------------
// Slots

int ChannelInternal::GetChildCreationCount(Orn_Channel* channel) {
  if (!channel) return 0;
  if (channel->interfaceType != VEL_PUBLICCALL) return channel->cold->childCreations.GetItemCount();
  Orn_Channel* target = GetPublicChannelForPublicCall(channel);
  if (!target) return 1;
  Orn_ChannelGroup* group = target->GetChannelGroup();
  return group ? group->GetParameterCount() : 0;
}

ChildCreation* ChannelInternal::GetChildCreateType(Orn_Channel* channel, int slot) {
  if (!channel) return nullptr;
  if (channel->interfaceType != VEL_PUBLICCALL)
    return static_cast<ChildCreation*>(channel->cold->childCreations.GetItem(slot));

  Orn_Channel* target = GetPublicChannelForPublicCall(channel);
  if (!target) {
    // Unresolved: one wildcard multi-link slot collects every link at the
    // position of the slot it asked for.
    if (!channel->childInfos.GetItem(0)) {
      ChildInfo* head = new ChildInfo;
      head->creationTypeNr = 0;
      head->isCreationHead = true;
      head->multiLink = true;
      channel->childInfos.SetItem(head, 0);
      if (channel->childInfos.GetItem(0) != head) {
        delete head;
        return nullptr;
      }
      channel->collectingLinks = true;
      channel->cold->pendingCreation.childInfo = head;
    }
    return &channel->cold->pendingCreation;
  }

  if (channel->collectingLinks) {
    // Resolved: move the collected links to the real slots.
    channel->collectingLinks = false;
    int count = channel->childInfos.GetItemCount() - 1;
    std::vector<Orn_Channel*> links;
    std::vector<int32_t> userData;
    for (int i = 0; i < count; ++i) {
      ChildInfo* info = GetChildInfo(channel, i);
      links.push_back(info ? info->channel : nullptr);
      userData.push_back(info ? info->userData : 0);
    }
    ReleaseChilderen(channel);
    for (int i = 0; i < count; ++i) {
      int index = channel->SetChild(links[static_cast<size_t>(i)], i, i);
      if (ChildInfo* info = GetChildInfo(channel, index)) info->userData = userData[static_cast<size_t>(i)];
    }
  }

  if (ChildCreation* declared = static_cast<ChildCreation*>(channel->cold->childCreations.GetItem(slot))) return declared;
  if (slot < 0) return nullptr;
  Orn_ChannelGroup* targetGroup = target->GetChannelGroup();
  if (!targetGroup) return nullptr;
  ParameterInterfaceInfo info = targetGroup->GetParameterInfo(slot);
  if (GuidIsZero(info.type)) return nullptr;

  ChildCreation* creation = new ChildCreation;
  creation->acceptedType.type = info.type;
  creation->acceptedType.baseType = info.type;
  info.name[sizeof info.name - 1] = '\0';
  creation->acceptedType.SetName(info.name);
  creation->SetLabel(info.name);
  creation->createChild = false;
  creation->requestLink = slot;

  ChildInfo* head = GetChildInfo(channel, slot);
  if (!head || !head->isCreationHead || head->creationTypeNr != slot) {
    if (head) {
      for (int s = 0; s < channel->cold->childCreations.GetItemCount(); ++s) {
        ChildCreation* other = static_cast<ChildCreation*>(channel->cold->childCreations.GetItem(s));
        if (other && other->childInfo == head) other->childInfo = nullptr;
      }
      delete head;
    }
    head = new ChildInfo;
    head->creationTypeNr = slot;
    head->isCreationHead = true;
    head->listPos = slot;
    channel->childInfos.SetItem(head, slot);
    if (channel->childInfos.GetItem(slot) != head) {
      delete head;
      delete creation;
      return nullptr;
    }
  }
  creation->childInfo = head;
  channel->cold->childCreations.SetItem(creation, slot);
  if (channel->cold->childCreations.GetItem(slot) != creation) {
    delete creation;
    return nullptr;
  }
  RecalculateNodeOffsets(channel);
  return creation;
}

int ChannelInternal::GetChildLinkPosition(Orn_Channel* channel, int i) {
  ChildInfo* info = GetChildInfo(channel, i);
  return info ? info->creationTypeNr : -1;
}

// ---------------------------------------------------------------------------
// Simple fields

void ChannelInternal::SetIfUniqueChannel(Orn_Channel* channel, bool unique) {
  if (channel) channel->uniqueChannel = unique;
}

bool ChannelInternal::GetIfUniqueChannel(Orn_Channel* channel) { return channel && channel->uniqueChannel; }

void ChannelInternal::SetChannelIDIndexNr(Orn_Channel* channel, int index) {
  if (channel) channel->channelIndexNr = index;
}

void ChannelInternal::SetChannelGroup(Orn_Channel* channel, Orn_ChannelGroup* group) {
  if (channel) channel->channelGroup = group;
}

ParameterInfo* ChannelInternal::GetParameterInfo(Orn_Channel* channel) {
  if (!channel || channel->interfaceType != VEL_PARAMETER) return nullptr;
  return channel->cold->parameterInfo;
}

void ChannelInternal::SetParameterInfo(Orn_Channel* channel, int index) {
  ParameterInfo info;
  info.parameterIndex = index;
  SetParameterInfo(channel, info);
}

void ChannelInternal::SetParameterInfo(Orn_Channel* channel, ParameterInfo info) {
  if (channel && channel->cold->parameterInfo) channel->cold->parameterInfo->parameterIndex = info.parameterIndex;
}

int ChannelInternal::GetChannelGetChildTime(Orn_Channel* channel) {
  return channel ? static_cast<int>(channel->cold->lastCallingTick) : 0;
}

void ChannelInternal::UpdateCallingTime(Orn_Channel* channel) {
  if (!channel || !channel->channelGroup || channel->channelGroup->GetGroupIndex() == -1) return;
  channel->cold->lastCallingTick = GetTickCount();
}

bool ChannelInternal::GetIgnoreTreeCount(Orn_Channel* channel) { return channel && channel->ignoreTreeCount; }

void ChannelInternal::SetIgnoreTreeCount(Orn_Channel* channel, bool ignore) {
  if (channel) channel->ignoreTreeCount = ignore;
}

// ---------------------------------------------------------------------------
// Requests and removal

bool ChannelInternal::CheckChannelRequest(Orn_Channel* requester, int targetIndex, int linkPos, Orn_Channel* target,
                                          int creationTypeNr) {
  if (!requester) return false;
  Orn_List& marks = requester->cold->linkRequests;
  for (int i = 0; i < marks.GetItemCount(); ++i) {
    LinkRequestMark* mark = static_cast<LinkRequestMark*>(marks.GetItem(i));
    if (!mark || mark->targetIndex != targetIndex || mark->linkPos != linkPos) continue;
    requester->SetChild(target, creationTypeNr == -1 ? -1 : linkPos, creationTypeNr);
    marks.RemoveItem(i);
    delete mark;
    return true;
  }
  return false;
}

bool ChannelInternal::GetIfExternalChild(Orn_Channel* channel, int i) {
  Orn_Channel* linked = GetInternalChild(channel, i);
  if (!linked) return false;
  int type = linked->interfaceType;
  return type >= VEL_PUBLICCALL && type <= VEL_PUBLICCUSTOMCHANNELGET;
}

void ChannelInternal::CheckIndexNrRemoval(Orn_Channel* channel, int index) {
  if (!channel) return;
  for (int i = 0; i < channel->GetChildCount(); ++i) {
    Orn_Channel* linked = GetInternalChild(channel, i);
    if (!linked) continue;
    Orn_Channel* answer = GetIfExternalChild(channel, i) ? linked : channel->GetChild(i);
    // Only a channel of this group has its slot index in this group.
    if (answer && answer->channelIndexNr == index &&
        (!answer->channelGroup || !channel->channelGroup || answer->channelGroup == channel->channelGroup))
      channel->RemoveChild(i);
  }
}

// ---------------------------------------------------------------------------
// Public calls

bool ChannelInternal::SetPublicCallInfo(Orn_Channel* channel, PublicCallInfo info) {
  if (!channel || !channel->cold->publicCallInfo) return false;
  info.channelName[sizeof info.channelName - 1] = '\0';
  info.poolName[sizeof info.poolName - 1] = '\0';
  info.fileName[sizeof info.fileName - 1] = '\0';
  *channel->cold->publicCallInfo = info;
  if (EngineInterfaceExt* ext = ExtOf(channel)) ext->CheckPublicCallChannelRemoval(channel);
  channel->cold->publicCallTargets.ReleaseItems();
  channel->cold->publicCallPending.ReleaseItems();
  return true;
}

PublicCallInfo ChannelInternal::GetPublicCallInfo(Orn_Channel* channel) {
  if (channel && channel->cold->publicCallInfo) return *channel->cold->publicCallInfo;
  return PublicCallInfo();
}

void ChannelInternal::SetAutoLoadGroup(Orn_Channel* channel, bool autoLoad) {
  if (channel && channel->cold->publicCallInfo) channel->cold->publicCallInfo->autoLoad = autoLoad ? 1 : 0;
}

bool ChannelInternal::GetAutoLoadGroup(Orn_Channel* channel) {
  return channel && channel->cold->publicCallInfo && channel->cold->publicCallInfo->autoLoad;
}

void ChannelInternal::CheckPublicChannelInstanceRemoval(Orn_Channel* caller, Orn_Channel* channel, int instanceNr) {
  if (!caller || caller->interfaceType != VEL_PUBLICCALL || !caller->cold->publicCallInfo) return;
  if (caller->cold->publicCallTargets.GetItem(instanceNr) == channel) caller->cold->publicCallTargets.SetItem(nullptr, instanceNr);
}

bool ChannelInternal::CheckPublicChannelRequest(Orn_Channel* caller, Orn_Channel* publicChannel, int instanceNr,
                                                const char* poolName) {
  if (!caller || !publicChannel || !poolName || !caller->cold->publicCallInfo) return false;
  if (caller->cold->publicCallTargets.GetItem(instanceNr)) return false;
  if (!caller->cold->publicCallPending.GetItem(instanceNr)) return false;
  const PublicCallInfo* r = caller->cold->publicCallInfo;
  if (!SameName(poolName, r->poolName)) return false;
  if (!SameName(publicChannel->GetChannelName(), r->channelName)) return false;
  if (publicChannel->GetChannelType().baseType != caller->GetChannelType().baseType) return false;
  caller->cold->publicCallTargets.SetItem(publicChannel, instanceNr);
  caller->cold->publicCallPending.SetItem(nullptr, instanceNr);
  return true;
}

void ChannelInternal::SetRequestedPublicChannelNr(Orn_Channel* channel, int nr) {
  if (channel && channel->interfaceType == VEL_PUBLICCALL && channel->cold->publicCallInfo)
    channel->cold->publicCallInfo->requestedNr = nr;
}

Orn_Channel* ChannelInternal::GetPublicChannelForPublicCall(Orn_Channel* caller) {
  if (!caller || !caller->cold->publicCallInfo) return nullptr;
  PublicCallInfo* r = caller->cold->publicCallInfo;
  const int k = r->requestedNr;
  // Instance numbers index the lists below; one beyond any loaded pool finds nothing.
  if (k > kMaxPoolInstanceNr) return nullptr;
  EngineInterface* engine = EngineOf(caller);
  EngineInterfaceExt* ext = engine ? engine->ext : nullptr;

  Orn_Channel* target = static_cast<Orn_Channel*>(caller->cold->publicCallTargets.GetItem(k));
  if (!target) {
    if (caller->cold->publicCallPending.GetItem(k)) return nullptr;
    target = ext ? ext->GetPublicChannel(r) : nullptr;
    if (target) {
      if (target->GetChannelType().baseType != caller->GetChannelType().baseType) return nullptr;
      caller->cold->publicCallTargets.SetItem(target, k);
    } else {
      // Instance numbers index the pending marks; a negative one is never registered.
      if (!r->autoLoad && k >= 0 && ext && ext->AddChannelRequest(k, caller))
        caller->cold->publicCallPending.SetItem(&pendingMark, k);
      if (!r->autoLoad || k != 0) return nullptr;

      // Load the target group on demand.
      if (caller->cold->publicCallPending.GetItem(0) || strnlen(r->fileName, 2) <= 1) return nullptr;
      FilePathFind find;
      Orn_ChannelGroup* ownGroup = caller->GetChannelGroup();
      if (ownGroup) {
        const char* ownFile = ownGroup->GetChannelGroupFileName();
        if (!ownFile) return nullptr;
        find.SetSourcePath(ownFile);
      }
      if (!engine) return nullptr;
      if (engine->GetPoolGroup(r->poolName, 0)) {
        std::string callerText = std::string(caller->GetChannelName() ? caller->GetChannelName() : "") +
                                 " : is a public channel looking for a non existing channel";
        engine->errorFunctor("Orn_Channel::GetPublicChannelForPublicCall error looking for channel");
        engine->errorFunctor(callerText.c_str());
        if (ownGroup && ownGroup->GetPoolName()) engine->errorFunctor("Original Poolname : ", ownGroup->GetPoolName());
        if (ownGroup && ownGroup->GetChannelGroupFileName())
          engine->errorFunctor("Original Filename : ", ownGroup->GetChannelGroupFileName());
        engine->errorFunctor("Target Filename : ", r->fileName);
        engine->errorFunctor("Non existing channel : ", r->channelName);
        engine->errorFunctor("Target Poolname : ", r->poolName);
        engine->errorFunctor("Target Filename : ", r->fileName);
        engine->errorFunctor("Autoload turned off");
        r->autoLoad = 0;
        return nullptr;
      }
      const char* path = find.GetCompleteFilePath(r->fileName);
      std::string completed = path ? path : "";
      if (engine->LoadChannelGroup(completed.c_str(), r->poolName)) {
        target = ext ? ext->GetPublicChannel(r) : nullptr;
        if (target) {
          if (target->GetChannelType().baseType != caller->GetChannelType().baseType) return nullptr;
          caller->cold->publicCallTargets.SetItem(target, 0);
        } else if (ext && ext->AddChannelRequest(0, caller)) {
          caller->cold->publicCallPending.SetItem(&pendingMark, 0);
        }
      } else {
        engine->errorFunctor("Couldn't autoload group");
        engine->errorFunctor(r->fileName);
        if (ownGroup && ownGroup->GetChannelGroupFileName()) engine->errorFunctor(ownGroup->GetChannelGroupFileName());
        engine->errorFunctor(completed.c_str());
        r->autoLoad = 0;
        return nullptr;
      }
      if (!target) return nullptr;
    }
  }

  if (target->interfaceType == VEL_PUBLICCUSTOMCHANNELGET) {
    target = target->GetChannelFromChannel(nullptr, nullptr);
    if (!target) return nullptr;
  }
  if (Orn_ChannelGroup* targetGroup = target->GetChannelGroup()) {
    targetGroup->IncreaseTreeCount();
    targetGroup->SetParameterChannel(caller->GetChildCount() > 0 ? caller : nullptr);
  }
  return target;
}

void ChannelInternal::DoPublicChannelNameCheck(Orn_Channel* channel) {
  if (!channel || !channel->channelName || !channel->channelGroup) return;
  if (channel->interfaceType != VEL_PUBLIC && channel->interfaceType != VEL_PUBLICCUSTOMCHANNELGET) return;
  Orn_ChannelGroup* group = channel->channelGroup;
  // Names are at most 500 characters long; once a name can no longer change,
  // renaming stops instead of looping.
  for (int round = 0; round < 100000 && group->CheckDuplicatePublicChannelName(channel); ++round) {
    const std::string before = channel->channelName;
    std::string name = before;
    size_t length = name.size();
    bool counted = false;
    if (length >= 4 && name[length - 1] == ')' && name[length - 4] == '(') {
      char digits[3] = {name[length - 3], name[length - 2], '\0'};
      int v = std::atoi(digits);
      if (v + 1 <= 50) {
        char next[16];
        std::snprintf(next, sizeof next, "%02d", v + 1);
        name[length - 3] = next[0];
        name[length - 2] = next[1];
        counted = true;
      }
    }
    if (!counted) name += "(02)";
    channel->SetChannelName(name.c_str());
    if (before == channel->channelName) break;  // cut at 500 characters: no further name
  }
}

// ---------------------------------------------------------------------------
// Dependencies

void ChannelInternal::GetChannelDepenency(Orn_Channel* channel, Orn_List* dependencies) {
  if (!channel || !dependencies) return;
  ChannelType type = channel->GetChannelType();
  for (int i = 0; i < dependencies->GetItemCount(); ++i) {
    ChannelDependency* d = static_cast<ChannelDependency*>(dependencies->GetItem(i));
    if (d && d->type == type.type) return;
  }
  ChannelDependency* dependency = new ChannelDependency;
  dependency->type = type.type;
  if (dependencies->AddItem(dependency) < 0) {
    delete dependency;
    return;
  }
  EngineInterface* engine = EngineOf(channel);
  if (type.baseType != type.type && engine) {
    Orn_Channel* base = engine->InitChannelFromType(type.baseType, nullptr, false);
    if (base) {
      GetChannelDepenency(base, dependencies);
      delete base;
    }
  }
  channel->DoDependencyInit(dependencies);
}
