// SDL input events as the windowing system delivers them, for the tests of
// window messages and input devices.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

namespace win32test {

inline void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

inline SDL_Event KeyEvent(Uint32 window, bool down, SDL_Scancode scancode, SDL_Keycode sym, bool repeat = false) {
  SDL_Event event = {};
  event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  event.key.windowID = window;
  event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat ? 1 : 0;
  event.key.keysym.scancode = scancode;
  event.key.keysym.sym = sym;
  return event;
}

// The pointer at (x, y) in the window, having moved by (dx, dy).
inline SDL_Event MotionEvent(Uint32 window, int x, int y, int dx = 0, int dy = 0) {
  SDL_Event event = {};
  event.type = SDL_MOUSEMOTION;
  event.motion.windowID = window;
  event.motion.x = x;
  event.motion.y = y;
  event.motion.xrel = dx;
  event.motion.yrel = dy;
  return event;
}

inline SDL_Event ButtonEvent(Uint32 window, bool down, Uint8 button, int x, int y, Uint8 clicks = 1) {
  SDL_Event event = {};
  event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  event.button.windowID = window;
  event.button.button = button;
  event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = clicks;
  event.button.x = x;
  event.button.y = y;
  return event;
}

inline SDL_Event WheelEvent(Uint32 window, int notches, int x, int y, bool flipped = false) {
  SDL_Event event = {};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.windowID = window;
  event.wheel.y = notches;
  event.wheel.preciseY = static_cast<float>(notches);
  event.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  event.wheel.mouseX = x;
  event.wheel.mouseY = y;
  return event;
}

}  // namespace win32test
