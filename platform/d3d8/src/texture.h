// IDirect3DTexture8: a 2D texture with a mip chain. Every level keeps a copy
// in system memory that LockRect hands out; changed levels reach OpenGL when
// the texture is next drawn with. Render-target textures live only in OpenGL.
#pragma once

#include <vector>

#include "device_child.h"
#include "format.h"
#include "gl.h"

namespace d3d8 {

class Surface;

class Texture final : public IDirect3DTexture8, public DeviceChild {
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
  HRESULT GetDevice(IDirect3DDevice8** ppDevice) override;
  DWORD SetPriority(DWORD priority) override;
  DWORD GetPriority() override { return priority_; }
  void PreLoad() override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  // IDirect3DBaseTexture8
  DWORD SetLOD(DWORD lod) override;
  DWORD GetLOD() override { return lod_; }
  DWORD GetLevelCount() override { return static_cast<DWORD>(levels_.size()); }
  // IDirect3DTexture8
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* pDesc) override;
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface8** ppSurfaceLevel) override;
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) override;
  HRESULT UnlockRect(UINT level) override;
  HRESULT AddDirtyRect(const RECT* pDirtyRect) override;

  bool BlocksReset() const override { return pool_ == D3DPOOL_DEFAULT; }

  // The OpenGL texture with every changed level uploaded; the current
  // context must be the device's.
  GLuint BindableTexture();
  GLuint glTexture() const { return texture_; }
  D3DFORMAT format() const { return format_; }
  DWORD usage() const { return usage_; }
  const FormatInfo& info() const { return *info_; }
  UINT LevelWidth(UINT level) const { return levels_[level].width; }
  UINT LevelHeight(UINT level) const { return levels_[level].height; }

 private:
  Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
          const FormatInfo* info);
  ~Texture() override;

  struct Level {
    UINT width = 0, height = 0;
    UINT pitch = 0, rows = 0;
    std::vector<BYTE> data;
    bool dirty = false;
    bool locked = false;
    DWORD lockFlags = 0;
    Surface* surface = nullptr;  // made on first GetSurfaceLevel, owned
  };

  void UploadLevel(UINT level);

  D3DFORMAT format_;
  DWORD usage_;
  D3DPOOL pool_;
  const FormatInfo* info_;
  std::vector<Level> levels_;
  GLuint texture_ = 0;
  bool anyDirty_ = false;
  DWORD lod_ = 0;
  DWORD priority_ = 0;
};

}  // namespace d3d8
