// The six effects that draw the surface's mesh with one vertex shader:
// every shader text assembles and draws without an error, a device loss in
// the middle of a run changes no pixel, toon shading shows only its ramp's
// colours, the inputs that become integers saturate, and fur's plain
// surface stays where its mesh is whatever another effect left in c16.
#include "effect_fixture.h"
#include "fur_effect.h"
#include "toon_effect.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace vel_test {
namespace {

using Surface = Vel_DX8_PixelShaderSurface;

class MeshEffectsTest : public EffectTest {
 protected:

  // A surface of effect `number` on a sphere with a ramp texture (and a
  // second one), as each of the six is meant to be linked.
  Surface* Dressed(int number) {
    Surface* surface = NewSurface(number, Sphere(0.45f));
    AddRamp(surface, {0xFF2040C0, 0xFF40C020, 0xFFC02040, 0xFFF0F0F0});
    AddRamp(surface, {0xFFFFFFFF, 0xFF808080});
    return surface;
  }
};

#define SKIP_WITHOUT_SHADERS() \
  if (!ShadersAvailable()) GTEST_SKIP() << "the graphics layer has no vertex shaders"

TEST_F(MeshEffectsTest, EachEffectAssemblesDrawsAndComesBackAfterADeviceLoss) {
  SKIP_WITHOUT_SHADERS();
  for (int number : {Surface::kMembrane, Surface::kFur, Surface::kHalo, Surface::kToon, Surface::kDynamicHair,
                     Surface::kEnvironmentMap}) {
    SCOPED_TRACE(number);
    Surface* surface = Dressed(number);
    ASSERT_NE(surface->GetEffect(), nullptr);
    const Image image = Draw(surface, 0xFF0000FF);
    EXPECT_STREQ(surface->GetShaderErrorCode(), "Succes");
    EXPECT_NE(surface->GetEffect()->GetVertexShader(0), 0u);
    EXPECT_NE(surface->GetShaderDesctiption(), nullptr);
    int drawn = 0;
    for (uint32_t p : image.argb) drawn += (p & 0xFFFFFF) != 0xFF;
    // The sphere's disc covers about 16 % of the view.
    EXPECT_GT(drawn, static_cast<int>(image.argb.size()) / 10) << "pixels drawn";
    ExpectLossRecovers(surface);
    ExpectNoLayerError();
    Destroy(surface);
  }
}

TEST_F(MeshEffectsTest, ToonShadingGivesOnlyTheRampsColours) {
  SKIP_WITHOUT_SHADERS();
  Surface* surface = NewSurface(Surface::kToon, Sphere(0.5f, 24, 32));
  const std::vector<uint32_t> ramp = {0xFF102080, 0xFF20A040, 0xFFD0C010, 0xFFFFFFFF};
  AddRamp(surface, ramp);
  AddVector(surface, {1, 1, -1});
  const Image image = Draw(surface, 0xFF000000);
  std::set<uint32_t> seen;
  for (uint32_t p : image.argb) {
    const uint32_t rgb = p & 0xFFFFFF;
    if (rgb == 0) continue;
    seen.insert(rgb);
    const bool inRamp = std::any_of(ramp.begin(), ramp.end(), [&](uint32_t c) { return (c & 0xFFFFFF) == rgb; });
    ASSERT_TRUE(inRamp) << std::hex << rgb;
  }
  // A sphere lit from one side spans the whole ramp.
  EXPECT_EQ(seen.size(), ramp.size());
  // The lit side faces the light: upper right is brighter than lower left.
  EXPECT_EQ(static_cast<uint32_t>(At(image, 0.25f, 0.25f).r), 0xFFu);
  EXPECT_EQ(static_cast<uint32_t>(At(image, -0.3f, -0.3f).b), 0x80u);
  ExpectNoLayerError();
}

TEST_F(MeshEffectsTest, ColourBytesAndFurLevelsSaturate) {
  EXPECT_EQ(ToonEffect::TextureFactor(D3DXVECTOR3(1, 0.5f, -2)), 0x00FE7F00u);
  EXPECT_EQ(ToonEffect::TextureFactor(D3DXVECTOR3(1e30f, std::numeric_limits<float>::quiet_NaN(), 2)), 0x00FF00FFu);

  // A level count far beyond the limit draws the limit, not billions.
  SKIP_WITHOUT_SHADERS();
  Surface* surface = NewSurface(Surface::kFur, Quad(-0.5f, -0.5f, 0.5f, 0.5f));
  AddRamp(surface, {0x80FFFFFF});
  AddFloat(surface, 3e9f);
  Draw(surface);
  ExpectNoLayerError();
}

TEST_F(MeshEffectsTest, FurDrawsItsPlainSurfaceWhereTheMeshIs) {
  SKIP_WITHOUT_SHADERS();
  // No shells, the plain surface only, on the left half of the view; the
  // constant the shells' offset comes from still holds a halo's colour.
  Surface* surface = NewSurface(Surface::kFur, Quad(-1, -1, 0, 1));
  AddRamp(surface, {0xFFFF0000});
  AddFloat(surface, 0);
  const float halo[4] = {1, 0.8f, 0.3f, 0};
  D3DDevice()->SetVertexShaderConstant(16, halo, 1);
  const Image image = Draw(surface, 0xFF0000FF);
  EXPECT_NE(At(image, -0.5f, 0.0f).b, 0xFF) << "the left half is drawn";
  EXPECT_EQ(At(image, 0.5f, 0.0f).b, 0xFF) << "the right half keeps the clear colour";
  EXPECT_EQ(At(image, 0.5f, 0.0f).r, 0x00);
  ExpectNoLayerError();
}

}  // namespace
}  // namespace vel_test
