#include "gl_objects.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

namespace bench {

void GlBuffers::Create(const void* vertices, size_t bytes, unsigned usage, const void* indices, size_t indexBytes) {
  vertexBytes = bytes;
  glGenVertexArrays(1, &vao);
  glBindVertexArray(vao);
  glGenBuffers(1, &vbo);
  glBindBuffer(GL_ARRAY_BUFFER, vbo);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), vertices, usage);
  if (!indices) return;
  glGenBuffers(1, &ibo);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexBytes), indices, GL_STATIC_DRAW);
}

void GlBuffers::Attribute(unsigned index, int components, unsigned type, bool normalized, int stride,
                          size_t offset) const {
  glEnableVertexAttribArray(index);
  glVertexAttribPointer(index, components, type, normalized ? GL_TRUE : GL_FALSE, stride,
                        reinterpret_cast<const void*>(offset));
}

void GlBuffers::Stream(const void* data, size_t bytes) const {
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexBytes), nullptr, GL_STREAM_DRAW);
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), data);
}

void GlBuffers::Destroy() {
  if (vbo) glDeleteBuffers(1, &vbo);
  if (ibo) glDeleteBuffers(1, &ibo);
  if (vao) glDeleteVertexArrays(1, &vao);
  vao = vbo = ibo = 0;
}

unsigned SingleLevelTexture(int width, int height, unsigned internalFormat, unsigned format, unsigned type,
                            const void* texels, unsigned filter) {
  GLuint texture = 0;
  glGenTextures(1, &texture);
  glBindTexture(GL_TEXTURE_2D, texture);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(internalFormat), width, height, 0, format, type, texels);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(filter));
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  return texture;
}

}  // namespace bench
