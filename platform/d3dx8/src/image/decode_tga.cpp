// Truevision TGA files: colour-mapped (8 bits), true-colour (15, 16, 24, 32
// bits) and grey (8 bits, 16 with alpha), uncompressed or run-length encoded,
// in any of the four row and column orders.
#include <algorithm>

#include "byte_reader.h"
#include "image_decoder.h"

namespace d3dx8 {
namespace {

constexpr uint64_t kHeaderSize = 18;

enum ImageKind { kColorMapped = 1, kTrueColor = 2, kGrey = 3 };

struct TgaHeader {
  uint32_t idLength, colorMapType, imageType;
  uint32_t mapFirst, mapLength, mapEntryBits;
  uint32_t width, height, pixelBits, descriptor;
};

// Converts one stored pixel to ARGB. 16-bit pixels are X1R5G5B5 (the top bit
// is alpha when the file declares an alpha bit).
uint32_t PixelToArgb(const uint8_t* p, uint32_t bits, bool withAlpha) {
  switch (bits) {
    case 15:
    case 16: {
      uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8);
      uint32_t r = (v >> 10) & 0x1F, g = (v >> 5) & 0x1F, b = v & 0x1F;
      uint32_t a = (withAlpha && bits == 16) ? ((v & 0x8000) ? 0xFF : 0) : 0xFF;
      return PackArgb(a, (r * 255 + 15) / 31, (g * 255 + 15) / 31, (b * 255 + 15) / 31);
    }
    case 24: return PackArgb(0xFF, p[2], p[1], p[0]);
    default: return PackArgb(withAlpha ? p[3] : 0xFF, p[2], p[1], p[0]);
  }
}

}  // namespace

