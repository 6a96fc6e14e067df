#include "gl_caption.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "gl_context.h"
#include "glyph_shader.h"

namespace scenebench {
namespace {

// Screen-space vertices as the headless layer places them: pixel centres
// on the frame's pixel grid.
const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aUv;
uniform float uScreen;
out vec4 vColor;
out vec2 vUv;
void main() {
  vec2 p = (aPos.xy + 0.5) / uScreen;
  gl_Position = vec4(p.x * 2.0 - 1.0, 1.0 - p.y * 2.0, aPos.z * 2.0 - 1.0, 1.0);
  vColor = aColor;
  vUv = aUv;
}
)";

// Glyph cells about as large as a 14-point face's at 96 pixels an inch:
// 22 pixels high, 5 to 11 wide.
constexpr int kGlyphHeight = 22;
int GlyphWidth(int c) { return c == ' ' ? 5 : 6 + (c * 5) % 6; }

}  // namespace

bool GlCaption::Init(int screen) {
  // The atlas: each glyph a box of strokes, white with coverage as alpha
  // (4 bits, A4R4G4B4 texels).
  std::vector<uint16_t> texels(kAtlasSize * kAtlasSize, 0);
  int x = 0, y = 0;
  for (int c = 32; c < 127; ++c) {
    const int w = GlyphWidth(c);
    if (x + w + 1 > kAtlasSize) x = 0, y += kGlyphHeight + 1;
    for (int j = 4; j < kGlyphHeight - 4 && c != ' '; ++j)
      for (int i = 1; i < w - 1; ++i)
        if ((i + j + c) % 3 != 0) texels[(y + j) * kAtlasSize + x + i] = 0xFFFF;
    float* g = glyphs_[c - 32];
    g[0] = static_cast<float>(x) / kAtlasSize, g[1] = static_cast<float>(y) / kAtlasSize;
    g[2] = static_cast<float>(x + w) / kAtlasSize, g[3] = static_cast<float>(y + kGlyphHeight) / kAtlasSize;
    x += w + 1;
  }
  atlas_ = bench::SingleLevelTexture(kAtlasSize, kAtlasSize, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV,
                                     texels.data(), GL_NEAREST);
  program_ = bench::BuildProgram(kVertexShader, bench::kGlyphFragmentShader);
  if (!program_ || !atlas_) return false;
  glUniform1f(glGetUniformLocation(program_, "uScreen"), static_cast<float>(screen));
  glUniform1i(glGetUniformLocation(program_, "uAtlas"), 0);
  buffers_.Create(nullptr, kVertexCount * sizeof(Vertex), GL_STREAM_DRAW);
  buffers_.Attribute(0, 4, GL_FLOAT, false, sizeof(Vertex), 0);
  buffers_.Attribute(1, GL_BGRA, GL_UNSIGNED_BYTE, true, sizeof(Vertex), 16);
  buffers_.Attribute(2, 2, GL_FLOAT, false, sizeof(Vertex), 20);
  vertices_.reserve(kVertexCount);
  return true;
}

void GlCaption::Destroy() {
  buffers_.Destroy();
  if (atlas_) glDeleteTextures(1, &atlas_);
  if (program_) glDeleteProgram(program_);
  atlas_ = program_ = 0;
}

void GlCaption::Flush(int vertices) {
  buffers_.Stream(vertices_.data(), static_cast<size_t>(vertices) * sizeof(Vertex));
  glDrawArrays(GL_TRIANGLES, 0, vertices);
  vertices_.clear();
  ++draws_;
}

void GlCaption::Draw(float x, float y, uint32_t color, const char* text) {
  glUseProgram(program_);
  glBindVertexArray(buffers_.vao);
  glBindBuffer(GL_ARRAY_BUFFER, buffers_.vbo);
  glBindTexture(GL_TEXTURE_2D, atlas_);
  glEnable(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  characters_ = draws_ = 0;
  const float lineStep = (glyphs_[0][3] - glyphs_[0][1]) * kAtlasSize;
  float sx = x, sy = y;
  for (const char* p = text; *p; ++p) {
    if (*p == '\n') {
      sx = x, sy += lineStep;
      continue;
    }
    if (*p < 32 || *p > 126) continue;
    const float* g = glyphs_[*p - 32];
    const float w = (g[2] - g[0]) * kAtlasSize, h = (g[3] - g[1]) * kAtlasSize;
    const float l = sx - 0.5f, r = sx + w - 0.5f, t = sy - 0.5f, b = sy + h - 0.5f, z = 0.9f;
    for (const Vertex& v : {Vertex{l, b, z, 1, color, g[0], g[3]}, Vertex{l, t, z, 1, color, g[0], g[1]},
                            Vertex{r, b, z, 1, color, g[2], g[3]}, Vertex{r, t, z, 1, color, g[2], g[1]},
                            Vertex{r, b, z, 1, color, g[2], g[3]}, Vertex{l, t, z, 1, color, g[0], g[1]}})
      vertices_.push_back(v);
    ++characters_;
    // As the channel does: drawn and begun again before the buffer is full.
    if (static_cast<int>(vertices_.size()) > kVertexCount - 6) Flush(static_cast<int>(vertices_.size()));
    sx += w;
  }
  if (!vertices_.empty()) Flush(static_cast<int>(vertices_.size()));
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_BLEND);
}

}  // namespace scenebench
