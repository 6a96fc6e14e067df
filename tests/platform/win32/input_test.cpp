// Keyboard, mouse and joysticks driven by SDL events, read through
// Win32InputDevices. Key codes are DirectInput's documented ones.
#include <SDL.h>
#include <gtest/gtest.h>

#include "sdl_events.h"
#include "win32/win32.h"

namespace {

using namespace win32test;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class InputDevices : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Procedure;
    wc.lpszClassName = "KelvaneInputTest";
    ASSERT_NE(RegisterClassExA(&wc), 0);
  }

  void SetUp() override {
    window_ = CreateWindowExA(0, "KelvaneInputTest", "input", WS_OVERLAPPEDWINDOW, 100, 50, 320, 240, nullptr,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    windowId_ = SDL_GetWindowID(Win32_GetSDLWindow(window_));
    Pump();
  }

  void TearDown() override {
    DestroyWindow(window_);
    Pump();
  }

  // The program's message loop between two frames.
  void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }

  void Key(bool down, SDL_Scancode scancode) {
    Push(KeyEvent(windowId_, down, scancode, SDL_GetKeyFromScancode(scancode)));
  }
  void Motion(int x, int y, int dx, int dy) {
    Push(MotionEvent(windowId_, x, y, dx, dy));
    cursor_ = POINT{x, y};
  }
  void Wheel(int notches, bool flipped = false) { Push(WheelEvent(windowId_, notches, cursor_.x, cursor_.y, flipped)); }
  void Button(bool down, Uint8 button) { Push(ButtonEvent(windowId_, down, button, cursor_.x, cursor_.y)); }

  HWND window_ = nullptr;
  Uint32 windowId_ = 0;
  POINT cursor_ = {0, 0};  // where the pointer is, in client coordinates
};

TEST_F(InputDevices, KeysReadByPositionWithDirectInputCodes) {
  Win32InputDevices devices;
  Key(true, SDL_SCANCODE_SPACE);
  Key(true, SDL_SCANCODE_RCTRL);
  Key(true, SDL_SCANCODE_UP);
  Key(true, SDL_SCANCODE_KP_ENTER);
  Key(true, SDL_SCANCODE_PAUSE);
  Key(true, SDL_SCANCODE_NUMLOCKCLEAR);
  Key(true, SDL_SCANCODE_Q);
  Pump();
  devices.Poll();
  const BYTE* keys = devices.Keyboard();
  EXPECT_EQ(keys[0x39], 0x80) << "DIK_SPACE";
  EXPECT_EQ(keys[0x9D], 0x80) << "DIK_RCONTROL";
  EXPECT_EQ(keys[0x1D], 0) << "DIK_LCONTROL stays up";
  EXPECT_EQ(keys[0xC8], 0x80) << "DIK_UP";
  EXPECT_EQ(keys[0x9C], 0x80) << "DIK_NUMPADENTER";
  EXPECT_EQ(keys[0xC5], 0x80) << "DIK_PAUSE";
  EXPECT_EQ(keys[0x45], 0x80) << "DIK_NUMLOCK";
  EXPECT_EQ(keys[0x10], 0x80) << "DIK_Q, the key left of W whatever it types";

  Key(false, SDL_SCANCODE_SPACE);
  // A tap between two polls is seen once.
  Key(true, SDL_SCANCODE_ESCAPE);
  Key(false, SDL_SCANCODE_ESCAPE);
  Pump();
  devices.Poll();
  EXPECT_EQ(devices.Keyboard()[0x39], 0) << "released";
  EXPECT_EQ(devices.Keyboard()[0x01], 0x80) << "DIK_ESCAPE tapped";
  EXPECT_EQ(devices.Keyboard()[0x9D], 0x80) << "still held";
  devices.Poll();
  EXPECT_EQ(devices.Keyboard()[0x01], 0);
  for (SDL_Scancode key : {SDL_SCANCODE_RCTRL, SDL_SCANCODE_UP, SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_PAUSE,
                           SDL_SCANCODE_NUMLOCKCLEAR, SDL_SCANCODE_Q})
    Key(false, key);
  Pump();
}

