// Text into 32-bit DIB sections. Expected sizes come from the metrics stored
// in the font file that the font configuration offers for the face name,
// read here with FreeType: advance widths (hmtx), the Windows ascent and
// descent (OS/2) and the capital height.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "win32/win32.h"

namespace {

// The metrics of the file fontconfig matches to a family name.
class FileMetrics {
 public:
  explicit FileMetrics(const char* family) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcChar8* file = nullptr;
    FcPatternGetString(match, FC_FILE, 0, &file);
    EXPECT_EQ(FT_Init_FreeType(&library_), 0);
    EXPECT_EQ(FT_New_Face(library_, reinterpret_cast<const char*>(file), 0, &face_), 0);
    FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    os2_ = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
  }
  ~FileMetrics() {
    FT_Done_Face(face_);
    FT_Done_FreeType(library_);
  }
  double Scale(int ppem) const { return static_cast<double>(ppem) / face_->units_per_EM; }
  int Advance(char c, int ppem) const {
    FT_Fixed units = 0;
    FT_Get_Advance(face_, FT_Get_Char_Index(face_, static_cast<unsigned char>(c)), FT_LOAD_NO_SCALE, &units);
    return static_cast<int>(std::lround(units * Scale(ppem)));
  }
  int Ascent(int ppem) const { return static_cast<int>(std::lround(os2_->usWinAscent * Scale(ppem))); }
  int Descent(int ppem) const { return static_cast<int>(std::lround(os2_->usWinDescent * Scale(ppem))); }
  // The height of the capital H's outline.
  double CapHeight(int ppem) const {
    FT_Load_Glyph(face_, FT_Get_Char_Index(face_, 'H'), FT_LOAD_NO_SCALE);
    return face_->glyph->metrics.horiBearingY * Scale(ppem);
  }

 private:
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
  TT_OS2* os2_ = nullptr;
};

HFONT Font(int height, const char* face, int weight = FW_NORMAL, DWORD pitchAndFamily = VARIABLE_PITCH) {
  return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, pitchAndFamily, face);
}

// A memory context drawing into a fresh DIB section.
class Canvas {
 public:
  Canvas(int width, int height, bool topDown = true) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = topDown ? -height : height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<BYTE*>(bits);
    oldBitmap_ = SelectObject(dc_, bitmap_);
  }
  ~Canvas() {
    SelectObject(dc_, oldBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }
  // Byte `channel` (0 blue, 1 green, 2 red) of the pixel in memory row `row`.
  BYTE At(int x, int row, int channel = 0) const {
    return bits_[(static_cast<size_t>(row) * width_ + x) * 4 + channel];
  }
  // The bounding box of pixels whose blue byte is not 0, in memory rows.
  RECT Ink(RECT within) const {
    RECT box = {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int y = within.top; y < within.bottom; ++y)
      for (int x = within.left; x < within.right; ++x)
        if (At(x, y)) box = RECT{std::min(box.left, LONG(x)), std::min(box.top, LONG(y)),
                                 std::max(box.right, LONG(x + 1)), std::max(box.bottom, LONG(y + 1))};
    return box;
  }
  RECT Ink() const { return Ink(RECT{0, 0, width_, height_}); }

 private:
  int width_, height_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  BYTE* bits_ = nullptr;
};

