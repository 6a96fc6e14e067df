// Vel_DX8_CubeTexture ("DX8 CubeTexture"): a texture channel whose image
// becomes a cube texture: a DDS cube map gives each face its own image, any
// other image is put on all six faces. It is linked wherever a texture is
// (its base type is the texture type) and binds the cube texture to the
// stage a surface asks for; environment and water effects reflect it.
#pragma once

#include "texture/vel_dx8_texture.h"

class Vel_DX8_CubeTexture : public Vel_DX8_Texture {
 public:
  Vel_DX8_CubeTexture();
  ~Vel_DX8_CubeTexture() override;

  void InvalidateDeviceObjects() override;
  void Release() override;
  // Binds the cube texture, made from the kept image bytes when missing.
  void SetTexture(int stage) override;

  // The cube texture, made when missing; null without a device or image.
  virtual IDirect3DCubeTexture8* GetCubeTexture();

 protected:
  void ReleaseCube();

  IDirect3DCubeTexture8* cube_;
  // The kept bytes made no cube texture on the current device.
  bool cubeFailed_;
};
