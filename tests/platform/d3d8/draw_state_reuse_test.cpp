// What a draw keeps from the one before: many objects drawn one after the
// other, each with its own world matrix under one camera, and surfaces that
// set their texture stages before a draw and put them back after it. Every
// draw must still show the state set at its own time.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

inline float B(int byte) { return byte / 255.0f; }

// Texture (0x80, 0xFF, 0x40), diffuse (0xFF, 0x80, 0xC0), factor (0x10, 0x20, 0x30).
constexpr D3DCOLOR kTex = 0xC080FF40, kDiffuse = 0x60FF80C0, kFactor = 0x20102030;

class DrawStateReuseTest : public DeviceTest {
 protected:
  // A red quad from -0.5 to 0.5 in x and y at z 0.5, unlit, through the
  // world, view and projection matrices set.
  void DrawQuad() {
    const D3DCOLOR red = 0xFFFF0000;
    PosColor v[4] = {{-0.5f, 0.5f, 0.5f, red}, {0.5f, 0.5f, 0.5f, red}, {-0.5f, -0.5f, 0.5f, red},
                     {0.5f, -0.5f, 0.5f, red}};
    DrawQuadUP(D3DFVF_XYZ | D3DFVF_DIFFUSE, v, sizeof v[0]);
  }
  bool Red(int x) {
    const Rgba p = Pixel(x, 32);
    return p.r == 255 && p.g == 0 && p.b == 0;
  }
  void SetWorld(const D3DMATRIX& m) { device_->SetTransform(D3DTS_WORLD, &m); }
  void SetView(const D3DMATRIX& m) { device_->SetTransform(D3DTS_VIEW, &m); }
  void SetProjection(const D3DMATRIX& m) { device_->SetTransform(D3DTS_PROJECTION, &m); }

  // The surface's way: its stage 0 set up, the texture bound, drawn, and
  // the stage put back to the device's defaults with no texture.
  Rgba DrawSurface(IDirect3DBaseTexture8* texture, DWORD arg1) {
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, arg1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device_->SetTexture(0, texture);
    Clear(0xFF000000);
    DrawScreenTexturedQuad(kDiffuse);
    device_->SetTexture(0, nullptr);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    return Pixel(32, 32);
  }
};

// With the projection the identity, x on screen is (x + 1) / 2 of the
// viewport's width from its left edge: the quad at x from -0.5 to 0.5
// covers pixels 16 to 48 of the 64.
TEST_F(DrawStateReuseTest, EachDrawUsesTheCameraProjectionAndViewportOfItsTime) {
  ASSERT_TRUE(CreateDevice());
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  SetProjection(Identity());
  SetView(Identity());

  // Two objects in one frame, each moved by its own world matrix: x from
  // -0.9 to 0.1 (pixels 3 to 35) and from 0.3 to 1.3 (pixels 42 on).
  Clear(0xFF000000);
  SetWorld(Translation(-0.4f, 0, 0));
  DrawQuad();
  SetWorld(Translation(0.8f, 0, 0));
  DrawQuad();
  EXPECT_TRUE(Red(6));
  EXPECT_FALSE(Red(38));
  EXPECT_TRUE(Red(46));

  // The camera moves half a unit to the left: the first object, drawn
  // again with its own world matrix, lands at -0.4 to 0.6 (pixels 19 to 51).
  SetView(Translation(0.5f, 0, 0));
  SetWorld(Translation(-0.4f, 0, 0));
  Clear(0xFF000000);
  DrawQuad();
  EXPECT_FALSE(Red(16));
  EXPECT_TRUE(Red(22));
  EXPECT_TRUE(Red(48));
  EXPECT_FALSE(Red(54));

  // Half the field of view's size: -0.2 to 0.3 (pixels 25.6 to 41.6).
  SetProjection(Scaling(0.5f, 0.5f, 1.0f));
  Clear(0xFF000000);
  DrawQuad();
  EXPECT_FALSE(Red(23));
  EXPECT_TRUE(Red(28));
  EXPECT_TRUE(Red(39));
  EXPECT_FALSE(Red(44));

  // The left half of the target as the viewport: 32 pixels wide, the quad
  // at 12.8 to 20.8.
  D3DVIEWPORT8 half = {0, 0, 32, 64, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&half), D3D_OK);
  Clear(0xFF000000);
  DrawQuad();
  EXPECT_FALSE(Red(11));
  EXPECT_TRUE(Red(15));
  EXPECT_TRUE(Red(19));
  EXPECT_FALSE(Red(23));

  // A state block puts the camera back at the origin: -0.45 to 0.05 of the
  // half viewport, pixels 8.8 to 16.8.
  DWORD block = 0;
  ASSERT_EQ(device_->BeginStateBlock(), D3D_OK);
  SetView(Identity());
  ASSERT_EQ(device_->EndStateBlock(&block), D3D_OK);
  ASSERT_EQ(device_->ApplyStateBlock(block), D3D_OK);
  Clear(0xFF000000);
  DrawQuad();
  EXPECT_FALSE(Red(7));
  EXPECT_TRUE(Red(11));
  EXPECT_TRUE(Red(15));
  EXPECT_FALSE(Red(19));
  device_->DeleteStateBlock(block);
}

