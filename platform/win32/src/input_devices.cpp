// Device state kept from the SDL events the message pump takes in, and the
// readers that take snapshots of it.
#include "win32/input.h"

#include <bitset>
#include <cstring>
#include <mutex>
#include <vector>

#include "window_internal.h"

// What one reader has not polled yet.
struct Win32InputFeed {
  LONG x = 0;
  LONG y = 0;
  LONG wheel = 0;
  std::bitset<256> keys;  // pressed since the last poll
  std::bitset<8> buttons;
  std::bitset<32> joystickButtons[Win32InputDevices::kJoysticks];
};

namespace win32plat {
namespace {

struct JoystickSlot {
  SDL_Joystick* device = nullptr;
  SDL_JoystickID id = -1;
  DIJOYSTATE state;
};

struct Devices {
  std::mutex mutex;
  int readers = 0;
  std::bitset<256> keys;
  std::bitset<8> buttons;
  JoystickSlot joysticks[Win32InputDevices::kJoysticks];
  std::vector<Win32InputFeed*> feeds;
};

Devices& State() {
  static Devices* devices = new Devices;  // lives until the process ends
  return *devices;
}

LONG ScaleAxis(int value) {
  const LONG range = Win32InputDevices::kAxisRange;
  long long scaled = static_cast<long long>(value) * range;
  long long rounded = (scaled + (scaled >= 0 ? 16383 : -16383)) / 32767;
  return static_cast<LONG>(rounded < -range ? -range : (rounded > range ? range : rounded));
}

void SetAxis(DIJOYSTATE* state, int axis, int value) {
  LONG* axes[] = {&state->lX, &state->lY, &state->lZ, &state->lRx, &state->lRy, &state->lRz,
                  &state->rglSlider[0], &state->rglSlider[1]};
  if (axis >= 0 && axis < 8) *axes[axis] = ScaleAxis(value);
}

DWORD PointOfView(Uint8 hat) {
  switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return 0xFFFFFFFFu;
  }
}

void ResetJoystick(DIJOYSTATE* state) {
  std::memset(state, 0, sizeof(*state));
  for (DWORD& hat : state->rgdwPOV) hat = 0xFFFFFFFFu;
}

JoystickSlot* SlotOf(Devices& devices, SDL_JoystickID id) {
  for (JoystickSlot& slot : devices.joysticks)
    if (slot.device && slot.id == id) return &slot;
  return nullptr;
}

void OpenJoystick(Devices& devices, int deviceIndex) {
  if (devices.readers == 0 || SlotOf(devices, SDL_JoystickGetDeviceInstanceID(deviceIndex))) return;
  for (JoystickSlot& slot : devices.joysticks) {
    if (slot.device) continue;
    SDL_Joystick* device = SDL_JoystickOpen(deviceIndex);
    if (!device) return;
    slot.device = device;
    slot.id = SDL_JoystickInstanceID(device);
    ResetJoystick(&slot.state);
    for (int axis = 0; axis < SDL_JoystickNumAxes(device); ++axis)
      SetAxis(&slot.state, axis, SDL_JoystickGetAxis(device, axis));
    for (int hat = 0; hat < SDL_JoystickNumHats(device) && hat < 4; ++hat)
      slot.state.rgdwPOV[hat] = PointOfView(SDL_JoystickGetHat(device, hat));
    for (int button = 0; button < SDL_JoystickNumButtons(device) && button < 32; ++button)
      slot.state.rgbButtons[button] = SDL_JoystickGetButton(device, button) ? 0x80 : 0;
    return;
  }
}

void CloseJoystick(JoystickSlot* slot) {
  SDL_JoystickClose(slot->device);
  slot->device = nullptr;
  slot->id = -1;
}

int MouseButtonIndex(Uint8 button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return 0;
    case SDL_BUTTON_RIGHT: return 1;
    case SDL_BUTTON_MIDDLE: return 2;
    case SDL_BUTTON_X1: return 3;
    case SDL_BUTTON_X2: return 4;
    default: return -1;
  }
}

}  // namespace

