// Decoding image files from memory: each file type written in the test with
// known texels and read back exactly (JPEG within its loss).
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/image_decoder.h"
#include "image_writers.h"

namespace {

using d3dx8::DecodedImage;
using d3dx8::DecodeImageFile;
using namespace testimages;

// 3 x 2 texels with distinct channels and alpha.
const Texels kSmall = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFF123456, 0x40FFFFFF, 0xC0000000};

Texels Opaque(Texels t) {
  for (uint32_t& c : t) c |= 0xFF000000;
  return t;
}

DecodedImage Decode(const Bytes& bytes) {
  DecodedImage out;
  EXPECT_EQ(D3D_OK, DecodeImageFile(bytes.data(), bytes.size(), &out));
  return out;
}

void ExpectInfo(const DecodedImage& d, UINT w, UINT h, D3DFORMAT format, D3DXIMAGE_FILEFORMAT file) {
  EXPECT_EQ(w, d.info.Width);
  EXPECT_EQ(h, d.info.Height);
  EXPECT_EQ(1u, d.info.Depth);
  EXPECT_EQ(1u, d.info.MipLevels);
  EXPECT_EQ(format, d.info.Format);
  EXPECT_EQ(D3DRTYPE_TEXTURE, d.info.ResourceType);
  EXPECT_EQ(file, d.info.ImageFileFormat);
  EXPECT_EQ(w, d.image.width);
  EXPECT_EQ(h, d.image.height);
}

TEST(DecodePng, RgbaKeepsEveryChannel) {
  const DecodedImage d = Decode(WritePng(3, 2, kSmall, PngKind::kRgba));
  ExpectInfo(d, 3, 2, D3DFMT_A8R8G8B8, D3DXIFF_PNG);
  EXPECT_TRUE(d.hasAlpha);
  EXPECT_EQ(kSmall, d.image.texels);
}

