// Device creation, reset, lifetime, resources, render targets, scenes and
// clearing.
#include "device.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "buffers.h"
#include "caps.h"
#include "cube_texture.h"
#include "debug_hooks.h"
#include "device_child.h"
#include "direct3d8.h"
#include "format.h"
#include "frame_png.h"
#include "matrix_math.h"
#include "query_interface.h"
#include "state_block.h"
#include "surface.h"
#include "texture.h"
#include "window_link.h"

namespace d3d8 {
namespace {

// A windowed device without a window to take its size from gets this back
// buffer.
constexpr UINT kDefaultBackBufferWidth = 640;
constexpr UINT kDefaultBackBufferHeight = 480;

}  // namespace

// ---------------------------------------------------------------------------
// Creation and lifetime
// ---------------------------------------------------------------------------

HRESULT Device::ValidatePresentParameters(const D3DPRESENT_PARAMETERS& pp, D3DFORMAT displayFormat) {
  if (pp.SwapEffect < D3DSWAPEFFECT_DISCARD || pp.SwapEffect > D3DSWAPEFFECT_COPY_VSYNC) return D3DERR_INVALIDCALL;
  if (pp.BackBufferCount > 3) return D3DERR_INVALIDCALL;
  if (pp.MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
  if (pp.Flags & ~static_cast<DWORD>(D3DPRESENTFLAG_LOCKABLE_BACKBUFFER)) return D3DERR_INVALIDCALL;
  const FormatInfo* bb = GetFormatInfo(pp.BackBufferFormat);
  if (pp.Windowed) {
    // A windowed back buffer has the desktop's format.
    if (pp.BackBufferFormat != displayFormat) return D3DERR_INVALIDCALL;
  } else {
    if (!bb || !bb->renderTarget || !IsDisplayFormat(pp.BackBufferFormat)) return D3DERR_INVALIDCALL;
    if (pp.BackBufferWidth == 0 || pp.BackBufferHeight == 0) return D3DERR_INVALIDCALL;
  }
  if (pp.BackBufferWidth > kMaxTextureSize || pp.BackBufferHeight > kMaxTextureSize) return D3DERR_INVALIDCALL;
  if (pp.EnableAutoDepthStencil && !IsDepthFormat(pp.AutoDepthStencilFormat)) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT Device::Create(Direct3D8* d3d, UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* pp, IDirect3DDevice8** out) {
  if (!out) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (!pp || adapter != 0) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  const DWORD vp = behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                    D3DCREATE_MIXED_VERTEXPROCESSING);
  if (vp != D3DCREATE_SOFTWARE_VERTEXPROCESSING && vp != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      vp != D3DCREATE_MIXED_VERTEXPROCESSING)
    return D3DERR_INVALIDCALL;
  HRESULT hr = ValidatePresentParameters(*pp, d3d->DesktopMode().Format);
  if (FAILED(hr)) return hr;
  if (!pp->Windowed && !focusWindow && !pp->hDeviceWindow) return D3DERR_INVALIDCALL;
  hr = TakeCreateDeviceFailure();
  if (FAILED(hr)) return hr;

  D3DDEVICE_CREATION_PARAMETERS creation = {adapter, type, focusWindow, behaviorFlags};
  Device* device = new Device(d3d, creation);
  device->deviceWindow_ = pp->hDeviceWindow ? pp->hDeviceWindow : focusWindow;
  device->framePngPath_ = FramePngPathFromEnvironment();
  hr = device->InitGl();
  if (SUCCEEDED(hr)) hr = device->CreateImplicitSurfaces(pp);
  if (FAILED(hr)) {
    device->Release();
    return hr;
  }
  device->ResetStateToDefaults();
  device->ApplyWindowMode();
  *out = device;
  return D3D_OK;
}

Device::Device(Direct3D8* d3d, const D3DDEVICE_CREATION_PARAMETERS& creation) : d3d_(d3d), creation_(creation) {
  NoteObjectCreated();
  d3d_->AddRef();
  FillDeviceCaps(creation.DeviceType, creation.AdapterOrdinal, &caps_);
  for (auto& v : groupVersion_) v = 1;
}

Device::~Device() {
  destroying_ = true;
  MakeCurrent();
  if (gl_.valid()) WriteFrameFile();
  delete recording_;
  recording_ = nullptr;
  stateBlocks_.clear();
  state_.ReleaseBindings();
  BindRef<Surface>(renderTarget_, nullptr);
  BindRef<Surface>(depthStencil_, nullptr);
  DestroyImplicitSurfaces();
  if (cursor_) SDL_FreeCursor(cursor_);
  if (gl_.valid()) {
    for (auto& entry : samplerCache_) glDeleteSamplers(1, &entry.second);
    GLuint buffers[2] = {upVertexBuffer_, upIndexBuffer_};
    glDeleteBuffers(2, buffers);
    glDeleteFramebuffers(1, &fbo_);
    glDeleteFramebuffers(1, &readFbo_);
    glDeleteFramebuffers(1, &copyFbo_);
    glDeleteTextures(1, &frontTexture_);
    if (instanceBuffer_) glDeleteBuffers(1, &instanceBuffer_);
    glBindVertexArray(0);
    glDeleteVertexArrays(1, &vao_);
  }
  d3d_->Release();
  NoteObjectDestroyed();
}

HRESULT Device::InitGl() {
  // A device on an OpenGL window of a real window system shows its frames
  // through that window's framebuffer; any other renders off screen.
  if (!gl_.Create(Window(deviceWindow_), !ReadBackPresentForced())) {
    std::fprintf(stderr, "d3d8: %s\n", gl_.error().c_str());
    return D3DERR_NOTAVAILABLE;
  }
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenFramebuffers(1, &fbo_);
  glGenFramebuffers(1, &readFbo_);
  glGenFramebuffers(1, &copyFbo_);
  // Cube textures filter across the edges of their faces.
  glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);
  glGenBuffers(1, &upVertexBuffer_);
  glGenBuffers(1, &upIndexBuffer_);
  glEnable(GL_PROGRAM_POINT_SIZE);
  glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
  // Flat shading takes the colour of a primitive's first vertex.
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GLint major = 0, minor = 0, extensions = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  mirrorOnce_ = major > 4 || (major == 4 && minor >= 4);
  glGetIntegerv(GL_NUM_EXTENSIONS, &extensions);
  for (GLint i = 0; i < extensions && !mirrorOnce_; ++i) {
    const char* e = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
    if (e && (std::strcmp(e, "GL_ARB_texture_mirror_clamp_to_edge") == 0 ||
              std::strcmp(e, "GL_EXT_texture_mirror_clamp") == 0))
      mirrorOnce_ = true;
  }
  return D3D_OK;
}

HRESULT Device::CreateImplicitSurfaces(D3DPRESENT_PARAMETERS* pp) {
  deviceWindow_ = pp->hDeviceWindow ? pp->hDeviceWindow : creation_.hFocusWindow;
  if (pp->Windowed && (pp->BackBufferWidth == 0 || pp->BackBufferHeight == 0)) {
    // A windowed device takes the missing size from the window's client area.
    int w = 0, h = 0;
    if (!WindowClientSize(deviceWindow_, &w, &h)) {
      w = kDefaultBackBufferWidth;
      h = kDefaultBackBufferHeight;
    }
    if (pp->BackBufferWidth == 0) pp->BackBufferWidth = static_cast<UINT>(w);
    if (pp->BackBufferHeight == 0) pp->BackBufferHeight = static_cast<UINT>(h);
  }
  if (pp->BackBufferCount == 0) pp->BackBufferCount = 1;
  HRESULT hr;
  backBuffer_ = Surface::CreateRenderTarget(this, pp->BackBufferWidth, pp->BackBufferHeight, pp->BackBufferFormat,
                                            (pp->Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0, true, &hr);
  if (!backBuffer_) return hr;
  if (pp->EnableAutoDepthStencil) {
    autoDepth_ = Surface::CreateDepthStencil(this, pp->BackBufferWidth, pp->BackBufferHeight,
                                             pp->AutoDepthStencilFormat, true, &hr);
    if (!autoDepth_) return hr;
  }
  BindRef<Surface>(renderTarget_, backBuffer_);
  BindRef<Surface>(depthStencil_, autoDepth_);
  pp_ = *pp;
  dirty_ |= kDirtyFramebuffer;
  // The new back buffer starts black.
  BindFramebuffer();
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFF);
  glClearColor(0, 0, 0, 0);
  glClearDepth(1.0);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | (autoDepth_ ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT : 0));
  dirty_ |= kDirtyRaster;
  if (!frontTexture_) {
    // Until a frame is presented the front buffer is black, of the back
    // buffer's size.
    frontWidth_ = pp->BackBufferWidth;
    frontHeight_ = pp->BackBufferHeight;
  }
  return D3D_OK;
}

