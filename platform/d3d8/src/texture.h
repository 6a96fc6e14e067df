// IDirect3DTexture8: a 2D texture with a mip chain (BaseTexture with one
// face).
#pragma once

#include "base_texture.h"

namespace d3d8 {

class Texture final : public TextureInterface<IDirect3DTexture8, D3DRTYPE_TEXTURE> {
 public:
  // Validates the arguments as CreateTexture does; NULL result with `*hr` set
  // on failure.
  static Texture* Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool, HRESULT* hr);

  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  // IDirect3DTexture8
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** ppSurfaceLevel) override {
    return ImageSurface(0, level, ppSurfaceLevel);
  }
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) override {
    return LockImage(0, level, pLockedRect, pRect, flags);
  }
  HRESULT UnlockRect(UINT level) override { return UnlockImage(0, level); }
  HRESULT AddDirtyRect(const RECT*) override { return AddDirtyFace(0); }

 private:
  using TextureInterface::TextureInterface;
  ~Texture() override = default;
};

}  // namespace d3d8
