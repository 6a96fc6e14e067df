#include "base_texture.h"

#include <algorithm>

#include "cube_texture.h"
#include "device.h"
#include "surface.h"
#include "texture.h"

namespace d3d8 {

HRESULT BaseTexture::CheckParameters(UINT width, UINT height, UINT* levels, DWORD usage, D3DFORMAT format,
                                     D3DPOOL pool, const FormatInfo** info) {
  *info = GetFormatInfo(format);
  if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize) return D3DERR_INVALIDCALL;
  if (!*info || !(*info)->texture) return D3DERR_INVALIDCALL;
  if (pool > D3DPOOL_SYSTEMMEM) return D3DERR_INVALIDCALL;
  if (usage & D3DUSAGE_DEPTHSTENCIL) return D3DERR_INVALIDCALL;
  if (usage & D3DUSAGE_RENDERTARGET) {
    if (pool != D3DPOOL_DEFAULT || !(*info)->renderTarget) return D3DERR_INVALIDCALL;
  }
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return D3DERR_INVALIDCALL;
  UINT fullChain = 1;
  for (UINT w = width, h = height; w > 1 || h > 1; w = std::max(1u, w / 2), h = std::max(1u, h / 2)) ++fullChain;
  if (*levels == 0 || *levels > fullChain) *levels = fullChain;
  return D3D_OK;
}

BaseTexture::BaseTexture(Device* device, TextureKind kind, UINT width, UINT height, UINT levels, DWORD usage,
                         D3DFORMAT format, D3DPOOL pool, const FormatInfo* info)
    : DeviceChild(device, true),
      kind_(kind),
      format_(format),
      usage_(usage),
      pool_(pool),
      info_(info),
      faces_(kind == TextureKind::Cube ? 6 : 1),
      levels_(levels),
      images_(static_cast<size_t>(faces_) * levels) {
  NoteObjectCreated();
  const bool renderTarget = IsRenderTarget();
  for (UINT face = 0; face < faces_; ++face) {
    UINT w = width, h = height;
    for (UINT level = 0; level < levels; ++level) {
      Image& image = At(face, level);
      image.width = w;
      image.height = h;
      image.pitch = FormatPitch(*info, w);
      image.rows = FormatRows(*info, h);
      if (!renderTarget) image.data.assign(static_cast<size_t>(image.pitch) * image.rows, 0);
      w = std::max(1u, w / 2);
      h = std::max(1u, h / 2);
    }
  }
  device_->MakeCurrent();
  const GLenum target = glTarget();
  glGenTextures(1, &texture_);
  glActiveTexture(GL_TEXTURE0 + kScratchTextureUnit);
  glBindTexture(target, texture_);
  glTexParameteri(target, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
  glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, info->swizzle);
  // Fresh texels are zero, as video memory of the time read after a clear.
  for (UINT face = 0; face < faces_; ++face) {
    for (UINT level = 0; level < levels; ++level) {
      if (renderTarget) {
        const Image& image = At(face, level);
        glTexImage2D(FaceTarget(face), static_cast<GLint>(level), static_cast<GLint>(info->internalFormat),
                     static_cast<GLsizei>(image.width), static_cast<GLsizei>(image.height), 0, info->uploadFormat,
                     info->uploadType, nullptr);
      } else {
        Upload(face, level);
      }
    }
  }
  glBindTexture(target, 0);
}

BaseTexture::~BaseTexture() {
  for (Image& image : images_)
    if (image.surface) image.surface->DestroyOwned();
  device_->MakeCurrent();
  device_->ForgetGlTexture(texture_);
  glDeleteTextures(1, &texture_);
  NoteObjectDestroyed();
}

GLenum BaseTexture::FaceTarget(UINT face) const {
  return kind_ == TextureKind::Cube ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + face : GL_TEXTURE_2D;
}

BYTE* BaseTexture::ImageData(UINT face, UINT level, UINT* pitch) {
  Image& image = At(face, level);
  *pitch = image.pitch;
  return image.data.empty() ? nullptr : image.data.data();
}

void BaseTexture::MarkImageDirty(UINT face, UINT level) {
  if (IsRenderTarget()) return;
  At(face, level).dirty = true;
  anyDirty_ = true;
}

DWORD BaseTexture::SetPriorityValue(DWORD priority) {
  DWORD old = priority_;
  if (pool_ == D3DPOOL_MANAGED) priority_ = priority;
  return old;
}

DWORD BaseTexture::SetLODValue(DWORD lod) {
  DWORD old = lod_;
  if (pool_ != D3DPOOL_MANAGED) return 0;
  lod_ = std::min<DWORD>(lod, levels_ - 1);
  device_->MakeCurrent();
  glActiveTexture(GL_TEXTURE0 + kScratchTextureUnit);
  glBindTexture(glTarget(), texture_);
  glTexParameteri(glTarget(), GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(lod_));
  glBindTexture(glTarget(), 0);
  return old;
}

