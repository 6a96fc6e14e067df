#include "gl_particle_reference.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace bench {
namespace {

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec2 aUv;
out vec4 vColor;
void main() {
  gl_Position = vec4(aPos, 1.0);
  vColor = aColor;
}
)";

const char* kFragmentShader = R"(#version 330 core
in vec4 vColor;
out vec4 oColor;
void main() { oColor = vec4(vColor.rgb, 1.0); }
)";

constexpr float kCorners[4][2] = {{1, -1}, {-1, -1}, {-1, 1}, {1, 1}};
constexpr float kCornerUV[4][2] = {{1, 1}, {0, 1}, {0, 0}, {1, 0}};

}  // namespace

bool GlParticleRenderer::Init(const std::vector<float>& emitter, int target) {
  const size_t n = emitter.size() / 3;
  particles_.assign(n, ReferenceParticle{});
  for (size_t i = 0; i < n; ++i) {
    ReferenceParticle& p = particles_[i];
    const float* e = &emitter[3 * i];
    const float length = std::sqrt(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]);
    for (int k = 0; k < 3; ++k) {
      p.origin[k] = p.position[k] = e[k];
      p.velocity[k] = length > 0 ? e[k] / length * kVelocity : 0.0f;
    }
    // Ages spread over the life, as the channel's steady state has them.
    p.age = static_cast<float>(i % static_cast<size_t>(kLifeTime));
  }
  vertices_.assign(n * 4 * 8, 0.0f);

  if (!gl_.Create()) return false;
  program_ = BuildProgram(kVertexShader, kFragmentShader);

  std::vector<uint16_t> indices(n * 6);
  for (size_t k = 0; k < n; ++k) {
    const auto b = static_cast<uint16_t>(4 * k);
    const uint16_t quad[6] = {b, static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + 2),
                              b, static_cast<uint16_t>(b + 2), static_cast<uint16_t>(b + 3)};
    std::copy(quad, quad + 6, &indices[6 * k]);
  }
  buffers_.Create(nullptr, vertices_.size() * 4, GL_STREAM_DRAW, indices.data(), indices.size() * 2);
  buffers_.Attribute(0, 3, GL_FLOAT, false, 32, 0);
  buffers_.Attribute(1, GL_BGRA, GL_UNSIGNED_BYTE, true, 32, 12);
  buffers_.Attribute(2, 2, GL_FLOAT, false, 32, 16);
  return target_.Create(target, false);
}

void GlParticleRenderer::Shutdown() {
  if (!gl_.context) return;
  gl_.MakeCurrent();
  target_.Destroy();
  buffers_.Destroy();
  glDeleteProgram(program_);
  gl_.Destroy();
}

void GlParticleRenderer::Frame(float dt) {
  const float acceleration = kGravity * -0.02f;
  size_t live = 0;
  for (ReferenceParticle& p : particles_) {
    p.age += dt;
    if (p.age >= kLifeTime) {
      p.age = 0;
      std::memcpy(p.position, p.origin, sizeof p.position);
    }
    const float t = p.age;
    for (int k = 0; k < 3; ++k) p.position[k] = p.origin[k] + p.velocity[k] * t;
    p.position[1] += acceleration * t * t;
    const float f = std::min(t / kLifeTime, 1.0f);
    const auto channel = [f](float start, float end) {
      return static_cast<uint32_t>(std::clamp((f * end + (1 - f) * start) * 255.0f, 0.0f, 255.0f));
    };
    const uint32_t colour = channel(0, 0) << 16 | channel(0.4f, 0) << 8 | channel(1, 0);
    float* v = &vertices_[live * 32];
    for (int c = 0; c < 4; ++c, v += 8) {
      v[0] = kCorners[c][0] * kSize + p.position[0];
      v[1] = kCorners[c][1] * kSize + p.position[1];
      v[2] = p.position[2];
      std::memcpy(&v[3], &colour, 4);
      v[4] = v[6] = kCornerUV[c][0];
      v[5] = v[7] = kCornerUV[c][1];
    }
    ++live;
  }
  gl_.MakeCurrent();
  target_.Bind();
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  buffers_.Stream(vertices_.data(), live * 32 * 4);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(live * 6), GL_UNSIGNED_SHORT, nullptr);
  target_.ReadBack();
}

}  // namespace bench
