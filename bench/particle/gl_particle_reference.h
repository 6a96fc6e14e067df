// The particle benchmark's work written directly: the same motion, the same
// camera-facing squares built on the CPU, streamed into one buffer each frame
// and drawn with one static index buffer in plain OpenGL 3.3.
#pragma once

#include <cstdint>
#include <vector>

#include "gl_context.h"
#include "gl_objects.h"
#include "gl_target.h"

namespace bench {

struct ReferenceParticle {
  float origin[3];
  float velocity[3];
  float position[3];
  float age;
};

class GlParticleRenderer {
 public:
  // `emitter` holds three floats a particle.
  bool Init(const std::vector<float>& emitter, int target);
  void Shutdown();
  // One step of `dt` ticks, the squares, the draw and the read-back.
  void Frame(float dt);

 private:
  std::vector<ReferenceParticle> particles_;
  std::vector<float> vertices_;  // x, y, z, colour bits, u1, v1, u2, v2
  GlContext gl_;
  GlBuffers buffers_;
  GlTarget target_;
  unsigned program_ = 0;
};

// The parameters both sides use.
constexpr int kParticles = 10000;
constexpr float kLifeTime = 40.0f;
constexpr float kVelocity = 0.01f;
constexpr float kGravity = 0.5f;
constexpr float kSize = 0.01f;

}  // namespace bench
