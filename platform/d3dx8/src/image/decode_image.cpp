// Picks the decoder by the file's leading bytes; TGA has no signature and is
// tried last.
#include <cstring>
#include <new>

#include "image_decoder.h"

namespace d3dx8 {

bool AllocateImage(DecodedImage* out, UINT width, UINT height) {
  try {
    out->image = ArgbImage(width, height, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

HRESULT DecodeImageFile(const void* data, size_t size, DecodedImage* out) {
  if (!data || size == 0 || !out) return D3DXERR_INVALIDDATA;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  *out = DecodedImage();

  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  HRESULT hr;
  if (size >= 8 && std::memcmp(bytes, kPngSignature, 8) == 0) {
    hr = DecodePng(bytes, size, out);
  } else if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) {
    hr = DecodeJpeg(bytes, size, out);
  } else if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
    hr = DecodeBmp(bytes, size, out);
  } else if (size >= 4 && std::memcmp(bytes, "DDS ", 4) == 0) {
    hr = DecodeDds(bytes, size, out);
  } else {
    hr = DecodeTga(bytes, size, out);
  }
  if (FAILED(hr)) *out = DecodedImage();
  return hr;
}

}  // namespace d3dx8