TEST(DecodePng, RgbIsOpaqueAndInterlacedMatchesPlain) {
  const DecodedImage d = Decode(WritePng(3, 2, kSmall, PngKind::kRgb));
  ExpectInfo(d, 3, 2, D3DFMT_R8G8B8, D3DXIFF_PNG);
  EXPECT_FALSE(d.hasAlpha);
  EXPECT_EQ(Opaque(kSmall), d.image.texels);

  Texels big(37 * 23);
  for (size_t i = 0; i < big.size(); ++i) big[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
  EXPECT_EQ(big, Decode(WritePng(37, 23, big, PngKind::kRgb, true)).image.texels);
}

TEST(DecodePng, GreyAndPalette) {
  const Texels grey = {0xFF000000, 0xFF7F7F7F, 0xFFFFFFFF, 0xFF101010};
  const DecodedImage g = Decode(WritePng(2, 2, grey, PngKind::kGrey));
  ExpectInfo(g, 2, 2, D3DFMT_L8, D3DXIFF_PNG);
  EXPECT_EQ(grey, g.image.texels);

  const DecodedImage p = Decode(WritePng(3, 2, kSmall, PngKind::kPalette));
  ExpectInfo(p, 3, 2, D3DFMT_P8, D3DXIFF_PNG);
  EXPECT_TRUE(p.hasAlpha);
  EXPECT_EQ(kSmall, p.image.texels);
  ASSERT_EQ(256u, p.palette.size());
  EXPECT_EQ(0xFF, p.palette[0].peRed);
  EXPECT_EQ(0xFF, p.palette[0].peFlags);
  EXPECT_EQ(0x80, p.palette[1].peFlags);
}

TEST(DecodeJpeg, ColourBlocksComeBackWithinTheLoss) {
  // Four 16 x 16 quadrants of flat colour.
  const uint32_t colours[4] = {0xFFC01010, 0xFF10C010, 0xFF1010C0, 0xFF808080};
  Texels t(32 * 32);
  for (unsigned y = 0; y < 32; ++y)
    for (unsigned x = 0; x < 32; ++x) t[y * 32 + x] = colours[(y / 16) * 2 + x / 16];
  const DecodedImage d = Decode(WriteJpeg(32, 32, t, 95));
  ExpectInfo(d, 32, 32, D3DFMT_R8G8B8, D3DXIFF_JPG);
  EXPECT_FALSE(d.hasAlpha);
  for (int q = 0; q < 4; ++q) {
    const uint32_t c = d.image.At((q % 2) * 16 + 8, (q / 2) * 16 + 8);
    EXPECT_EQ(0xFFu, c >> 24);
    for (int shift = 0; shift < 24; shift += 8)
      EXPECT_LE(std::abs(int((c >> shift) & 0xFF) - int((colours[q] >> shift) & 0xFF)), 6)
          << "quadrant " << q << " channel " << shift;
  }
}

TEST(DecodeJpeg, GreyscaleBecomesGreyTexels) {
  Texels t(16 * 8, 0xFF606060);
  const DecodedImage d = Decode(WriteJpeg(16, 8, t, 100, true));
  ExpectInfo(d, 16, 8, D3DFMT_L8, D3DXIFF_JPG);
  for (uint32_t c : d.image.texels) EXPECT_EQ(0xFF606060u, c);
}

TEST(DecodeBmp, TwentyFourBitWithRowPaddingBottomUp) {
  // Width 3 at 24 bits leaves 3 padding bytes a row.
  const DecodedImage d = Decode(WriteBmp(3, 2, kSmall, 24));
  ExpectInfo(d, 3, 2, D3DFMT_R8G8B8, D3DXIFF_BMP);
  EXPECT_EQ(Opaque(kSmall), d.image.texels);
  EXPECT_EQ(Opaque(kSmall), Decode(WriteBmp(3, 2, kSmall, 24, true)).image.texels);
}

TEST(DecodeBmp, ThirtyTwoBitIgnoresTheUnusedByte) {
  const DecodedImage d = Decode(WriteBmp(3, 2, kSmall, 32));
  ExpectInfo(d, 3, 2, D3DFMT_X8R8G8B8, D3DXIFF_BMP);
  EXPECT_EQ(Opaque(kSmall), d.image.texels);
}

TEST(DecodeBmp, PalettisedAtEightFourAndOneBits) {
  const Texels palette = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  const std::vector<uint8_t> indices = {0, 1, 2, 3, 3, 2, 1, 0, 1, 1, 0, 2, 3, 3, 3, 0, 2, 1, 0, 0};  // 5 x 4
  Texels expected;
  for (uint8_t i : indices) expected.push_back(palette[i]);
  for (int bits : {8, 4}) {
    const DecodedImage d = Decode(WriteBmpPalettised(5, 4, indices, palette, bits));
    ExpectInfo(d, 5, 4, D3DFMT_P8, D3DXIFF_BMP);
    EXPECT_EQ(expected, d.image.texels) << bits << " bits";
    ASSERT_EQ(256u, d.palette.size());
    EXPECT_EQ(0xFF, d.palette[1].peRed);
  }
  std::vector<uint8_t> mono = {1, 0, 0, 1, 1, 1, 0, 0, 0, 1};  // 10 x 1
  const Texels bw = {0xFF000000, 0xFFFFFFFF};
  const DecodedImage d = Decode(WriteBmpPalettised(10, 1, mono, bw, 1));
  for (size_t i = 0; i < mono.size(); ++i) EXPECT_EQ(bw[mono[i]], d.image.texels[i]);
}

TEST(DecodeBmp, RunLengthEncodedEightBit) {
  // 4 x 2: bottom row a run of four index 1; top row literal 0, 1, 2 then a
  // run of one index 3; end of bitmap.
  Bytes b = {'B', 'M'};
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, 14 + 40 + 16);
  Put32(b, 40);
  Put32(b, 4);
  Put32(b, 2);
  Put16(b, 1);
  Put16(b, 8);
  Put32(b, 1);  // RLE8
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, 0);
  Put32(b, 4);
  Put32(b, 0);
  for (uint32_t c : {0xFF000000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu}) Put32(b, c & 0xFFFFFF);
  const uint8_t data[] = {4, 1, 0, 0, 0, 3, 0, 1, 2, 0, 1, 3, 0, 1};
  b.insert(b.end(), data, data + sizeof(data));
  const DecodedImage d = Decode(b);
  const Texels expected = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                           0xFFFF0000, 0xFFFF0000, 0xFFFF0000, 0xFFFF0000};
  EXPECT_EQ(expected, d.image.texels);
}

