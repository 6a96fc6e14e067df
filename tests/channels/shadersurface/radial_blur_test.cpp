// The radial blur (effect 12): pass i adds the source times its fading
// weight (passes - i) / passes and the colour input, so the colour is the
// gain of the whole blur; a pass offset of 0 only brightens; no pass leaves
// the target black; the result is drawn where the surface's world matrix
// puts the mesh; a device reset re-creates the target.
#include "image_effect_fixture.h"
#include "radial_blur_effect.h"

#include <cmath>

namespace vel_test {
namespace {

class RadialBlurTest : public ImageEffectTest {
 protected:
  // A radial blur of `texel` with centre (0.3, 0.6), colour `gain` on every
  // channel, `passes` passes, alpha 0.5 and pass offset `offset`.
  Vel_DX8_PixelShaderSurface* Blur(Vel_DX8_PixelShaderSurface* surface, const std::function<uint32_t(int, int)>& texel,
                                   float gain, float passes, float offset) {
    AddImage(surface, texel);
    if (!ShadersRun(surface)) return nullptr;
    AddVector(surface, D3DXVECTOR3(0.3f, 0.6f, 0));
    AddVector(surface, D3DXVECTOR3(gain, gain, gain));
    AddFloat(surface, passes);
    AddFloat(surface, 0.5f);
    AddFloat(surface, offset);
    return surface;
  }
};

TEST_F(RadialBlurTest, PassesFadeByTheirShareOfThePassCount) {
  RadialBlurEffect::Settings s;
  s.passes = 2.7f;
  s.colour = D3DXVECTOR3(0.5f, 0.25f, 1);
  ASSERT_EQ(RadialBlurEffect::PassCount(s.passes), 2);
  // Weights 2.7/2.7 and 1.7/2.7, times the colour and times alpha.
  const D3DXVECTOR4 first = RadialBlurEffect::PassColour(s, 0), second = RadialBlurEffect::PassColour(s, 1);
  EXPECT_FLOAT_EQ(first.x, 0.5f);
  EXPECT_FLOAT_EQ(first.y, 0.25f);
  EXPECT_FLOAT_EQ(first.z, 1);
  EXPECT_FLOAT_EQ(first.w, RadialBlurEffect::kDefaultAlpha);
  EXPECT_NEAR(second.x, 0.5 * 1.7 / 2.7, 1e-6);
  EXPECT_NEAR(second.z, 1.7 / 2.7, 1e-6);
  EXPECT_NEAR(second.w, 1.7 / 2.7 * RadialBlurEffect::kDefaultAlpha, 1e-6);
  for (float passes : {0.0f, -3.0f, std::nanf("")}) EXPECT_EQ(RadialBlurEffect::PassCount(passes), 0);
  EXPECT_EQ(RadialBlurEffect::PassCount(1e30f), RadialBlurEffect::kMaxPasses);
}

TEST_F(RadialBlurTest, TheWeightsAddUpOnTheTarget) {
  // Grey 128 with colour 0.03 and 64 passes: 128 x 0.03 x (64 + 63 + ... + 1)
  // / 64 = 128 x 0.03 x 32.5 = 124.8 on every texel of a constant image.
  Vel_DX8_PixelShaderSurface* surface =
      Blur(PixelSurface(Vel_DX8_PixelShaderSurface::kRadialBlur), [](int, int) { return Grey(128); }, 0.03f, 64, 0.01f);
  if (!surface) GTEST_SKIP() << "the graphics layer runs no shaders";
  // Each of the 64 passes adds about 3.84 x its weight, rounded to a level.
  EXPECT_TRUE(TexelsNear(TexelsOf(Draw(surface)), Texels(kSize * kSize, Grey(125)), 6));
  ExpectNoLayerError();
  ExpectLossRecovers(surface);
}

TEST_F(RadialBlurTest, TwoPointSevenPassesDrawTwoAndOffsetZeroOnlyBrightens) {
  // Pass offset 0: every pass samples the image where it lies, so a ramp
  // stays a ramp, brightened by the sum of the weights: with 2.7 passes and
  // colour 0.5 that is 0.5 x (2.7 + 1.7) / 2.7.
  auto ramp = [](int x, int) { return Grey(2 * x + 40); };
  Vel_DX8_PixelShaderSurface* surface =
      Blur(PixelSurface(Vel_DX8_PixelShaderSurface::kRadialBlur), ramp, 0.5f, 2.7f, 0);
  if (!surface) GTEST_SKIP() << "the graphics layer runs no shaders";
  const double gain = 0.5 * (2.7 + 1.7) / 2.7;
  Texels expected;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) expected.push_back(Grey(static_cast<int>(std::lround((2 * x + 40) * gain))));
  EXPECT_TRUE(TexelsNear(TexelsOf(Draw(surface)), expected, 2));

  // No pass: the target stays black.
  auto* passes = static_cast<Vel_FloatChannel*>(Info(surface)->GetChildFromLinkGuid(vel::kFloatType, 0));
  ASSERT_NE(passes, nullptr);
  passes->SetFloat(0);
  EXPECT_TRUE(TexelsNear(TexelsOf(Draw(surface)), Texels(kSize * kSize, 0xFF000000u), 0));
  ExpectNoLayerError();
}

TEST_F(RadialBlurTest, TheBlurShowsWhereTheWorldMatrixPutsTheMesh) {
  // The mesh lies outside the view until its surface's world matrix moves
  // it onto the window; one pass at colour 1 shows the image as it is.
  Vel_DX8_PixelShaderSurface* surface =
      Blur(PlacedPixelSurface(Vel_DX8_PixelShaderSurface::kRadialBlur), [](int, int) { return 0xFF4080C0u; }, 1, 1, 0);
  if (!surface) GTEST_SKIP() << "the graphics layer runs no shaders";
  EXPECT_TRUE(TexelsNear(TexelsOf(Draw(surface)), Texels(kSize * kSize, 0xFF4080C0u), 1));
  ExpectNoLayerError();
}

}  // namespace
}  // namespace vel_test
