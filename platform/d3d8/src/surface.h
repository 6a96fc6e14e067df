// IDirect3DSurface8: a level of a texture, a render target, a depth-stencil
// buffer, an image in system memory, or one of the device's own back buffer
// and depth buffer.
#pragma once

#include <utility>
#include <vector>

#include "device_child.h"
#include "format.h"
#include "gl.h"

namespace d3d8 {

class BaseTexture;

class Surface final : public IDirect3DSurface8, public DeviceChild {
 public:
  enum class Kind { TextureLevel, RenderTarget, DepthStencil, Image, BackBuffer, AutoDepthStencil };

  static Surface* CreateTextureLevel(Device* device, BaseTexture* texture, UINT face, UINT level);
  static Surface* CreateRenderTarget(Device* device, UINT width, UINT height, D3DFORMAT format, bool lockable,
                                     bool implicit, HRESULT* hr);
  static Surface* CreateDepthStencil(Device* device, UINT width, UINT height, D3DFORMAT format, bool implicit,
                                     HRESULT* hr);
  static Surface* CreateImage(Device* device, UINT width, UINT height, D3DFORMAT format, HRESULT* hr);

  // IUnknown: the levels of a texture count their references on the texture.
  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG AddRef() override;
  ULONG Release() override;
  // IDirect3DSurface8
  HRESULT GetDevice(IDirect3DDevice8** ppDevice) override;
  HRESULT GetContainer(REFIID riid, void** ppContainer) override;
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
  HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) override;
  HRESULT UnlockRect() override;

  void AddRefInternal() override;
  void ReleaseInternal() override;
  bool BlocksReset() const override;

  Kind kind() const { return kind_; }
  UINT width() const { return width_; }
  UINT height() const { return height_; }
  D3DFORMAT format() const { return format_; }
  DWORD usage() const { return usage_; }
  const FormatInfo& info() const { return *info_; }
  BaseTexture* container() const { return texture_; }
  bool IsColorTarget() const;
  bool IsDepthStencil() const { return info_->depth; }
  RECT WholeRect() const { return {0, 0, static_cast<LONG>(width_), static_cast<LONG>(height_)}; }

  // Framebuffer attachment: the colour texture, its target (GL_TEXTURE_2D
  // or a cube face) and level, or the depth renderbuffer.
  GLuint colorTexture() const;
  GLenum colorTarget() const;
  GLint colorLevel() const { return static_cast<GLint>(level_); }
  GLuint renderbuffer() const { return renderbuffer_; }
  // Exchanges the colour texture of the device's back buffer with another
  // of the same size and format (presenting keeps the shown frame so).
  void ExchangeColorTexture(GLuint* other) { std::swap(colorTexture_, *other); }

  // The texels held in system memory (images, levels of textures that are
  // not render targets), top row first; NULL when the surface lives in
  // OpenGL only. NoteTexelsWritten tells the owner they changed.
  BYTE* SystemTexels(UINT* pitch);
  void NoteTexelsWritten();

  // Copies of the surface's texels in its own format, top row first.
  bool ReadPixels(std::vector<BYTE>* out, UINT* pitch);
  bool WritePixels(const BYTE* data, UINT pitch);
  // Direct access for system-memory images.
  BYTE* imageData() { return image_.data(); }
  UINT imagePitch() const { return pitch_; }

  // Owned surfaces (texture levels, device buffers) are destroyed by their
  // owner through this call instead of by their last release.
  void DestroyOwned();

 protected:
  void Destroy() override;

 private:
  Surface(Device* device, Kind kind, UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool,
          const FormatInfo* info, bool publicStart);
  ~Surface() override;

  Kind kind_;
  UINT width_, height_;
  D3DFORMAT format_;
  DWORD usage_;
  D3DPOOL pool_;
  const FormatInfo* info_;
  bool lockable_ = false;
  bool owned_ = false;  // destroyed by its owner, never by a release
  bool ownerGone_ = false;
  BaseTexture* texture_ = nullptr;
  UINT face_ = 0;
  UINT level_ = 0;
  GLuint colorTexture_ = 0;
  GLuint renderbuffer_ = 0;
  UINT pitch_ = 0;
  std::vector<BYTE> image_;  // system-memory images; the lock copy of render targets
  bool locked_ = false;
  DWORD lockFlags_ = 0;
};

}  // namespace d3d8
