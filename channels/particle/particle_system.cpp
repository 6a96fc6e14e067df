// The particle slots: building them from the emitter, emission, motion,
// re-emission, reset and the collision bounce the water effect asks for.
#include "particle/vel_dx8_particle_object.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "vel_child_access.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {
// The largest share of one frame's elapsed ticks that births are counted for.
constexpr float kBirthTimeClamp = 100.0f;
// Gravity setting to downward acceleration (per tick squared).
constexpr float kGravityFactor = -0.02f;
// Texture coordinates of the four corners of a billboard.
constexpr float kCornerUV[4][2] = {{1, 1}, {0, 1}, {0, 0}, {1, 0}};

template <class T>
void FreeArray(T*& array) {
  delete[] array;
  array = nullptr;
}
}  // namespace

Vel_DX8_ObjectDataChannel* Vel_DX8_ParticleObject::LinkedEmitter() {
  return vel::As<Vel_DX8_ObjectDataChannel>(GetChildFromLinkPosition(0, 0), vel::kObjectDataType);
}

void Vel_DX8_ParticleObject::Release() {
  FreeArray(particles_);
  FreeArray(quadIndices_);
  FreeArray(billboards_);
  FreeArray(liveIndices_);
  capacity_ = 0;
  liveCount_ = 0;
  built_ = false;
  lastEmitterVertexCount_ = -1;
}

bool Vel_DX8_ParticleObject::CreateVertexBuffer() {
  CreateParticleObject();
  return true;
}

void Vel_DX8_ParticleObject::CreateParticleObject() {
  Release();
  emitter_ = LinkedEmitter();
  if (!emitter_) return;
  emitter_->UpdateData();
  const int count = emitter_->GetVertexCount();
  lastEmitterVertexCount_ = count;
  capacity_ = std::clamp(count, 0, kMaxParticles);
  if (capacity_ == 0) return;

  const size_t n = static_cast<size_t>(capacity_);
  particles_ = new (std::nothrow) ParticlesExplodeInfo[n]();
  billboards_ = new (std::nothrow) ParticleVertex[4 * n]();
  quadIndices_ = new (std::nothrow) uint16_t[6 * n]();
  liveIndices_ = new (std::nothrow) uint16_t[6 * n]();
  if (!particles_ || !billboards_ || !quadIndices_ || !liveIndices_) {
    Release();
    return;
  }
  for (int i = 0; i < capacity_; ++i) {
    ParticlesExplodeInfo& p = particles_[i];
    p.origin = p.previousPosition = p.position = emitter_->GetVertexPositionDx(static_cast<unsigned long>(i));
    for (int k = 0; k < 4; ++k) {
      ParticleVertex& v = billboards_[4 * i + k];
      v.u1 = v.u2 = kCornerUV[k][0];
      v.v1 = v.v2 = kCornerUV[k][1];
    }
    const auto base = static_cast<uint16_t>(4 * i);
    const uint16_t quad[6] = {base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2),
                              base, static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3)};
    std::copy(quad, quad + 6, quadIndices_ + 6 * i);
  }

  // The mesh the billboards are drawn from: every quad once, in slot order.
  Vel_DX8_ObjectDataChannel::Release();
  SetVertexCount(4 * capacity_);
  SetVertexPositionUse(true);
  SetVertexColorUse(true);
  SetVertexTUUse(true);
  SetVertexTU2Use(true);
  for (int v = 0; v < 4 * capacity_; ++v) {
    SetVertexColor(VertColor{0xFFFFFFFF}, v);
    SetVertexTUCoord(VertTUV{billboards_[v].u1, billboards_[v].v1}, v);
    SetVertexTU2Coord(VertTUV{billboards_[v].u2, billboards_[v].v2}, v);
  }
  SetIndexCount(6 * capacity_);
  SetIndexes(quadIndices_);
  Vel_DX8_ObjectDataChannel::CreateVertexBuffer();

  ResetSystem();
  liveCount_ = 0;
  built_ = true;
}

void Vel_DX8_ParticleObject::ResetSystem() {
  for (int i = 0; i < capacity_; ++i) particles_[i].born = false;
  cursor_ = 0;
  burstCounter_ = 0;
  emissionEnabled_ = true;
}

int Vel_DX8_ParticleObject::GetParticleCount() { return capacity_; }

