// The texture channel: texels made from stored image bytes and where they
// land on screen, the record, bytes that do not decode, device loss, the
// alpha texture, the group buffer and the texture manager.
#include "channel_harness.h"
#include "foreign_child.h"
#include "groupbuffer/group_buffer_channel.h"
#include "image_writers.h"
#include "record_bytes.h"
#include "texture/vel_dx8_texture.h"
#include "texturemanager/texture_manager_channel.h"

#include <d3d8/d3d8debug.h>

#include <cstring>
#include <type_traits>

namespace vel_test {
namespace {

using Texture = Vel_DX8_Texture;
static_assert(!std::is_copy_constructible_v<Texture> && !std::is_copy_assignable_v<Texture>,
              "a texture owns its device objects, thumbnail and bytes: it is never copied");

// A 4 x 4 image: red, green, blue, white corners, grey inside.
const testimages::Texels kImage = {0xFFFF0000, 0xFF808080, 0xFF808080, 0xFF00FF00,  //
                                   0xFF808080, 0xFF404040, 0xFF404040, 0xFF808080,  //
                                   0xFF808080, 0xFF404040, 0xFF404040, 0xFF808080,  //
                                   0xFF0000FF, 0xFF808080, 0xFF808080, 0xFFFFFFFF};

class TextureTest : public ChannelHarness {
 protected:
  void SetUp() override {
    ChannelHarness::SetUp();
    ASSERT_NE(D3DDevice(), nullptr);
    manager = vel::As<TextureManagerChannel>(engine->GetUniqueChannel(vel::kTextureManagerType, nullptr),
                                             vel::kTextureManagerType);
    ASSERT_NE(manager, nullptr);
  }
  static std::vector<char> Png(const testimages::Texels& texels, unsigned size = 4) {
    testimages::Bytes png = testimages::WritePng(size, size, texels, testimages::PngKind::kRgba);
    return std::vector<char>(png.begin(), png.end());
  }
  Texture* NewTexture(const std::vector<char>& image) {
    Texture* texture = Create<Texture>(vel::kTextureType);
    texture->SetMipMapLevels(1);
    EXPECT_TRUE(texture->LoadTextureFromMemoryAndCopyBuffer(image.data(), static_cast<int>(image.size())));
    return texture;
  }
  // Texel (x, y) of level 0, 0xAARRGGBB.
  static DWORD Texel(Texture* texture, int x, int y) {
    D3DLOCKED_RECT rect;
    if (texture->LockTexture(0, rect) != D3D_OK) return 0xDEADBEEF;
    DWORD texel;
    std::memcpy(&texel, static_cast<const char*>(rect.pBits) + y * rect.Pitch + x * 4, 4);
    texture->UnlockTexture(0);
    return texel;
  }
  int Registered() {
    int n = 0;
    for (int i = 0; i < manager->GetChildCount(); ++i) n += manager->GetChild(i) != nullptr;
    return n;
  }
  IDirect3DBaseTexture8* Bound(int stage) {
    IDirect3DBaseTexture8* bound = nullptr;
    D3DDevice()->GetTexture(static_cast<DWORD>(stage), &bound);
    if (bound) bound->Release();
    return bound;
  }

  // A screen-filling quad, uv 0..1 from corner to corner.
  void DrawScreenQuad() {
    IDirect3DDevice8* device = D3DDevice();
    const float e = static_cast<float>(kWidth) - 0.5f;
    struct Vertex {
      float x, y, z, rhw, u, v;
    } v[4] = {{-0.5f, -0.5f, 0.5f, 1, 0, 0}, {e, -0.5f, 0.5f, 1, 1, 0}, {-0.5f, e, 0.5f, 1, 0, 1}, {e, e, 0.5f, 1, 1, 1}};
    device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_TEX1);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0]);
  }

  // Drawn over black with its alpha as the blend factor, a white texture
  // shows its alpha as grey: the pixel at the centre of a screen-filling quad.
  Rgba BlendedOverBlack(Texture* texture) {
    IDirect3DDevice8* device = D3DDevice();
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    texture->SetTexture(0);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    DrawScreenQuad();
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    return PresentAndCapture().At(kWidth / 2, kHeight / 2);
  }

  TextureManagerChannel* manager = nullptr;
};

