// The particle system's records: the saved parameter record, the per-slot
// particle record that the water effect reads in place, the billboard vertex
// and the system's private random numbers.
#pragma once

#include <d3dx8/d3dx8math.h>

#include <cstddef>
#include <cstdint>

// The parameter record, saved as it is (chunk "PARI", 64 bytes).
struct ParticleInfo {
  float birthRate;          // particles per tick
  float endSize;
  float lifeTime;           // ticks
  D3DXVECTOR3 startColor;   // r, g, b in 0..1
  D3DXVECTOR3 endColor;
  float velocity;
  float velocityRandomize;
  float gravity;
  float startSize;
  float sizeRandomize;
  float explodeCount;       // emission passes; 0 = no limit
  uint8_t normalizeVelocity;  // 0 or 1 (any non-zero byte counts as set)
  uint8_t padding[3];
};
static_assert(sizeof(ParticleInfo) == 64);
static_assert(offsetof(ParticleInfo, startColor) == 12 && offsetof(ParticleInfo, endColor) == 24);
static_assert(offsetof(ParticleInfo, velocity) == 36 && offsetof(ParticleInfo, explodeCount) == 56);
static_assert(offsetof(ParticleInfo, normalizeVelocity) == 60);

// One particle slot. Read in place through GetParticle: the field order is
// an interface.
struct ParticlesExplodeInfo {
  D3DXVECTOR3 previousPosition;
  float previousAge;
  D3DXVECTOR3 position;       // world
  D3DXVECTOR3 acceleration;
  D3DXVECTOR3 origin;         // world
  D3DXVECTOR3 velocity;       // initial velocity
  float startSize;
  float age;
  bool born;
  float currentSize;
};
static_assert(sizeof(ParticlesExplodeInfo) == 80 && offsetof(ParticlesExplodeInfo, born) == 72);

// A billboard corner as it goes into the vertex buffer
// (D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2).
struct ParticleVertex {
  float x, y, z;
  D3DCOLOR diffuse;
  float u1, v1;
  float u2, v2;
};
static_assert(sizeof(ParticleVertex) == 32);

// The system's own random numbers, 0..32767, the same sequence on every
// platform for a given seed (a linear congruential generator, the upper 15
// bits of its state).
class ParticleRandom {
 public:
  static constexpr int kMax = 32767;
  explicit ParticleRandom(uint32_t seed = 1) : state_(seed) {}
  void Seed(uint32_t seed) { state_ = seed; }
  int Next() {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }
  // A number in -1..1.
  float Signed() { return static_cast<float>(Next()) * (1.0f / kMax) * 2.0f - 1.0f; }

 private:
  uint32_t state_;
};
