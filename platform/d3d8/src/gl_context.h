// The OpenGL 3.3 core context of a device. Devices without a window system
// to show frames in (headless runs, SDL's offscreen driver) get an EGL
// context without a window surface and render into framebuffer objects only.
// Devices whose window is an OpenGL window of a real window system get a
// context made by SDL for that window system instead, so that presenting can
// draw the frame into the window's own framebuffer and swap buffers; such a
// context is made current on a small hidden window of its own and stays on
// the window it last presented to.
#pragma once

#include <cstdint>
#include <string>

struct SDL_Window;

namespace d3d8 {

class GlContext {
 public:
  GlContext();
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  // Creates the context: for `window` when it can show OpenGL frames (and
  // `allowWindow`), else without a window; false with a reason in error()
  // when no OpenGL 3.3 core context is available.
  bool Create(SDL_Window* window, bool allowWindow);
  // Makes the context current on the calling thread when it is not already;
  // a context of the other kind (EGL or SDL) current there is released
  // first, through its own interface, so that each keeps a true record of
  // what is current.
  void MakeCurrent();
  // MakeCurrent for draws inside a scene: trusts this layer's own record of
  // what it last made current on the thread instead of asking the window
  // system, which costs a system call. Code that makes a context of its own
  // current without this layer is expected to do so outside scenes only:
  // BeginScene and every other call look again.
  void MakeCurrentForDraw();
  // Releases the context from the calling thread, before code that makes
  // its own context current without going through SDL's record (or SDL
  // itself, which cannot switch from an EGL context to one of another kind).
  void Release();
  bool valid() const { return context_ != nullptr; }
  const std::string& error() const { return error_; }

  // Whether frames can be shown in OpenGL windows with BeginWindowFrame.
  bool showsWindows() const { return anchor_ != nullptr; }
  // Draws to `window`'s own framebuffer (framebuffer 0) from now on; false
  // when the window cannot take it. EndWindowFrame swaps the window's
  // buffers with `interval` (0: immediately, n: after n vertical blanks).
  bool BeginWindowFrame(SDL_Window* window);
  void EndWindowFrame(SDL_Window* window, int interval);

  // True when some display in this process can give an OpenGL 3.3 context
  // (probed once and remembered).
  static bool Available();

 private:
  bool CreateEgl();
  bool CreateForWindow(SDL_Window* window);

  const uint64_t serial_;    // this context's number in the current-context record
  void* display_ = nullptr;  // EGL display
  void* context_ = nullptr;  // EGL context or SDL_GLContext
  void* surface_ = nullptr;  // 1x1 pbuffer where surfaceless contexts are not offered
  SDL_Window* anchor_ = nullptr;  // the hidden window of an SDL context
  int interval_ = -1;            // the swap interval last set, and for which window
  SDL_Window* intervalWindow_ = nullptr;
  std::string error_;
};

}  // namespace d3d8
