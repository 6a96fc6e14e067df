#include "surface.h"

#include <cstring>

#include "device.h"
#include "query_interface.h"
#include "base_texture.h"

namespace d3d8 {

Surface::Surface(Device* device, Kind kind, UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool,
                 const FormatInfo* info, bool publicStart)
    : DeviceChild(device, publicStart),
      kind_(kind),
      width_(width),
      height_(height),
      format_(format),
      usage_(usage),
      pool_(pool),
      info_(info) {
  pitch_ = FormatPitch(*info, width);
}

Surface::~Surface() {
  if (colorTexture_ || renderbuffer_) {
    device_->MakeCurrent();
    device_->ForgetSurface(this);
    if (colorTexture_) {
      device_->ForgetGlTexture(colorTexture_);
      glDeleteTextures(1, &colorTexture_);
    }
    if (renderbuffer_) glDeleteRenderbuffers(1, &renderbuffer_);
  } else {
    device_->ForgetSurface(this);
  }
  if (!owned_) NoteObjectDestroyed();
}

Surface* Surface::CreateTextureLevel(Device* device, BaseTexture* texture, UINT face, UINT level) {
  D3DSURFACE_DESC desc;
  texture->LevelDesc(level, &desc);
  Surface* s = new Surface(device, Kind::TextureLevel, desc.Width, desc.Height, desc.Format, desc.Usage, desc.Pool,
                           &texture->info(), false);
  s->texture_ = texture;
  s->face_ = face;
  s->level_ = level;
  s->owned_ = true;
  return s;
}

Surface* Surface::CreateRenderTarget(Device* device, UINT width, UINT height, D3DFORMAT format, bool lockable,
                                     bool implicit, HRESULT* hr) {
  const FormatInfo* info = GetFormatInfo(format);
  if (!info || !info->renderTarget || width == 0 || height == 0 || width > kMaxTextureSize ||
      height > kMaxTextureSize) {
    *hr = D3DERR_INVALIDCALL;
    return nullptr;
  }
  Surface* s = new Surface(device, implicit ? Kind::BackBuffer : Kind::RenderTarget, width, height, format,
                           D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, info, !implicit);
  s->lockable_ = lockable;
  s->owned_ = implicit;
  if (!implicit) NoteObjectCreated();
  device->MakeCurrent();
  glGenTextures(1, &s->colorTexture_);
  glActiveTexture(GL_TEXTURE0 + kScratchTextureUnit);
  glBindTexture(GL_TEXTURE_2D, s->colorTexture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(info->internalFormat), static_cast<GLsizei>(width),
               static_cast<GLsizei>(height), 0, info->uploadFormat, info->uploadType, nullptr);
  glBindTexture(GL_TEXTURE_2D, 0);
  *hr = D3D_OK;
  return s;
}

Surface* Surface::CreateDepthStencil(Device* device, UINT width, UINT height, D3DFORMAT format, bool implicit,
                                     HRESULT* hr) {
  const FormatInfo* info = GetFormatInfo(format);
  if (!info || !info->depth || width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize) {
    *hr = D3DERR_INVALIDCALL;
    return nullptr;
  }
  Surface* s = new Surface(device, implicit ? Kind::AutoDepthStencil : Kind::DepthStencil, width, height, format,
                           D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, info, !implicit);
  s->owned_ = implicit;
  if (!implicit) NoteObjectCreated();
  device->MakeCurrent();
  glGenRenderbuffers(1, &s->renderbuffer_);
  glBindRenderbuffer(GL_RENDERBUFFER, s->renderbuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, info->internalFormat, static_cast<GLsizei>(width),
                        static_cast<GLsizei>(height));
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  *hr = D3D_OK;
  return s;
}

Surface* Surface::CreateImage(Device* device, UINT width, UINT height, D3DFORMAT format, HRESULT* hr) {
  const FormatInfo* info = GetFormatInfo(format);
  if (!info || info->depth || width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize) {
    *hr = D3DERR_INVALIDCALL;
    return nullptr;
  }
  Surface* s = new Surface(device, Kind::Image, width, height, format, 0, D3DPOOL_SYSTEMMEM, info, true);
  NoteObjectCreated();
  s->image_.assign(static_cast<size_t>(s->pitch_) * FormatRows(*info, height), 0);
  *hr = D3D_OK;
  return s;
}

HRESULT Surface::QueryInterface(REFIID riid, void** ppvObj) {
  return QueryInterfaceOf<IDirect3DSurface8>(this, riid, ppvObj, {IID_IDirect3DSurface8});
}

ULONG Surface::AddRef() { return texture_ ? texture_->AddRefPublic() : AddRefPublic(); }
ULONG Surface::Release() { return texture_ ? texture_->ReleasePublic() : ReleasePublic(); }

void Surface::AddRefInternal() {
  if (texture_)
    texture_->AddRefInternal();
  else
    DeviceChild::AddRefInternal();
}

void Surface::ReleaseInternal() {
  if (texture_)
    texture_->ReleaseInternal();
  else
    DeviceChild::ReleaseInternal();
}

bool Surface::BlocksReset() const {
  // Texture levels are accounted through their texture; the device's own
  // buffers block a reset while the application holds them.
  if (kind_ == Kind::TextureLevel) return false;
  if (kind_ == Kind::BackBuffer || kind_ == Kind::AutoDepthStencil) return publicRefs_ > 0;
  return pool_ == D3DPOOL_DEFAULT;
}

void Surface::Destroy() {
  if (owned_ && !ownerGone_) return;  // the owner destroys it
  delete this;
}

void Surface::DestroyOwned() {
  ownerGone_ = true;
  if (publicRefs_ == 0 && internalRefs_ == 0) delete this;
  // Otherwise the last release or unbinding deletes it.
}

HRESULT Surface::GetDevice(IDirect3DDevice8** ppDevice) { return HandOutDevice(ppDevice); }

HRESULT Surface::GetContainer(REFIID riid, void** ppContainer) {
  if (!ppContainer) return D3DERR_INVALIDCALL;
  if (texture_) return texture_->Interface()->QueryInterface(riid, ppContainer);
  return device_->QueryInterface(riid, ppContainer);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  pDesc->Format = format_;
  pDesc->Type = D3DRTYPE_SURFACE;
  pDesc->Usage = usage_;
  pDesc->Pool = pool_;
  pDesc->Size = pitch_ * FormatRows(*info_, height_);
  pDesc->MultiSampleType = D3DMULTISAMPLE_NONE;
  pDesc->Width = width_;
  pDesc->Height = height_;
  return D3D_OK;
}

bool Surface::IsColorTarget() const {
  if (kind_ == Kind::TextureLevel) return (usage_ & D3DUSAGE_RENDERTARGET) != 0;
  return kind_ == Kind::RenderTarget || kind_ == Kind::BackBuffer;
}

GLuint Surface::colorTexture() const { return texture_ ? texture_->glTexture() : colorTexture_; }

GLenum Surface::colorTarget() const { return texture_ ? texture_->FaceTarget(face_) : GL_TEXTURE_2D; }

BYTE* Surface::SystemTexels(UINT* pitch) {
  if (texture_) return texture_->ImageData(face_, level_, pitch);
  *pitch = pitch_;
  return kind_ == Kind::Image ? image_.data() : nullptr;
}

void Surface::NoteTexelsWritten() {
  if (texture_) texture_->MarkImageDirty(face_, level_);
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) {
  if (!pLockedRect) return D3DERR_INVALIDCALL;
  if (texture_) return texture_->LockImage(face_, level_, pLockedRect, pRect, flags);
  if (locked_) return D3DERR_INVALIDCALL;
  switch (kind_) {
    case Kind::Image:
      break;
    case Kind::RenderTarget:
    case Kind::BackBuffer:
      // Lockable targets are read back from OpenGL into a copy.
      if (!lockable_) return D3DERR_INVALIDCALL;
      if (!ReadPixels(&image_, &pitch_)) return D3DERR_INVALIDCALL;
      break;
    default:
      return D3DERR_INVALIDCALL;  // depth buffers are not lockable
  }
  size_t offset = 0;
  if (!LockOffset(*info_, width_, height_, pitch_, pRect, &offset)) return D3DERR_INVALIDCALL;
  locked_ = true;
  lockFlags_ = flags;
  pLockedRect->Pitch = static_cast<INT>(pitch_);
  pLockedRect->pBits = image_.data() + offset;
  return D3D_OK;
}

HRESULT Surface::UnlockRect() {
  if (texture_) return texture_->UnlockImage(face_, level_);
  if (!locked_) return D3DERR_INVALIDCALL;
  locked_ = false;
  if (kind_ != Kind::Image && !(lockFlags_ & D3DLOCK_READONLY)) WritePixels(image_.data(), pitch_);
  return D3D_OK;
}

bool Surface::ReadPixels(std::vector<BYTE>* out, UINT* pitch) {
  if (kind_ == Kind::Image) {
    *out = image_;
    *pitch = pitch_;
    return true;
  }
  if (!IsColorTarget() || info_->compressed || !colorTexture()) return false;
  *pitch = pitch_;
  out->assign(static_cast<size_t>(pitch_) * height_, 0);
  device_->ReadSurfaceTexels(this, WholeRect(), out->data(), pitch_);
  return true;
}

bool Surface::WritePixels(const BYTE* data, UINT pitch) {
  if (kind_ == Kind::Image) {
    for (UINT y = 0; y < FormatRows(*info_, height_); ++y)
      std::memcpy(image_.data() + static_cast<size_t>(y) * pitch_, data + static_cast<size_t>(y) * pitch, pitch_);
    return true;
  }
  if (!IsColorTarget() || !colorTexture()) return false;
  device_->WriteSurfaceTexels(this, WholeRect(), data, pitch);
  return true;
}

}  // namespace d3d8
