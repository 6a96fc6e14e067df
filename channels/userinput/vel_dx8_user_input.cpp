#include "userinput/vel_dx8_user_input.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "file_saver.h"
#include "input/input_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"

#include <d3dx8/d3dx8math.h>

#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 UserInput", vel::kUserInputType, vel::kFloatType);
  return type;
}

constexpr const char* kNoInput = "ERROR USER INPUT NO DX8 INPUT";
constexpr const char* kCorrupt = "Vel_DX8_UserInput::LoadChannel: Corrupt chunk";
// Joystick axes run -1000..1000.
constexpr float kAxisScale = 0.001f;
constexpr float kFullTurn = 6.2831855f;
// Mouse pixels to ground units of the camera-relative step.
constexpr float kStepPerPixel = 0.05f;

float Axis(LONG v) { return static_cast<float>(v) * kAxisScale; }
bool Held(BYTE b) { return (b & 0x80) != 0; }
}  // namespace

Vel_DX8_UserInput::Vel_DX8_UserInput()
    : infoType(kMouse),
      infoValue(0),
      trueValue(1.0f),
      falseValue(0.0f),
      input(nullptr),
      directGraphics_(nullptr),
      clickArmed(true) {
  SetChannelName("DX8 UserInput");
  if (engine) input = vel::As<InputChannel>(engine->GetUniqueChannel(vel::kInputType, nullptr), vel::kInputType);
  if (!input && engine) engine->errorFunctor(kNoInput);
  SetChildCreationCount(0);
}

Vel_DX8_UserInput::~Vel_DX8_UserInput() = default;

bool Vel_DX8_UserInput::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  saver.SaveChunk("DIIT", &infoType, sizeof infoType);
  saver.SaveChunk("DIIV", &infoValue, sizeof infoValue);
  saver.SaveChunk("DITV", &trueValue, sizeof trueValue);
  saver.SaveChunk("DIFV", &falseValue, sizeof falseValue);
  return true;
}

bool Vel_DX8_UserInput::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  // The four chunks are searched for in this order, each after the one
  // before and within this channel's own chunks: other chunks may stand
  // before and between them, but a missing one is never taken from the
  // record of a channel that follows.
  int32_t type = 0, v = 0;
  float on = 0.0f, off = 0.0f;
  auto read = [&](const char* tag, void* dst, unsigned long size) {
    return vel::FindOwnChunk(loader, tag) && vel::ReadRecordChunk(loader, tag, dst, size, this, kCorrupt);
  };
  if (!read("DIIT", &type, sizeof type) || !read("DIIV", &v, sizeof v) || !read("DITV", &on, sizeof on) ||
      !read("DIFV", &off, sizeof off)) {
    if (engine) engine->errorFunctor("Vel_DX8_UserInput::Couldn't find float header");
    return false;
  }
  infoType = type;
  infoValue = v;
  trueValue = on;
  falseValue = off;
  return true;
}

void Vel_DX8_UserInput::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kInputType, dependencies);
  AddChannelGuidDepend(vel::kFloatType, dependencies);
}

float Vel_DX8_UserInput::GetFloat() {
  if (!CheckRenderCount()) return value;
  switch (infoType) {
    case kKeyboard: value = GetUserKeyBoardInputInformation(); break;
    case kMouse: value = GetMouseInformation(); break;
    case kExtraKeys: value = GetExtraKeyInformation(); break;
    case kJoystick0: value = GetJoystickInformation(0); break;
    case kJoystick1: value = GetJoystickInformation(1); break;
    case kAnyKey: value = GetAnyKeyInformation(); break;
    default: break;
  }
  return value;
}

const InputStateRecord* Vel_DX8_UserInput::PolledState() {
  if (!input) return nullptr;
  input->CallChannel();
  return input->GetInputState();
}

float Vel_DX8_UserInput::GetUserKeyBoardInputInformation() {
  const InputStateRecord* state = PolledState();
  if (!state || infoValue < 0 || infoValue > 255) return falseValue;
  return Pressed(Held(state->keys[infoValue]));
}

float Vel_DX8_UserInput::Click(bool down) {
  if (!down) {
    clickArmed = true;
    return falseValue;
  }
  if (!clickArmed) return falseValue;
  clickArmed = false;
  return trueValue;
}

