// The radial blur (effect 12): the passes' weights add up to one, so a
// constant image stays that constant whatever the passes and their offset;
// no pass leaves the target black; a device reset re-creates the target.
#include "image_effect_fixture.h"
#include "radial_blur_effect.h"

#include <cmath>

namespace vel_test {
namespace {

class RadialBlurTest : public ImageEffectTest {};

TEST_F(RadialBlurTest, PassWeightsFadeAndAddUpToOne) {
  RadialBlurEffect::Settings s;
  s.passes = 2.7f;
  ASSERT_EQ(RadialBlurEffect::PassCount(s.passes), 2);
  const float sum = 1 + 1.7f / 2.7f;
  EXPECT_NEAR(RadialBlurEffect::PassColour(s, 0).x, 1 / sum, 1e-6);
  EXPECT_NEAR(RadialBlurEffect::PassColour(s, 1).x, 1.7f / 2.7f / sum, 1e-6);
  EXPECT_NEAR(RadialBlurEffect::PassColour(s, 1).w, 1.7f / 2.7f * RadialBlurEffect::kDefaultAlpha, 1e-6);
  for (float passes : {0.0f, -3.0f, std::nanf("")}) EXPECT_EQ(RadialBlurEffect::PassCount(passes), 0);
  EXPECT_EQ(RadialBlurEffect::PassCount(1e30f), RadialBlurEffect::kMaxPasses);
}

TEST_F(RadialBlurTest, AConstantImageStaysThatConstant) {
  Vel_DX8_PixelShaderSurface* surface = PixelSurface(Vel_DX8_PixelShaderSurface::kRadialBlur);
  AddImage(surface, [](int, int) { return 0xFF4080C0u; });
  if (!ShadersRun(surface)) GTEST_SKIP() << "the graphics layer runs no shaders";
  AddVector(surface, D3DXVECTOR3(0.3f, 0.6f, 0));  // centre
  AddVector(surface, D3DXVECTOR3(1, 1, 1));        // colour
  Vel_FloatChannel* passes = AddFloat(surface, 4);
  AddFloat(surface, 0.5f);
  AddFloat(surface, 0.05f);
  EXPECT_TRUE(TexelsNear(TexelsOf(Draw(surface)), Texels(kSize * kSize, 0xFF4080C0u), 2));
  ExpectNoLayerError();
  ExpectLossRecovers(surface);

  // No pass: the target stays black.
  passes->SetFloat(0);
  EXPECT_TRUE(TexelsNear(TexelsOf(Draw(surface)), Texels(kSize * kSize, 0xFF000000u), 0));
}

}  // namespace
}  // namespace vel_test
