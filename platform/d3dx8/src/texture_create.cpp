// Texture creation: parameter correction against the device, creation from
// image files in memory with scaling, colour keying and mip generation, and
// re-filtering of the levels of an existing texture.
#include <d3dx8/d3dx8tex.h>

#include <algorithm>
#include <new>

#include "image/image_filter.h"
#include "image/pixel_format.h"
#include "texture_fill.h"

namespace d3dx8 {
namespace {

constexpr UINT kDefaultTextureSize = 256;

UINT RoundDownToPowerOfTwo(UINT v) {
  UINT p = 1;
  while (p <= v / 2) p <<= 1;
  return p;
}

UINT FullChainLength(UINT width, UINT height) {
  UINT levels = 1;
  for (UINT size = std::max(width, height); size > 1; size /= 2) ++levels;
  return levels;
}

bool IsSignedFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_V8U8:
    case D3DFMT_L6V5U5:
    case D3DFMT_X8L8V8U8:
    case D3DFMT_Q8W8V8U8:
    case D3DFMT_V16U16:
    case D3DFMT_W11V11U10:
    case D3DFMT_A2W10V10U10:
      return true;
    default:
      return false;
  }
}

// Asks the Direct3D object whether the device can make textures of a format.
class FormatChecker {
 public:
  explicit FormatChecker(IDirect3DDevice8* device) {
    if (FAILED(device->GetCreationParameters(&params_)) || FAILED(device->GetDisplayMode(&mode_)) ||
        FAILED(device->GetDirect3D(&d3d_)))
      d3d_ = nullptr;
  }
  ~FormatChecker() {
    if (d3d_) d3d_->Release();
  }
  FormatChecker(const FormatChecker&) = delete;
  FormatChecker& operator=(const FormatChecker&) = delete;

  bool Supports(DWORD usage, D3DFORMAT format) const {
    return d3d_ && SUCCEEDED(d3d_->CheckDeviceFormat(params_.AdapterOrdinal, params_.DeviceType, mode_.Format,
                                                     usage, D3DRTYPE_TEXTURE, format));
  }

 private:
  IDirect3D8* d3d_ = nullptr;
  D3DDEVICE_CREATION_PARAMETERS params_{};
  D3DDISPLAYMODE mode_{};
};

// The requested format when the device supports it, else the first supported
// of a list that keeps the channels the request has (alpha above all) and
// prefers wider channels.
bool ChooseFormat(const FormatChecker& checker, DWORD usage, D3DFORMAT* format) {
  if (*format == D3DFMT_UNKNOWN || *format == static_cast<D3DFORMAT>(D3DX_DEFAULT)) *format = D3DFMT_A8R8G8B8;
  if (checker.Supports(usage, *format)) return true;
  if (IsSignedFormat(*format)) return false;
  static const D3DFORMAT kWithAlpha[] = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_A8R3G3B2};
  static const D3DFORMAT kOpaque[] = {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A8R8G8B8,
                                      D3DFMT_X4R4G4B4};
  const bool alpha = FormatHasAlpha(*format);
  const D3DFORMAT* first = alpha ? std::begin(kWithAlpha) : std::begin(kOpaque);
  const D3DFORMAT* last = alpha ? std::end(kWithAlpha) : std::end(kOpaque);
  for (const D3DFORMAT* f = first; f != last; ++f) {
    if (checker.Supports(usage, *f)) {
      *format = *f;
      return true;
    }
  }
  return false;
}

}  // namespace
}  // namespace d3dx8

extern "C" {

HRESULT D3DXCheckTextureRequirements(IDirect3DDevice8* pDevice, UINT* pWidth, UINT* pHeight,
                                     UINT* pNumMipLevels, DWORD Usage, D3DFORMAT* pFormat, D3DPOOL Pool) {
  (void)Pool;
  if (!pDevice) return D3DERR_INVALIDCALL;
  D3DCAPS8 caps;
  HRESULT hr = pDevice->GetDeviceCaps(&caps);
  if (FAILED(hr)) return hr;

  auto requested = [](const UINT* p) {
    if (!p || *p == D3DX_DEFAULT) return d3dx8::kDefaultTextureSize;
    return *p == 0 ? 1u : *p;
  };
  UINT width = requested(pWidth), height = requested(pHeight);
  const bool powerOfTwo = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
  if (powerOfTwo) {
    width = d3dx8::RoundUpToPowerOfTwo(width);
    height = d3dx8::RoundUpToPowerOfTwo(height);
  }
  if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) width = height = std::max(width, height);
  auto limit = [powerOfTwo](UINT size, DWORD maximum) {
    if (maximum == 0 || size <= maximum) return size;
    return powerOfTwo ? d3dx8::RoundDownToPowerOfTwo(maximum) : UINT(maximum);
  };
  width = limit(width, caps.MaxTextureWidth);
  height = limit(height, caps.MaxTextureHeight);

  const UINT chain = (caps.TextureCaps & D3DPTEXTURECAPS_MIPMAP) ? d3dx8::FullChainLength(width, height) : 1;
  UINT levels = pNumMipLevels ? *pNumMipLevels : chain;
  if (levels == 0 || levels == D3DX_DEFAULT || levels > chain) levels = chain;

  if (pFormat) {
    d3dx8::FormatChecker checker(pDevice);
    D3DFORMAT format = *pFormat;
    if (!d3dx8::ChooseFormat(checker, Usage, &format)) return D3DERR_NOTAVAILABLE;
    *pFormat = format;
  }
  if (pWidth) *pWidth = width;
  if (pHeight) *pHeight = height;
  if (pNumMipLevels) *pNumMipLevels = levels;
  return D3D_OK;
}

