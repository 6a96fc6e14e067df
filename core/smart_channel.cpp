#include "smart_channel.h"

#include "channel_internal.h"
#include "dll_interface.h"
#include "engine_interface.h"
#include "orn_channel.h"
#include "orn_channel_group.h"

SmartChannel::SmartChannel() : SmartChannel(globalEngine) {}

SmartChannel::SmartChannel(EngineInterface* engineInterface)
    : groupGuid{}, groupIndex(-1), channelIndex(-1), channel(nullptr), engine(engineInterface) {}

SmartChannel::~SmartChannel() { channel = nullptr; }

bool SmartChannel::SetChannel(Orn_Channel* target) {
  channel = nullptr;
  groupIndex = -1;
  if (!target) return false;
  channel = target;
  Orn_ChannelGroup* group = target->GetChannelGroup();
  if (!group) return false;
  groupGuid = group->GetUniqueGroupGuid();
  groupIndex = group->GetGroupIndex();
  channelIndex = target->GetChannelIDIndexNr();
  return true;
}

Orn_Channel* SmartChannel::GetInternalChannel() {
  if (!channel) return nullptr;
  if (!engine) engine = globalEngine;
  if (!engine || groupIndex < 0) return nullptr;
  Orn_ChannelGroup* group = engine->GetChannelGroup(groupIndex);
  if (!group || group->GetUniqueGroupGuid() != groupGuid) return nullptr;
  Orn_Channel* current = group->GetChannel(channelIndex);
  return current == channel ? current : nullptr;
}

Orn_Channel* SmartChannel::GetChannel() {
  Orn_Channel* current = GetInternalChannel();
  if (!current) return nullptr;
  switch (current->GetChannelInterfaceType()) {
    case VEL_PUBLICCALL:
      return channelInternal.GetPublicChannelForPublicCall(current);
    case VEL_CUSTOMCHANNELGET:
    case VEL_PUBLICCUSTOMCHANNELGET:
      return current->GetChannelFromChannel(nullptr, nullptr);
    case VEL_PARAMETER:
      return nullptr;
    default:
      return current;
  }
}