TEST(DecodeTga, UncompressedAndRunLengthInBothRowOrders) {
  for (bool rle : {false, true}) {
    for (bool topDown : {false, true}) {
      const DecodedImage d24 = Decode(WriteTga(3, 2, kSmall, 24, rle, topDown));
      ExpectInfo(d24, 3, 2, D3DFMT_R8G8B8, D3DXIFF_TGA);
      EXPECT_EQ(Opaque(kSmall), d24.image.texels) << rle << topDown;
      const DecodedImage d32 = Decode(WriteTga(3, 2, kSmall, 32, rle, topDown));
      ExpectInfo(d32, 3, 2, D3DFMT_A8R8G8B8, D3DXIFF_TGA);
      EXPECT_TRUE(d32.hasAlpha);
      EXPECT_EQ(kSmall, d32.image.texels) << rle << topDown;
    }
  }
  // Long runs cross packet boundaries (128 texels a packet).
  Texels runs(300 * 2, 0xFF445566);
  for (size_t i = 250; i < runs.size(); ++i) runs[i] = 0xFF000000u | uint32_t(i);
  EXPECT_EQ(runs, Decode(WriteTga(300, 2, runs, 24, true, true)).image.texels);
}

TEST(DecodeDds, UncompressedArgbAndMipCount) {
  const DecodedImage d = Decode(WriteDdsArgb(3, 2, kSmall, 2));
  EXPECT_EQ(D3DFMT_A8R8G8B8, d.info.Format);
  EXPECT_EQ(D3DXIFF_DDS, d.info.ImageFileFormat);
  EXPECT_EQ(2u, d.info.MipLevels);
  EXPECT_EQ(kSmall, d.image.texels);
}

TEST(DecodeDds, Dxt1AndDxt5Blocks) {
  // DXT1: colour 0 pure red (0xF800), colour 1 pure blue (0x001F); c0 > c1
  // gives four colours: red, blue, 2/3 red + 1/3 blue, 1/3 red + 2/3 blue.
  // Indices: row 0 all 0, row 1 all 1, row 2 all 2, row 3 all 3.
  const Bytes dxt1 = {0x00, 0xF8, 0x1F, 0x00, 0x00, 0x55, 0xAA, 0xFF};
  DecodedImage d = Decode(WriteDdsBlocks(4, 4, "DXT1", dxt1));
  EXPECT_EQ(D3DFMT_DXT1, d.info.Format);
  EXPECT_EQ(0xFFFF0000u, d.image.At(0, 0));
  EXPECT_EQ(0xFF0000FFu, d.image.At(3, 1));
  EXPECT_EQ(0xFFAA0055u, d.image.At(1, 2));
  EXPECT_EQ(0xFF5500AAu, d.image.At(2, 3));

  // DXT5: alpha 0 = 255, alpha 1 = 0 (eight-step mode), every texel index 1
  // except texel 0 (index 0); colour block as above.
  Bytes dxt5 = {255, 0, 0x0E, 0, 0, 0, 0, 0};
  // 3-bit indices: texel 0 -> 0, others -> 1: bits = sum(1 << 3i) for i >= 1.
  uint64_t bits = 0;
  for (int i = 1; i < 16; ++i) bits |= uint64_t(1) << (3 * i);
  for (int i = 0; i < 6; ++i) dxt5[2 + i] = uint8_t(bits >> (8 * i));
  dxt5.insert(dxt5.end(), dxt1.begin(), dxt1.end());
  // A 2 x 2 image still stores a whole block.
  d = Decode(WriteDdsBlocks(2, 2, "DXT5", dxt5));
  EXPECT_EQ(D3DFMT_DXT5, d.info.Format);
  ASSERT_EQ(4u, d.image.texels.size());
  EXPECT_EQ(0xFFFF0000u, d.image.At(0, 0));
  EXPECT_EQ(0x00FF0000u, d.image.At(1, 0));
  EXPECT_EQ(0x000000FFu, d.image.At(1, 1));
}

}  // namespace
