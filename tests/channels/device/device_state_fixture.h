// The device's own render and stage states, read straight from the device
// behind the device channel's copies of them.
#pragma once

#include "channel_harness.h"

#include <cstring>

namespace vel_test {

// The bits of a float-valued state.
inline DWORD Bits(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

class DeviceStateFixture : public ChannelHarness {
 protected:
  DWORD RenderState(DWORD state) {
    DWORD value = 0xDEADBEEF;
    D3DDevice()->GetRenderState(static_cast<D3DRENDERSTATETYPE>(state), &value);
    return value;
  }
  DWORD StageState(DWORD stage, DWORD type) {
    DWORD value = 0xDEADBEEF;
    D3DDevice()->GetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(type), &value);
    return value;
  }
};

}  // namespace vel_test
