// Fault injection and object accounting behind d3d8debug.h.
#pragma once

#include <d3d8/d3d8.h>

namespace d3d8 {

// The result an injected failure asks for, consuming one use; D3D_OK when none
// is pending.
HRESULT TakeCreateDeviceFailure();
HRESULT TakeResetFailure();
HRESULT TakeCreateTextureFailure();
unsigned LiveObjectCount();
bool ReadBackPresentForced();

}  // namespace d3d8
