// Vertex arrays, buffers and textures of the plain-OpenGL sides of the
// benchmarks.
#pragma once

#include <cstddef>

namespace bench {

// A vertex array with its vertex buffer and, when given indices, its index
// buffer.
struct GlBuffers {
  unsigned vao = 0, vbo = 0, ibo = 0;
  size_t vertexBytes = 0;

  // Makes them and leaves them bound; null `vertices` leaves the store
  // empty, to be filled by Stream.
  void Create(const void* vertices, size_t bytes, unsigned usage, const void* indices = nullptr,
              size_t indexBytes = 0);
  // Vertex attribute `index` of the bound vertex buffer: `components` values
  // of `type` at `offset` in each `stride` bytes.
  void Attribute(unsigned index, int components, unsigned type, bool normalized, int stride, size_t offset) const;
  // A fresh store for the bound vertex buffer, as a discarding lock gives,
  // beginning with `bytes` of `data`.
  void Stream(const void* data, size_t bytes) const;
  void Destroy();
};

// A texture of one level filtered with `filter`, left bound; `texels` may be
// null.
unsigned SingleLevelTexture(int width, int height, unsigned internalFormat, unsigned format, unsigned type,
                            const void* texels, unsigned filter);

}  // namespace bench
