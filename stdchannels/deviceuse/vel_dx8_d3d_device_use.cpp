#include "deviceuse/vel_dx8_d3d_device_use.h"

#include "channel_internal.h"
#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <new>
#include <unordered_set>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 D3DDeviceUse", vel::kDeviceUseType, vel::kDeviceUseType);
  return type;
}

// The device users alive in the process. The device channel calls a channel
// linked into its "Textures" slot only when it is found here.
std::unordered_set<const Orn_Channel*>& LiveUsers() {
  static std::unordered_set<const Orn_Channel*> users;
  return users;
}

constexpr int kTexturesSlot = 0;

// What child entry i of `channel` points to, without reading through it.
const Orn_Channel* LinkedAt(Orn_Channel* channel, int i) {
  ChildInfo* info = channelInternal.GetChildInfo(channel, i);
  return info ? info->channel : nullptr;
}
}  // namespace

Vel_DX8_D3DDeviceUse::Vel_DX8_D3DDeviceUse() : directGraphics_(nullptr) {
  LiveUsers().insert(this);
  directGraphics_ = vel::DeviceChannel(engine);
  if (!directGraphics_) return;
  // Reuse a link left blank by a user that has gone, so the slot does not
  // grow without end while users come and go. The slot's links precede its
  // head entry. Entries are read as they are, never through the channel they
  // name: another channel linked there may be gone.
  int count = directGraphics_->GetChildLinkPositionCount(kTexturesSlot);
  int position = count;
  for (int i = 0; i < count; ++i) {
    if (!LinkedAt(directGraphics_, i)) {
      position = i;
      break;
    }
  }
  directGraphics_->SetChild(this, position, kTexturesSlot);
}

Vel_DX8_D3DDeviceUse::~Vel_DX8_D3DDeviceUse() {
  LiveUsers().erase(this);
  if (!directGraphics_) return;
  for (int i = 0; i < directGraphics_->GetChildCount(); ++i)
    if (LinkedAt(directGraphics_, i) == this) directGraphics_->RemoveChild(i);
}

void Vel_DX8_D3DDeviceUse::InvalidateDeviceObjects() {}

void Vel_DX8_D3DDeviceUse::InvalidateDirectGraphics() {
  InvalidateDeviceObjects();
  directGraphics_ = nullptr;
}

Vel_DX8_D3DDeviceUse* Vel_DX8_D3DDeviceUse::AsLiveDeviceUser(Orn_Channel* channel) {
  // Looked up as a channel first: only a channel found here is a device user.
  if (!channel || !LiveUsers().count(channel)) return nullptr;
  return static_cast<Vel_DX8_D3DDeviceUse*>(channel);
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_D3DDeviceUse; }