HRESULT DecodeTga(const uint8_t* data, size_t size, DecodedImage* out) {
  ByteReader in(data, size);
  TgaHeader h;
  if (!in.U8(0, &h.idLength) || !in.U8(1, &h.colorMapType) || !in.U8(2, &h.imageType) ||
      !in.U16(3, &h.mapFirst) || !in.U16(5, &h.mapLength) || !in.U8(7, &h.mapEntryBits) ||
      !in.U16(12, &h.width) || !in.U16(14, &h.height) || !in.U8(16, &h.pixelBits) || !in.U8(17, &h.descriptor))
    return D3DXERR_INVALIDDATA;

  const bool rle = h.imageType >= 9 && h.imageType <= 11;
  const uint32_t kind = rle ? h.imageType - 8 : h.imageType;
  if (kind < kColorMapped || kind > kGrey || h.colorMapType > 1) return D3DXERR_INVALIDDATA;
  if (!ImageSizeAcceptable(h.width, h.height)) return D3DXERR_INVALIDDATA;
  const uint32_t alphaBits = h.descriptor & 0x0F;
  switch (kind) {
    case kColorMapped:
      if (h.colorMapType != 1 || h.pixelBits != 8 || h.mapLength == 0) return D3DXERR_INVALIDDATA;
      if (h.mapEntryBits != 15 && h.mapEntryBits != 16 && h.mapEntryBits != 24 && h.mapEntryBits != 32)
        return D3DXERR_INVALIDDATA;
      break;
    case kTrueColor:
      if (h.pixelBits != 15 && h.pixelBits != 16 && h.pixelBits != 24 && h.pixelBits != 32)
        return D3DXERR_INVALIDDATA;
      break;
    default:
      if (h.pixelBits != 8 && h.pixelBits != 16) return D3DXERR_INVALIDDATA;
      break;
  }
  if (h.descriptor & 0xC0) return D3DXERR_INVALIDDATA;  // interleaved storage is obsolete

  uint64_t offset = kHeaderSize + h.idLength;

  // Colour map, when present (also skipped for images that don't use it).
  std::vector<uint32_t> map;
  bool mapAlpha = false;
  if (h.colorMapType == 1) {
    const uint64_t entryBytes = (h.mapEntryBits + 7) / 8;
    if (entryBytes == 0 || entryBytes > 4 || !in.Has(offset, entryBytes * h.mapLength)) return D3DXERR_INVALIDDATA;
    if (kind == kColorMapped) {
      mapAlpha = h.mapEntryBits == 32 || (h.mapEntryBits == 16 && alphaBits > 0);
      map.assign(h.mapFirst + h.mapLength > 256 ? h.mapFirst + h.mapLength : 256, 0xFF000000u);
      for (uint32_t i = 0; i < h.mapLength; ++i)
        map[h.mapFirst + i] = PixelToArgb(data + offset + i * entryBytes, h.mapEntryBits, mapAlpha);
    }
    offset += entryBytes * h.mapLength;
  }

  const uint32_t pixelBytes = (h.pixelBits + 7) / 8;
  const bool pixelAlpha = (kind == kTrueColor && ((h.pixelBits == 32 && alphaBits > 0) ||
                                                  (h.pixelBits == 16 && alphaBits > 0))) ||
                          (kind == kGrey && h.pixelBits == 16);
  auto convert = [&](const uint8_t* p) -> uint32_t {
    if (kind == kColorMapped) return p[0] < map.size() ? map[p[0]] : 0xFF000000u;
    if (kind == kGrey) return PackArgb(h.pixelBits == 16 ? p[1] : 0xFF, p[0], p[0], p[0]);
    return PixelToArgb(p, h.pixelBits, pixelAlpha);
  };

  const uint64_t texelCount = uint64_t(h.width) * h.height;
  if (rle) {
    // Every packet holds at most 128 texels in at least 1 + pixelBytes bytes.
    const uint64_t available = size - std::min<uint64_t>(offset, size);
    if ((texelCount + 127) / 128 * (1 + pixelBytes) > available) return D3DXERR_INVALIDDATA;
  } else if (!in.Has(offset, texelCount * pixelBytes)) {
    return D3DXERR_INVALIDDATA;
  }

  if (!AllocateImage(out, h.width, h.height)) return E_OUTOFMEMORY;
  const bool topDown = (h.descriptor & 0x20) != 0;
  const bool rightToLeft = (h.descriptor & 0x10) != 0;
  auto store = [&](uint64_t index, uint32_t argb) {
    uint32_t fx = uint32_t(index % h.width), fy = uint32_t(index / h.width);
    uint32_t x = rightToLeft ? h.width - 1 - fx : fx;
    uint32_t y = topDown ? fy : h.height - 1 - fy;
    out->image.At(x, y) = argb;
  };

  if (!rle) {
    const uint8_t* p = data + offset;
    for (uint64_t i = 0; i < texelCount; ++i, p += pixelBytes) store(i, convert(p));
  } else {
    uint64_t i = 0;
    while (i < texelCount) {
      uint32_t packet;
      if (!in.U8(offset, &packet)) return D3DXERR_INVALIDDATA;
      ++offset;
      const uint64_t count = (packet & 0x7F) + 1;
      if (i + count > texelCount) return D3DXERR_INVALIDDATA;
      if (packet & 0x80) {
        if (!in.Has(offset, pixelBytes)) return D3DXERR_INVALIDDATA;
        const uint32_t argb = convert(data + offset);
        offset += pixelBytes;
        for (uint64_t k = 0; k < count; ++k) store(i++, argb);
      } else {
        if (!in.Has(offset, count * pixelBytes)) return D3DXERR_INVALIDDATA;
        for (uint64_t k = 0; k < count; ++k, offset += pixelBytes) store(i++, convert(data + offset));
      }
    }
  }

  switch (kind) {
    case kColorMapped:
      out->hasAlpha = mapAlpha;
      out->info.Format = D3DFMT_P8;
      out->palette.assign(256, PALETTEENTRY{0, 0, 0, 0xFF});
      for (uint32_t i = 0; i < 256 && i < map.size(); ++i)
        out->palette[i] = PALETTEENTRY{BYTE(RedOf(map[i])), BYTE(GreenOf(map[i])), BYTE(BlueOf(map[i])),
                                       BYTE(AlphaOf(map[i]))};
      break;
    case kGrey:
      out->hasAlpha = h.pixelBits == 16;
      out->info.Format = h.pixelBits == 16 ? D3DFMT_A8L8 : D3DFMT_L8;
      break;
    default:
      out->hasAlpha = pixelAlpha;
      if (h.pixelBits == 32)
        out->info.Format = pixelAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
      else if (h.pixelBits == 24)
        out->info.Format = D3DFMT_R8G8B8;
      else
        out->info.Format = pixelAlpha ? D3DFMT_A1R5G5B5 : D3DFMT_X1R5G5B5;
      break;
  }
  out->info.Width = h.width;
  out->info.Height = h.height;
  out->info.Depth = 1;
  out->info.MipLevels = 1;
  out->info.ResourceType = D3DRTYPE_TEXTURE;
  out->info.ImageFileFormat = D3DXIFF_TGA;
  return D3D_OK;
}

}  // namespace d3dx8
