// IDirect3DCubeTexture8: six square faces with one mip chain each
// (BaseTexture with six faces, in D3DCUBEMAP_FACES order).
#pragma once

#include "base_texture.h"

namespace d3d8 {

class CubeTexture final : public TextureInterface<IDirect3DCubeTexture8, D3DRTYPE_CUBETEXTURE> {
 public:
  // Validates the arguments as CreateCubeTexture does; NULL result with
  // `*hr` set on failure.
  static CubeTexture* Create(Device* device, UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                             D3DPOOL pool, HRESULT* hr);

  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  // IDirect3DCubeTexture8
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface8** ppCubeMapSurface) override {
    return ImageSurface(face, level, ppCubeMapSurface);
  }
  HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                   DWORD flags) override {
    return LockImage(face, level, pLockedRect, pRect, flags);
  }
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override { return UnlockImage(face, level); }
  HRESULT AddDirtyRect(D3DCUBEMAP_FACES face, const RECT*) override { return AddDirtyFace(face); }

 private:
  using TextureInterface::TextureInterface;
  ~CubeTexture() override = default;
};

}  // namespace d3d8
