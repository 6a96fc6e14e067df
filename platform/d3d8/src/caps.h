// The capabilities this device layer reports.
#pragma once

#include <d3d8/d3d8.h>

namespace d3d8 {

void FillDeviceCaps(D3DDEVTYPE type, UINT adapter, D3DCAPS8* caps);

}  // namespace d3d8
