// Textures: levels and their descriptions, locking, the texel formats as
// they read when drawn, mip selection, addressing and filtering.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class TextureTest : public DeviceTest {
 protected:
  Rgba DrawSolid(IDirect3DTexture8* t) {
    SelectArg1(D3DTA_TEXTURE);
    device_->SetTexture(0, t);
    Clear(0xFF000000);
    DrawScreenTexturedQuad(0xFFFFFFFF);
    device_->SetTexture(0, nullptr);
    return Pixel(32, 32);
  }
};

TEST_F(TextureTest, FullMipChainAndLevelDescriptions) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(16, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  EXPECT_EQ(t->GetLevelCount(), 5u);  // 16x4, 8x2, 4x1, 2x1, 1x1
  D3DSURFACE_DESC d;
  ASSERT_EQ(t->GetLevelDesc(2, &d), D3D_OK);
  EXPECT_EQ(d.Width, 4u);
  EXPECT_EQ(d.Height, 1u);
  EXPECT_EQ(d.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(d.Pool, D3DPOOL_MANAGED);
  EXPECT_EQ(d.Type, D3DRTYPE_SURFACE);
  EXPECT_EQ(t->GetLevelDesc(5, &d), D3DERR_INVALIDCALL);
  EXPECT_EQ(t->GetType(), D3DRTYPE_TEXTURE);
  t->Release();
  ASSERT_EQ(device_->CreateTexture(16, 16, 2, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &t), D3D_OK);
  EXPECT_EQ(t->GetLevelCount(), 2u);
  t->GetLevelDesc(0, &d);
  EXPECT_EQ(d.Size, 16u * 16u);  // 16 blocks of 16 bytes
  t->Release();
}

TEST_F(TextureTest, CreationRejectsWhatTheFormatOrPoolForbids) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = nullptr;
  EXPECT_EQ(device_->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(4, 4, 1, 0, D3DFMT_D16, D3DPOOL_MANAGED, &t), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CreateTexture(4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(t, nullptr);
}

TEST_F(TextureTest, LockRectGivesTheLevelsMemoryAndRefusesASecondLock) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  D3DLOCKED_RECT whole, part;
  ASSERT_EQ(t->LockRect(0, &whole, nullptr, 0), D3D_OK);
  EXPECT_GE(whole.Pitch, 32);
  EXPECT_EQ(t->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(t->UnlockRect(0), D3D_OK);
  EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
  RECT r = {2, 3, 6, 7};
  ASSERT_EQ(t->LockRect(0, &part, &r, 0), D3D_OK);
  EXPECT_EQ(static_cast<BYTE*>(part.pBits) - static_cast<BYTE*>(whole.pBits), 3 * whole.Pitch + 2 * 4);
  t->UnlockRect(0);
  RECT outside = {6, 0, 9, 2};
  EXPECT_EQ(t->LockRect(0, &part, &outside, 0), D3DERR_INVALIDCALL);
  t->Release();

  // Render-target textures are not lockable.
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &t), D3D_OK);
  EXPECT_EQ(t->LockRect(0, &whole, nullptr, 0), D3DERR_INVALIDCALL);
  t->Release();
}

TEST_F(TextureTest, LockedTexelsAppearWhereTheyWereWritten) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = MakeColorTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00});
  SelectArg1(D3DTA_TEXTURE);
  device_->SetTexture(0, t);
  Clear(0xFF000000);
  DrawScreenTexturedQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Pixel(8, 8), 255, 0, 0, 0);      // top left: texel (0, 0)
  EXPECT_NEAR_RGB(Pixel(56, 8), 0, 255, 0, 0);     // top right: texel (1, 0)
  EXPECT_NEAR_RGB(Pixel(8, 56), 0, 0, 255, 0);     // bottom left: texel (0, 1)
  EXPECT_NEAR_RGB(Pixel(56, 56), 255, 255, 0, 0);  // bottom right
  // A new lock changes what is drawn next.
  D3DLOCKED_RECT lr;
  ASSERT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
  D3DCOLOR white = 0xFFFFFFFF;
  std::memcpy(lr.pBits, &white, 4);
  t->UnlockRect(0);
  DrawScreenTexturedQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Pixel(8, 8), 255, 255, 255, 0);
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TextureTest, SixteenBitFormatsExpandAsDocumented) {
  ASSERT_TRUE(CreateDevice());
  auto word = [](WORD w) { return [w](BYTE* p, UINT, UINT) { std::memcpy(p, &w, 2); }; };
  IDirect3DTexture8* t = MakeTexture(1, 1, D3DFMT_A4R4G4B4, word(0xF84C));
  Rgba p = DrawSolid(t);
  EXPECT_NEAR_RGB(p, 0x88, 0x44, 0xCC, 0);
  t->Release();
  t = MakeTexture(1, 1, D3DFMT_R5G6B5, word(0xF81F));  // red and blue full, green 0
  EXPECT_NEAR_RGB(DrawSolid(t), 255, 0, 255, 0);
  t->Release();
  t = MakeTexture(1, 1, D3DFMT_A1R5G5B5, word(0x83E0));  // alpha 1, green full
  EXPECT_NEAR_RGB(DrawSolid(t), 0, 255, 0, 0);
  t->Release();
}

