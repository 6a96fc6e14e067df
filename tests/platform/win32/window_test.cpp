#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "sdl_events.h"
#include "win32/win32.h"

namespace {

using namespace win32test;

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Received> received;
std::string createdName;
bool refuseCreation = false;

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back({window, message, wParam, lParam});
  switch (message) {
    case WM_CREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      createdName = create->lpszName ? create->lpszName : "";
      return refuseCreation ? -1 : 0;
    }
    case WM_DESTROY:
      PostQuitMessage(5);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

const char kClass[] = "KelvaneTestWindow";

class Windows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = RecordingProcedure;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
    wc.lpszClassName = kClass;
    ASSERT_NE(RegisterClassExA(&wc), 0);
  }

  void SetUp() override {
    received.clear();
    refuseCreation = false;
    window_ = CreateWindowExA(WS_EX_LEFT, kClass, "KelvViewer", WS_OVERLAPPEDWINDOW, 40, 30, 320, 240, nullptr,
                              nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    sdl_ = Win32_GetSDLWindow(window_);
    ASSERT_NE(sdl_, nullptr);
    Drain();
    received.clear();
  }

  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // The viewer's loop without the frames: every queued message translated
  // and dispatched. Returns the messages taken from the queue.
  std::vector<MSG> Drain(bool translate = true) {
    std::vector<MSG> taken;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        taken.push_back(msg);
        break;
      }
      taken.push_back(msg);
      if (translate) TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return taken;
  }

  void PushWindowEvent(Uint8 kind, int data1 = 0, int data2 = 0) {
    SDL_Event event = {};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = SDL_GetWindowID(sdl_);
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    Push(event);
  }

  void PushKey(bool down, SDL_Scancode scancode, SDL_Keycode sym, bool repeat = false) {
    Push(KeyEvent(SDL_GetWindowID(sdl_), down, scancode, sym, repeat));
  }

  void PushText(const char* text) {
    SDL_Event event = {};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = SDL_GetWindowID(sdl_);
    std::strncpy(event.text.text, text, sizeof(event.text.text) - 1);
    Push(event);
  }

  void PushButton(bool down, Uint8 button, int x, int y, Uint8 clicks = 1) {
    Push(ButtonEvent(SDL_GetWindowID(sdl_), down, button, x, y, clicks));
  }

  void PushMotion(int x, int y) { Push(MotionEvent(SDL_GetWindowID(sdl_), x, y)); }

  std::vector<Received> Of(UINT message) const {
    std::vector<Received> found;
    for (const Received& r : received)
      if (r.message == message) found.push_back(r);
    return found;
  }

  std::vector<UINT> Sequence() const {
    std::vector<UINT> messages;
    for (const Received& r : received) messages.push_back(r.message);
    return messages;
  }

  HWND window_ = nullptr;
  SDL_Window* sdl_ = nullptr;
};