TEST_F(TextureTest, StoredImageGivesItsTexelsAndCornersLandOnTheQuadCorners) {
  Texture* texture = NewTexture(Png(kImage));
  D3DSURFACE_DESC desc = texture->GetTextureDescription(0);
  EXPECT_EQ(desc.Width, 4u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Texel(texture, x, y), kImage[y * 4 + x]) << x << "," << y;

  // A screen-filling quad, uv 0..1, point sampled: each texel covers a 16 x 16 block.
  IDirect3DDevice8* device = D3DDevice();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  texture->SetTexture(0);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  DrawScreenQuad();
  Image image = PresentAndCapture();
  EXPECT_RGB_NEAR(image.At(0, 0), 255, 0, 0, 0);
  EXPECT_RGB_NEAR(image.At(kWidth - 1, 0), 0, 255, 0, 0);
  EXPECT_RGB_NEAR(image.At(0, kHeight - 1), 0, 0, 255, 0);
  EXPECT_RGB_NEAR(image.At(kWidth - 1, kHeight - 1), 255, 255, 255, 0);
  EXPECT_RGB_NEAR(image.At(kWidth / 2, kHeight / 2), 0x40, 0x40, 0x40, 0);
}

TEST_F(TextureTest, RecordLoadsBackWithItsImageAndDamageIsRefused) {
  Texture* texture = NewTexture(Png(kImage));
  texture->SetNormalMapType(1);
  std::vector<char> record = SaveRecord(texture);
  bool loaded = false;
  auto* copy = vel::As<Texture>(LoadRecord(vel::kTextureType, record, &loaded), vel::kTextureType);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(SaveRecord(copy), record);
  EXPECT_TRUE(copy->GetIfValidTexture()) << "made from the stored bytes on load";
  EXPECT_EQ(Texel(copy, 3, 3), 0xFFFFFFFFu);
  EXPECT_EQ(Registered(), 1) << "a public texture registers when it is loaded";

  // Image data cut short: refused with a message; the record reads on.
  messages.Clear();
  std::vector<char> cut = CutInside(record, "TEXT", 20);
  auto* damaged = vel::As<Texture>(LoadRecord(vel::kTextureType, cut, &loaded), vel::kTextureType);
  EXPECT_TRUE(loaded);
  EXPECT_TRUE(messages.Has("Vel_DX8_Texture::LoadChannel: Corrupt chunk TEXT"));
  EXPECT_EQ(damaged->GetBufferSize(), 0);
  EXPECT_EQ(damaged->GetTextureDescription(0).Width, 0xFFFFFFFFu);
  // A size below that of any image passes its data over; the chunks after it are read.
  int32_t tiny = 5;
  std::vector<char> small = WithBlock(record, "TEXS", std::vector<char>(reinterpret_cast<char*>(&tiny),
                                                                        reinterpret_cast<char*>(&tiny) + 4));
  auto* skipped = vel::As<Texture>(LoadRecord(vel::kTextureType, small, &loaded), vel::kTextureType);
  EXPECT_EQ(skipped->GetBufferSize(), 0);
  EXPECT_EQ(skipped->GetNormalMapType(), 1);
  ExpectCutRecordsHandled(vel::kTextureType, record);
}

TEST_F(TextureTest, BytesThatDoNotDecodeAreReportedOnceAndDrawUntextured) {
  Texture* texture = Create<Texture>(vel::kTextureType);
  std::vector<char> junk(64, 'x');
  messages.Clear();
  EXPECT_FALSE(texture->LoadTextureFromMemoryAndCopyBuffer(junk.data(), static_cast<int>(junk.size())));
  size_t reported = messages.messages.size();
  EXPECT_TRUE(messages.Has("D3DXERR_INVALIDDATA"));
  for (int frame = 0; frame < 5; ++frame) {
    engine->ext->IncreaseTreeCount();
    texture->SetTexture(0);
    texture->GetTextureDescription(0);
  }
  EXPECT_EQ(messages.messages.size(), reported) << "no message per frame";
  EXPECT_FALSE(texture->GetIfValidTexture());
  EXPECT_EQ(Bound(0), nullptr);

  // New bytes from the group-buffer child are tried at the next bind.
  auto* buffer = Create<GroupBufferChannel>(vel::kGroupBufferType);
  ASSERT_TRUE(Link(texture, buffer, Texture::kGroupBufferSlot));
  std::vector<char> png = Png(kImage);
  ASSERT_TRUE(buffer->SetData(png.data(), static_cast<int>(png.size())));
  texture->SetTexture(0);
  ASSERT_TRUE(texture->GetIfValidTexture());
  EXPECT_EQ(Bound(0), texture->GetTexture());
  // Emptied, the buffer leaves the texture and drops the image from the record.
  ASSERT_TRUE(buffer->SetData(nullptr, 0));
  texture->SetTexture(0);
  EXPECT_TRUE(texture->GetIfValidTexture());
  EXPECT_EQ(FindChunk(SaveRecord(texture), "TEXS"), -1);
}

