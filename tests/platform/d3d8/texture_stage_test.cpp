// The texture-stage cascade: colour and alpha operations, arguments and
// modifiers, several stages, the temporary register and bump-environment
// mapping.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

inline float B(int byte) { return byte / 255.0f; }

class TextureStageTest : public DeviceTest {
 protected:
  // A 1x1 texture of one colour.
  IDirect3DTexture8* Solid(D3DCOLOR c) {
    return MakeColorTexture(1, 1, {c});
  }
  void Stage(DWORD s, DWORD op, DWORD a1, DWORD a2) {
    device_->SetTextureStageState(s, D3DTSS_COLOROP, op);
    device_->SetTextureStageState(s, D3DTSS_COLORARG1, a1);
    device_->SetTextureStageState(s, D3DTSS_COLORARG2, a2);
  }
  void AlphaStage(DWORD s, DWORD op, DWORD a1, DWORD a2) {
    device_->SetTextureStageState(s, D3DTSS_ALPHAOP, op);
    device_->SetTextureStageState(s, D3DTSS_ALPHAARG1, a1);
    device_->SetTextureStageState(s, D3DTSS_ALPHAARG2, a2);
  }
  Rgba Draw(D3DCOLOR diffuse) {
    Clear(0xFF000000);
    DrawScreenTexturedQuad(diffuse);
    return Pixel(32, 32);
  }
};

// Texture (0x80, 0xFF, 0x40), diffuse (0xFF, 0x80, 0xC0).
constexpr D3DCOLOR kTex = 0xC080FF40, kDiffuse = 0x60FF80C0;

TEST_F(TextureStageTest, ModulateMultipliesTextureAndDiffuse) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = Solid(kTex);
  device_->SetTexture(0, t);
  Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), Byte(B(0x80) * 1.0f), Byte(1.0f * B(0x80)), Byte(B(0x40) * B(0xC0)), 1);
  Stage(0, D3DTOP_MODULATE2X, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), Byte(2 * B(0x80)), Byte(2 * B(0x80)), Byte(2 * B(0x40) * B(0xC0)), 1);
  Stage(0, D3DTOP_MODULATE4X, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), 255, 255, Byte(4 * B(0x40) * B(0xC0)), 1);
  t->Release();
}

TEST_F(TextureStageTest, AddFamilyOfOperations) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = Solid(kTex);
  device_->SetTexture(0, t);
  Stage(0, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), 255, 255, Byte(B(0x40) + B(0xC0)), 1);
  Stage(0, D3DTOP_ADDSIGNED, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), Byte(B(0x80) + 1 - 0.5f), Byte(1 + B(0x80) - 0.5f), Byte(B(0x40) + B(0xC0) - 0.5f), 1);
  Stage(0, D3DTOP_ADDSIGNED2X, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), 255, 255, Byte(2 * (B(0x40) + B(0xC0) - 0.5f)), 1);
  Stage(0, D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), 0, Byte(1 - B(0x80)), 0, 1);
  Stage(0, D3DTOP_ADDSMOOTH, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), 255, 255, Byte(B(0x40) + B(0xC0) - B(0x40) * B(0xC0)), 1);
  t->Release();
}

TEST_F(TextureStageTest, SelectArgumentsAndModifiers) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = Solid(kTex);
  device_->SetTexture(0, t);
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x20102030);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), 0x80, 0xFF, 0x40, 0);
  Stage(0, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), 0xFF, 0x80, 0xC0, 0);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), 0x10, 0x20, 0x30, 0);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), 0x7F, 0x00, 0xBF, 0);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), 0xC0, 0xC0, 0xC0, 0);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE | D3DTA_ALPHAREPLICATE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), 0x9F, 0x9F, 0x9F, 0);
  t->Release();
}

