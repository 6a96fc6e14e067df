#include "format.h"

#include <algorithm>
#include <cstring>

namespace d3d8 {
namespace {


// clang-format off
const FormatInfo kFormats[] = {
  // 32-bit colour: memory order B, G, R, A.
  {D3DFMT_A8R8G8B8, 4, false, false, false, true, true,  GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}},
  {D3DFMT_X8R8G8B8, 4, false, false, false, true, true,  GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}},
  // 16-bit colour, packed in one little-endian word.
  {D3DFMT_R5G6B5,   2, false, false, false, true, true,  GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}},
  {D3DFMT_A1R5G5B5, 2, false, false, false, true, true,  GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}},
  {D3DFMT_X1R5G5B5, 2, false, false, false, true, true,  GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}},
  {D3DFMT_A4R4G4B4, 2, false, false, false, true, true,  GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}},
  // Luminance reads as grey with opaque alpha.
  {D3DFMT_L8,       1, false, false, false, true, false, GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_ONE}},
  {D3DFMT_A8L8,     2, false, false, false, true, false, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_GREEN}},
  // Signed bump and normal formats: byte 0 is U, byte 1 V, then W and Q.
  // Components a format lacks read as 1.
  {D3DFMT_V8U8,     2, false, false, false, true, false, GL_RG8_SNORM, GL_RG, GL_BYTE, {GL_RED, GL_GREEN, GL_ONE, GL_ONE}},
  {D3DFMT_Q8W8V8U8, 4, false, false, false, true, false, GL_RGBA8_SNORM, GL_RGBA, GL_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}},
  // Block-compressed formats are decoded to RGBA8 when uploaded.
  {D3DFMT_DXT1,     8, true,  false, false, true, false, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}},
  {D3DFMT_DXT5,    16, true,  false, false, true, false, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}},
  // Depth-stencil formats.
  {D3DFMT_D16,      2, false, true,  false, false, false, GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}},
  {D3DFMT_D16_LOCKABLE, 2, false, true, false, false, false, GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}},
  {D3DFMT_D24S8,    4, false, true,  true,  false, false, GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}},
  {D3DFMT_D24X8,    4, false, true,  false, false, false, GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}},
  {D3DFMT_D32,      4, false, true,  false, false, false, GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}},
};
// clang-format on

struct Rgba {
  BYTE r, g, b, a;
};

Rgba Expand565(WORD c) {
  BYTE r = static_cast<BYTE>((c >> 11) & 31), g = static_cast<BYTE>((c >> 5) & 63), b = static_cast<BYTE>(c & 31);
  return {static_cast<BYTE>((r << 3) | (r >> 2)), static_cast<BYTE>((g << 2) | (g >> 4)),
          static_cast<BYTE>((b << 3) | (b >> 2)), 255};
}

BYTE Mix(int a, int b, int wa, int wb, int div) { return static_cast<BYTE>((a * wa + b * wb) / div); }

// The four colours of a DXT colour block; `threeColour` selects the mode with
// a transparent fourth entry (DXT1 blocks whose first colour is not greater).
void BlockColours(const BYTE* block, bool allowTransparent, Rgba out[4]) {
  WORD c0 = static_cast<WORD>(block[0] | (block[1] << 8));
  WORD c1 = static_cast<WORD>(block[2] | (block[3] << 8));
  out[0] = Expand565(c0);
  out[1] = Expand565(c1);
  if (c0 > c1 || !allowTransparent) {
    out[2] = {Mix(out[0].r, out[1].r, 2, 1, 3), Mix(out[0].g, out[1].g, 2, 1, 3), Mix(out[0].b, out[1].b, 2, 1, 3), 255};
    out[3] = {Mix(out[0].r, out[1].r, 1, 2, 3), Mix(out[0].g, out[1].g, 1, 2, 3), Mix(out[0].b, out[1].b, 1, 2, 3), 255};
  } else {
    out[2] = {Mix(out[0].r, out[1].r, 1, 1, 2), Mix(out[0].g, out[1].g, 1, 1, 2), Mix(out[0].b, out[1].b, 1, 1, 2), 255};
    out[3] = {0, 0, 0, 0};
  }
}

}  // namespace

