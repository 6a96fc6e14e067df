#include "layer_device.h"

namespace bench {

HRESULT CreateLayerDevice(IDirect3D8* d3d, UINT width, UINT height, HWND window, bool depthStencil,
                          IDirect3DDevice8** device) {
  D3DDISPLAYMODE mode;
  d3d->GetAdapterDisplayMode(0, &mode);
  D3DPRESENT_PARAMETERS pp = {};
  pp.BackBufferWidth = width;
  pp.BackBufferHeight = height;
  pp.BackBufferFormat = mode.Format;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  pp.hDeviceWindow = window;
  pp.EnableAutoDepthStencil = depthStencil ? TRUE : FALSE;
  pp.AutoDepthStencilFormat = depthStencil ? D3DFMT_D24S8 : D3DFMT_UNKNOWN;
  return d3d->CreateDevice(0, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, device);
}

}  // namespace bench
