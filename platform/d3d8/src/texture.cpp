#include "texture.h"

#include <algorithm>
#include <cstring>

#include "device.h"
#include "query_interface.h"
#include "surface.h"

namespace d3d8 {

Texture* Texture::Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool, HRESULT* hr) {
  const FormatInfo* info = GetFormatInfo(format);
  *hr = D3DERR_INVALIDCALL;
  if (width == 0 || height == 0 || width > kMaxTextureSize || height > kMaxTextureSize) return nullptr;
  if (!info || !info->texture) return nullptr;
  if (pool > D3DPOOL_SYSTEMMEM) return nullptr;
  if (usage & D3DUSAGE_DEPTHSTENCIL) return nullptr;
  if (usage & D3DUSAGE_RENDERTARGET) {
    if (pool != D3DPOOL_DEFAULT || !info->renderTarget) return nullptr;
  }
  if ((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED) return nullptr;
  UINT fullChain = 1;
  for (UINT w = width, h = height; w > 1 || h > 1; w = std::max(1u, w / 2), h = std::max(1u, h / 2)) ++fullChain;
  if (levels == 0 || levels > fullChain) levels = fullChain;
  *hr = D3D_OK;
  return new Texture(device, width, height, levels, usage, format, pool, info);
}

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                 const FormatInfo* info)
    : DeviceChild(device, true), format_(format), usage_(usage), pool_(pool), info_(info), levels_(levels) {
  NoteObjectCreated();
  const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
  UINT w = width, h = height;
  for (UINT i = 0; i < levels; ++i) {
    Level& l = levels_[i];
    l.width = w;
    l.height = h;
    l.pitch = FormatPitch(*info, w);
    l.rows = FormatRows(*info, h);
    if (!renderTarget) l.data.assign(static_cast<size_t>(l.pitch) * l.rows, 0);
    w = std::max(1u, w / 2);
    h = std::max(1u, h / 2);
  }
  device_->MakeCurrent();
  glGenTextures(1, &texture_);
  glActiveTexture(GL_TEXTURE0 + kScratchTextureUnit);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
  glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, info->swizzle);
  for (UINT i = 0; i < levels; ++i) {
    // Fresh texels are zero, as video memory of the time read after a clear.
    if (renderTarget) {
      glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(i), static_cast<GLint>(info->internalFormat),
                   static_cast<GLsizei>(levels_[i].width), static_cast<GLsizei>(levels_[i].height), 0,
                   info->uploadFormat, info->uploadType, nullptr);
    } else {
      UploadLevel(i);
    }
  }
  glBindTexture(GL_TEXTURE_2D, 0);
}

Texture::~Texture() {
  for (Level& l : levels_)
    if (l.surface) l.surface->DestroyOwned();
  device_->MakeCurrent();
  device_->ForgetGlTexture(texture_);
  glDeleteTextures(1, &texture_);
  NoteObjectDestroyed();
}

HRESULT Texture::QueryInterface(REFIID riid, void** ppvObj) {
  return QueryInterfaceOf<IDirect3DTexture8>(this, riid, ppvObj, {IID_IDirect3DResource8, IID_IDirect3DBaseTexture8, IID_IDirect3DTexture8});
}

HRESULT Texture::GetDevice(IDirect3DDevice8** ppDevice) { return HandOutDevice(ppDevice); }

DWORD Texture::SetPriority(DWORD priority) {
  DWORD old = priority_;
  if (pool_ == D3DPOOL_MANAGED) priority_ = priority;
  return old;
}

void Texture::PreLoad() {
  device_->MakeCurrent();
  BindableTexture();
}