// The glyph atlas a screen-text renderer builds: printable ASCII laid out in
// rows, each glyph drawn white on black at its place, one pixel apart.
TEST(GdiText, AtlasRectanglesMatchTheExtentsAndTheFontsAdvances) {
  const int size = 256;
  Canvas canvas(size, size);
  HDC dc = canvas.dc();
  EXPECT_EQ(SetMapMode(dc, MM_TEXT), MM_TEXT);
  ASSERT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
  int pixels = MulDiv(12, GetDeviceCaps(dc, LOGPIXELSY), 72);
  ASSERT_EQ(pixels, 16);
  HFONT font = Font(-pixels, "Arial");
  ASSERT_NE(font, nullptr);
  HGDIOBJ oldFont = SelectObject(dc, font);
  ASSERT_NE(oldFont, nullptr);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(0, 0, 0));
  SetTextAlign(dc, TA_TOP);

  FileMetrics metrics("Arial");
  const int cellHeight = metrics.Ascent(pixels) + metrics.Descent(pixels);
  RECT cells[128] = {};
  int x = 0, y = 0;
  for (char c = 32; c < 127; ++c) {
    SIZE extent;
    ASSERT_TRUE(GetTextExtentPoint32A(dc, &c, 1, &extent));
    EXPECT_EQ(extent.cx, metrics.Advance(c, pixels)) << "advance of '" << c << "'";
    EXPECT_EQ(extent.cy, cellHeight);
    if (x + extent.cx + 1 > size) {
      y += extent.cy + 1;
      x = 0;
    }
    ASSERT_TRUE(ExtTextOutA(dc, x, y, ETO_OPAQUE, nullptr, &c, 1, nullptr));
    cells[static_cast<int>(c)] = RECT{x, y, x + extent.cx, y + extent.cy};
    x += extent.cx + 1;
  }
  ASSERT_LE(cells[126].bottom, size) << "the atlas holds every glyph";

  // A known string: its glyph rectangles add up to the string's extent.
  const char text[] = "Kelvane draws {text} @ 60 fps!";
  SIZE whole;
  ASSERT_TRUE(GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &whole));
  LONG sum = 0;
  for (const char* p = text; *p; ++p) {
    const RECT& cell = cells[static_cast<int>(*p)];
    sum += cell.right - cell.left;
    EXPECT_EQ(cell.bottom - cell.top, whole.cy);
  }
  EXPECT_EQ(sum, whole.cx);

  // The capitals are drawn in their own rectangles: across them, standing on
  // the baseline and reaching the capital height.
  for (char c = 'A'; c <= 'Z'; ++c) {
    const RECT& cell = cells[static_cast<int>(c)];
    RECT ink = canvas.Ink(cell);
    ASSERT_LT(ink.left, ink.right) << "'" << c << "' was drawn";
    EXPECT_GE(ink.right - ink.left, (cell.right - cell.left) / 2) << c;
    if (std::strchr("EFHIKLMNTUVWXYZ", c)) {
      EXPECT_EQ(ink.bottom, cell.top + metrics.Ascent(pixels)) << "'" << c << "' on the baseline";
      EXPECT_NEAR(ink.top, cell.top + metrics.Ascent(pixels) - metrics.CapHeight(pixels), 1.0) << c;
    }
  }
  const RECT& space = cells[' '];
  RECT blank = canvas.Ink(space);
  EXPECT_GE(blank.left, blank.right) << "a space draws nothing";
  SelectObject(dc, oldFont);
  EXPECT_TRUE(DeleteObject(font));
}

