#include "cubetexture/vel_dx8_cube_texture.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <d3dx8/d3dx8tex.h>

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 CubeTexture", vel::kCubeTextureType, vel::kTextureType);
  return type;
}
}  // namespace

Vel_DX8_CubeTexture::Vel_DX8_CubeTexture() : cube_(nullptr), cubeFailed_(false) { SetChannelName("DX8 CubeTexture"); }

Vel_DX8_CubeTexture::~Vel_DX8_CubeTexture() { ReleaseCube(); }

void Vel_DX8_CubeTexture::ReleaseCube() {
  if (cube_) cube_->Release();
  cube_ = nullptr;
  cubeFailed_ = false;
}

void Vel_DX8_CubeTexture::InvalidateDeviceObjects() {
  ReleaseCube();
  Vel_DX8_Texture::InvalidateDeviceObjects();
}

void Vel_DX8_CubeTexture::Release() {
  ReleaseCube();
  Vel_DX8_Texture::Release();
}

IDirect3DCubeTexture8* Vel_DX8_CubeTexture::GetCubeTexture() {
  // New image bytes from the group-buffer child make a new cube.
  const DWORD stamp = groupBufferStamp_;
  CheckGroupBuffer();
  if (stamp != groupBufferStamp_) ReleaseCube();
  if (cube_ || cubeFailed_ || !directGraphics_) return cube_;
  IDirect3DDevice8* device = directGraphics_->GetDirect3dDevice();
  if (!device || GetBufferSize() < kMinImageSize) return nullptr;
  if (FAILED(D3DXCreateCubeTextureFromFileInMemory(device, GetTextureBuffer(), static_cast<UINT>(GetBufferSize()),
                                                   &cube_)) ||
      !cube_) {
    cube_ = nullptr;
    cubeFailed_ = true;
    if (engine) engine->errorFunctor("Vel_DX8_CubeTexture: no cube texture from the image : ", GetChannelName());
  }
  return cube_;
}

void Vel_DX8_CubeTexture::SetTexture(int stage) {
  IDirect3DCubeTexture8* cube = GetCubeTexture();
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (cube && device) device->SetTexture(static_cast<DWORD>(stage), cube);
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_CubeTexture; }
