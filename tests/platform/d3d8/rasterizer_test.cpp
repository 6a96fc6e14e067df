// Rasterisation in Direct3D's conventions: clockwise front faces, the top
// left of the target at (-1, 1), depth in [0, 1], pixel centres at integer
// coordinates, fill and shade modes.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class RasterizerTest : public DeviceTest {
 protected:
  void Unlit() { device_->SetRenderState(D3DRS_LIGHTING, FALSE); }
  void DrawTriangle(const PosColor (&v)[3]) {
    device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, v, sizeof v[0]), D3D_OK);
  }
  void DrawQuadAt(float z, D3DCOLOR c) {
    PosColor v[4] = {{-1, 1, z, c}, {1, 1, z, c}, {-1, -1, z, c}, {1, -1, z, c}};
    DrawQuadUP(D3DFVF_XYZ | D3DFVF_DIFFUSE, v, sizeof v[0]);
  }
};

// Top-left, top-right, bottom-left: clockwise on screen.
const PosColor kClockwise[3] = {{-1, 1, 0.5f, 0xFFFF0000}, {1, 1, 0.5f, 0xFFFF0000}, {-1, -1, 0.5f, 0xFFFF0000}};
const PosColor kCounterClockwise[3] = {{-1, 1, 0.5f, 0xFF00FF00}, {-1, -1, 0.5f, 0xFF00FF00}, {1, 1, 0.5f, 0xFF00FF00}};

TEST_F(RasterizerTest, TopLeftOfClipSpaceIsTheTopLeftPixel) {
  ASSERT_TRUE(CreateDevice());
  Unlit();
  Clear(0xFF000000);
  DrawTriangle(kClockwise);
  EXPECT_NEAR_RGB(Pixel(2, 2), 255, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(61, 61), 0, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(61, 1), 255, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(1, 61), 255, 0, 0, 0);
}

TEST_F(RasterizerTest, CounterClockwiseFacesAreCulledByDefault) {
  ASSERT_TRUE(CreateDevice());
  Unlit();
  Clear(0xFF000000);
  DrawTriangle(kCounterClockwise);
  EXPECT_NEAR_RGB(Pixel(4, 4), 0, 0, 0, 0);
  DrawTriangle(kClockwise);
  EXPECT_NEAR_RGB(Pixel(4, 4), 255, 0, 0, 0);

  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  Clear(0xFF000000);
  DrawTriangle(kClockwise);
  EXPECT_NEAR_RGB(Pixel(4, 4), 0, 0, 0, 0);
  DrawTriangle(kCounterClockwise);
  EXPECT_NEAR_RGB(Pixel(4, 4), 0, 255, 0, 0);

  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  Clear(0xFF000000);
  DrawTriangle(kClockwise);
  EXPECT_NEAR_RGB(Pixel(4, 4), 255, 0, 0, 0);
  DrawTriangle(kCounterClockwise);
  EXPECT_NEAR_RGB(Pixel(4, 4), 0, 255, 0, 0);
}

TEST_F(RasterizerTest, WindingIsJudgedAfterTheViewTransform) {
  // A left-handed camera looking down +z sees a triangle clockwise; seen
  // from behind (mirrored in x) it turns counter-clockwise and is culled.
  ASSERT_TRUE(CreateDevice());
  Unlit();
  D3DMATRIX proj = PerspectiveFov(3.14159265f / 2, 1.0f, 0.5f, 10.0f);
  device_->SetTransform(D3DTS_PROJECTION, &proj);
  PosColor tri[3] = {{-2, 2, 2, 0xFFFFFFFF}, {2, 2, 2, 0xFFFFFFFF}, {-2, -2, 2, 0xFFFFFFFF}};
  Clear(0xFF000000);
  device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof tri[0]);
  EXPECT_NEAR_RGB(Pixel(10, 10), 255, 255, 255, 0);
  D3DMATRIX mirror = Scaling(-1, 1, 1);
  device_->SetTransform(D3DTS_VIEW, &mirror);
  Clear(0xFF000000);
  device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, sizeof tri[0]);
  EXPECT_NEAR_RGB(Pixel(53, 10), 0, 0, 0, 0);
}

TEST_F(RasterizerTest, DepthRunsFromZeroToOneInsideTheViewportRange) {
  ASSERT_TRUE(CreateDevice());
  Unlit();
  device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  // Identity transforms: the depth written is z itself.
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 0.5f, 0), D3D_OK);
  DrawQuadAt(0.6f, 0xFFFF0000);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 0, 0);
  DrawQuadAt(0.4f, 0xFF00FF00);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 255, 0, 0);
  // Depths below 0 and above 1 are clipped away, depth test or not.
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  Clear(0xFF000000);
  DrawQuadAt(-0.1f, 0xFFFF0000);
  DrawQuadAt(1.1f, 0xFFFF0000);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 0, 0);
  DrawQuadAt(0.0f, 0xFF0000FF);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 255, 0);
  // The viewport maps [0, 1] onto [MinZ, MaxZ]: z 0.4 lands at 0.7.
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  D3DVIEWPORT8 vp = {0, 0, kWidth, kHeight, 0.5f, 1.0f};
  device_->SetViewport(&vp);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 0.65f, 0), D3D_OK);
  DrawQuadAt(0.4f, 0xFFFF0000);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 0, 0);
  DrawQuadAt(0.2f, 0xFF00FF00);  // 0.6
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 255, 0, 0);
}

