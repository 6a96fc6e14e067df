#include "gl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <SDL.h>

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

}  // namespace

GlContext::~GlContext() {
  if (!display_) return;
  EGLDisplay dpy = static_cast<EGLDisplay>(display_);
  if (eglGetCurrentContext() == static_cast<EGLContext>(context_))
    eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  if (context_) eglDestroyContext(dpy, static_cast<EGLContext>(context_));
  if (surface_) eglDestroySurface(dpy, static_cast<EGLSurface>(surface_));
}

bool GlContext::Create() {
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
    error_ = "the OpenGL context cannot be made current";
    return false;
  }
  return true;
}

void GlContext::MakeCurrent() {
  EGLContext ctx = static_cast<EGLContext>(context_);
  if (!ctx || eglGetCurrentContext() == ctx) return;
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
  eglMakeCurrent(static_cast<EGLDisplay>(display_), s, s, ctx);
}

bool GlContext::Available() {
  static int state = -1;
  if (state < 0) {
    GlContext probe;
    state = probe.Create() ? 1 : 0;
  }
  return state == 1;
}

}  // namespace d3d8
