// Fixed-function lighting against the documented equations: directional,
// point and spot lights, attenuation and range, material sources, ambient and
// specular light.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class LightingTest : public DeviceTest {
 protected:
  // A quad filling the viewport at depth z (identity transforms), facing the
  // viewer.
  void DrawLitQuad(float z = 0.5f) {
    PosNormal v[4] = {{-1, 1, z, 0, 0, -1}, {1, 1, z, 0, 0, -1}, {-1, -1, z, 0, 0, -1}, {1, -1, z, 0, 0, -1}};
    DrawQuadUP(D3DFVF_XYZ | D3DFVF_NORMAL, v, sizeof v[0]);
  }

  // A light of kind `type` with white diffuse light, pointing along +z
  // (onto the quad's front) where it has a direction.
  static D3DLIGHT8 WhiteLight(D3DLIGHTTYPE type) {
    D3DLIGHT8 light = {};
    light.Type = type;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0, 0, 1};
    return light;
  }

  // Sets light `index` and switches it on.
  void UseLight(DWORD index, const D3DLIGHT8& light) {
    ASSERT_EQ(device_->SetLight(index, &light), D3D_OK);
    ASSERT_EQ(device_->LightEnable(index, TRUE), D3D_OK);
  }

  void SetMaterial(D3DCOLORVALUE diffuse, D3DCOLORVALUE ambient = {0, 0, 0, 0}, D3DCOLORVALUE specular = {0, 0, 0, 0},
                   float power = 0, D3DCOLORVALUE emissive = {0, 0, 0, 0}) {
    D3DMATERIAL8 m = {diffuse, ambient, specular, emissive, power};
    ASSERT_EQ(device_->SetMaterial(&m), D3D_OK);
  }
};

TEST_F(LightingTest, DirectionalLightFollowsLambertAtAKnownAngle) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  const float angle = 3.14159265f / 3;  // 60 degrees from the quad's normal
  D3DLIGHT8 light = {};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {0.8f, 0.8f, 0.8f, 1};
  light.Direction = {std::sin(angle), 0, std::cos(angle)};
  UseLight(0, light);
  SetMaterial({1.0f, 0.5f, 0.25f, 1}, {1, 1, 1, 1});
  device_->SetRenderState(D3DRS_AMBIENT, 0x00202020);
  DrawLitQuad();
  // Ambient material x global ambient + diffuse material x light x cos(60).
  const float ga = 32 / 255.0f, lambert = 0.8f * 0.5f;
  EXPECT_NEAR_RGB(Pixel(32, 32), Byte(ga + 1.0f * lambert), Byte(ga + 0.5f * lambert), Byte(ga + 0.25f * lambert), 2);
  EXPECT_NEAR_RGB(Pixel(3, 60), Byte(ga + 1.0f * lambert), Byte(ga + 0.5f * lambert), Byte(ga + 0.25f * lambert), 2);
}

TEST_F(LightingTest, LightFromBehindGivesOnlyAmbientAndEmissive) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  D3DLIGHT8 light = WhiteLight(D3DLIGHT_DIRECTIONAL);
  light.Ambient = {0.2f, 0.2f, 0.2f, 1};
  light.Direction = {0, 0, -1};  // shining towards the viewer, onto the back
  UseLight(0, light);
  SetMaterial({1, 1, 1, 1}, {0.5f, 1, 1, 1}, {0, 0, 0, 0}, 0, {0, 0, 0.25f, 0});
  DrawLitQuad();
  // Light ambient x material ambient + emissive.
  EXPECT_NEAR_RGB(Pixel(20, 20), Byte(0.1f), Byte(0.2f), Byte(0.2f + 0.25f), 2);
}

TEST_F(LightingTest, PointLightAttenuatesWithDistance) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  // The light sits on the axis through the quad's centre, one unit in front,
  // so every corner is sqrt(3) away at the same angle.
  D3DLIGHT8 light = WhiteLight(D3DLIGHT_POINT);
  light.Position = {0, 0, -0.5f};
  light.Range = 100;
  light.Attenuation0 = 0.0f;
  light.Attenuation1 = 0.5f;
  light.Attenuation2 = 0.25f;
  UseLight(1, light);
  SetMaterial({1, 1, 1, 1});
  DrawLitQuad();
  const float d = std::sqrt(3.0f);
  const float atten = 1.0f / (0.5f * d + 0.25f * d * d);
  const float lambert = 1.0f / d;
  const int expected = Byte(atten * lambert);
  EXPECT_NEAR_RGB(Pixel(32, 32), expected, expected, expected, 2);
  EXPECT_NEAR_RGB(Pixel(60, 5), expected, expected, expected, 2);
}

TEST_F(LightingTest, PointLightBeyondItsRangeContributesNothing) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  D3DLIGHT8 light = WhiteLight(D3DLIGHT_POINT);
  light.Ambient = {1, 1, 1, 1};
  light.Position = {0, 0, -0.5f};
  light.Range = 1.5f;  // the corners are sqrt(3) away
  light.Attenuation0 = 1.0f;
  UseLight(0, light);
  SetMaterial({1, 1, 1, 1}, {1, 1, 1, 1});
  DrawLitQuad();
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 0, 1);
}

