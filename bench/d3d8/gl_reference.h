// The benchmark scene drawn with plain OpenGL 3.3: one program, uniforms per
// draw, the same mesh, textures and state changes.
#pragma once

#include "gl_context.h"
#include "gl_objects.h"
#include "gl_target.h"

namespace bench {

class GlRenderer {
 public:
  bool Init();
  void Shutdown();
  // One frame, finished by reading the image back as the layer's Present does.
  void Frame();

 private:
  GlContext gl_;
  GlBuffers buffers_;
  GlTarget target_;
  unsigned program_ = 0;
  unsigned textures_[2] = {};
  int locWvp_ = -1, locWorld_ = -1, locColor_ = -1;
};

}  // namespace bench
