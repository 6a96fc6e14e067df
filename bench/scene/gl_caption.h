// The scene demo's caption drawn with plain OpenGL as the text-output
// channel draws it: a 256 x 256 glyph atlas of 16-bit texels (white, the
// coverage in 4 bits of alpha), one quad of two triangles per character of
// screen-space vertices (28 bytes each) written into a fresh store of a
// 300-vertex buffer, drawn point-sampled, alpha-tested and blended, without
// depth or fog, one draw for up to 49 characters.
#pragma once

#include "gl_objects.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scenebench {

class GlCaption {
 public:
  static constexpr int kAtlasSize = 256;
  static constexpr int kVertexCount = 300;

  // Makes the atlas, the program and the buffer for a `screen` pixels square
  // frame.
  bool Init(int screen);
  void Destroy();
  // Draws `text` with its top left at pixel (x, y) in `color` (0xAARRGGBB),
  // "\n" starting a new line; leaves the program in use and blending,
  // depth and culling as they were before.
  void Draw(float x, float y, uint32_t color, const char* text);
  // Of the last call: characters drawn, draws made and bytes streamed.
  int Characters() const { return characters_; }
  int Draws() const { return draws_; }
  size_t StreamedBytes() const { return static_cast<size_t>(characters_) * 6 * sizeof(Vertex); }

 private:
  struct Vertex {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
  };
  static_assert(sizeof(Vertex) == 28);
  void Flush(int vertices);

  unsigned program_ = 0, atlas_ = 0;
  bench::GlBuffers buffers_;
  float glyphs_[96][4] = {};  // per character 32..127: its box in the atlas
  std::vector<Vertex> vertices_;
  int characters_ = 0, draws_ = 0;
};

}  // namespace scenebench