TEST_F(LightingTest, SpotLightLightsInsideItsConeOnly) {
  ASSERT_TRUE(CreateDevice());
  D3DLIGHT8 light = WhiteLight(D3DLIGHT_SPOT);
  light.Position = {0, 0, -0.5f};
  light.Range = 100;
  light.Attenuation0 = 1;
  light.Falloff = 1;
  SetMaterial({1, 1, 1, 1});
  device_->LightEnable(0, TRUE);
  // The corners lie 54.7 degrees off the spot's axis.
  const float off = std::acos(1.0f / std::sqrt(3.0f));
  light.Theta = 2 * off + 0.2f;  // inner cone wider than the corners: full light
  light.Phi = light.Theta + 0.1f;
  device_->SetLight(0, &light);
  Clear(0xFF000000);
  DrawLitQuad();
  EXPECT_NEAR_RGB(Pixel(32, 32), Byte(1 / std::sqrt(3.0f)), Byte(1 / std::sqrt(3.0f)), Byte(1 / std::sqrt(3.0f)), 2);

  light.Theta = 0.2f;  // outer cone narrower than the corners: dark
  light.Phi = 2 * off - 0.2f;
  device_->SetLight(0, &light);
  Clear(0xFF000000);
  DrawLitQuad();
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 0, 1);

  // Between the cones: ((rho - cos(phi/2)) / (cos(theta/2) - cos(phi/2)))^falloff.
  light.Theta = 2 * off - 0.3f;
  light.Phi = 2 * off + 0.3f;
  light.Falloff = 2;
  device_->SetLight(0, &light);
  Clear(0xFF000000);
  DrawLitQuad();
  const float rho = 1 / std::sqrt(3.0f);
  const float ct = std::cos(light.Theta / 2), cp = std::cos(light.Phi / 2);
  const float spot = std::pow((rho - cp) / (ct - cp), 2.0f);
  EXPECT_NEAR_RGB(Pixel(32, 32), Byte(spot * rho), Byte(spot * rho), Byte(spot * rho), 2);
}

TEST_F(LightingTest, VertexColourReplacesTheMaterialWhereTheSourceSaysSo) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  UseLight(0, WhiteLight(D3DLIGHT_DIRECTIONAL));
  SetMaterial({0, 0, 1, 1});
  struct V {
    float x, y, z, nx, ny, nz;
    D3DCOLOR c;
  } v[4] = {{-1, 1, 0.5f, 0, 0, -1, 0xFFFF0000},
            {1, 1, 0.5f, 0, 0, -1, 0xFFFF0000},
            {-1, -1, 0.5f, 0, 0, -1, 0xFFFF0000},
            {1, -1, 0.5f, 0, 0, -1, 0xFFFF0000}};
  // Default: diffuse from the vertex colour.
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE, v, sizeof v[0]);
  EXPECT_NEAR_RGB(Pixel(32, 32), 255, 0, 0, 1);
  // Material source, or COLORVERTEX off: the material's blue.
  device_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE, v, sizeof v[0]);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 255, 1);
  device_->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
  device_->SetRenderState(D3DRS_COLORVERTEX, FALSE);
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE, v, sizeof v[0]);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 255, 1);
}

TEST_F(LightingTest, UnlitVerticesKeepTheirColourOrWhite) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  PosColor v[4] = {{-1, 1, 0.5f, 0xFF336699}, {1, 1, 0.5f, 0xFF336699}, {-1, -1, 0.5f, 0xFF336699},
                   {1, -1, 0.5f, 0xFF336699}};
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_DIFFUSE, v, sizeof v[0]);
  EXPECT_NEAR_RGB(Pixel(10, 10), 0x33, 0x66, 0x99, 0);
  // Without a vertex colour the diffuse colour is opaque white.
  PosNormal w[4] = {{-1, 1, 0.5f, 0, 0, -1}, {1, 1, 0.5f, 0, 0, -1}, {-1, -1, 0.5f, 0, 0, -1}, {1, -1, 0.5f, 0, 0, -1}};
  DrawQuadUP(D3DFVF_XYZ | D3DFVF_NORMAL, w, sizeof w[0]);
  EXPECT_NEAR_RGB(Pixel(10, 10), 255, 255, 255, 0);
}

TEST_F(LightingTest, SpecularHighlightUsesTheHalfwayVector) {
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF000000);
  // Light straight along the view axis: with a local viewer the halfway
  // vector at a corner lies between the directions to the light and to the
  // eye.
  D3DLIGHT8 light = {};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Specular = {1, 1, 1, 1};
  light.Direction = {0, 0, 1};
  UseLight(0, light);
  SetMaterial({0, 0, 0, 1}, {0, 0, 0, 0}, {1, 0.5f, 0, 1}, 4.0f);
  device_->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  device_->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
  DrawLitQuad();
  // Non-local viewer: V = (0, 0, -1) = L, so N.H = 1 everywhere.
  EXPECT_NEAR_RGB(Pixel(32, 32), 255, 128, 0, 2);
  // Without SPECULARENABLE nothing is added.
  device_->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  Clear(0xFF000000);
  DrawLitQuad();
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 0, 1);
}

TEST_F(LightingTest, NormalizeNormalsUndoesAScaledWorld) {
  ASSERT_TRUE(CreateDevice());
  UseLight(0, WhiteLight(D3DLIGHT_DIRECTIONAL));
  SetMaterial({0.5f, 0.5f, 0.5f, 1});
  // A world that halves z scales the transformed normal by 2 (inverse
  // transpose), doubling the light until normals are renormalised.
  D3DMATRIX world = Scaling(1, 1, 0.5f);
  device_->SetTransform(D3DTS_WORLD, &world);
  Clear(0xFF000000);
  DrawLitQuad(1.0f);
  EXPECT_NEAR_RGB(Pixel(32, 32), 255, 255, 255, 2);
  device_->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  Clear(0xFF000000);
  DrawLitQuad(1.0f);
  EXPECT_NEAR_RGB(Pixel(32, 32), 128, 128, 128, 2);
}

}  // namespace
}  // namespace d3d8test
