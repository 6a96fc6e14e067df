// Puts a channel into a child entry without the type check of SetChild, as a
// public call, a parameter or a custom getter may hand any channel to a
// slot: the reader must find it is not of the slot's type.
#pragma once

#include "channel_internal.h"
#include "orn_channel.h"

namespace vel_test {

inline bool PlaceForeignChild(Orn_Channel* parent, int entry, Orn_Channel* child) {
  ChildInfo* info = channelInternal.GetChildInfo(parent, entry);
  if (!info) return false;
  info->channel = child;
  return true;
}

}  // namespace vel_test
