// The size an image file declares is read from its header alone: from files
// written by the image libraries, and from bare headers with no texels behind
// them (an image bomb declares a size it never delivers).
#include <gtest/gtest.h>

#include <cstring>

#include "image/image_decoder.h"
#include "image_writers.h"

namespace {

using namespace testimages;

struct Size {
  uint32_t width = 0, height = 0;
  bool operator==(const Size& o) const { return width == o.width && height == o.height; }
};

bool Dimensions(const Bytes& file, Size* size) {
  return d3dx8::ReadImageDimensions(file.data(), file.size(), &size->width, &size->height);
}

void Put32(Bytes& b, size_t at, uint32_t v, bool bigEndian) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(bigEndian ? v >> (24 - 8 * i) : v >> (8 * i));
}

TEST(ImageDimensions, WrittenFilesOfEveryTypeDeclareTheirSize) {
  const Texels t(11 * 6, 0xFF336699);
  struct Case {
    const char* what;
    Bytes file;
  } cases[] = {
      {"png", WritePng(11, 6, t, PngKind::kRgba)},
      {"interlaced png", WritePng(11, 6, t, PngKind::kRgb, true)},
      {"jpeg", WriteJpeg(11, 6, t, 80)},
      {"grey jpeg", WriteJpeg(11, 6, t, 80, true)},
      {"bmp", WriteBmp(11, 6, t, 24)},
      {"top-down bmp", WriteBmp(11, 6, t, 32, true)},
      {"tga", WriteTga(11, 6, t, 32, false, false)},
      {"rle tga", WriteTga(11, 6, t, 24, true, true)},
      {"dds", WriteDdsArgb(11, 6, t)},
  };
  for (const Case& c : cases) {
    Size size;
    ASSERT_TRUE(Dimensions(c.file, &size)) << c.what;
    EXPECT_EQ(size.width, 11u) << c.what;
    EXPECT_EQ(size.height, 6u) << c.what;
  }
}

TEST(ImageDimensions, BareHeadersDeclaringAHugeSizeAreReadWithoutTexels) {
  // PNG: signature, then the IHDR chunk (big-endian width and height).
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  png.resize(33, 0);
  Put32(png, 16, 16384, true);
  Put32(png, 20, 2048, true);
  // JPEG: start of image, an APP0 segment of 16 bytes, then SOF2 with
  // height 5000 and width 9000.
  Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
  jpeg.resize(jpeg.size() + 14, 0);
  const Bytes sof = {0xFF, 0xC2, 0x00, 0x11, 0x08, 0x13, 0x88, 0x23, 0x28, 0x03};
  jpeg.insert(jpeg.end(), sof.begin(), sof.end());
  // BMP with an info header: width 20000, height -3000 (top-down).
  Bytes bmp(54, 0);
  bmp[0] = 'B';
  bmp[1] = 'M';
  Put32(bmp, 14, 40, false);
  Put32(bmp, 18, 20000, false);
  Put32(bmp, 22, uint32_t(-3000), false);
  // TGA, true-colour: 65535 x 65535.
  Bytes tga(18, 0);
  tga[2] = 2;
  tga[12] = tga[13] = tga[14] = tga[15] = 0xFF;
  tga[16] = 32;
  // DDS: height at 12, width at 16.
  Bytes dds(128, 0);
  std::memcpy(dds.data(), "DDS ", 4);
  Put32(dds, 4, 124, false);
  Put32(dds, 12, 4096, false);
  Put32(dds, 16, 8192, false);

  Size size;
  ASSERT_TRUE(Dimensions(png, &size));
  EXPECT_EQ(size, (Size{16384, 2048}));
  ASSERT_TRUE(Dimensions(jpeg, &size));
  EXPECT_EQ(size, (Size{9000, 5000}));
  // Stray bytes before the frame header, which the decoder passes over, do
  // not hide it.
  Bytes strayJpeg(jpeg.begin(), jpeg.end() - sof.size());
  strayJpeg.insert(strayJpeg.end(), {0x00, 0x42, 0x00});
  strayJpeg.insert(strayJpeg.end(), sof.begin(), sof.end());
  ASSERT_TRUE(Dimensions(strayJpeg, &size));
  EXPECT_EQ(size, (Size{9000, 5000}));
  ASSERT_TRUE(Dimensions(bmp, &size));
  EXPECT_EQ(size, (Size{20000, 3000}));
  ASSERT_TRUE(Dimensions(tga, &size));
  EXPECT_EQ(size, (Size{65535, 65535}));
  ASSERT_TRUE(Dimensions(dds, &size));
  EXPECT_EQ(size, (Size{8192, 4096}));

  // Headers cut short, a JPEG that reaches its scan without a frame header
  // and bytes of no known type give no size.
  EXPECT_FALSE(Dimensions(Bytes(png.begin(), png.begin() + 20), &size));
  EXPECT_FALSE(Dimensions(Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0x00, 0x08}, &size));
  EXPECT_FALSE(Dimensions(Bytes(40, 0x42), &size));
}

}  // namespace
