// Windows bitmap files: 1, 4 and 8 bits a texel with a palette (uncompressed
// or run-length encoded), 16 and 32 bits with or without bit fields, 24 bits.
#include <cstdlib>

#include "byte_reader.h"
#include "channel_mask.h"
#include "image_decoder.h"

namespace d3dx8 {
namespace {

constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;

constexpr uint64_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;
constexpr uint32_t kInfoHeaderSize = 40;

struct BmpHeader {
  uint32_t dataOffset = 0;
  uint32_t headerSize = 0;
  int64_t width = 0;
  int64_t height = 0;  // positive: rows stored bottom up
  uint32_t bitCount = 0;
  uint32_t compression = kRgb;
  uint32_t colorsUsed = 0;
  uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
};

bool ReadHeader(const ByteReader& in, BmpHeader* h) {
  if (!in.U32(10, &h->dataOffset) || !in.U32(kFileHeaderSize, &h->headerSize)) return false;
  const uint64_t info = kFileHeaderSize;
  if (h->headerSize == kCoreHeaderSize) {
    uint32_t w, hh, bits;
    if (!in.U16(info + 4, &w) || !in.U16(info + 6, &hh) || !in.U16(info + 10, &bits)) return false;
    h->width = w;
    h->height = hh;
    h->bitCount = bits;
    return true;
  }
  if (h->headerSize < kInfoHeaderSize) return false;
  int32_t w, hh;
  uint32_t bits;
  if (!in.S32(info + 4, &w) || !in.S32(info + 8, &hh) || !in.U16(info + 14, &bits) ||
      !in.U32(info + 16, &h->compression) || !in.U32(info + 32, &h->colorsUsed))
    return false;
  h->width = w;
  h->height = hh;
  h->bitCount = bits;
  if (h->compression == kBitFields || h->compression == kAlphaBitFields) {
    // The masks are part of the larger headers, else they follow the header.
    const int count = h->compression == kAlphaBitFields ? 4 : 3;
    for (int i = 0; i < count; ++i)
      if (!in.U32(info + kInfoHeaderSize + 4 * i, &h->masks[i])) return false;
    if (h->headerSize >= 56 && !in.U32(info + 52, &h->masks[3])) return false;
  }
  return true;
}

// Palette entries as ARGB; entries beyond the stored ones are opaque black.
bool ReadPalette(const ByteReader& in, const BmpHeader& h, uint64_t paletteOffset, std::vector<uint32_t>* colors) {
  const uint32_t maxEntries = 1u << h.bitCount;
  uint32_t count = h.colorsUsed == 0 ? maxEntries : h.colorsUsed;
  if (count > maxEntries) count = maxEntries;
  const uint64_t entrySize = h.headerSize == kCoreHeaderSize ? 3 : 4;
  if (!in.Has(paletteOffset, entrySize * count)) return false;
  colors->assign(256, 0xFF000000u);
  const uint8_t* p = in.Data() + paletteOffset;
  for (uint32_t i = 0; i < count; ++i, p += entrySize) (*colors)[i] = PackArgb(0xFF, p[2], p[1], p[0]);
  return true;
}

// Expands run-length encoded rows into one palette index per texel, rows in
// file order (bottom up). Texels the encoding skips keep index 0.
bool DecodeRle(const ByteReader& in, uint64_t offset, const BmpHeader& h, std::vector<uint8_t>* indices) {
  const uint64_t width = uint64_t(h.width), height = uint64_t(h.height);
  indices->assign(width * height, 0);
  const bool four = h.compression == kRle4;
  uint64_t x = 0, y = 0;
  auto put = [&](uint32_t index) {
    if (x < width && y < height) (*indices)[y * width + x] = static_cast<uint8_t>(index);
    ++x;
  };
  const uint64_t end = in.Size();
  while (offset + 2 <= end) {
    const uint32_t count = in.Data()[offset], value = in.Data()[offset + 1];
    offset += 2;
    if (count > 0) {
      for (uint32_t i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 0x0F : value >> 4) : value);
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return true;
    } else if (value == 2) {  // move right and up
      uint32_t dx, dy;
      if (!in.U8(offset, &dx) || !in.U8(offset + 1, &dy)) return false;
      offset += 2;
      x += dx;
      y += dy;
    } else {  // literal run of value texels, padded to a 16-bit boundary
      const uint64_t bytes = four ? (value + 1) / 2 : value;
      if (!in.Has(offset, bytes)) return false;
      for (uint32_t i = 0; i < value; ++i) {
        uint32_t b = in.Data()[offset + (four ? i / 2 : i)];
        put(four ? ((i & 1) ? b & 0x0F : b >> 4) : b);
      }
      offset += bytes + (bytes & 1);
    }
    if (y >= height) return true;
  }
  // Data ended without an end-of-bitmap mark.
  return false;
}

}  // namespace