void Device::DestroyImplicitSurfaces() {
  if (backBuffer_) backBuffer_->DestroyOwned();
  if (autoDepth_) autoDepth_->DestroyOwned();
  backBuffer_ = nullptr;
  autoDepth_ = nullptr;
}

void Device::ResetStateToDefaults() {
  SetDefaultRenderStates(state_.renderStates, pp_.EnableAutoDepthStencil != 0,
                         (creation_.BehaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) != 0);
  SetDefaultStageStates(state_.stageStates);
  for (D3DMATRIX& m : state_.transforms) m = IdentityMatrix();
  textureMatrixIdentity_ = 0xFF;
  state_.viewport = {0, 0, renderTarget_->width(), renderTarget_->height(), 0.0f, 1.0f};
  state_.material = D3DMATERIAL8{};
  state_.lights.clear();
  state_.ReleaseBindings();
  state_.baseVertexIndex = 0;
  for (UINT& s : state_.strides) s = 0;
  state_.vertexShader = 0;
  state_.pixelShader = 0;
  dirty_ = ~0u;
  samplerDirty_ = 0xFF;
  for (auto& v : groupVersion_) ++v;
  keyValid_ = false;
  layoutValid_ = false;
}

SDL_Window* Device::Window(HWND hwnd) const { return LookupSdlWindow(hwnd); }

