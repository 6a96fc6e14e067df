// Textures made from image files in memory and by D3DXCreateTexture, their
// mip levels, formats and failure results, on an off-screen device.
#include <d3dx8/d3dx8.h>

#include <cstdlib>
#include <chrono>
#include <cstring>

#include "device_fixture.h"
#include "image_writers.h"

namespace {

using namespace testimages;

class TextureTest : public DeviceTest {
 protected:
  void TearDown() override {
    SafeRelease(texture_);
    DeviceTest::TearDown();
  }

  HRESULT Load(const Bytes& file, UINT width = D3DX_DEFAULT, UINT height = D3DX_DEFAULT,
               UINT levels = D3DX_DEFAULT, D3DFORMAT format = D3DFMT_UNKNOWN, DWORD filter = D3DX_FILTER_BOX,
               D3DCOLOR colorKey = 0) {
    SafeRelease(texture_);
    return D3DXCreateTextureFromFileInMemoryEx(device_, file.data(), UINT(file.size()), width, height, levels, 0,
                                               format, D3DPOOL_MANAGED, filter, D3DX_FILTER_BOX, colorKey, &info_,
                                               nullptr, &texture_);
  }

  D3DSURFACE_DESC Desc(UINT level) {
    D3DSURFACE_DESC desc = {};
    EXPECT_EQ(D3D_OK, texture_->GetLevelDesc(level, &desc));
    return desc;
  }

  // The texels of a 32-bit level, row by row.
  Texels Read(UINT level) {
    const D3DSURFACE_DESC desc = Desc(level);
    D3DLOCKED_RECT locked;
    Texels out;
    if (texture_->LockRect(level, &locked, nullptr, D3DLOCK_READONLY) != D3D_OK) {
      ADD_FAILURE() << "level " << level << " does not lock";
      return out;
    }
    for (UINT y = 0; y < desc.Height; ++y) {
      const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(locked.pBits) +
                                                             size_t(y) * locked.Pitch);
      out.insert(out.end(), row, row + desc.Width);
    }
    texture_->UnlockRect(level);
    return out;
  }

  IDirect3DTexture8* texture_ = nullptr;
  D3DXIMAGE_INFO info_ = {};
};

// A 4 x 4 image whose 2 x 2 blocks average to known values.
const Texels kFourByFour = {
    0xFF000000, 0xFF040404, 0xFFFF0000, 0xFFFF0000,  //
    0xFF080808, 0xFF0C0C0C, 0xFFFF0000, 0xFFFF0000,  //
    0x80203040, 0x80203040, 0xFF000000, 0xFFFFFFFF,  //
    0x80203040, 0x80203040, 0xFFFFFFFF, 0xFF000000,  //
};

TEST_F(TextureTest, PngMakesAFullChainOfBoxFilteredLevels) {
  ASSERT_EQ(D3D_OK, Load(WritePng(4, 4, kFourByFour, PngKind::kRgba)));
  EXPECT_EQ(3u, texture_->GetLevelCount());
  EXPECT_EQ(D3DFMT_A8R8G8B8, Desc(0).Format);
  EXPECT_EQ(D3DXIFF_PNG, info_.ImageFileFormat);
  EXPECT_EQ(4u, info_.Width);
  EXPECT_EQ(kFourByFour, Read(0));
  EXPECT_EQ((Texels{0xFF060606, 0xFFFF0000, 0x80203040, 0xFF808080}), Read(1));
  // Alpha (255 + 255 + 128 + 255 + 2) / 4 = 223; red (6 + 255 + 32 + 128 + 2) / 4 = 105.
  const Texels last = Read(2);
  ASSERT_EQ(1u, last.size());
  EXPECT_EQ(223u, last[0] >> 24);
  EXPECT_EQ(105u, (last[0] >> 16) & 0xFF);
}

TEST_F(TextureTest, DefaultSizeRoundsUpToPowersOfTwo) {
  Texels t(5 * 3, 0xFF336699);
  ASSERT_EQ(D3D_OK, Load(WritePng(5, 3, t, PngKind::kRgb)));
  EXPECT_EQ(8u, Desc(0).Width);
  EXPECT_EQ(4u, Desc(0).Height);
  EXPECT_EQ(4u, texture_->GetLevelCount());
  EXPECT_EQ(D3DFMT_X8R8G8B8, Desc(0).Format);  // no alpha in the file
  EXPECT_EQ(5u, info_.Width);
  EXPECT_EQ(3u, info_.Height);
  for (uint32_t c : Read(0)) EXPECT_EQ(0xFF336699u, c | 0xFF000000u);
}

