// The off-screen frame of a plain-OpenGL benchmark: a BGRA colour
// target, with a depth-stencil buffer when asked, and the read-back of each
// finished frame as the headless graphics layer presents one.
#pragma once

#include <cstdint>
#include <vector>

namespace bench {

class GlTarget {
 public:
  // Makes the target, binds it and sets the viewport to it; false when the
  // framebuffer is not complete.
  bool Create(int width, int height, bool depthStencil);
  bool Create(int size, bool depthStencil) { return Create(size, size, depthStencil); }
  void Bind() const;
  // Reads the frame back into Pixels().
  void ReadBack();
  const std::vector<uint8_t>& Pixels() const { return pixels_; }
  void Destroy();

 private:
  int width_ = 0, height_ = 0;
  unsigned fbo_ = 0, color_ = 0, depth_ = 0;
  std::vector<uint8_t> pixels_;
};

}  // namespace bench
