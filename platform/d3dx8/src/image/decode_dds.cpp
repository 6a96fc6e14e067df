// DirectDraw surface files: DXT1 to DXT5 and uncompressed RGB, luminance and
// alpha pixel formats described by bit masks. The top level of the first
// surface is decoded, and of a cube map also the top level of every face it
// holds; volumes are reported as such in the info.
#include <algorithm>
#include <new>

#include "byte_reader.h"
#include "channel_mask.h"
#include "dxt_codec.h"
#include "image_decoder.h"

namespace d3dx8 {
namespace {

constexpr uint32_t kHeaderSize = 124;
constexpr uint32_t kPixelFormatSize = 32;
constexpr uint64_t kDataOffset = 4 + kHeaderSize;

constexpr uint32_t kFlagMipCount = 0x20000;
constexpr uint32_t kFlagDepth = 0x800000;

constexpr uint32_t kPixelAlpha = 0x1;        // has an alpha mask
constexpr uint32_t kPixelAlphaOnly = 0x2;    // alpha only
constexpr uint32_t kPixelFourCc = 0x4;
constexpr uint32_t kPixelRgb = 0x40;
constexpr uint32_t kPixelLuminance = 0x20000;

constexpr uint32_t kCaps2CubeMap = 0x200;
constexpr uint32_t kCaps2FirstFace = 0x400;  // +X; the five other faces follow bit by bit
constexpr uint32_t kCaps2Volume = 0x200000;

struct MaskFormat {
  uint32_t bits, r, g, b, a;
  D3DFORMAT format;
};

// The pixel formats whose masks are recognised by name; other masks still
// decode and are reported as A8R8G8B8 or X8R8G8B8.
constexpr MaskFormat kMaskFormats[] = {
    {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000, D3DFMT_A8R8G8B8},
    {32, 0x00FF0000, 0x0000FF00, 0x000000FF, 0x00000000, D3DFMT_X8R8G8B8},
    {24, 0x00FF0000, 0x0000FF00, 0x000000FF, 0x00000000, D3DFMT_R8G8B8},
    {16, 0xF800, 0x07E0, 0x001F, 0x0000, D3DFMT_R5G6B5},
    {16, 0x7C00, 0x03E0, 0x001F, 0x0000, D3DFMT_X1R5G5B5},
    {16, 0x7C00, 0x03E0, 0x001F, 0x8000, D3DFMT_A1R5G5B5},
    {16, 0x0F00, 0x00F0, 0x000F, 0xF000, D3DFMT_A4R4G4B4},
    {16, 0x0F00, 0x00F0, 0x000F, 0x0000, D3DFMT_X4R4G4B4},
    {8, 0xE0, 0x1C, 0x03, 0x00, D3DFMT_R3G3B2},
    {16, 0x00E0, 0x001C, 0x0003, 0xFF00, D3DFMT_A8R3G3B2},
};

uint32_t FourCc(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) |
         (uint32_t(uint8_t(d)) << 24);
}

}  // namespace