TEST_F(TextureTest, RequestedSizeFormatAndLevelsAreHonoured) {
  ASSERT_EQ(D3D_OK, Load(WritePng(4, 4, kFourByFour, PngKind::kRgba), 2, 2, 1, D3DFMT_A8R8G8B8));
  EXPECT_EQ(1u, texture_->GetLevelCount());
  EXPECT_EQ(2u, Desc(0).Width);
  EXPECT_EQ((Texels{0xFF060606, 0xFFFF0000, 0x80203040, 0xFF808080}), Read(0));

  ASSERT_EQ(D3D_OK, Load(WritePng(4, 4, kFourByFour, PngKind::kRgba), 8, 8, 2, D3DFMT_A4R4G4B4,
                         D3DX_FILTER_POINT));
  EXPECT_EQ(D3DFMT_A4R4G4B4, Desc(0).Format);
  EXPECT_EQ(8u, Desc(0).Width);
  EXPECT_EQ(2u, texture_->GetLevelCount());
}

TEST_F(TextureTest, JpegBmpTgaAndDdsLoad) {
  Texels t(16 * 16, 0xFF808080);
  ASSERT_EQ(D3D_OK, Load(WriteJpeg(16, 16, t, 90)));
  EXPECT_EQ(D3DXIFF_JPG, info_.ImageFileFormat);
  EXPECT_EQ(5u, texture_->GetLevelCount());
  for (uint32_t c : Read(4)) EXPECT_LE(std::abs(int(c & 0xFF) - 0x80), 3);

  ASSERT_EQ(D3D_OK, Load(WriteBmp(4, 4, kFourByFour, 24)));
  EXPECT_EQ(D3DXIFF_BMP, info_.ImageFileFormat);
  EXPECT_EQ(0xFF0C0C0Cu, Read(0)[5] | 0xFF000000u);

  ASSERT_EQ(D3D_OK, Load(WriteTga(4, 4, kFourByFour, 32, true, false)));
  EXPECT_EQ(D3DXIFF_TGA, info_.ImageFileFormat);
  EXPECT_EQ(kFourByFour, Read(0));

  ASSERT_EQ(D3D_OK, Load(WriteDdsArgb(4, 4, kFourByFour)));
  EXPECT_EQ(D3DXIFF_DDS, info_.ImageFileFormat);
  EXPECT_EQ(kFourByFour, Read(0));
}

TEST_F(TextureTest, CompressedFormatWhenAsked) {
  // Two colours per block come back exactly from DXT5.
  Texels t(8 * 8);
  for (size_t i = 0; i < t.size(); ++i) t[i] = (i % 2) ? 0xFF00FF00 : 0x80FF0000;
  ASSERT_EQ(D3D_OK, Load(WritePng(8, 8, t, PngKind::kRgba), D3DX_DEFAULT, D3DX_DEFAULT, 1, D3DFMT_DXT5));
  EXPECT_EQ(D3DFMT_DXT5, Desc(0).Format);
  D3DLOCKED_RECT locked;
  ASSERT_EQ(D3D_OK, texture_->LockRect(0, &locked, nullptr, D3DLOCK_READONLY));
  // The first block's alpha end points are the two alphas of the image.
  const uint8_t* block = static_cast<const uint8_t*>(locked.pBits);
  EXPECT_EQ(0xFF, block[0]);
  EXPECT_EQ(0x80, block[1]);
  texture_->UnlockRect(0);
}

TEST_F(TextureTest, ColourKeyBecomesTransparentBlack) {
  Texels t = {0xFFFF00FF, 0xFF00FF00, 0xFF00FF00, 0xFFFF00FF};
  ASSERT_EQ(D3D_OK, Load(WritePng(2, 2, t, PngKind::kRgb), D3DX_DEFAULT, D3DX_DEFAULT, 1, D3DFMT_A8R8G8B8,
                         D3DX_FILTER_NONE, 0xFFFF00FF));
  EXPECT_EQ((Texels{0, 0xFF00FF00, 0xFF00FF00, 0}), Read(0));
}

