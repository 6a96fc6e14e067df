// The particle plug-in: type record, child slots, the private time source,
// the parameters (children or the record) and the saved record.
#include "particle/vel_dx8_particle_object.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "file_saver.h"
#include "floatvalue/vel_float_channel.h"
#include "timesource/vel_time_source_channel.h"
#include "vectorvalue/vel_vector_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <cmath>
#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 ParticleObject", vel::kParticleType, vel::kObjectDataType);
  return type;
}

// Child slots of the parameters.
enum Slot {
  kEmitter = 0,
  kBirthRate,
  kGravity,
  kLifeTime,
  kVelocity,
  kVelocityRandomize,
  kStartSize,
  kEndSize,
  kSizeRandomize,
  kAlive,
  kStartColor,
  kEndColor,
  kExplodeCount,
  kReset,
  kNormalize
};

struct SlotDeclaration {
  const GUID* type;
  const char* typeName;
  const char* label;
};
const SlotDeclaration kSlots[15] = {
    {&vel::kObjectDataType, "DX8 3D ObjectData", "Emmiter Shape ObjectData"},
    {&vel::kFloatType, "Value", "Particle BirthRate"},
    {&vel::kFloatType, "Value", "Particle Gravity"},
    {&vel::kFloatType, "Value", "Particle LifeTime"},
    {&vel::kFloatType, "Value", "Particle Velocity"},
    {&vel::kFloatType, "Value", "Particle Velocity Randomize"},
    {&vel::kFloatType, "Value", "Particle Size"},
    {&vel::kFloatType, "Value", "Particle Ending Size"},
    {&vel::kFloatType, "Value", "Particle Size Randomize"},
    {&vel::kFloatType, "Value", "Number of Particles Alive"},
    {&vel::kVectorType, "Value Vector", "Start Color"},
    {&vel::kVectorType, "Value Vector", "End Color"},
    {&vel::kFloatType, "Value", "Explode Count"},
    {&vel::kFloatType, "Value", "Reset System"},
    {&vel::kFloatType, "Value", "Use Normalize Velocity"},
};

float NonNegative(float v) { return std::isfinite(v) && v > 0.0f ? v : 0.0f; }
D3DXVECTOR3 FiniteVector(const D3DXVECTOR3& v) {
  return D3DXVECTOR3(vel::FiniteOr(v.x, 0), vel::FiniteOr(v.y, 0), vel::FiniteOr(v.z, 0));
}
}  // namespace

Vel_DX8_ParticleObject::Vel_DX8_ParticleObject()
    : built_(false),
      particles_(nullptr),
      capacity_(0),
      quadIndices_(nullptr),
      billboards_(nullptr),
      liveIndices_(nullptr),
      liveCount_(0),
      corners_{{1, -1, 0}, {-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}},
      birthCarry_(0.0f),
      cursor_(0),
      emitter_(nullptr),
      info_{},
      timeSource_(nullptr),
      burstCounter_(0),
      emissionEnabled_(true),
      lastEmitterVertexCount_(-1),
      reportedNoTimeSource_(false) {
  D3DXMatrixIdentity(&identity_);
  usePosition_ = useColor_ = useUVSet1_ = useUVSet2_ = true;
  useNormal_ = false;
  vertexFormat_ = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX2;
  vertexSize_ = 32;
  vertexBufferUsage_ = D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC;
  if (engine)
    timeSource_ = vel::As<Vel_TimeSourceChannel>(engine->InitChannelFromType(vel::kTimeSourceType, nullptr, false),
                                                 vel::kTimeSourceType);
  SetChannelName("DX8 ParticleObject");
  SetChildCreationCount(15);
  for (int slot = 0; slot < 15; ++slot)
    vel::DeclareSlot(this, slot, *kSlots[slot].type, kSlots[slot].typeName, kSlots[slot].label);
}

Vel_DX8_ParticleObject::~Vel_DX8_ParticleObject() {
  Release();
  delete timeSource_;
}

