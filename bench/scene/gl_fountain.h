// The scene demo's particle fountain drawn with plain OpenGL as the particle
// channel draws it: 128 slots, one per nozzle direction, born at 8 a tick
// (16 ticks a second) and living 13 ticks, shrinking from 0.05 to 0.02 and
// fading from pale to deep blue; each frame the live ones become squares
// turned to the camera (position, colour and two texture coordinate sets,
// 32 bytes a corner), streamed into a fresh vertex store and drawn unlit,
// fogged and opaque with one indexed draw of two triangles a particle.
#pragma once

#include <d3dx8/d3dx8math.h>

#include "gl_objects.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace scenebench {

class GlFountain {
 public:
  static constexpr int kJets = 128;

  // Makes its program and buffers; `projection` and `fogColor` stay.
  bool Init(const D3DXMATRIX& projection, const float fogColor[3]);
  void Destroy();
  // Moves the particles on to `seconds` and draws the live ones; leaves
  // its program in use.
  void Frame(float seconds, const D3DXMATRIX& view, float fogStart, float fogEnd);
  // Of the last frame: live particles and bytes streamed.
  int Live() const { return live_; }
  size_t StreamedBytes() const { return static_cast<size_t>(live_) * 4 * sizeof(Vertex); }
  unsigned Program() const { return program_; }

 private:
  struct Particle {
    D3DXVECTOR3 origin, velocity, position;
    float age = 0;
    bool born = false;
  };
  struct Vertex {
    float x, y, z;
    uint32_t diffuse;
    float u1, v1, u2, v2;
  };
  static_assert(sizeof(Vertex) == 32);

  void Move(float ticks);
  void Emit(int slot);

  unsigned program_ = 0;
  int locView_ = -1, locFog_ = -1;
  bench::GlBuffers buffers_;
  D3DXVECTOR3 jets_[kJets];
  Particle particles_[kJets];
  std::vector<Vertex> vertices_;
  float lastSeconds_ = -1, birthCarry_ = 0;
  uint32_t random_ = 1;
  int live_ = 0;
};

}  // namespace scenebench
