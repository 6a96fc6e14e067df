#include "lightmanager/light_manager_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "light/vel_dx8_light_instance_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Light Manager", vel::kLightManagerType, vel::kLightManagerType);
  return type;
}
}  // namespace

LightManagerChannel::LightManagerChannel() : directGraphics_(nullptr), lights_{} { SetChannelName("Light Manager"); }

LightManagerChannel::~LightManagerChannel() = default;

void LightManagerChannel::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kDeviceType, dependencies);
}

Vel_DX8_DirectGraphicsChannel* LightManagerChannel::Device() {
  // Looked up on first use: the manager may come into being before the device.
  if (!directGraphics_) directGraphics_ = vel::DeviceChannel(engine);
  return directGraphics_;
}

void LightManagerChannel::ReportRefused(Vel_DX8_LightInstanceChannel* light, const char* text) {
  if (!refused_.insert(light).second || !engine) return;
  engine->errorFunctor(text);
  if (light->GetChannelName()) engine->errorFunctor("Channel : ", light->GetChannelName());
}

void LightManagerChannel::EnableLight(Vel_DX8_LightInstanceChannel* light) {
  if (!light) return;
  light->SetLightID(-1);
  Vel_DX8_DirectGraphicsChannel* graphics = Device();
  IDirect3DDevice8* device = graphics ? graphics->GetDirect3dDevice() : nullptr;
  if (!device) return;
  int limit = std::min<int>(kMaxLights, static_cast<int>(graphics->GetDeviceCaps().MaxActiveLights));
  int index = 0;
  while (index < limit && lights_[index] && lights_[index] != light) ++index;
  if (index >= limit) {
    ReportRefused(light, "LightManagerChannel::EnableLight: no free light index, the light stays off");
    return;
  }
  D3DLIGHT8 record = light->GetLightInfo();
  if (FAILED(device->SetLight(index, &record))) {
    ReportRefused(light, "LightManagerChannel::EnableLight: the device refuses the light, it stays off");
    return;
  }
  refused_.erase(light);
  device->LightEnable(index, TRUE);
  lights_[index] = light;
  light->SetLightID(index);
}

void LightManagerChannel::DisableLight(Vel_DX8_LightInstanceChannel* light) {
  if (!light) return;
  for (int index = 0; index < kMaxLights; ++index) {
    if (lights_[index] != light) continue;
    lights_[index] = nullptr;
    IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
    if (device) device->LightEnable(index, FALSE);
  }
  light->SetLightID(-1);
}

int LightManagerChannel::GetEnabledLightCount() {
  return static_cast<int>(std::count_if(std::begin(lights_), std::end(lights_), [](auto* l) { return l != nullptr; }));
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) LightManagerChannel; }
