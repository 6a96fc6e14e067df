#include "camera/vel_dx8_camera_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "file_saver.h"
#include "floatvalue/vel_float_channel.h"
#include "orn_channel_group.h"
#include "projection/projection_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <cstring>
#include <new>

namespace {
// The projection of a camera without a projection child.
constexpr float kNearPlane = 0.4f;
constexpr float kFarPlane = 4000.0f;
constexpr float kScale = 2.0f;
// 1/255 in single precision: a colour byte as a component in 0..1.
constexpr float kByteToUnit = 0.0039215689f;

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 Camera", vel::kCameraType, vel::kCameraType);
  return type;
}

DWORD FloatBits(float v) {
  DWORD bits;
  std::memcpy(&bits, &v, sizeof bits);
  return bits;
}
}  // namespace

Vel_DX8_CameraChannel::Vel_DX8_CameraChannel()
    : directGraphics_(nullptr),
      useFog_(false),
      fogMode_(0),
      fogStart_(0.0f),
      fogEnd_(0.0f),
      fogDensity_(0.0f),
      fogColor_(0),
      zoomFactor_(1.0f),
      fallback_{},
      singleton_(nullptr),
      viewReported_(false) {
  D3DXMatrixIdentity(&viewMatrix_);
  D3DXMatrixIdentity(&cameraMatrix_);
  directGraphics_ = vel::DeviceChannel(engine);
  if (!directGraphics_ && engine) engine->errorFunctor("Couldn't initialize Direct Graphics !");

  SetChildCreationCount(11);
  vel::DeclareSlot(this, kCameraMatrixSlot, vel::kMatrixType, "Matrix", "Camera Matrix", true, vel::kMotionType);
  vel::DeclareSlot(this, kFogOnSlot, vel::kFloatType, "Float", "Fog On Off");
  fallback_[kFogOnSlot] = 0.0f;
  vel::DeclareSlot(this, kFogModeSlot, vel::kFloatType, "Float", "Fog Mode: 0-Lin 1-Exp 2-Exp2");
  fallback_[kFogModeSlot] = 0.0f;
  vel::DeclareSlot(this, kFogStartSlot, vel::kFloatType, "Float", "Fog Start Distance");
  fallback_[kFogStartSlot] = 1.0f;
  vel::DeclareSlot(this, kFogEndSlot, vel::kFloatType, "Float", "Fog End Distance");
  fallback_[kFogEndSlot] = 20.0f;
  vel::DeclareSlot(this, kFogDensitySlot, vel::kFloatType, "Float", "Fog Density");
  fallback_[kFogDensitySlot] = 1.0f;
  vel::DeclareSlot(this, kFogRedSlot, vel::kFloatType, "Float", "Fog Color R");
  vel::DeclareSlot(this, kFogGreenSlot, vel::kFloatType, "Float", "Fog Color G");
  vel::DeclareSlot(this, kFogBlueSlot, vel::kFloatType, "Float", "Fog Color B");
  vel::DeclareSlot(this, kZoomSlot, vel::kFloatType, "Float", "Zoom Factor", true);
  fallback_[kZoomSlot] = 1.0f;
  vel::DeclareSlot(this, kProjectionSlot, vel::kMatrixType, "Matrix", "Projection Matrix");

  SetChannelName("DX8 Camera");
  UpdateCameraInfo();
  if (engine) singleton_ = vel::As<Vel_FloatChannel>(engine->GetUniqueChannel(vel::kFloatType, kSingletonName),
                                                     vel::kFloatType);
}

Vel_DX8_CameraChannel::~Vel_DX8_CameraChannel() = default;

// ---------------------------------------------------------------------------
// Settings

float Vel_DX8_CameraChannel::GetChannelValue(int index) {
  if (Orn_Channel* child = GetChild(index)) {
    Vel_FloatChannel* value = vel::As<Vel_FloatChannel>(child, vel::kFloatType);
    return value ? value->GetFloat() : 0.0f;
  }
  return index > 0 && index < kValueCount ? fallback_[index] : 0.0f;
}