TEST_F(TextureTest, BadBytesGiveInvalidDataAndNoTexture) {
  texture_ = reinterpret_cast<IDirect3DTexture8*>(0x1);
  IDirect3DTexture8* out = texture_;
  const Bytes garbage(100, 0x42);
  EXPECT_EQ(D3DXERR_INVALIDDATA,
            D3DXCreateTextureFromFileInMemoryEx(device_, garbage.data(), UINT(garbage.size()), D3DX_DEFAULT,
                                                D3DX_DEFAULT, D3DX_DEFAULT, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                                D3DX_FILTER_BOX, D3DX_FILTER_BOX, 0, nullptr, nullptr, &out));
  EXPECT_EQ(nullptr, out);
  texture_ = nullptr;
  Bytes png = WritePng(4, 4, kFourByFour, PngKind::kRgba);
  png.resize(png.size() / 2);
  EXPECT_EQ(D3DXERR_INVALIDDATA, Load(png));
  EXPECT_EQ(nullptr, texture_);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTextureFromFileInMemory(device_, nullptr, 10, &out));
  EXPECT_EQ(D3DERR_INVALIDCALL, Load(WritePng(4, 4, kFourByFour, PngKind::kRgba), D3DX_DEFAULT, D3DX_DEFAULT,
                                     D3DX_DEFAULT, D3DFMT_UNKNOWN, 99));
}

TEST_F(TextureTest, CreateTextureCorrectsParameters) {
  ASSERT_EQ(D3D_OK, D3DXCreateTexture(device_, 64, 64, 1, 0, D3DFMT_Q8W8V8U8, D3DPOOL_MANAGED, &texture_));
  EXPECT_EQ(D3DFMT_Q8W8V8U8, Desc(0).Format);
  EXPECT_EQ(1u, texture_->GetLevelCount());
  SafeRelease(texture_);
  ASSERT_EQ(D3D_OK, D3DXCreateTexture(device_, 0, D3DX_DEFAULT, 0, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED, &texture_));
  EXPECT_EQ(1u, Desc(0).Width);
  EXPECT_EQ(256u, Desc(0).Height);
  EXPECT_EQ(9u, texture_->GetLevelCount());
  EXPECT_EQ(D3DFMT_A8R8G8B8, Desc(0).Format);

  UINT w = 100000, h = 3, levels = 50;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  ASSERT_EQ(D3D_OK, D3DXCheckTextureRequirements(device_, &w, &h, &levels, 0, &format, D3DPOOL_MANAGED));
  D3DCAPS8 caps;
  device_->GetDeviceCaps(&caps);
  EXPECT_EQ(caps.MaxTextureWidth, w);
  EXPECT_EQ(D3DFMT_A8R8G8B8, format);
  UINT chain = 1;
  for (UINT s = std::max(w, h); s > 1; s /= 2) ++chain;
  EXPECT_EQ(chain, levels);
  // A format the device lacks is replaced by one with the same channels.
  format = D3DFMT_DXT3;
  ASSERT_EQ(D3D_OK, D3DXCheckTextureRequirements(device_, nullptr, nullptr, nullptr, 0, &format, D3DPOOL_MANAGED));
  EXPECT_TRUE(format == D3DFMT_DXT3 || format == D3DFMT_A8R8G8B8);
}

TEST_F(TextureTest, FilterTextureRebuildsLowerLevels) {
  ASSERT_EQ(D3D_OK, D3DXCreateTexture(device_, 4, 4, 3, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture_));
  D3DLOCKED_RECT locked;
  ASSERT_EQ(D3D_OK, texture_->LockRect(0, &locked, nullptr, 0));
  for (UINT y = 0; y < 4; ++y)
    std::memcpy(static_cast<uint8_t*>(locked.pBits) + size_t(y) * locked.Pitch, &kFourByFour[y * 4], 16);
  texture_->UnlockRect(0);
  ASSERT_EQ(D3D_OK, D3DXFilterTexture(texture_, nullptr, 0, D3DX_FILTER_BOX));
  EXPECT_EQ(kFourByFour, Read(0));
  EXPECT_EQ((Texels{0xFF060606, 0xFFFF0000, 0x80203040, 0xFF808080}), Read(1));
  EXPECT_EQ(1u, Read(2).size());
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXFilterTexture(texture_, nullptr, 3, D3DX_FILTER_BOX));
}

}  // namespace

