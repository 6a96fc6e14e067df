// Colours: packing to and from ARGB and the colour functions.
#include "math_test_support.h"

namespace {

TEST(Color, PacksAndUnpacksArgb) {
  const D3DXCOLOR c(0x80FF4000u);
  EXPECT_FLOAT_EQ(128.0f / 255.0f, c.a);
  EXPECT_FLOAT_EQ(1.0f, c.r);
  EXPECT_FLOAT_EQ(64.0f / 255.0f, c.g);
  EXPECT_FLOAT_EQ(0.0f, c.b);
  EXPECT_EQ(0x80FF4000u, DWORD(c));
  // Out of range components clamp; halves round to nearest.
  EXPECT_EQ(0xFF00FF80u, DWORD(D3DXCOLOR(-1.0f, 2.0f, 128.0f / 255.0f, 1.5f)));
  EXPECT_EQ(0x00000001u, DWORD(D3DXCOLOR(0, 0, 0.5f / 255.0f + 1e-4f, 0)));
}

TEST(Color, NegativeSaturationAndContrast) {
  const D3DXCOLOR a(0.2f, 0.4f, 0.6f, 0.8f);
  D3DXCOLOR out;
  D3DXColorNegative(&out, &a);
  EXPECT_NEAR(0.8f, out.r, 1e-6f);
  EXPECT_NEAR(0.4f, out.b, 1e-6f);
  EXPECT_FLOAT_EQ(0.8f, out.a);
  D3DXColorAdjustSaturation(&out, &a, 0.0f);
  const float grey = 0.2f * 0.2125f + 0.4f * 0.7154f + 0.6f * 0.0721f;
  EXPECT_NEAR(grey, out.r, 1e-6f);
  EXPECT_NEAR(grey, out.b, 1e-6f);
  EXPECT_FLOAT_EQ(0.8f, out.a);
  D3DXColorAdjustContrast(&out, &a, 2.0f);
  EXPECT_NEAR(-0.1f, out.r, 1e-6f);
  EXPECT_NEAR(0.7f, out.b, 1e-6f);
}

}  // namespace
