// Text on the device: the glyph atlas against the font's own extents, a
// string drawn where and in the colour asked, fonts too large for their
// atlas, lines that follow the full font size, and a font built only once a
// device is there.
#include "channel_harness.h"
#include "text/text_channel.h"
#include "textout/font_texture.h"
#include "textout/vel_dx8_textout_channel.h"
#include "vectorvalue/vel_vector_channel.h"

#include <d3d8/d3d8debug.h>
#include <win32/gdi.h>
#include <win32/misc.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace vel_test {
namespace {

static_assert(!std::is_copy_constructible_v<Vel_DX8_TextOutChannel> &&
                  !std::is_copy_assignable_v<Vel_DX8_TextOutChannel> && !std::is_copy_constructible_v<FontTexture>,
              "the text output and its font own device objects: never copied");

// The cell extent of `text` in `face` at `points`, as GDI measures it on a
// 96-pixels-per-inch context.
SIZE Extent(const char* face, int points, const char* text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontA(-MulDiv(points, 96, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, face);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return size;
}

// The box of the pixels that are not black.
struct Ink {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1, count = 0;
};
Ink FindInk(const Image& image) {
  Ink ink;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      Rgba p = image.At(x, y);
      if (p.r + p.g + p.b == 0) continue;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
      ++ink.count;
    }
  return ink;
}

class TextOutDrawTest : public ChannelHarness {
 protected:
  void TearDown() override {
    D3D8Debug_FailCreateDevice(D3D_OK, 0);
    ChannelHarness::TearDown();
  }

  // A text output with its text, position and colour children.
  Vel_DX8_TextOutChannel* NewTextOut(const char* text, float x, float y, D3DXVECTOR3 color) {
    auto* out = Create<Vel_DX8_TextOutChannel>(vel::kTextOutType);
    auto* string = Create<TextChannel>(vel::kTextType);
    auto* pos = Create<Vel_VectorChannel>(vel::kVectorType);
    auto* rgb = Create<Vel_VectorChannel>(vel::kVectorType);
    EXPECT_TRUE(out && string && pos && rgb);
    string->SetString(text);
    pos->SetVector(D3DXVECTOR3(x, y, 0));
    rgb->SetVector(color);
    EXPECT_TRUE(Link(out, pos, Vel_DX8_TextOutChannel::kPosSlot));
    EXPECT_TRUE(Link(out, string, Vel_DX8_TextOutChannel::kTextSlot));
    EXPECT_TRUE(Link(out, rgb, Vel_DX8_TextOutChannel::kColorSlot));
    return out;
  }

