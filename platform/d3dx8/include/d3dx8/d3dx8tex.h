// Texture creation from image files in memory, mip-level filtering and the
// texture-parameter check of the extension library.
#pragma once

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8core.h>
#include <win32/types.h>

// One entry of a 256-colour palette (the GDI record; peFlags carries alpha).
#ifndef KELVANE_PALETTEENTRY_DEFINED
#define KELVANE_PALETTEENTRY_DEFINED
struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};
#endif

// Filters for D3DXCreateTextureFromFileInMemoryEx and D3DXFilterTexture: one of
// the kinds in the low byte, optionally combined with the flags above it.
#define D3DX_FILTER_NONE (1 << 0)      // no scaling; texels outside the source are transparent black
#define D3DX_FILTER_POINT (2 << 0)     // nearest source texel
#define D3DX_FILTER_LINEAR (3 << 0)    // bilinear blend of the four nearest source texels
#define D3DX_FILTER_TRIANGLE (4 << 0)  // every source texel weighted by the area it covers
#define D3DX_FILTER_BOX (5 << 0)       // average of the source texels under the target texel (2x2 for a mip level)
#define D3DX_FILTER_MIRROR_U (1 << 16)
#define D3DX_FILTER_MIRROR_V (2 << 16)
#define D3DX_FILTER_MIRROR_W (4 << 16)
#define D3DX_FILTER_MIRROR (7 << 16)
#define D3DX_FILTER_DITHER (8 << 16)

enum D3DXIMAGE_FILEFORMAT {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
  D3DXIFF_FORCE_DWORD = 0x7fffffff
};

// What an image file holds: its size, stored mip levels, the pixel format of
// its data and what kind of resource it describes.
struct D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;
  D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

extern "C" {

// Corrects texture parameters to what the device can create: width and height
// (D3DX_DEFAULT: 256; 0: 1) rounded up to powers of two where the device needs
// them, made square where it needs that and limited to its maximum size; the
// mip-level count (0 or D3DX_DEFAULT: the full chain) limited to the chain of
// that size; the format (D3DFMT_UNKNOWN: A8R8G8B8) replaced by the closest one
// the device supports. Any pointer may be NULL.
HRESULT D3DXCheckTextureRequirements(IDirect3DDevice8* pDevice, UINT* pWidth, UINT* pHeight,
                                     UINT* pNumMipLevels, DWORD Usage, D3DFORMAT* pFormat, D3DPOOL Pool);

// A texture with the corrected parameters of D3DXCheckTextureRequirements.
HRESULT D3DXCreateTexture(IDirect3DDevice8* pDevice, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                          D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture8** ppTexture);

// A texture made from a BMP, JPEG, PNG, TGA or DDS file held in memory. Width
// and height 0 or D3DX_DEFAULT take the image's size rounded up to powers of
// two; MipLevels 0 or D3DX_DEFAULT make the full chain; Format D3DFMT_UNKNOWN
// keeps the file's format (24-bit images become X8R8G8B8). The image is scaled
// to the texture with Filter (D3DX_DEFAULT: triangle) and each further level is
// made from the one above with MipFilter (D3DX_DEFAULT: box). Texels equal to a
// non-zero ColorKey (32-bit ARGB, alpha included) become transparent black.
// pSrcInfo and pPalette (256 entries, filled for palettised images) may be
// NULL. Unreadable data gives D3DXERR_INVALIDDATA.
HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice8* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                            UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                                            D3DFORMAT Format, D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                            D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                            PALETTEENTRY* pPalette, IDirect3DTexture8** ppTexture);

// As the Ex form with every parameter at its default and the managed pool.
HRESULT D3DXCreateTextureFromFileInMemory(IDirect3DDevice8* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                          IDirect3DTexture8** ppTexture);

// Rebuilds every level below SrcLevel (D3DX_DEFAULT: 0) from the level above
// it with Filter (D3DX_DEFAULT: box).
HRESULT D3DXFilterTexture(IDirect3DTexture8* pTexture, const PALETTEENTRY* pPalette, UINT SrcLevel,
                          DWORD Filter);

// Cube textures: as D3DXCheckTextureRequirements for a square of edge *pSize,
// and D3DERR_NOTAVAILABLE when the device has no cube textures (a single
// level when it has no mipmapped ones).
HRESULT D3DXCheckCubeTextureRequirements(IDirect3DDevice8* pDevice, UINT* pSize, UINT* pNumMipLevels, DWORD Usage,
                                         D3DFORMAT* pFormat, D3DPOOL Pool);

HRESULT D3DXCreateCubeTexture(IDirect3DDevice8* pDevice, UINT Size, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                              D3DPOOL Pool, IDirect3DCubeTexture8** ppCubeTexture);

// A cube texture made from a file in memory. A DDS cube map gives each face
// its own image (faces the file leaves out are transparent black); any other
// image, 2D DDS files included, is put on all six faces. Size 0 or
// D3DX_DEFAULT takes the image's width rounded up to a power of two; the
// other parameters, the colour key and the filters act as for
// D3DXCreateTextureFromFileInMemoryEx, face by face.
HRESULT D3DXCreateCubeTextureFromFileInMemoryEx(IDirect3DDevice8* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                                UINT Size, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                                D3DPOOL Pool, DWORD Filter, DWORD MipFilter, D3DCOLOR ColorKey,
                                                D3DXIMAGE_INFO* pSrcInfo, PALETTEENTRY* pPalette,
                                                IDirect3DCubeTexture8** ppCubeTexture);

// As the Ex form with every parameter at its default and the managed pool.
HRESULT D3DXCreateCubeTextureFromFileInMemory(IDirect3DDevice8* pDevice, LPCVOID pSrcData, UINT SrcDataSize,
                                              IDirect3DCubeTexture8** ppCubeTexture);

}  // extern "C"
