// The ocean effect: its strip covers every cell of the grid once, and on a
// layer with shaders it draws four tiles without an error, takes new wind
// parameters as a new sea of the same seed, and comes back unchanged after
// a device loss.
#include "effect_fixture.h"
#include "ocean_effect.h"

#include <algorithm>
#include <set>
#include <utility>

namespace vel_test {
namespace {

using Surface = Vel_DX8_PixelShaderSurface;

TEST(OceanStripTest, EveryGridCellIsTwoTrianglesOfTheStrip) {
  const std::vector<WORD> strip = OceanEffect::StripIndices();
  ASSERT_EQ(strip.size(), 8446u);
  std::set<std::pair<int, int>> cells;
  int drawn = 0;
  for (size_t k = 0; k + 2 < strip.size(); ++k) {
    const int a = strip[k], b = strip[k + 1], c = strip[k + 2];
    if (a == b || b == c || a == c) continue;
    ++drawn;
    const int low = std::min({a, b, c});
    const int high = std::max({a, b, c});
    // A real triangle spans one cell: two neighbouring rows, columns j, j + 1.
    ASSERT_EQ(high / 65 - low / 65, 1) << k;
    ASSERT_LE(std::max({a % 65, b % 65, c % 65}) - std::min({a % 65, b % 65, c % 65}), 1) << k;
    cells.insert({low / 65, std::min({a % 65, b % 65, c % 65})});
  }
  EXPECT_EQ(drawn, 64 * 64 * 2);
  EXPECT_EQ(cells.size(), 64u * 64u);
}

class OceanEffectTest : public EffectTest {};

TEST_F(OceanEffectTest, DrawsNewWindAsTheSameSeedsSeaAndSurvivesALoss) {
  if (!ShadersAvailable()) GTEST_SKIP() << "the graphics layer has no vertex shaders";
  Surface* surface = NewSurface(Surface::kOcean);
  for (float value : {1.5f, 4.0f, 10.0f, 1.5707964f}) AddFloat(surface, value);
  Vel_FloatChannel* speed = AddFloat(surface, 16.0f);
  Draw(surface, 0xFF000000);
  EXPECT_STREQ(surface->GetShaderErrorCode(), "Succes");
  auto* effect = static_cast<OceanEffect*>(surface->GetEffect());
  ASSERT_NE(effect, nullptr);

  // New wind is taken while the tiles are drawn: the next frame shows it.
  speed->SetFloat(30.0f);
  Draw(surface, 0xFF000000);
  Draw(surface, 0xFF000000);
  OceanWaveField expected;
  expected.SetParameters(OceanWaveField::kDefaultSeed, 1.5707964f, 30.0f, 256.0f, 2.0f, 0.015f, 0.00005f);
  expected.Update(1.5f);
  for (int i = 0; i < 64; i += 7)
    for (int j = 0; j < 64; j += 5) ASSERT_EQ(effect->Field().GetHeight(j, i), expected.GetHeight(j, i));
  ExpectLossRecovers(surface);
  ExpectNoLayerError();
}

}  // namespace
}  // namespace vel_test
