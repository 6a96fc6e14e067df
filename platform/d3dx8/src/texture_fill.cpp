#include "texture_fill.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "image/image_filter.h"
#include "image/pixel_format.h"

namespace d3dx8 {
namespace {

HRESULT WriteLevel(FaceLevels& face, UINT level, const ArgbImage& image, D3DFORMAT format) {
  D3DLOCKED_RECT locked;
  HRESULT hr = face.Lock(level, &locked, 0);
  if (FAILED(hr)) return hr;
  const bool written = WriteImageToSurface(image, format, static_cast<uint8_t*>(locked.pBits), locked.Pitch);
  face.Unlock(level);
  return written ? D3D_OK : D3DERR_NOTAVAILABLE;
}

}  // namespace

UINT RoundUpToPowerOfTwo(UINT v) {
  UINT p = 1;
  while (p < v && p < 0x80000000u) p <<= 1;
  return p;
}

HRESULT CheckImageFitsDevice(IDirect3DDevice8* device, const void* data, UINT size) {
  uint32_t width = 0, height = 0;
  if (!device || !ReadImageDimensions(data, size, &width, &height)) return D3D_OK;
  D3DCAPS8 caps;
  if (FAILED(device->GetDeviceCaps(&caps)) || caps.MaxTextureWidth == 0 || caps.MaxTextureHeight == 0) return D3D_OK;
  const uint64_t largest = uint64_t(caps.MaxTextureWidth) * caps.MaxTextureHeight;
  return uint64_t(width) * height > largest ? D3DERR_OUTOFVIDEOMEMORY : D3D_OK;
}

HRESULT DecodeForTexture(const void* data, UINT size, DecodedImage* decoded) {
  try {
    return DecodeImageFile(data, size, decoded);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

D3DFORMAT NaturalFormat(const DecodedImage& decoded) {
  if (decoded.info.ImageFileFormat == D3DXIFF_DDS && decoded.info.Format != D3DFMT_R8G8B8) return decoded.info.Format;
  return decoded.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

void ReportSource(const DecodedImage& decoded, D3DXIMAGE_INFO* info, PALETTEENTRY* palette) {
  if (info) *info = decoded.info;
  if (palette && !decoded.palette.empty()) std::copy(decoded.palette.begin(), decoded.palette.end(), palette);
}

bool CopyStoredLevels(FaceLevels& face, const DecodedImage& decoded, D3DFORMAT format) {
  const UINT levels = face.Count();
  if (format != decoded.info.Format || decoded.storedLevels.size() < levels) return false;
  for (UINT i = 0; i < levels; ++i) {
    D3DSURFACE_DESC desc;
    if (FAILED(face.Desc(i, &desc)) || desc.Format != format || desc.Width != decoded.storedLevels[i].width ||
        desc.Height != decoded.storedLevels[i].height)
      return false;
  }
  for (UINT i = 0; i < levels; ++i) {
    const DecodedImage::StoredLevel& stored = decoded.storedLevels[i];
    const uint64_t blockRows = (uint64_t(stored.height) + 3) / 4;
    const uint64_t rowBytes = stored.bytes / blockRows;
    D3DLOCKED_RECT locked;
    if (FAILED(face.Lock(i, &locked, 0))) return false;
    if (locked.Pitch < 0 || uint64_t(locked.Pitch) < rowBytes) {
      face.Unlock(i);
      return false;
    }
    for (uint64_t row = 0; row < blockRows; ++row)
      std::memcpy(static_cast<uint8_t*>(locked.pBits) + row * locked.Pitch, stored.blocks + row * rowBytes, rowBytes);
    face.Unlock(i);
  }
  return true;
}

HRESULT FillLevels(FaceLevels& face, UINT level, ArgbImage top, DWORD filter, DWORD mipFilter) {
  try {
    const UINT levels = face.Count();
    ArgbImage current = std::move(top);
    for (UINT i = level; i < levels; ++i) {
      D3DSURFACE_DESC desc;
      HRESULT hr = face.Desc(i, &desc);
      if (FAILED(hr)) return hr;
      if (i > level) current = NextMipLevel(current, mipFilter);
      if (current.width != desc.Width || current.height != desc.Height)
        current = ScaleImage(current, desc.Width, desc.Height, i == level ? filter : mipFilter);
      hr = WriteLevel(face, i, current, desc.Format);
      if (FAILED(hr)) return hr;
    }
    return D3D_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace d3dx8
