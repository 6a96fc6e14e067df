// The device channel as a whole: its type record, construction and
// destruction, device creation, reset, restore and the window modes.
#include "device/vel_dx8_direct_graphics_channel.h"

#include "device/directx_probe.h"
#include "deviceuse/vel_dx8_d3d_device_use.h"
#include "engine_interface.h"
#include "guid_util.h"
#include "vel_type_guids.h"
#include "win32/thread.h"
#include "win32/window.h"

#include <new>

namespace {

constexpr DWORD kRestoreIntervalMs = 1000;
constexpr LONG kWindowedStyle = static_cast<LONG>(0x90CE0000u);
constexpr LONG kFullScreenStyle = static_cast<LONG>(0x90080000u);
constexpr int kTexturesSlot = 0;

ChannelType& TypeRecord() {
  static ChannelType type(vel::kDeviceType);
  return type;
}

}  // namespace

extern "C" ChannelType* GetType() {
  ChannelType& type = TypeRecord();
  type.SetName("DX8 DirectGraphicsChannel");
  type.type = vel::kDeviceType;
  type.baseType = vel::kDeviceType;
  type.version[2] = 1;
  type.flag = 1;
  return &type;
}

extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_DirectGraphicsChannel; }

Vel_DX8_DirectGraphicsChannel::Vel_DX8_DirectGraphicsChannel()
    : d3d_(nullptr),
      device_(nullptr),
      zoomFactor_(1.0f),
      windowed_(1),
      backBufferWidth_(0),
      backBufferHeight_(0),
      presentParameters_{},
      deviceWindow_(nullptr),
      destinationX_(0),
      destinationY_(0),
      fullScreenMode_{},
      deviceType_(D3DDEVTYPE_HAL),
      deviceCaps_{},
      lastRestoreTick_(0),
      frustumPlanes_{},
      projectionInfo_{0.4f, 4000.0f, 2.0f, 1.0f},
      presentWindow_(nullptr),
      useStencil_(false),
      renderStates_{},
      stageStates_{},
      renderStateRefused_{},
      stageStateRefused_{},
      projectionRefused_(false),
      workingWidth_(0),
      workingHeight_(0) {
  SetChannelName("DX8 DirectGraphicsChannel");
  SetChildCreationCount(1);
  SetChildCreateType(ChildCreation(kWildcardGuid, -1, "Textures"), kTexturesSlot);
  // Until a device sets a projection the planes bound the unit cube.
  CalcFrustumPlanes();
  CreateD3D();
  presentWindow_ = EngineWindow();
}

Vel_DX8_DirectGraphicsChannel::~Vel_DX8_DirectGraphicsChannel() {
  for (int i = 0; i < GetChildCount(); ++i) {
    if (Vel_DX8_D3DDeviceUse* user = DeviceUser(i)) {
      user->InvalidateDeviceObjects();
      user->InvalidateDirectGraphics();
    }
  }
  if (device_) {
    ULONG left = device_->Release();
    device_ = nullptr;
    if (left > 0 && engine) engine->errorFunctor("Error d3ddevice still has references!!! : ", static_cast<int>(left));
  }
  if (d3d_) {
    ULONG left = d3d_->Release();
    d3d_ = nullptr;
    if (left > 0 && engine) engine->errorFunctor("Error D3D_ still has references!!! : ", static_cast<int>(left));
  }
}

// ---------------------------------------------------------------------------
// Helpers

Vel_DX8_D3DDeviceUse* Vel_DX8_DirectGraphicsChannel::DeviceUser(int i) {
  // The entry's own pointer is looked up before anything is read through
  // it: a channel of another group linked here may have been deleted with
  // its group, and its entry then points to freed memory.
  ChildInfo* info = static_cast<ChildInfo*>(childInfos.GetItem(i));
  return Vel_DX8_D3DDeviceUse::AsLiveDeviceUser(info ? info->channel : nullptr);
}

HWND Vel_DX8_DirectGraphicsChannel::EngineWindow() { return engine ? engine->GetWindowHandle() : nullptr; }