HRESULT DecodeBmp(const uint8_t* data, size_t size, DecodedImage* out) {
  ByteReader in(data, size);
  BmpHeader h;
  if (!ReadHeader(in, &h)) return D3DXERR_INVALIDDATA;
  const bool topDown = h.height < 0;
  const int64_t height = std::llabs(h.height);
  const int64_t width = h.width;
  if (width <= 0 || !ImageSizeAcceptable(uint64_t(width), uint64_t(height))) return D3DXERR_INVALIDDATA;

  const uint32_t bits = h.bitCount;
  const bool palettised = bits == 1 || bits == 4 || bits == 8;
  const bool rle = h.compression == kRle8 || h.compression == kRle4;
  if (rle) {
    if ((h.compression == kRle8 && bits != 8) || (h.compression == kRle4 && bits != 4) || topDown)
      return D3DXERR_INVALIDDATA;
  } else if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
    if (bits != 16 && bits != 32) return D3DXERR_INVALIDDATA;
  } else if (h.compression != kRgb) {
    return D3DXERR_INVALIDDATA;
  } else if (!palettised && bits != 16 && bits != 24 && bits != 32) {
    return D3DXERR_INVALIDDATA;
  }

  std::vector<uint32_t> colors;
  if (palettised) {
    uint64_t paletteOffset = kFileHeaderSize + h.headerSize;
    if (!ReadPalette(in, h, paletteOffset, &colors)) return D3DXERR_INVALIDDATA;
  }

  // Pixel layout of the direct-colour depths.
  ChannelMask red, green, blue, alpha;
  if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
    red = ChannelMask(h.masks[0]);
    green = ChannelMask(h.masks[1]);
    blue = ChannelMask(h.masks[2]);
    alpha = ChannelMask(h.masks[3]);
  } else if (bits == 16) {
    red = ChannelMask(0x7C00);
    green = ChannelMask(0x03E0);
    blue = ChannelMask(0x001F);
  } else {
    red = ChannelMask(0x00FF0000);
    green = ChannelMask(0x0000FF00);
    blue = ChannelMask(0x000000FF);
  }

  const uint64_t offset = h.dataOffset;
  std::vector<uint8_t> rleIndices;
  const uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
  if (rle) {
    if (!DecodeRle(in, offset, h, &rleIndices)) return D3DXERR_INVALIDDATA;
  } else if (!in.Has(offset, stride * uint64_t(height))) {
    return D3DXERR_INVALIDDATA;
  }

  if (!AllocateImage(out, UINT(width), UINT(height))) return E_OUTOFMEMORY;
  for (int64_t fileRow = 0; fileRow < height; ++fileRow) {
    const UINT y = UINT(topDown ? fileRow : height - 1 - fileRow);
    uint32_t* row = out->image.Row(y);
    if (rle) {
      const uint8_t* idx = rleIndices.data() + uint64_t(fileRow) * uint64_t(width);
      for (int64_t x = 0; x < width; ++x) row[x] = colors[idx[x]];
      continue;
    }
    const uint8_t* src = data + offset + stride * uint64_t(fileRow);
    for (int64_t x = 0; x < width; ++x) {
      switch (bits) {
        case 1: row[x] = colors[(src[x / 8] >> (7 - x % 8)) & 1]; break;
        case 4: row[x] = colors[(x & 1) ? src[x / 2] & 0x0F : src[x / 2] >> 4]; break;
        case 8: row[x] = colors[src[x]]; break;
        case 24: row[x] = PackArgb(0xFF, src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
        default: {
          const uint8_t* p = src + x * (bits / 8);
          uint32_t v = bits == 16 ? uint32_t(p[0]) | (uint32_t(p[1]) << 8)
                                  : uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                                        (uint32_t(p[3]) << 24);
          row[x] = PackArgb(alpha.Extract(v, 0xFF), red.Extract(v, 0), green.Extract(v, 0), blue.Extract(v, 0));
          break;
        }
      }
    }
  }

  out->hasAlpha = alpha.Present();
  if (palettised) {
    out->info.Format = D3DFMT_P8;
    out->palette.resize(256);
    for (int i = 0; i < 256; ++i)
      out->palette[i] = PALETTEENTRY{BYTE(RedOf(colors[i])), BYTE(GreenOf(colors[i])), BYTE(BlueOf(colors[i])), 0xFF};
  } else if (bits == 24) {
    out->info.Format = D3DFMT_R8G8B8;
  } else if (bits == 16) {
    if (alpha.Present())
      out->info.Format = h.masks[3] == 0xF000 ? D3DFMT_A4R4G4B4 : D3DFMT_A1R5G5B5;
    else
      out->info.Format = h.masks[1] == 0x07E0 ? D3DFMT_R5G6B5 : D3DFMT_X1R5G5B5;
  } else {
    out->info.Format = alpha.Present() ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
  }
  out->info.Width = UINT(width);
  out->info.Height = UINT(height);
  out->info.Depth = 1;
  out->info.MipLevels = 1;
  out->info.ResourceType = D3DRTYPE_TEXTURE;
  out->info.ImageFileFormat = D3DXIFF_BMP;
  return D3D_OK;
}

}  // namespace d3dx8