void Vel_DX8_CameraChannel::SetChannelValue(int index, float value) {
  if (Orn_Channel* child = GetChild(index)) {
    if (Vel_FloatChannel* target = vel::As<Vel_FloatChannel>(child, vel::kFloatType)) target->SetFloat(value);
    return;
  }
  if (index > 0 && index < kValueCount) fallback_[index] = value;
}

void Vel_DX8_CameraChannel::UpdateCameraInfo() {
  useFog_ = GetChannelValue(kFogOnSlot) >= 1.0f;
  fogMode_ = vel::SaturateToInt(GetChannelValue(kFogModeSlot));
  // Settings that are not finite fall back to the defaults of a new camera.
  fogStart_ = vel::FiniteOr(GetChannelValue(kFogStartSlot), 1.0f);
  fogEnd_ = vel::FiniteOr(GetChannelValue(kFogEndSlot), 20.0f);
  fogDensity_ = vel::FiniteOr(GetChannelValue(kFogDensitySlot), 1.0f);
  fogColor_ = vel::ColorBytes(GetChannelValue(kFogRedSlot), GetChannelValue(kFogGreenSlot),
                              GetChannelValue(kFogBlueSlot));
  zoomFactor_ = GetChannelValue(kZoomSlot);
}

void Vel_DX8_CameraChannel::SetUseFog(bool on) {
  useFog_ = on;
  SetChannelValue(kFogOnSlot, on ? 1.0f : 0.0f);
}
bool Vel_DX8_CameraChannel::GetUseFog() { return useFog_; }
int Vel_DX8_CameraChannel::GetFogMode() { return fogMode_; }
void Vel_DX8_CameraChannel::SetFogMode(int mode) {
  fogMode_ = mode;
  SetChannelValue(kFogModeSlot, static_cast<float>(mode));
}
float Vel_DX8_CameraChannel::GetFogStart() { return fogStart_; }
void Vel_DX8_CameraChannel::SetFogStart(float value) {
  fogStart_ = value;
  SetChannelValue(kFogStartSlot, value);
}
float Vel_DX8_CameraChannel::GetFogEnd() { return fogEnd_; }
void Vel_DX8_CameraChannel::SetFogEnd(float value) {
  fogEnd_ = value;
  SetChannelValue(kFogEndSlot, value);
}
float Vel_DX8_CameraChannel::GetFogDensity() { return fogDensity_; }
void Vel_DX8_CameraChannel::SetFogDensity(float value) {
  fogDensity_ = value;
  SetChannelValue(kFogDensitySlot, value);
}
DWORD Vel_DX8_CameraChannel::GetFogColor() { return fogColor_; }
DWORD Vel_DX8_CameraChannel::GetRGBFogColor() {
  return (fogColor_ & 0xFF) << 16 | (fogColor_ & 0xFF00) | (fogColor_ >> 16 & 0xFF);
}
void Vel_DX8_CameraChannel::SetFogColor(DWORD c) {
  DWORD r = c & 0xFF, g = c >> 8 & 0xFF, b = c >> 16 & 0xFF;
  SetChannelValue(kFogRedSlot, static_cast<float>(r) * kByteToUnit);
  SetChannelValue(kFogGreenSlot, static_cast<float>(g) * kByteToUnit);
  SetChannelValue(kFogBlueSlot, static_cast<float>(b) * kByteToUnit);
  fogColor_ = r << 16 | g << 8 | b;
}
float Vel_DX8_CameraChannel::GetZoomFactor() { return zoomFactor_; }
void Vel_DX8_CameraChannel::SetZoomFactor(float value) {
  zoomFactor_ = value;
  SetChannelValue(kZoomSlot, value);
}

// ---------------------------------------------------------------------------
// Applying the camera

