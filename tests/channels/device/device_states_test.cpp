// The device channel's state copies: the setters that skip values the device
// holds, and values refused at the door.
#include "device_state_fixture.h"

#include <cmath>
#include <limits>

namespace vel_test {
namespace {

class DeviceStatesTest : public DeviceStateFixture {};

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