const FormatInfo* GetFormatInfo(D3DFORMAT format) {
  for (const FormatInfo& f : kFormats)
    if (f.format == format) return &f;
  return nullptr;
}

bool IsDisplayFormat(D3DFORMAT format) {
  return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5 ||
         format == D3DFMT_A8R8G8B8;
}

bool IsDepthFormat(D3DFORMAT format) {
  const FormatInfo* f = GetFormatInfo(format);
  return f && f->depth;
}

UINT FormatPitch(const FormatInfo& info, UINT width) {
  if (info.compressed) return std::max(1u, (width + 3) / 4) * info.bytesPerBlock;
  return width * info.bytesPerBlock;
}

UINT FormatRows(const FormatInfo& info, UINT height) {
  if (info.compressed) return std::max(1u, (height + 3) / 4);
  return height;
}

bool LockOffset(const FormatInfo& info, UINT width, UINT height, UINT pitch, const RECT* rect, size_t* offset) {
  *offset = 0;
  if (!rect) return true;
  if (rect->left < 0 || rect->top < 0 || rect->right > static_cast<LONG>(width) ||
      rect->bottom > static_cast<LONG>(height) || rect->left >= rect->right || rect->top >= rect->bottom)
    return false;
  if (info.compressed) {
    if ((rect->left | rect->top) & 3) return false;
    *offset = static_cast<size_t>(rect->top / 4) * pitch + static_cast<size_t>(rect->left / 4) * info.bytesPerBlock;
  } else {
    *offset = static_cast<size_t>(rect->top) * pitch + static_cast<size_t>(rect->left) * info.bytesPerBlock;
  }
  return true;
}

void DecodeDxt(D3DFORMAT format, const BYTE* src, UINT width, UINT height, BYTE* rgba) {
  const bool dxt5 = format == D3DFMT_DXT5;
  const UINT blockBytes = dxt5 ? 16 : 8;
  const UINT bw = std::max(1u, (width + 3) / 4), bh = std::max(1u, (height + 3) / 4);
  for (UINT by = 0; by < bh; ++by) {
    for (UINT bx = 0; bx < bw; ++bx) {
      const BYTE* block = src + (by * bw + bx) * blockBytes;
      BYTE alpha[16];
      std::memset(alpha, 255, sizeof alpha);
      const BYTE* colour = block;
      if (dxt5) {
        // Two reference alphas and sixteen 3-bit indices.
        int a0 = block[0], a1 = block[1];
        int table[8] = {a0, a1};
        if (a0 > a1) {
          for (int i = 1; i <= 6; ++i) table[i + 1] = ((7 - i) * a0 + i * a1) / 7;
        } else {
          for (int i = 1; i <= 4; ++i) table[i + 1] = ((5 - i) * a0 + i * a1) / 5;
          table[6] = 0;
          table[7] = 255;
        }
        uint64_t bits = 0;
        for (int i = 0; i < 6; ++i) bits |= static_cast<uint64_t>(block[2 + i]) << (8 * i);
        for (int i = 0; i < 16; ++i) alpha[i] = static_cast<BYTE>(table[(bits >> (3 * i)) & 7]);
        colour = block + 8;
      }
      Rgba colours[4];
      BlockColours(colour, !dxt5, colours);
      DWORD indices = static_cast<DWORD>(colour[4]) | (static_cast<DWORD>(colour[5]) << 8) |
                      (static_cast<DWORD>(colour[6]) << 16) | (static_cast<DWORD>(colour[7]) << 24);
      for (int py = 0; py < 4; ++py) {
        for (int px = 0; px < 4; ++px) {
          UINT x = bx * 4 + px, y = by * 4 + py;
          if (x >= width || y >= height) continue;
          int i = py * 4 + px;
          Rgba c = colours[(indices >> (2 * i)) & 3];
          BYTE* d = rgba + (static_cast<size_t>(y) * width + x) * 4;
          d[0] = c.r;
          d[1] = c.g;
          d[2] = c.b;
          d[3] = dxt5 ? alpha[i] : c.a;
        }
      }
    }
  }
}

}  // namespace d3d8
