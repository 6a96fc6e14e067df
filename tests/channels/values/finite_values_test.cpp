// The finiteness test every drawn matrix and vector passes: a value is
// finite unless it is an infinity or a NaN (IEEE 754: exponent bits all set).
#include "vel_project_values.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

namespace {

float FromBits(uint32_t bits) {
  float v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

TEST(FiniteValuesTest, OnlyInfinitiesAndNaNsAreNotFinite) {
  using limits = std::numeric_limits<float>;
  // Finite: zeros of both signs, the extremes, the smallest subnormal.
  const float finite[] = {0.0f, -0.0f, 1.0f, -3.5f, limits::max(), limits::lowest(), limits::min(),
                          limits::denorm_min(), FromBits(0x7F7FFFFFu), FromBits(0x807FFFFFu)};
  for (float v : finite) EXPECT_TRUE(vel::AllFinite(&v, 1)) << v;
  // Not finite: both infinities, quiet and signalling NaNs, a NaN with a sign
  // and a payload.
  const float notFinite[] = {limits::infinity(), -limits::infinity(), limits::quiet_NaN(),
                             limits::signaling_NaN(), FromBits(0xFFC00001u), FromBits(0x7F800001u)};
  for (float v : notFinite) EXPECT_FALSE(vel::AllFinite(&v, 1)) << v;
  // An empty run is finite.
  EXPECT_TRUE(vel::AllFinite(finite, 0));
}

TEST(FiniteValuesTest, OneBadElementAnywhereMakesTheWholeNotFinite) {
  // An object placed away from the origin, turned and scaled.
  D3DXMATRIX m(0.0f, 0.0f, -2.0f, 0.0f, 0.0f, 3.0f, 0.0f, 0.0f, 2.0f, 0.0f, 0.0f, 0.0f, 12.5f, -4.0f, 30.0f, 1.0f);
  EXPECT_TRUE(vel::AllFinite(m));
  for (int i = 0; i < 16; ++i) {
    D3DXMATRIX bad = m;
    (&bad.m[0][0])[i] = i % 2 ? std::numeric_limits<float>::quiet_NaN() : -std::numeric_limits<float>::infinity();
    EXPECT_FALSE(vel::AllFinite(bad)) << "element " << i;
  }
  EXPECT_TRUE(vel::AllFinite(D3DXVECTOR3(-1e30f, 0.0f, 1e-40f)));
  EXPECT_FALSE(vel::AllFinite(D3DXVECTOR3(1.0f, 2.0f, std::numeric_limits<float>::infinity())));
}

}  // namespace
