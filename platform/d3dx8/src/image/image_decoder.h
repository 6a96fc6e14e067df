// Decoding of image files held in memory (BMP, JPEG, PNG, TGA, DDS) into ARGB
// images. Decoders bound every read by the data size and refuse images larger
// than the limits below, so damaged or hostile bytes give D3DXERR_INVALIDDATA
// and never a crash or a huge allocation.
#pragma once

#include <d3dx8/d3dx8tex.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "argb_image.h"

namespace d3dx8 {

// Largest width or height accepted, and largest number of texels.
constexpr UINT kMaxImageDimension = 16384;
constexpr uint64_t kMaxImageTexels = uint64_t(1) << 25;

inline bool ImageSizeAcceptable(uint64_t width, uint64_t height) {
  return width > 0 && height > 0 && width <= kMaxImageDimension && height <= kMaxImageDimension &&
         width * height <= kMaxImageTexels;
}

struct DecodedImage {
  ArgbImage image;               // the top level, converted to ARGB (of the first face of a cube map)
  // Cube maps (DDS): the top level of each face in D3DCUBEMAP_FACES order;
  // a face the file leaves out is empty (width 0).
  std::vector<ArgbImage> faces;
  D3DXIMAGE_INFO info{};         // what the file describes
  bool hasAlpha = false;         // the file carries alpha (or transparency)
  std::vector<PALETTEENTRY> palette;  // 256 entries for palettised files, else empty
  // Block-compressed DDS files: the levels the file stores, from the top,
  // each whole inside the file's bytes (which they point into).
  struct StoredLevel {
    const uint8_t* blocks;
    uint64_t bytes;
    UINT width, height;
  };
  std::vector<StoredLevel> storedLevels;
};

// Recognises the file type by its content and decodes it. D3DXERR_INVALIDDATA
// for anything unreadable; E_OUTOFMEMORY when the texels cannot be allocated.
HRESULT DecodeImageFile(const void* data, size_t size, DecodedImage* out);

// The width and height the file's header declares (the file type recognised
// as DecodeImageFile does), without decoding; false when the header is
// unreadable.
bool ReadImageDimensions(const void* data, size_t size, uint32_t* width, uint32_t* height);

// The decoders of the single file types; each expects its own file type.
HRESULT DecodePng(const uint8_t* data, size_t size, DecodedImage* out);
HRESULT DecodeJpeg(const uint8_t* data, size_t size, DecodedImage* out);
HRESULT DecodeBmp(const uint8_t* data, size_t size, DecodedImage* out);
HRESULT DecodeTga(const uint8_t* data, size_t size, DecodedImage* out);
HRESULT DecodeDds(const uint8_t* data, size_t size, DecodedImage* out);

// Allocates out->image; false when memory is short.
bool AllocateImage(DecodedImage* out, UINT width, UINT height);

}  // namespace d3dx8
