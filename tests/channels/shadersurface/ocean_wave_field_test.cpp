// The statistical sea: its fields are real and consistent with each other
// (checked against a direct Fourier transform of the heights), its mean
// height is zero, the same seed gives the same sea, and no parameter makes a
// NaN or an infinity.
#include "ocean_wave_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <vector>

namespace {

constexpr int N = OceanWaveField::kSize;
using Field = std::vector<std::complex<double>>;

// The 2D discrete transform sum over (i, j) of f(j, i) exp(-2 pi i (m i + n j) / 64),
// computed directly in double precision, row by row then column by column.
template <class Read>
Field DirectTransform(Read read) {
  const double pi = std::acos(-1.0);
  Field rows(N * N), out(N * N);
  for (int i = 0; i < N; ++i)
    for (int n = 0; n < N; ++n)
      for (int j = 0; j < N; ++j) rows[i * N + n] += read(j, i) * std::polar(1.0, -2 * pi * n * j / N);
  for (int n = 0; n < N; ++n)
    for (int m = 0; m < N; ++m)
      for (int i = 0; i < N; ++i) out[m * N + n] += rows[i * N + n] * std::polar(1.0, -2 * pi * m * i / N);
  return out;
}

// Wave number of transform index m: -32..31.
int Signed(int m) { return m < N / 2 ? m : m - N; }

TEST(OceanWaveFieldTest, SlopesAreTheGradientOfTheHeightsAndTheMeanHeightIsZero) {
  OceanWaveField sea;
  sea.Update(3.25f);
  double sum = 0, squares = 0;
  for (int i = 0; i < N; ++i)
    for (int j = 0; j < N; ++j) {
      sum += sea.GetHeight(j, i);
      squares += sea.GetHeight(j, i) * sea.GetHeight(j, i);
      // Row and column 64 repeat 0: neighbouring tiles meet without a seam.
      EXPECT_EQ(sea.GetHeight(j + N, i), sea.GetHeight(j, i));
      EXPECT_EQ(sea.GetSlopeZ(j, i + N), sea.GetSlopeZ(j, i));
    }
  const double rms = std::sqrt(squares / (N * N));
  ASSERT_GT(rms, 0.01) << "a sea with waves";
  EXPECT_LT(std::fabs(sum / (N * N)), 1e-5 * rms * N);

  // A real height field H has the transform G; its x and z slopes, packed
  // into one complex field, are only right when the heights and slopes
  // both are real: then their transforms are i kc G and i kr G, index m
  // standing for wave number -m (up to the row and column of the highest
  // wave number, which has no opposite).
  const Field g = DirectTransform([&](int j, int i) { return std::complex<double>(sea.GetHeight(j, i)); });
  const Field sx = DirectTransform([&](int j, int i) { return std::complex<double>(sea.GetSlopeX(j, i)); });
  const Field sz = DirectTransform([&](int j, int i) { return std::complex<double>(sea.GetSlopeZ(j, i)); });
  const double pi = std::acos(-1.0);
  double largest = 0, worst = 0;
  for (int m = 0; m < N; ++m)
    for (int n = 0; n < N; ++n) {
      if (Signed(m) == -N / 2 || Signed(n) == -N / 2) continue;
      const std::complex<double> i(0, 1);
      const std::complex<double> wantX = i * (2 * pi * -Signed(n)) * g[m * N + n];
      const std::complex<double> wantZ = i * (2 * pi * -Signed(m)) * g[m * N + n];
      largest = std::max({largest, std::abs(wantX), std::abs(wantZ)});
      worst = std::max({worst, std::abs(sx[m * N + n] - wantX), std::abs(sz[m * N + n] - wantZ)});
    }
  EXPECT_LT(worst, 1e-3 * largest);
}

TEST(OceanWaveFieldTest, TheSameSeedAndTimeGiveTheSameSea) {
  OceanWaveField a, b;
  b.SetParameters(99, 0.3f, 20, 100, 2, 0.5f, 0.001f);
  b.SetParameters(OceanWaveField::kDefaultSeed, 1.5707964f, 16.0f, 256.0f, 2.0f, 0.015f, 0.00005f);
  a.Update(7.5f);
  b.Update(1.0f);
  b.Update(7.5f);
  OceanWaveField c;
  c.SetParameters(OceanWaveField::kDefaultSeed + 2, 1.5707964f, 16.0f, 256.0f, 2.0f, 0.015f, 0.00005f);
  c.Update(7.5f);
  int differ = 0;
  for (int i = 0; i < N; ++i)
    for (int j = 0; j < N; ++j) {
      ASSERT_EQ(a.GetHeight(j, i), b.GetHeight(j, i));
      ASSERT_EQ(a.GetDisplacementX(j, i), b.GetDisplacementX(j, i));
      ASSERT_EQ(a.GetSlopeZ(j, i), b.GetSlopeZ(j, i));
      differ += a.GetHeight(j, i) != c.GetHeight(j, i);
    }
  EXPECT_GT(differ, N * N / 2) << "another seed, another sea";
}

TEST(OceanWaveFieldTest, NoParameterMakesANaNOrAnInfinity) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Case {
    float direction, speed, height, influence, choppiness, damping, time;
  };
  const Case cases[] = {
      {1.57f, 0, 256, 2, 0.015f, 0.00005f, 1},          // no wind
      {0.4f, 16, 256, 2.5f, 0.015f, 0.00005f, 1},       // against the wind, fractional power
      {0.4f, 16, 256, 3, 0.015f, 0.00005f, 1},          // odd power
      {0.4f, 16, 256, -2, 0.015f, 0.00005f, 1},         // negative power of zero
      {0.4f, 16, -256, 2, 0.015f, 0.00005f, 1},         // negative height
      {nan, nan, nan, nan, nan, nan, nan},              // nothing is a number
      {0.4f, inf, inf, 2, inf, 0, inf},                 // infinities
      {0.4f, 1e19f, 1e38f, 0, 1e30f, -1, 1e30f},        // huge values
  };
  for (const Case& p : cases) {
    OceanWaveField sea;
    sea.SetParameters(1, p.direction, p.speed, p.height, p.influence, p.choppiness, p.damping);
    sea.Update(p.time);
    for (int i = 0; i <= N; ++i)
      for (int j = 0; j <= N; ++j) {
        const float values[] = {sea.GetHeight(j, i), sea.GetDisplacementX(j, i), sea.GetDisplacementZ(j, i),
                                sea.GetSlopeX(j, i), sea.GetSlopeZ(j, i)};
        for (float v : values) ASSERT_TRUE(std::isfinite(v)) << p.speed << " " << p.influence << " " << p.height;
      }
  }
}

}  // namespace
