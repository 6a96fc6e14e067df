// The filter blits (effects 7, 8 and 9) against the filters computed here:
// each pass reads its input at the four offsets of the kernel and writes
// 8-bit texels. With kernel 1 the offsets land on texel centres, so pixel
// (x, y) reads texels (x-1, y-1), (x-1, y), (x, y) and (x, y-1), clamped at
// the borders. The value picks the kernel as the vertex shader's address
// register does, rounding to the nearest.
#include "image_effect_fixture.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vel_test {
namespace {

using Plane = std::vector<float>;  // kSize x kSize values in 0..1

constexpr int kN = 64;

float At(const Plane& p, int x, int y) { return p[std::clamp(y, 0, kN - 1) * kN + std::clamp(x, 0, kN - 1)]; }
float Quantise(float v) { return std::round(std::clamp(v, 0.0f, 1.0f) * 255.0f) / 255.0f; }

// One pass of kernel 1: f(sample 0, 1, 2, 3) for every pixel.
template <class F>
Plane Pass(const Plane& in, F f) {
  Plane out(in.size());
  for (int y = 0; y < kN; ++y)
    for (int x = 0; x < kN; ++x)
      out[y * kN + x] = Quantise(f(At(in, x - 1, y - 1), At(in, x - 1, y), At(in, x, y), At(in, x, y - 1)));
  return out;
}

Plane FromTexels(const std::function<uint32_t(int, int)>& texel) {
  Plane p(kN * kN);
  for (int y = 0; y < kN; ++y)
    for (int x = 0; x < kN; ++x) p[y * kN + x] = Channel(texel(x, y), 1) / 255.0f;
  return p;
}

Texels ToTexels(const Plane& p) {
  Texels t;
  for (float v : p) t.push_back(Grey(static_cast<int>(std::lround(v * 255))));
  return t;
}

float Blur(float a, float b, float c, float d) { return 0.25f * (a + b + c + d); }
float Sharpen(float a, float b, float c, float d) { return 4 * a - b - c - d; }
float Edge(float a, float b, float c, float d) { return 1 - ((a - c) * (a - c) + (b - d) * (b - d)); }

class FilterBlitTest : public ImageEffectTest {
 protected:
  // A surface with `effect` over `texel`; null (and the test is skipped)
  // while the device runs no shaders.
  Vel_DX8_PixelShaderSurface* Filter(int effect, const std::function<uint32_t(int, int)>& texel) {
    Vel_DX8_PixelShaderSurface* surface = PixelSurface(effect);
    AddImage(surface, texel);
    return ShadersRun(surface) ? surface : nullptr;
  }
};

TEST_F(FilterBlitTest, ABlurOfOneBrightTexelGivesTheKernelsWeights) {
  auto spot = [](int x, int y) { return x == 20 && y == 30 ? Grey(255) : Grey(0); };
  Vel_DX8_PixelShaderSurface* surface = Filter(Vel_DX8_PixelShaderSurface::kBlur, spot);
  if (!surface) GTEST_SKIP() << "the graphics layer runs no shaders";
  Vel_FloatChannel* kernel = AddFloat(surface, 1);  // the half-texel box
  const Image image = Draw(surface);
  ExpectNoLayerError();
  // Three box passes: the binomial weights (1 3 3 1) / 8 on each axis.
  Plane expected = FromTexels(spot);
  for (int pass = 0; pass < 3; ++pass) expected = Pass(expected, Blur);
  EXPECT_TRUE(TexelsNear(TexelsOf(image), ToTexels(expected), 1));
  EXPECT_NEAR(image.At(21, 31).g, 255.0 * 9 / 64, 2);
  EXPECT_NEAR(image.At(20, 30).g, 255.0 / 64, 2);
  EXPECT_NEAR(image.At(23, 33).g, 255.0 / 64, 2);
  EXPECT_EQ(image.At(24, 31).g, 0);

  // A kernel outside 0..4 is held to the table's last kernel.
  kernel->SetFloat(1e9f);
  const Texels held = TexelsOf(Draw(surface));
  kernel->SetFloat(4);
  EXPECT_TRUE(TexelsNear(held, TexelsOf(Draw(surface)), 0));
  ExpectLossRecovers(surface);
}

TEST_F(FilterBlitTest, AFractionalBlurValuePicksTheNearestKernel) {
  auto spot = [](int x, int y) { return x == 20 && y == 30 ? Grey(255) : Grey(0); };
  Vel_DX8_PixelShaderSurface* surface = Filter(Vel_DX8_PixelShaderSurface::kBlur, spot);
  if (!surface) GTEST_SKIP() << "the graphics layer runs no shaders";
  Plane box = FromTexels(spot);
  for (int pass = 0; pass < 3; ++pass) box = Pass(box, Blur);
  // 0.6 is kernel 1, the half-texel box (truncated it would be kernel 0,
  // which leaves the image as it is).
  Vel_FloatChannel* kernel = AddFloat(surface, 0.6f);
  EXPECT_TRUE(TexelsNear(TexelsOf(Draw(surface)), ToTexels(box), 1));
  // 1.7 is kernel 2, not kernel 1.
  kernel->SetFloat(1.7f);
  const Texels rounded = TexelsOf(Draw(surface));
  EXPECT_FALSE(TexelsNear(rounded, ToTexels(box), 1));
  kernel->SetFloat(2);
  EXPECT_TRUE(TexelsNear(rounded, TexelsOf(Draw(surface)), 0));
  // 4.6 would round past the table: it is held to kernel 4.
  kernel->SetFloat(4.6f);
  const Texels held = TexelsOf(Draw(surface));
  kernel->SetFloat(4);
  EXPECT_TRUE(TexelsNear(held, TexelsOf(Draw(surface)), 0));
  ExpectNoLayerError();
}

TEST_F(FilterBlitTest, EachFilterShowsWhereTheWorldMatrixPutsTheMesh) {
  // A flat image stays flat under blur and sharpen and has no edge
  // anywhere (white); the mesh shows only once the surface's world matrix
  // has moved it onto the window.
  const uint32_t flat = 0xFF6090C0u;
  const std::pair<int, uint32_t> cases[] = {{Vel_DX8_PixelShaderSurface::kBlur, flat},
                                            {Vel_DX8_PixelShaderSurface::kEdgeDetection, Grey(255)},
                                            {Vel_DX8_PixelShaderSurface::kSharpen, flat}};
  for (const auto& [effect, expected] : cases) {
    Vel_DX8_PixelShaderSurface* surface = PlacedPixelSurface(effect);
    AddImage(surface, [&](int, int) { return flat; });
    if (!ShadersRun(surface)) GTEST_SKIP() << "the graphics layer runs no shaders";
    EXPECT_TRUE(TexelsNear(TexelsOf(Draw(surface)), Texels(kN * kN, expected), 1)) << "effect " << effect;
  }
  ExpectNoLayerError();
}

TEST_F(FilterBlitTest, SharpenAndEdgesKeepAFlatImageAndMarkAStep) {
  auto flat = [](int, int) { return 0xFF6090C0u; };
  Vel_DX8_PixelShaderSurface* sharpen = Filter(Vel_DX8_PixelShaderSurface::kSharpen, flat);
  if (!sharpen) GTEST_SKIP() << "the graphics layer runs no shaders";
  EXPECT_TRUE(TexelsNear(TexelsOf(Draw(sharpen)), Texels(kN * kN, flat(0, 0)), 1));
  sharpen->SetShaderEffect(Vel_DX8_PixelShaderSurface::kEdgeDetection);
  EXPECT_TRUE(TexelsNear(TexelsOf(Draw(sharpen)), Texels(kN * kN, Grey(255)), 1));

  // A vertical step from grey 0x60 to 0xA0 at column 32, and a Shader Info
  // value that these modes do not read.
  auto step = [](int x, int) { return Grey(x < 32 ? 0x60 : 0xA0); };
  Vel_DX8_PixelShaderSurface* edge = Filter(Vel_DX8_PixelShaderSurface::kSharpen, step);
  AddFloat(edge, 4);
  Plane sharpened = FromTexels(step);
  for (int pass = 0; pass < 3; ++pass) sharpened = Pass(sharpened, Sharpen);
  EXPECT_TRUE(TexelsNear(TexelsOf(Draw(edge)), ToTexels(sharpened), 1));
  // The edge filter reads the source in its last pass: one column of edge.
  edge->SetShaderEffect(Vel_DX8_PixelShaderSurface::kEdgeDetection);
  const Image edges = Draw(edge);
  EXPECT_TRUE(TexelsNear(TexelsOf(edges), ToTexels(Pass(FromTexels(step), Edge)), 1));
  EXPECT_NEAR(edges.At(32, 10).r, 255 * Edge(0x60 / 255.0f, 0x60 / 255.0f, 0xA0 / 255.0f, 0xA0 / 255.0f), 1);
  EXPECT_EQ(edges.At(31, 10).r, 255);
  ExpectNoLayerError();
  ExpectLossRecovers(edge);
}

}  // namespace
}  // namespace vel_test
