#include "gl_reference.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

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
  buffers_.Create(mesh.vertices.data(), mesh.vertices.size() * sizeof(Vertex), GL_STATIC_DRAW, mesh.indices.data(),
                  mesh.indices.size() * 2);
  buffers_.Attribute(0, 3, GL_FLOAT, false, sizeof(Vertex), 0);
  buffers_.Attribute(1, 3, GL_FLOAT, false, sizeof(Vertex), 12);
  buffers_.Attribute(2, 2, GL_FLOAT, false, sizeof(Vertex), 24);

  for (int i = 0; i < 2; ++i) {
    std::vector<uint8_t> texels = BuildTexture(i);
    textures_[i] = SingleLevelTexture(kTextureSize, kTextureSize, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, texels.data(),
                                      GL_LINEAR);
  }

  if (!target_.Create(kTargetSize, true)) return false;
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glFrontFace(GL_CW);
  glCullFace(GL_BACK);
  return true;
}

void GlRenderer::Shutdown() {
  if (!gl_.context) return;
  gl_.MakeCurrent();
  glDeleteTextures(2, textures_);
  target_.Destroy();
  buffers_.Destroy();
  glDeleteProgram(program_);
  gl_.Destroy();
}

void GlRenderer::Frame() {
  gl_.MakeCurrent();
  target_.Bind();
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
  target_.ReadBack();
}

}  // namespace bench
