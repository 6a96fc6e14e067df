// Scaling filters, mip reduction and colour keying on ARGB images.
#include <d3dx8/d3dx8tex.h>
#include <gtest/gtest.h>

#include "image/image_filter.h"

namespace {

using d3dx8::ArgbImage;

ArgbImage Make(UINT w, UINT h, std::vector<uint32_t> texels) {
  ArgbImage image(w, h);
  image.texels = std::move(texels);
  return image;
}

TEST(MipLevel, BoxAveragesEachTwoByTwoBlockWithRounding) {
  // Level 0, 4 x 4; each 2 x 2 block has known channel sums.
  const ArgbImage top = Make(4, 4, {
      0xFF000000, 0xFF040404, 0x00FF0000, 0x00FF0000,
      0xFF080808, 0xFF0C0C0C, 0xFFFF0000, 0xFFFF0000,
      0x10203040, 0x10203040, 0xFF000000, 0xFFFFFFFF,
      0x10203040, 0x10203041, 0xFFFFFFFF, 0xFF000000,
  });
  const ArgbImage level1 = d3dx8::NextMipLevel(top, D3DX_FILTER_BOX);
  ASSERT_EQ(2u, level1.width);
  ASSERT_EQ(2u, level1.height);
  // (0 + 4 + 8 + 12) / 4 = 6 in each colour channel; alpha 255.
  EXPECT_EQ(0xFF060606u, level1.At(0, 0));
  // Alpha (0 + 0 + 255 + 255) / 4 = 127.5 -> 128.
  EXPECT_EQ(0x80FF0000u, level1.At(1, 0));
  // Blue (64 * 3 + 65 + 2) / 4 = 64.
  EXPECT_EQ(0x10203040u, level1.At(0, 1));
  // (255 * 2 + 2) / 4 = 128 in each colour channel.
  EXPECT_EQ(0xFF808080u, level1.At(1, 1));

  const ArgbImage level2 = d3dx8::NextMipLevel(level1, D3DX_DEFAULT);  // default is box
  ASSERT_EQ(1u, level2.width);
  // Alpha (255 + 128 + 16 + 255 + 2) / 4 = 164; red (6 + 255 + 32 + 128 + 2) / 4 = 105.
  EXPECT_EQ(164u, level2.At(0, 0) >> 24);
  EXPECT_EQ(105u, (level2.At(0, 0) >> 16) & 0xFF);
}

TEST(MipLevel, NonSquareChainsEndAtOneByOne) {
  ArgbImage image(8, 2, 0xFF204060);
  image.At(7, 1) = 0xFF204064;
  ArgbImage next = d3dx8::NextMipLevel(image, D3DX_FILTER_BOX);
  EXPECT_EQ(4u, next.width);
  EXPECT_EQ(1u, next.height);
  EXPECT_EQ(0xFF204061u, next.At(3, 0));
  next = d3dx8::NextMipLevel(next, D3DX_FILTER_BOX);
  next = d3dx8::NextMipLevel(next, D3DX_FILTER_BOX);
  EXPECT_EQ(1u, next.width);
  EXPECT_EQ(1u, next.height);
  // 0x60, 0x60, 0x60, 0x61 -> 0x60, 0x61 (halves round up) -> 0x61.
  EXPECT_EQ(0xFF204061u, next.At(0, 0));
}

TEST(ScaleImage, NoneCopiesAndLeavesTheRestTransparentBlack) {
  const ArgbImage src = Make(2, 1, {0xFF112233, 0xFF445566});
  const ArgbImage out = d3dx8::ScaleImage(src, 4, 2, D3DX_FILTER_NONE);
  EXPECT_EQ(0xFF112233u, out.At(0, 0));
  EXPECT_EQ(0xFF445566u, out.At(1, 0));
  EXPECT_EQ(0u, out.At(2, 0));
  EXPECT_EQ(0u, out.At(0, 1));
}

TEST(ScaleImage, PointRepeatsTexels) {
  const ArgbImage src = Make(2, 1, {0xFF000000, 0xFFFFFFFF});
  const ArgbImage out = d3dx8::ScaleImage(src, 4, 1, D3DX_FILTER_POINT);
  EXPECT_EQ((std::vector<uint32_t>{0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF}), out.texels);
}

TEST(ScaleImage, LinearBlendsNeighboursAndWrapsUnlessMirrored) {
  const ArgbImage src = Make(2, 1, {0xFF000000, 0xFF0000FF});
  // Target texel 1 of 4 samples source position 0.25: 3/4 of texel 0, 1/4 of texel 1.
  ArgbImage out = d3dx8::ScaleImage(src, 4, 1, D3DX_FILTER_LINEAR);
  EXPECT_EQ(0xFF000040u, out.At(1, 0));
  // Texel 0 samples position -0.25: wrapping blends in texel 1.
  EXPECT_EQ(0xFF000040u, out.At(0, 0));
  out = d3dx8::ScaleImage(src, 4, 1, D3DX_FILTER_LINEAR | D3DX_FILTER_MIRROR);
  EXPECT_EQ(0xFF000000u, out.At(0, 0));
}

TEST(ScaleImage, BoxAreaAveragingForUnevenRatios) {
  // 3 texels onto 2: each target covers 1.5 source texels.
  const ArgbImage src = Make(3, 1, {0xFF000000, 0xFF000030, 0xFF000090});
  const ArgbImage out = d3dx8::ScaleImage(src, 2, 1, D3DX_FILTER_BOX);
  EXPECT_EQ(0xFF000010u, out.At(0, 0));  // (0 + 0.5 * 48) / 1.5 = 16
  EXPECT_EQ(0xFF000070u, out.At(1, 0));  // (0.5 * 48 + 144) / 1.5 = 112
}

TEST(ColorKey, MatchingTexelsBecomeTransparentBlack) {
  ArgbImage image = Make(3, 1, {0xFFFF00FF, 0xFEFF00FF, 0xFF00FF00});
  d3dx8::ApplyColorKey(&image, 0xFFFF00FF);
  EXPECT_EQ((std::vector<uint32_t>{0, 0xFEFF00FF, 0xFF00FF00}), image.texels);
  d3dx8::ApplyColorKey(&image, 0);  // disabled
  EXPECT_EQ(0xFEFF00FFu, image.At(1, 0));
}

TEST(FilterValue, KindsAndFlagsAreChecked) {
  EXPECT_TRUE(d3dx8::FilterIsValid(D3DX_DEFAULT));
  EXPECT_TRUE(d3dx8::FilterIsValid(D3DX_FILTER_BOX));
  EXPECT_TRUE(d3dx8::FilterIsValid(D3DX_FILTER_TRIANGLE | D3DX_FILTER_MIRROR | D3DX_FILTER_DITHER));
  EXPECT_FALSE(d3dx8::FilterIsValid(0));
  EXPECT_FALSE(d3dx8::FilterIsValid(6));
  EXPECT_FALSE(d3dx8::FilterIsValid(D3DX_FILTER_BOX | 0x100));
}

}  // namespace
