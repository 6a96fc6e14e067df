// The texture channel: making the Direct3D texture from image-file bytes,
// keeping the bytes, and the copies made from them.
#include "texture/vel_dx8_texture.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "file_loader.h"
#include "groupbuffer/group_buffer_channel.h"
#include "vel_child_access.h"
#include "vel_type_guids.h"

#include <d3dx8/d3dx8tex.h>

#include <memory>
#include <new>

HRESULT Vel_DX8_Texture::CreateFromBytes(IDirect3DDevice8* device, const char* bytes, int size, D3DFORMAT format,
                                         D3DPOOL pool, IDirect3DTexture8** out) {
  if (size <= 0) return D3DXERR_INVALIDDATA;
  // A size or level count below 1 asks for the image's own size and the full chain.
  UINT width = desiredWidth_ > 0 ? static_cast<UINT>(desiredWidth_) : D3DX_DEFAULT;
  UINT height = desiredHeight_ > 0 ? static_cast<UINT>(desiredHeight_) : D3DX_DEFAULT;
  UINT levels = mipLevels_ > 0 ? static_cast<UINT>(mipLevels_) : 0;
  return D3DXCreateTextureFromFileInMemoryEx(device, bytes, static_cast<UINT>(size), width, height, levels, 0, format,
                                             pool, D3DX_FILTER_BOX, D3DX_FILTER_BOX, 0, nullptr, nullptr, out ? out : &texture_);
}

bool Vel_DX8_Texture::LoadTextureFromMemory(const char* bytes, int size) {
  auto error = [this](const char* text) {
    if (engine) engine->errorFunctor(text);
  };
  lastOutcome_ = LoadOutcome::kNoDevice;
  if (!bytes) {
    lastOutcome_ = LoadOutcome::kFailed;
    error("buffer==NULL");
    return false;
  }
  if (!directGraphics_) {
    error("directGraphics_==NULL");
    return false;
  }
  IDirect3DDevice8* device = directGraphics_->GetDirect3dDevice();
  if (!device) {
    error("directGraphics_->GetDirect3dDevice()==NULL");
    return false;
  }
  Release();
  D3DFORMAT format = hasAlpha_ || forceARGB_ || isNormalMap_ ? D3DFMT_A8R8G8B8 : D3DFMT_UNKNOWN;
  // A lost device makes nothing; the next bind tries again.
  if (device->TestCooperativeLevel() != D3D_OK) {
    lastOutcome_ = LoadOutcome::kDeviceLost;
    return false;
  }
  D3DPOOL pool = D3DPOOL_MANAGED;
  if (forceARGB_) {
    pool = D3DPOOL_SYSTEMMEM;
  } else if (useCompression_) {
    D3DDISPLAYMODE mode;
    IDirect3D8* d3d = directGraphics_->GetDirect3d();
    if (d3d && SUCCEEDED(device->GetDisplayMode(&mode)) &&
        d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, mode.Format, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT5) == D3D_OK &&
        CreateFromBytes(device, bytes, size, D3DFMT_DXT5, D3DPOOL_MANAGED) == D3D_OK) {
      lastOutcome_ = LoadOutcome::kMade;
      return true;
    }
    format = D3DFMT_UNKNOWN;
  }
  HRESULT result = CreateFromBytes(device, bytes, size, format, pool);
  if (result == D3D_OK) {
    lastOutcome_ = LoadOutcome::kMade;
    reportedShortage_ = D3D_OK;
    return true;
  }
  if (result == E_OUTOFMEMORY || result == D3DERR_OUTOFVIDEOMEMORY) {
    lastOutcome_ = LoadOutcome::kShortOfMemory;
    // Retried once a second until memory is found: reported at the first try.
    if (result == reportedShortage_) return false;
    reportedShortage_ = result;
  } else {
    lastOutcome_ = LoadOutcome::kFailed;
  }
  switch (result) {
    case E_OUTOFMEMORY: error("E_OUTOFMEMORY"); break;
    case D3DERR_OUTOFVIDEOMEMORY:
      // Also an image declaring more texels than the device's largest texture,
      // refused before it is decoded.
      error("D3DERR_OUTOFVIDEOMEMORY");
      break;
    case D3DERR_NOTAVAILABLE: error("Device does not support method"); break;
    case D3DERR_INVALIDCALL: error("D3DERR_INVALIDCALL"); break;
    case D3DXERR_INVALIDDATA: error("D3DXERR_INVALIDDATA"); break;
    default: break;
  }
  error("Vel_DX8_Texture::LoadTextureFromMemory Error loading texture!");
  if (engine && GetChannelName()) engine->errorFunctor("Texture : ", GetChannelName());
  return false;
}

bool Vel_DX8_Texture::KeepBytes(const char* bytes, int size) {
  if (!bytes || size < 1) return false;
  try {
    std::vector<char> copy(bytes, bytes + size);
    imageBytes_.swap(copy);
  } catch (const std::bad_alloc&) {
    if (engine) engine->errorFunctor("Vel_DX8_Texture: not enough memory for the image of", GetChannelName());
    return false;
  }
  TryAgainNow();
  return true;
}