float Vel_DX8_UserInput::GetMouseInformation() {
  const InputStateRecord* state = PolledState();
  const bool movement = infoValue == 2 || infoValue == 3 || infoValue == 6;
  if (!state) return movement ? 0.0f : falseValue;
  const uint8_t* buttons = state->mouseButtons;
  switch (infoValue) {
    case 0: return Pressed(buttons[input_state::kLeftButton] != 0);
    case 1: return Pressed(buttons[input_state::kRightButton] != 0);
    case 2: return static_cast<float>(state->mouseX);
    case 3: return static_cast<float>(state->mouseY);
    case 4: return Click(buttons[input_state::kLeftButton] != 0);
    case 5: return Click(buttons[input_state::kRightButton] != 0);
    case 6: return static_cast<float>(state->wheel);
    case 7: return Pressed(buttons[input_state::kMiddleButton] != 0);
    case 8: return Pressed(buttons[input_state::kBackButton] != 0);
    default: return falseValue;
  }
}

float Vel_DX8_UserInput::GetExtraKeyInformation() {
  const InputStateRecord* state = PolledState();
  if (!state) return falseValue;
  switch (infoValue) {
    case 0: return Pressed(state->extraKeys[input_state::kControlKey] != 0);
    case 1: return Pressed(state->extraKeys[input_state::kShiftKey] != 0);
    case 2: return Pressed(state->extraKeys[input_state::kAltKey] != 0);
    default: return falseValue;
  }
}

float Vel_DX8_UserInput::GetJoystickInformation(int joystick) {
  if (!input) return 0.0f;
  input->CallChannel();
  const DIJOYSTATE* pad = input->GetJoystickState(joystick);
  if (!pad) return 0.0f;
  const int v = infoValue;
  if (v == 0) return Axis(pad->lX);
  if (v == 1) return Axis(pad->lY);
  if (v == 2) return Axis(pad->lZ);
  if (v >= 3 && v <= 20) return Pressed(Held(pad->rgbButtons[v - 3]));
  if (v == 21) return Axis(pad->lRx);
  if (v == 22) return Axis(pad->lRy);
  if (v == 23) return Axis(pad->lRz);
  if (v == 24 || v == 25) return Axis(pad->rglSlider[v - 24]);
  if (v >= 26 && v <= 29) {
    const DWORD hat = pad->rgdwPOV[v - 26];
    if ((hat & 0xFFFFu) == 0xFFFFu) return -1.0f;
    return static_cast<float>(hat) / 36000.0f * kFullTurn;
  }
  return falseValue;
}

float Vel_DX8_UserInput::GetAnyKeyInformation() {
  const InputStateRecord* state = PolledState();
  if (!state) return falseValue;
  for (uint8_t key : state->keys)
    if (key) return trueValue;
  return falseValue;
}

bool Vel_DX8_UserInput::CameraRelativeDelta(float* x, float* z) {
  if (!directGraphics_) directGraphics_ = vel::DeviceChannel(engine);
  const InputStateRecord* state = input ? input->GetInputState() : nullptr;
  if (!directGraphics_ || !state) return false;
  D3DXMATRIX view = directGraphics_->GetCameraMatrix(), placement;
  if (!D3DXMatrixInverse(&placement, nullptr, &view)) return false;
  D3DXVECTOR3 step(static_cast<float>(state->mouseX) * kStepPerPixel, 0.0f,
                   -static_cast<float>(state->mouseY) * kStepPerPixel);
  D3DXVECTOR3 placed;
  D3DXVec3TransformCoord(&placed, &step, &placement);
  *x = placed.x;
  *z = placed.z;
  return true;
}

float Vel_DX8_UserInput::GetCameraRelativeDeltaX() {
  float x = 0.0f, z = 0.0f;
  return CameraRelativeDelta(&x, &z) ? x : 0.0f;
}

float Vel_DX8_UserInput::GetCameraRelativeDeltaY() {
  float x = 0.0f, z = 0.0f;
  return CameraRelativeDelta(&x, &z) ? z : 0.0f;
}

float Vel_DX8_UserInput::GetTrueValue() { return trueValue; }
void Vel_DX8_UserInput::SetTrueValue(float v) { trueValue = v; }
float Vel_DX8_UserInput::GetFalseValue() { return falseValue; }
void Vel_DX8_UserInput::SetFalseValue(float v) { falseValue = v; }
int Vel_DX8_UserInput::GetInfoType() { return infoType; }
void Vel_DX8_UserInput::SetInfoType(int type) { infoType = type; }
int Vel_DX8_UserInput::GetInfoValue() { return infoValue; }
void Vel_DX8_UserInput::SetInfoValue(int v) { infoValue = v; }

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_UserInput; }