TEST_F(Windows, CreatedHiddenWithCreateAndSizeThenShownAndActivated) {
  received.clear();
  HWND window = CreateWindowExA(WS_EX_LEFT, kClass, "second", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(createdName, "second");
  ASSERT_GE(received.size(), 2u);
  EXPECT_EQ(received[0].message, WM_CREATE);
  EXPECT_EQ(received[1].message, WM_SIZE);
  EXPECT_EQ(received[1].lParam, MAKELPARAM(200, 100));
  EXPECT_TRUE(SDL_GetWindowFlags(Win32_GetSDLWindow(window)) & SDL_WINDOW_HIDDEN);
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & static_cast<LONG>(WS_VISIBLE), 0);

  received.clear();
  EXPECT_FALSE(ShowWindow(window, SW_SHOWNORMAL));
  EXPECT_FALSE(SDL_GetWindowFlags(Win32_GetSDLWindow(window)) & SDL_WINDOW_HIDDEN);
  EXPECT_EQ(GetActiveWindow(), window);
  EXPECT_EQ(Sequence(), (std::vector<UINT>{WM_ACTIVATEAPP, WM_ACTIVATE}));
  EXPECT_EQ(received[0].wParam, static_cast<WPARAM>(TRUE));
  EXPECT_EQ(LOWORD(received[1].wParam), WA_ACTIVE);
  EXPECT_TRUE(ShowWindow(window, SW_SHOW)) << "was visible";
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(Windows, ViewerPlacementFromTheDesktop) {
  RECT desktop;
  ASSERT_TRUE(GetClientRect(GetDesktopWindow(), &desktop));
  int w = desktop.right - desktop.left, h = desktop.bottom - desktop.top;
  ASSERT_GT(w, 0);
  ASSERT_GT(h, 0);
  HWND window = CreateWindowExA(WS_EX_LEFT, kClass, "KelvViewer", WS_OVERLAPPEDWINDOW, static_cast<int>(w * 0.25),
                                static_cast<int>(h * 0.25), static_cast<int>(w * 0.5), static_cast<int>(h * 0.5),
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  RECT rect, client;
  ASSERT_TRUE(GetWindowRect(window, &rect));
  EXPECT_EQ(rect.left, static_cast<int>(w * 0.25));
  EXPECT_EQ(rect.top, static_cast<int>(h * 0.25));
  EXPECT_EQ(rect.right - rect.left, static_cast<int>(w * 0.5));
  EXPECT_EQ(rect.bottom - rect.top, static_cast<int>(h * 0.5));
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.left, 0);
  EXPECT_EQ(client.right, static_cast<int>(w * 0.5));

  POINT point = {rect.left + 3, rect.top + 4};
  ASSERT_TRUE(ScreenToClient(window, &point));
  EXPECT_EQ(point.x, 3);
  EXPECT_EQ(point.y, 4);
  ASSERT_TRUE(ClientToScreen(window, &point));
  EXPECT_EQ(point.x, rect.left + 3);
  DestroyWindow(window);
}

TEST_F(Windows, FocusBecomesActivation) {
  ShowWindow(window_, SW_SHOW);
  received.clear();
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
  Drain();
  EXPECT_EQ(Sequence(), (std::vector<UINT>{WM_ACTIVATE, WM_ACTIVATEAPP}));
  EXPECT_EQ(LOWORD(received[0].wParam), WA_INACTIVE);
  EXPECT_EQ(received[1].wParam, static_cast<WPARAM>(FALSE));
  EXPECT_EQ(GetActiveWindow(), nullptr);

  received.clear();
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
  Drain();
  EXPECT_EQ(Sequence(), (std::vector<UINT>{WM_ACTIVATEAPP, WM_ACTIVATE})) << "reported once";
  EXPECT_EQ(LOWORD(received[1].wParam), WA_ACTIVE);
  EXPECT_EQ(GetActiveWindow(), window_);
}

TEST_F(Windows, SizeChangesBecomeWmSizeWithClientSize) {
  PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 300, 200);
  PushWindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 300, 200);
  Drain();
  auto sizes = Of(WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u);
  EXPECT_EQ(sizes[0].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(LOWORD(sizes[0].lParam), 300);
  EXPECT_EQ(HIWORD(sizes[0].lParam), 200);

  received.clear();
  ASSERT_TRUE(SetWindowPos(window_, nullptr, 0, 0, 256, 128, SWP_NOMOVE | SWP_NOZORDER));
  sizes = Of(WM_SIZE);
  ASSERT_EQ(sizes.size(), 1u) << "sent during SetWindowPos";
  EXPECT_EQ(sizes[0].lParam, MAKELPARAM(256, 128));
  Drain();
  EXPECT_EQ(Of(WM_SIZE).size(), 1u);
}