DWORD Texture::SetLOD(DWORD lod) {
  DWORD old = lod_;
  if (pool_ != D3DPOOL_MANAGED) return 0;
  lod_ = std::min<DWORD>(lod, static_cast<DWORD>(levels_.size() - 1));
  device_->MakeCurrent();
  glActiveTexture(GL_TEXTURE0 + kScratchTextureUnit);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, static_cast<GLint>(lod_));
  glBindTexture(GL_TEXTURE_2D, 0);
  return old;
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* pDesc) {
  if (!pDesc || level >= levels_.size()) return D3DERR_INVALIDCALL;
  const Level& l = levels_[level];
  pDesc->Format = format_;
  pDesc->Type = D3DRTYPE_SURFACE;
  pDesc->Usage = usage_;
  pDesc->Pool = pool_;
  pDesc->Size = l.pitch * l.rows;
  pDesc->MultiSampleType = D3DMULTISAMPLE_NONE;
  pDesc->Width = l.width;
  pDesc->Height = l.height;
  return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface8** ppSurfaceLevel) {
  if (!ppSurfaceLevel) return D3DERR_INVALIDCALL;
  *ppSurfaceLevel = nullptr;
  if (level >= levels_.size()) return D3DERR_INVALIDCALL;
  Level& l = levels_[level];
  if (!l.surface) l.surface = Surface::CreateTextureLevel(device_, this, level);
  AddRef();
  *ppSurfaceLevel = l.surface;
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD flags) {
  if (!pLockedRect || level >= levels_.size()) return D3DERR_INVALIDCALL;
  Level& l = levels_[level];
  // Render targets live in video memory only and cannot be locked; a level
  // cannot be locked twice.
  if ((usage_ & D3DUSAGE_RENDERTARGET) || l.locked) return D3DERR_INVALIDCALL;
  size_t offset = 0;
  if (pRect) {
    if (pRect->left < 0 || pRect->top < 0 || pRect->right > static_cast<LONG>(l.width) ||
        pRect->bottom > static_cast<LONG>(l.height) || pRect->left >= pRect->right || pRect->top >= pRect->bottom)
      return D3DERR_INVALIDCALL;
    if (info_->compressed) {
      if ((pRect->left | pRect->top) & 3) return D3DERR_INVALIDCALL;
      offset = static_cast<size_t>(pRect->top / 4) * l.pitch + static_cast<size_t>(pRect->left / 4) * info_->bytesPerBlock;
    } else {
      offset = static_cast<size_t>(pRect->top) * l.pitch + static_cast<size_t>(pRect->left) * info_->bytesPerBlock;
    }
  }
  l.locked = true;
  l.lockFlags = flags;
  pLockedRect->Pitch = static_cast<INT>(l.pitch);
  pLockedRect->pBits = l.data.data() + offset;
  return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level) {
  if (level >= levels_.size() || !levels_[level].locked) return D3DERR_INVALIDCALL;
  Level& l = levels_[level];
  l.locked = false;
  if (!(l.lockFlags & (D3DLOCK_READONLY | D3DLOCK_NO_DIRTY_UPDATE))) {
    l.dirty = true;
    anyDirty_ = true;
  }
  return D3D_OK;
}

HRESULT Texture::AddDirtyRect(const RECT*) {
  if (usage_ & D3DUSAGE_RENDERTARGET) return D3D_OK;
  for (Level& l : levels_) l.dirty = true;
  anyDirty_ = true;
  return D3D_OK;
}

GLuint Texture::BindableTexture() {
  if (anyDirty_) {
    glActiveTexture(GL_TEXTURE0 + kScratchTextureUnit);
    glBindTexture(GL_TEXTURE_2D, texture_);
    for (UINT i = 0; i < levels_.size(); ++i)
      if (levels_[i].dirty && !levels_[i].locked) UploadLevel(i);
    glBindTexture(GL_TEXTURE_2D, 0);
    anyDirty_ = false;
    for (const Level& l : levels_)
      if (l.dirty) anyDirty_ = true;
  }
  return texture_;
}

// Expects the texture bound on the scratch unit.
void Texture::UploadLevel(UINT level) {
  Level& l = levels_[level];
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  const GLint internal = static_cast<GLint>(info_->internalFormat);
  const GLsizei w = static_cast<GLsizei>(l.width), h = static_cast<GLsizei>(l.height);
  if (info_->compressed) {
    std::vector<BYTE> rgba(static_cast<size_t>(l.width) * l.height * 4);
    DecodeDxt(format_, l.data.data(), l.width, l.height, rgba.data());
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), internal, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  } else {
    glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), internal, w, h, 0, info_->uploadFormat, info_->uploadType,
                 l.data.data());
  }
  l.dirty = false;
}

}  // namespace d3d8
