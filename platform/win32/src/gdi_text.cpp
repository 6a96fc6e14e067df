// Fonts and text output into the bitmap selected in a memory context.
#include <algorithm>
#include <climits>

#include "gdi_internal.h"
#include "win32/errors.h"

namespace win32plat {
namespace {

struct Box {
  int left, top, right, bottom;
  bool Empty() const { return left >= right || top >= bottom; }
  Box Intersect(const Box& other) const {
    return Box{std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
               std::min(bottom, other.bottom)};
  }
};

uint32_t Pixel(COLORREF color) {
  return (static_cast<uint32_t>(GetRValue(color)) << 16) | (static_cast<uint32_t>(GetGValue(color)) << 8) |
         GetBValue(color);
}

void Fill(GdiBitmap* bitmap, const Box& box, uint32_t pixel) {
  for (int y = box.top; y < box.bottom; ++y) std::fill_n(bitmap->Row(y) + box.left, box.right - box.left, pixel);
}

// dst + (src - dst) * coverage / 255 in each channel; the unused byte is 0.
uint32_t Blend(uint32_t dst, uint32_t src, unsigned coverage) {
  uint32_t out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    unsigned d = (dst >> shift) & 0xFF;
    unsigned s = (src >> shift) & 0xFF;
    out |= ((d * (255 - coverage) + s * coverage + 127) / 255) << shift;
  }
  return out;
}

void DrawGlyph(GdiBitmap* bitmap, const Box& clip, const GlyphImage& glyph, int penX, int baseline, uint32_t color) {
  int left = penX + glyph.left;
  int top = baseline + glyph.top;
  Box area = Box{left, top, left + glyph.width, top + glyph.height}.Intersect(clip);
  for (int y = area.top; y < area.bottom; ++y) {
    const BYTE* coverage = glyph.coverage.data() + static_cast<size_t>(y - top) * glyph.width;
    uint32_t* row = bitmap->Row(y);
    for (int x = area.left; x < area.right; ++x) {
      unsigned a = coverage[x - left];
      if (a == 255) row[x] = color;
      else if (a) row[x] = Blend(row[x], color, a);
    }
  }
}

FontFace* SelectedFace(HDC dc) {
  Win32DC* record = LiveDC(dc);
  if (!record) return nullptr;
  FontFace* face = SelectedFont(record)->face.get();
  if (!face) SetLastError(ERROR_INVALID_HANDLE);
  return face;
}

}  // namespace

}  // namespace win32plat

using namespace win32plat;

extern "C" {

HFONT CreateFontA(int height, int, int, int, int weight, DWORD italic, DWORD, DWORD, DWORD, DWORD, DWORD,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  FontRequest request;
  request.height = height;
  request.weight = weight;
  request.italic = italic != 0;
  request.antialiased = quality != NONANTIALIASED_QUALITY;
  request.pitchAndFamily = pitchAndFamily;
  request.faceName = faceName ? faceName : "";
  auto font = std::make_unique<GdiFont>();
  font->face = FontFace::Open(request);
  if (!font->face) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return RegisterGdiObject(font.release());
}

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size) {
  FontFace* face = SelectedFace(dc);
  if (!face) return FALSE;
  if (!size || count < 0 || (count > 0 && !text)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  long long width = 0;
  for (int i = 0; i < count; ++i) width += face->Advance(static_cast<unsigned char>(text[i]));
  *size = SIZE{static_cast<LONG>(std::min<long long>(width, INT_MAX)), face->Height()};
  return TRUE;
}

BOOL ExtTextOutA(HDC dc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count, const INT* dx) {
  Win32DC* record = LiveDC(dc);
  FontFace* face = record ? SelectedFace(dc) : nullptr;
  if (!face) return FALSE;
  if ((count > 0 && !text) || count > 0x7FFFFFFFu) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  GdiBitmap* bitmap = SelectedBitmap(record);
  Box clip{0, 0, bitmap->width, bitmap->height};
  Box given = rect ? Box{rect->left, rect->top, rect->right, rect->bottom} : clip;
  if (rect && (options & ETO_CLIPPED)) clip = clip.Intersect(given);
  uint32_t background = Pixel(record->background);
  if (rect && (options & ETO_OPAQUE)) {
    Box fill = given.Intersect(Box{0, 0, bitmap->width, bitmap->height});
    if (!fill.Empty()) Fill(bitmap, fill, background);
  }
  if (count == 0) return TRUE;

  auto step = [&](UINT i) { return dx ? dx[i] : face->Advance(static_cast<unsigned char>(text[i])); };
  long long width = 0;
  for (UINT i = 0; i < count; ++i) width += step(i);
  UINT horizontal = record->align & TA_CENTER;
  long long left = horizontal == TA_RIGHT ? x - width : (horizontal == TA_CENTER ? x - width / 2 : x);
  UINT vertical = record->align & TA_BASELINE;
  int baseline = vertical == TA_BASELINE ? y : (vertical == TA_BOTTOM ? y - face->Descent() : y + face->Ascent());
  if (left < -0x40000000ll || left + width > 0x40000000ll) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }

  // The cell box behind the text takes the background colour.
  Box cell{static_cast<int>(std::min(left, left + width)), baseline - face->Ascent(),
           static_cast<int>(std::max(left, left + width)), baseline + face->Descent()};
  Box behind = cell.Intersect(clip);
  if (!behind.Empty()) Fill(bitmap, behind, background);

  uint32_t color = Pixel(record->text);
  long long pen = left;
  GlyphImage glyph;
  for (UINT i = 0; i < count; ++i) {
    bool onPage = pen > -0x40000000ll && pen < 0x40000000ll;
    if (onPage && face->Glyph(static_cast<unsigned char>(text[i]), &glyph) && glyph.width > 0)
      DrawGlyph(bitmap, clip, glyph, static_cast<int>(pen), baseline, color);
    pen += step(i);
  }
  return TRUE;
}

}