bool Vel_DX8_Texture::MakeFromKeptBytes() {
  if (LoadTextureFromMemory(GetTextureBuffer(), GetBufferSize())) {
    shortOfMemoryAt_ = 0;
    return true;
  }
  if (lastOutcome_ == LoadOutcome::kFailed) bytesFailed_ = true;
  if (lastOutcome_ == LoadOutcome::kShortOfMemory) shortOfMemoryAt_ = retryClock() | 1;
  return false;
}

void Vel_DX8_Texture::RestoreTexture() {
  if (imageBytes_.empty()) return;
  // Without a device there is nothing to make yet, bytes that failed are
  // not tried again until they or the device change, and memory that was
  // short is asked for again only once a second: meanwhile the bind draws
  // untextured without a message.
  if (bytesFailed_ || WaitingForMemory() || !directGraphics_ || !directGraphics_->GetDirect3dDevice()) return;
  if (MakeFromKeptBytes()) alphaRefresh_ = true;
  if (isNormalMap_) CreateNormalMap();
}

bool Vel_DX8_Texture::LoadTextureFromFile(const char* path) {
  OrnFileLoader loader(engine);
  if (!path || !loader.LoadFile(path)) {
    if (engine) {
      engine->errorFunctor("Vel_DX8_Texture::LoadTextureFromFile Couldn't load texture file");
      engine->errorFunctor(path ? path : "");
    }
    return false;
  }
  if (texture_) {
    texture_->Release();
    texture_ = nullptr;
    normalMapType_ = 0;
  }
  if (normalMap_) normalMap_->Release();
  normalMap_ = nullptr;
  int size = loader.GetBufferSize();
  if (size < kMinImageSize || !KeepBytes(loader.GetBuffer(), size)) return false;
  if (!MakeFromKeptBytes()) {
    if (engine) engine->errorFunctor("LoadTextureFromFile : failed to load : ", path);
    return false;
  }
  Register();
  SetTimeStamp();
  return true;
}

bool Vel_DX8_Texture::LoadTextureFromMemoryAndCopyBuffer(const char* bytes, int size) {
  if (!bytes || size < 1 || !KeepBytes(bytes, size)) return false;
  return MakeFromKeptBytes();
}

bool Vel_DX8_Texture::CopyOurselvesIntoTexture(Vel_DX8_Texture* target, bool copyBuffer) {
  if (!target) return false;
  // KeepBytes copies before it lets go of the old bytes, so the target may be
  // this texture itself.
  const char* bytes = GetTextureBuffer();
  int size = GetBufferSize();
  return copyBuffer ? target->LoadTextureFromMemoryAndCopyBuffer(bytes, size) : target->LoadTextureFromMemory(bytes, size);
}

Vel_DX8_Texture* Vel_DX8_Texture::CreateTumbNailTexture(int width, int height) {
  if (thumbnail_ && (thumbnail_->GetDesiredWidth() != width || thumbnail_->GetDesiredHeight() != height))
    thumbnail_.reset();
  if (thumbnail_) return thumbnail_.get();
  Vel_DX8_Texture* thumbnail = MakeHelperTexture();
  if (!thumbnail) return nullptr;
  thumbnail->SetForceARGB(true);
  thumbnail->SetDesiredWidth(width);
  thumbnail->SetDesiredHeight(height);
  thumbnail->SetMipMapLevels(1);
  if (!imageBytes_.empty()) thumbnail->LoadTextureFromMemory(imageBytes_.data(), GetBufferSize());
  thumbnail_.reset(thumbnail);
  return thumbnail;
}

void Vel_DX8_Texture::CheckGroupBuffer() {
  GroupBufferChannel* buffer = CurrentBindLinks().groupBuffer;
  if (!buffer) return;
  DWORD stamp = static_cast<DWORD>(buffer->GetTimeStamp());
  if (stamp == groupBufferStamp_) return;
  groupBufferStamp_ = stamp;
  const char* data = buffer->GetData();
  int size = buffer->GetDataSize();
  if (data && size > 0) {
    if (KeepBytes(data, size)) RestoreTexture();
  } else {
    // An emptied buffer leaves the texture as it is and the record without an image.
    std::vector<char>().swap(imageBytes_);
  }
}

D3DSURFACE_DESC Vel_DX8_Texture::GetTextureDescription(int level) {
  if (!texture_) RestoreTexture();
  D3DSURFACE_DESC desc{};
  if (texture_ && level >= 0 && texture_->GetLevelDesc(static_cast<UINT>(level), &desc) == D3D_OK) return desc;
  desc = D3DSURFACE_DESC{};
  desc.Width = desc.Height = 0xFFFFFFFFu;
  return desc;
}

HRESULT Vel_DX8_Texture::LockTexture(int level, D3DLOCKED_RECT& rect) {
  if (!texture_ || level < 0) return D3DERR_INVALIDCALL;
  return texture_->LockRect(static_cast<UINT>(level), &rect, nullptr, 0);
}

void Vel_DX8_Texture::UnlockTexture(int level) {
  if (texture_ && level >= 0) texture_->UnlockRect(static_cast<UINT>(level));
}