TEST(GdiText, AlignmentColoursAndOrientation) {
  const int pixels = 20;
  FileMetrics metrics("Arial");
  const int ascent = metrics.Ascent(pixels), descent = metrics.Descent(pixels);
  HFONT font = Font(-pixels, "Arial");
  ASSERT_NE(font, nullptr);

  for (bool topDown : {true, false}) {
    Canvas canvas(200, 100, topDown);
    HDC dc = canvas.dc();
    HGDIOBJ old = SelectObject(dc, font);
    SetTextColor(dc, RGB(255, 0, 0));
    EXPECT_EQ(SetBkColor(dc, RGB(0, 0, 255)), RGB(255, 255, 255)) << "white background at first";
    // The default alignment is top-left: the cell starts at (10, 5).
    ASSERT_TRUE(ExtTextOutA(dc, 10, 5, 0, nullptr, "H", 1, nullptr));
    SIZE h;
    GetTextExtentPoint32A(dc, "H", 1, &h);
    auto row = [&](int y) { return topDown ? y : 99 - y; };
    // The cell box is background blue; outside it nothing changed.
    EXPECT_EQ(canvas.At(10, row(5)), 255);
    EXPECT_EQ(canvas.At(10 + h.cx - 1, row(5 + ascent + descent - 1)), 255);
    EXPECT_EQ(canvas.At(9, row(5)), 0);
    EXPECT_EQ(canvas.At(10, row(5 + ascent + descent)), 0);
    // The stem of H, fully covered, is the text colour; its bottom row is
    // the last one above the baseline.
    int baseline = 5 + ascent;
    bool red = false;
    for (int x = 10; x < 10 + h.cx; ++x)
      if (canvas.At(x, row(baseline - 1), 2) == 255 && canvas.At(x, row(baseline - 1), 0) == 0) red = true;
    EXPECT_TRUE(red) << "text colour in the stem at the baseline";
    for (int x = 10; x < 10 + h.cx; ++x) {
      int r = canvas.At(x, row(baseline - 2), 2), b = canvas.At(x, row(baseline - 2), 0);
      EXPECT_NEAR(r + b, 255, 1) << "antialiased pixels blend text and background";
      EXPECT_EQ(canvas.At(x, row(baseline), 2), 0) << "nothing below the baseline";
    }
    SelectObject(dc, old);
  }

  // Baseline, bottom, right and centre alignment, white on black.
  Canvas canvas(300, 100);
  HDC dc = canvas.dc();
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(0, 0, 0));
  SIZE h;
  GetTextExtentPoint32A(dc, "H", 1, &h);
  EXPECT_EQ(SetTextAlign(dc, TA_BASELINE | TA_LEFT), static_cast<UINT>(TA_TOP | TA_LEFT));
  ExtTextOutA(dc, 10, 50, 0, nullptr, "H", 1, nullptr);
  EXPECT_EQ(canvas.Ink(RECT{0, 0, 60, 100}).bottom, 50);
  SetTextAlign(dc, TA_BOTTOM | TA_RIGHT);
  ExtTextOutA(dc, 150, 50, 0, nullptr, "H", 1, nullptr);
  RECT right = canvas.Ink(RECT{60, 0, 200, 100});
  EXPECT_EQ(right.bottom, 50 - descent);
  EXPECT_LE(right.right, 150);
  EXPECT_GT(right.left, 150 - h.cx);
  SetTextAlign(dc, TA_TOP | TA_CENTER);
  ExtTextOutA(dc, 250, 0, 0, nullptr, "H", 1, nullptr);
  RECT centre = canvas.Ink(RECT{200, 0, 300, 100});
  EXPECT_NEAR((centre.left + centre.right) / 2.0, 250.0, 1.5);
  SelectObject(dc, old);
  DeleteObject(font);
}

TEST(GdiText, OpaqueAndClippingRectangles) {
  Canvas canvas(100, 40);
  HDC dc = canvas.dc();
  HFONT font = Font(-16, "Arial");
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, RGB(255, 255, 255));
  SetBkColor(dc, RGB(0, 0, 200));
  RECT box = {5, 5, 25, 15};
  // ETO_OPAQUE fills the rectangle even without text.
  ASSERT_TRUE(ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &box, "", 0, nullptr));
  EXPECT_EQ(canvas.At(5, 5), 200);
  EXPECT_EQ(canvas.At(24, 14), 200);
  EXPECT_EQ(canvas.At(25, 14), 0);
  // ETO_CLIPPED keeps text and its background inside the rectangle.
  RECT clip = {40, 0, 60, 40};
  ASSERT_TRUE(ExtTextOutA(dc, 30, 10, ETO_CLIPPED, &clip, "WWWWWW", 6, nullptr));
  RECT ink = canvas.Ink(RECT{26, 0, 100, 40});
  EXPECT_EQ(ink.left, 40);
  EXPECT_EQ(ink.right, 60);
  // Text running off the bitmap is cut at its edges.
  EXPECT_TRUE(ExtTextOutA(dc, 90, 30, 0, nullptr, "WWWW", 4, nullptr));
  EXPECT_TRUE(ExtTextOutA(dc, -1000, -1000, 0, nullptr, "W", 1, nullptr));
  // Given spacing replaces the advance widths.
  Canvas spaced(100, 30);
  SelectObject(dc, old);
  HGDIOBJ oldSpaced = SelectObject(spaced.dc(), font);
  SetBkColor(spaced.dc(), RGB(0, 0, 0));
  SetTextColor(spaced.dc(), RGB(255, 255, 255));
  const INT steps[] = {30, 30, 30};
  ASSERT_TRUE(ExtTextOutA(spaced.dc(), 0, 0, 0, nullptr, "III", 3, steps));
  int stems = 0;
  for (int x = 0; x < 100; ++x)
    if (spaced.At(x, 8) == 255 && (x == 0 || spaced.At(x - 1, 8) != 255)) ++stems;
  EXPECT_EQ(stems, 3);
  EXPECT_GE(spaced.Ink().right, 60);
  SelectObject(spaced.dc(), oldSpaced);
  DeleteObject(font);
}