D3DFORMAT Vel_DX8_DirectGraphicsChannel::ChooseDepthFormat(UINT adapter, D3DFORMAT displayFormat) {
  useStencil_ = false;
  if (d3d_ &&
      d3d_->CheckDeviceFormat(adapter, deviceType_, displayFormat, D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE,
                              D3DFMT_D24S8) == D3D_OK &&
      SUCCEEDED(d3d_->CheckDepthStencilMatch(adapter, deviceType_, displayFormat, displayFormat, D3DFMT_D24S8))) {
    useStencil_ = true;
    return D3DFMT_D24S8;
  }
  return D3DFMT_D16;
}

DWORD Vel_DX8_DirectGraphicsChannel::ChooseVertexProcessing() {
  D3DCAPS8 caps{};
  if (d3d_) d3d_->GetDeviceCaps(0, deviceType_, &caps);
  if (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT)
    return caps.MaxVertexBlendMatrixIndex > 3 ? D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DCREATE_MIXED_VERTEXPROCESSING;
  return D3DCREATE_SOFTWARE_VERTEXPROCESSING;
}

void Vel_DX8_DirectGraphicsChannel::KeepWorkingSize() {
  workingWidth_ = backBufferWidth_;
  workingHeight_ = backBufferHeight_;
}

void Vel_DX8_DirectGraphicsChannel::ReleaseDevice() {
  if (device_) device_->Release();
  device_ = nullptr;
}

void Vel_DX8_DirectGraphicsChannel::ReleaseDirect3D() {
  if (d3d_) d3d_->Release();
  d3d_ = nullptr;
}

void Vel_DX8_DirectGraphicsChannel::DropDevice() {
  if (!device_) return;
  InvalidateDeviceObjects();
  ReleaseDevice();
}

void Vel_DX8_DirectGraphicsChannel::ReportCreateFailure(HRESULT result) {
  if (!engine) return;
  if (result == D3DERR_INVALIDCALL) engine->errorFunctor("D3DERR_INVALIDCALL ");
  if (result == D3DERR_NOTAVAILABLE) engine->errorFunctor("D3DERR_NOTAVAILABLE");
  if (result == D3DERR_OUTOFVIDEOMEMORY) engine->errorFunctor("No video memory");
  engine->errorFunctor("ORN_INIT_ERROR_DDRAWINITERROR");
  engine->errorFunctor("hr : ", static_cast<int>(result));
  engine->errorFunctor("Tried to create a 3d device and failed");
  engine->errorFunctor("Resolution width that was tried : ", static_cast<int>(backBufferWidth_));
  engine->errorFunctor("Resolution height that was tried : ", static_cast<int>(backBufferHeight_));
}

// ---------------------------------------------------------------------------
// Creation, reset and restore

bool Vel_DX8_DirectGraphicsChannel::CreateD3D() {
  HWND window = EngineWindow();
  deviceWindow_ = window;
  if (!ReportDirectXVersion(CurrentDirectXProbe().ProbeDirectXVersion(), engine)) return false;

  // A device that still exists is given up the same way a reset gives it up:
  // its users drop their objects first.
  DropDevice();
  ReleaseDirect3D();
  d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
  if (!d3d_) {
    if (engine) engine->errorFunctor("ORN_INIT_ERROR_DDRAWINITERROR!");
    return false;
  }

  D3DDISPLAYMODE mode{};
  d3d_->GetAdapterDisplayMode(0, &mode);
  D3DFORMAT depth = ChooseDepthFormat(0, mode.Format);

  presentParameters_ = {};
  presentParameters_.BackBufferWidth = static_cast<UINT>(backBufferWidth_);
  presentParameters_.BackBufferHeight = static_cast<UINT>(backBufferHeight_);
  presentParameters_.BackBufferFormat = mode.Format;
  presentParameters_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  presentParameters_.hDeviceWindow = window;
  presentParameters_.Windowed = windowed_;
  presentParameters_.EnableAutoDepthStencil = TRUE;
  presentParameters_.AutoDepthStencilFormat = depth;

  HRESULT result = d3d_->CreateDevice(0, deviceType_, window, ChooseVertexProcessing(), &presentParameters_, &device_);
  if (result != D3D_OK) {
    device_ = nullptr;
    ReportCreateFailure(result);
    return false;
  }
  KeepWorkingSize();
  return SetDeviceStates();
}

