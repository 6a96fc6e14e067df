// What 2D and cube textures share: a chain of mip levels for each face (one
// face for 2D textures, six for cube textures) in one OpenGL texture. Every
// image of a texture that is not a render target keeps a copy in system
// memory that LockRect hands out; changed images reach OpenGL when the
// texture is next drawn with. Render-target textures live only in OpenGL.
#pragma once

#include <vector>

#include "device_child.h"
#include "format.h"
#include "gl.h"
#include "texture_kind.h"

namespace d3d8 {

class Surface;

class BaseTexture : public DeviceChild {
 public:
  // Checks the arguments of CreateTexture and CreateCubeTexture and gives
  // the level count to use (0: the full chain).
  static HRESULT CheckParameters(UINT width, UINT height, UINT* levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                 const FormatInfo** info);

  TextureKind kind() const { return kind_; }
  // GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP.
  GLenum glTarget() const { return kind_ == TextureKind::Cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D; }
  // The OpenGL target of one face's images: GL_TEXTURE_2D or a cube face.
  GLenum FaceTarget(UINT face) const;
  GLuint glTexture() const { return texture_; }
  // The OpenGL texture with every changed image uploaded; the current
  // context must be the device's.
  GLuint BindableTexture();
  // Whether BindableTexture has images to upload first.
  bool HasChangedImages() const { return anyDirty_; }

  // The interface the application holds (IDirect3DTexture8 or
  // IDirect3DCubeTexture8), for GetTexture and GetContainer.
  virtual IDirect3DBaseTexture8* Interface() = 0;

  D3DFORMAT format() const { return format_; }
  DWORD usage() const { return usage_; }
  D3DPOOL pool() const { return pool_; }
  const FormatInfo& info() const { return *info_; }
  bool IsRenderTarget() const { return (usage_ & D3DUSAGE_RENDERTARGET) != 0; }
  UINT faceCount() const { return faces_; }
  UINT levelCount() const { return levels_; }
  UINT LevelWidth(UINT level) const { return images_[level].width; }
  UINT LevelHeight(UINT level) const { return images_[level].height; }
  bool BlocksReset() const override { return pool_ == D3DPOOL_DEFAULT; }

  // The system-memory copy of one image, NULL for render targets.
  BYTE* ImageData(UINT face, UINT level, UINT* pitch);
  // Marks an image changed in system memory (uploaded at the next draw).
  void MarkImageDirty(UINT face, UINT level);

  // The shared parts of the texture interfaces; `face` is 0 for 2D textures.
  HRESULT LevelDesc(UINT level, D3DSURFACE_DESC* pDesc) const;
  HRESULT ImageSurface(UINT face, UINT level, IDirect3DSurface8** ppSurface);
  HRESULT LockImage(UINT face, UINT level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags);
  HRESULT UnlockImage(UINT face, UINT level);
  HRESULT AddDirtyFace(UINT face);
  DWORD SetPriorityValue(DWORD priority);
  DWORD priorityValue() const { return priority_; }
  DWORD SetLODValue(DWORD lod);
  DWORD lodValue() const { return lod_; }
  void PreLoadTexture();

 protected:
  BaseTexture(Device* device, TextureKind kind, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
              D3DPOOL pool, const FormatInfo* info);
  ~BaseTexture() override;

 private:
  struct Image {
    UINT width = 0, height = 0;
    UINT pitch = 0, rows = 0;
    std::vector<BYTE> data;
    bool dirty = false;
    bool locked = false;
    DWORD lockFlags = 0;
    Surface* surface = nullptr;  // made on first request, owned
  };

  Image& At(UINT face, UINT level) { return images_[face * levels_ + level]; }
  // Expects the texture bound on the scratch unit.
  void Upload(UINT face, UINT level);

  TextureKind kind_;
  D3DFORMAT format_;
  DWORD usage_;
  D3DPOOL pool_;
  const FormatInfo* info_;
  UINT faces_, levels_;
  std::vector<Image> images_;  // face by face, each face's levels in order
  GLuint texture_ = 0;
  bool anyDirty_ = false;
  DWORD lod_ = 0;
  DWORD priority_ = 0;
};

// What the interfaces of 2D and cube textures answer alike.
template <typename Com, D3DRESOURCETYPE kType>
class TextureInterface : public Com, public BaseTexture {
 public:
  // IUnknown
  ULONG AddRef() override { return AddRefPublic(); }
  ULONG Release() override { return ReleasePublic(); }
  // IDirect3DResource8
  HRESULT GetDevice(IDirect3DDevice8** ppDevice) override { return HandOutDevice(ppDevice); }
  DWORD SetPriority(DWORD priority) override { return SetPriorityValue(priority); }
  DWORD GetPriority() override { return priorityValue(); }
  void PreLoad() override { PreLoadTexture(); }
  D3DRESOURCETYPE GetType() override { return kType; }
  // IDirect3DBaseTexture8
  DWORD SetLOD(DWORD lod) override { return SetLODValue(lod); }
  DWORD GetLOD() override { return lodValue(); }
  DWORD GetLevelCount() override { return levelCount(); }
  // Both texture interfaces
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* pDesc) override { return LevelDesc(level, pDesc); }

  IDirect3DBaseTexture8* Interface() override { return this; }

 protected:
  using BaseTexture::BaseTexture;
};

inline TextureKind TextureKindOf(const BaseTexture* texture) {
  return texture ? texture->kind() : TextureKind::None;
}

// The device-layer object behind an interface pointer the application passed
// in; NULL for NULL.
BaseTexture* BaseTextureOf(IDirect3DBaseTexture8* texture);

}  // namespace d3d8