TEST_F(DrawStateReuseTest, StagesPutBackAfterEachDrawDrawTheSameAgain) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = MakeColorTexture(1, 1, {kTex});
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, kFactor);
  // Texture times diffuse, object after object.
  for (int object = 0; object < 3; ++object)
    EXPECT_NEAR_RGB(DrawSurface(t, D3DTA_TEXTURE), Byte(B(0x80)), Byte(B(0x80)), Byte(B(0x40) * B(0xC0)), 1);
  const UINT programs = D3D8Debug_ProgramCount(device_);
  EXPECT_NEAR_RGB(DrawSurface(t, D3DTA_TEXTURE), Byte(B(0x80)), Byte(B(0x80)), Byte(B(0x40) * B(0xC0)), 1);
  EXPECT_EQ(D3D8Debug_ProgramCount(device_), programs);

  // The next surface differs in one argument only: the factor times diffuse.
  EXPECT_NEAR_RGB(DrawSurface(t, D3DTA_TFACTOR), Byte(B(0x10)), Byte(B(0x20) * B(0x80)), Byte(B(0x30) * B(0xC0)),
                  1);
  // And the one after it is as the first.
  EXPECT_NEAR_RGB(DrawSurface(t, D3DTA_TEXTURE), Byte(B(0x80)), Byte(B(0x80)), Byte(B(0x40) * B(0xC0)), 1);
  // A surface without a texture: a stage reading none reads opaque white,
  // so the diffuse colour comes through.
  EXPECT_NEAR_RGB(DrawSurface(nullptr, D3DTA_TEXTURE), 0xFF, 0x80, 0xC0, 1);
  EXPECT_NEAR_RGB(DrawSurface(t, D3DTA_TEXTURE), Byte(B(0x80)), Byte(B(0x80)), Byte(B(0x40) * B(0xC0)), 1);
  t->Release();
}

TEST_F(DrawStateReuseTest, AChangeAmongStatesPutBackIsSeen) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = MakeColorTexture(1, 1, {kTex});
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, kFactor);
  device_->SetTexture(0, t);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  Clear(0xFF000000);
  DrawScreenTexturedQuad(kDiffuse);
  EXPECT_NEAR_RGB(Pixel(32, 32), Byte(B(0x80)), Byte(B(0x80)), Byte(B(0x40) * B(0xC0)), 1);

  // Between draws: the operation changed and put back, the texture taken
  // away and given back, the same state set twice, and one argument left
  // changed: the factor is selected.
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device_->SetTexture(0, nullptr);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTexture(0, t);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  Clear(0xFF000000);
  DrawScreenTexturedQuad(kDiffuse);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0x10, 0x20, 0x30, 0);

  // A state block sets the first stage's operation and argument back.
  DWORD block = 0;
  ASSERT_EQ(device_->BeginStateBlock(), D3D_OK);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  ASSERT_EQ(device_->EndStateBlock(&block), D3D_OK);
  ASSERT_EQ(device_->ApplyStateBlock(block), D3D_OK);
  Clear(0xFF000000);
  DrawScreenTexturedQuad(kDiffuse);
  EXPECT_NEAR_RGB(Pixel(32, 32), Byte(B(0x80)), Byte(B(0x80)), Byte(B(0x40) * B(0xC0)), 1);

  // The texture alone taken away: the stage reads opaque white.
  device_->SetTexture(0, nullptr);
  Clear(0xFF000000);
  DrawScreenTexturedQuad(kDiffuse);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0xFF, 0x80, 0xC0, 1);
  device_->DeleteStateBlock(block);
  t->Release();
}

// Two-component coordinates with a texture transform are (u, v, 1, 0)
// times the stage's matrix, so a translation sits in its third row. A 2x2
// texture drawn over the whole target with point sampling: the top-left
// quarter shows texel (0, 0) at u, v = 0.25.
TEST_F(DrawStateReuseTest, TheTextureMatrixOfEachDrawIsApplied) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = MakeColorTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
  device_->SetTexture(0, t);
  device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  SetProjection(Identity());
  SetView(Identity());
  SetWorld(Identity());
  auto draw = [&] {
    PosTex v[4] = {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 1, 0}, {-1, -1, 0.5f, 0, 1}, {1, -1, 0.5f, 1, 1}};
    Clear(0xFF000000);
    DrawQuadUP(D3DFVF_XYZ | D3DFVF_TEX1, v, sizeof v[0]);
  };
  auto expect = [&](int x, int y, int r, int g, int b) { EXPECT_NEAR_RGB(Pixel(x, y), r, g, b, 0); };
  const D3DMATRIX identity = Identity();

  device_->SetTransform(D3DTS_TEXTURE0, &identity);
  draw();
  expect(16, 16, 255, 0, 0);
  expect(48, 16, 0, 255, 0);
  expect(16, 48, 0, 0, 255);

  // Half a texture to the right: u 0.75 in the left half, 1.25 (wrapped to
  // 0.25) in the right.
  D3DMATRIX shift = Identity();
  shift._31 = 0.5f;
  device_->SetTransform(D3DTS_TEXTURE0, &shift);
  draw();
  expect(16, 16, 0, 255, 0);
  expect(48, 16, 255, 0, 0);

  device_->SetTransform(D3DTS_TEXTURE0, &identity);
  draw();
  expect(16, 16, 255, 0, 0);

  // The same shift down, from a state block: v 0.75 in the top half.
  D3DMATRIX down = Identity();
  down._32 = 0.5f;
  DWORD block = 0;
  ASSERT_EQ(device_->BeginStateBlock(), D3D_OK);
  device_->SetTransform(D3DTS_TEXTURE0, &down);
  ASSERT_EQ(device_->EndStateBlock(&block), D3D_OK);
  ASSERT_EQ(device_->ApplyStateBlock(block), D3D_OK);
  draw();
  expect(16, 16, 0, 0, 255);
  expect(48, 16, 255, 255, 255);
  device_->DeleteStateBlock(block);
  device_->SetTexture(0, nullptr);
  t->Release();
}

}  // namespace
}  // namespace d3d8test
