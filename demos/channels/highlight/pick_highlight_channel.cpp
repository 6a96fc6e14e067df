#include "pick_highlight_channel.h"

#include "floatvalue/vel_float_channel.h"
#include "guid_util.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <new>

namespace {
const GUID kPickHighlightType = GuidLiteral("E4A17C36-58B2-4D09-9F3A-2C6B81D07E45");

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Pick Highlight", kPickHighlightType, vel::kVectorType);
  return type;
}
}  // namespace

PickHighlightChannel::PickHighlightChannel() {
  SetChannelName("Pick Highlight");
  SetChildCreationCount(1);
  vel::DeclareSlot(this, kPickedSlot, vel::kFloatType, "Value", "Picked");
}

D3DXVECTOR3 PickHighlightChannel::GetVector() {
  auto* picked = vel::ChildAs<Vel_FloatChannel>(this, kPickedSlot, vel::kFloatType);
  return picked && picked->GetFloat() >= 0.5f ? vector : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) PickHighlightChannel; }
