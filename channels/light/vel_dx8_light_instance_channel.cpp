#include "light/vel_dx8_light_instance_channel.h"

#include "file_saver.h"
#include "floatvalue/vel_float_channel.h"
#include "lightmanager/light_manager_channel.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "vectorvalue/vel_vector_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <new>

namespace {
// 1/255 in single precision: a colour byte as a component in 0..1.
constexpr float kByteToUnit = 0.0039215689f;

// Defaults of the float and vector settings; a setting that is not finite
// reads as its default.
constexpr float kDefaultFloats[Vel_DX8_LightInstanceChannel::kFloatCount] = {0, 0, 0, 10000.0f, 1.0f, 1.0f, 2.0f, 0};
const D3DXVECTOR3 kDefaultVectors[Vel_DX8_LightInstanceChannel::kVectorCount] = {
    {1.0f, 1.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f}};

// The errors of enabling or disabling a light twice, counted process-wide.
int enabledTwiceCount = 0;
int disabledTwiceCount = 0;

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 Light", vel::kLightType, vel::kLightType);
  return type;
}

// The fallback vector index of vector slot i, or -1.
int VectorIndex(int slot) {
  using L = Vel_DX8_LightInstanceChannel;
  switch (slot) {
    case L::kDiffuseSlot: return 0;
    case L::kAttenuationSlot: return 1;
    case L::kSpecularSlot: return 2;
    case L::kAmbientSlot: return 3;
    default: return -1;
  }
}
}  // namespace

Vel_DX8_LightInstanceChannel::Vel_DX8_LightInstanceChannel()
    : light_{},
      lightManager_(nullptr),
      lightID_(0),
      positionKnown_(false),
      lastPosition_(0.0f, 0.0f, 0.0f),
      deltaMovement_(0.0f, 0.0f, 0.0f),
      enabled_(false) {
  if (engine)
    lightManager_ = vel::As<LightManagerChannel>(engine->GetUniqueChannel(vel::kLightManagerType, nullptr),
                                                 vel::kLightManagerType);
  if (!lightManager_ && engine) engine->errorFunctor("Couldn't initialize dx8 light !");
  SetChannelName("DX8 Light");

  SetChildCreationCount(10);
  vel::DeclareSlot(this, kPlacementSlot, vel::kMatrixType, "Matrix", "Light Pos", true, vel::kMotionType);
  vel::DeclareSlot(this, kDiffuseSlot, vel::kVectorType, "Value Vector", "Diffuse", true);
  vel::DeclareSlot(this, kAttenuationSlot, vel::kVectorType, "Value Vector", "Attenuation", true);
  vel::DeclareSlot(this, kRangeSlot, vel::kFloatType, "Value", "Range", true);
  vel::DeclareSlot(this, kFalloffSlot, vel::kFloatType, "Value", "Falloff", true);
  vel::DeclareSlot(this, kThetaSlot, vel::kFloatType, "Value", "Theta", true);
  vel::DeclareSlot(this, kPhiSlot, vel::kFloatType, "Value", "Phi", true);
  vel::DeclareSlot(this, kLightTypeSlot, vel::kFloatType, "Value", "Light type", true);
  vel::DeclareSlot(this, kSpecularSlot, vel::kVectorType, "Value Vector", "Specular");
  vel::DeclareSlot(this, kAmbientSlot, vel::kVectorType, "Value Vector", "Ambient");
  vel::DeclareSlot(this, kStateSlot, vel::kFloatType, "Value", "Light state information");

  for (int i = 0; i < kFloatCount; ++i) fallbackFloats_[i] = kDefaultFloats[i];
  for (int i = 0; i < kVectorCount; ++i) fallbackVectors_[i] = kDefaultVectors[i];
}

Vel_DX8_LightInstanceChannel::~Vel_DX8_LightInstanceChannel() {
  // The manager forgets a light that goes away while it is on.
  if (enabled_ && lightManager_) lightManager_->DisableLight(this);
}

// ---------------------------------------------------------------------------
// Settings

float Vel_DX8_LightInstanceChannel::GetChannelValue(int index) {
  if (Orn_Channel* child = GetChild(index)) {
    Vel_FloatChannel* value = vel::As<Vel_FloatChannel>(child, vel::kFloatType);
    return value ? value->GetFloat() : 0.0f;
  }
  return index >= 0 && index < kFloatCount ? fallbackFloats_[index] : 0.0f;
}

