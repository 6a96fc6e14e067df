// Writing ARGB images into surface formats and reading them back, including
// the block-compressed formats.
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/pixel_format.h"

namespace {

using d3dx8::ArgbImage;

ArgbImage RoundTrip(const ArgbImage& image, D3DFORMAT format, int pitch, std::vector<uint8_t>* memory) {
  memory->assign(size_t(pitch) * image.height + 64, 0xEE);
  EXPECT_TRUE(d3dx8::WriteImageToSurface(image, format, memory->data(), pitch));
  ArgbImage back;
  EXPECT_TRUE(d3dx8::ReadImageFromSurface(memory->data(), pitch, format, image.width, image.height, &back));
  return back;
}

TEST(PixelFormat, ThirtyTwoBitLayoutsAndPitch) {
  ArgbImage image(2, 2);
  image.texels = {0x80112233, 0x00445566, 0xFF778899, 0x7FAABBCC};
  std::vector<uint8_t> memory;
  EXPECT_EQ(image.texels, RoundTrip(image, D3DFMT_A8R8G8B8, 12, &memory).texels);
  // Memory order blue, green, red, alpha; the padding after each row is untouched.
  EXPECT_EQ(0x33, memory[0]);
  EXPECT_EQ(0x80, memory[3]);
  EXPECT_EQ(0xEE, memory[8]);
  EXPECT_EQ(0x99, memory[12]);

  const ArgbImage x = RoundTrip(image, D3DFMT_X8R8G8B8, 8, &memory);
  EXPECT_EQ(0xFF112233u, x.At(0, 0));
  EXPECT_EQ(0xFF445566u, x.At(1, 0));
}

TEST(PixelFormat, SixteenAndEightBitLayouts) {
  ArgbImage image(1, 1);
  image.texels = {0x80FF8040};
  std::vector<uint8_t> memory;
  // R5G6B5: 31, 32 (0x80 * 63 / 255 rounded), 8 -> widened back.
  ArgbImage back = RoundTrip(image, D3DFMT_R5G6B5, 2, &memory);
  EXPECT_EQ(uint32_t((31 << 11) | (32 << 5) | 8), uint32_t(memory[0] | (memory[1] << 8)));
  EXPECT_EQ(0xFFFF8242u, back.At(0, 0));
  back = RoundTrip(image, D3DFMT_A4R4G4B4, 2, &memory);
  EXPECT_EQ(0x88FF8844u, back.At(0, 0));
  back = RoundTrip(image, D3DFMT_A1R5G5B5, 2, &memory);
  EXPECT_EQ(0xFFu, back.At(0, 0) >> 24);  // 0x80 rounds up to opaque
  back = RoundTrip(image, D3DFMT_A8, 1, &memory);
  EXPECT_EQ(0x80000000u, back.At(0, 0));

  // Luminance weights 0.2125, 0.7154, 0.0721.
  image.texels = {0xFF0000FF};
  back = RoundTrip(image, D3DFMT_L8, 1, &memory);
  EXPECT_EQ(18, memory[0]);
  EXPECT_EQ(0xFF121212u, back.At(0, 0));
  back = RoundTrip(image, D3DFMT_A8L8, 2, &memory);
  EXPECT_EQ(0xFF121212u, back.At(0, 0));
}

TEST(PixelFormat, Dxt1KeepsTwoColourBlocksExactly) {
  // Two colours that 5:6:5 represents exactly.
  ArgbImage image(4, 4);
  for (UINT i = 0; i < 16; ++i) image.texels[i] = (i % 3 == 0) ? 0xFFFF0000 : 0xFF0000FF;
  std::vector<uint8_t> memory;
  EXPECT_EQ(image.texels, RoundTrip(image, D3DFMT_DXT1, 8, &memory).texels);
}

TEST(PixelFormat, Dxt1TransparentTexelsUseThePunchThroughColour) {
  ArgbImage image(4, 4, 0xFFFFFFFF);
  image.At(1, 1) = 0x00000000;
  image.At(2, 3) = 0x10FFFFFF;
  std::vector<uint8_t> memory;
  const ArgbImage back = RoundTrip(image, D3DFMT_DXT1, 8, &memory);
  EXPECT_EQ(0u, back.At(1, 1));
  EXPECT_EQ(0u, back.At(2, 3));
  EXPECT_EQ(0xFFFFFFFFu, back.At(0, 0));
}

TEST(PixelFormat, Dxt5AndDxt3Alpha) {
  ArgbImage image(4, 4, 0xFF00FF00);
  for (UINT i = 0; i < 16; i += 2) image.texels[i] = 0x2000FF00;
  std::vector<uint8_t> memory;
  EXPECT_EQ(image.texels, RoundTrip(image, D3DFMT_DXT5, 16, &memory).texels);
  const ArgbImage dxt3 = RoundTrip(image, D3DFMT_DXT3, 16, &memory);
  EXPECT_EQ(0x2200FF00u, dxt3.At(0, 0));  // 4-bit alpha: 0x20 -> 2 -> 0x22
  EXPECT_EQ(0xFF00FF00u, dxt3.At(1, 0));
}

TEST(PixelFormat, BlocksCoverImagesSmallerThanABlockAndGradientsStayClose) {
  ArgbImage tiny(2, 1);
  tiny.texels = {0xFFFF0000, 0xFF0000FF};
  std::vector<uint8_t> memory;
  EXPECT_EQ(tiny.texels, RoundTrip(tiny, D3DFMT_DXT1, 8, &memory).texels);

  // Colours along one line and an alpha ramp: within the format's steps.
  ArgbImage ramp(8, 4);
  for (UINT y = 0; y < 4; ++y)
    for (UINT x = 0; x < 8; ++x) ramp.At(x, y) = ((y * 80) << 24) | ((x * 32) << 16) | ((x * 16) << 8) | 0x40;
  const ArgbImage back = RoundTrip(ramp, D3DFMT_DXT5, 32, &memory);
  for (size_t i = 0; i < ramp.texels.size(); ++i)
    for (int shift = 0; shift < 32; shift += 8)
      EXPECT_LE(std::abs(int((back.texels[i] >> shift) & 0xFF) - int((ramp.texels[i] >> shift) & 0xFF)), 12)
          << "texel " << i << " channel " << shift;
}

TEST(PixelFormat, UnsupportedFormatsAreReported) {
  EXPECT_FALSE(d3dx8::FormatIsConvertible(D3DFMT_Q8W8V8U8));
  EXPECT_FALSE(d3dx8::FormatIsConvertible(D3DFMT_D16));
  EXPECT_TRUE(d3dx8::FormatIsConvertible(D3DFMT_DXT5));
  EXPECT_TRUE(d3dx8::FormatHasAlpha(D3DFMT_A4R4G4B4));
  EXPECT_FALSE(d3dx8::FormatHasAlpha(D3DFMT_X8R8G8B8));
  ArgbImage image(1, 1);
  uint8_t memory[4];
  EXPECT_FALSE(d3dx8::WriteImageToSurface(image, D3DFMT_V8U8, memory, 4));
}

}  // namespace
