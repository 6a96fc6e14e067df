// The part of a channel that no frame reads: its type record, slot
// declarations, link requests, public-call and parameter records. It lives
// in its own block of the channel heap so that the channel object itself
// stays a couple of cache lines long.
#pragma once

#include "channel_records.h"
#include "channel_type.h"
#include "orn_list.h"
#include "win32/types.h"

#include <cstddef>

struct Orn_ChannelCold {
  ChannelType channelType;
  PublicCallInfo* publicCallInfo = nullptr;
  ParameterInfo* parameterInfo = nullptr;
  Orn_List childCreations;     // ChildCreation*
  Orn_List linkRequests;       // LinkRequestMark*
  Orn_List publicCallPending;  // non-NULL marks by pool instance number
  Orn_List publicCallTargets;  // Orn_Channel* by pool instance number
  DWORD lastCallingTick = 0;
  DWORD timeStamp = 0;
  ChildCreation pendingCreation;

  static void* operator new(std::size_t size);
  static void operator delete(void* block, std::size_t size) noexcept;
};