void Vel_DX8_LightInstanceChannel::SetChannelValue(float value, int index) {
  if (Orn_Channel* child = GetChild(index)) {
    if (Vel_FloatChannel* target = vel::As<Vel_FloatChannel>(child, vel::kFloatType)) target->SetFloat(value);
    return;
  }
  if (index >= 0 && index < kFloatCount) fallbackFloats_[index] = value;
}

D3DXVECTOR3* Vel_DX8_LightInstanceChannel::FallbackVector(int index) {
  int i = VectorIndex(index);
  return i < 0 ? nullptr : &fallbackVectors_[i];
}

float Vel_DX8_LightInstanceChannel::GetVectorValue(int index, int component) {
  if (component < 0 || component > 2) return 0.0f;
  if (Orn_Channel* child = GetChild(index)) {
    Vel_VectorChannel* value = vel::As<Vel_VectorChannel>(child, vel::kVectorType);
    return value ? value->GetVector()[component] : 0.0f;
  }
  D3DXVECTOR3* fallback = FallbackVector(index);
  return fallback ? (*fallback)[component] : 0.0f;
}

void Vel_DX8_LightInstanceChannel::SetVectorValue(int index, D3DXVECTOR3 v) {
  if (Orn_Channel* child = GetChild(index)) {
    if (Vel_VectorChannel* target = vel::As<Vel_VectorChannel>(child, vel::kVectorType)) target->SetVector(v);
    return;
  }
  if (D3DXVECTOR3* fallback = FallbackVector(index)) *fallback = v;
}

void Vel_DX8_LightInstanceChannel::SetLightColor(DWORD c) {
  SetVectorValue(kDiffuseSlot, D3DXVECTOR3(static_cast<float>(c & 0xFF) * kByteToUnit,
                                           static_cast<float>(c >> 8 & 0xFF) * kByteToUnit,
                                           static_cast<float>(c >> 16 & 0xFF) * kByteToUnit));
}

int Vel_DX8_LightInstanceChannel::GetLightType() { return vel::SaturateToInt(GetChannelValue(kLightTypeSlot)); }
void Vel_DX8_LightInstanceChannel::SetLightType(int type) {
  SetChannelValue(static_cast<float>(type), kLightTypeSlot);
}

// ---------------------------------------------------------------------------
// The light record

void Vel_DX8_LightInstanceChannel::Calculate() {
  if (!CheckRenderCount()) return;
  auto vectorValue = [this](int slot, int component) {
    return vel::FiniteOr(GetVectorValue(slot, component), kDefaultVectors[VectorIndex(slot)][component]);
  };
  auto floatValue = [this](int slot) { return vel::FiniteOr(GetChannelValue(slot), kDefaultFloats[slot]); };

  light_.Diffuse = {vectorValue(kDiffuseSlot, 0), vectorValue(kDiffuseSlot, 1), vectorValue(kDiffuseSlot, 2), 0.0f};
  light_.Attenuation0 = vectorValue(kAttenuationSlot, 0);
  light_.Attenuation1 = vectorValue(kAttenuationSlot, 1);
  light_.Attenuation2 = vectorValue(kAttenuationSlot, 2);
  light_.Range = floatValue(kRangeSlot);
  light_.Falloff = floatValue(kFalloffSlot);
  light_.Theta = floatValue(kThetaSlot);
  light_.Phi = floatValue(kPhiSlot);
  light_.Specular = {vectorValue(kSpecularSlot, 0), vectorValue(kSpecularSlot, 1), vectorValue(kSpecularSlot, 2),
                     0.0f};
  light_.Ambient = {vectorValue(kAmbientSlot, 0), vectorValue(kAmbientSlot, 1), vectorValue(kAmbientSlot, 2), 0.0f};

  switch (vel::SaturateToInt(GetChannelValue(kLightTypeSlot))) {
    case 0: light_.Type = D3DLIGHT_DIRECTIONAL; break;
    case 1: light_.Type = D3DLIGHT_SPOT; break;
    case 2: light_.Type = D3DLIGHT_POINT; break;
    default: break;  // the previous type stays
  }

  // The placement's origin and its local +z axis.
  D3DXVECTOR3 p(0.0f, 0.0f, 0.0f), q(0.0f, 0.0f, 1.0f);
  if (Vel_MatrixChannel* placement = vel::ChildAs<Vel_MatrixChannel>(this, kPlacementSlot, vel::kMatrixType)) {
    D3DXMATRIX m = placement->GetMatrix();
    D3DXVec3TransformCoord(&q, &q, &m);
    D3DXVec3TransformCoord(&p, &p, &m);
  }
  // A placement that is not finite keeps the last position and direction.
  if (!vel::AllFinite(p) || !vel::AllFinite(q)) return;
  D3DXVECTOR3 direction = q - p;
  light_.Direction = {direction.x, direction.y, direction.z};
  light_.Position = {p.x, p.y, p.z};
  if (!positionKnown_) {
    positionKnown_ = true;
    lastPosition_ = p;
  }
  deltaMovement_ = p - lastPosition_;
  lastPosition_ = p;
}

