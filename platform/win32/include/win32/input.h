// The keyboard, the mouse and up to two joysticks, read as device state once
// a frame.
//
// The state comes from the same input the windows' messages come from: the
// program's message loop (PeekMessageA / GetMessageA, as the viewer runs it
// between frames) takes it in, and Poll hands a reader what arrived since
// its previous Poll. Each reader has its own movement and wheel totals, so
// two readers do not take each other's movement away.
//
// Typical use, once a frame:
//
//   Win32InputDevices devices;            // for the life of the program
//   ...
//   devices.Poll();
//   if (devices.Keyboard()[0x39] & 0x80) ...       // space bar held
//   LONG dx = devices.Mouse().x;                   // pixels moved right
//   if (const DIJOYSTATE* pad = devices.Joystick(0)) use(pad->lX);
//
// The cursor position itself is GetCursorPos (screen coordinates); convert
// it with ScreenToClient for the window being drawn into.
#pragma once

#include <cstddef>

#include "win32/types.h"

// One joystick, in the record layout DirectInput gives it. Axes and sliders
// run from -1000 to 1000 (0 at rest); a point-of-view hat is hundredths of
// a degree clockwise from forward, 0xFFFFFFFF when centred; a button byte is
// 0x80 while held.
struct DIJOYSTATE {
  LONG lX;
  LONG lY;
  LONG lZ;
  LONG lRx;
  LONG lRy;
  LONG lRz;
  LONG rglSlider[2];
  DWORD rgdwPOV[4];
  BYTE rgbButtons[32];
};
static_assert(sizeof(DIJOYSTATE) == 80, "DIJOYSTATE must keep its 80-byte layout");
static_assert(offsetof(DIJOYSTATE, rglSlider) == 24 && offsetof(DIJOYSTATE, rgdwPOV) == 32 &&
                  offsetof(DIJOYSTATE, rgbButtons) == 48,
              "DIJOYSTATE fields must keep their offsets");

// The mouse as one poll sees it.
struct Win32MouseState {
  LONG x;      // movement to the right since the previous poll, in pixels
  LONG y;      // movement downwards
  LONG wheel;  // wheel turned since the previous poll: 120 a notch, positive away from the user
  // 0 left, 1 right, 2 middle, 3 back, 4 forward, 5 to 7 unused: 0x80
  // while held, or when pressed since the previous poll.
  BYTE buttons[8];
};

struct Win32InputFeed;

class Win32InputDevices {
 public:
  static constexpr int kJoysticks = 2;
  static constexpr LONG kAxisRange = 1000;

  // Starts reading; joysticks are opened as the message loop reports them
  // (those present at the start included), into the lowest free of the two
  // places, and a place is freed when its joystick is unplugged.
  Win32InputDevices();
  ~Win32InputDevices();
  Win32InputDevices(const Win32InputDevices&) = delete;
  Win32InputDevices& operator=(const Win32InputDevices&) = delete;

  // Takes a new snapshot of every device. Movement and wheel are the totals
  // since the previous Poll; a key or button pressed since then reads as
  // held even when it was already released, so a short tap is not lost.
  void Poll();

  // 256 key bytes indexed by DirectInput key code (the key's set-1 scan
  // code, plus 0x80 for extended keys; Pause is 0xC5 and Num Lock 0x45):
  // 0x80 while held. Keys are known by their position, not by what they type
  // in the current layout.
  const BYTE* Keyboard() const { return keys_; }
  const Win32MouseState& Mouse() const { return mouse_; }
  // Joystick 0 or 1 as of the last Poll; NULL when there is none there.
  const DIJOYSTATE* Joystick(int index) const;

 private:
  Win32InputFeed* feed_;
  BYTE keys_[256];
  Win32MouseState mouse_;
  DIJOYSTATE joysticks_[kJoysticks];
  bool present_[kJoysticks];
};
