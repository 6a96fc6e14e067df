// The benchmark scene drawn with plain OpenGL 3.3: one program, uniforms per
// draw, the same mesh, textures and state changes.
#pragma once

#include "gl_context.h"

#include <cstdint>
#include <vector>

namespace bench {

class GlRenderer {
 public:
  bool Init();
  void Shutdown();
  // One frame, finished by reading the image back as the layer's Present does.
  void Frame();

 private:
  GlContext gl_;
  unsigned program_ = 0, vao_ = 0, vbo_ = 0, ibo_ = 0, fbo_ = 0, color_ = 0, depth_ = 0;
  unsigned textures_[2] = {};
  int locWvp_ = -1, locWorld_ = -1, locColor_ = -1;
  std::vector<uint8_t> readback_;
};

}  // namespace bench
