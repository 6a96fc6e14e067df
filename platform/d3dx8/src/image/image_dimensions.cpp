// The width and height an image file declares, read from its header alone so
// that an image can be judged before any texel is decoded.
#include <cstdlib>
#include <cstring>

#include "byte_reader.h"
#include "image_decoder.h"

namespace d3dx8 {
namespace {

uint32_t BigEndian16(const uint8_t* p) { return (uint32_t(p[0]) << 8) | p[1]; }
uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// PNG: the IHDR chunk comes first after the signature.
bool PngDimensions(const ByteReader& in, uint32_t* width, uint32_t* height) {
  if (!in.Has(8, 16) || std::memcmp(in.Data() + 12, "IHDR", 4) != 0) return false;
  *width = BigEndian32(in.Data() + 16);
  *height = BigEndian32(in.Data() + 20);
  return true;
}

// JPEG: the first start-of-frame segment, found by walking the segments.
// Bytes other than 0xFF between segments are passed over, as the decoder
// passes over them, so they cannot hide the frame's size.
bool JpegDimensions(const ByteReader& in, uint32_t* width, uint32_t* height) {
  const uint8_t* d = in.Data();
  uint64_t at = 2;
  while (in.Has(at, 2)) {
    if (d[at] != 0xFF) {
      ++at;
      continue;
    }
    const uint8_t marker = d[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    at += 2;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA || !in.Has(at, 2)) return false;
    const uint32_t length = BigEndian16(d + at);
    if (length < 2) return false;
    const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) {
      if (length < 7 || !in.Has(at, 7)) return false;
      *height = BigEndian16(d + at + 3);
      *width = BigEndian16(d + at + 5);
      return true;
    }
    at += length;
  }
  return false;
}

// BMP: the core header (12 bytes) has 16-bit sizes, later ones signed 32-bit
// sizes (a negative height is a top-down image).
bool BmpDimensions(const ByteReader& in, uint32_t* width, uint32_t* height) {
  uint32_t headerSize;
  if (!in.U32(14, &headerSize)) return false;
  if (headerSize == 12) return in.U16(18, width) && in.U16(20, height);
  int32_t w, h;
  if (!in.S32(18, &w) || !in.S32(22, &h) || w == INT32_MIN || h == INT32_MIN) return false;
  *width = static_cast<uint32_t>(std::abs(w));
  *height = static_cast<uint32_t>(std::abs(h));
  return true;
}

// TGA has no signature: only a header of a known image type (colour-mapped,
// true-colour or grey, plain or run-length encoded) counts as one.
bool TgaDimensions(const ByteReader& in, uint32_t* width, uint32_t* height) {
  uint32_t colorMapType, imageType;
  if (!in.U8(1, &colorMapType) || !in.U8(2, &imageType) || colorMapType > 1) return false;
  const uint32_t kind = imageType >= 9 ? imageType - 8 : imageType;
  if (kind < 1 || kind > 3) return false;
  return in.U16(12, width) && in.U16(14, height);
}

bool DdsDimensions(const ByteReader& in, uint32_t* width, uint32_t* height) {
  return in.U32(12, height) && in.U32(16, width);
}

}  // namespace

bool ReadImageDimensions(const void* data, size_t size, uint32_t* width, uint32_t* height) {
  if (!data || !width || !height) return false;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  ByteReader in(bytes, size);
  static const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 8 && std::memcmp(bytes, kPngSignature, 8) == 0) return PngDimensions(in, width, height);
  if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return JpegDimensions(in, width, height);
  if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return BmpDimensions(in, width, height);
  if (size >= 4 && std::memcmp(bytes, "DDS ", 4) == 0) return DdsDimensions(in, width, height);
  return TgaDimensions(in, width, height);
}

}  // namespace d3dx8