void Vel_DX8_ParticleObject::ReportOnce(bool& reported, const char* text) {
  if (reported) return;
  reported = true;
  if (!engine) return;
  engine->errorFunctor(text);
  if (GetChannelName()) engine->errorFunctor("Channel : ", GetChannelName());
}

float Vel_DX8_ParticleObject::GetCurrentTickCount() {
  if (!timeSource_) {
    ReportOnce(reportedNoTimeSource_, "Vel_DX8_ParticleObject: No time source, particles stand still");
    return 0.0f;
  }
  return NonNegative(timeSource_->GetFrameTime());
}

void Vel_DX8_ParticleObject::OneTimeInitialize() {
  SetParticleStartSize(0.25f);
  SetBirthRate(5);
  SetGravity(0);
  SetParticleLifeTime(20);
  SetVelocity(1);
  SetVelocityRandomize(0.05f);
  SetParticleEndSize(0);
  SetParticleStartSizeRandomize(0);
  SetStartColor(D3DXVECTOR3(0, 0.4f, 1));
  SetEndColor(D3DXVECTOR3(0, 0, 0));
  SetExplodeCount(0);
  SetUsesNormalize(1.0f);
}

void Vel_DX8_ParticleObject::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kObjectDataType, dependencies);
  AddChannelGuidDepend(vel::kMotionType, dependencies);
  AddChannelGuidDepend(vel::kTimeSourceType, dependencies);
}

void Vel_DX8_ParticleObject::StreamTextureMatrices() {
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device) return;
  for (int stage = 0; stage < 4; ++stage)
    device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &identity_);
}

bool Vel_DX8_ParticleObject::GetIfObjectIsVisible() { return true; }

// ---------------------------------------------------------------------------
// Parameters

bool Vel_DX8_ParticleObject::GetChildValue(int slot, float& out) {
  auto* child = vel::As<Vel_FloatChannel>(GetChildFromLinkPosition(slot, 0), vel::kFloatType);
  if (!child) return false;
  out = child->GetFloat();
  return true;
}

bool Vel_DX8_ParticleObject::GetChildVector(int slot, D3DXVECTOR3& out) {
  auto* child = vel::As<Vel_VectorChannel>(GetChildFromLinkPosition(slot, 0), vel::kVectorType);
  if (!child) return false;
  out = child->GetVector();
  return true;
}

namespace {
// Hands a value to the float child of `slot`; false when none is linked.
bool ToChild(Orn_Channel* parent, int slot, float v) {
  auto* child = vel::As<Vel_FloatChannel>(parent->GetChildFromLinkPosition(slot, 0), vel::kFloatType);
  if (child) child->SetFloat(v);
  return child != nullptr;
}
bool ToChild(Orn_Channel* parent, int slot, const D3DXVECTOR3& v) {
  auto* child = vel::As<Vel_VectorChannel>(parent->GetChildFromLinkPosition(slot, 0), vel::kVectorType);
  if (child) child->SetVector(v);
  return child != nullptr;
}
}  // namespace

#define VEL_PARTICLE_PARAMETER(Getter, Setter, field, slot, Type) \
  Type Vel_DX8_ParticleObject::Getter() { return info_.field; }   \
  void Vel_DX8_ParticleObject::Setter(Type v) {                   \
    if (!ToChild(this, slot, v)) info_.field = v;                 \
  }
