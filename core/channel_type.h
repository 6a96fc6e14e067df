// ChannelType: the 128-byte type record of a channel type, returned by every
// plug-in's GetType and stored verbatim in the channel-list cache.
#pragma once

#include "win32/types.h"

#include <cstddef>
#include <cstdint>

// The interface version a plug-in must report in version[1].
constexpr int32_t kChannelInterfaceVersion = 25;

struct ChannelType {
  char name[80];
  GUID type;
  GUID baseType;
  int32_t version[3];
  int32_t flag;

  // The default record: empty name, zero GUIDs, versions 1, 25, 1, flag 0.
  ChannelType();
  explicit ChannelType(const GUID& typeGuid);
  void SetName(const char* text);
};

static_assert(sizeof(ChannelType) == 128, "ChannelType is a 128-byte record");
static_assert(offsetof(ChannelType, type) == 80);
static_assert(offsetof(ChannelType, baseType) == 96);
static_assert(offsetof(ChannelType, version) == 112);
static_assert(offsetof(ChannelType, flag) == 124);