// Windows face names become installed faces of the same kind.
TEST(GdiText, FaceNamesMapToFacesOfTheirKind) {
  HDC dc = CreateCompatibleDC(nullptr);
  auto widths = [&](HFONT font) {
    HGDIOBJ old = SelectObject(dc, font);
    SIZE i, w, text;
    GetTextExtentPoint32A(dc, "i", 1, &i);
    GetTextExtentPoint32A(dc, "W", 1, &w);
    GetTextExtentPoint32A(dc, "Hamburgefonstiv", 15, &text);
    SelectObject(dc, old);
    DeleteObject(font);
    return std::vector<LONG>{i.cx, w.cx, text.cx, text.cy};
  };
  auto courier = widths(Font(-20, "Courier New"));
  EXPECT_EQ(courier[0], courier[1]) << "Courier New is monospaced";
  auto lucida = widths(Font(-20, "Lucida Console"));
  EXPECT_EQ(lucida[0], lucida[1]) << "Lucida Console is monospaced";
  auto modern = widths(Font(-20, "No Such Face", FW_NORMAL, FIXED_PITCH | FF_MODERN));
  EXPECT_EQ(modern[0], modern[1]) << "an unknown face of the modern family is monospaced";
  auto arial = widths(Font(-20, "Arial"));
  EXPECT_LT(arial[0], arial[1]) << "Arial is proportional";
  auto times = widths(Font(-20, "Times New Roman"));
  EXPECT_LT(times[0], times[1]);
  EXPECT_NE(times[2], arial[2]) << "Times New Roman is not drawn with the sans face";
  auto bold = widths(Font(-20, "Arial", FW_BOLD));
  EXPECT_GT(bold[2], arial[2]) << "bold is wider";
  // A positive height is the cell height.
  auto cell = widths(Font(30, "Arial"));
  EXPECT_EQ(cell[3], 30);
  DeleteDC(dc);
}

TEST(GdiObjects, SelectionLifetimeAndInvalidHandles) {
  HDC first = CreateCompatibleDC(nullptr);
  HDC second = CreateCompatibleDC(nullptr);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, -8, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(first, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(static_cast<BYTE*>(bits)[8 * 8 * 4 - 1], 0) << "zeroed";
  HGDIOBJ initial = SelectObject(first, bitmap);
  ASSERT_NE(initial, nullptr);
  EXPECT_EQ(SelectObject(second, bitmap), nullptr) << "a bitmap is in one context at a time";

  // A context starts with a usable font.
  SIZE size;
  EXPECT_TRUE(GetTextExtentPoint32A(first, "x", 1, &size));
  EXPECT_GT(size.cx, 0);
  EXPECT_EQ(size.cy, 16);

  // Deleted while selected: still drawn into, freed when the context goes.
  HFONT font = Font(-12, "Arial");
  HGDIOBJ systemFont = SelectObject(first, font);
  EXPECT_TRUE(DeleteObject(font));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(SelectObject(second, font), nullptr) << "a deleted font cannot be selected again";
  EXPECT_TRUE(ExtTextOutA(first, 0, 0, 0, nullptr, "x", 1, nullptr));
  EXPECT_EQ(SelectObject(first, systemFont), font);
  EXPECT_TRUE(DeleteDC(first));
  EXPECT_FALSE(DeleteObject(bitmap)) << "freed with its context";

  // Formats other than 32-bit BI_RGB are refused.
  info.bmiHeader.biBitCount = 24;
  EXPECT_EQ(CreateDIBSection(second, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
  EXPECT_EQ(bits, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(SetMapMode(second, 8), 0);

  EXPECT_FALSE(DeleteDC(first)) << "already deleted";
  EXPECT_FALSE(ExtTextOutA(first, 0, 0, 0, nullptr, "x", 1, nullptr));
  EXPECT_EQ(SetTextColor(first, 0), CLR_INVALID);
  EXPECT_EQ(GetDeviceCaps(first, LOGPIXELSY), 0);
  EXPECT_FALSE(GetTextExtentPoint32A(second, "x", -1, &size));
  EXPECT_TRUE(DeleteDC(second));
}

}  // namespace