void Device::ApplyWindowMode() {
  SDL_Window* w = Window(deviceWindow_);
  if (!w) return;
  if (!pp_.Windowed) {
    SDL_SetWindowSize(w, static_cast<int>(pp_.BackBufferWidth), static_cast<int>(pp_.BackBufferHeight));
    SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN);
    fullScreenApplied_ = true;
  } else if (fullScreenApplied_) {
    SDL_SetWindowFullscreen(w, 0);
    fullScreenApplied_ = false;
  }
}

HRESULT Device::QueryInterface(REFIID riid, void** ppvObj) {
  return QueryInterfaceOf<IDirect3DDevice8>(this, riid, ppvObj, {IID_IDirect3DDevice8});
}

ULONG Device::AddRef() { return ++refs_; }

ULONG Device::Release() {
  if (refs_ == 0) return 0;
  ULONG left = --refs_;
  if (left == 0) {
    delete this;
    return 0;
  }
  // Every remaining reference belongs to an object the application has not
  // released: report the leak.
  if (left == childRefs_ && !destroying_)
    std::fprintf(stderr, "d3d8: device released while %u object(s) made by it are still referenced\n",
                 static_cast<unsigned>(left));
  return left;
}

void Device::RegisterChild(DeviceChild* child) { children_.push_back(child); }

void Device::UnregisterChild(DeviceChild* child) {
  auto it = std::find(children_.rbegin(), children_.rend(), child);
  if (it != children_.rend()) {
    *it = children_.back();
    children_.pop_back();
  }
}

void Device::AcquireChildReference() {
  ++childRefs_;
  AddRef();
}

void Device::ReleaseChildReference() {
  --childRefs_;
  Release();
}