TEST_F(TextureStageTest, BlendOperationsUseTheNamedAlpha) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = Solid(kTex);
  device_->SetTexture(0, t);
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x40000000);
  const float ta = B(0xC0), da = B(0x60), fa = B(0x40);
  Stage(0, D3DTOP_BLENDTEXTUREALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), Byte(B(0x80) * ta + 1 * (1 - ta)), Byte(1 * ta + B(0x80) * (1 - ta)),
                  Byte(B(0x40) * ta + B(0xC0) * (1 - ta)), 1);
  Stage(0, D3DTOP_BLENDDIFFUSEALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), Byte(B(0x80) * da + (1 - da)), Byte(da + B(0x80) * (1 - da)),
                  Byte(B(0x40) * da + B(0xC0) * (1 - da)), 1);
  Stage(0, D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), Byte(B(0x80) * fa + (1 - fa)), Byte(fa + B(0x80) * (1 - fa)),
                  Byte(B(0x40) * fa + B(0xC0) * (1 - fa)), 1);
  Stage(0, D3DTOP_BLENDTEXTUREALPHAPM, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), Byte(B(0x80) + (1 - ta)), 255, Byte(B(0x40) + B(0xC0) * (1 - ta)), 1);
  t->Release();
}

TEST_F(TextureStageTest, DotProduct3WritesEveryChannel) {
  ASSERT_TRUE(CreateDevice());
  // A normal along +x (0xFF, 0x80, 0x80) dotted with (0xC0, 0x80, 0x80).
  IDirect3DTexture8* t = Solid(0xFFFF8080);
  device_->SetTexture(0, t);
  Stage(0, D3DTOP_DOTPRODUCT3, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  AlphaStage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE);
  const float d = 4 * ((1 - 0.5f) * (B(0xC0) - 0.5f) + 2 * (B(0x80) - 0.5f) * (B(0x80) - 0.5f));
  EXPECT_NEAR_RGB(Draw(0x00C08080), Byte(d), Byte(d), Byte(d), 1);
  t->Release();
}

TEST_F(TextureStageTest, MultiplyAddAndLerpUseTheThirdArgument) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = Solid(kTex);
  device_->SetTexture(0, t);
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF202020);
  device_->SetTextureStageState(0, D3DTSS_COLORARG0, D3DTA_TFACTOR);
  Stage(0, D3DTOP_MULTIPLYADD, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_NEAR_RGB(Draw(kDiffuse), Byte(B(0x20) + B(0x80)), Byte(B(0x20) + B(0x80)),
                  Byte(B(0x20) + B(0x40) * B(0xC0)), 1);
  Stage(0, D3DTOP_LERP, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  const float f = B(0x20);
  EXPECT_NEAR_RGB(Draw(kDiffuse), Byte(f * B(0x80) + (1 - f)), Byte(f + (1 - f) * B(0x80)),
                  Byte(f * B(0x40) + (1 - f) * B(0xC0)), 1);
  t->Release();
}

TEST_F(TextureStageTest, StagesChainThroughCurrentAndStopAtTheFirstDisabled) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t0 = Solid(0xFF808080);
  IDirect3DTexture8* t1 = Solid(0xFF4080FF);
  device_->SetTexture(0, t0);
  device_->SetTexture(1, t1);
  Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  Stage(1, D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  EXPECT_NEAR_RGB(Draw(0xFFFFFFFF), Byte(B(0x80) + B(0x40)), Byte(2 * B(0x80)), 255, 1);
  // Stage 1 disabled: stage 2's settings never take effect.
  Stage(1, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT);
  Stage(2, D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_CURRENT);
  EXPECT_NEAR_RGB(Draw(0xFFFFFFFF), 0x80, 0x80, 0x80, 1);
  t0->Release();
  t1->Release();
}

TEST_F(TextureStageTest, ResultArgumentTempKeepsCurrentUntouched) {
  ASSERT_TRUE(CreateDevice());
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF00FF00);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE);
  device_->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_TEMP);
  Stage(1, D3DTOP_ADD, D3DTA_CURRENT, D3DTA_TEMP);  // current is still the diffuse colour
  EXPECT_NEAR_RGB(Draw(0xFF800000), 0x80, 0xFF, 0x00, 0);
}

TEST_F(TextureStageTest, UnboundTextureReadsOpaqueWhite) {
  ASSERT_TRUE(CreateDevice());
  Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  AlphaStage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  EXPECT_NEAR_RGB(Draw(0x00336699), 0x33, 0x66, 0x99, 0);
}

TEST_F(TextureStageTest, AlphaOperationRunsBesideTheColourOperation) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* t = Solid(0x80FFFFFF);
  device_->SetTexture(0, t);
  Stage(0, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  AlphaStage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  // alpha = 0x80 x 0x80; blended over black.
  const float a = B(0x80) * B(0x80);
  EXPECT_NEAR_RGB(Draw(0x80FF0000), Byte(a), 0, 0, 1);
  t->Release();
}

