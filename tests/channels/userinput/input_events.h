// Synthetic keyboard, mouse and joystick input for the channel tests: SDL
// events aimed at the harness window, taken in by the program's message loop
// as between two frames.
#pragma once

#include "channel_harness.h"
#include "sdl_events.h"
#include "win32/window.h"

#include <SDL.h>

namespace vel_test {

class InputHarness : public ChannelHarness {
 protected:
  Uint32 WindowId() { return SDL_GetWindowID(Win32_GetSDLWindow(window)); }
  // The program's message loop between two frames.
  void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  void Key(bool down, SDL_Scancode code) {
    win32test::Push(win32test::KeyEvent(WindowId(), down, code, SDL_GetKeyFromScancode(code)));
  }
  // The pointer to client position (x, y) of the harness window, having
  // moved by (dx, dy).
  void Move(int x, int y, int dx = 0, int dy = 0) {
    win32test::Push(win32test::MotionEvent(WindowId(), x, y, dx, dy));
    cursor_ = POINT{x, y};
  }
  void Button(bool down, Uint8 button) {
    win32test::Push(win32test::ButtonEvent(WindowId(), down, button, cursor_.x, cursor_.y));
  }
  void Wheel(int notches) { win32test::Push(win32test::WheelEvent(WindowId(), notches, cursor_.x, cursor_.y)); }

  POINT cursor_{0, 0};
};

}  // namespace vel_test
