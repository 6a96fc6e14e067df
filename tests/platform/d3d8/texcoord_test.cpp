// Texture coordinates: generation from camera-space position, normal and
// reflection vector, texture transforms and projection.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class TexCoordTest : public DeviceTest {
 protected:
  // Quadrants red, green / blue, yellow, point sampled.
  IDirect3DTexture8* Quadrants() {
    IDirect3DTexture8* t = MakeColorTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00});
    device_->SetTexture(0, t);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    return t;
  }
  void ExpectQuadrants() {
    EXPECT_NEAR_RGB(Pixel(8, 8), 255, 0, 0, 0);
    EXPECT_NEAR_RGB(Pixel(56, 8), 0, 255, 0, 0);
    EXPECT_NEAR_RGB(Pixel(8, 56), 0, 0, 255, 0);
    EXPECT_NEAR_RGB(Pixel(56, 56), 255, 255, 0, 0);
  }
  void DrawPlainQuad() {
    PosNormal v[4] = {{-1, 1, 0.5f, 0, 0, -1}, {1, 1, 0.5f, 0, 0, -1}, {-1, -1, 0.5f, 0, 0, -1}, {1, -1, 0.5f, 0, 0, -1}};
    Clear(0xFF000000);
    DrawQuadUP(D3DFVF_XYZ | D3DFVF_NORMAL, v, sizeof v[0]);
  }
};

TEST_F(TexCoordTest, CameraSpacePositionThroughATextureTransform) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = Quadrants();
  // Generated coordinates are (x, y, z, 1): u = 0.5 x + 0.5, v = -0.5 y + 0.5.
  device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  D3DMATRIX m{};
  m._11 = 0.5f;
  m._22 = -0.5f;
  m._41 = 0.5f;
  m._42 = 0.5f;
  m._44 = 1;
  device_->SetTransform(D3DTS_TEXTURE0, &m);
  DrawPlainQuad();
  ExpectQuadrants();
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TexCoordTest, TwoDimensionalCoordinatesTakeTheirTranslationFromTheThirdRow) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = Quadrants();
  // Coordinates (0..0.5) shifted by (0.5, 0.5) read the yellow quadrant.
  PosTex v[4] = {{-1, 1, 0.5f, 0, 0}, {1, 1, 0.5f, 0.5f, 0}, {-1, -1, 0.5f, 0, 0.5f}, {1, -1, 0.5f, 0.5f, 0.5f}};
  D3DMATRIX m = Identity();
  m._31 = 0.5f;
  m._32 = 0.5f;
  device_->SetTransform(D3DTS_TEXTURE0, &m);
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  Clear(0xFF000000);
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_TEX1, v, sizeof v[0]);
  EXPECT_NEAR_RGB(Pixel(16, 16), 255, 255, 0, 0);
  // With transforms disabled the matrix is ignored: red.
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_TEX1, v, sizeof v[0]);
  EXPECT_NEAR_RGB(Pixel(16, 16), 255, 0, 0, 0);
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TexCoordTest, ProjectedCoordinatesDivideByTheLastCount) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = Quadrants();
  // (u q, v q, q) with q = 4 divides back to (u, v).
  struct V {
    float x, y, z, u, v, q;
  } v[4] = {{-1, 1, 0.5f, 0, 0, 4}, {1, 1, 0.5f, 4, 0, 4}, {-1, -1, 0.5f, 0, 4, 4}, {1, -1, 0.5f, 4, 4, 4}};
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
  Clear(0xFF000000);
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0), v, sizeof v[0]);
  ExpectQuadrants();
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TexCoordTest, CameraSpaceNormalAndReflectionVector) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = Quadrants();
  device_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  auto drawWithNormal = [&](float nx) {
    const float nz = -std::sqrt(1 - nx * nx);
    PosNormal v[4] = {{-1, 1, 0.5f, nx, 0, nz}, {1, 1, 0.5f, nx, 0, nz}, {-1, -1, 0.5f, nx, 0, nz}, {1, -1, 0.5f, nx, 0, nz}};
    Clear(0xFF000000);
    DrawQuadUP(D3DFVF_XYZ | D3DFVF_NORMAL, v, sizeof v[0]);
    return Pixel(32, 32);
  };
  // Normal: u = nx, v = ny = 0 (top row).
  device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL);
  EXPECT_NEAR_RGB(drawWithNormal(0.6f), 0, 255, 0, 0);
  EXPECT_NEAR_RGB(drawWithNormal(-0.6f), 255, 0, 0, 0);  // u = -0.6 wraps to 0.4
  // Reflection with a distant viewer, E = (0, 0, -1): R = 2 (E.N) N - E,
  // u = 2 x 0.8 x nx.
  device_->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
  device_->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
  EXPECT_NEAR_RGB(drawWithNormal(0.6f), 0, 255, 0, 0);   // u = 0.96
  EXPECT_NEAR_RGB(drawWithNormal(-0.3f), 255, 0, 0, 0);  // u = -0.57 wraps to 0.43
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TexCoordTest, WrapRenderStateTakesTheShorterWayRound) {
  ASSERT_TRUE(CreateDevice());
  // Four columns: red, green, blue, yellow.
  IDirect3DTexture8* t = MakeColorTexture(4, 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00});
  device_->SetTexture(0, t);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  // u runs from 0.9 on the left to 0.1 on the right.
  PosTex v[4] = {{-1, 1, 0.5f, 0.9f, 0}, {1, 1, 0.5f, 0.1f, 0}, {-1, -1, 0.5f, 0.9f, 1}, {1, -1, 0.5f, 0.1f, 1}};
  Clear(0xFF000000);
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_TEX1, v, sizeof v[0]);
  EXPECT_NEAR_RGB(Pixel(16, 32), 0, 0, 255, 0);  // u = 0.7 the long way
  device_->SetRenderState(D3DRS_WRAP0, D3DWRAP_U);
  Clear(0xFF000000);
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_TEX1, v, sizeof v[0]);
  EXPECT_NEAR_RGB(Pixel(16, 32), 255, 255, 0, 0);  // u = 0.95 across the seam
  EXPECT_NEAR_RGB(Pixel(48, 32), 255, 0, 0, 0);    // u = 1.05, that is 0.05
  device_->SetTexture(0, nullptr);
  t->Release();
}

}  // namespace
}  // namespace d3d8test