TEST_F(TextureTest, LuminanceAndXrgbReadOpaque) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = MakeTexture(1, 1, D3DFMT_L8, [](BYTE* p, UINT, UINT) { p[0] = 0x40; });
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  EXPECT_NEAR_RGB(DrawSolid(t), 0x40, 0x40, 0x40, 0);
  t->Release();
  // The unused byte of X8R8G8B8 is ignored: alpha reads 1.
  t = MakeTexture(1, 1, D3DFMT_X8R8G8B8, [](BYTE* p, UINT, UINT) {
    D3DCOLOR c = 0x00102030;
    std::memcpy(p, &c, 4);
  });
  EXPECT_NEAR_RGB(DrawSolid(t), 0x10, 0x20, 0x30, 0);
  t->Release();
}

TEST_F(TextureTest, CompressedBlocksDecode) {
  ASSERT_TRUE(CreateDevice());
  // DXT1: colour 0 pure red, colour 1 pure blue; every texel index 2 is
  // two thirds red, one third blue.
  IDirect3DTexture8* t = MakeTexture(4, 4, D3DFMT_DXT1, [](BYTE* p, UINT x, UINT y) {
    if (x || y) return;
    const BYTE block[8] = {0x00, 0xF8, 0x1F, 0x00, 0xAA, 0xAA, 0xAA, 0xAA};
    std::memcpy(p, block, 8);
  });
  EXPECT_NEAR_RGB(DrawSolid(t), 170, 0, 85, 1);
  t->Release();
  // DXT5: alpha from two references (index 1 selects the second), colour
  // index 0 selects colour 0 (green).
  t = MakeTexture(4, 4, D3DFMT_DXT5, [](BYTE* p, UINT x, UINT y) {
    if (x || y) return;
    const BYTE block[16] = {0x40, 0x20, 0x49, 0x92, 0x24, 0x49, 0x92, 0x24,
                            0xE0, 0x07, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    std::memcpy(p, block, 16);
  });
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  EXPECT_NEAR_RGB(DrawSolid(t), 0, 0x20, 0, 1);
  t->Release();
}

TEST_F(TextureTest, PointMipFilterPicksTheLevelForTheScreenSize) {
  ASSERT_TRUE(CreateDevice());
  const D3DCOLOR levelColor[8] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
                                  0xFF808080, 0xFF404040, 0xFF202020, 0xFF101010};
  IDirect3DTexture8* t = MakeMipChainTexture(device_, 128, 128, [&](UINT level, UINT, UINT, const D3DSURFACE_DESC&) {
    return levelColor[level];
  });
  ASSERT_NE(t, nullptr);
  SelectArg1(D3DTA_TEXTURE);
  device_->SetTexture(0, t);
  device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
  // 128 texels over 64 pixels: level 1.
  Clear(0xFF000000);
  DrawScreenTexturedQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 255, 0, 0);
  // Without mip filtering level 0 is used.
  device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
  DrawScreenTexturedQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Pixel(32, 32), 255, 0, 0, 0);
  // MAXMIPLEVEL limits the most detailed level used.
  device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
  device_->SetTextureStageState(0, D3DTSS_MAXMIPLEVEL, 2);
  DrawScreenTexturedQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 255, 0);
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TextureTest, AddressModesOutsideTheUnitSquare) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = MakeColorTexture(2, 1, {0xFFFF0000, 0xFF0000FF});
  SelectArg1(D3DTA_TEXTURE);
  device_->SetTexture(0, t);
  device_->SetTextureStageState(0, D3DTSS_BORDERCOLOR, 0xFF00FF00);
  // u runs from 0 to 2 across the screen; pixel 40 reads u = 1.27.
  auto at = [&](DWORD mode) {
    device_->SetTextureStageState(0, D3DTSS_ADDRESSU, mode);
    Clear(0xFF000000);
    DrawScreenTexturedQuad(0xFFFFFFFF, 0, 0, 2, 1);
    return Pixel(40, 10);
  };
  EXPECT_NEAR_RGB(at(D3DTADDRESS_WRAP), 255, 0, 0, 0);    // 0.27: left texel
  EXPECT_NEAR_RGB(at(D3DTADDRESS_MIRROR), 0, 0, 255, 0);  // 0.73: right texel
  EXPECT_NEAR_RGB(at(D3DTADDRESS_CLAMP), 0, 0, 255, 0);   // edge texel
  EXPECT_NEAR_RGB(at(D3DTADDRESS_BORDER), 0, 255, 0, 0);  // border colour
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(TextureTest, LinearFilterAveragesBetweenTexelCentres) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = MakeColorTexture(2, 1, {0xFF000000, 0xFFFFFFFF});
  SelectArg1(D3DTA_TEXTURE);
  device_->SetTexture(0, t);
  device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device_->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  Clear(0xFF000000);
  DrawScreenTexturedQuad(0xFFFFFFFF, 0.5f, 0.5f, 0.5f, 0.5f);
  EXPECT_NEAR_RGB(Pixel(32, 32), 128, 128, 128, 1);
  device_->SetTexture(0, nullptr);
  t->Release();
}

}  // namespace
}  // namespace d3d8test
