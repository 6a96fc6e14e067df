// The colour rule every channel shares: a component of a float or vector
// child becomes trunc(v x 255) saturated to one byte, NaN 0; three of them
// pack as 0x00RRGGBB.
#include "vel_project_values.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(ColourBytesTest, ComponentsSaturateAndPackRedGreenBlue) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  // In range: 255 x v truncated toward zero (0.5 x 255 = 127.5 -> 127).
  EXPECT_EQ(vel::ColorByte(0.0f), 0u);
  EXPECT_EQ(vel::ColorByte(0.5f), 127u);
  EXPECT_EQ(vel::ColorByte(1.0f), 255u);
  EXPECT_EQ(vel::ColorByte(0.999f), 254u);  // 254.745
  // Out of range saturates: 1.2 is full intensity, not 306 & 0xFF = 0x32.
  EXPECT_EQ(vel::ColorByte(1.2f), 255u);
  EXPECT_EQ(vel::ColorByte(300.0f), 255u);
  EXPECT_EQ(vel::ColorByte(inf), 255u);
  EXPECT_EQ(vel::ColorByte(-0.2f), 0u);
  EXPECT_EQ(vel::ColorByte(-inf), 0u);
  EXPECT_EQ(vel::ColorByte(nan), 0u);
  // A channel's own scale: x 254 (1.0 -> 254, 0.5 -> 127).
  EXPECT_EQ(vel::ColorByte(1.0f, 254.0f), 254u);
  EXPECT_EQ(vel::ColorByte(0.5f, 254.0f), 127u);
  EXPECT_EQ(vel::ColorByte(2.0f, 254.0f), 255u);

  // Red in bits 16-23, green 8-15, blue 0-7; the top byte stays 0.
  EXPECT_EQ(vel::ColorBytes(1.0f, 0.5f, 0.0f), 0x00FF7F00u);
  EXPECT_EQ(vel::ColorBytes(D3DXVECTOR3(1.2f, nan, 0.2f)), 0x00FF0033u);  // 0.2 x 255 = 51
  EXPECT_EQ(vel::ColorBytes(D3DXVECTOR3(-1.0f, 2.0f, 0.1f)), 0x0000FF19u);  // 25.5 -> 25
}

}  // namespace
