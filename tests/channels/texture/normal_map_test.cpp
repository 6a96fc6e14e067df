// Normal maps made from a texture's image: flat heights give the flat
// normal, a ramp gives its slope, in both the signed bump map (type 0) and
// the colour-encoded normal map (type 1, every level).
#include "channel_harness.h"
#include "image_writers.h"
#include "texture/vel_dx8_texture.h"

#include <cmath>
#include <cstring>

namespace vel_test {
namespace {

class NormalMapTest : public ChannelHarness {
 protected:
  void SetUp() override {
    ChannelHarness::SetUp();
    ASSERT_NE(D3DDevice(), nullptr);
  }
  // A texture of the grey image `grey` (w x h), flagged as a normal map of `type`.
  Vel_DX8_Texture* NewMap(unsigned w, unsigned h, const std::vector<int>& grey, int type, int levels) {
    testimages::Texels texels;
    for (int g : grey) texels.push_back(0xFF000000u | static_cast<uint32_t>(g) * 0x010101u);
    testimages::Bytes png = testimages::WritePng(w, h, texels, testimages::PngKind::kRgba);
    std::vector<char> bytes(png.begin(), png.end());
    auto* texture = Create<Vel_DX8_Texture>(vel::kTextureType);
    texture->SetMipMapLevels(levels);
    texture->SetIsNormalMap(true);
    texture->SetNormalMapType(type);
    EXPECT_TRUE(texture->LoadTextureFromMemoryAndCopyBuffer(bytes.data(), static_cast<int>(bytes.size())));
    texture->RestoreTexture();
    return texture;
  }
  // The map the texture binds in its place.
  IDirect3DTexture8* Bound(Vel_DX8_Texture* texture) {
    texture->SetTexture(0);
    IDirect3DBaseTexture8* bound = nullptr;
    D3DDevice()->GetTexture(0, &bound);
    if (bound) bound->Release();
    EXPECT_NE(bound, texture->GetTexture());
    return static_cast<IDirect3DTexture8*>(bound);
  }
  // Bytes of texel (x, y) of `level`, `size` bytes a texel.
  static std::vector<uint8_t> Texel(IDirect3DTexture8* map, UINT level, int x, int y, int size) {
    D3DLOCKED_RECT rect;
    std::vector<uint8_t> out(static_cast<size_t>(size));
    if (!map || map->LockRect(level, &rect, nullptr, D3DLOCK_READONLY) != D3D_OK) return out;
    std::memcpy(out.data(), static_cast<const char*>(rect.pBits) + y * rect.Pitch + x * size, out.size());
    map->UnlockRect(level);
    return out;
  }
  static uint32_t Argb(IDirect3DTexture8* map, UINT level, int x, int y) {
    std::vector<uint8_t> t = Texel(map, level, x, y, 4);
    return static_cast<uint32_t>(t[3]) << 24 | t[2] << 16 | t[1] << 8 | t[0];
  }
};

TEST_F(NormalMapTest, NormalMapOfFlatHeightsIsFlatOnEveryLevelAndARampTiltsItBySlope) {
  IDirect3DTexture8* flat = Bound(NewMap(8, 8, std::vector<int>(64, 0x80), 1, 2));
  ASSERT_NE(flat, nullptr);
  ASSERT_EQ(flat->GetLevelCount(), 2u);
  for (UINT level = 0; level < 2; ++level)
    for (int p = 0; p < 16; ++p) EXPECT_EQ(Argb(flat, level, p % 4, p / 4), 0xFF7F7FFFu) << level << ":" << p;

  // Brightness rising 16 per column: slope 32/255 over two columns, read
  // from the three rows on each side (heights wrap, so the edge columns see
  // the jump back to 0 and are left out).
  std::vector<int> ramp;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) ramp.push_back(16 * x);
  IDirect3DTexture8* tilted = Bound(NewMap(8, 8, ramp, 1, 1));
  const float d = 32.0f / 255.0f / 2.0f, len = std::sqrt(d * d + 1);
  const int red = static_cast<int>((-d / len + 1) * 127.5f), blue = static_cast<int>((1 / len + 1) * 127.5f);
  for (int y = 0; y < 8; ++y)
    for (int x = 1; x < 7; ++x) {
      const uint32_t t = Argb(tilted, 0, x, y);
      EXPECT_NEAR(static_cast<int>(t >> 16 & 0xFF), red, 1) << x << "," << y;
      EXPECT_NEAR(static_cast<int>(t >> 8 & 0xFF), 127, 1) << x << "," << y;
      EXPECT_NEAR(static_cast<int>(t & 0xFF), blue, 1) << x << "," << y;
    }
  // The first column's left neighbour is the last column (112): the fall
  // from there tilts it the other way, by (112 - 16) / 255 over two columns.
  const float back = -96.0f / 255.0f / 2.0f, backLen = std::sqrt(back * back + 1);
  EXPECT_NEAR(static_cast<int>(Argb(tilted, 0, 0, 3) >> 16 & 0xFF), static_cast<int>((-back / backLen + 1) * 127.5f), 1);
}

TEST_F(NormalMapTest, BumpMapHoldsTheSignedDifferencesOfItsNeighbours) {
  // Heights rising 16 a column and 8 a row.
  std::vector<int> ramp;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) ramp.push_back(16 * x + 8 * y);
  IDirect3DTexture8* bump = Bound(NewMap(4, 4, ramp, 0, 1));
  ASSERT_NE(bump, nullptr);
  D3DSURFACE_DESC desc;
  bump->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_V8U8);
  auto du = [&](int x, int y) { return static_cast<int8_t>(Texel(bump, 0, x, y, 2)[0]); };
  auto dv = [&](int x, int y) { return static_cast<int8_t>(Texel(bump, 0, x, y, 2)[1]); };
  EXPECT_EQ(du(1, 1), -32);
  EXPECT_EQ(dv(1, 1), -16);
  EXPECT_EQ(du(0, 2), -16) << "the left neighbour of column 0 is itself";
  EXPECT_EQ(dv(2, 3), -8) << "the row below the last is itself";

  // One row: no vertical difference; a horizontal hollow takes the left rise.
  IDirect3DTexture8* row = Bound(NewMap(4, 1, {100, 50, 100, 30}, 0, 1));
  const int expected[4] = {50, 50, 20, 70};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(static_cast<int8_t>(Texel(row, 0, x, 0, 2)[0]), expected[x]) << x;
    EXPECT_EQ(Texel(row, 0, x, 0, 2)[1], 0) << x;
  }
}

}  // namespace
}  // namespace vel_test