void Device::ForgetGlTexture(GLuint texture) {
  if (batch_.count) MakeCurrent();
  for (GLuint& b : boundTexture_)
    if (b == texture) b = 0;
  if (attachedColor_ == texture) attachedColor_ = 0;
}

void Device::ForgetGlBuffer(GLuint buffer) {
  if (batch_.count) MakeCurrent();
  if (layout_.buffer == buffer) layoutValid_ = false;
  if (boundElementBuffer_ == buffer) boundElementBuffer_ = 0;
}

void Device::ForgetSurface(Surface*) {
  if (batch_.count) MakeCurrent();
  dirty_ |= kDirtyFramebuffer;
}

// ---------------------------------------------------------------------------
// Device information
// ---------------------------------------------------------------------------

HRESULT Device::TestCooperativeLevel() {
  // An OpenGL context is never lost to another application; only a loss
  // simulated for tests has to be answered by a reset.
  return lost_ ? D3DERR_DEVICENOTRESET : D3D_OK;
}

UINT Device::GetAvailableTextureMem() { return 256u * 1024u * 1024u; }

HRESULT Device::ResourceManagerDiscardBytes(DWORD) { return D3D_OK; }

HRESULT Device::GetDirect3D(IDirect3D8** ppD3D8) {
  if (!ppD3D8) return D3DERR_INVALIDCALL;
  d3d_->AddRef();
  *ppD3D8 = d3d_;
  return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* pCaps) {
  if (!pCaps) return D3DERR_INVALIDCALL;
  *pCaps = caps_;
  return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* pMode) {
  if (!pMode) return D3DERR_INVALIDCALL;
  if (pp_.Windowed) {
    *pMode = d3d_->DesktopMode();
  } else {
    *pMode = {pp_.BackBufferWidth, pp_.BackBufferHeight,
              pp_.FullScreen_RefreshRateInHz ? pp_.FullScreen_RefreshRateInHz : 60, pp_.BackBufferFormat};
  }
  return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* pParameters) {
  if (!pParameters) return D3DERR_INVALIDCALL;
  *pParameters = creation_;
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Reset
// ---------------------------------------------------------------------------

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* pp) {
  if (!pp) return D3DERR_INVALIDCALL;
  HRESULT hr = ValidatePresentParameters(*pp, d3d_->DesktopMode().Format);
  if (FAILED(hr)) return hr;
  if (!pp->Windowed && !creation_.hFocusWindow && !pp->hDeviceWindow) return D3DERR_INVALIDCALL;
  // Objects in the default pool, and held references to the back buffer or
  // depth buffer, must be released before a reset.
  for (DeviceChild* child : children_)
    if (child->BlocksReset()) return D3DERR_INVALIDCALL;
  hr = TakeResetFailure();
  if (FAILED(hr)) return hr;

  MakeCurrent();
  delete recording_;
  recording_ = nullptr;
  state_.ReleaseBindings();
  BindRef<Surface>(renderTarget_, nullptr);
  BindRef<Surface>(depthStencil_, nullptr);
  DestroyImplicitSurfaces();
  hr = CreateImplicitSurfaces(pp);
  if (FAILED(hr)) {
    // Without a back buffer the device cannot draw; fall back to the old
    // size so that the device stays usable for another reset.
    D3DPRESENT_PARAMETERS fallback = pp_;
    fallback.BackBufferWidth = kDefaultBackBufferWidth;
    fallback.BackBufferHeight = kDefaultBackBufferHeight;
    DestroyImplicitSurfaces();
    CreateImplicitSurfaces(&fallback);
    ResetStateToDefaults();
    return hr;
  }
  ResetStateToDefaults();
  ApplyWindowMode();
  lost_ = false;
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// Resources
// ---------------------------------------------------------------------------

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture8** ppTexture) {
  if (!ppTexture) return D3DERR_INVALIDCALL;
  *ppTexture = nullptr;
  HRESULT hr = TakeCreateTextureFailure();
  if (FAILED(hr)) return hr;
  Texture* t = Texture::Create(this, width, height, levels, usage, format, pool, &hr);
  *ppTexture = t;
  return hr;
}