TEST_F(Windows, MouseMessagesCarryClientCoordinatesAndKeyFlags) {
  PushButton(true, SDL_BUTTON_LEFT, 5, 6);
  PushMotion(10, 20);
  PushKey(true, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
  PushButton(true, SDL_BUTTON_RIGHT, 11, 21);
  PushButton(false, SDL_BUTTON_LEFT, 12, 22);
  PushButton(false, SDL_BUTTON_RIGHT, 13, 23);
  PushKey(false, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
  PushButton(true, SDL_BUTTON_MIDDLE, 1, 2);
  PushButton(false, SDL_BUTTON_MIDDLE, 1, 2);
  Drain();
  std::vector<Received> mouse;
  for (const Received& r : received)
    if (r.message >= WM_MOUSEMOVE && r.message <= WM_MBUTTONDBLCLK) mouse.push_back(r);
  ASSERT_EQ(mouse.size(), 7u);
  EXPECT_EQ(mouse[0].message, WM_LBUTTONDOWN);
  EXPECT_EQ(mouse[0].wParam, MK_LBUTTON);
  EXPECT_EQ(mouse[0].lParam, MAKELPARAM(5, 6));
  EXPECT_EQ(mouse[1].message, WM_MOUSEMOVE);
  EXPECT_EQ(mouse[1].wParam, MK_LBUTTON);
  EXPECT_EQ(mouse[1].lParam, MAKELPARAM(10, 20));
  EXPECT_EQ(mouse[2].message, WM_RBUTTONDOWN);
  EXPECT_EQ(mouse[2].wParam, MK_LBUTTON | MK_RBUTTON | MK_SHIFT);
  EXPECT_EQ(mouse[3].message, WM_LBUTTONUP);
  EXPECT_EQ(mouse[3].wParam, MK_RBUTTON | MK_SHIFT);
  EXPECT_EQ(mouse[3].lParam, MAKELPARAM(12, 22));
  EXPECT_EQ(mouse[4].message, WM_RBUTTONUP);
  EXPECT_EQ(mouse[4].wParam, MK_SHIFT);
  EXPECT_EQ(mouse[5].message, WM_MBUTTONDOWN);
  EXPECT_EQ(mouse[5].wParam, MK_MBUTTON);
  EXPECT_EQ(mouse[6].message, WM_MBUTTONUP);
  EXPECT_EQ(mouse[6].wParam, 0u);
}

TEST_F(Windows, NegativeCoordinatesAndDoubleClicksAndTheWheel) {
  PushMotion(-3, -4);
  PushButton(true, SDL_BUTTON_LEFT, 7, 8, 2);
  PushButton(false, SDL_BUTTON_LEFT, 7, 8, 2);
  Push(WheelEvent(SDL_GetWindowID(sdl_), -1, 7, 8));
  Drain();
  auto moves = Of(WM_MOUSEMOVE);
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), -3);
  EXPECT_EQ(GET_Y_LPARAM(moves[0].lParam), -4);
  EXPECT_EQ(Of(WM_LBUTTONDBLCLK).size(), 1u);
  auto wheels = Of(WM_MOUSEWHEEL);
  ASSERT_EQ(wheels.size(), 1u);
  EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[0].wParam), -WHEEL_DELTA);
  POINT screen = {7, 8};
  ClientToScreen(window_, &screen);
  EXPECT_EQ(GET_X_LPARAM(wheels[0].lParam), screen.x) << "the wheel reports screen coordinates";
  EXPECT_EQ(GET_Y_LPARAM(wheels[0].lParam), screen.y);
  POINT cursor;
  ASSERT_TRUE(GetCursorPos(&cursor));
  EXPECT_EQ(cursor.x, screen.x);
  EXPECT_EQ(cursor.y, screen.y);
}

