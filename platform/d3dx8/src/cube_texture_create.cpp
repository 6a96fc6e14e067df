// Cube textures of the extension library: the parameter check, empty cube
// textures, and cube textures made from image files in memory.
#include <d3dx8/d3dx8tex.h>

#include <algorithm>
#include <new>

#include "image/image_filter.h"
#include "image/pixel_format.h"
#include "texture_fill.h"

extern "C" {

HRESULT D3DXCheckCubeTextureRequirements(IDirect3DDevice8* pDevice, UINT* pSize, UINT* pNumMipLevels, DWORD Usage,
                                         D3DFORMAT* pFormat, D3DPOOL Pool) {
  if (!pDevice) return D3DERR_INVALIDCALL;
  D3DCAPS8 caps;
  HRESULT hr = pDevice->GetDeviceCaps(&caps);
  if (FAILED(hr)) return hr;
  if (!(caps.TextureCaps & D3DPTEXTURECAPS_CUBEMAP)) return D3DERR_NOTAVAILABLE;
  UINT width = pSize ? *pSize : D3DX_DEFAULT, height = width;
  UINT levels = pNumMipLevels ? *pNumMipLevels : D3DX_DEFAULT;
  if (!(caps.TextureCaps & D3DPTEXTURECAPS_MIPCUBEMAP)) levels = 1;
  hr = D3DXCheckTextureRequirements(pDevice, &width, &height, &levels, Usage, pFormat, Pool);
  if (FAILED(hr)) return hr;
  // A square stays square unless the device's limits differ by direction.
  if (pSize) *pSize = std::min(width, height);
  if (pNumMipLevels) *pNumMipLevels = levels;
  return D3D_OK;
}

HRESULT D3DXCreateCubeTexture(IDirect3DDevice8* pDevice, UINT Size, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                              D3DPOOL Pool, IDirect3DCubeTexture8** ppCubeTexture) {
  if (!ppCubeTexture) return D3DERR_INVALIDCALL;
  *ppCubeTexture = nullptr;
  if (!pDevice) return D3DERR_INVALIDCALL;
  HRESULT hr = D3DXCheckCubeTextureRequirements(pDevice, &Size, &MipLevels, Usage, &Format, Pool);
  if (FAILED(hr)) return hr;
  return pDevice->CreateCubeTexture(Size, MipLevels, Usage, Format, Pool, ppCubeTexture);
}

HRESULT D3DXCreateCubeTextureFromFileInMemoryEx(IDirect3DDevice8* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                UINT Size, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                                D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                                D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                                IDirect3DCubeTexture8** ppCubeTexture) {
  if (!ppCubeTexture) return D3DERR_INVALIDCALL;
  *ppCubeTexture = nullptr;
  if (!pDevice || !pSrcData || SrcDataSize == 0) return D3DERR_INVALIDCALL;
  if (!d3dx8::FilterIsValid(Filter) || !d3dx8::FilterIsValid(MipFilter)) return D3DERR_INVALIDCALL;

  HRESULT hr = d3dx8::CheckImageFitsDevice(pDevice, pSrcData, SrcDataSize);
  if (FAILED(hr)) return hr;
  d3dx8::DecodedImage decoded;
  hr = d3dx8::DecodeForTexture(pSrcData, SrcDataSize, &decoded);
  if (FAILED(hr)) return hr;
  UINT size = (Size == 0 || Size == D3DX_DEFAULT) ? d3dx8::RoundUpToPowerOfTwo(decoded.image.width) : Size;
  UINT levels = MipLevels;
  D3DFORMAT format = Format == D3DFMT_UNKNOWN ? d3dx8::NaturalFormat(decoded) : Format;
  hr = D3DXCheckCubeTextureRequirements(pDevice, &size, &levels, Usage, &format, Pool);
  if (FAILED(hr)) return hr;
  if (!d3dx8::FormatIsConvertible(format)) return D3DERR_NOTAVAILABLE;

  IDirect3DCubeTexture8* cube = nullptr;
  hr = pDevice->CreateCubeTexture(size, levels, Usage, format, Pool, &cube);
  if (FAILED(hr)) return hr;
  const bool cubeFile = decoded.faces.size() == 6;
  for (UINT face = 0; face < 6 && SUCCEEDED(hr); ++face) {
    d3dx8::ArgbImage image;
    try {
      if (!cubeFile)
        image = decoded.image;
      else if (decoded.faces[face].width > 0)
        image = std::move(decoded.faces[face]);
      else
        image = d3dx8::ArgbImage(decoded.image.width, decoded.image.height, 0);
    } catch (const std::bad_alloc&) {
      hr = E_OUTOFMEMORY;
      break;
    }
    d3dx8::ApplyColorKey(&image, ColorKey);
    d3dx8::CubeFaceLevels faceLevels(cube, static_cast<D3DCUBEMAP_FACES>(face));
    hr = d3dx8::FillLevels(faceLevels, 0, std::move(image), Filter, MipFilter);
  }
  if (FAILED(hr)) {
    cube->Release();
    return hr;
  }

  d3dx8::ReportSource(decoded, pSrcInfo, pPalette);
  *ppCubeTexture = cube;
  return D3D_OK;
}

HRESULT D3DXCreateCubeTextureFromFileInMemory(IDirect3DDevice8* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                              IDirect3DCubeTexture8** ppCubeTexture) {
  return D3DXCreateCubeTextureFromFileInMemoryEx(pDevice, pSrcData, SrcDataSize, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                 D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                                 nullptr, nullptr, ppCubeTexture);
}

}  // extern "C"