HRESULT Device::CreateCubeTexture(UINT edgeLength, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DCubeTexture8** ppCubeTexture) {
  if (!ppCubeTexture) return D3DERR_INVALIDCALL;
  HRESULT hr;
  *ppCubeTexture = CubeTexture::Create(this, edgeLength, levels, usage, format, pool, &hr);
  return hr;
}

TextureKind Device::StageTextureKind(DWORD stage) const {
  return stage < kStageCount ? TextureKindOf(state_.textures[stage]) : TextureKind::None;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer8** ppVertexBuffer) {
  if (!ppVertexBuffer) return D3DERR_INVALIDCALL;
  HRESULT hr;
  *ppVertexBuffer = VertexBuffer::Create(this, length, usage, fvf, pool, &hr);
  return hr;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer8** ppIndexBuffer) {
  if (!ppIndexBuffer) return D3DERR_INVALIDCALL;
  HRESULT hr;
  *ppIndexBuffer = IndexBuffer::Create(this, length, usage, format, pool, &hr);
  return hr;
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                   BOOL lockable, IDirect3DSurface8** ppSurface) {
  if (!ppSurface) return D3DERR_INVALIDCALL;
  *ppSurface = nullptr;
  if (multiSample != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
  HRESULT hr;
  *ppSurface = Surface::CreateRenderTarget(this, width, height, format, lockable != 0, false, &hr);
  return hr;
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE multiSample, IDirect3DSurface8** ppSurface) {
  if (!ppSurface) return D3DERR_INVALIDCALL;
  *ppSurface = nullptr;
  if (multiSample != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
  HRESULT hr;
  *ppSurface = Surface::CreateDepthStencil(this, width, height, format, false, &hr);
  return hr;
}

HRESULT Device::CreateImageSurface(UINT width, UINT height, D3DFORMAT format, IDirect3DSurface8** ppSurface) {
  if (!ppSurface) return D3DERR_INVALIDCALL;
  HRESULT hr;
  *ppSurface = Surface::CreateImage(this, width, height, format, &hr);
  return hr;
}

// ---------------------------------------------------------------------------
// Render targets
// ---------------------------------------------------------------------------

HRESULT Device::GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE, IDirect3DSurface8** ppBackBuffer) {
  if (!ppBackBuffer) return D3DERR_INVALIDCALL;
  *ppBackBuffer = nullptr;
  if (backBuffer >= pp_.BackBufferCount || !backBuffer_) return D3DERR_INVALIDCALL;
  backBuffer_->AddRef();
  *ppBackBuffer = backBuffer_;
  return D3D_OK;
}

HRESULT Device::SetRenderTarget(IDirect3DSurface8* pRenderTarget, IDirect3DSurface8* pNewZStencil) {
  Surface* rt = pRenderTarget ? static_cast<Surface*>(pRenderTarget) : renderTarget_;
  Surface* ds = static_cast<Surface*>(pNewZStencil);
  if (!rt || !rt->IsColorTarget() || rt->device() != this) return D3DERR_INVALIDCALL;
  if (ds && (!ds->IsDepthStencil() || ds->device() != this)) return D3DERR_INVALIDCALL;
  // The depth buffer must cover the whole render target.
  if (ds && (ds->width() < rt->width() || ds->height() < rt->height())) return D3DERR_INVALIDCALL;
  BindRef<Surface>(renderTarget_, rt);
  BindRef<Surface>(depthStencil_, ds);
  // A new render target resets the viewport to the whole target.
  state_.viewport = {0, 0, rt->width(), rt->height(), 0.0f, 1.0f};
  dirty_ |= kDirtyFramebuffer | kDirtyViewport | kDirtyRaster;
  BumpGroup(kGroupViewport);
  BumpGroup(kGroupTransform);
  BumpGroup(kGroupPoint);
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(IDirect3DSurface8** ppRenderTarget) {
  if (!ppRenderTarget) return D3DERR_INVALIDCALL;
  renderTarget_->AddRef();
  *ppRenderTarget = renderTarget_;
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** ppZStencilSurface) {
  if (!ppZStencilSurface) return D3DERR_INVALIDCALL;
  *ppZStencilSurface = depthStencil_;
  if (!depthStencil_) return D3DERR_NOTFOUND;
  depthStencil_->AddRef();
  return D3D_OK;
}

void Device::BindFramebuffer() {
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo_);
  GLuint color = renderTarget_ ? renderTarget_->colorTexture() : 0;
  GLenum target = renderTarget_ ? renderTarget_->colorTarget() : GL_TEXTURE_2D;
  GLint level = renderTarget_ ? renderTarget_->colorLevel() : 0;
  if (color != attachedColor_ || target != attachedTarget_ || level != attachedLevel_) {
    glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target, color, level);
    attachedColor_ = color;
    attachedTarget_ = target;
    attachedLevel_ = level;
  }
  GLuint depth = depthStencil_ ? depthStencil_->renderbuffer() : 0;
  bool stencil = depthStencil_ && depthStencil_->info().stencil;
  if (depth != attachedDepth_ || stencil != attachedStencil_) {
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    if (depth)
      glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                GL_RENDERBUFFER, depth);
    attachedDepth_ = depth;
    attachedStencil_ = stencil;
  }
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  dirty_ &= ~kDirtyFramebuffer;
}

