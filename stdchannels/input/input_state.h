// The input-state record the input channel hands out once a frame, and what
// each of its fields holds. Readers take it by byte offset, so the layout is
// fixed.
//
// Units and sources:
// - cursor: where the pointer is, in screen pixels (GetCursorPos).
// - movement: pixels the mouse moved since the previous frame's poll, x to
//   the right, y downwards.
// - wheel: 120 per notch since the previous poll, positive away from the user.
// - mouse buttons: 0x80 while held (or pressed since the previous poll):
//   left, right, middle, back (the first side button).
// - extra keys: the modifier keys, 0x80 while the key on either side of the
//   keyboard is held: Shift, Control, Alt.
// - keys: the 256 key bytes indexed by DirectInput key code (the key's set-1
//   scan code, plus 0x80 for extended keys: DIK_SPACE 0x39, DIK_UP 0xC8,
//   DIK_LCONTROL 0x1D, DIK_RCONTROL 0x9D); 0x80 while held.
#pragma once

#include <cstddef>
#include <cstdint>

struct InputStateRecord {
  int32_t cursorX;          // 0
  int32_t cursorY;          // 4
  int32_t mouseX;           // 8
  int32_t mouseY;           // 12
  int32_t reserved[2];      // 16: always 0
  int32_t wheel;            // 24
  uint8_t mouseButtons[4];  // 28: left, right, middle, back
  uint8_t extraKeys[3];     // 32: Shift, Control, Alt
  uint8_t keys[256];        // 35
  uint8_t padding;          // 291: always 0
};

namespace input_state {
enum MouseButton { kLeftButton = 0, kRightButton = 1, kMiddleButton = 2, kBackButton = 3 };
enum ExtraKey { kShiftKey = 0, kControlKey = 1, kAltKey = 2 };
}  // namespace input_state

static_assert(sizeof(InputStateRecord) == 292, "the input-state record keeps its size");
static_assert(offsetof(InputStateRecord, mouseX) == 8 && offsetof(InputStateRecord, wheel) == 24 &&
                  offsetof(InputStateRecord, mouseButtons) == 28 && offsetof(InputStateRecord, extraKeys) == 32 &&
                  offsetof(InputStateRecord, keys) == 35,
              "the input-state record keeps its field offsets");
