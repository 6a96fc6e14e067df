// The text benchmark's work written directly against OpenGL 3.3: the same
// glyph quads of transformed vertices, streamed 300 vertices at a time into
// one buffer, alpha-tested and blended over an atlas of the same size.
#pragma once

#include "gl_context.h"
#include "gl_objects.h"
#include "gl_target.h"

#include <cstdint>
#include <vector>

namespace bench {

struct GlyphTable {
  float box[96][4];  // tx1, ty1, tx2, ty2 of characters 32..127
  unsigned atlasSize;
  std::vector<uint16_t> atlas;  // A4R4G4B4 texels, rows of atlasSize
};

class GlTextRenderer {
 public:
  bool Init(const GlyphTable& glyphs, int targetSize);
  void Shutdown();
  // Draws `text` at (x, y), then reads the image back.
  void Frame(const char* text, float x, float y);

 private:
  void Flush(unsigned vertices);

  GlyphTable glyphs_{};
  GlContext gl_;
  GlBuffers buffers_;
  GlTarget target_;
  unsigned program_ = 0, atlas_ = 0;
  std::vector<uint8_t> vertices_;
};

}  // namespace bench