void FeedInputDevices(const SDL_Event& event) {
  Devices& devices = State();
  std::lock_guard<std::mutex> lock(devices.mutex);
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      BYTE code = DirectInputKeyFromSdl(event.key.keysym.scancode);
      if (!code) break;
      bool down = event.type == SDL_KEYDOWN;
      devices.keys[code] = down;
      if (down)
        for (Win32InputFeed* feed : devices.feeds) feed->keys[code] = true;
      break;
    }
    case SDL_MOUSEMOTION:
      if (event.motion.which == SDL_TOUCH_MOUSEID) break;
      for (Win32InputFeed* feed : devices.feeds) {
        feed->x += event.motion.xrel;
        feed->y += event.motion.yrel;
      }
      break;
    case SDL_MOUSEWHEEL:
      if (event.wheel.which == SDL_TOUCH_MOUSEID) break;
      for (Win32InputFeed* feed : devices.feeds) feed->wheel += WheelDistance(event.wheel);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      int index = MouseButtonIndex(event.button.button);
      if (index < 0 || event.button.which == SDL_TOUCH_MOUSEID) break;
      bool down = event.type == SDL_MOUSEBUTTONDOWN;
      devices.buttons[index] = down;
      if (down)
        for (Win32InputFeed* feed : devices.feeds) feed->buttons[index] = true;
      break;
    }
    case SDL_JOYDEVICEADDED: OpenJoystick(devices, event.jdevice.which); break;
    case SDL_JOYDEVICEREMOVED:
      if (JoystickSlot* slot = SlotOf(devices, event.jdevice.which)) CloseJoystick(slot);
      break;
    case SDL_JOYAXISMOTION:
      if (JoystickSlot* slot = SlotOf(devices, event.jaxis.which))
        SetAxis(&slot->state, event.jaxis.axis, event.jaxis.value);
      break;
    case SDL_JOYHATMOTION:
      if (JoystickSlot* slot = SlotOf(devices, event.jhat.which); slot && event.jhat.hat < 4)
        slot->state.rgdwPOV[event.jhat.hat] = PointOfView(event.jhat.value);
      break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
      JoystickSlot* slot = SlotOf(devices, event.jbutton.which);
      if (!slot || event.jbutton.button >= 32) break;
      bool down = event.type == SDL_JOYBUTTONDOWN;
      slot->state.rgbButtons[event.jbutton.button] = down ? 0x80 : 0;
      size_t index = static_cast<size_t>(slot - devices.joysticks);
      if (down)
        for (Win32InputFeed* feed : devices.feeds) feed->joystickButtons[index][event.jbutton.button] = true;
      break;
    }
    default: break;
  }
}

}  // namespace win32plat

using namespace win32plat;

Win32InputDevices::Win32InputDevices() : feed_(new Win32InputFeed) {
  std::memset(keys_, 0, sizeof(keys_));
  std::memset(&mouse_, 0, sizeof(mouse_));
  for (int i = 0; i < kJoysticks; ++i) {
    ResetJoystick(&joysticks_[i]);
    present_[i] = false;
  }
  Devices& devices = State();
  std::lock_guard<std::mutex> lock(devices.mutex);
  devices.feeds.push_back(feed_);
  // The joysticks present now are reported to the message loop as added.
  if (devices.readers++ == 0) SDL_InitSubSystem(SDL_INIT_JOYSTICK);
}

Win32InputDevices::~Win32InputDevices() {
  {
    Devices& devices = State();
    std::lock_guard<std::mutex> lock(devices.mutex);
    std::erase(devices.feeds, feed_);
    if (--devices.readers == 0) {
      for (JoystickSlot& slot : devices.joysticks)
        if (slot.device) CloseJoystick(&slot);
      SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
  }
  delete feed_;
}

void Win32InputDevices::Poll() {
  Devices& devices = State();
  std::lock_guard<std::mutex> lock(devices.mutex);
  Win32InputFeed& feed = *feed_;
  for (int code = 0; code < 256; ++code) keys_[code] = (devices.keys[code] || feed.keys[code]) ? 0x80 : 0;
  mouse_.x = feed.x;
  mouse_.y = feed.y;
  mouse_.wheel = feed.wheel;
  for (int button = 0; button < 8; ++button)
    mouse_.buttons[button] = (devices.buttons[button] || feed.buttons[button]) ? 0x80 : 0;
  for (int i = 0; i < kJoysticks; ++i) {
    const JoystickSlot& slot = devices.joysticks[i];
    present_[i] = slot.device != nullptr;
    if (!present_[i]) continue;
    joysticks_[i] = slot.state;
    for (int button = 0; button < 32; ++button)
      if (feed.joystickButtons[i][button]) joysticks_[i].rgbButtons[button] = 0x80;
  }
  feed = Win32InputFeed();
}

const DIJOYSTATE* Win32InputDevices::Joystick(int index) const {
  if (index < 0 || index >= kJoysticks || !present_[index]) return nullptr;
  return &joysticks_[index];
}