HRESULT D3DXCreateTexture(IDirect3DDevice8* pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                          D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture8** ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (!pDevice) return D3DERR_INVALIDCALL;
  HRESULT hr = D3DXCheckTextureRequirements(pDevice, &Width, &Height, &MipLevels, Usage, &Format, Pool);
  if (FAILED(hr)) return hr;
  return pDevice->CreateTexture(Width, Height, MipLevels, Usage, Format, Pool, ppTexture);
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                            UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                            D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                            D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                            PALETTEENTRY* pPalette, IDirect3DTexture8** ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  if (!pDevice || !pSrcData || SrcDataSize == 0) return D3DERR_INVALIDCALL;
  if (!d3dx8::FilterIsValid(Filter) || !d3dx8::FilterIsValid(MipFilter)) return D3DERR_INVALIDCALL;

  HRESULT hr = d3dx8::CheckImageFitsDevice(pDevice, pSrcData, SrcDataSize);
  if (FAILED(hr)) return hr;
  d3dx8::DecodedImage decoded;
  hr = d3dx8::DecodeForTexture(pSrcData, SrcDataSize, &decoded);
  if (FAILED(hr)) return hr;
  d3dx8::ApplyColorKey(&decoded.image, ColorKey);

  UINT width = (Width == 0 || Width == D3DX_DEFAULT) ? d3dx8::RoundUpToPowerOfTwo(decoded.image.width) : Width;
  UINT height = (Height == 0 || Height == D3DX_DEFAULT) ? d3dx8::RoundUpToPowerOfTwo(decoded.image.height) : Height;
  UINT levels = MipLevels;
  D3DFORMAT format = Format == D3DFMT_UNKNOWN ? d3dx8::NaturalFormat(decoded) : Format;
  hr = D3DXCheckTextureRequirements(pDevice, &width, &height, &levels, Usage, &format, Pool);
  if (FAILED(hr)) return hr;
  if (!d3dx8::FormatIsConvertible(format)) return D3DERR_NOTAVAILABLE;

  IDirect3DTexture8* texture = nullptr;
  hr = pDevice->CreateTexture(width, height, levels, Usage, format, Pool, &texture);
  if (FAILED(hr)) return hr;
  d3dx8::PlanarLevels faceLevels(texture);
  // A compressed file that stores every level the texture has is taken as it
  // is; anything else is filtered and converted from the top level.
  if (ColorKey == 0 && d3dx8::CopyStoredLevels(faceLevels, decoded, format))
    hr = D3D_OK;
  else
    hr = d3dx8::FillLevels(faceLevels, 0, std::move(decoded.image), Filter, MipFilter);
  if (FAILED(hr)) {
    texture->Release();
    return hr;
  }

  d3dx8::ReportSource(decoded, pSrcInfo, pPalette);
  *ppTexture = texture;
  return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                          IDirect3DTexture8** ppTexture) {
  return D3DXCreateTextureFromFileInMemoryEx(pDevice, pSrcData, SrcDataSize, D3DX_DEFAULT, D3DX_DEFAULT,
                                             D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT,
                                             D3DX_DEFAULT, 0, nullptr, nullptr, ppTexture);
}

HRESULT D3DXFilterTexture(IDirect3DTexture8* pTexture, const PALETTEENTRY* pPalette, UINT SrcLevel,
                          DWORD Filter) {
  (void)pPalette;  // palettised textures are never created here
  if (!pTexture || !d3dx8::FilterIsValid(Filter)) return D3DERR_INVALIDCALL;
  if (SrcLevel == D3DX_DEFAULT) SrcLevel = 0;
  if (SrcLevel >= pTexture->GetLevelCount()) return D3DERR_INVALIDCALL;
  const DWORD mipFilter = Filter == D3DX_DEFAULT ? D3DX_FILTER_BOX : Filter;

  D3DSURFACE_DESC desc;
  HRESULT hr = pTexture->GetLevelDesc(SrcLevel, &desc);
  if (FAILED(hr)) return hr;
  if (!d3dx8::FormatIsConvertible(desc.Format)) return D3DERR_NOTAVAILABLE;
  D3DLOCKED_RECT locked;
  hr = pTexture->LockRect(SrcLevel, &locked, nullptr, D3DLOCK_READONLY);
  if (FAILED(hr)) return hr;
  d3dx8::ArgbImage source;
  try {
    d3dx8::ReadImageFromSurface(static_cast<const uint8_t*>(locked.pBits), locked.Pitch, desc.Format, desc.Width,
                                desc.Height, &source);
  } catch (const std::bad_alloc&) {
    hr = E_OUTOFMEMORY;
  }
  pTexture->UnlockRect(SrcLevel);
  if (FAILED(hr) || SrcLevel + 1 >= pTexture->GetLevelCount()) return hr;
  // Levels below the source are made from it; the source itself stays.
  d3dx8::PlanarLevels levels(pTexture);
  try {
    return d3dx8::FillLevels(levels, SrcLevel + 1, d3dx8::NextMipLevel(source, mipFilter), mipFilter, mipFilter);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

}  // extern "C"