bool Vel_DX8_DirectGraphicsChannel::ResetDevice() {
  if (!device_ || !d3d_) {
    CreateD3D();
    if (!device_ || !d3d_) return false;
  }

  D3DDISPLAYMODE mode{};
  d3d_->GetAdapterDisplayMode(0, &mode);
  D3DFORMAT depth;
  if (windowed_) {
    depth = ChooseDepthFormat(0, mode.Format);
  } else {
    D3DDEVICE_CREATION_PARAMETERS creation{};
    device_->GetCreationParameters(&creation);
    depth = ChooseDepthFormat(creation.AdapterOrdinal, fullScreenMode_.Format);
  }

  presentParameters_ = {};
  presentParameters_.BackBufferWidth = static_cast<UINT>(backBufferWidth_);
  presentParameters_.BackBufferHeight = static_cast<UINT>(backBufferHeight_);
  presentParameters_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  presentParameters_.Windowed = windowed_;
  presentParameters_.EnableAutoDepthStencil = TRUE;
  presentParameters_.AutoDepthStencilFormat = depth;
  presentParameters_.hDeviceWindow = deviceWindow_;
  if (windowed_) {
    presentParameters_.BackBufferFormat = mode.Format;
  } else {
    presentParameters_.BackBufferFormat = fullScreenMode_.Format;
    presentParameters_.FullScreen_RefreshRateInHz = fullScreenMode_.RefreshRate;
  }

  InvalidateDeviceObjects();
  if (device_->Reset(&presentParameters_) == D3D_OK) {
    KeepWorkingSize();
    return SetDeviceStates();
  }

  // One complete re-creation; the users hold nothing since the invalidation.
  ReleaseDevice();
  ReleaseDirect3D();
  CreateD3D();
  if (!device_) return false;
  if (device_->Reset(&presentParameters_) == D3D_OK) {
    KeepWorkingSize();
    return SetDeviceStates();
  }

  if (engine) engine->errorFunctor("Failed to reset device");
  ReleaseDevice();
  ReleaseDirect3D();
  return false;
}

void Vel_DX8_DirectGraphicsChannel::CheckDeviceRestore() {
  if (device_) return;
  HWND window = EngineWindow();
  if (!window || GetActiveWindow() != window) return;
  if (static_cast<DWORD>(GetTickCount() - lastRestoreTick_) <= kRestoreIntervalMs) return;
  ResetDevice();
  lastRestoreTick_ = GetTickCount();
}

void Vel_DX8_DirectGraphicsChannel::SetFullScreenDeviceMode(D3DDISPLAYMODE mode, int adapter,
                                                            bool hardwareVertexProcessing, bool fullScreen) {
  if (!d3d_) {
    CreateD3D();
    if (!d3d_) return;
  }
  // The users drop their objects while the old device still exists, and the
  // pointer is cleared with the release: nothing can reach a released device
  // while the new one is made.
  DropDevice();

  windowed_ = fullScreen ? 0 : 1;
  HWND window = EngineWindow();
  if (window) SetWindowLongA(window, GWL_STYLE, windowed_ ? kWindowedStyle : kFullScreenStyle);

  fullScreenMode_ = mode;
  backBufferWidth_ = static_cast<int32_t>(mode.Width);
  backBufferHeight_ = static_cast<int32_t>(mode.Height);
  DWORD behaviour = hardwareVertexProcessing ? ChooseVertexProcessing() : D3DCREATE_SOFTWARE_VERTEXPROCESSING;

  D3DDISPLAYMODE current{};
  d3d_->GetAdapterDisplayMode(0, &current);
  D3DFORMAT depth =
      windowed_ ? ChooseDepthFormat(0, current.Format) : ChooseDepthFormat(static_cast<UINT>(adapter), mode.Format);

  presentParameters_ = {};
  presentParameters_.BackBufferFormat = mode.Format;
  presentParameters_.SwapEffect = D3DSWAPEFFECT_DISCARD;
  presentParameters_.EnableAutoDepthStencil = TRUE;
  presentParameters_.AutoDepthStencilFormat = depth;
  presentParameters_.Windowed = windowed_;
  presentParameters_.BackBufferWidth = mode.Width;
  presentParameters_.BackBufferHeight = mode.Height;
  presentParameters_.hDeviceWindow = window;
  if (windowed_) {
    presentParameters_.BackBufferWidth = presentParameters_.BackBufferHeight = 0;
    backBufferWidth_ = backBufferHeight_ = 0;
    presentParameters_.BackBufferFormat = current.Format;
  } else {
    presentParameters_.FullScreen_RefreshRateInHz = mode.RefreshRate;
  }

  HRESULT result =
      d3d_->CreateDevice(static_cast<UINT>(adapter), deviceType_, window, behaviour, &presentParameters_, &device_);
  if (result != D3D_OK) {
    device_ = nullptr;
    if (engine) engine->boxFunctor("Vel_DX8_DirectGraphicsChannel::SetFullScreenDeviceMode: Failed to create new device");
    backBufferWidth_ = 640;
    backBufferHeight_ = 400;
    presentParameters_.BackBufferWidth = 640;
    presentParameters_.BackBufferHeight = 400;
    // Only a second failure means the memory is short; a device made at the
    // smaller size is reported by the first box alone.
    if (d3d_->CreateDevice(static_cast<UINT>(adapter), deviceType_, window, behaviour, &presentParameters_,
                           &device_) != D3D_OK) {
      device_ = nullptr;
      if (engine) engine->boxFunctor("Vel_DX8_DirectGraphicsChannel::SetFullScreenDeviceMode: Out of video memory");
    }
  }
  if (device_) KeepWorkingSize();
  SetDeviceStates();
}

