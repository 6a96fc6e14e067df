// IDirect3DCubeTexture8: six square faces with one mip chain each
// (BaseTexture with six faces, in D3DCUBEMAP_FACES order).
#pragma once

#include "base_texture.h"

namespace d3d8 {

class CubeTexture final : public IDirect3DCubeTexture8, public BaseTexture {
 public:
  // Validates the arguments as CreateCubeTexture does; NULL result with
  // `*hr` set on failure.
  static CubeTexture* Create(Device* device, UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format,
                             D3DPOOL pool, HRESULT* hr);

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG AddRef() override { return AddRefPublic(); }
  ULONG Release() override { return ReleasePublic(); }
  // IDirect3DResource8
  HRESULT GetDevice(IDirect3DDevice8** ppDevice) override { return HandOutDevice(ppDevice); }
  DWORD SetPriority(DWORD priority) override { return SetPriorityValue(priority); }
  DWORD GetPriority() override { return priorityValue(); }
  void PreLoad() override { PreLoadTexture(); }
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_CUBETEXTURE; }
  // IDirect3DBaseTexture8
  DWORD SetLOD(DWORD lod) override { return SetLODValue(lod); }
  DWORD GetLOD() override { return lodValue(); }
  DWORD GetLevelCount() override { return levelCount(); }
  // IDirect3DCubeTexture8
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* pDesc) override { return LevelDesc(level, pDesc); }
  HRESULT GetCubeMapSurface(D3DCUBEMAP_FACES face, UINT level, IDirect3DSurface8** ppCubeMapSurface) override {
    return ImageSurface(face, level, ppCubeMapSurface);
  }
  HRESULT LockRect(D3DCUBEMAP_FACES face, UINT level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                   DWORD flags) override {
    return LockImage(face, level, pLockedRect, pRect, flags);
  }
  HRESULT UnlockRect(D3DCUBEMAP_FACES face, UINT level) override { return UnlockImage(face, level); }
  HRESULT AddDirtyRect(D3DCUBEMAP_FACES face, const RECT*) override { return AddDirtyFace(face); }

  IDirect3DBaseTexture8* Interface() override { return this; }

 private:
  using BaseTexture::BaseTexture;
  ~CubeTexture() override = default;
};

}  // namespace d3d8