TEST_F(Windows, KeysBecomeVirtualKeysAndTranslateToCharacters) {
  PushKey(true, SDL_SCANCODE_A, SDLK_a);
  PushText("a");
  PushKey(true, SDL_SCANCODE_A, SDLK_a, true);
  PushText("a");
  PushKey(false, SDL_SCANCODE_A, SDLK_a);
  PushKey(true, SDL_SCANCODE_RETURN, SDLK_RETURN);
  PushKey(true, SDL_SCANCODE_LEFT, SDLK_LEFT);
  PushKey(true, SDL_SCANCODE_F5, SDLK_F5);
  PushKey(true, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
  PushKey(true, SDL_SCANCODE_7, SDLK_7);
  PushText("\xc3\xa9");  // what the 7 key types on some layouts
  PushKey(true, SDL_SCANCODE_SPACE, SDLK_SPACE);
  PushText(" ");
  Drain();

  auto downs = Of(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 8u);
  EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ(downs[0].lParam, static_cast<LPARAM>(1 | (0x1E << 16)));
  EXPECT_EQ(downs[1].lParam & (1 << 30), 1 << 30) << "repeat: the key was down before";
  EXPECT_EQ(downs[2].wParam, static_cast<WPARAM>(VK_RETURN));
  EXPECT_EQ(downs[3].wParam, static_cast<WPARAM>(VK_LEFT));
  EXPECT_EQ(downs[3].lParam & (1 << 24), 1 << 24) << "extended key";
  EXPECT_EQ(downs[4].wParam, static_cast<WPARAM>(VK_F5));
  EXPECT_EQ(downs[5].wParam, static_cast<WPARAM>(VK_ESCAPE));
  EXPECT_EQ(downs[6].wParam, static_cast<WPARAM>('7'));
  EXPECT_EQ(downs[7].wParam, static_cast<WPARAM>(VK_SPACE));
  auto ups = Of(WM_KEYUP);
  ASSERT_EQ(ups.size(), 1u);
  EXPECT_EQ(static_cast<DWORD>(ups[0].lParam) >> 30, 3u) << "previous state and transition bits";

  std::vector<WPARAM> chars;
  for (const Received& r : Of(WM_CHAR)) chars.push_back(r.wParam);
  EXPECT_EQ(chars, (std::vector<WPARAM>{'a', 'a', '\r', 0x1B, 0xE9, ' '}));
  // Each WM_CHAR follows its key-down directly.
  auto sequence = Sequence();
  for (size_t i = 0; i + 1 < sequence.size(); ++i) {
    if (sequence[i + 1] == WM_CHAR) {
      EXPECT_EQ(sequence[i], WM_KEYDOWN);
    }
  }
}

TEST_F(Windows, NoCharactersWithoutTranslateMessage) {
  PushKey(true, SDL_SCANCODE_B, SDLK_b);
  PushText("b");
  Drain(false);
  EXPECT_EQ(Of(WM_KEYDOWN).size(), 1u);
  EXPECT_TRUE(Of(WM_CHAR).empty());
}

TEST_F(Windows, AltAndControlCombinations) {
  PushKey(true, SDL_SCANCODE_LALT, SDLK_LALT);
  PushKey(true, SDL_SCANCODE_X, SDLK_x);
  PushKey(false, SDL_SCANCODE_X, SDLK_x);
  PushKey(false, SDL_SCANCODE_LALT, SDLK_LALT);
  PushKey(true, SDL_SCANCODE_LCTRL, SDLK_LCTRL);
  PushKey(true, SDL_SCANCODE_C, SDLK_c);
  PushKey(false, SDL_SCANCODE_C, SDLK_c);
  PushKey(false, SDL_SCANCODE_LCTRL, SDLK_LCTRL);
  Drain();
  auto sys = Of(WM_SYSKEYDOWN);
  ASSERT_EQ(sys.size(), 2u);
  EXPECT_EQ(sys[0].wParam, static_cast<WPARAM>(VK_MENU));
  EXPECT_EQ(sys[1].wParam, static_cast<WPARAM>('X'));
  EXPECT_EQ(sys[1].lParam & (1 << 29), 1 << 29) << "context code: Alt held";
  auto downs = Of(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 2u);
  EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(VK_CONTROL));
  EXPECT_EQ(downs[1].wParam, static_cast<WPARAM>('C'));
  auto chars = Of(WM_CHAR);
  ASSERT_EQ(chars.size(), 1u);
  EXPECT_EQ(chars[0].wParam, 3u) << "Ctrl+C";
}