void BaseTexture::PreLoadTexture() {
  device_->MakeCurrent();
  BindableTexture();
}

HRESULT BaseTexture::LevelDesc(UINT level, D3DSURFACE_DESC* pDesc) const {
  if (!pDesc || level >= levels_) return D3DERR_INVALIDCALL;
  const Image& image = images_[level];
  pDesc->Format = format_;
  pDesc->Type = D3DRTYPE_SURFACE;
  pDesc->Usage = usage_;
  pDesc->Pool = pool_;
  pDesc->Size = image.pitch * image.rows;
  pDesc->MultiSampleType = D3DMULTISAMPLE_NONE;
  pDesc->Width = image.width;
  pDesc->Height = image.height;
  return D3D_OK;
}

HRESULT BaseTexture::ImageSurface(UINT face, UINT level, IDirect3DSurface8** ppSurface) {
  if (!ppSurface) return D3DERR_INVALIDCALL;
  *ppSurface = nullptr;
  if (face >= faces_ || level >= levels_) return D3DERR_INVALIDCALL;
  Image& image = At(face, level);
  if (!image.surface) image.surface = Surface::CreateTextureLevel(device_, this, face, level);
  AddRefPublic();
  *ppSurface = image.surface;
  return D3D_OK;
}

HRESULT BaseTexture::LockImage(UINT face, UINT level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) {
  if (!pLockedRect || face >= faces_ || level >= levels_) return D3DERR_INVALIDCALL;
  Image& image = At(face, level);
  // Render targets live in video memory only and cannot be locked; an image
  // cannot be locked twice.
  if (IsRenderTarget() || image.locked) return D3DERR_INVALIDCALL;
  size_t offset = 0;
  if (!LockOffset(*info_, image.width, image.height, image.pitch, pRect, &offset)) return D3DERR_INVALIDCALL;
  image.locked = true;
  image.lockFlags = flags;
  pLockedRect->Pitch = static_cast<INT>(image.pitch);
  pLockedRect->pBits = image.data.data() + offset;
  return D3D_OK;
}

HRESULT BaseTexture::UnlockImage(UINT face, UINT level) {
  if (face >= faces_ || level >= levels_ || !At(face, level).locked) return D3DERR_INVALIDCALL;
  Image& image = At(face, level);
  image.locked = false;
  if (!(image.lockFlags & (D3DLOCK_READONLY | D3DLOCK_NO_DIRTY_UPDATE))) MarkImageDirty(face, level);
  return D3D_OK;
}

HRESULT BaseTexture::AddDirtyFace(UINT face) {
  if (face >= faces_) return D3DERR_INVALIDCALL;
  for (UINT level = 0; level < levels_; ++level) MarkImageDirty(face, level);
  return D3D_OK;
}

GLuint BaseTexture::BindableTexture() {
  if (anyDirty_) {
    glActiveTexture(GL_TEXTURE0 + kScratchTextureUnit);
    glBindTexture(glTarget(), texture_);
    anyDirty_ = false;
    for (UINT face = 0; face < faces_; ++face) {
      for (UINT level = 0; level < levels_; ++level) {
        Image& image = At(face, level);
        if (!image.dirty) continue;
        if (image.locked)
          anyDirty_ = true;  // uploaded once it is unlocked
        else
          Upload(face, level);
      }
    }
    glBindTexture(glTarget(), 0);
  }
  return texture_;
}

void BaseTexture::Upload(UINT face, UINT level) {
  Image& image = At(face, level);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  const GLint internal = static_cast<GLint>(info_->internalFormat);
  const GLsizei w = static_cast<GLsizei>(image.width), h = static_cast<GLsizei>(image.height);
  const GLenum target = FaceTarget(face);
  if (info_->compressed) {
    std::vector<BYTE> rgba(static_cast<size_t>(image.width) * image.height * 4);
    DecodeDxt(format_, image.data.data(), image.width, image.height, rgba.data());
    glTexImage2D(target, static_cast<GLint>(level), internal, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  } else {
    glTexImage2D(target, static_cast<GLint>(level), internal, w, h, 0, info_->uploadFormat, info_->uploadType,
                 image.data.data());
  }
  image.dirty = false;
}

BaseTexture* BaseTextureOf(IDirect3DBaseTexture8* texture) {
  if (!texture) return nullptr;
  if (texture->GetType() == D3DRTYPE_CUBETEXTURE)
    return static_cast<CubeTexture*>(static_cast<IDirect3DCubeTexture8*>(texture));
  return static_cast<Texture*>(static_cast<IDirect3DTexture8*>(texture));
}

}  // namespace d3d8
