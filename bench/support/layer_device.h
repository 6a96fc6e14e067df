// The device the benchmarks that draw through the Direct3D 8 layer create:
// windowed, a back buffer of the adapter's display format, discarding swaps.
#pragma once

#include <d3d8/d3d8.h>

namespace bench {

// A device drawing `width` x `height` into `window` (null: off screen), with
// a 24-bit depth and 8-bit stencil buffer when `depthStencil` is set.
HRESULT CreateLayerDevice(IDirect3D8* d3d, UINT width, UINT height, HWND window, bool depthStencil,
                          IDirect3DDevice8** device);

}  // namespace bench