D3DLIGHT8 Vel_DX8_LightInstanceChannel::GetLightInfo() {
  Calculate();
  return light_;
}
D3DXVECTOR3 Vel_DX8_LightInstanceChannel::GetDeltaMovement() { return deltaMovement_; }
D3DXVECTOR3 Vel_DX8_LightInstanceChannel::GetPosition() { return lastPosition_; }
void Vel_DX8_LightInstanceChannel::SetLightID(int id) { lightID_ = id; }
int Vel_DX8_LightInstanceChannel::GetLightID() { return lightID_; }

// ---------------------------------------------------------------------------
// Switching

void Vel_DX8_LightInstanceChannel::SetStateValue(float value) {
  if (Vel_FloatChannel* state = vel::ChildAs<Vel_FloatChannel>(this, kStateSlot, vel::kFloatType))
    state->SetFloat(value);
}

void Vel_DX8_LightInstanceChannel::EnableLight() {
  Calculate();
  if (enabled_) {
    if (engine)
      engine->debugText("ERROR LIGHT IS ENABLED TWICE!! FINISH OLD RENDER BEFORE STARTING NEW ONE : ",
                        enabledTwiceCount++, 5);
    return;
  }
  if (lightManager_) lightManager_->EnableLight(this);
  enabled_ = true;
  SetStateValue(1.0f);
}

void Vel_DX8_LightInstanceChannel::DisableLight() {
  if (!enabled_) {
    if (engine)
      engine->debugText("ERROR LIGHT IS DISABLED TWICE!! FINISH OLD RENDER BEFORE STARTING NEW ONE : ",
                        disabledTwiceCount++, 2);
    return;
  }
  enabled_ = false;
  if (lightManager_) lightManager_->DisableLight(this);
  SetStateValue(0.0f);
}

void Vel_DX8_LightInstanceChannel::CallChannel() {
  if (enabled_)
    DisableLight();
  else
    EnableLight();
}

// ---------------------------------------------------------------------------
// Life and record

void Vel_DX8_LightInstanceChannel::OneTimeInitialize() {
  if (Orn_Channel* diffuse = GetChild(kDiffuseSlot)) {
    if (Vel_VectorChannel* v = vel::As<Vel_VectorChannel>(diffuse, vel::kVectorType))
      v->SetVector(D3DXVECTOR3(1.0f, 1.0f, 1.0f));
    SetChild(diffuse, 0, kSpecularSlot);
  }
  if (Vel_VectorChannel* v = vel::ChildAs<Vel_VectorChannel>(this, kAttenuationSlot, vel::kVectorType))
    v->SetVector(D3DXVECTOR3(1.0f, 0.0f, 0.0f));
  SetChannelValue(10000.0f, kRangeSlot);
  SetChannelValue(1.0f, kFalloffSlot);
  SetChannelValue(1.0f, kThetaSlot);
  SetChannelValue(2.0f, kPhiSlot);
}

bool Vel_DX8_LightInstanceChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  static_assert(sizeof fallbackFloats_ == 32 && sizeof fallbackVectors_ == 48);
  saver.SaveChunk("LIVI", fallbackFloats_, sizeof fallbackFloats_);
  saver.SaveChunk("LIVE", fallbackVectors_, sizeof fallbackVectors_);
  return true;
}

bool Vel_DX8_LightInstanceChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  const char* where = "Vel_DX8_LightInstanceChannel::LoadChannel: Corrupt chunk";
  vel::ReadRecordChunk(loader, "LIVI", fallbackFloats_, sizeof fallbackFloats_, this, where);
  vel::ReadRecordChunk(loader, "LIVE", fallbackVectors_, sizeof fallbackVectors_, this, where);
  return true;
}

void Vel_DX8_LightInstanceChannel::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kLightManagerType, dependencies);
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_LightInstanceChannel; }
