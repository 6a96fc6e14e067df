// The message queue and the translation of SDL events into window messages.
#include "win32/messages.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>

#include "window_internal.h"
#include "win32/errors.h"
#include "win32/thread.h"

namespace win32plat {
namespace {

struct QueuedMessage {
  MSG msg;
  std::string text;  // what a key-down typed, for TranslateMessage
};

struct MessageQueue {
  std::mutex mutex;
  std::condition_variable posted;
  std::deque<QueuedMessage> messages;
  bool quitPending = false;
  int quitCode = 0;
};

MessageQueue& Queue() {
  static MessageQueue* queue = new MessageQueue;  // lives until the process ends
  return *queue;
}

// The key-down taken from the queue last, with the text it typed.
struct TakenKey {
  bool valid = false;
  MSG msg;
  std::string text;
};
TakenKey lastKey;

// Input state as the translated events left it (owner thread only).
DWORD mouseButtons = 0;  // MK_LBUTTON | MK_RBUTTON | MK_MBUTTON
bool shiftDown = false;
bool controlDown = false;
bool altDown = false;
HWND mouseWindow = nullptr;
POINT mouseClient = {0, 0};
POINT mouseScreen = {0, 0};
// mouseScreen for messages posted from other threads: x in the low half.
std::atomic<uint64_t> mouseScreenShared{0};

POINT SharedMouseScreen() {
  uint64_t packed = mouseScreenShared.load();
  return POINT{static_cast<LONG>(static_cast<uint32_t>(packed)), static_cast<LONG>(static_cast<uint32_t>(packed >> 32))};
}

bool SameMessage(const MSG& a, const MSG& b) {
  return a.hwnd == b.hwnd && a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam &&
         a.time == b.time;
}

bool IsKeyDown(UINT message) { return message == WM_KEYDOWN || message == WM_SYSKEYDOWN; }

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg;
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  msg.pt = SharedMouseScreen();
  return msg;
}

void Wake() {
  Queue().posted.notify_all();
  if (SDL_WasInit(SDL_INIT_VIDEO) && WakeEventType()) {
    SDL_Event event;
    std::memset(&event, 0, sizeof(event));
    event.type = WakeEventType();
    SDL_PushEvent(&event);
  }
}

void Enqueue(const MSG& msg, bool front = false, const std::string& text = std::string()) {
  MessageQueue& queue = Queue();
  std::lock_guard<std::mutex> lock(queue.mutex);
  if (front) queue.messages.push_front(QueuedMessage{msg, text});
  else queue.messages.push_back(QueuedMessage{msg, text});
}

// The characters a key types that the windowing system reports no text for:
// control characters, decided by the modifiers held when the key went down.
std::string ControlCharacters(WORD vk) {
  switch (vk) {
    case VK_RETURN: return "\r";
    case VK_BACK: return "\b";
    case VK_TAB: return "\t";
    case VK_ESCAPE: return "\x1b";
    default: break;
  }
  if (controlDown && !altDown && vk >= 'A' && vk <= 'Z') return std::string(1, static_cast<char>(vk - 'A' + 1));
  return std::string();
}

// Text typed by a key goes with the newest key-down still queued, or else
// with the one taken last when it has not been translated yet.
void AttachText(const char* text) {
  MessageQueue& queue = Queue();
  std::lock_guard<std::mutex> lock(queue.mutex);
  for (auto it = queue.messages.rbegin(); it != queue.messages.rend(); ++it) {
    if (IsKeyDown(it->msg.message)) {
      if (it->text.empty()) {
        it->text = text;
        return;
      }
      break;
    }
  }
  if (lastKey.valid && lastKey.text.empty()) lastKey.text = text;
}

WPARAM MouseKeys() {
  WPARAM keys = mouseButtons;
  if (shiftDown) keys |= MK_SHIFT;
  if (controlDown) keys |= MK_CONTROL;
  return keys;
}

HWND EventWindow(Uint32 sdlId) {
  HWND window = WindowFromSdlId(sdlId);
  if (!window) window = GetActiveWindow();
  return window;
}

void TrackMouse(HWND window, int x, int y) {
  mouseWindow = window;
  mouseClient = POINT{x, y};
  mouseScreen = mouseClient;
  if (Win32Window* record = LiveWindow(window)) {
    int left = 0, top = 0;
    SDL_GetWindowPosition(record->sdl, &left, &top);
    mouseScreen.x += left;
    mouseScreen.y += top;
  }
  mouseScreenShared.store(static_cast<uint64_t>(static_cast<uint32_t>(mouseScreen.x)) |
                          (static_cast<uint64_t>(static_cast<uint32_t>(mouseScreen.y)) << 32));
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
  HWND window = WindowFromSdlId(event.windowID);
  Win32Window* record = LiveWindow(window);
  if (!record) return;
  int w = 0, h = 0;
  switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED: ActivateWindow(window, WA_ACTIVE); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: DeactivateWindow(window); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESIZED: {
      Uint32 flags = SDL_GetWindowFlags(record->sdl);
      if (flags & SDL_WINDOW_MINIMIZED) break;
      ReportSize(window, (flags & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED : SIZE_RESTORED, event.data1, event.data2);
      break;
    }
    case SDL_WINDOWEVENT_MINIMIZED: ReportSize(window, SIZE_MINIMIZED, 0, 0); break;
    case SDL_WINDOWEVENT_MAXIMIZED:
      SDL_GetWindowSize(record->sdl, &w, &h);
      ReportSize(window, SIZE_MAXIMIZED, w, h);
      break;
    case SDL_WINDOWEVENT_RESTORED:
      SDL_GetWindowSize(record->sdl, &w, &h);
      ReportSize(window, SIZE_RESTORED, w, h);
      break;
    case SDL_WINDOWEVENT_CLOSE: CallProcedure(window, WM_CLOSE, 0, 0); break;
    default: break;
  }
}

void TranslateKey(const SDL_KeyboardEvent& event) {
  bool down = event.type == SDL_KEYDOWN;
  switch (event.keysym.scancode) {
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: shiftDown = down; break;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: controlDown = down; break;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: altDown = down; break;
    default: break;
  }
  BYTE scan = 0;
  bool extended = false;
  WORD vk = VirtualKeyFromSdl(event.keysym, &scan, &extended);
  HWND window = EventWindow(event.windowID);
  if (!vk || !window) return;
  // Alt combinations and F10 are system keys (Ctrl+Alt, as AltGr, is not).
  bool alt = altDown || vk == VK_MENU;
  bool system = (alt && !controlDown) || vk == VK_F10;
  UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
  DWORD bits = 1u | (static_cast<DWORD>(scan) << 16);
  if (extended) bits |= 1u << 24;
  if (alt && system) bits |= 1u << 29;
  if (!down || event.repeat) bits |= 1u << 30;
  if (!down) bits |= 1u << 31;
  Enqueue(MakeMessage(window, message, vk, static_cast<LPARAM>(bits)), false,
          down ? ControlCharacters(vk) : std::string());
}

void TranslateMouseButton(const SDL_MouseButtonEvent& event) {
  if (event.which == SDL_TOUCH_MOUSEID) return;
  bool down = event.type == SDL_MOUSEBUTTONDOWN;
  DWORD flag;
  UINT downMessage;
  switch (event.button) {
    case SDL_BUTTON_LEFT: flag = MK_LBUTTON; downMessage = WM_LBUTTONDOWN; break;
    case SDL_BUTTON_RIGHT: flag = MK_RBUTTON; downMessage = WM_RBUTTONDOWN; break;
    case SDL_BUTTON_MIDDLE: flag = MK_MBUTTON; downMessage = WM_MBUTTONDOWN; break;
    default: return;
  }
  HWND window = EventWindow(event.windowID);
  if (!window) return;
  if (down) mouseButtons |= flag;
  else mouseButtons &= ~flag;
  TrackMouse(window, event.x, event.y);
  UINT message = down ? downMessage : downMessage + 1;  // ...BUTTONUP follows ...BUTTONDOWN
  Win32Window* record = LiveWindow(window);
  if (down && event.clicks >= 2 && event.clicks % 2 == 0 && record && (record->windowClass->style & CS_DBLCLKS))
    message = downMessage + 2;  // ...BUTTONDBLCLK
  Enqueue(MakeMessage(window, message, MouseKeys(), MAKELPARAM(event.x, event.y)));
}

void TranslateMouseWheel(const SDL_MouseWheelEvent& event) {
  if (event.which == SDL_TOUCH_MOUSEID) return;
  HWND window = EventWindow(event.windowID);
  if (!window) return;
  int delta = WheelDistance(event);
  TrackMouse(window, event.mouseX, event.mouseY);
  // The wheel reports the cursor in screen coordinates.
  Enqueue(MakeMessage(window, WM_MOUSEWHEEL, MAKEWPARAM(MouseKeys(), static_cast<short>(delta)),
                      MAKELPARAM(mouseScreen.x, mouseScreen.y)));
}

void Translate(const SDL_Event& event) {
  FeedInputDevices(event);
  switch (event.type) {
    case SDL_WINDOWEVENT: TranslateWindowEvent(event.window); break;
    case SDL_QUIT:
      // A request to end the program (such as SIGINT or SIGTERM) closes
      // every window as its close button would.
      for (HWND window : LiveWindows()) CallProcedure(window, WM_CLOSE, 0, 0);
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: TranslateKey(event.key); break;
    case SDL_TEXTINPUT: AttachText(event.text.text); break;
    case SDL_MOUSEMOTION: {
      if (event.motion.which == SDL_TOUCH_MOUSEID) break;
      HWND window = EventWindow(event.motion.windowID);
      if (!window) break;
      TrackMouse(window, event.motion.x, event.motion.y);
      Enqueue(MakeMessage(window, WM_MOUSEMOVE, MouseKeys(), MAKELPARAM(event.motion.x, event.motion.y)));
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: TranslateMouseButton(event.button); break;
    case SDL_MOUSEWHEEL: TranslateMouseWheel(event.wheel); break;
    default: break;
  }
}

// Takes in every event SDL has; sent messages are delivered on the way.
void Pump() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) Translate(event);
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
  if (window && msg.hwnd != window) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return msg.message >= filterMin && msg.message <= filterMax;
}