TEST_F(InputDevices, MouseMovementWheelAndButtonsSinceTheLastPoll) {
  Win32InputDevices devices;
  Win32InputDevices other;
  Motion(30, 40, 5, -3);
  Motion(32, 41, 7, -2);
  Wheel(1);
  Wheel(2, true);
  Button(true, SDL_BUTTON_LEFT);
  Button(true, SDL_BUTTON_X1);
  Button(true, SDL_BUTTON_RIGHT);
  Button(false, SDL_BUTTON_RIGHT);
  Pump();
  devices.Poll();
  const Win32MouseState& mouse = devices.Mouse();
  EXPECT_EQ(mouse.x, 12);
  EXPECT_EQ(mouse.y, -5);
  EXPECT_EQ(mouse.wheel, WHEEL_DELTA - 2 * WHEEL_DELTA) << "a flipped wheel turns the other way";
  EXPECT_EQ(mouse.buttons[0], 0x80);
  EXPECT_EQ(mouse.buttons[1], 0x80) << "clicked since the last poll";
  EXPECT_EQ(mouse.buttons[2], 0);
  EXPECT_EQ(mouse.buttons[3], 0x80);

  devices.Poll();
  EXPECT_EQ(devices.Mouse().x, 0);
  EXPECT_EQ(devices.Mouse().wheel, 0);
  EXPECT_EQ(devices.Mouse().buttons[0], 0x80);
  EXPECT_EQ(devices.Mouse().buttons[1], 0);
  other.Poll();
  EXPECT_EQ(other.Mouse().x, 12) << "each reader has its own totals";

  // The cursor: screen coordinates, back to the window's client area.
  POINT cursor;
  ASSERT_TRUE(GetCursorPos(&cursor));
  POINT corner = {0, 0};
  ClientToScreen(window_, &corner);
  EXPECT_EQ(cursor.x, corner.x + 32);
  EXPECT_EQ(cursor.y, corner.y + 41);
  ASSERT_TRUE(ScreenToClient(window_, &cursor));
  EXPECT_EQ(cursor.x, 32);
  EXPECT_EQ(cursor.y, 41);
  Button(false, SDL_BUTTON_LEFT);
  Button(false, SDL_BUTTON_X1);
  Pump();
}

TEST_F(InputDevices, JoysticksInTwoPlacesWithAxesHatsAndButtons) {
  Win32InputDevices devices;
  int first = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 8, 12, 1);
  ASSERT_GE(first, 0) << SDL_GetError();
  SDL_JoystickID firstId = SDL_JoystickGetDeviceInstanceID(first);
  Pump();
  devices.Poll();
  const DIJOYSTATE* pad = devices.Joystick(0);
  ASSERT_NE(pad, nullptr);
  EXPECT_EQ(devices.Joystick(1), nullptr);
  EXPECT_EQ(pad->lX, 0);
  EXPECT_EQ(pad->rgdwPOV[0], 0xFFFFFFFFu) << "centred";
  EXPECT_EQ(pad->rgdwPOV[3], 0xFFFFFFFFu);

  auto axis = [&](Uint8 index, Sint16 value) {
    SDL_Event event = {};
    event.type = SDL_JOYAXISMOTION;
    event.jaxis.which = firstId;
    event.jaxis.axis = index;
    event.jaxis.value = value;
    Push(event);
  };
  axis(0, 32767);
  axis(1, -32768);
  axis(3, -16384);
  axis(6, 16384);
  SDL_Event hat = {};
  hat.type = SDL_JOYHATMOTION;
  hat.jhat.which = firstId;
  hat.jhat.value = SDL_HAT_RIGHTUP;
  Push(hat);
  SDL_Event button = {};
  button.type = SDL_JOYBUTTONDOWN;
  button.jbutton.which = firstId;
  button.jbutton.button = 3;
  button.jbutton.state = SDL_PRESSED;
  Push(button);
  Pump();
  devices.Poll();
  pad = devices.Joystick(0);
  ASSERT_NE(pad, nullptr);
  EXPECT_EQ(pad->lX, 1000);
  EXPECT_EQ(pad->lY, -1000);
  EXPECT_EQ(pad->lRx, -500);
  EXPECT_EQ(pad->rglSlider[0], 500);
  EXPECT_EQ(pad->rgdwPOV[0], 4500u) << "hundredths of a degree clockwise from forward";
  EXPECT_EQ(pad->rgbButtons[3], 0x80);
  EXPECT_EQ(pad->rgbButtons[2], 0);

  // A second joystick takes the second place; unplugging the first frees
  // its place and leaves the second where it is.
  int second = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 2, 0);
  ASSERT_GE(second, 0) << SDL_GetError();
  Pump();
  devices.Poll();
  ASSERT_NE(devices.Joystick(1), nullptr);
  EXPECT_EQ(devices.Joystick(1)->lX, 0);
  ASSERT_EQ(SDL_JoystickDetachVirtual(first), 0) << SDL_GetError();
  Pump();
  devices.Poll();
  EXPECT_EQ(devices.Joystick(0), nullptr);
  EXPECT_NE(devices.Joystick(1), nullptr);
  EXPECT_EQ(devices.Joystick(2), nullptr);
  SDL_JoystickDetachVirtual(0);
  Pump();
}

}  // namespace
