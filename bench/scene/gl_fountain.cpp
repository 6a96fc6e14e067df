#include "gl_fountain.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <algorithm>
#include <cmath>

#include "gl_context.h"

namespace scenebench {
namespace {

// The fountain's settings, in ticks of 1/16 s.
constexpr float kTicksPerSecond = 16, kBirthRate = 8, kLife = 13, kSpeed = 0.25f, kSpeedSpread = 0.04f;
constexpr float kStartSize = 0.05f, kEndSize = 0.02f, kFall = -0.02f;
const D3DXVECTOR3 kBasin(0.9f, 0.0f, 2.6f), kStartColor(0.75f, 0.9f, 1.0f), kEndColor(0.05f, 0.25f, 0.7f);
// A square's corners across the camera's right and up directions, and
// their texture coordinates.
constexpr float kCorners[4][2] = {{1, -1}, {-1, -1}, {-1, 1}, {1, 1}};
constexpr float kCornerUv[4][2] = {{1, 1}, {0, 1}, {0, 0}, {1, 0}};

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 aPos;
layout(location = 1) in vec4 aColor;
uniform mat4 uView, uProj;
uniform vec2 uFog;
out vec4 vColor;
out float vFog;
void main() {
  vec4 p = uView * vec4(aPos, 1.0);
  gl_Position = uProj * p;
  vColor = aColor;
  vFog = clamp((uFog.y - p.z) / (uFog.y - uFog.x), 0.0, 1.0);
}
)";

const char* kFragmentShader = R"(#version 330 core
in vec4 vColor;
in float vFog;
uniform vec3 uFogColor;
out vec4 oColor;
void main() { oColor = vec4(mix(uFogColor, vColor.rgb, vFog), vColor.a); }
)";

uint32_t Byte(float v) { return static_cast<uint32_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); }

}  // namespace

bool GlFountain::Init(const D3DXMATRIX& projection, const float fogColor[3]) {
  // The demo's nozzle: a narrow cone of directions around straight up.
  for (int i = 0; i < kJets; ++i) {
    const float around = 2.399963f * static_cast<float>(i);
    const float spread = 0.12f * std::sqrt((static_cast<float>(i) + 0.5f) / kJets);
    jets_[i] = D3DXVECTOR3(spread * std::cos(around), 0.2f, spread * std::sin(around));
  }
  program_ = bench::BuildProgram(kVertexShader, kFragmentShader);
  if (!program_) return false;
  locView_ = glGetUniformLocation(program_, "uView");
  locFog_ = glGetUniformLocation(program_, "uFog");
  glUniformMatrix4fv(glGetUniformLocation(program_, "uProj"), 1, GL_FALSE, &projection._11);
  glUniform3fv(glGetUniformLocation(program_, "uFogColor"), 1, fogColor);

  // Every slot's square once, in slot order; the live ones are packed at
  // the front each frame.
  std::vector<uint16_t> indices;
  for (int i = 0; i < kJets; ++i)
    for (int k : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<uint16_t>(4 * i + k));
  buffers_.Create(nullptr, 4 * kJets * sizeof(Vertex), GL_STREAM_DRAW, indices.data(), indices.size() * 2);
  buffers_.Attribute(0, 3, GL_FLOAT, false, sizeof(Vertex), 0);
  buffers_.Attribute(1, GL_BGRA, GL_UNSIGNED_BYTE, true, sizeof(Vertex), 12);
  buffers_.Attribute(2, 2, GL_FLOAT, false, sizeof(Vertex), 16);
  buffers_.Attribute(3, 2, GL_FLOAT, false, sizeof(Vertex), 24);
  vertices_.resize(4 * kJets);
  return true;
}

void GlFountain::Destroy() {
  buffers_.Destroy();
  if (program_) glDeleteProgram(program_);
  program_ = 0;
}

void GlFountain::Emit(int slot) {
  Particle& p = particles_[slot];
  random_ = random_ * 1103515245u + 12345u;
  const float signedRandom = static_cast<float>((random_ >> 16) & 0x7FFF) / 32767.0f * 2.0f - 1.0f;
  p.origin = p.position = kBasin + jets_[slot];
  p.velocity = jets_[slot] * (kSpeed - kSpeedSpread * signedRandom);
  p.age = 0;
  p.born = true;
}

void GlFountain::Move(float ticks) {
  const float births = birthCarry_ + kBirthRate * std::min(ticks, 100.0f);
  int due = static_cast<int>(std::min(std::floor(births), static_cast<float>(kJets)));
  birthCarry_ = births - std::floor(births);
  for (int i = 0; i < kJets; ++i) {
    Particle& p = particles_[i];
    if (p.born && !(p.age < kLife)) p.born = false;
    if (!p.born && due > 0) {
      Emit(i);
      --due;
    }
    if (!p.born) continue;
    p.age += ticks;
    p.position = p.origin + p.velocity * p.age + D3DXVECTOR3(0, kFall, 0) * (p.age * p.age);
    p.age = std::min(p.age, kLife);
  }
}

void GlFountain::Frame(float seconds, const D3DXMATRIX& view, float fogStart, float fogEnd) {
  Move(lastSeconds_ < 0 ? 0 : (seconds - lastSeconds_) * kTicksPerSecond);
  lastSeconds_ = seconds;
  // The camera's right and up directions in the world: the view's rotation
  // undone.
  const D3DXVECTOR3 right(view._11, view._21, view._31), up(view._12, view._22, view._32);
  live_ = 0;
  for (const Particle& p : particles_) {
    if (!p.born) continue;
    const float t = p.age / kLife;
    const float size = kStartSize + t * (kEndSize - kStartSize);
    const D3DXVECTOR3 colour = kEndColor * t + kStartColor * (1.0f - t);
    const uint32_t diffuse = 0xFF000000u | Byte(colour.x) << 16 | Byte(colour.y) << 8 | Byte(colour.z);
    for (int k = 0; k < 4; ++k) {
      const D3DXVECTOR3 at = p.position + (right * kCorners[k][0] + up * kCorners[k][1]) * size;
      vertices_[4 * live_ + k] = {at.x, at.y, at.z, diffuse, kCornerUv[k][0], kCornerUv[k][1], kCornerUv[k][0],
                                  kCornerUv[k][1]};
    }
    ++live_;
  }
  glUseProgram(program_);
  glUniformMatrix4fv(locView_, 1, GL_FALSE, &view._11);
  glUniform2f(locFog_, fogStart, fogEnd);
  glBindVertexArray(buffers_.vao);
  glBindBuffer(GL_ARRAY_BUFFER, buffers_.vbo);
  if (live_ == 0) return;
  buffers_.Stream(vertices_.data(), StreamedBytes());
  glDrawElements(GL_TRIANGLES, 6 * live_, GL_UNSIGNED_SHORT, nullptr);
}

}  // namespace scenebench
