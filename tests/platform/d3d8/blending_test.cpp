// Alpha test, alpha blending, colour write masks and z bias.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class BlendingTest : public DeviceTest {
 protected:
  void SetUpUntextured() {
    ASSERT_TRUE(CreateDevice());
    SelectArg1(D3DTA_DIFFUSE);  // colour and alpha straight from the vertices
  }
};

TEST_F(BlendingTest, AlphaTestComparesWithTheReference) {
  SetUpUntextured();
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  device_->SetRenderState(D3DRS_ALPHAREF, 0x80);
  Clear(0xFF000000);
  DrawScreenQuad(0x80FF0000);
  EXPECT_NEAR_RGB(Pixel(10, 10), 255, 0, 0, 0);
  device_->SetRenderState(D3DRS_ALPHAREF, 0x81);
  Clear(0xFF000000);
  DrawScreenQuad(0x80FF0000);
  EXPECT_NEAR_RGB(Pixel(10, 10), 0, 0, 0, 0);
  device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_LESS);
  DrawScreenQuad(0x80FF0000);
  EXPECT_NEAR_RGB(Pixel(10, 10), 255, 0, 0, 0);
  device_->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_NEVER);
  Clear(0xFF000000);
  DrawScreenQuad(0x80FF0000);
  EXPECT_NEAR_RGB(Pixel(10, 10), 0, 0, 0, 0);
  // Disabled, the test passes everything.
  device_->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  DrawScreenQuad(0x00FF0000);
  EXPECT_NEAR_RGB(Pixel(10, 10), 255, 0, 0, 0);
}

TEST_F(BlendingTest, SourceAlphaBlendMixesWithTheTarget) {
  SetUpUntextured();
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  Clear(0xFF0000FF);
  DrawScreenQuad(0x40FF0000);
  const float a = 0x40 / 255.0f;
  EXPECT_NEAR_RGB(Pixel(30, 30), Byte(a), 0, Byte(1 - a), 1);
  // BOTHSRCALPHA stands for the same pair.
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BOTHSRCALPHA);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
  Clear(0xFF0000FF);
  DrawScreenQuad(0x40FF0000);
  EXPECT_NEAR_RGB(Pixel(30, 30), Byte(a), 0, Byte(1 - a), 1);
}

TEST_F(BlendingTest, AdditiveBlendAndBlendOperations) {
  SetUpUntextured();
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  Clear(0xFF640000);
  DrawScreenQuad(0xFF643200);
  EXPECT_NEAR_RGB(Pixel(30, 30), 200, 50, 0, 0);
  device_->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);  // dest - src
  Clear(0xFF806040);
  DrawScreenQuad(0xFF202020);
  EXPECT_NEAR_RGB(Pixel(30, 30), 0x60, 0x40, 0x20, 0);
}

TEST_F(BlendingTest, ColorWriteEnableMasksChannels) {
  SetUpUntextured();
  device_->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_GREEN);
  Clear(0xFF000000);
  DrawScreenQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Pixel(30, 30), 0, 255, 0, 0);
}

TEST_F(BlendingTest, ZBiasPullsCoplanarGeometryForward) {
  SetUpUntextured();
  Clear(0xFF000000);
  device_->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  DrawScreenQuad(0xFFFF0000, 0.5f);
  DrawScreenQuad(0xFF00FF00, 0.5f);  // equal depth fails LESS
  EXPECT_NEAR_RGB(Pixel(30, 30), 255, 0, 0, 0);
  device_->SetRenderState(D3DRS_ZBIAS, 1);
  DrawScreenQuad(0xFF00FF00, 0.5f);
  EXPECT_NEAR_RGB(Pixel(30, 30), 0, 255, 0, 0);
}

}  // namespace
}  // namespace d3d8test