// ---------------------------------------------------------------------------
// Scenes and clearing
// ---------------------------------------------------------------------------

HRESULT Device::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  // The scene's draws trust the current-context record from here on.
  MakeCurrent();
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  MakeCurrent();
  glFlush();
  return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* pRects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
  if (flags & ~static_cast<DWORD>(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_ZBUFFER) && !depthStencil_) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_STENCIL) && (!depthStencil_ || !depthStencil_->info().stencil)) return D3DERR_INVALIDCALL;
  if (count > 0 && !pRects) return D3DERR_INVALIDCALL;
  MakeCurrent();
  if (dirty_ & kDirtyFramebuffer) BindFramebuffer();
  GLbitfield mask = 0;
  if (flags & D3DCLEAR_TARGET) mask |= GL_COLOR_BUFFER_BIT;
  if (flags & D3DCLEAR_ZBUFFER) mask |= GL_DEPTH_BUFFER_BIT;
  if (flags & D3DCLEAR_STENCIL) mask |= GL_STENCIL_BUFFER_BIT;
  if (!mask) return D3D_OK;
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFF);
  glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
               ((color >> 24) & 0xFF) / 255.0f);
  glClearDepth(std::clamp(z, 0.0f, 1.0f));
  glClearStencil(static_cast<GLint>(stencil & 0xFF));
  glEnable(GL_SCISSOR_TEST);
  // The viewport limits the cleared area.
  const D3DVIEWPORT8& vp = state_.viewport;
  const LONG vx1 = static_cast<LONG>(vp.X), vy1 = static_cast<LONG>(vp.Y);
  const LONG vx2 = vx1 + static_cast<LONG>(vp.Width), vy2 = vy1 + static_cast<LONG>(vp.Height);
  auto clearRect = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
    x1 = std::max(x1, vx1);
    y1 = std::max(y1, vy1);
    x2 = std::min(x2, vx2);
    y2 = std::min(y2, vy2);
    if (x2 <= x1 || y2 <= y1) return;
    glScissor(x1, y1, x2 - x1, y2 - y1);
    glClear(mask);
  };
  if (count == 0) {
    clearRect(vx1, vy1, vx2, vy2);
  } else {
    for (DWORD i = 0; i < count; ++i) clearRect(pRects[i].x1, pRects[i].y1, pRects[i].x2, pRects[i].y2);
  }
  glDisable(GL_SCISSOR_TEST);
  dirty_ |= kDirtyRaster;
  return D3D_OK;
}

// ---------------------------------------------------------------------------

}  // namespace d3d8