void Vel_DX8_CameraChannel::CallChannel() {
  if (!directGraphics_) return;
  // Cameras of loaded groups keep still while the singleton says so.
  bool apply = true;
  if (singleton_ && channelGroup && channelGroup->GetGroupIndex() != -1 && singleton_->GetFloat() >= 1.0f)
    apply = false;
  if (!directGraphics_->GetDirect3dDevice()) return;
  UpdateCameraInfo();

  bool fog = useFog_ && apply;
  directGraphics_->SetRenderState(D3DRS_FOGENABLE, fog ? 1 : 0);
  if (fog) {
    static const DWORD kModes[] = {D3DFOG_LINEAR, D3DFOG_EXP, D3DFOG_EXP2};
    if (fogMode_ >= 0 && fogMode_ <= 2) directGraphics_->SetRenderState(D3DRS_FOGTABLEMODE, kModes[fogMode_]);
    directGraphics_->SetRenderState(D3DRS_FOGSTART, FloatBits(fogStart_));
    directGraphics_->SetRenderState(D3DRS_FOGEND, FloatBits(fogEnd_));
    directGraphics_->SetRenderState(D3DRS_FOGDENSITY, FloatBits(fogDensity_));
    directGraphics_->SetRenderState(D3DRS_FOGCOLOR, fogColor_);
  }
  if (apply) ApplyProjection();
  ApplyView(apply);
  directGraphics_->CalcFrustumPlanes();
}

void Vel_DX8_CameraChannel::ApplyProjection() {
  // The device keeps the projection in force when the values give no finite one.
  Orn_Channel* p = GetChild(kProjectionSlot);
  if (!p) {
    directGraphics_->SetProjectionMatrix(kNearPlane, kFarPlane, kScale, zoomFactor_);
  } else if (p->GetChannelType().type == vel::kProjectionType) {
    ProjectionChannel* projection = static_cast<ProjectionChannel*>(p);
    directGraphics_->SetProjectionMatrix(projection->GetNearPlane(), projection->GetFarPlane(), kScale,
                                         projection->GetZoomFactor());
    zoomFactor_ = projection->GetZoomFactor();
  } else if (Vel_MatrixChannel* matrixChild = vel::As<Vel_MatrixChannel>(p, vel::kMatrixType)) {
    // Any other matrix child is the projection matrix itself.
    D3DXMATRIX m = matrixChild->GetMatrix();
    directGraphics_->SetProjectionMatrix(m);
  }
}

void Vel_DX8_CameraChannel::ApplyView(bool apply) {
  if (Vel_MatrixChannel* c = vel::ChildAs<Vel_MatrixChannel>(this, kCameraMatrixSlot, vel::kMatrixType))
    cameraMatrix_ = c->GetMatrix();
  if (!apply) return;
  // The view is computed from the camera matrix each time, never from the
  // last view; a camera matrix without an inverse keeps the last view.
  if (vel::InvertFinite(cameraMatrix_, &viewMatrix_)) {
    viewReported_ = false;
  } else if (!viewReported_ && engine) {
    viewReported_ = true;
    engine->errorFunctor("Vel_DX8_CameraChannel: camera matrix has no inverse, keeping the previous view");
  }
  if (IDirect3DDevice8* device = directGraphics_->GetDirect3dDevice()) device->SetTransform(D3DTS_VIEW, &viewMatrix_);
}

// ---------------------------------------------------------------------------
// Life and record

void Vel_DX8_CameraChannel::OneTimeInitialize() {
  if (Vel_FloatChannel* zoom = vel::ChildAs<Vel_FloatChannel>(this, kZoomSlot, vel::kFloatType)) zoom->SetFloat(1.0f);
}

bool Vel_DX8_CameraChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  static_assert(sizeof fallback_ == 40);
  saver.SaveChunk("CASE", fallback_, sizeof fallback_);
  return true;
}

bool Vel_DX8_CameraChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  vel::ReadRecordChunk(loader, "CASE", fallback_, sizeof fallback_, this,
                       "Vel_DX8_CameraChannel::LoadChannel: Corrupt chunk");
  return true;
}

void Vel_DX8_CameraChannel::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kDeviceType, dependencies);
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_CameraChannel; }
