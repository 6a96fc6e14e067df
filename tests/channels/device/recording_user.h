// A device user made in the test program: it keeps a texture in the default
// pool (which blocks a device reset while it lives) and writes every call it
// receives from the device channel into a shared log.
#pragma once

#include "channel_harness.h"
#include "deviceuse/vel_dx8_d3d_device_use.h"
#include "guid_util.h"

#include <string>
#include <vector>

namespace vel_test {

inline const GUID kRecordingUserType = GuidLiteral("7E57D0E5-0000-4000-8000-0000000000D1");

class RecordingUser : public Vel_DX8_D3DDeviceUse {
 public:
  RecordingUser(std::string name, std::vector<std::string>* log) : name(std::move(name)), log(log) {}
  ~RecordingUser() override { ReleaseTexture(); }

  ChannelType GetChannelType() override {
    ChannelType type(kRecordingUserType);
    type.baseType = vel::kDeviceUseType;
    return type;
  }
  void InvalidateDeviceObjects() override {
    log->push_back(name + " objects");
    // Users drop their objects while the device they made them on still
    // exists: it answers (a released one would be a use after free).
    IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
    D3DCAPS8 caps;
    deviceAnswered = device && device->GetDeviceCaps(&caps) == D3D_OK;
    ReleaseTexture();
  }
  void InvalidateDirectGraphics() override {
    log->push_back(name + " graphics");
    ReleaseTexture();
    directGraphics_ = nullptr;
  }

  // Makes the texture, as a drawing channel does on first use.
  bool Use() {
    IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
    if (!device) return false;
    if (!texture) device->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture);
    return texture != nullptr;
  }
  void ReleaseTexture() {
    if (texture) texture->Release();
    texture = nullptr;
  }
  Vel_DX8_DirectGraphicsChannel* DeviceChannel() const { return directGraphics_; }

  std::string name;
  std::vector<std::string>* log;
  IDirect3DTexture8* texture = nullptr;
  bool deviceAnswered = false;
};

}  // namespace vel_test
