// State blocks: created blocks of all, pixel and vertex states, recorded
// blocks, capture and apply.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class StateBlockTest : public DeviceTest {
 protected:
  DWORD RS(D3DRENDERSTATETYPE s) {
    DWORD v = 0;
    device_->GetRenderState(s, &v);
    return v;
  }
  DWORD TSS(DWORD stage, D3DTEXTURESTAGESTATETYPE t) {
    DWORD v = 0;
    device_->GetTextureStageState(stage, t, &v);
    return v;
  }
};

TEST_F(StateBlockTest, AllStatesCapturedChangedAndApplied) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* tex = nullptr;
  device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex);
  D3DMATERIAL8 mat = {{0.5f, 0.5f, 0.5f, 1}, {}, {}, {}, 2};
  device_->SetMaterial(&mat);
  device_->SetTexture(1, tex);
  D3DLIGHT8 light = {};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Direction = {0, 0, 1};
  light.Diffuse = {1, 0, 0, 1};
  device_->SetLight(0, &light);
  DWORD block = 0;
  ASSERT_EQ(device_->CreateStateBlock(D3DSBT_ALL, &block), D3D_OK);
  EXPECT_NE(block, 0u);

  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x12345678);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
  D3DMATRIX w = Translation(3, 2, 1);
  device_->SetTransform(D3DTS_WORLD, &w);
  D3DMATERIAL8 other = {};
  device_->SetMaterial(&other);
  device_->SetTexture(1, nullptr);
  light.Diffuse = {0, 1, 0, 1};
  device_->SetLight(0, &light);
  device_->LightEnable(0, TRUE);

  ASSERT_EQ(device_->ApplyStateBlock(block), D3D_OK);
  EXPECT_EQ(RS(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
  EXPECT_EQ(RS(D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
  EXPECT_EQ(TSS(0, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
  D3DMATRIX r;
  device_->GetTransform(D3DTS_WORLD, &r);
  EXPECT_EQ(r._41, 0.0f);
  device_->GetMaterial(&other);
  EXPECT_EQ(other.Power, 2.0f);
  IDirect3DBaseTexture8* bound = nullptr;
  device_->GetTexture(1, &bound);
  EXPECT_EQ(bound, static_cast<IDirect3DBaseTexture8*>(tex));
  if (bound) bound->Release();
  D3DLIGHT8 got;
  device_->GetLight(0, &got);
  EXPECT_EQ(got.Diffuse.r, 1.0f);
  BOOL on = TRUE;
  device_->GetLightEnable(0, &on);
  EXPECT_FALSE(on);
  EXPECT_EQ(device_->DeleteStateBlock(block), D3D_OK);
  EXPECT_EQ(device_->DeleteStateBlock(block), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->ApplyStateBlock(block), D3DERR_INVALIDCALL);
  device_->SetTexture(1, nullptr);
  tex->Release();
}

TEST_F(StateBlockTest, PixelAndVertexBlocksHoldTheirOwnHalf) {
  ASSERT_TRUE(CreateDevice());
  DWORD pixel = 0, vertex = 0;
  ASSERT_EQ(device_->CreateStateBlock(D3DSBT_PIXELSTATE, &pixel), D3D_OK);
  ASSERT_EQ(device_->CreateStateBlock(D3DSBT_VERTEXSTATE, &vertex), D3D_OK);
  device_->SetRenderState(D3DRS_ALPHAREF, 99);      // pixel
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);   // vertex
  device_->SetRenderState(D3DRS_FOGSTART, F2D(3));  // both
  device_->ApplyStateBlock(pixel);
  EXPECT_EQ(RS(D3DRS_ALPHAREF), 0u);
  EXPECT_EQ(RS(D3DRS_LIGHTING), static_cast<DWORD>(FALSE));
  EXPECT_EQ(RS(D3DRS_FOGSTART), F2D(0));
  device_->SetRenderState(D3DRS_ALPHAREF, 99);
  device_->SetRenderState(D3DRS_FOGSTART, F2D(3));
  device_->ApplyStateBlock(vertex);
  EXPECT_EQ(RS(D3DRS_ALPHAREF), 99u);
  EXPECT_EQ(RS(D3DRS_LIGHTING), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RS(D3DRS_FOGSTART), F2D(0));
  device_->DeleteStateBlock(pixel);
  device_->DeleteStateBlock(vertex);
}

TEST_F(StateBlockTest, RecordingKeepsTheDeviceUnchangedUntilApplied) {
  ASSERT_TRUE(CreateDevice());
  ASSERT_EQ(device_->BeginStateBlock(), D3D_OK);
  EXPECT_EQ(device_->BeginStateBlock(), D3DERR_INVALIDCALL);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  EXPECT_EQ(RS(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(FALSE));
  EXPECT_EQ(TSS(0, D3DTSS_MINFILTER), static_cast<DWORD>(D3DTEXF_POINT));
  DWORD block = 0;
  ASSERT_EQ(device_->EndStateBlock(&block), D3D_OK);
  EXPECT_EQ(device_->EndStateBlock(&block), D3DERR_INVALIDCALL);

  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);  // not in the block
  ASSERT_EQ(device_->ApplyStateBlock(block), D3D_OK);
  EXPECT_EQ(RS(D3DRS_ALPHABLENDENABLE), static_cast<DWORD>(TRUE));
  EXPECT_EQ(RS(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_SRCALPHA));
  EXPECT_EQ(TSS(0, D3DTSS_MINFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
  EXPECT_EQ(RS(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_NONE));
  device_->DeleteStateBlock(block);
}

TEST_F(StateBlockTest, CaptureSavesAndApplyRestoresAroundDrawing) {
  // The pattern of a text renderer: a saved block and a drawing block with
  // the same states.
  ASSERT_TRUE(CreateDevice());
  DWORD saved = 0, drawing = 0;
  for (DWORD* token : {&saved, &drawing}) {
    device_->BeginStateBlock();
    device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF00FF00);
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    device_->EndStateBlock(token);
  }
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFF0000);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  ASSERT_EQ(device_->CaptureStateBlock(saved), D3D_OK);
  ASSERT_EQ(device_->ApplyStateBlock(drawing), D3D_OK);
  Clear(0xFF000000);
  DrawScreenQuad(0xFF0000FF);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 255, 0, 0);  // the texture factor of the drawing block
  ASSERT_EQ(device_->ApplyStateBlock(saved), D3D_OK);
  EXPECT_EQ(RS(D3DRS_TEXTUREFACTOR), 0xFFFF0000u);
  EXPECT_EQ(RS(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
  DrawScreenQuad(0xFF0000FF);
  EXPECT_NEAR_RGB(Pixel(32, 32), 0, 0, 255, 0);  // the diffuse colour again
  device_->DeleteStateBlock(saved);
  device_->DeleteStateBlock(drawing);
}

TEST_F(StateBlockTest, BlocksHoldTheirTexturesAlive) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DTexture8* tex = nullptr;
  device_->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex);
  device_->BeginStateBlock();
  device_->SetTexture(0, tex);
  DWORD block = 0;
  device_->EndStateBlock(&block);
  EXPECT_EQ(tex->Release(), 0u);
  device_->ApplyStateBlock(block);
  IDirect3DBaseTexture8* bound = nullptr;
  device_->GetTexture(0, &bound);
  ASSERT_NE(bound, nullptr);
  EXPECT_EQ(bound->GetType(), D3DRTYPE_TEXTURE);
  bound->Release();
  device_->DeleteStateBlock(block);
  device_->SetTexture(0, nullptr);
}

}  // namespace
}  // namespace d3d8test