TEST_F(TextureTest, ALostDeviceIsSurvivedFromTheKeptBytes) {
  Texture* texture = NewTexture(Png(kImage));
  Texture* thumbnail = texture->CreateTumbNailTexture(2, 2);
  ASSERT_NE(thumbnail, nullptr);
  EXPECT_EQ(thumbnail->GetTextureDescription(0).Width, 2u);
  ASSERT_TRUE(Device()->ResetDevice());
  EXPECT_FALSE(texture->GetIfValidTexture());
  texture->SetTexture(0);
  ASSERT_TRUE(texture->GetIfValidTexture());
  EXPECT_EQ(Texel(texture, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Bound(0), texture->GetTexture());
}

TEST_F(TextureTest, AlphaTextureWritesItsBrightnessIntoTheAlpha) {
  testimages::Texels rgb(16, 0xFF336699);
  Texture* texture = Create<Texture>(vel::kTextureType);
  std::vector<char> image = Png(rgb);
  texture->LoadTextureFromMemoryAndCopyBuffer(image.data(), static_cast<int>(image.size()));
  Texture* alpha = NewTexture(Png(kImage));
  ASSERT_GE(texture->SetChild(alpha, 0, Texture::kAlphaSlot), 0);
  texture->SetTexture(0);
  EXPECT_EQ(texture->GetTexture()->GetLevelCount(), 1u);
  EXPECT_EQ(Texel(texture, 0, 0), 0x55336699u);  // (255 + 0 + 0) / 3
  EXPECT_EQ(Texel(texture, 1, 1), 0x40336699u);
  EXPECT_EQ(Texel(texture, 3, 3), 0xFF336699u);

  // Anything but a texture in the alpha slot is not used.
  Texture* plain = NewTexture(Png(rgb));
  ASSERT_TRUE(PlaceForeignChild(plain, Texture::kAlphaSlot, Create(vel::kFloatType)));
  plain->SetTexture(0);
  EXPECT_EQ(Texel(plain, 0, 0), 0xFF336699u);
}

// Relinking the alpha child the way the group loader and the link editor do
// (through the channel base's SetChild, which the texture's own does not
// see) is noticed at the next bind: the new child's brightness becomes the
// alpha, and the drawn pixel shows it.
TEST_F(TextureTest, AnAlphaChildRelinkedThroughTheChannelBaseIsAppliedAtTheNextBind) {
  Texture* texture = NewTexture(Png(testimages::Texels(16, 0xFFFFFFFF)));
  Texture* half = NewTexture(Png(testimages::Texels(16, 0xFF808080)));
  Texture* quarter = NewTexture(Png(testimages::Texels(16, 0xFF404040)));
  Orn_Channel* base = texture;
  ASSERT_GE(base->SetChild(half, 0, Texture::kAlphaSlot), 0);
  EXPECT_EQ(BlendedOverBlack(texture).r, 0x80);
  EXPECT_EQ(Texel(texture, 2, 1), 0x80FFFFFFu);

  ASSERT_GE(base->SetChild(quarter, 0, Texture::kAlphaSlot), 0);
  ASSERT_EQ(texture->GetChild(Texture::kAlphaSlot), quarter);
  EXPECT_EQ(BlendedOverBlack(texture).r, 0x40);
  EXPECT_EQ(Texel(texture, 2, 1), 0x40FFFFFFu);
  // Binding again without a change applies nothing more.
  messages.Clear();
  texture->SetTexture(0);
  EXPECT_EQ(Texel(texture, 2, 1), 0x40FFFFFFu);
  EXPECT_TRUE(messages.messages.empty());
}

// A texture on a clock the test sets.
class ClockedTexture : public Vel_DX8_Texture {
 public:
  ClockedTexture() { retryClock = [] { return now; }; }
  static inline DWORD now = 7001;
  static constexpr DWORD kRetry = kMemoryRetryMs;
};

// A driver short of memory may have it a moment later: such a failure is
// reported once and tried again once a second, while bytes that do not
// decode are tried only when something changes.
TEST_F(TextureTest, ATextureShortOfMemoryIsRetriedOnceASecond) {
  auto* texture = Adopt<ClockedTexture>();
  texture->SetMipMapLevels(1);
  std::vector<char> png = Png(kImage);
  messages.Clear();
  D3D8Debug_FailCreateTexture(D3DERR_OUTOFVIDEOMEMORY, 0, 1);
  EXPECT_FALSE(texture->LoadTextureFromMemoryAndCopyBuffer(png.data(), static_cast<int>(png.size())));
  EXPECT_EQ(messages.Count("D3DERR_OUTOFVIDEOMEMORY"), 1);
  // Within the second nothing is tried, though memory would be there now.
  ClockedTexture::now += ClockedTexture::kRetry - 1;
  for (int frame = 0; frame < 3; ++frame) texture->SetTexture(0);
  EXPECT_FALSE(texture->GetIfValidTexture());
  ClockedTexture::now += 1;
  texture->SetTexture(0);
  ASSERT_TRUE(texture->GetIfValidTexture());
  EXPECT_EQ(Bound(0), texture->GetTexture());
  EXPECT_EQ(Texel(texture, 3, 0), 0xFF00FF00u);

  // Short for several seconds: one report, one try a second.
  ASSERT_TRUE(Device()->ResetDevice());
  messages.Clear();
  D3D8Debug_FailCreateTexture(E_OUTOFMEMORY, 0, 3);
  for (int second = 0; second < 3; ++second) {
    texture->SetTexture(0);
    texture->SetTexture(0);
    EXPECT_FALSE(texture->GetIfValidTexture());
    ClockedTexture::now += ClockedTexture::kRetry;
  }
  EXPECT_EQ(messages.Count("E_OUTOFMEMORY"), 1);
  texture->SetTexture(0);
  EXPECT_TRUE(texture->GetIfValidTexture());
  D3D8Debug_FailCreateTexture(D3D_OK, 0, 0);

  // Bytes that do not decode wait for a change, however long it takes.
  std::vector<char> junk(64, 'x');
  EXPECT_FALSE(texture->LoadTextureFromMemoryAndCopyBuffer(junk.data(), static_cast<int>(junk.size())));
  const size_t reported = messages.messages.size();
  for (int second = 0; second < 3; ++second) {
    ClockedTexture::now += ClockedTexture::kRetry;
    texture->SetTexture(0);
  }
  EXPECT_FALSE(texture->GetIfValidTexture());
  EXPECT_EQ(messages.messages.size(), reported);
}

TEST_F(TextureTest, PublicTexturesComeAndGoInTheManager) {
  std::vector<char> png = Png(kImage);
  Texture* texture = Create<Texture>(vel::kTextureType);
  texture->SetIfPublicTexture(true);
  EXPECT_EQ(Registered(), 1);
  texture->SetIfPublicTexture(false);
  EXPECT_EQ(Registered(), 0);
  texture->SetIfPublicTexture(false);
  EXPECT_FALSE(texture->GetIfPublicTexture());
  texture->SetIfPublicTexture(true);
  Texture* other = Create<Texture>(vel::kTextureType);
  other->SetIfPublicTexture(true);
  EXPECT_EQ(Registered(), 2);
  int positions = manager->GetChildCount();
  Destroy(texture);
  EXPECT_EQ(Registered(), 1);
  Create<Texture>(vel::kTextureType)->SetIfPublicTexture(true);
  EXPECT_EQ(manager->GetChildCount(), positions) << "a freed position is used again";
}

}  // namespace
}  // namespace vel_test