TEST_F(Windows, CloseButtonDestroysAndQuits) {
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  MSG msg;
  int got = GetMessageA(&msg, nullptr, 0, 0);
  EXPECT_EQ(got, 0) << "the loop ends";
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 5u);
  auto sequence = Sequence();
  auto close = std::find(sequence.begin(), sequence.end(), WM_CLOSE);
  auto destroy = std::find(sequence.begin(), sequence.end(), WM_DESTROY);
  ASSERT_NE(close, sequence.end());
  ASSERT_NE(destroy, sequence.end());
  EXPECT_LT(close, destroy);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(Win32_GetSDLWindow(window_), nullptr);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "WM_QUIT comes once";
}

TEST_F(Windows, QuitRequestClosesEveryWindow) {
  SDL_Event quit = {};
  quit.type = SDL_QUIT;
  Push(quit);
  Drain();
  EXPECT_EQ(Of(WM_CLOSE).size(), 1u);
  EXPECT_FALSE(IsWindow(window_));
}

// Work on the window thread asks between its steps whether the program is to
// end; asking takes nothing in, so the request still reaches the loop.
TEST_F(Windows, EndRequestsAreSeenWithoutTakingThemIn) {
  EXPECT_FALSE(Win32_EndRequested());

  // An end signal, as SDL's handler turns it into a quit request.
  struct sigaction current = {};
  ASSERT_EQ(sigaction(SIGTERM, nullptr, &current), 0);
  ASSERT_NE(current.sa_handler, SIG_DFL) << "SIGTERM would end the test";
  raise(SIGTERM);
  EXPECT_TRUE(Win32_EndRequested());
  EXPECT_TRUE(Win32_EndRequested()) << "asking again still sees it";
  EXPECT_TRUE(received.empty()) << "no window procedure was called";
  // Off the window thread only a posted WM_QUIT counts.
  BOOL elsewhere = TRUE;
  std::thread([&] { elsewhere = Win32_EndRequested(); }).join();
  EXPECT_FALSE(elsewhere);
  auto taken = Drain();
  EXPECT_EQ(Of(WM_CLOSE).size(), 1u);
  EXPECT_FALSE(IsWindow(window_));
  ASSERT_FALSE(taken.empty());
  EXPECT_EQ(taken.back().message, WM_QUIT);
  EXPECT_FALSE(Win32_EndRequested()) << "taken in by the loop";

  // The close button of a window.
  received.clear();
  window_ = CreateWindowExA(WS_EX_LEFT, kClass, "KelvViewer", WS_OVERLAPPEDWINDOW, 40, 30, 320, 240, nullptr,
                            nullptr, nullptr, nullptr);
  ASSERT_NE(window_, nullptr);
  sdl_ = Win32_GetSDLWindow(window_);
  Drain();
  received.clear();
  EXPECT_FALSE(Win32_EndRequested()) << "input that is no close request";
  PushWindowEvent(SDL_WINDOWEVENT_MOVED, 60, 70);
  PushMotion(10, 10);
  EXPECT_FALSE(Win32_EndRequested());
  PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
  EXPECT_TRUE(Win32_EndRequested());
  EXPECT_TRUE(Of(WM_CLOSE).empty());
  Drain();
  EXPECT_EQ(Of(WM_CLOSE).size(), 1u);
  EXPECT_FALSE(Win32_EndRequested());

  // WM_QUIT posted and not yet taken, seen from any thread.
  PostQuitMessage(7);
  EXPECT_TRUE(Win32_EndRequested());
  std::thread([&] { elsewhere = Win32_EndRequested(); }).join();
  EXPECT_TRUE(elsewhere);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(Win32_EndRequested());
}

