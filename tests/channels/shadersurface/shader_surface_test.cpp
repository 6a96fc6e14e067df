// The shader surface channel: its record, effect numbers, what it binds and
// what it draws without an effect, and the standard channels it is built
// with (Shader Info, cube texture).
#include "cubetexture/vel_dx8_cube_texture.h"
#include "effect_factory.h"
#include "effect_fixture.h"
#include "foreign_child.h"
#include "image_writers.h"
#include "record_bytes.h"

#include <cstring>

namespace vel_test {
namespace {

using Surface = Vel_DX8_PixelShaderSurface;

class ShaderSurfaceTest : public EffectTest {};

TEST_F(ShaderSurfaceTest, RecordKeepsTheEffectNumberAndCutRecordsAreReported) {
  Surface* surface = NewSurface(42);
  surface->SetZBias(3);
  std::vector<char> record = SaveRecord(surface);
  const long pise = FindChunk(record, "PISE");
  ASSERT_GE(pise, 0);
  // The effect number is the record's last chunk: four bytes after the tag
  // and a size of 4.
  EXPECT_EQ(static_cast<size_t>(pise) + 12, record.size());
  int32_t stored = 0;
  std::memcpy(&stored, &record[static_cast<size_t>(pise) + 8], 4);
  EXPECT_EQ(stored, 42);

  bool loaded = false;
  auto* copy = vel::As<Surface>(LoadRecord(vel::kShaderSurfaceType, record, &loaded), vel::kShaderSurfaceType);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(copy->GetShaderEffect(), 42);
  EXPECT_EQ(copy->GetZBias(), 3u);
  // A number without an effect stays stored, and draws nothing.
  EXPECT_EQ(copy->GetEffect(), nullptr);

  // Without an effect the record holds -1 and loading makes none.
  surface->Release();
  record = SaveRecord(surface);
  copy = vel::As<Surface>(LoadRecord(vel::kShaderSurfaceType, record, &loaded), vel::kShaderSurfaceType);
  EXPECT_EQ(copy->GetShaderEffect(), -1);
  EXPECT_EQ(copy->GetEffect(), nullptr);

  // A PISE block of the wrong size is reported and leaves no effect.
  record = WithBlock(SaveRecord(NewSurface(4)), "PISE", std::vector<char>(2, 1));
  messages.Clear();
  copy = vel::As<Surface>(LoadRecord(vel::kShaderSurfaceType, record, &loaded), vel::kShaderSurfaceType);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(copy->GetShaderEffect(), -1);
  EXPECT_TRUE(messages.HasPart("Corrupt chunk"));

  ExpectCutRecordsHandled(vel::kShaderSurfaceType, SaveRecord(NewSurface(4)));
}

TEST_F(ShaderSurfaceTest, EveryNumberOutsideTheTableMakesNoEffectAndDrawsNothing) {
  for (int number : {-1, 14, 1000, INT32_MIN, INT32_MAX}) EXPECT_EQ(MakeShaderEffect(number), nullptr) << number;
  Surface* surface = NewSurface(14);
  AddRamp(surface, {0xFFFFFFFF});
  const Image image = Draw(surface, 0xFF102030);
  for (uint32_t p : image.argb) ASSERT_EQ(p & 0xFFFFFF, 0x102030u);
  EXPECT_EQ(surface->GetShaderErrorCode(), nullptr);
  EXPECT_EQ(surface->GetShaderDesctiption(), nullptr);
  EXPECT_FALSE(surface->GetDebugMode());
  ExpectNoLayerError();
}

TEST_F(ShaderSurfaceTest, SlotsTakeTheirTypesAndAShaderInfoIsMadeWithTheSurface) {
  Surface* surface = NewSurface(-1);
  Orn_Channel* info = Info(surface);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->GetChannelType().type, vel::kShaderInfoType);
  // The n-th value of each kind is found by type, in link order.
  AddFloat(surface, 1);
  AddVector(surface, {1, 2, 3});
  Vel_FloatChannel* second = AddFloat(surface, 2);
  EXPECT_EQ(info->GetChildFromLinkGuid(vel::kFloatType, 1), second);
  EXPECT_EQ(info->GetChildTypeCount(vel::kVectorType), 1);

  // A cube texture is a texture: it links into the texture slot.
  auto* cube = Create<Vel_DX8_CubeTexture>(vel::kCubeTextureType);
  ASSERT_NE(cube, nullptr);
  EXPECT_TRUE(Link(surface, cube, Vel_DX8_SurfaceChannel::kTexturesSlot));
  EXPECT_EQ(surface->GetChildTypeCount(vel::kTextureType), 1);
}

TEST_F(ShaderSurfaceTest, ACubeTextureMakesSixFacesFromOneImageAndRemakesThemAfterALoss) {
  auto* cube = Create<Vel_DX8_CubeTexture>(vel::kCubeTextureType);
  const testimages::Bytes png =
      testimages::WritePng(4, 4, testimages::Texels(16, 0xFF20C040), testimages::PngKind::kRgba);
  ASSERT_TRUE(cube->LoadTextureFromMemoryAndCopyBuffer(reinterpret_cast<const char*>(png.data()),
                                                       static_cast<int>(png.size())));
  IDirect3DCubeTexture8* made = cube->GetCubeTexture();
  ASSERT_NE(made, nullptr);
  D3DLOCKED_RECT rect;
  for (int face = 0; face < 6; ++face) {
    ASSERT_EQ(made->LockRect(static_cast<D3DCUBEMAP_FACES>(face), 0, &rect, nullptr, D3DLOCK_READONLY), D3D_OK);
    uint32_t texel;
    std::memcpy(&texel, rect.pBits, 4);
    EXPECT_EQ(texel & 0xFFFFFF, 0x20C040u) << "face " << face;
    made->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), 0);
  }
  const unsigned held = LiveReferences();
  LoseDevice();
  EXPECT_LT(LiveReferences(), held);
  EXPECT_NE(cube->GetCubeTexture(), nullptr);

  // Bytes that are no image make no cube, once reported.
  auto* broken = Create<Vel_DX8_CubeTexture>(vel::kCubeTextureType);
  const char junk[32] = "not an image at all";
  broken->LoadTextureFromMemoryAndCopyBuffer(junk, sizeof junk);
  messages.Clear();
  EXPECT_EQ(broken->GetCubeTexture(), nullptr);
  EXPECT_EQ(broken->GetCubeTexture(), nullptr);
  EXPECT_EQ(messages.messages.size(), 1u);
}

}  // namespace
}  // namespace vel_test