bool Take(LPMSG out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
  MessageQueue& queue = Queue();
  std::lock_guard<std::mutex> lock(queue.mutex);
  for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
    if (!Matches(it->msg, window, filterMin, filterMax)) continue;
    *out = it->msg;
    if (remove) {
      if (IsKeyDown(it->msg.message)) {
        lastKey.valid = true;
        lastKey.msg = it->msg;
        lastKey.text = it->text;
      }
      queue.messages.erase(it);
    }
    return true;
  }
  bool quitWanted = filterMin == 0 && filterMax == 0 ? true : (WM_QUIT >= filterMin && WM_QUIT <= filterMax);
  if (queue.quitPending && !window && quitWanted) {
    *out = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
    if (remove) queue.quitPending = false;
    return true;
  }
  return false;
}

// Windows-1252 is the program's character set; text beyond Latin-1 becomes '?'.
std::string ToAnsi(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    unsigned codePoint;
    size_t length;
    if (lead < 0x80) { codePoint = lead; length = 1; }
    else if ((lead & 0xE0) == 0xC0) { codePoint = lead & 0x1F; length = 2; }
    else if ((lead & 0xF0) == 0xE0) { codePoint = lead & 0x0F; length = 3; }
    else if ((lead & 0xF8) == 0xF0) { codePoint = lead & 0x07; length = 4; }
    else { out += '?'; ++i; continue; }
    if (i + length > utf8.size()) { out += '?'; break; }
    for (size_t k = 1; k < length; ++k) codePoint = (codePoint << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    out += codePoint < 0x100 ? static_cast<char>(codePoint) : '?';
    i += length;
  }
  return out;
}

}  // namespace