namespace {
// A PNG signature and IHDR chunk declaring the size, with no image data.
Bytes BarePngHeader(uint32_t width, uint32_t height) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  for (uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(uint8_t(v >> shift));
  png.insert(png.end(), {8, 6, 0, 0, 0, 0, 0, 0, 0});
  return png;
}
}  // namespace

TEST_F(TextureTest, ImagesLargerThanTheDevicesLargestTextureAreRefusedBeforeDecoding) {
  // The device's largest texture is 4096 x 4096. A header declaring more
  // texels is refused at once; one declaring no more goes on to the decoder,
  // which finds no image data behind it.
  EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY, Load(BarePngHeader(16384, 2048)));
  EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY, Load(BarePngHeader(4097, 4096)));
  EXPECT_EQ(nullptr, texture_);
  EXPECT_EQ(D3DXERR_INVALIDDATA, Load(BarePngHeader(4096, 4096)));
  IDirect3DCubeTexture8* cube = nullptr;
  const Bytes bomb = BarePngHeader(16384, 2048);
  EXPECT_EQ(D3DERR_OUTOFVIDEOMEMORY,
            D3DXCreateCubeTextureFromFileInMemory(device_, bomb.data(), UINT(bomb.size()), &cube));
  EXPECT_EQ(nullptr, cube);
  // A side above the largest within the texel budget is scaled down as before.
  const Texels wide(8192 * 4, 0xFF204060);
  ASSERT_EQ(D3D_OK, Load(WritePng(8192, 4, wide, PngKind::kRgb), D3DX_DEFAULT, D3DX_DEFAULT, 1));
  EXPECT_EQ(4096u, Desc(0).Width);
  EXPECT_EQ(4u, Desc(0).Height);
}

TEST_F(TextureTest, CompressedDdsWithEveryLevelIsTakenAsItIs) {
  // 4096 x 4096 DXT5 with all 13 levels, written by hand: magic, the 124-byte
  // header (flags caps|height|width|pixel format|mip count|linear size, 13
  // levels, pixel format "DXT5", caps complex|texture|mipmap), then the
  // levels. Every block of level i holds bytes i*16 .. i*16+15.
  Bytes dds(128, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) dds[at + i] = uint8_t(v >> (8 * i));
  };
  std::memcpy(dds.data(), "DDS ", 4);
  put32(4, 124);
  put32(8, 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000 | 0x80000);
  put32(12, 4096);
  put32(16, 4096);
  put32(20, 1024 * 1024 * 16);
  put32(28, 13);
  put32(76, 32);
  put32(80, 0x4);
  std::memcpy(dds.data() + 84, "DXT5", 4);
  put32(108, 0x8 | 0x1000 | 0x400000);
  for (UINT level = 0, size = 4096; level < 13; ++level, size /= 2) {
    const size_t blocks = size_t((size + 3) / 4) * ((size + 3) / 4);
    for (size_t b = 0; b < blocks; ++b)
      for (uint8_t k = 0; k < 16; ++k) dds.push_back(uint8_t(level * 16 + k));
  }
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(D3D_OK, Load(dds));
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 20.0);  // filtering and compressing the levels anew took minutes under the sanitizers
  ASSERT_EQ(13u, texture_->GetLevelCount());
  for (UINT level = 0; level < 13; ++level) {
    const D3DSURFACE_DESC desc = Desc(level);
    EXPECT_EQ(D3DFMT_DXT5, desc.Format);
    EXPECT_EQ(4096u >> level, desc.Width);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(D3D_OK, texture_->LockRect(level, &locked, nullptr, D3DLOCK_READONLY));
    const uint8_t* bits = static_cast<const uint8_t*>(locked.pBits);
    // The first and the last block of the level.
    const UINT blockRows = (desc.Height + 3) / 4, blocksWide = (desc.Width + 3) / 4;
    const uint8_t* last = bits + size_t(blockRows - 1) * locked.Pitch + size_t(blocksWide - 1) * 16;
    for (uint8_t k = 0; k < 16; ++k) {
      EXPECT_EQ(uint8_t(level * 16 + k), bits[k]) << "level " << level;
      EXPECT_EQ(uint8_t(level * 16 + k), last[k]) << "level " << level;
    }
    texture_->UnlockRect(level);
  }
}