HRESULT DecodeDds(const uint8_t* data, size_t size, DecodedImage* out) {
  ByteReader in(data, size);
  uint32_t headerSize, flags, height, width, depth, mipCount;
  uint32_t pfSize, pfFlags, fourCc, bitCount, rMask, gMask, bMask, aMask, caps2;
  if (!in.U32(4, &headerSize) || !in.U32(8, &flags) || !in.U32(12, &height) || !in.U32(16, &width) ||
      !in.U32(24, &depth) || !in.U32(28, &mipCount) || !in.U32(76, &pfSize) || !in.U32(80, &pfFlags) ||
      !in.U32(84, &fourCc) || !in.U32(88, &bitCount) || !in.U32(92, &rMask) || !in.U32(96, &gMask) ||
      !in.U32(100, &bMask) || !in.U32(104, &aMask) || !in.U32(112, &caps2))
    return D3DXERR_INVALIDDATA;
  if (headerSize != kHeaderSize || pfSize != kPixelFormatSize) return D3DXERR_INVALIDDATA;
  if (!ImageSizeAcceptable(width, height)) return D3DXERR_INVALIDDATA;

  bool compressed = false;
  DxtKind kind = DxtKind::kDxt1;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  bool hasAlpha = false;
  if (pfFlags & kPixelFourCc) {
    compressed = true;
    if (fourCc == FourCc('D', 'X', 'T', '1')) {
      kind = DxtKind::kDxt1;
      format = D3DFMT_DXT1;
    } else if (fourCc == FourCc('D', 'X', 'T', '2') || fourCc == FourCc('D', 'X', 'T', '3')) {
      kind = DxtKind::kDxt3;
      format = fourCc == FourCc('D', 'X', 'T', '2') ? D3DFMT_DXT2 : D3DFMT_DXT3;
    } else if (fourCc == FourCc('D', 'X', 'T', '4') || fourCc == FourCc('D', 'X', 'T', '5')) {
      kind = DxtKind::kDxt5;
      format = fourCc == FourCc('D', 'X', 'T', '4') ? D3DFMT_DXT4 : D3DFMT_DXT5;
    } else {
      return D3DXERR_INVALIDDATA;
    }
    hasAlpha = true;
  } else if (pfFlags & (kPixelRgb | kPixelLuminance | kPixelAlphaOnly)) {
    if (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) return D3DXERR_INVALIDDATA;
    if (!(pfFlags & (kPixelAlpha | kPixelAlphaOnly))) aMask = 0;
    hasAlpha = aMask != 0;
    if (pfFlags & kPixelRgb) {
      for (const MaskFormat& f : kMaskFormats)
        if (f.bits == bitCount && f.r == rMask && f.g == gMask && f.b == bMask && f.a == aMask) format = f.format;
      if (format == D3DFMT_UNKNOWN) format = hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    } else if (pfFlags & kPixelLuminance) {
      format = bitCount == 8 ? (hasAlpha ? D3DFMT_A4L4 : D3DFMT_L8) : (hasAlpha ? D3DFMT_A8L8 : D3DFMT_L8);
    } else {
      format = D3DFMT_A8;
    }
  } else {
    return D3DXERR_INVALIDDATA;
  }

  const uint64_t pixelBytes = bitCount / 8;
  auto levelBytes = [&](uint64_t w, uint64_t h) {
    return compressed ? ((w + 3) / 4) * ((h + 3) / 4) * DxtBlockBytes(kind) : w * h * pixelBytes;
  };
  // Decodes the top level stored at `offset` into `image`.
  auto decodeAt = [&](uint64_t offset, ArgbImage* image) -> HRESULT {
    if (!in.Has(offset, levelBytes(width, height))) return D3DXERR_INVALIDDATA;
    const uint8_t* src = data + offset;
    if (compressed) {
      const uint64_t blocksWide = (uint64_t(width) + 3) / 4, blocksHigh = (uint64_t(height) + 3) / 4;
      uint32_t block[16];
      for (uint64_t by = 0; by < blocksHigh; ++by) {
        for (uint64_t bx = 0; bx < blocksWide; ++bx, src += DxtBlockBytes(kind)) {
          DecodeDxtBlock(kind, src, block);
          for (uint32_t i = 0; i < 16; ++i) {
            uint64_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
            if (x < width && y < height) image->At(UINT(x), UINT(y)) = block[i];
          }
        }
      }
      return D3D_OK;
    }
    const ChannelMask red(rMask), green(gMask), blue(bMask), alpha(aMask);
    const bool luminance = (pfFlags & kPixelLuminance) != 0;
    for (uint32_t y = 0; y < height; ++y) {
      uint32_t* row = image->Row(y);
      for (uint32_t x = 0; x < width; ++x, src += pixelBytes) {
        uint32_t v = 0;
        for (uint64_t k = 0; k < pixelBytes; ++k) v |= uint32_t(src[k]) << (8 * k);
        if (luminance) {
          uint32_t l = red.Extract(v, 0);
          row[x] = PackArgb(alpha.Extract(v, 0xFF), l, l, l);
        } else {
          row[x] = PackArgb(alpha.Extract(v, 0xFF), red.Extract(v, 0), green.Extract(v, 0), blue.Extract(v, 0));
        }
      }
    }
    return D3D_OK;
  };

  const uint32_t storedLevels = ((flags & kFlagMipCount) && mipCount > 0) ? mipCount : 1;
  if (!AllocateImage(out, width, height)) return E_OUTOFMEMORY;
  HRESULT hr = decodeAt(kDataOffset, &out->image);
  if (FAILED(hr)) return hr;
  if (caps2 & kCaps2CubeMap) {
    // Each face the file holds follows the one before with its whole chain.
    if (width != height || uint64_t(width) * height * 6 > kMaxImageTexels) return D3DXERR_INVALIDDATA;
    uint64_t chainBytes = 0;
    for (uint64_t level = 0, w = width, h = height; level < storedLevels && level < 32; ++level) {
      chainBytes += levelBytes(w, h);
      w = w > 1 ? w / 2 : 1;
      h = h > 1 ? h / 2 : 1;
    }
    try {
      out->faces.resize(6);
      uint64_t offset = kDataOffset;
      for (uint32_t face = 0; face < 6; ++face) {
        if (!(caps2 & (kCaps2FirstFace << face))) continue;
        out->faces[face] = ArgbImage(width, height, 0);
        hr = decodeAt(offset, &out->faces[face]);
        if (FAILED(hr)) return hr;
        offset += chainBytes;
      }
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  if (compressed && !(caps2 & (kCaps2CubeMap | kCaps2Volume))) {
    uint64_t offset = kDataOffset;
    for (uint64_t level = 0, w = width, h = height; level < storedLevels && level < 32; ++level) {
      const uint64_t bytes = levelBytes(w, h);
      if (!in.Has(offset, bytes)) break;
      out->storedLevels.push_back({data + offset, bytes, UINT(w), UINT(h)});
      offset += bytes;
      w = w > 1 ? w / 2 : 1;
      h = h > 1 ? h / 2 : 1;
    }
  }

  out->hasAlpha = hasAlpha;
  out->info.Width = width;
  out->info.Height = height;
  out->info.Depth = ((caps2 & kCaps2Volume) && (flags & kFlagDepth) && depth > 0) ? depth : 1;
  out->info.MipLevels = storedLevels;
  out->info.Format = format;
  out->info.ResourceType = (caps2 & kCaps2CubeMap)  ? D3DRTYPE_CUBETEXTURE
                           : (caps2 & kCaps2Volume) ? D3DRTYPE_VOLUMETEXTURE
                                                    : D3DRTYPE_TEXTURE;
  out->info.ImageFileFormat = D3DXIFF_DDS;
  return D3D_OK;
}

}  // namespace d3dx8
