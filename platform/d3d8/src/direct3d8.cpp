#include "direct3d8.h"

#include <SDL.h>

#include "caps.h"
#include "device.h"
#include "device_child.h"
#include "format.h"
#include "gl_context.h"
#include "query_interface.h"

#define D3D8_EXPORT __attribute__((visibility("default")))

namespace d3d8 {
namespace {

D3DFORMAT FormatOfSdl(Uint32 sdlFormat) {
  return SDL_BITSPERPIXEL(sdlFormat) == 16 ? (SDL_PIXELTYPE(sdlFormat) == SDL_PIXELTYPE_PACKED16 &&
                                                      SDL_PIXELLAYOUT(sdlFormat) == SDL_PACKEDLAYOUT_565
                                                  ? D3DFMT_R5G6B5
                                                  : D3DFMT_X1R5G5B5)
                                            : D3DFMT_X8R8G8B8;
}

bool CheckAdapter(UINT adapter, D3DDEVTYPE type) { return adapter == 0 && type == D3DDEVTYPE_HAL; }

}  // namespace

Direct3D8::Direct3D8() {
  NoteObjectCreated();
  sdlVideo_ = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

Direct3D8::~Direct3D8() {
  if (sdlVideo_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  NoteObjectDestroyed();
}

HRESULT Direct3D8::QueryInterface(REFIID riid, void** ppvObj) {
  return QueryInterfaceOf<IDirect3D8>(this, riid, ppvObj, {IID_IDirect3D8});
}

ULONG Direct3D8::AddRef() { return ++refs_; }

ULONG Direct3D8::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

D3DDISPLAYMODE Direct3D8::DesktopMode() const {
  // Without a video driver the desktop is taken to be 1024x768 in 32 bits.
  D3DDISPLAYMODE mode = {1024, 768, 60, D3DFMT_X8R8G8B8};
  SDL_DisplayMode m;
  if (sdlVideo_ && SDL_GetDesktopDisplayMode(0, &m) == 0 && m.w > 0 && m.h > 0) {
    mode.Width = static_cast<UINT>(m.w);
    mode.Height = static_cast<UINT>(m.h);
    mode.RefreshRate = m.refresh_rate > 0 ? static_cast<UINT>(m.refresh_rate) : 60;
    mode.Format = FormatOfSdl(m.format);
  }
  return mode;
}

UINT Direct3D8::GetAdapterModeCount(UINT adapter) {
  if (adapter != 0) return 0;
  int n = sdlVideo_ ? SDL_GetNumDisplayModes(0) : 0;
  return n > 0 ? static_cast<UINT>(n) : 1;
}

HRESULT Direct3D8::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* pMode) {
  if (adapter != 0 || !pMode || mode >= GetAdapterModeCount(0)) return D3DERR_INVALIDCALL;
  SDL_DisplayMode m;
  if (sdlVideo_ && SDL_GetDisplayMode(0, static_cast<int>(mode), &m) == 0) {
    pMode->Width = static_cast<UINT>(m.w);
    pMode->Height = static_cast<UINT>(m.h);
    pMode->RefreshRate = m.refresh_rate > 0 ? static_cast<UINT>(m.refresh_rate) : 60;
    pMode->Format = FormatOfSdl(m.format);
  } else {
    *pMode = DesktopMode();
  }
  return D3D_OK;
}

HRESULT Direct3D8::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* pMode) {
  if (adapter != 0 || !pMode) return D3DERR_INVALIDCALL;
  *pMode = DesktopMode();
  return D3D_OK;
}

HRESULT Direct3D8::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                   D3DFORMAT backBufferFormat, BOOL windowed) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  if (!IsDisplayFormat(displayFormat) || displayFormat == D3DFMT_A8R8G8B8) return D3DERR_NOTAVAILABLE;
  const FormatInfo* bb = GetFormatInfo(backBufferFormat);
  if (!bb || !bb->renderTarget) return D3DERR_NOTAVAILABLE;
  // A windowed back buffer has the desktop's format.
  if (windowed && backBufferFormat != displayFormat) return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

HRESULT Direct3D8::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                     D3DRESOURCETYPE rType, D3DFORMAT checkFormat) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  if (!CheckAdapter(adapter, type) || !IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  const FormatInfo* f = GetFormatInfo(checkFormat);
  if (!f) return D3DERR_NOTAVAILABLE;
  if (usage & D3DUSAGE_DEPTHSTENCIL) {
    return f->depth && rType == D3DRTYPE_SURFACE ? D3D_OK : D3DERR_NOTAVAILABLE;
  }
  if (usage & D3DUSAGE_RENDERTARGET) {
    if (!f->renderTarget) return D3DERR_NOTAVAILABLE;
    return rType == D3DRTYPE_SURFACE || rType == D3DRTYPE_TEXTURE || rType == D3DRTYPE_CUBETEXTURE
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
  }
  switch (rType) {
    case D3DRTYPE_TEXTURE:
    case D3DRTYPE_CUBETEXTURE: return f->texture ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_SURFACE: return f->depth ? D3DERR_NOTAVAILABLE : D3D_OK;
    case D3DRTYPE_VERTEXBUFFER: return checkFormat == D3DFMT_VERTEXDATA ? D3D_OK : D3DERR_NOTAVAILABLE;
    case D3DRTYPE_INDEXBUFFER:
      return checkFormat == D3DFMT_INDEX16 || checkFormat == D3DFMT_INDEX32 ? D3D_OK : D3DERR_NOTAVAILABLE;
    default: return D3DERR_NOTAVAILABLE;
  }
}

HRESULT Direct3D8::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE type, D3DFORMAT surfaceFormat, BOOL,
                                              D3DMULTISAMPLE_TYPE multiSampleType) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  if (!CheckAdapter(adapter, type) || !GetFormatInfo(surfaceFormat)) return D3DERR_NOTAVAILABLE;
  return multiSampleType == D3DMULTISAMPLE_NONE ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D8::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                          D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) {
  if (adapter != 0) return D3DERR_INVALIDCALL;
  if (!CheckAdapter(adapter, type) || !IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  const FormatInfo* rt = GetFormatInfo(renderTargetFormat);
  const FormatInfo* ds = GetFormatInfo(depthStencilFormat);
  if (!rt || !rt->renderTarget || !ds || !ds->depth) return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

HRESULT Direct3D8::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* pCaps) {
  if (adapter != 0 || !pCaps) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  FillDeviceCaps(type, adapter, pCaps);
  return D3D_OK;
}

HRESULT Direct3D8::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND hFocusWindow, DWORD behaviorFlags,
                                D3DPRESENT_PARAMETERS* pp, IDirect3DDevice8** ppDevice) {
  return Device::Create(this, adapter, type, hFocusWindow, behaviorFlags, pp, ppDevice);
}

}  // namespace d3d8

extern "C" D3D8_EXPORT IDirect3D8* WINAPI Direct3DCreate8(UINT SDKVersion) {
  if (SDKVersion != D3D_SDK_VERSION) return nullptr;
  if (!d3d8::GlContext::Available()) return nullptr;
  return new d3d8::Direct3D8();
}
