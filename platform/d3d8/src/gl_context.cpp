#include "gl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <SDL.h>
#include <SDL_syswm.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace d3d8 {
namespace {

// One display for the process, initialised on first use and kept until the
// process ends: terminating it unloads the driver, and the software
// rasteriser then leaves memory of its compiled shaders unreachable.
std::mutex g_displayMutex;
EGLDisplay g_display = EGL_NO_DISPLAY;
bool g_surfacelessOk = false;

bool HasExtension(const char* list, const char* name) {
  if (!list) return false;
  size_t n = std::strlen(name);
  for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
    if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0')) return true;
  }
  return false;
}

EGLDisplay OpenDisplay() {
  const char* clientExt = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  auto getPlatformDisplay =
      reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
  if (getPlatformDisplay) {
    // A display that needs no window system at all comes first.
    if (HasExtension(clientExt, "EGL_MESA_platform_surfaceless")) {
      EGLDisplay d = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
      if (d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr)) return d;
    }
    if (HasExtension(clientExt, "EGL_EXT_platform_device")) {
      auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
      EGLDeviceEXT devices[8];
      EGLint count = 0;
      if (queryDevices && queryDevices(8, devices, &count)) {
        for (EGLint i = 0; i < count; ++i) {
          EGLDisplay d = getPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr);
          if (d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr)) return d;
        }
      }
    }
  }
  EGLDisplay d = eglGetDisplay(EGL_DEFAULT_DISPLAY);
  if (d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr)) return d;
  return EGL_NO_DISPLAY;
}

EGLDisplay AcquireDisplay() {
  std::lock_guard<std::mutex> lock(g_displayMutex);
  if (g_display == EGL_NO_DISPLAY) {
    g_display = OpenDisplay();
    if (g_display == EGL_NO_DISPLAY) return EGL_NO_DISPLAY;
    g_surfacelessOk = HasExtension(eglQueryString(g_display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context");
  }
  return g_display;
}

// Which context this layer last made current on this thread, by serial
// number (addresses come back after a context is destroyed), or 0 when the
// thread was handed to someone else or the record may be stale. Asking the
// window system which context is current costs a system call in the dispatch
// library; draws trust this record instead.
thread_local uint64_t tKnownCurrent = 0;
std::atomic<uint64_t> gNextSerial{1};

// Releases an EGL context current on this thread (of this device or
// another): the dispatch library lets only one kind of context be current.
void ReleaseEglContext() {
  tKnownCurrent = 0;
  if (eglGetCurrentContext() != EGL_NO_CONTEXT)
    eglMakeCurrent(eglGetCurrentDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
}

// SDL's context attributes that Create changes, restored afterwards so the
// rest of the program keeps its own settings.
class ContextAttributes {
 public:
  ContextAttributes() {
    for (size_t i = 0; i < kCount; ++i) SDL_GL_GetAttribute(kNames[i], &saved_[i]);
  }
  ~ContextAttributes() {
    for (size_t i = 0; i < kCount; ++i) SDL_GL_SetAttribute(kNames[i], saved_[i]);
  }
  ContextAttributes(const ContextAttributes&) = delete;
  ContextAttributes& operator=(const ContextAttributes&) = delete;

 private:
  static constexpr size_t kCount = 5;
  static constexpr SDL_GLattr kNames[kCount] = {SDL_GL_CONTEXT_MAJOR_VERSION, SDL_GL_CONTEXT_MINOR_VERSION,
                                                SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_FLAGS,
                                                SDL_GL_SHARE_WITH_CURRENT_CONTEXT};
  int saved_[kCount] = {};
};

}  // namespace

GlContext::GlContext() : serial_(gNextSerial.fetch_add(1)) {}

GlContext::~GlContext() {
  if (tKnownCurrent == serial_) tKnownCurrent = 0;
  if (anchor_) {
    // SDL releases the context first when it is current.
    if (context_) SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    SDL_DestroyWindow(anchor_);
    return;
  }
  if (!display_) return;
  EGLDisplay dpy = static_cast<EGLDisplay>(display_);
  if (eglGetCurrentContext() == static_cast<EGLContext>(context_))
    eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_) eglDestroyContext(dpy, static_cast<EGLContext>(context_));
  if (surface_) eglDestroySurface(dpy, static_cast<EGLSurface>(surface_));
}

bool GlContext::Create(SDL_Window* window, bool allowWindow) {
  if (window && allowWindow && CreateForWindow(window)) return true;
  return CreateEgl();
}

bool GlContext::CreateForWindow(SDL_Window* window) {
  // Only windows of a real window system, made for OpenGL, can show frames
  // through their own framebuffer; SDL's offscreen driver reports none.
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL) || !SDL_GetWindowWMInfo(window, &info) ||
      info.subsystem == SDL_SYSWM_UNKNOWN)
    return false;
  ReleaseEglContext();
  SDL_GLContext context = nullptr;
  {
    ContextAttributes keep;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
    SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
    // Windows made with the same attributes share one pixel format, so the
    // context can draw to the device window and to its own hidden one.
    anchor_ = SDL_CreateWindow("", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 1, 1,
                               SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (anchor_) context = SDL_GL_CreateContext(anchor_);
  }
  if (context && SDL_GL_MakeCurrent(window, context) == 0 && SDL_GL_MakeCurrent(anchor_, context) == 0) {
    context_ = context;
    return true;
  }
  if (context) SDL_GL_DeleteContext(context);
  if (anchor_) SDL_DestroyWindow(anchor_);
  anchor_ = nullptr;
  return false;
}

