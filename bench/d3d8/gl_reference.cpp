#include "gl_reference.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <cstring>

#include "bench_scene.h"

namespace bench {
namespace {

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec2 aUv;
uniform mat4 uWvp;
uniform mat3 uWorld;
uniform vec4 uColor;
out vec4 vColor;
out vec2 vUv;
void main() {
  gl_Position = uWvp * vec4(aPos, 1.0);
  vec3 n = uWorld * aNormal;
  vec3 l = -normalize(vec3(0.3, -0.4, 0.866));
  vec3 lit = uColor.rgb * (vec3(0.188) + max(dot(n, l), 0.0));
  vColor = vec4(clamp(lit, 0.0, 1.0), uColor.a);
  vUv = aUv;
}
)";

const char* kFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec2 vUv;
uniform sampler2D uTex;
out vec4 oColor;
void main() { oColor = texture(uTex, vUv) * vColor; }
)";

void Multiply(const float* a, const float* b, float* out) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float v = 0;
      for (int k = 0; k < 4; ++k) v += a[i * 4 + k] * b[k * 4 + j];
      out[i * 4 + j] = v;
    }
}

}  // namespace

bool GlRenderer::Init() {
  if (!gl_.Create()) return false;
  program_ = BuildProgram(kVertexShader, kFragmentShader);
  locWvp_ = glGetUniformLocation(program_, "uWvp");
  locWorld_ = glGetUniformLocation(program_, "uWorld");
  locColor_ = glGetUniformLocation(program_, "uColor");
  glUniform1i(glGetUniformLocation(program_, "uTex"), 0);

  Mesh mesh = BuildMesh();
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &vbo_);
  glBindBuffer(GL_ARRAY_BUFFER, vbo_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.vertices.size() * sizeof(Vertex)),
               mesh.vertices.data(), GL_STATIC_DRAW);
  glGenBuffers(1, &ibo_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ibo_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.indices.size() * 2), mesh.indices.data(),
               GL_STATIC_DRAW);
  glEnableVertexAttribArray(0);
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
  glEnableVertexAttribArray(1);
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(12));
  glEnableVertexAttribArray(2);
  glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(24));

  glGenTextures(2, textures_);
  for (int i = 0; i < 2; ++i) {
    std::vector<uint8_t> texels = BuildTexture(i);
    glBindTexture(GL_TEXTURE_2D, textures_[i]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTextureSize, kTextureSize, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                 texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  }

  glGenTextures(1, &color_);
  glBindTexture(GL_TEXTURE_2D, color_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kTargetSize, kTargetSize, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kTargetSize, kTargetSize);
  glGenFramebuffers(1, &fbo_);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color_, 0);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_);
  glViewport(0, 0, kTargetSize, kTargetSize);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glFrontFace(GL_CW);
  glCullFace(GL_BACK);
  readback_.resize(kTargetSize * kTargetSize * 4);
  return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
}

void GlRenderer::Shutdown() {
  if (!gl_.context) return;
  gl_.MakeCurrent();
  glDeleteTextures(2, textures_);
  glDeleteTextures(1, &color_);
  glDeleteRenderbuffers(1, &depth_);
  glDeleteFramebuffers(1, &fbo_);
  glDeleteBuffers(1, &vbo_);
  glDeleteBuffers(1, &ibo_);
  glDeleteVertexArrays(1, &vao_);
  glDeleteProgram(program_);
  gl_.Destroy();
}

void GlRenderer::Frame() {
  gl_.MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, fbo_);
  glClearColor(0.125f, 0.188f, 0.25f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  float vp[16];
  ViewProjection(vp);
  for (int i = 0; i < kDrawsPerFrame; ++i) {
    DrawState s = StateForDraw(i);
    float wvp[16];
    Multiply(s.world, vp, wvp);
    glUniformMatrix4fv(locWvp_, 1, GL_FALSE, wvp);
    const float normal[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // the worlds are uniform scales
    glUniformMatrix3fv(locWorld_, 1, GL_FALSE, normal);
    glUniform4fv(locColor_, 1, s.color);
    glBindTexture(GL_TEXTURE_2D, textures_[s.texture]);
    if (s.cull)
      glEnable(GL_CULL_FACE);
    else
      glDisable(GL_CULL_FACE);
    glDrawElements(GL_TRIANGLES, kGridX * kGridY * 6, GL_UNSIGNED_SHORT, nullptr);
  }
  glReadPixels(0, 0, kTargetSize, kTargetSize, GL_BGRA, GL_UNSIGNED_BYTE, readback_.data());
}

}  // namespace bench