TEST_F(TextureStageTest, BumpEnvMapOffsetsTheNextStagesLookup) {
  ASSERT_TRUE(CreateDevice());
  // Stage 0: a bump map holding (du, dv) = (64, 0) / 127. Stage 1: red on
  // the left half, green on the right.
  IDirect3DTexture8* bump = MakeTexture(1, 1, D3DFMT_V8U8, [](BYTE* p, UINT, UINT) {
    p[0] = 64;
    p[1] = 0;
  });
  IDirect3DTexture8* env = MakeColorTexture(2, 1, {0xFFFF0000, 0xFF00FF00});
  device_->SetTexture(0, bump);
  device_->SetTexture(1, env);
  Stage(0, D3DTOP_BUMPENVMAP, D3DTA_TEXTURE, D3DTA_CURRENT);
  Stage(1, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  // Every vertex reads u = 0.25: the red texel unless the bump moves it.
  auto drawAtQuarter = [&]() {
    Clear(0xFF000000);
    DrawScreenTexturedQuad(0xFFFFFFFF, 0.25f, 0.5f, 0.25f, 0.5f);
    return Pixel(32, 32);
  };
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, F2D(0.0f));
  EXPECT_NEAR_RGB(drawAtQuarter(), 255, 0, 0, 0);
  // u' = u + M00 du + M10 dv = 0.25 + 0.504.
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, F2D(1.0f));
  EXPECT_NEAR_RGB(drawAtQuarter(), 0, 255, 0, 0);
  // The offset along v does not move across the texture's columns.
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, F2D(0.0f));
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, F2D(1.0f));
  EXPECT_NEAR_RGB(drawAtQuarter(), 255, 0, 0, 0);
  // M10 applies dv, which is 0 here.
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, F2D(1.0f));
  EXPECT_NEAR_RGB(drawAtQuarter(), 255, 0, 0, 0);
  // A Q8W8V8U8 map: U = -127 (-1.0) in byte 0, V = 0; W and Q are not read.
  // From u = 0.875, u' = 0.875 + 0.5 x (-1) = 0.375 reads red; clamping
  // keeps a wrongly positive offset on green.
  IDirect3DTexture8* signedMap = MakeTexture(1, 1, D3DFMT_Q8W8V8U8, [](BYTE* p, UINT, UINT) {
    p[0] = static_cast<BYTE>(-127);
    p[1] = 0;
    p[2] = p[3] = 127;
  });
  device_->SetTexture(0, signedMap);
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, F2D(0.5f));
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT01, F2D(0.0f));
  device_->SetTextureStageState(0, D3DTSS_BUMPENVMAT10, F2D(0.0f));
  device_->SetTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  Clear(0xFF000000);
  DrawScreenTexturedQuad(0xFFFFFFFF, 0.875f, 0.5f, 0.875f, 0.5f);
  EXPECT_NEAR_RGB(Pixel(32, 32), 255, 0, 0, 0);
  device_->SetTexture(0, nullptr);
  signedMap->Release();
  bump->Release();
  env->Release();
}

TEST_F(TextureStageTest, BumpEnvMapLuminanceScalesTheNextStage) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* bump = MakeTexture(1, 1, D3DFMT_V8U8, [](BYTE* p, UINT, UINT) { p[0] = p[1] = 0; });
  IDirect3DTexture8* env = Solid(0xFFFFFFFF);
  device_->SetTexture(0, bump);
  device_->SetTexture(1, env);
  Stage(0, D3DTOP_BUMPENVMAPLUMINANCE, D3DTA_TEXTURE, D3DTA_CURRENT);
  Stage(1, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  // A bump format without luminance reads L = 1: L' = 1 x 0.5 + 0.25.
  device_->SetTextureStageState(0, D3DTSS_BUMPENVLSCALE, F2D(0.5f));
  device_->SetTextureStageState(0, D3DTSS_BUMPENVLOFFSET, F2D(0.25f));
  EXPECT_NEAR_RGB(Draw(0xFFFFFFFF), Byte(0.75f), Byte(0.75f), Byte(0.75f), 1);
  bump->Release();
  env->Release();
}

}  // namespace
}  // namespace d3d8test