TEST_F(Windows, PostedMessagesWakeAWaitingLoopAndComeInOrder) {
  std::thread poster([this] {
    SDL_Delay(50);
    PostMessageA(window_, WM_USER + 1, 1, 2);
    PostMessageA(nullptr, WM_APP, 3, 4);
  });
  MSG msg;
  ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  EXPECT_EQ(msg.hwnd, window_);
  EXPECT_EQ(msg.message, WM_USER + 1);
  EXPECT_EQ(msg.lParam, 2);
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  EXPECT_EQ(Of(WM_USER + 1).size(), 1u);
  poster.join();
  do {
    ASSERT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
  } while (msg.message != WM_APP);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(&msg), WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(Windows, StylesTitleAndSdlHandles) {
  if (SDL_GL_LoadLibrary(nullptr) == 0) {
    EXPECT_TRUE(SDL_GetWindowFlags(sdl_) & SDL_WINDOW_OPENGL) << "ready for the graphics layer";
    SDL_GL_UnloadLibrary();
  }
  EXPECT_EQ(Win32_WindowFromSDL(sdl_), window_);
  EXPECT_EQ(Win32_WindowFromSDL(nullptr), nullptr);
  EXPECT_EQ(Win32_GetSDLWindow(GetDesktopWindow()), nullptr);

  // The device channel's windowed and full-screen styles.
  LONG windowed = static_cast<LONG>(0x90CE0000u);
  SetWindowLongA(window_, GWL_STYLE, windowed);
  EXPECT_EQ(GetWindowLongA(window_, GWL_STYLE), windowed);
  Uint32 flags = SDL_GetWindowFlags(sdl_);
  EXPECT_FALSE(flags & SDL_WINDOW_HIDDEN);
  EXPECT_FALSE(flags & SDL_WINDOW_BORDERLESS);
  EXPECT_EQ(SetWindowLongA(window_, GWL_STYLE, static_cast<LONG>(0x90080000u)), windowed);
  EXPECT_EQ(GetWindowLongA(window_, GWL_STYLE), static_cast<LONG>(0x90080000u));
  SetWindowLongA(window_, GWL_STYLE, static_cast<LONG>(WS_OVERLAPPEDWINDOW));
  EXPECT_TRUE(SDL_GetWindowFlags(sdl_) & SDL_WINDOW_HIDDEN) << "without WS_VISIBLE";

  ASSERT_TRUE(SetWindowTextA(window_, "KelvViewer - demo"));
  char title[8];
  EXPECT_EQ(GetWindowTextA(window_, title, sizeof(title)), 7);
  EXPECT_STREQ(title, "KelvVie");
  char buffer[16] = {'x'};
  EXPECT_EQ(LoadStringA(nullptr, 103, buffer, sizeof(buffer)), 0);
  EXPECT_STREQ(buffer, "");
}

TEST_F(Windows, CursorsAndIcons) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
  EXPECT_EQ(LoadCursorA(reinterpret_cast<HINSTANCE>(window_), MAKEINTRESOURCE(107)), nullptr);
  EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCE(107)), nullptr);
  HCURSOR previous = SetCursor(nullptr);
  EXPECT_EQ(SetCursor(arrow), nullptr);
  SetCursor(previous);
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
}

TEST_F(Windows, RegistrationAndCreationFailures) {
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = RecordingProcedure;
  wc.lpszClassName = "kelvanetestwindow";
  EXPECT_EQ(RegisterClassExA(&wc), 0) << "names ignore case";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
  refuseCreation = true;
  received.clear();
  EXPECT_EQ(CreateWindowExA(0, kClass, "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(Sequence(), (std::vector<UINT>{WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
  refuseCreation = false;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  EXPECT_FALSE(DestroyWindow(GetDesktopWindow()));
}

}  // namespace
