// IDirect3DTexture8: a 2D texture with a mip chain (BaseTexture with one
// face).
#pragma once

#include "base_texture.h"

namespace d3d8 {

class Texture final : public IDirect3DTexture8, public BaseTexture {
 public:
  // Validates the arguments as CreateTexture does; NULL result with `*hr` set
  // on failure.
  static Texture* Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
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
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  // IDirect3DBaseTexture8
  DWORD SetLOD(DWORD lod) override { return SetLODValue(lod); }
  DWORD GetLOD() override { return lodValue(); }
  DWORD GetLevelCount() override { return levelCount(); }
  // IDirect3DTexture8
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* pDesc) override { return LevelDesc(level, pDesc); }
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** ppSurfaceLevel) override {
    return ImageSurface(0, level, ppSurfaceLevel);
  }
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) override {
    return LockImage(0, level, pLockedRect, pRect, flags);
  }
  HRESULT UnlockRect(UINT level) override { return UnlockImage(0, level); }
  HRESULT AddDirtyRect(const RECT*) override { return AddDirtyFace(0); }

  IDirect3DBaseTexture8* Interface() override { return this; }

 private:
  using BaseTexture::BaseTexture;
  ~Texture() override = default;
};

}  // namespace d3d8
