// An OpenGL 3.3 core context on EGL without a window surface: each device
// renders into framebuffer objects of its own context and presents by copying
// pixels to its window.
#pragma once

#include <string>

namespace d3d8 {

class GlContext {
 public:
  GlContext() = default;
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  // Creates the context; false with a reason in error() when no display,
  // configuration or OpenGL 3.3 core context is available.
  bool Create();
  // Makes the context current on the calling thread when it is not already;
  // a context SDL made current there is released through SDL first, so SDL
  // binds it again before it next draws.
  void MakeCurrent();
  bool valid() const { return context_ != nullptr; }
  const std::string& error() const { return error_; }

  // True when some display in this process can give an OpenGL 3.3 context
  // (probed once and remembered).
  static bool Available();

 private:
  void* display_ = nullptr;
  void* context_ = nullptr;
  void* surface_ = nullptr;  // 1x1 pbuffer where surfaceless contexts are not offered
  std::string error_;
};

}  // namespace d3d8