VEL_PARTICLE_PARAMETER(GetParticleLifeTime, SetParticleLifeTime, lifeTime, kLifeTime, float)
VEL_PARTICLE_PARAMETER(GetParticleEndSize, SetParticleEndSize, endSize, kEndSize, float)
VEL_PARTICLE_PARAMETER(GetStartColor, SetStartColor, startColor, kStartColor, D3DXVECTOR3)
VEL_PARTICLE_PARAMETER(GetEndColor, SetEndColor, endColor, kEndColor, D3DXVECTOR3)
VEL_PARTICLE_PARAMETER(GetBirthRate, SetBirthRate, birthRate, kBirthRate, float)
VEL_PARTICLE_PARAMETER(GetVelocity, SetVelocity, velocity, kVelocity, float)
VEL_PARTICLE_PARAMETER(GetVelocityRandomize, SetVelocityRandomize, velocityRandomize, kVelocityRandomize, float)
VEL_PARTICLE_PARAMETER(GetGravity, SetGravity, gravity, kGravity, float)
VEL_PARTICLE_PARAMETER(GetParticleStartSize, SetParticleStartSize, startSize, kStartSize, float)
VEL_PARTICLE_PARAMETER(GetParticleStartSizeRandomize, SetParticleStartSizeRandomize, sizeRandomize, kSizeRandomize,
                       float)
VEL_PARTICLE_PARAMETER(GetExplodeCount, SetExplodeCount, explodeCount, kExplodeCount, float)
#undef VEL_PARTICLE_PARAMETER

bool Vel_DX8_ParticleObject::GetUsesNormalize() { return info_.normalizeVelocity != 0; }

void Vel_DX8_ParticleObject::SetUsesNormalize(float v) {
  if (!ToChild(this, kNormalize, v)) info_.normalizeVelocity = v >= 1.0f ? 1 : 0;
}

void Vel_DX8_ParticleObject::SetParticlesAlive(float v) { ToChild(this, kAlive, v); }

void Vel_DX8_ParticleObject::UpdateParticleInfo() {
  GetChildValue(kBirthRate, info_.birthRate);
  GetChildValue(kEndSize, info_.endSize);
  GetChildValue(kLifeTime, info_.lifeTime);
  GetChildVector(kStartColor, info_.startColor);
  GetChildVector(kEndColor, info_.endColor);
  GetChildValue(kVelocity, info_.velocity);
  GetChildValue(kVelocityRandomize, info_.velocityRandomize);
  GetChildValue(kGravity, info_.gravity);
  GetChildValue(kStartSize, info_.startSize);
  GetChildValue(kSizeRandomize, info_.sizeRandomize);
  float normalize = 0.0f;
  if (GetChildValue(kNormalize, normalize)) info_.normalizeVelocity = normalize >= 1.0f ? 1 : 0;
  SanitizeInfo();
}

void Vel_DX8_ParticleObject::SanitizeInfo() {
  info_.birthRate = NonNegative(info_.birthRate);
  info_.lifeTime = NonNegative(info_.lifeTime);
  info_.explodeCount = NonNegative(info_.explodeCount);
  info_.endSize = vel::FiniteOr(info_.endSize, 0);
  info_.startSize = vel::FiniteOr(info_.startSize, 0);
  info_.sizeRandomize = vel::FiniteOr(info_.sizeRandomize, 0);
  info_.velocity = vel::FiniteOr(info_.velocity, 0);
  info_.velocityRandomize = vel::FiniteOr(info_.velocityRandomize, 0);
  info_.gravity = vel::FiniteOr(info_.gravity, 0);
  info_.startColor = FiniteVector(info_.startColor);
  info_.endColor = FiniteVector(info_.endColor);
  info_.normalizeVelocity = info_.normalizeVelocity != 0 ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Record

bool Vel_DX8_ParticleObject::SaveChannel(OrnFileSaver& saver) {
  // The billboards are made at run time: only the parameters are saved.
  if (!Orn_Channel::SaveChannel(saver)) return false;
  saver.SaveChunk("PARI", &info_, sizeof info_);
  return true;
}

bool Vel_DX8_ParticleObject::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  ParticleInfo loaded;
  if (vel::ReadRecordChunk(loader, "PARI", &loaded, sizeof loaded, this,
                           "Vel_DX8_ParticleObject::LoadChannel: Corrupt chunk")) {
    info_ = loaded;
    SanitizeInfo();
  }
  return true;
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_ParticleObject; }
