// Vertex and table fog, linear, exponential and squared exponential, at known
// depths: colour = f x colour + (1 - f) x fog colour.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class FogTest : public DeviceTest {
 protected:
  void SetUpFog(D3DCOLOR fogColor) {
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device_->SetRenderState(D3DRS_FOGCOLOR, fogColor);
  }
  // A red quad at eye depth z seen through a 90-degree perspective.
  void DrawRedQuadAtDepth(float z) {
    D3DMATRIX proj = PerspectiveFov(3.14159265f / 2, 1.0f, 1.0f, 100.0f);
    device_->SetTransform(D3DTS_PROJECTION, &proj);
    const float s = z * 1.2f;
    PosColor v[4] = {{-s, s, z, 0xFFFF0000}, {s, s, z, 0xFFFF0000}, {-s, -s, z, 0xFFFF0000}, {s, -s, z, 0xFFFF0000}};
    DrawQuadUP(D3DFVF_XYZ | D3DFVF_DIFFUSE, v, sizeof v[0]);
  }
  void ExpectFogged(float f) { EXPECT_NEAR_RGB(Pixel(32, 32), Byte(f), 0, Byte(1 - f), 2); }
};

TEST_F(FogTest, LinearVertexFogAtAKnownDepth) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  SetUpFog(0x000000FF);
  device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  device_->SetRenderState(D3DRS_FOGSTART, F2D(2.0f));
  device_->SetRenderState(D3DRS_FOGEND, F2D(8.0f));
  DrawRedQuadAtDepth(5.0f);
  ExpectFogged((8.0f - 5.0f) / (8.0f - 2.0f));
  Clear(0xFF000000);
  DrawRedQuadAtDepth(3.5f);
  ExpectFogged((8.0f - 3.5f) / 6.0f);
}

TEST_F(FogTest, LinearTableFogMeasuresEyeDepthPerPixel) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  SetUpFog(0x000000FF);
  device_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_LINEAR);
  device_->SetRenderState(D3DRS_FOGSTART, F2D(2.0f));
  device_->SetRenderState(D3DRS_FOGEND, F2D(8.0f));
  DrawRedQuadAtDepth(6.5f);
  ExpectFogged((8.0f - 6.5f) / 6.0f);
}

TEST_F(FogTest, ExponentialTableFog) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  SetUpFog(0x000000FF);
  device_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
  device_->SetRenderState(D3DRS_FOGDENSITY, F2D(0.2f));
  DrawRedQuadAtDepth(5.0f);
  ExpectFogged(std::exp(-5.0f * 0.2f));
}

TEST_F(FogTest, SquaredExponentialVertexFog) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  SetUpFog(0x000000FF);
  device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_EXP2);
  device_->SetRenderState(D3DRS_FOGDENSITY, F2D(0.1f));
  DrawRedQuadAtDepth(5.0f);
  ExpectFogged(std::exp(-0.25f));
}

TEST_F(FogTest, TableModeTakesPrecedenceOverVertexMode) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  SetUpFog(0x000000FF);
  device_->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  device_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
  device_->SetRenderState(D3DRS_FOGSTART, F2D(0.0f));
  device_->SetRenderState(D3DRS_FOGEND, F2D(100.0f));
  device_->SetRenderState(D3DRS_FOGDENSITY, F2D(0.2f));
  DrawRedQuadAtDepth(5.0f);
  ExpectFogged(std::exp(-1.0f));
}

TEST_F(FogTest, NoFogWhileDisabled) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  SetUpFog(0x000000FF);
  device_->SetRenderState(D3DRS_FOGTABLEMODE, D3DFOG_EXP);
  device_->SetRenderState(D3DRS_FOGENABLE, FALSE);
  DrawRedQuadAtDepth(5.0f);
  ExpectFogged(1.0f);
}

}  // namespace
}  // namespace d3d8test
