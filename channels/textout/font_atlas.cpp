// FontTexture: the glyph atlas, rasterised through GDI into a DIB section and
// copied into the texture as alpha.
#include "textout/font_texture.h"

#include <win32/gdi.h>
#include <win32/misc.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// GDI handles released on every path out: the objects are put back out of
// the context before they are deleted, then the context goes.
struct ScopedDc {
  HDC dc = CreateCompatibleDC(nullptr);
  ~ScopedDc() {
    if (dc) DeleteDC(dc);
  }
};
struct ScopedObject {
  HGDIOBJ object;
  ~ScopedObject() {
    if (object) DeleteObject(object);
  }
};
struct ScopedSelection {
  HDC dc;
  HGDIOBJ old;
  ScopedSelection(HDC context, HGDIOBJ object) : dc(context), old(SelectObject(context, object)) {}
  ~ScopedSelection() {
    if (old) SelectObject(dc, old);
  }
};

struct GlyphBox {
  int x, y, cx, cy;
};

// Places the glyphs row by row, one texel apart. Answers how far the layout
// overruns the atlas: 1.0 or less when every glyph lies inside it.
float LayOut(HDC dc, int width, int height, GlyphBox* boxes) {
  int x = 0, y = 0;
  float overrun = 0.0f;
  for (int c = FontTexture::kFirstChar; c <= FontTexture::kLastChar; ++c) {
    const char ch = static_cast<char>(c);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, &ch, 1, &size);
    if (x + size.cx + 1 > width) {
      y += size.cy + 1;
      x = 0;
    }
    boxes[c - FontTexture::kFirstChar] = {x, y, size.cx, size.cy};
    overrun = std::max({overrun, static_cast<float>(x + size.cx) / static_cast<float>(width),
                        static_cast<float>(y + size.cy) / static_cast<float>(height)});
    x += size.cx + 1;
  }
  return overrun;
}

}  // namespace

HRESULT FontTexture::InitDeviceObjects(IDirect3DDevice8* device) {
  if (!device) return S_OK;
  UINT size = height_ > 40 ? 1024 : height_ > 20 ? 512 : 256;
  textScale_ = 1.0f;
  D3DCAPS8 caps;
  if (SUCCEEDED(device->GetDeviceCaps(&caps)) && caps.MaxTextureWidth > 0 && caps.MaxTextureWidth < size) {
    textScale_ = static_cast<float>(caps.MaxTextureWidth) / static_cast<float>(size);
    size = caps.MaxTextureWidth;
  }
  texWidth_ = texHeight_ = size;
  HRESULT result = device->CreateTexture(size, size, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture_);
  if (FAILED(result)) {
    texture_ = nullptr;
    return result;
  }
  device_ = device;
  result = RasteriseGlyphs();
  if (FAILED(result)) DeleteDeviceObjects();
  return result;
}

HRESULT FontTexture::RasteriseGlyphs() {
  const int width = static_cast<int>(texWidth_), height = static_cast<int>(texHeight_);
  ScopedDc context;
  if (!context.dc) return E_FAIL;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  ScopedObject bitmap{CreateDIBSection(context.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0)};
  if (!bitmap.object || !bits) return E_FAIL;
  ScopedSelection bitmapInDc(context.dc, bitmap.object);
  SetMapMode(context.dc, MM_TEXT);

  // The glyphs are drawn at `dpi` pixels per inch: the device's resolution
  // times the text scale, lowered until all rows fit into the atlas. A font
  // larger than kMaxRasterPoints is rasterised at that size and its glyphs
  // drawn scaled up to the full size, like any glyphs shrunk to fit.
  const int logPixels = GetDeviceCaps(context.dc, LOGPIXELSY);
  const unsigned rasterPoints = std::min(height_, kMaxRasterPoints);
  int dpi = static_cast<int>(static_cast<float>(logPixels) * textScale_);
  GlyphBox boxes[kLastChar - kFirstChar + 1];
  for (;;) {
    const int pixelHeight = dpi > 0 ? MulDiv(static_cast<int>(rasterPoints), dpi, 72) : 0;
    if (pixelHeight < 1 || logPixels < 1) return E_FAIL;
    ScopedObject font{CreateFontA(-pixelHeight, 0, 0, 0, (flags_ & kBold) ? FW_BOLD : FW_NORMAL,
                                  (flags_ & kItalic) ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH,
                                  faceName_)};
    if (!font.object) return E_FAIL;
    ScopedSelection fontInDc(context.dc, font.object);
    const float overrun = LayOut(context.dc, width, height, boxes);
    if (overrun > 1.0f) {
      // The rows' area grows with the square of the size.
      dpi = std::min(dpi - 1, static_cast<int>(static_cast<float>(dpi) / std::sqrt(overrun)));
      continue;
    }
    SetTextColor(context.dc, RGB(255, 255, 255));
    SetBkColor(context.dc, RGB(0, 0, 0));
    SetTextAlign(context.dc, TA_TOP);
    std::memset(glyphs_, 0, sizeof glyphs_);
    for (int c = kFirstChar; c <= kLastChar; ++c) {
      const GlyphBox& box = boxes[c - kFirstChar];
      const char ch = static_cast<char>(c);
      ExtTextOutA(context.dc, box.x, box.y, ETO_OPAQUE, nullptr, &ch, 1, nullptr);
      float* glyph = glyphs_[c - kFirstChar];
      glyph[0] = static_cast<float>(box.x) / static_cast<float>(width);
      glyph[1] = static_cast<float>(box.y) / static_cast<float>(height);
      glyph[2] = static_cast<float>(box.x + box.cx) / static_cast<float>(width);
      glyph[3] = static_cast<float>(box.y + box.cy) / static_cast<float>(height);
    }
    break;
  }
  textScale_ = static_cast<float>(dpi) / static_cast<float>(logPixels) * static_cast<float>(rasterPoints) /
               static_cast<float>(height_);

  D3DLOCKED_RECT rect;
  HRESULT result = texture_->LockRect(0, &rect, nullptr, 0);
  if (FAILED(result)) return result;
  const BYTE* pixel = static_cast<const BYTE*>(bits);
  for (int y = 0; y < height; ++y) {
    WORD* texel = reinterpret_cast<WORD*>(static_cast<BYTE*>(rect.pBits) + static_cast<size_t>(y) * rect.Pitch);
    // The blue byte of each pixel is the coverage: white on black.
    for (int x = 0; x < width; ++x, pixel += 4) {
      const WORD alpha = static_cast<WORD>(pixel[0] >> 4);
      texel[x] = alpha ? static_cast<WORD>((alpha << 12) | 0x0FFF) : 0;
    }
  }
  texture_->UnlockRect(0);
  return S_OK;
}