  Image DrawFrame(Orn_Channel* out) {
    IDirect3DDevice8* d = D3DDevice();
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    d->BeginScene();
    engine->ext->IncreaseTreeCount();
    out->CallChannel();
    d->EndScene();
    return PresentAndCapture();
  }
};

TEST_F(TextOutDrawTest, AtlasGlyphsHaveTheFontsExtentsAndTheAtlasSizeFollowsTheFontSize) {
  ASSERT_NE(D3DDevice(), nullptr);
  FontTexture font("Arial", 12, 0);
  ASSERT_EQ(font.InitDeviceObjects(D3DDevice()), S_OK);
  ASSERT_EQ(font.RestoreDeviceObjects(), S_OK);
  EXPECT_EQ(font.GetTextureWidth(), 256u);
  EXPECT_EQ(font.GetTextScale(), 1.0f);
  const char* sample = "Kelvane 3D: W@ij,~";
  long sum = 0;
  for (const char* p = sample; *p; ++p) {
    const char one[2] = {*p, 0};
    const SIZE extent = Extent("Arial", 12, one);
    const float* g = font.GetGlyph(*p);
    EXPECT_FLOAT_EQ((g[2] - g[0]) * 256.0f, static_cast<float>(extent.cx)) << "width of " << *p;
    EXPECT_FLOAT_EQ((g[3] - g[1]) * 256.0f, static_cast<float>(extent.cy)) << "height of " << *p;
    EXPECT_TRUE(g[0] >= 0 && g[2] <= 1 && g[1] >= 0 && g[3] <= 1) << *p;
    sum += extent.cx;
  }
  EXPECT_EQ(sum, Extent("Arial", 12, sample).cx) << "advances add up to the string's extent";
  const float* del = font.GetGlyph(127);
  EXPECT_EQ(del[2] - del[0], 0.0f) << "character 127 has no glyph";

  const std::pair<unsigned, unsigned> sizes[] = {{20, 256}, {21, 512}, {40, 512}, {41, 1024}};
  for (auto [points, atlas] : sizes) {
    FontTexture sized("Arial", points, 0);
    ASSERT_EQ(sized.InitDeviceObjects(D3DDevice()), S_OK);
    EXPECT_EQ(sized.GetTextureWidth(), atlas) << points << " points";
  }
}

TEST_F(TextOutDrawTest, GlyphsTooLargeForTheAtlasShrinkUntilTheyFitAndDrawAtFullSize) {
  ASSERT_NE(D3DDevice(), nullptr);
  // 500 points and, past the largest rasterised size, 800 points: both drawn
  // at their full size.
  for (int points : {500, 800}) {
    SCOPED_TRACE(points);
    FontTexture font("Arial", static_cast<unsigned>(points), 0);
    ASSERT_EQ(font.InitDeviceObjects(D3DDevice()), S_OK);
    EXPECT_EQ(font.GetHeight(), static_cast<unsigned>(points));
    EXPECT_EQ(font.GetTextureWidth(), 1024u);
    const float scale = font.GetTextScale();
    EXPECT_LT(scale, 0.5f);
    EXPECT_GT(scale, 0.05f);
    for (int c = FontTexture::kFirstChar; c <= FontTexture::kLastChar; ++c) {
      const float* g = font.GetGlyph(c);
      ASSERT_TRUE(g[2] <= 1.0f && g[3] <= 1.0f) << "glyph " << c << " lies inside the atlas";
    }
    // Drawn size: the glyph divided by the scale is the full-size extent.
    const SIZE full = Extent("Arial", points, "M");
    const float* m = font.GetGlyph('M');
    EXPECT_NEAR((m[2] - m[0]) * 1024.0f / scale, full.cx, full.cx * 0.03);
    EXPECT_NEAR((m[3] - m[1]) * 1024.0f / scale, full.cy, full.cy * 0.03);
  }
}

TEST_F(TextOutDrawTest, StringIsDrawnAtItsPositionInItsColour) {
  ASSERT_NE(D3DDevice(), nullptr);
  const float x = 10, y = 20;
  // Red above 1.0 is full red (not its wrapped low byte 0x32), blue below 0
  // none.
  auto* out = NewTextOut("HI", x, y, D3DXVECTOR3(1.2f, 0.5f, -0.5f));
  out->SetFontSize(12);
  const Image image = DrawFrame(out);
  const SIZE cell = Extent("Arial", 12, "HI");
  const Ink ink = FindInk(image);
  ASSERT_GT(ink.count, 20);
  // The ink lies in the text's cell; H and I fill it across (bar a few
  // pixels of side bearing) and reach down from the cap height.
  EXPECT_GE(ink.left, x);
  EXPECT_LE(ink.left, x + 3);
  EXPECT_LT(ink.right, x + cell.cx);
  EXPECT_GE(ink.right, x + cell.cx - 4);
  EXPECT_GE(ink.top, y);
  EXPECT_LT(ink.bottom, y + cell.cy);
  EXPECT_GT(ink.bottom - ink.top, cell.cy / 2);
  // Every pixel is the colour at some coverage; the stems are fully covered.
  // Components are trunc(v x 255): green 127.
  int full = 0;
  for (int py = ink.top; py <= ink.bottom; ++py)
    for (int px = ink.left; px <= ink.right; ++px) {
      Rgba p = image.At(px, py);
      EXPECT_EQ(p.b, 0);
      EXPECT_NEAR(p.g, 127 * p.r / 255, 2) << px << "," << py;
      full += p.r == 255 && p.g == 127;
    }
  EXPECT_GT(full, 10);
}

TEST_F(TextOutDrawTest, ANewLineMovesDownByTheFullSizeLineOfAShrunkFont) {
  ASSERT_NE(D3DDevice(), nullptr);
  // At 200 points the glyphs are rasterised at about half size; the second
  // line still starts one full-size line (267 pixels) below the first.
  auto* out = Create<Vel_DX8_TextOutChannel>(vel::kTextOutType);
  out->SetFontSize(200);
  auto draw = [&](float y, const char* text) {
    IDirect3DDevice8* d = D3DDevice();
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    d->BeginScene();
    EXPECT_EQ(out->DrawTextA(0, y, 0xFFFFFFFF, const_cast<char*>(text), 0), S_OK);
    d->EndScene();
    return FindInk(PresentAndCapture());
  };
  // Where the ink of "I" begins below the top of its line.
  const int capTop = draw(0, "I").top;
  ASSERT_NE(out->GetFont(), nullptr);
  ASSERT_LT(out->GetFont()->GetTextScale(), 0.75f);
  const int line = Extent("Arial", 200, " ").cy;
  const int y = -line - 20;
  const Ink ink = draw(static_cast<float>(y), "\nI");
  ASSERT_GT(ink.count, 0);
  EXPECT_NEAR(ink.top, y + line + capTop, 3);
}

TEST_F(TextOutDrawTest, NoDeviceDrawsNothingAndTheFontIsBuiltOnceThereIsOne) {
  D3D8Debug_FailCreateDevice(E_FAIL, -1);
  auto* out = NewTextOut("HI", 10, 20, D3DXVECTOR3(1, 1, 1));
  ASSERT_EQ(D3DDevice(), nullptr);
  EXPECT_EQ(out->DrawTextA(0, 0, const_cast<char*>("x")), E_FAIL);
  engine->ext->IncreaseTreeCount();
  out->CallChannel();
  EXPECT_EQ(out->GetFont(), nullptr);
  D3D8Debug_FailCreateDevice(D3D_OK, 0);
  ASSERT_TRUE(Device()->ResetDevice());
  EXPECT_GT(FindInk(DrawFrame(out)).count, 20);

  // A reset drops the font; the next draw builds it again. Nothing is left
  // on the device when the channel goes.
  out->InvalidateDeviceObjects();
  EXPECT_EQ(out->GetFont(), nullptr);
  EXPECT_GT(FindInk(DrawFrame(out)).count, 20);
  D3DDevice()->SetTexture(0, nullptr);
  D3DDevice()->SetStreamSource(0, nullptr, 0);
  const UINT before = D3D8Debug_DeviceChildReferences(D3DDevice());
  Destroy(out);
  EXPECT_EQ(before - D3D8Debug_DeviceChildReferences(D3DDevice()), 2u) << "atlas and vertex buffer";
}

}  // namespace
}  // namespace vel_test
