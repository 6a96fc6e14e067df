// Render targets: drawing into a texture and reading it back as a texture,
// Direct3D's pixel centres and row order in render-target textures, lockable
// targets, depth buffers and what Get* hands out.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class RenderTargetTest : public DeviceTest {
 protected:
  // States of an image-space pass: the stage copies its texture, filtered
  // linearly so that any drift off the texel centres blends neighbours.
  void ImageSpaceStates() {
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    SelectArg1(D3DTA_TEXTURE);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device_->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
  }
};

constexpr UINT kPassSize = 32;

// An irregular image: every texel differs from its neighbours.
std::vector<D3DCOLOR> NoiseImage() {
  std::vector<D3DCOLOR> texels(kPassSize * kPassSize);
  uint32_t state = 12345;
  for (D3DCOLOR& t : texels) {
    state = state * 1664525u + 1013904223u;
    t = state;
  }
  return texels;
}

struct PosTexel {
  float x, y, z;
  float u, v;
};

TEST_F(RenderTargetTest, ImageSpacePassesAtHalfATexelCopyTheirSourceExactly) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* targets[2] = {};
  IDirect3DSurface8* levels[2] = {};
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(device_->CreateTexture(kPassSize, kPassSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                     D3DPOOL_DEFAULT, &targets[i]),
              D3D_OK);
    targets[i]->GetSurfaceLevel(0, &levels[i]);
  }
  const std::vector<D3DCOLOR> source = NoiseImage();
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(kPassSize, kPassSize, D3DFMT_A8R8G8B8, &image), D3D_OK);
  D3DLOCKED_RECT lr;
  ASSERT_EQ(image->LockRect(&lr, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < kPassSize; ++y)
    std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch, &source[y * kPassSize], kPassSize * 4);
  image->UnlockRect();
  ImageSpaceStates();

  // A quad over the whole clip space whose coordinates are moved by half a
  // texel: with pixel centres on integer positions every pixel then samples
  // the centre of its own texel. The same with pre-transformed vertices
  // whose edges lie half a pixel before the first and after the last pixel
  // centre.
  const float h = 0.5f / kPassSize, e = kPassSize - 0.5f;
  const PosTexel clip[4] = {{-1, 1, 0, h, h}, {1, 1, 0, 1 + h, h}, {-1, -1, 0, h, 1 + h}, {1, -1, 0, 1 + h, 1 + h}};
  const ScreenColorTex screen[4] = {{-0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                                    {e, -0.5f, 0, 1, 0xFFFFFFFF, 1, 0},
                                    {-0.5f, e, 0, 1, 0xFFFFFFFF, 0, 1},
                                    {e, e, 0, 1, 0xFFFFFFFF, 1, 1}};
  SavedTargets saved(device_);
  for (int variant = 0; variant < 2; ++variant) {
    SCOPED_TRACE(variant == 0 ? "transformed quad" : "pre-transformed quad");
    ASSERT_EQ(device_->CopyRects(image, nullptr, 0, levels[0], nullptr), D3D_OK);
    for (int pass = 0; pass < 100; ++pass) {
      const int from = pass % 2, to = 1 - from;
      ASSERT_EQ(device_->SetRenderTarget(levels[to], nullptr), D3D_OK);
      device_->SetTexture(0, targets[from]);
      if (variant == 0)
        DrawQuadUP(D3DFVF_XYZ | D3DFVF_TEX1, clip, sizeof clip[0]);
      else
        DrawQuadUP(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, screen, sizeof screen[0]);
    }
    device_->SetTexture(0, nullptr);
    const std::vector<D3DCOLOR> result = Texels(levels[0]);
    ASSERT_EQ(result.size(), source.size());
    int wrong = 0;
    for (size_t i = 0; i < source.size(); ++i) wrong += result[i] != source[i];
    EXPECT_EQ(wrong, 0) << "texels changed after 100 passes; first texel " << std::hex << result[0] << " for "
                        << source[0];
  }
  image->Release();
  for (int i = 0; i < 2; ++i) {
    levels[i]->Release();
    targets[i]->Release();
  }
}

// What is drawn at the top of the clip space lands in the first rows of a
// render-target texture, and the first rows are what v = 0 samples.
TEST_F(RenderTargetTest, RenderTargetTexturesKeepDirect3DsRowOrder) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface8* level = nullptr;
  target->GetSurfaceLevel(0, &level);
  {
    SavedTargets saved(device_);
    ASSERT_EQ(device_->SetRenderTarget(level, nullptr), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    const PosColor top[4] = {{-1, 1, 0, 0xFFFF0000}, {1, 1, 0, 0xFFFF0000}, {-1, 0, 0, 0xFFFF0000}, {1, 0, 0, 0xFFFF0000}};
    DrawQuadUP(D3DFVF_XYZ | D3DFVF_DIFFUSE, top, sizeof top[0]);
    const std::vector<D3DCOLOR> texels = Texels(level);
    ASSERT_EQ(texels.size(), 16u);
    for (UINT y = 0; y < 4; ++y)
      EXPECT_EQ(texels[y * 4] & 0xFFFFFF, y < 2 ? 0xFF0000u : 0x0000FFu) << "row " << y;
  }
  ShowTexture(target);
  EXPECT_NEAR_RGB(Pixel(32, 8), 255, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(32, 56), 0, 0, 255, 0);
  level->Release();
  target->Release();
}

