// Damaged, truncated and hostile image bytes are refused with
// D3DXERR_INVALIDDATA, never a crash, an over-read or a huge allocation
// (the sanitizer build checks the last two).
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <random>

#include "image/image_decoder.h"
#include "image_writers.h"

namespace {

using d3dx8::DecodedImage;
using d3dx8::DecodeImageFile;
using namespace testimages;

HRESULT DecodeBytes(const Bytes& b) {
  DecodedImage out;
  return DecodeImageFile(b.data(), b.size(), &out);
}

Texels Pattern(unsigned w, unsigned h) {
  Texels t(size_t(w) * h);
  for (size_t i = 0; i < t.size(); ++i) t[i] = uint32_t(i * 0x9E3779B9u);
  return t;
}

// Every prefix shorter than `complete` bytes fails cleanly.
void ExpectPrefixesFail(const Bytes& file, size_t complete, const char* what) {
  ASSERT_EQ(D3D_OK, DecodeBytes(file)) << what;
  for (size_t n = 0; n < complete; ++n) {
    Bytes prefix(file.begin(), file.begin() + n);
    EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(prefix)) << what << " cut at " << n;
  }
}

TEST(MalformedImage, EmptyAndGarbageAreInvalid) {
  DecodedImage out;
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeImageFile(nullptr, 10, &out));
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(Bytes()));
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(Bytes(64, 0xFF)));
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}));
  // Right signatures, nothing valid behind them.
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(Bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 1, 2, 3}));
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(Bytes{0xFF, 0xD8, 0xFF, 0x00, 0x11, 0x22}));
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(Bytes{'B', 'M', 0, 0, 0, 0}));
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(Bytes{'D', 'D', 'S', ' ', 0x7C, 0}));
}

TEST(MalformedImage, TruncatedFilesAreInvalid) {
  const Texels t = Pattern(9, 7);
  const Bytes png = WritePng(9, 7, t, PngKind::kRgba);
  ExpectPrefixesFail(png, png.size() - 12, "png");  // the last 12 bytes are the end chunk
  const Bytes jpeg = WriteJpeg(9, 7, t, 90);
  ExpectPrefixesFail(jpeg, jpeg.size() - 2, "jpeg");  // the last 2 bytes are the end marker
  const Bytes bmp = WriteBmp(9, 7, t, 24);
  ExpectPrefixesFail(bmp, bmp.size(), "bmp");
  for (bool rle : {false, true}) {
    const Bytes tga = WriteTga(9, 7, t, 32, rle, false);
    ExpectPrefixesFail(tga, tga.size(), "tga");
  }
  const Bytes dds = WriteDdsArgb(9, 7, t);
  ExpectPrefixesFail(dds, dds.size(), "dds");
}

void PutBigEndian32(Bytes& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(uint8_t(v >> shift));
}

TEST(MalformedImage, HugeDeclaredSizesAreRefusedBeforeAllocating) {
  // PNG header chunk (with a correct checksum) declaring 100000 x 100000.
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  PutBigEndian32(png, 13);
  const size_t typeAt = png.size();
  png.insert(png.end(), {'I', 'H', 'D', 'R'});
  PutBigEndian32(png, 100000);
  PutBigEndian32(png, 100000);
  png.insert(png.end(), {8, 6, 0, 0, 0});
  PutBigEndian32(png, uint32_t(crc32(0, png.data() + typeAt, 17)));
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(png));

  // BMP declaring 60000 x 60000 at 32 bits with a few bytes of data.
  Bytes bmp = WriteBmp(1, 1, {0xFF000000}, 32);
  const uint32_t big = 60000;
  std::memcpy(&bmp[18], &big, 4);
  std::memcpy(&bmp[22], &big, 4);
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(bmp));

  // TGA declaring 65535 x 65535 run-length encoded.
  Bytes tga = WriteTga(1, 1, {0xFF000000}, 24, true, false);
  tga[12] = tga[13] = tga[14] = tga[15] = 0xFF;
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(tga));
  // Within the size limits, but far more texels than the bytes can encode.
  tga[12] = 0x00;
  tga[13] = 0x10;
  tga[14] = 0x00;
  tga[15] = 0x10;
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(tga));

  // DDS declaring 2^30 x 1.
  Bytes dds = WriteDdsArgb(1, 1, {0});
  const uint32_t wide = 1u << 30;
  std::memcpy(&dds[16], &wide, 4);
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(dds));
}

TEST(MalformedImage, InconsistentHeadersAreInvalid) {
  Bytes bmp = WriteBmp(2, 2, Pattern(2, 2), 24);
  bmp[28] = 7;  // 7 bits a texel
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(bmp));
  bmp = WriteBmp(2, 2, Pattern(2, 2), 24);
  bmp[10] = 0xF0;  // pixel data offset beyond the file
  bmp[11] = 0xFF;
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(bmp));

  Bytes tga = WriteTga(2, 2, Pattern(2, 2), 24, false, false);
  tga[16] = 12;  // 12 bits a texel
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(tga));

  Bytes dds = WriteDdsBlocks(4, 4, "ABCD", Bytes(16, 0));  // unknown compression
  EXPECT_EQ(D3DXERR_INVALIDDATA, DecodeBytes(dds));
}

// Random corruption of valid files of every type: any outcome but a crash
// or a sanitizer report is acceptable; successes must be self-consistent.
TEST(MalformedImage, RandomCorruptionNeverCrashes) {
  const Texels t = Pattern(13, 11);
  const std::vector<Bytes> files = {
      WritePng(13, 11, t, PngKind::kRgba),       WritePng(13, 11, t, PngKind::kPalette, true),
      WriteJpeg(13, 11, t, 80),                  WriteBmp(13, 11, t, 24),
      WriteTga(13, 11, t, 32, true, true),       WriteTga(13, 11, t, 24, false, false),
      WriteDdsArgb(13, 11, t),                   WriteDdsBlocks(8, 8, "DXT5", Bytes(64, 0x5A)),
  };
  std::mt19937 random(12345);
  for (const Bytes& original : files) {
    for (int round = 0; round < 400; ++round) {
      Bytes damaged = original;
      const int changes = 1 + int(random() % 8);
      for (int k = 0; k < changes; ++k) damaged[random() % damaged.size()] = uint8_t(random());
      if (random() % 4 == 0) damaged.resize(random() % damaged.size());
      DecodedImage out;
      const HRESULT hr = DecodeImageFile(damaged.data(), damaged.size(), &out);
      if (SUCCEEDED(hr)) {
        EXPECT_EQ(size_t(out.image.width) * out.image.height, out.image.texels.size());
        EXPECT_EQ(out.info.Width, out.image.width);
      } else {
        EXPECT_EQ(0u, out.image.texels.size());
      }
    }
  }
}

}  // namespace
