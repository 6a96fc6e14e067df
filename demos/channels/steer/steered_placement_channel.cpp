#include "steered_placement_channel.h"

#include "floatvalue/vel_float_channel.h"
#include "guid_util.h"
#include "timesource/vel_time_source_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {
const GUID kSteeredPlacementType = GuidLiteral("9C3E5A71-2B8D-4F16-A0C4-6D7E19B3F258");
// Units a second at an input of 1.0.
constexpr float kSpeed = 1.5f;
constexpr float kTurnPerPixel = 0.005f;
constexpr float kMaxTilt = 1.2f;

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Steered Placement", kSteeredPlacementType, vel::kMatrixType);
  return type;
}
}  // namespace

SteeredPlacementChannel::SteeredPlacementChannel()
    : yaw_(0.0f), pitch_(0.0f), offset_(0.0f, 0.0f, 0.0f), clock_(nullptr) {
  SetChannelName("Steered Placement");
  SetChildCreationCount(kSlotCount);
  const char* labels[] = {"Forward", "Back", "Left", "Right", "Look", "Turn", "Tilt"};
  for (int slot = kForwardSlot; slot < kParentSlot; ++slot)
    vel::DeclareSlot(this, slot, vel::kFloatType, "Value", labels[slot]);
  vel::DeclareSlot(this, kParentSlot, vel::kMatrixType, "Matrix", "Parent");
}

SteeredPlacementChannel::~SteeredPlacementChannel() { delete clock_; }

float SteeredPlacementChannel::FrameSeconds() {
  if (!clock_ && engine)
    clock_ = vel::As<Vel_TimeSourceChannel>(engine->InitChannelFromType(vel::kTimeSourceType, nullptr, false),
                                            vel::kTimeSourceType);
  if (!clock_) return 0.0f;
  const float seconds = clock_->GetFrameTime() / Vel_TimeSourceChannel::kTicksPerSecond;
  // A long stall (a dragged window, a breakpoint) moves no farther than a
  // tenth of a second would.
  return std::isfinite(seconds) ? std::clamp(seconds, 0.0f, 0.1f) : 0.0f;
}

float SteeredPlacementChannel::Input(int slot) {
  auto* value = vel::ChildAs<Vel_FloatChannel>(this, slot, vel::kFloatType);
  return value ? value->GetFloat() : 0.0f;
}

D3DXMATRIX SteeredPlacementChannel::GetMatrix() {
  if (!CheckRenderCount()) return matrix;
  if (Input(kLookSlot) >= 0.5f) {
    yaw_ += Input(kTurnSlot) * kTurnPerPixel;
    pitch_ = std::clamp(pitch_ + Input(kTiltSlot) * kTurnPerPixel, -kMaxTilt, kMaxTilt);
  }
  D3DXMATRIX turn, heading, move;
  D3DXMatrixRotationYawPitchRoll(&turn, yaw_, pitch_, 0.0f);
  D3DXMatrixRotationY(&heading, yaw_);
  const float distance = kSpeed * FrameSeconds();
  const D3DXVECTOR3 step((Input(kRightSlot) - Input(kLeftSlot)) * distance, 0.0f,
                         (Input(kForwardSlot) - Input(kBackSlot)) * distance);
  D3DXVECTOR3 turned;
  D3DXVec3TransformNormal(&turned, &step, &heading);
  offset_ += turned;
  D3DXMatrixTranslation(&move, offset_.x, offset_.y, offset_.z);
  matrix = turn * move;
  if (auto* parent = vel::ChildAs<Vel_MatrixChannel>(this, kParentSlot, vel::kMatrixType))
    matrix = matrix * parent->GetMatrix();
  return matrix;
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) SteeredPlacementChannel; }
