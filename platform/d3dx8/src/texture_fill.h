// What the texture makers share: reading an image file for a texture,
// choosing the texture's size and format from it, and writing an image into
// the levels of one face of a 2D or cube texture.
#pragma once

#include <d3dx8/d3dx8tex.h>

#include "image/image_decoder.h"

namespace d3dx8 {

UINT RoundUpToPowerOfTwo(UINT v);

// Judges an image file by the size its header declares, before decoding:
// D3DERR_OUTOFVIDEOMEMORY when it holds more texels than the largest texture
// the device can make (larger sides within that are scaled down as usual),
// else D3D_OK (an unreadable header is left to the decoder).
HRESULT CheckImageFitsDevice(IDirect3DDevice8* device, const void* data, UINT size);

// Decodes an image file held in memory; E_OUTOFMEMORY when its texels cannot
// be held.
HRESULT DecodeForTexture(const void* data, UINT size, DecodedImage* decoded);

// The format a texture takes when the caller leaves it to the file: the
// file's own format for DDS files, else 32-bit ARGB (X8R8G8B8 when the image
// carries no alpha).
D3DFORMAT NaturalFormat(const DecodedImage& decoded);

// Hands the caller what the file described and its palette (256 entries,
// for palettised files only); either pointer may be NULL.
void ReportSource(const DecodedImage& decoded, D3DXIMAGE_INFO* info, PALETTEENTRY* palette);

// The levels of one face of a texture.
class FaceLevels {
 public:
  virtual ~FaceLevels() = default;
  virtual UINT Count() = 0;
  virtual HRESULT Desc(UINT level, D3DSURFACE_DESC* desc) = 0;
  virtual HRESULT Lock(UINT level, D3DLOCKED_RECT* locked, DWORD flags) = 0;
  virtual void Unlock(UINT level) = 0;
};

class PlanarLevels final : public FaceLevels {
 public:
  explicit PlanarLevels(IDirect3DTexture8* texture) : texture_(texture) {}
  UINT Count() override { return texture_->GetLevelCount(); }
  HRESULT Desc(UINT level, D3DSURFACE_DESC* desc) override { return texture_->GetLevelDesc(level, desc); }
  HRESULT Lock(UINT level, D3DLOCKED_RECT* locked, DWORD flags) override {
    return texture_->LockRect(level, locked, nullptr, flags);
  }
  void Unlock(UINT level) override { texture_->UnlockRect(level); }

 private:
  IDirect3DTexture8* texture_;
};

class CubeFaceLevels final : public FaceLevels {
 public:
  CubeFaceLevels(IDirect3DCubeTexture8* texture, D3DCUBEMAP_FACES face) : texture_(texture), face_(face) {}
  UINT Count() override { return texture_->GetLevelCount(); }
  HRESULT Desc(UINT level, D3DSURFACE_DESC* desc) override { return texture_->GetLevelDesc(level, desc); }
  HRESULT Lock(UINT level, D3DLOCKED_RECT* locked, DWORD flags) override {
    return texture_->LockRect(face_, level, locked, nullptr, flags);
  }
  void Unlock(UINT level) override { texture_->UnlockRect(face_, level); }

 private:
  IDirect3DCubeTexture8* texture_;
  D3DCUBEMAP_FACES face_;
};

// Copies the levels a block-compressed file stores into the face when they
// are exactly its levels (same format, every level's size); false, with
// nothing written, otherwise.
bool CopyStoredLevels(FaceLevels& face, const DecodedImage& decoded, D3DFORMAT format);

// Writes `top` into `level` (scaled to its size with `filter`) and fills
// every level below from the one above with `mipFilter`.
HRESULT FillLevels(FaceLevels& face, UINT level, ArgbImage top, DWORD filter, DWORD mipFilter);

}  // namespace d3dx8