bool GlContext::CreateEgl() {
  EGLDisplay dpy = AcquireDisplay();
  if (dpy == EGL_NO_DISPLAY) {
    error_ = "no EGL display";
    return false;
  }
  display_ = dpy;
  if (!eglBindAPI(EGL_OPENGL_API)) {
    error_ = "EGL offers no desktop OpenGL";
    return false;
  }
  const EGLint configAttribs[] = {EGL_SURFACE_TYPE,    EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                  EGL_RED_SIZE,        8,               EGL_GREEN_SIZE,      8,
                                  EGL_BLUE_SIZE,       8,               EGL_ALPHA_SIZE,      8,
                                  EGL_NONE};
  EGLConfig config = nullptr;
  EGLint count = 0;
  if (!eglChooseConfig(dpy, configAttribs, &config, 1, &count) || count == 0) {
    // Surfaceless displays may offer configurations without pbuffer support.
    const EGLint anyAttribs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    if (!eglChooseConfig(dpy, anyAttribs, &config, 1, &count) || count == 0) {
      error_ = "no EGL configuration for OpenGL";
      return false;
    }
  }
  const EGLint contextAttribs[] = {EGL_CONTEXT_MAJOR_VERSION,
                                   3,
                                   EGL_CONTEXT_MINOR_VERSION,
                                   3,
                                   EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                   EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                   EGL_NONE};
  EGLContext ctx = eglCreateContext(dpy, config, EGL_NO_CONTEXT, contextAttribs);
  if (ctx == EGL_NO_CONTEXT) {
    error_ = "no OpenGL 3.3 core context";
    return false;
  }
  context_ = ctx;
  if (!g_surfacelessOk) {
    const EGLint pbufferAttribs[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
    EGLSurface s = eglCreatePbufferSurface(dpy, config, pbufferAttribs);
    if (s == EGL_NO_SURFACE) {
      error_ = "no surface for the OpenGL context";
      return false;
    }
    surface_ = s;
  }
  EGLSurface s = surface_ ? static_cast<EGLSurface>(surface_) : EGL_NO_SURFACE;
  if (!eglMakeCurrent(dpy, s, s, ctx)) {
    tKnownCurrent = 0;
    error_ = "the OpenGL context cannot be made current";
    return false;
  }
  tKnownCurrent = serial_;
  return true;
}

void GlContext::MakeCurrent() {
  if (anchor_) {
    // Current on the hidden window or on the window last presented to: both
    // draw the same. SDL takes the context off a window it destroys, so a
    // window that is gone is never drawn to; the hidden window takes over.
    SDL_GLContext context = static_cast<SDL_GLContext>(context_);
    if (SDL_GL_GetCurrentContext() == context) return;
    ReleaseEglContext();
    SDL_GL_MakeCurrent(anchor_, context);
    return;
  }
  EGLContext ctx = static_cast<EGLContext>(context_);
  if (!ctx) return;
  if (eglGetCurrentContext() == ctx) {
    tKnownCurrent = serial_;
    return;
  }
  // SDL draws accelerated window surfaces (those Present copies frames into)
  // with an OpenGL context of its own, and remembers which context it made
  // current on this thread: while it believes its context still is, it does
  // not bind it again and its drawing lands in whatever context is current.
  // Taking the thread from under it would leave that belief stale and let
  // SDL bind its textures and programs in this context, so SDL gives its
  // context up first and binds it again when it next draws.
  if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GL_GetCurrentContext()) SDL_GL_MakeCurrent(nullptr, nullptr);
  EGLSurface s = surface_ ? static_cast<EGLSurface>(surface_) : EGL_NO_SURFACE;
  eglBindAPI(EGL_OPENGL_API);
  if (eglMakeCurrent(static_cast<EGLDisplay>(display_), s, s, ctx)) tKnownCurrent = serial_;
}

void GlContext::MakeCurrentForDraw() {
  if (!anchor_ && context_ && tKnownCurrent == serial_) return;
  MakeCurrent();
}

void GlContext::Release() {
  if (anchor_) {
    if (SDL_GL_GetCurrentContext() == static_cast<SDL_GLContext>(context_)) SDL_GL_MakeCurrent(nullptr, nullptr);
  } else {
    ReleaseEglContext();
  }
}

bool GlContext::BeginWindowFrame(SDL_Window* window) {
  if (!anchor_ || !window || !(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) return false;
  SDL_GLContext context = static_cast<SDL_GLContext>(context_);
  // The context stays on the window after the frame: binding a drawable
  // makes some drivers set up the window's buffers anew, which costs far
  // more than the frame itself.
  if (SDL_GL_GetCurrentContext() == context && SDL_GL_GetCurrentWindow() == window) return true;
  ReleaseEglContext();
  if (SDL_GL_MakeCurrent(window, context) == 0) return true;
  SDL_GL_MakeCurrent(anchor_, context);
  return false;
}

void GlContext::EndWindowFrame(SDL_Window* window, int interval) {
  // The interval belongs to the context or the drawable depending on the
  // window system; setting it again only when it changes costs nothing.
  if ((interval != interval_ || window != intervalWindow_) && SDL_GL_SetSwapInterval(interval) == 0) {
    interval_ = interval;
    intervalWindow_ = window;
  }
  SDL_GL_SwapWindow(window);
}

bool GlContext::Available() {
  static int state = -1;
  if (state < 0) {
    GlContext probe;
    state = probe.CreateEgl() ? 1 : 0;
  }
  return state == 1;
}

}  // namespace d3d8
