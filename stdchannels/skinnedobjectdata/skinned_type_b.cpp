// The second skinned mesh type: the same channel under its own type record.
#include "skinnedobjectdata/skinned_object_data_channel.h"

#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type =
      vel::MakeTypeRecord("DX8 Skinned ObjectData B", vel::kSkinnedObjectDataTypeB, vel::kObjectDataType);
  return type;
}
}  // namespace

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) SkinnedObjectDataChannel; }
