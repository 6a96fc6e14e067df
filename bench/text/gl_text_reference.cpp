#include "gl_text_reference.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "glyph_shader.h"

namespace bench {
namespace {

// Transformed vertices: pixel x, y (top left origin), z, rhw, BGRA colour, uv.
struct Vertex {
  float x, y, z, rhw;
  uint32_t color;
  float u, v;
};
static_assert(sizeof(Vertex) == 28);
constexpr unsigned kBatch = 300;

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPos;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aUv;
uniform vec2 uTarget;
out vec4 vColor;
out vec2 vUv;
void main() {
  gl_Position = vec4((aPos.x + 0.5) / uTarget.x * 2.0 - 1.0, 1.0 - (aPos.y + 0.5) / uTarget.y * 2.0, aPos.z, 1.0);
  vColor = aColor;
  vUv = aUv;
}
)";

}  // namespace

bool GlTextRenderer::Init(const GlyphTable& glyphs, int targetSize) {
  glyphs_ = glyphs;
  if (!gl_.Create()) return false;
  program_ = BuildProgram(kVertexShader, bench::kGlyphFragmentShader);
  glUniform1i(glGetUniformLocation(program_, "uAtlas"), 0);
  const auto side = static_cast<float>(targetSize);
  glUniform2f(glGetUniformLocation(program_, "uTarget"), side, side);

  buffers_.Create(nullptr, kBatch * sizeof(Vertex), GL_STREAM_DRAW);
  buffers_.Attribute(0, 4, GL_FLOAT, false, sizeof(Vertex), 0);
  buffers_.Attribute(1, GL_BGRA, GL_UNSIGNED_BYTE, true, sizeof(Vertex), 16);
  buffers_.Attribute(2, 2, GL_FLOAT, false, sizeof(Vertex), 20);

  // The font's own atlas, in its format.
  const auto size = static_cast<int>(glyphs_.atlasSize);
  atlas_ = SingleLevelTexture(size, size, GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, glyphs_.atlas.data(),
                              GL_NEAREST);

  if (!target_.Create(targetSize, false)) return false;
  glBindTexture(GL_TEXTURE_2D, atlas_);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  vertices_.resize(kBatch * sizeof(Vertex));
  return true;
}

void GlTextRenderer::Shutdown() {
  if (!gl_.context) return;
  gl_.MakeCurrent();
  glDeleteTextures(1, &atlas_);
  target_.Destroy();
  buffers_.Destroy();
  glDeleteProgram(program_);
  gl_.Destroy();
}

void GlTextRenderer::Flush(unsigned vertices) {
  // A fresh store for every batch.
  buffers_.Stream(vertices_.data(), vertices * sizeof(Vertex));
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(vertices));
}

void GlTextRenderer::Frame(const char* text, float x, float y) {
  gl_.MakeCurrent();
  target_.Bind();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  const float size = static_cast<float>(glyphs_.atlasSize);
  const float* space = glyphs_.box[0];
  const float line = (space[3] - space[1]) * size;
  Vertex* v = reinterpret_cast<Vertex*>(vertices_.data());
  unsigned count = 0;
  float sx = x, sy = y;
  for (const char* p = text; *p; ++p) {
    const signed char c = static_cast<signed char>(*p);
    if (c == '\n') {
      sx = x;
      sy += line;
      continue;
    }
    if (c < 32) continue;
    const float* g = glyphs_.box[c - 32];
    const float w = (g[2] - g[0]) * size, h = (g[3] - g[1]) * size;
    const float l = sx - 0.5f, r = sx + w - 0.5f, t = sy - 0.5f, b = sy + h - 0.5f;
    const uint32_t color = 0xFFFFFFFFu;
    v[count++] = {l, b, 0.9f, 1, color, g[0], g[3]};
    v[count++] = {l, t, 0.9f, 1, color, g[0], g[1]};
    v[count++] = {r, b, 0.9f, 1, color, g[2], g[3]};
    v[count++] = {r, t, 0.9f, 1, color, g[2], g[1]};
    v[count++] = {r, b, 0.9f, 1, color, g[2], g[3]};
    v[count++] = {l, t, 0.9f, 1, color, g[0], g[1]};
    if (count > kBatch - 6) {
      Flush(count);
      count = 0;
    }
    sx += w;
  }
  if (count) Flush(count);
  target_.ReadBack();
}

}  // namespace bench