TEST_F(RasterizerTest, NearerGeometryHidesFartherWithAPerspectiveProjection) {
  ASSERT_TRUE(CreateDevice());
  Unlit();
  D3DMATRIX proj = PerspectiveFov(3.14159265f / 2, 1.0f, 1.0f, 100.0f);
  device_->SetTransform(D3DTS_PROJECTION, &proj);
  Clear(0xFF000000);
  PosColor near[4] = {{-5, 5, 4, 0xFF00FF00}, {5, 5, 4, 0xFF00FF00}, {-5, -5, 4, 0xFF00FF00}, {5, -5, 4, 0xFF00FF00}};
  PosColor far[4] = {{-50, 50, 40, 0xFFFF0000}, {50, 50, 40, 0xFFFF0000}, {-50, -50, 40, 0xFFFF0000},
                     {50, -50, 40, 0xFFFF0000}};
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_DIFFUSE, near, sizeof near[0]);
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_DIFFUSE, far, sizeof far[0]);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 255, 0, 0);
  // Off: the later quad wins.
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_DIFFUSE, far, sizeof far[0]);
  EXPECT_NEAR_RGB(Pixel(32, 32), 255, 0, 0, 0);
  // Depth writes off: the test still runs against the old depth.
  device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device_->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  Clear(0xFF000000);
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_DIFFUSE, near, sizeof near[0]);
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_DIFFUSE, far, sizeof far[0]);
  EXPECT_NEAR_RGB(Pixel(32, 32), 255, 0, 0, 0);
}

TEST_F(RasterizerTest, PixelCentresLieOnIntegerCoordinates) {
  // A pre-transformed quad from (-0.5, -0.5) to (63.5, 63.5) maps each texel
  // of a 64x64 texture onto exactly one pixel.
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = MakeTexture(kWidth, kHeight, D3DFMT_A8R8G8B8, [](BYTE* p, UINT x, UINT y) {
    D3DCOLOR c = D3DCOLOR_XRGB(x * 4, y * 4, (x + y) % 2 ? 255 : 0);
    std::memcpy(p + x * 4, &c, 4);
  });
  device_->SetTexture(0, t);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  Clear(0xFF000000);
  DrawScreenTexturedQuad(0xFFFFFFFF);
  for (int y : {0, 1, 31, 62, 63})
    for (int x : {0, 1, 32, 62, 63}) EXPECT_NEAR_RGB(Pixel(x, y), x * 4, y * 4, (x + y) % 2 ? 255 : 0, 0);
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(RasterizerTest, WireframeLeavesTheInteriorEmpty) {
  ASSERT_TRUE(CreateDevice());
  Unlit();
  device_->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
  Clear(0xFF000000);
  PosColor tri[3] = {{-0.8f, 0.8f, 0.5f, 0xFFFFFFFF}, {0.8f, 0.8f, 0.5f, 0xFFFFFFFF}, {-0.8f, -0.8f, 0.5f, 0xFFFFFFFF}};
  DrawTriangle(tri);
  EXPECT_NEAR_RGB(Pixel(16, 16), 0, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(6, 16), 255, 255, 255, 0);  // the left edge at x = -0.8
}

TEST_F(RasterizerTest, FlatShadingTakesTheFirstVertexColour) {
  ASSERT_TRUE(CreateDevice());
  Unlit();
  device_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT);
  Clear(0xFF000000);
  PosColor tri[3] = {{-1, 1, 0.5f, 0xFFFF0000}, {1, 1, 0.5f, 0xFF00FF00}, {-1, -1, 0.5f, 0xFF0000FF}};
  DrawTriangle(tri);
  EXPECT_NEAR_RGB(Pixel(40, 4), 255, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(4, 40), 255, 0, 0, 0);
  device_->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  DrawTriangle(tri);
  Rgba p = Pixel(4, 40);
  EXPECT_GT(p.b, 100);
}

TEST_F(RasterizerTest, ViewportPlacesTheImage) {
  ASSERT_TRUE(CreateDevice());
  Unlit();
  Clear(0xFF000000);
  D3DVIEWPORT8 vp = {32, 0, 32, 32, 0, 1};
  device_->SetViewport(&vp);
  DrawQuadAt(0.5f, 0xFFFFFFFF);
  EXPECT_NEAR_RGB(Pixel(31, 10), 0, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(32, 0), 255, 255, 255, 0);
  EXPECT_NEAR_RGB(Pixel(63, 31), 255, 255, 255, 0);
  EXPECT_NEAR_RGB(Pixel(40, 32), 0, 0, 0, 0);
}

TEST_F(RasterizerTest, StencilTestsAgainstTheReference) {
  ASSERT_TRUE(CreateDevice(D3DFMT_D24S8));
  Unlit();
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 3),
            D3D_OK);
  device_->SetRenderState(D3DRS_STENCILENABLE, TRUE);
  device_->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
  device_->SetRenderState(D3DRS_STENCILREF, 2);
  DrawQuadAt(0.5f, 0xFFFF0000);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 0, 0);
  device_->SetRenderState(D3DRS_STENCILREF, 3);
  DrawQuadAt(0.5f, 0xFF00FF00);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 255, 0, 0);
}

}  // namespace
}  // namespace d3d8test
