// One frame of the particle system: the dynamics once per frame, billboards
// turned to the camera at every call, and the live ones packed into the
// dynamic vertex buffer and drawn with one call.
#include "particle/vel_dx8_particle_object.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "floatvalue/vel_float_channel.h"
#include "vel_child_access.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <cstring>

void Vel_DX8_ParticleObject::CallChannel() {
  emitter_ = LinkedEmitter();
  StreamTextureMatrices();
  // Nothing to emit from: the frame is skipped without a word (a system
  // waiting for its emitter to be linked is an ordinary state).
  if (!emitter_) return;
  if (emitter_->GetVertexCount() != lastEmitterVertexCount_) built_ = false;
  // "Reset System" at 1 or more resets and is set back to 0.
  if (auto* reset = vel::As<Vel_FloatChannel>(GetChildFromLinkPosition(13, 0), vel::kFloatType);
      reset && reset->GetFloat() >= 1.0f) {
    ResetSystem();
    reset->SetFloat(0.0f);
  }
  if (!built_) CreateParticleObject();
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device || !built_) return;

  if (CheckRenderCount()) {
    UpdateParticleInfo();
    CalculateParticleDynamics();
  }
  AlignSquares();
  // After a device reset the buffers are made again, with a new system.
  if (!buffersValid_) CreateVertexBuffer();

  const D3DXMATRIX savedWorld = directGraphics_->GetWorldMatrix();
  device->SetTransform(D3DTS_WORLD, &identity_);
  directGraphics_->SetRenderState(D3DRS_LIGHTING, 0);
  DrawLiveParticles(device);
  directGraphics_->SetRenderState(D3DRS_LIGHTING, 1);
  device->SetTransform(D3DTS_WORLD, &savedWorld);
}

void Vel_DX8_ParticleObject::AlignSquares() {
  // The camera's rotation undone, so each square faces the camera.
  D3DXMATRIX inverse = identity_;
  if (!directGraphics_ || !vel::InvertFinite(directGraphics_->GetCameraMatrix(), &inverse)) inverse = identity_;
  inverse._41 = inverse._42 = inverse._43 = 0.0f;
  const float f = info_.lifeTime > 0.0f ? 1.0f / info_.lifeTime : 1.0f;
  liveCount_ = 0;
  for (int d = 0; d < capacity_; ++d) {
    ParticlesExplodeInfo& p = particles_[d];
    if (!p.born) continue;
    const float size = p.startSize + f * p.age * (info_.endSize - p.startSize);
    p.currentSize = size;
    for (int k = 0; k < 6; ++k) liveIndices_[6 * liveCount_ + k] = quadIndices_[6 * d + k];
    ++liveCount_;
    const float t = std::min(f * p.age, 1.0f);
    const D3DXVECTOR3 colour = info_.endColor * t + info_.startColor * (1.0f - t);
    const D3DCOLOR diffuse = vel::ColorBytes(colour);
    for (int k = 0; k < 4; ++k) {
      const D3DXVECTOR3 corner = corners_[k] * size;
      D3DXVECTOR3 turned;
      D3DXVec3TransformCoord(&turned, &corner, &inverse);
      ParticleVertex& v = billboards_[4 * d + k];
      v.x = turned.x + p.position.x;
      v.y = turned.y + p.position.y;
      v.z = turned.z + p.position.z;
      v.diffuse = diffuse;
    }
  }
}

void Vel_DX8_ParticleObject::DrawLiveParticles(IDirect3DDevice8* device) {
  if (liveCount_ <= 0 || !vertexBuffer_ || builtVertexCount_ < 4 * liveCount_) return;
  BYTE* data = nullptr;
  if (vertexBuffer_->Lock(0, 0, &data, D3DLOCK_DISCARD) != D3D_OK || !data) return;
  for (int j = 0; j < liveCount_; ++j) {
    const int slot = liveIndices_[6 * j] / 4;
    std::memcpy(data + static_cast<size_t>(4 * j) * sizeof(ParticleVertex), &billboards_[4 * slot],
                4 * sizeof(ParticleVertex));
  }
  vertexBuffer_->Unlock();
  if (SetDataToStream(0))
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertexCount_), 0,
                                 static_cast<UINT>(2 * liveCount_));
}
