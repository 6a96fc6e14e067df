// Per-format texel packing. Channels narrower than 8 bits are rounded to the
// nearest representable value and widened again by scaling; luminance is
// 0.2125 red + 0.7154 green + 0.0721 blue.
#include "pixel_format.h"

#include <algorithm>

#include "dxt_codec.h"

namespace d3dx8 {
namespace {

// A format of packed channels within one little-endian pixel of 1 to 4 bytes.
struct PackedLayout {
  D3DFORMAT format;
  uint32_t bytes;
  // bit width and position of alpha, red, green, blue (width 0: absent)
  uint8_t aBits, aShift, rBits, rShift, gBits, gShift, bBits, bShift;
  bool luminance;  // red holds luminance; green and blue absent
};

constexpr PackedLayout kLayouts[] = {
    {D3DFMT_A8R8G8B8, 4, 8, 24, 8, 16, 8, 8, 8, 0, false},
    {D3DFMT_X8R8G8B8, 4, 0, 0, 8, 16, 8, 8, 8, 0, false},
    {D3DFMT_R8G8B8, 3, 0, 0, 8, 16, 8, 8, 8, 0, false},
    {D3DFMT_R5G6B5, 2, 0, 0, 5, 11, 6, 5, 5, 0, false},
    {D3DFMT_X1R5G5B5, 2, 0, 0, 5, 10, 5, 5, 5, 0, false},
    {D3DFMT_A1R5G5B5, 2, 1, 15, 5, 10, 5, 5, 5, 0, false},
    {D3DFMT_A4R4G4B4, 2, 4, 12, 4, 8, 4, 4, 4, 0, false},
    {D3DFMT_X4R4G4B4, 2, 0, 0, 4, 8, 4, 4, 4, 0, false},
    {D3DFMT_R3G3B2, 1, 0, 0, 3, 5, 3, 2, 2, 0, false},
    {D3DFMT_A8R3G3B2, 2, 8, 8, 3, 5, 3, 2, 2, 0, false},
    {D3DFMT_A8, 1, 8, 0, 0, 0, 0, 0, 0, 0, false},
    {D3DFMT_L8, 1, 0, 0, 8, 0, 0, 0, 0, 0, true},
    {D3DFMT_A8L8, 2, 8, 8, 8, 0, 0, 0, 0, 0, true},
    {D3DFMT_A4L4, 1, 4, 4, 4, 0, 0, 0, 0, 0, true},
};

const PackedLayout* FindLayout(D3DFORMAT format) {
  for (const PackedLayout& l : kLayouts)
    if (l.format == format) return &l;
  return nullptr;
}

bool FindDxt(D3DFORMAT format, DxtKind* kind) {
  switch (format) {
    case D3DFMT_DXT1: *kind = DxtKind::kDxt1; return true;
    case D3DFMT_DXT2:
    case D3DFMT_DXT3: *kind = DxtKind::kDxt3; return true;
    case D3DFMT_DXT4:
    case D3DFMT_DXT5: *kind = DxtKind::kDxt5; return true;
    default: return false;
  }
}

uint32_t Narrow(uint32_t v8, uint32_t bits) {
  const uint32_t max = (1u << bits) - 1;
  return (v8 * max + 127) / 255;
}

uint32_t Widen(uint32_t v, uint32_t bits) {
  const uint32_t max = (1u << bits) - 1;
  return (v * 255 + max / 2) / max;
}

uint32_t Luminance(uint32_t argb) {
  return (RedOf(argb) * 2125 + GreenOf(argb) * 7154 + BlueOf(argb) * 721 + 5000) / 10000;
}

uint32_t Pack(const PackedLayout& l, uint32_t argb) {
  uint32_t v = 0;
  if (l.aBits) v |= Narrow(AlphaOf(argb), l.aBits) << l.aShift;
  if (l.luminance) {
    v |= Narrow(Luminance(argb), l.rBits) << l.rShift;
    return v;
  }
  if (l.rBits) v |= Narrow(RedOf(argb), l.rBits) << l.rShift;
  if (l.gBits) v |= Narrow(GreenOf(argb), l.gBits) << l.gShift;
  if (l.bBits) v |= Narrow(BlueOf(argb), l.bBits) << l.bShift;
  return v;
}

uint32_t Unpack(const PackedLayout& l, uint32_t v) {
  auto field = [v](uint32_t bits, uint32_t shift) { return Widen((v >> shift) & ((1u << bits) - 1), bits); };
  const uint32_t a = l.aBits ? field(l.aBits, l.aShift) : 0xFF;
  if (l.luminance) {
    const uint32_t lum = field(l.rBits, l.rShift);
    return PackArgb(a, lum, lum, lum);
  }
  return PackArgb(a, l.rBits ? field(l.rBits, l.rShift) : 0, l.gBits ? field(l.gBits, l.gShift) : 0,
                  l.bBits ? field(l.bBits, l.bShift) : 0);
}

}  // namespace

bool FormatIsConvertible(D3DFORMAT format) {
  DxtKind kind;
  return FindLayout(format) != nullptr || FindDxt(format, &kind);
}

bool FormatHasAlpha(D3DFORMAT format) {
  DxtKind kind;
  if (FindDxt(format, &kind)) return true;
  const PackedLayout* l = FindLayout(format);
  return l && l->aBits > 0;
}

bool FormatIsBlockCompressed(D3DFORMAT format) {
  DxtKind kind;
  return FindDxt(format, &kind);
}

bool WriteImageToSurface(const ArgbImage& image, D3DFORMAT format, uint8_t* bits, int pitch) {
  DxtKind kind;
  if (FindDxt(format, &kind)) {
    const UINT blocksWide = (image.width + 3) / 4, blocksHigh = (image.height + 3) / 4;
    uint32_t texels[16];
    for (UINT by = 0; by < blocksHigh; ++by) {
      uint8_t* out = bits + ptrdiff_t(by) * pitch;
      for (UINT bx = 0; bx < blocksWide; ++bx, out += DxtBlockBytes(kind)) {
        // Texels past the image edge repeat the last row and column.
        for (UINT i = 0; i < 16; ++i) {
          const UINT x = std::min(bx * 4 + i % 4, image.width - 1), y = std::min(by * 4 + i / 4, image.height - 1);
          texels[i] = image.At(x, y);
        }
        EncodeDxtBlock(kind, texels, out);
      }
    }
    return true;
  }
  const PackedLayout* l = FindLayout(format);
  if (!l) return false;
  for (UINT y = 0; y < image.height; ++y) {
    uint8_t* out = bits + ptrdiff_t(y) * pitch;
    const uint32_t* row = image.Row(y);
    for (UINT x = 0; x < image.width; ++x) {
      const uint32_t v = Pack(*l, row[x]);
      for (uint32_t k = 0; k < l->bytes; ++k) *out++ = uint8_t(v >> (8 * k));
    }
  }
  return true;
}

bool ReadImageFromSurface(const uint8_t* bits, int pitch, D3DFORMAT format, UINT width, UINT height,
                          ArgbImage* image) {
  *image = ArgbImage(width, height, 0);
  DxtKind kind;
  if (FindDxt(format, &kind)) {
    const UINT blocksWide = (width + 3) / 4, blocksHigh = (height + 3) / 4;
    uint32_t texels[16];
    for (UINT by = 0; by < blocksHigh; ++by) {
      const uint8_t* in = bits + ptrdiff_t(by) * pitch;
      for (UINT bx = 0; bx < blocksWide; ++bx, in += DxtBlockBytes(kind)) {
        DecodeDxtBlock(kind, in, texels);
        for (UINT i = 0; i < 16; ++i) {
          const UINT x = bx * 4 + i % 4, y = by * 4 + i / 4;
          if (x < width && y < height) image->At(x, y) = texels[i];
        }
      }
    }
    return true;
  }
  const PackedLayout* l = FindLayout(format);
  if (!l) return false;
  for (UINT y = 0; y < height; ++y) {
    const uint8_t* in = bits + ptrdiff_t(y) * pitch;
    uint32_t* row = image->Row(y);
    for (UINT x = 0; x < width; ++x) {
      uint32_t v = 0;
      for (uint32_t k = 0; k < l->bytes; ++k) v |= uint32_t(*in++) << (8 * k);
      row[x] = Unpack(*l, v);
    }
  }
  return true;
}

}  // namespace d3dx8
