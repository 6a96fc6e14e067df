#include "motion/vel_dx8_motion_channel.h"

#include "vectorvalue/vel_vector_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {
constexpr float kPi = 3.14159274f;
constexpr float kHalfPi = kPi / 2.0f;

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 Motion", vel::kMotionType, vel::kMatrixType);
  return type;
}

float Clamped(float v) { return std::clamp(v, -1.0f, 1.0f); }
}  // namespace

Vel_DX8_MotionChannel::Vel_DX8_MotionChannel() : hasBeginMatrix_(false) {
  D3DXMatrixIdentity(&beginMatrix_);
  SetChannelName("DX8 Motion");
  SetChildCreationCount(6);
  vel::DeclareSlot(this, kPositionSlot, vel::kVectorType, "Value Vector", "Position Vector", true);
  vel::DeclareSlot(this, kRotationSlot, vel::kVectorType, "Value Vector", "Rotation Vector", true);
  vel::DeclareSlot(this, kSizeSlot, vel::kVectorType, "Value Vector", "Size Vector", true);
  vel::DeclareSlot(this, kLookAtSlot, vel::kMatrixType, "Matrix", "Look At Matrix");
  vel::DeclareSlot(this, kParentSlot, vel::kMatrixType, "Matrix", "Parent Matrix");
}

Vel_DX8_MotionChannel::~Vel_DX8_MotionChannel() = default;

void Vel_DX8_MotionChannel::OneTimeInitialize() {
  if (Vel_VectorChannel* size = GetScale()) size->SetVector(D3DXVECTOR3(1.0f, 1.0f, 1.0f));
  if (Vel_VectorChannel* position = GetPosition()) position->SetVector(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
  if (Vel_VectorChannel* rotation = GetRotation()) rotation->SetVector(D3DXVECTOR3(0.0f, 0.0f, 0.0f));
}

void Vel_DX8_MotionChannel::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kMatrixType, dependencies);
}

Vel_VectorChannel* Vel_DX8_MotionChannel::GetPosition() {
  return vel::ChildAs<Vel_VectorChannel>(this, kPositionSlot, vel::kVectorType);
}
Vel_VectorChannel* Vel_DX8_MotionChannel::GetRotation() {
  return vel::ChildAs<Vel_VectorChannel>(this, kRotationSlot, vel::kVectorType);
}
Vel_VectorChannel* Vel_DX8_MotionChannel::GetScale() {
  return vel::ChildAs<Vel_VectorChannel>(this, kSizeSlot, vel::kVectorType);
}
Vel_MatrixChannel* Vel_DX8_MotionChannel::GetParent() {
  return vel::ChildAs<Vel_MatrixChannel>(this, kParentSlot, vel::kMatrixType);
}
Vel_MatrixChannel* Vel_DX8_MotionChannel::GetLookAt() {
  return vel::ChildAs<Vel_MatrixChannel>(this, kLookAtSlot, vel::kMatrixType);
}

void Vel_DX8_MotionChannel::SetBeginMatrix(D3DXMATRIX m) {
  beginMatrix_ = m;
  hasBeginMatrix_ = true;
}

D3DXMATRIX Vel_DX8_MotionChannel::Compose(const D3DXVECTOR3& position, float yaw, float pitch, float roll,
                                          const D3DXVECTOR3& size) {
  // The rotations turn the other way round than D3DXMatrixRotationX/Y/Z.
  D3DXMATRIX s, rz, rx, ry, t, m;
  D3DXMatrixScaling(&s, size.x, size.y, size.z);
  D3DXMatrixRotationZ(&rz, -roll);
  D3DXMatrixRotationX(&rx, -pitch);
  D3DXMatrixRotationY(&ry, -yaw);
  D3DXMatrixTranslation(&t, position.x, position.y, position.z);
  D3DXMatrixMultiply(&m, &s, &rz);
  D3DXMatrixMultiply(&m, &m, &rx);
  D3DXMatrixMultiply(&m, &m, &ry);
  D3DXMatrixMultiply(&m, &m, &t);
  return m;
}

void Vel_DX8_MotionChannel::AnglesToward(const D3DXVECTOR3& d, float* yaw, float* pitch) {
  // Normalising a zero vector gives zero, so a target at the position itself
  // or straight above or below leaves the yaw at 0.
  D3DXVECTOR3 flat(d.x, 0.0f, d.z), h;
  D3DXVec3Normalize(&h, &flat);
  float turn = std::acos(Clamped(h.x));
  *yaw = d.z >= 0.0f ? turn - kHalfPi : -turn - kHalfPi;
  *pitch = d.y >= 0.999f ? kHalfPi : std::asin(Clamped(d.y));
}

D3DXMATRIX Vel_DX8_MotionChannel::GetMatrix() {
  if (!CheckRenderCount()) return matrix;
  // A channel whose slots were removed composes nothing.
  if (GetChildCount() < 3) return matrix;

  D3DXVECTOR3 position(0.0f, 0.0f, 0.0f), rotation(0.0f, 0.0f, 0.0f), size(1.0f, 1.0f, 1.0f);
  if (Vel_VectorChannel* child = GetPosition()) position = child->GetVector();
  if (Vel_VectorChannel* child = GetRotation()) rotation = child->GetVector();
  if (Vel_VectorChannel* child = GetScale()) size = child->GetVector();
  Vel_MatrixChannel* lookAt = GetLookAt();
  Vel_MatrixChannel* parentChild = GetParent();
  D3DXMATRIX parent;
  if (parentChild) parent = parentChild->GetMatrix();

  float yaw = rotation.x, pitch = rotation.y;
  if (lookAt) {
    D3DXMATRIX l = lookAt->GetMatrix();
    D3DXVECTOR3 target(l._41, l._42, l._43);
    // Target and position in the parent's space; a parent without an inverse
    // leaves the target where it is.
    D3DXMATRIX toParent;
    if (parentChild && vel::InvertFinite(parent, &toParent)) D3DXVec3TransformCoord(&target, &target, &toParent);
    D3DXVECTOR3 toTarget = target - position, direction;
    D3DXVec3Normalize(&direction, &toTarget);
    AnglesToward(direction, &yaw, &pitch);
  }

  D3DXMATRIX m = Compose(position, yaw, pitch, rotation.z, size);
  if (parentChild) D3DXMatrixMultiply(&m, &m, &parent);
  if (hasBeginMatrix_) D3DXMatrixMultiply(&m, &beginMatrix_, &m);
  // A composition that is not finite (a NaN or infinite input) keeps the
  // matrix of the last good one.
  if (vel::AllFinite(m)) matrix = m;
  return matrix;
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_MotionChannel; }
