#include "input/input_channel.h"

#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <win32/window.h>

#include <cstring>
#include <new>

namespace {
ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Input", vel::kInputType, vel::kInputType);
  return type;
}

// DirectInput key codes of the modifier keys, left and right.
constexpr int kShiftKeys[2] = {0x2A, 0x36};
constexpr int kControlKeys[2] = {0x1D, 0x9D};
constexpr int kAltKeys[2] = {0x38, 0xB8};

BYTE EitherKey(const BYTE* keys, const int (&pair)[2]) { return (keys[pair[0]] | keys[pair[1]]) & 0x80; }
}  // namespace

InputChannel::InputChannel() : state_{}, joysticks_{}, joystickPresent_{} {
  SetChannelName("Input");
  SetChildCreationCount(0);
}

InputChannel::~InputChannel() = default;

void InputChannel::CallChannel() {
  if (CheckRenderCount()) Poll();
}

void InputChannel::Poll() {
  devices_.Poll();
  InputStateRecord next{};
  POINT cursor{0, 0};
  if (GetCursorPos(&cursor)) {
    next.cursorX = cursor.x;
    next.cursorY = cursor.y;
  }
  const Win32MouseState& mouse = devices_.Mouse();
  next.mouseX = mouse.x;
  next.mouseY = mouse.y;
  next.wheel = mouse.wheel;
  for (int i = 0; i < 4; ++i) next.mouseButtons[i] = mouse.buttons[i];
  const BYTE* keys = devices_.Keyboard();
  std::memcpy(next.keys, keys, sizeof next.keys);
  next.extraKeys[input_state::kShiftKey] = EitherKey(keys, kShiftKeys);
  next.extraKeys[input_state::kControlKey] = EitherKey(keys, kControlKeys);
  next.extraKeys[input_state::kAltKey] = EitherKey(keys, kAltKeys);
  state_ = next;
  for (int j = 0; j < Win32InputDevices::kJoysticks; ++j) {
    const DIJOYSTATE* pad = devices_.Joystick(j);
    joystickPresent_[j] = pad != nullptr;
    if (pad) joysticks_[j] = *pad;
  }
}

const BYTE* InputChannel::GetKeyboardState() { return state_.keys; }
POINT InputChannel::GetMouseMovement() { return POINT{state_.mouseX, state_.mouseY}; }
int InputChannel::GetWheelMovement() { return state_.wheel; }
const InputStateRecord* InputChannel::GetInputState() { return &state_; }

int InputChannel::GetJoystickCount() {
  int count = 0;
  for (bool present : joystickPresent_) count += present;
  return count;
}

const DIJOYSTATE* InputChannel::GetJoystickState(int index) {
  if (index < 0 || index >= Win32InputDevices::kJoysticks || !joystickPresent_[index]) return nullptr;
  return &joysticks_[index];
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) InputChannel; }