TEST_F(RenderTargetTest, TextureDrawnIntoIsReadBackAsATexture) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device_->CreateTexture(32, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface8* level = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &level), D3D_OK);
  IDirect3DSurface8 *oldColor = nullptr, *oldDepth = nullptr;
  ASSERT_EQ(device_->GetRenderTarget(&oldColor), D3D_OK);
  ASSERT_EQ(device_->GetDepthStencilSurface(&oldDepth), D3D_OK);

  ASSERT_EQ(device_->SetRenderTarget(level, nullptr), D3D_OK);
  D3DVIEWPORT8 vp;
  device_->GetViewport(&vp);
  EXPECT_EQ(vp.Width, 32u);  // the viewport follows the new target
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
  // A red block in the top-left quarter of the target.
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  ScreenColor v[4] = {{-0.5f, -0.5f, 0.5f, 1, 0xFFFF0000}, {15.5f, -0.5f, 0.5f, 1, 0xFFFF0000},
                      {-0.5f, 15.5f, 0.5f, 1, 0xFFFF0000}, {15.5f, 15.5f, 0.5f, 1, 0xFFFF0000}};
  DrawQuadUP(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, v, sizeof v[0]);

  ASSERT_EQ(device_->SetRenderTarget(oldColor, oldDepth), D3D_OK);
  device_->GetViewport(&vp);
  EXPECT_EQ(vp.Width, kWidth);
  device_->SetTexture(0, target);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  Clear(0xFF000000);
  DrawScreenTexturedQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Pixel(8, 8), 255, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(40, 8), 0, 0, 255, 0);
  EXPECT_NEAR_RGB(Pixel(8, 40), 0, 0, 255, 0);
  device_->SetTexture(0, nullptr);
  level->Release();
  target->Release();
  oldColor->Release();
  oldDepth->Release();
}

TEST_F(RenderTargetTest, LockableRenderTargetReadsBackWhatWasDrawn) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DSurface8* rt = nullptr;
  ASSERT_EQ(device_->CreateRenderTarget(16, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, TRUE, &rt), D3D_OK);
  ASSERT_EQ(device_->SetRenderTarget(rt, nullptr), D3D_OK);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80102030, 1.0f, 0), D3D_OK);
  // With no depth buffer bound a depth clear is refused.
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  Rgba p = PixelOf(rt, 15, 7);
  EXPECT_EQ(p.r, 0x10);
  EXPECT_EQ(p.g, 0x20);
  EXPECT_EQ(p.b, 0x30);
  EXPECT_EQ(p.a, 0x80);
  // Writing through a lock changes the target.
  D3DLOCKED_RECT lr;
  ASSERT_EQ(rt->LockRect(&lr, nullptr, 0), D3D_OK);
  D3DCOLOR c = 0xFFABCDEF;
  std::memcpy(lr.pBits, &c, 4);
  rt->UnlockRect();
  p = PixelOf(rt, 0, 0);
  EXPECT_EQ(p.r, 0xAB);
  IDirect3DSurface8* bb = nullptr;
  device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &bb);
  IDirect3DSurface8* ds = nullptr;
  device_->CreateDepthStencilSurface(kWidth, kHeight, D3DFMT_D16, D3DMULTISAMPLE_NONE, &ds);
  ASSERT_EQ(device_->SetRenderTarget(bb, ds), D3D_OK);
  bb->Release();
  ds->Release();
  rt->Release();
}

TEST_F(RenderTargetTest, RefusesUnsuitableSurfaces) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DSurface8* small = nullptr;
  ASSERT_EQ(device_->CreateDepthStencilSurface(16, 16, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, &small), D3D_OK);
  // A depth buffer smaller than the target.
  EXPECT_EQ(device_->SetRenderTarget(nullptr, small), D3DERR_INVALIDCALL);
  // A depth buffer as colour target, a managed texture level as target.
  EXPECT_EQ(device_->SetRenderTarget(small, nullptr), D3DERR_INVALIDCALL);
  IDirect3DTexture8* plain = nullptr;
  device_->CreateTexture(64, 64, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain);
  IDirect3DSurface8* level = nullptr;
  plain->GetSurfaceLevel(0, &level);
  EXPECT_EQ(device_->SetRenderTarget(level, nullptr), D3DERR_INVALIDCALL);
  level->Release();
  plain->Release();
  small->Release();
  IDirect3DSurface8* s = nullptr;
  EXPECT_EQ(device_->CreateRenderTarget(8, 8, D3DFMT_V8U8, D3DMULTISAMPLE_NONE, FALSE, &s), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateDepthStencilSurface(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, &s),
            D3DERR_INVALIDCALL);
  // A target that was not asked to be lockable cannot be locked.
  ASSERT_EQ(device_->CreateRenderTarget(8, 8, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, FALSE, &s), D3D_OK);
  D3DLOCKED_RECT lr;
  EXPECT_EQ(s->LockRect(&lr, nullptr, 0), D3DERR_INVALIDCALL);
  s->Release();
}

TEST_F(RenderTargetTest, ClearIsLimitedToTheViewportAndRectangles) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  D3DVIEWPORT8 vp = {16, 16, 32, 32, 0, 1};
  ASSERT_EQ(device_->SetViewport(&vp), D3D_OK);
  Clear(0xFFFF0000);
  EXPECT_NEAR_RGB(Pixel(15, 15), 0, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(16, 16), 255, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(47, 47), 255, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(48, 48), 0, 0, 0, 0);
  D3DRECT r = {0, 0, 20, 20};
  ASSERT_EQ(device_->Clear(1, &r, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
  EXPECT_NEAR_RGB(Pixel(18, 18), 0, 255, 0, 0);
  EXPECT_NEAR_RGB(Pixel(10, 10), 0, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(22, 22), 255, 0, 0, 0);
}

}  // namespace
}  // namespace d3d8test