int WheelDistance(const SDL_MouseWheelEvent& event) {
  float notches = event.preciseY != 0.0f ? event.preciseY : static_cast<float>(event.y);
  if (event.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
  return static_cast<int>(notches * WHEEL_DELTA + (notches < 0 ? -0.5f : 0.5f));
}

void DropQueuedMessages(HWND window) {
  MessageQueue& queue = Queue();
  std::lock_guard<std::mutex> lock(queue.mutex);
  for (auto it = queue.messages.begin(); it != queue.messages.end();) {
    if (it->msg.hwnd == window) it = queue.messages.erase(it);
    else ++it;
  }
  if (lastKey.valid && lastKey.msg.hwnd == window) lastKey.valid = false;
}

void ForgetMouseWindow(HWND window) {
  if (mouseWindow == window) mouseWindow = nullptr;
}

}  // namespace win32plat

using namespace win32plat;

extern "C" {

BOOL PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage) {
  if (!message) return FALSE;
  Pump();
  return Take(message, window, filterMin, filterMax, (removeMessage & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL Win32_EndRequested(void) {
  {
    MessageQueue& queue = Queue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    if (queue.quitPending) return TRUE;
  }
  if (!SDL_WasInit(SDL_INIT_VIDEO) || !OnVideoThread()) return FALSE;
  // Pumping moves the window system's input and any end signal into SDL's
  // queue, where it waits for the message loop; nothing is translated here.
  SDL_PumpEvents();
  if (SDL_HasEvent(SDL_QUIT)) return TRUE;
  SDL_Event events[64];
  int count = SDL_PeepEvents(events, 64, SDL_PEEKEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT);
  for (int i = 0; i < count; ++i)
    if (events[i].window.event == SDL_WINDOWEVENT_CLOSE && EventWindow(events[i].window.windowID)) return TRUE;
  return FALSE;
}

BOOL GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
  if (!message) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  for (;;) {
    if (PeekMessageA(message, window, filterMin, filterMax, PM_REMOVE))
      return message->message == WM_QUIT ? FALSE : TRUE;
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
      SDL_Event event;
      if (!SDL_WaitEvent(&event)) {
        SetLastError(ERROR_GEN_FAILURE);
        return -1;
      }
      Translate(event);
    } else {
      // No windows: only posted messages and the quit request can come.
      MessageQueue& queue = Queue();
      std::unique_lock<std::mutex> lock(queue.mutex);
      queue.posted.wait_for(lock, std::chrono::milliseconds(100),
                            [&] { return !queue.messages.empty() || queue.quitPending; });
    }
  }
}

BOOL TranslateMessage(const MSG* message) {
  if (!message) return FALSE;
  UINT kind = message->message;
  if (kind != WM_KEYDOWN && kind != WM_SYSKEYDOWN && kind != WM_KEYUP && kind != WM_SYSKEYUP) return FALSE;
  if (!IsKeyDown(kind)) return TRUE;
  std::string characters;
  {
    MessageQueue& queue = Queue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    if (lastKey.valid && SameMessage(lastKey.msg, *message)) {
      characters = ToAnsi(lastKey.text);
      lastKey.valid = false;
    }
  }
  UINT charMessage = kind == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  // Pushed to the front in reverse, so they come next and in order.
  for (auto it = characters.rbegin(); it != characters.rend(); ++it) {
    MSG made = *message;
    made.message = charMessage;
    made.wParam = static_cast<unsigned char>(*it);
    Enqueue(made, true);
  }
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* message) {
  if (!message || !message->hwnd) return 0;
  return CallProcedure(message->hwnd, message->message, message->wParam, message->lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !IsLiveWindow(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  Enqueue(MakeMessage(window, message, wParam, lParam));
  Wake();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  {
    MessageQueue& queue = Queue();
    std::lock_guard<std::mutex> lock(queue.mutex);
    queue.quitPending = true;
    queue.quitCode = exitCode;
  }
  Wake();
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallProcedure(window, message, wParam, lParam);
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver() : nullptr;
  bool realPointer = driver && std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0;
  if (realPointer) {
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    *point = POINT{x, y};
  } else {
    // Without a real pointer the cursor is where the last mouse event put it.
    *point = mouseScreen;
  }
  return TRUE;
}

}
