// The device channel's state copies: the default states of a new device, the
// setters that skip values the device holds, and values refused at the door.
#include "channel_harness.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace vel_test {
namespace {

class DeviceStatesTest : public ChannelHarness {
 protected:
  DWORD RenderState(D3DRENDERSTATETYPE state) {
    DWORD value = 0xDEADBEEF;
    D3DDevice()->GetRenderState(state, &value);
    return value;
  }
  DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
    DWORD value = 0xDEADBEEF;
    D3DDevice()->GetTextureStageState(stage, type, &value);
    return value;
  }
  static DWORD Bits(float f) {
    DWORD d;
    std::memcpy(&d, &f, 4);
    return d;
  }
};

TEST_F(DeviceStatesTest, NewDeviceHoldsTheDefaultStates) {
  ASSERT_NE(D3DDevice(), nullptr);
  EXPECT_EQ(RenderState(D3DRS_CULLMODE), static_cast<DWORD>(D3DCULL_CCW));
  EXPECT_EQ(RenderState(D3DRS_ZENABLE), static_cast<DWORD>(D3DZB_TRUE));
  EXPECT_EQ(RenderState(D3DRS_SRCBLEND), static_cast<DWORD>(D3DBLEND_ONE));
  EXPECT_EQ(RenderState(D3DRS_DESTBLEND), static_cast<DWORD>(D3DBLEND_ONE));
  EXPECT_EQ(RenderState(D3DRS_ALPHAREF), 8u);
  EXPECT_EQ(RenderState(D3DRS_ALPHAFUNC), static_cast<DWORD>(D3DCMP_GREATEREQUAL));
  EXPECT_EQ(RenderState(D3DRS_COLORVERTEX), 0u);
  EXPECT_EQ(RenderState(D3DRS_NORMALIZENORMALS), 1u);
  EXPECT_EQ(RenderState(D3DRS_DIFFUSEMATERIALSOURCE), static_cast<DWORD>(D3DMCS_MATERIAL));
  for (DWORD stage = 0; stage < 8; ++stage) {
    EXPECT_EQ(StageState(stage, D3DTSS_MINFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(StageState(stage, D3DTSS_MIPFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
  }
  EXPECT_EQ(StageState(0, D3DTSS_COLORARG1), static_cast<DWORD>(D3DTA_DIFFUSE));
  EXPECT_EQ(StageState(1, D3DTSS_COLORARG1), static_cast<DWORD>(D3DTA_CURRENT));
  EXPECT_EQ(StageState(2, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_MODULATE));
  EXPECT_EQ(StageState(2, D3DTSS_ALPHAOP), static_cast<DWORD>(D3DTOP_SELECTARG1));
  EXPECT_EQ(StageState(1, D3DTSS_TEXTURETRANSFORMFLAGS), static_cast<DWORD>(D3DTTFF_COUNT2));
  EXPECT_EQ(StageState(2, D3DTSS_BUMPENVLSCALE), Bits(0.5f));
  EXPECT_EQ(StageState(0, D3DTSS_BUMPENVMAT11), Bits(1.0f));
  // Stage 3 keeps the device's own default.
  EXPECT_EQ(StageState(3, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_DISABLE));
  D3DCAPS8 caps = Device()->GetDeviceCaps();
  EXPECT_GT(caps.MaxTextureWidth, 0u);
}

TEST_F(DeviceStatesTest, SettersSkipWhatTheCopyHoldsAndRefuseWhatCannotBeHeld) {
  Vel_DX8_DirectGraphicsChannel* device = Device();
  ASSERT_NE(D3DDevice(), nullptr);
  messages.Clear();
  // A change made on the device behind the channel's back is not seen: the
  // value the copy holds is skipped.
  D3DDevice()->SetRenderState(D3DRS_FOGCOLOR, 0x123456);
  device->SetRenderState(D3DRS_FOGCOLOR, 0);
  EXPECT_EQ(RenderState(D3DRS_FOGCOLOR), 0x123456u);
  device->SetRenderState(D3DRS_FOGCOLOR, 0x00FF00);
  EXPECT_EQ(RenderState(D3DRS_FOGCOLOR), 0x00FF00u);
  D3DDevice()->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  EXPECT_EQ(StageState(1, D3DTSS_COLOROP), static_cast<DWORD>(D3DTOP_ADD));

  // States and stages outside the copies are ignored.
  device->SetRenderState(6, 1);
  device->SetRenderState(174, 1);
  device->SetRenderState(0xFFFFFFFFu, 1);
  device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_ADD);
  device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(29), 1);
  device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(-1), 1);

  // A float state that is not a number never reaches the device, and is
  // reported once however often it comes.
  device->SetRenderState(D3DRS_FOGDENSITY, Bits(0.25f));
  for (int i = 0; i < 3; ++i) device->SetRenderState(D3DRS_FOGDENSITY, Bits(std::nanf("")));
  device->SetRenderState(D3DRS_FOGEND, Bits(std::numeric_limits<float>::infinity()));
  device->SetTextureStageState(0, D3DTSS_BUMPENVMAT00, Bits(std::nanf("")));
  EXPECT_EQ(RenderState(D3DRS_FOGDENSITY), Bits(0.25f));
  EXPECT_EQ(StageState(0, D3DTSS_BUMPENVMAT00), Bits(1.0f));
  EXPECT_EQ(messages.Count("Vel_DX8_DirectGraphicsChannel::SetRenderState: Not a finite number for state " +
                           std::to_string(D3DRS_FOGDENSITY)),
            1);
  EXPECT_EQ(messages.messages.size(), 3u);
  // Integer states take any bits.
  device->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFFu);
  EXPECT_EQ(RenderState(D3DRS_AMBIENT), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace vel_test