// ---------------------------------------------------------------------------
// Plain properties

IDirect3D8* Vel_DX8_DirectGraphicsChannel::GetDirect3d() { return d3d_; }

IDirect3DDevice8* Vel_DX8_DirectGraphicsChannel::GetDirect3dDevice() {
  if (!device_) CheckDeviceRestore();
  return device_;
}

void Vel_DX8_DirectGraphicsChannel::SetBackBufferSize(int width, int height) {
  if (backBufferWidth_ >= width && backBufferHeight_ >= height) return;
  if (backBufferWidth_ < width) backBufferWidth_ = width;
  if (backBufferHeight_ < height) backBufferHeight_ = height;
  ResetDevice();
  if (device_ || (backBufferWidth_ == workingWidth_ && backBufferHeight_ == workingHeight_)) return;
  // Before any device was made no size is known to work: the one asked for
  // stays for the first device.
  if (workingWidth_ <= 0 || workingHeight_ <= 0) return;
  // A size the adapter cannot make would fail every later restore too and
  // leave the engine without a device for good: the size goes back to the
  // last one a device was made with, and the refusal is reported once.
  if (engine)
    engine->errorFunctor(
        "Vel_DX8_DirectGraphicsChannel::SetBackBufferSize: No device at this size, the last size that worked is kept");
  backBufferWidth_ = workingWidth_;
  backBufferHeight_ = workingHeight_;
  ResetDevice();
}

int Vel_DX8_DirectGraphicsChannel::GetBackBufferWidth() { return backBufferWidth_; }
int Vel_DX8_DirectGraphicsChannel::GetBackBufferHeight() { return backBufferHeight_; }

void Vel_DX8_DirectGraphicsChannel::SetWindowMode(bool windowed) {
  windowed_ = windowed ? 1 : 0;
  ResetDevice();
}

bool Vel_DX8_DirectGraphicsChannel::GetWindowMode() { return windowed_ == 1; }
bool Vel_DX8_DirectGraphicsChannel::GetUseStencilBuffer() { return useStencil_; }

void Vel_DX8_DirectGraphicsChannel::SetWindowHandle(HWND window) {
  deviceWindow_ = window;
  ResetDevice();
}

void Vel_DX8_DirectGraphicsChannel::InvalidateDeviceObjects() {
  // Only channels that are device users alive now are called: anything else
  // linked into the slot is skipped.
  for (int i = 0; i < GetChildCount(); ++i)
    if (Vel_DX8_D3DDeviceUse* user = DeviceUser(i)) user->InvalidateDeviceObjects();
}

void Vel_DX8_DirectGraphicsChannel::SetDeviceType(D3DDEVTYPE type) { deviceType_ = type; }
D3DDEVTYPE Vel_DX8_DirectGraphicsChannel::GetDeviceType() { return deviceType_; }
HWND Vel_DX8_DirectGraphicsChannel::GetPresentWindow() { return presentWindow_; }
void Vel_DX8_DirectGraphicsChannel::SetPresentWindow(HWND window) { presentWindow_ = window; }
