#include "channel_type.h"

#include <cstring>

ChannelType::ChannelType() : name{}, type{}, baseType{}, version{1, kChannelInterfaceVersion, 1}, flag(0) {}

ChannelType::ChannelType(const GUID& typeGuid) : ChannelType() { type = typeGuid; }

void ChannelType::SetName(const char* text) {
  std::memset(name, 0, sizeof name);
  if (text) std::strncpy(name, text, sizeof name - 1);
}