ParticlesExplodeInfo* Vel_DX8_ParticleObject::GetParticle(int i) {
  return particles_ && i >= 0 && i < capacity_ ? &particles_[i] : nullptr;
}

void Vel_DX8_ParticleObject::SetParticleBorn(int i, bool born) {
  if (ParticlesExplodeInfo* p = GetParticle(i)) p->born = born;
}

bool Vel_DX8_ParticleObject::CheckParticleNeedsReEmit(int i) {
  const ParticlesExplodeInfo* p = GetParticle(i);
  return p && p->born && !(p->age < info_.lifeTime);
}

void Vel_DX8_ParticleObject::CalculateParticleDynamics() {
  const float dt = GetCurrentTickCount();
  const double births =
      static_cast<double>(birthCarry_) + static_cast<double>(info_.birthRate) * std::min(dt, kBirthTimeClamp);
  const double whole = std::floor(births);
  int n = static_cast<int>(std::min(whole, static_cast<double>(capacity_)));
  birthCarry_ = static_cast<float>(births - whole);

  int live = 0;
  for (int i = 0; i < capacity_; ++i) {
    ParticlesExplodeInfo& p = particles_[i];
    if (CheckParticleNeedsReEmit(i)) {
      p.born = false;
      p.previousPosition = p.position;
      p.previousAge = 0;
    }
    if (i >= cursor_ && n > 0 && emissionEnabled_ && EmmitNewParticles(i)) --n;
    if (p.born) {
      p.previousAge = p.age;
      p.age += dt;
      p.previousPosition = p.position;
      const float t = p.age;
      p.position = p.origin + p.velocity * t + p.acceleration * (t * t);
      ++live;
    }
    if (!(p.age < info_.lifeTime)) p.age = info_.lifeTime;
  }
  SetParticlesAlive(static_cast<float>(live));
}

bool Vel_DX8_ParticleObject::EmmitNewParticles(int i) {
  ParticlesExplodeInfo* p = GetParticle(i);
  if (!p || p->born || !emitter_) return false;
  const D3DXVECTOR3 local = emitter_->GetVertexPositionDx(static_cast<unsigned long>(i));
  const D3DXMATRIX world = directGraphics_ ? directGraphics_->GetWorldMatrix() : identity_;

  if (i == 0) {
    ++burstCounter_;
    if (info_.explodeCount > 0.0f) {
      emissionEnabled_ = info_.explodeCount >= static_cast<float>(burstCounter_);
      if (!emissionEnabled_) return false;
    }
  }

  D3DXVECTOR3 at;
  D3DXVec3TransformCoord(&at, &local, &world);
  if (!vel::AllFinite(at)) at = local;
  p->origin = p->previousPosition = p->position = at;
  p->previousAge = 0;
  p->born = true;

  D3DXVECTOR3 direction = local;
  if (info_.normalizeVelocity) D3DXVec3Normalize(&direction, &local);
  if (!vel::AllFinite(direction)) direction = D3DXVECTOR3(0, 0, 0);
  const float speed = info_.velocity - info_.velocityRandomize * random_.Signed();
  p->velocity = direction * speed;
  p->acceleration = D3DXVECTOR3(0, info_.gravity * kGravityFactor, 0);
  p->age = 0;
  p->startSize = info_.startSize - info_.sizeRandomize * random_.Signed();
  p->currentSize = 0;

  if (++cursor_ >= capacity_) cursor_ = 0;
  return true;
}

void Vel_DX8_ParticleObject::CollideInNormal(int i, D3DXVECTOR3 normal, D3DXVECTOR3 point, float bounce) {
  ParticlesExplodeInfo* p = GetParticle(i);
  if (!p) return;
  if (!(bounce > 0.0f)) {
    p->born = false;
    return;
  }
  const D3DXVECTOR3 d = p->previousPosition - p->position;
  const float ageBefore = p->age;
  p->origin = point;
  p->age = 0;
  const float k = D3DXVec3Dot(&d, &normal);
  D3DXVECTOR3 reflected = normal * (2.0f * k) - d;
  D3DXVec3Normalize(&reflected, &reflected);
  const float length = D3DXVec3Length(&d);
  const float dt = ageBefore - p->previousAge;
  const float speed = bounce * (dt != 0.0f ? length / dt : length);
  p->velocity = reflected * speed;
  if (!vel::AllFinite(p->velocity)) p->velocity = D3DXVECTOR3(0, 0, 0);
}
