#include "win32/window.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <unordered_set>

#include "window_internal.h"
#include "win32/errors.h"

struct Win32Cursor {
  SDL_SystemCursor id;
  SDL_Cursor* sdl = nullptr;  // made when first shown
};

struct Win32Icon {
  int unused = 0;
};

namespace win32plat {
namespace {

struct WindowTable {
  // Guards the sets below; never held while a window procedure runs.
  std::mutex mutex;
  std::unordered_set<Win32Window*> live;
  std::unordered_map<Uint32, Win32Window*> bySdlId;
  std::unordered_map<std::string, std::shared_ptr<Win32WindowClass>> classes;  // by lower-case name
  ATOM nextAtom = 0xC000;
  Win32Window desktop;
  HWND active = nullptr;
};

WindowTable& Table() {
  static WindowTable* table = new WindowTable;  // lives until the process ends
  return *table;
}

Uint32 wakeEvent = 0;
bool glLoaded = false;

std::string Lower(const char* text) {
  std::string out(text ? text : "");
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// A live window or the desktop.
bool IsWindowOrDesktop(HWND window) {
  WindowTable& table = Table();
  if (window == &table.desktop) return true;
  return IsLiveWindow(window);
}

bool Fail(DWORD error) {
  SetLastError(error);
  return false;
}

bool DisplayBounds(SDL_Rect* bounds) {
  if (!EnsureVideo()) return false;
  return SDL_GetDisplayBounds(0, bounds) == 0;
}

void ApplyStyle(Win32Window* record, DWORD oldStyle) {
  DWORD style = record->style;
  SDL_SetWindowBordered(record->sdl, (style & (WS_CAPTION | WS_THICKFRAME)) ? SDL_TRUE : SDL_FALSE);
  SDL_SetWindowResizable(record->sdl, (style & WS_THICKFRAME) ? SDL_TRUE : SDL_FALSE);
  if ((style ^ oldStyle) & WS_VISIBLE) {
    if (style & WS_VISIBLE) SDL_ShowWindow(record->sdl);
    else SDL_HideWindow(record->sdl);
  }
}

Win32Cursor systemCursors[] = {
    {SDL_SYSTEM_CURSOR_ARROW},    {SDL_SYSTEM_CURSOR_IBEAM},    {SDL_SYSTEM_CURSOR_WAIT},
    {SDL_SYSTEM_CURSOR_CROSSHAIR}, {SDL_SYSTEM_CURSOR_SIZENWSE}, {SDL_SYSTEM_CURSOR_SIZENESW},
    {SDL_SYSTEM_CURSOR_SIZEWE},   {SDL_SYSTEM_CURSOR_SIZENS},   {SDL_SYSTEM_CURSOR_SIZEALL},
    {SDL_SYSTEM_CURSOR_NO},       {SDL_SYSTEM_CURSOR_HAND},
};
const WORD systemCursorIds[] = {32512, 32513, 32514, 32515, 32642, 32643, 32644, 32645, 32646, 32648, 32649};
Win32Icon applicationIcon;

HCURSOR currentCursor = &systemCursors[0];
int cursorCount = 0;

void ApplyCursor() {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  if (currentCursor) {
    if (!currentCursor->sdl) currentCursor->sdl = SDL_CreateSystemCursor(currentCursor->id);
    if (currentCursor->sdl) SDL_SetCursor(currentCursor->sdl);
  }
  SDL_ShowCursor(currentCursor && cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

bool IsActivatingShow(int command) {
  return command == SW_SHOWNORMAL || command == SW_SHOW || command == SW_SHOWDEFAULT ||
         command == SW_RESTORE || command == SW_SHOWMAXIMIZED;
}

// The thread that started video for the windows (set once, before any
// window exists).
std::atomic<std::thread::id> videoThread{};

}  // namespace

bool OnVideoThread() { return videoThread.load() == std::this_thread::get_id(); }

bool EnsureVideo() {
  // Closing the last window is not a request to quit: windows go through
  // WM_CLOSE and the program decides. Read by SDL whenever a window closes.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // The pixels of windows without OpenGL stay in the window system driver's
  // own memory instead of going through an OpenGL renderer of SDL's: the
  // graphics layer copies frames there, and a second context would take the
  // thread from the device's context at every frame. The environment can
  // still ask for SDL's renderer.
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
  // Windows hold one reference on SDL's video of their own, also when
  // another library (the graphics layer) started it first and may quit its
  // own reference while windows live.
  static bool videoHeld = false;
  if (!videoHeld) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    videoHeld = true;
    videoThread = std::this_thread::get_id();
  }
  static bool glTried = false;
  if (!glTried) {
    // SDL loads the OpenGL library with the first OpenGL window and unloads
    // it with the last; holding one reference of our own keeps it loaded for
    // the life of the process, so closing and opening windows does not
    // reload the driver. Without OpenGL, windows are made without it.
    glTried = true;
    glLoaded = SDL_GL_LoadLibrary(nullptr) == 0;
  }
  if (!wakeEvent) {
    Uint32 type = SDL_RegisterEvents(1);
    if (type != static_cast<Uint32>(-1)) wakeEvent = type;
  }
  return true;
}

Uint32 WakeEventType() { return wakeEvent; }

bool IsLiveWindow(HWND window) {
  WindowTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  return window && table.live.count(window) != 0;
}

Win32Window* LiveWindow(HWND window) { return IsLiveWindow(window) ? window : nullptr; }

HWND WindowFromSdlId(Uint32 id) {
  WindowTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto it = table.bySdlId.find(id);
  return it == table.bySdlId.end() ? nullptr : it->second;
}

std::vector<HWND> LiveWindows() {
  WindowTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  return std::vector<HWND>(table.live.begin(), table.live.end());
}

LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Win32Window* record = LiveWindow(window);
  if (!record || !record->windowClass->procedure) return 0;
  return record->windowClass->procedure(window, message, wParam, lParam);
}

void ActivateWindow(HWND window, WORD how) {
  WindowTable& table = Table();
  HWND previous = table.active;
  if (previous == window || !IsLiveWindow(window)) return;
  table.active = window;
  WORD minimized = (SDL_GetWindowFlags(window->sdl) & SDL_WINDOW_MINIMIZED) ? 1 : 0;
  if (previous && IsLiveWindow(previous)) {
    CallProcedure(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(window));
  } else {
    CallProcedure(window, WM_ACTIVATEAPP, TRUE, 0);
  }
  CallProcedure(window, WM_ACTIVATE, MAKEWPARAM(how, minimized), reinterpret_cast<LPARAM>(previous));
}

void DeactivateWindow(HWND window) {
  WindowTable& table = Table();
  if (table.active != window || !window) return;
  table.active = nullptr;
  CallProcedure(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
  CallProcedure(window, WM_ACTIVATEAPP, FALSE, 0);
}

void ReportSize(HWND window, int type, int width, int height) {
  Win32Window* record = LiveWindow(window);
  if (!record) return;
  if (record->sizeType == type && record->width == width && record->height == height) return;
  record->sizeType = type;
  record->width = width;
  record->height = height;
  CallProcedure(window, WM_SIZE, static_cast<WPARAM>(type), MAKELPARAM(width, height));
}

}  // namespace win32plat

using namespace win32plat;

namespace {

// Where a window or the desktop lies on the screen; false with the error set
// for anything else.
bool ScreenBounds(HWND window, SDL_Rect* bounds) {
  if (window == &Table().desktop) return DisplayBounds(bounds) || Fail(ERROR_NOT_SUPPORTED);
  Win32Window* record = LiveWindow(window);
  if (!record) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  SDL_GetWindowPosition(record->sdl, &bounds->x, &bounds->y);
  SDL_GetWindowSize(record->sdl, &bounds->w, &bounds->h);
  return true;
}

// The screen position of a window's client area; the desktop's coordinates
// are the screen's.
bool ClientOrigin(HWND window, POINT* origin) {
  *origin = POINT{0, 0};
  if (window == &Table().desktop) return true;
  Win32Window* record = LiveWindow(window);
  if (!record) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  int x = 0, y = 0;
  SDL_GetWindowPosition(record->sdl, &x, &y);
  *origin = POINT{x, y};
  return true;
}

}  // namespace

SDL_Window* Win32_GetSDLWindow(HWND window) {
  Win32Window* record = LiveWindow(window);
  return record ? record->sdl : nullptr;
}

HWND Win32_WindowFromSDL(SDL_Window* window) {
  if (!window) return nullptr;
  return WindowFromSdlId(SDL_GetWindowID(window));
}

extern "C" {

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (!windowClass || !windowClass->lpszClassName || !windowClass->lpszClassName[0] || !windowClass->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WindowTable& table = Table();
  std::lock_guard<std::mutex> lock(table.mutex);
  std::string id = Lower(windowClass->lpszClassName);
  if (table.classes.count(id)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto record = std::make_shared<Win32WindowClass>();
  record->name = windowClass->lpszClassName;
  record->style = windowClass->style;
  record->procedure = windowClass->lpfnWndProc;
  record->cursor = windowClass->hCursor;
  table.classes[id] = record;
  return table.nextAtom++;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  WindowTable& table = Table();
  std::shared_ptr<Win32WindowClass> windowClass;
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.classes.find(Lower(className));
    if (it != table.classes.end()) windowClass = it->second;
  }
  if (!windowClass) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return nullptr;
  }
  if (!EnsureVideo()) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  int left = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : x;
  int top = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : y;
  int w = width == CW_USEDEFAULT ? 640 : std::max(width, 1);
  int h = width == CW_USEDEFAULT ? 480 : std::max(height, 1);
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
  if (!(style & (WS_CAPTION | WS_THICKFRAME))) flags |= SDL_WINDOW_BORDERLESS;
  if (exStyle & WS_EX_TOPMOST) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  const char* title = windowName ? windowName : "";
  SDL_Window* sdl = glLoaded ? SDL_CreateWindow(title, left, top, w, h, flags | SDL_WINDOW_OPENGL) : nullptr;
  if (!sdl) sdl = SDL_CreateWindow(title, left, top, w, h, flags);
  if (!sdl) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Win32Window* record = new Win32Window;
  record->sdl = sdl;
  record->sdlId = SDL_GetWindowID(sdl);
  record->windowClass = windowClass;
  record->style = style & ~WS_VISIBLE;
  record->exStyle = exStyle;
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    table.live.insert(record);
    table.bySdlId[record->sdlId] = record;
  }
  HWND window = record;

  CREATESTRUCTA create = {};
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parent;
  create.cx = w;
  create.cy = h;
  create.x = left;
  create.y = top;
  create.style = static_cast<LONG>(style);
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;
  if (CallProcedure(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(window);
    return nullptr;
  }
  if (!IsLiveWindow(window)) return nullptr;
  int actualWidth = 0, actualHeight = 0;
  SDL_GetWindowSize(sdl, &actualWidth, &actualHeight);
  ReportSize(window, SIZE_RESTORED, actualWidth, actualHeight);
  if ((style & WS_VISIBLE) && IsLiveWindow(window)) ShowWindow(window, SW_SHOW);
  return IsLiveWindow(window) ? window : nullptr;
}

BOOL DestroyWindow(HWND window) {
  WindowTable& table = Table();
  Win32Window* record = LiveWindow(window);
  if (!record) {
    SetLastError(window == &table.desktop ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (record->destroying) return TRUE;
  record->destroying = true;
  SDL_HideWindow(record->sdl);
  DeactivateWindow(window);
  CallProcedure(window, WM_DESTROY, 0, 0);
  CallProcedure(window, WM_NCDESTROY, 0, 0);
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    table.live.erase(record);
    table.bySdlId.erase(record->sdlId);
    if (table.active == window) table.active = nullptr;
  }
  DropQueuedMessages(window);
  ForgetMouseWindow(window);
  SDL_DestroyWindow(record->sdl);
  delete record;
  return TRUE;
}

BOOL IsWindow(HWND window) { return IsWindowOrDesktop(window) ? TRUE : FALSE; }

BOOL ShowWindow(HWND window, int command) {
  Win32Window* record = LiveWindow(window);
  if (!record) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  bool wasVisible = (record->style & WS_VISIBLE) != 0;
  switch (command) {
    case SW_HIDE:
      record->style &= ~WS_VISIBLE;
      SDL_HideWindow(record->sdl);
      return wasVisible;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
      record->style |= WS_VISIBLE;
      SDL_ShowWindow(record->sdl);
      SDL_MinimizeWindow(record->sdl);
      return wasVisible;
    default:
      break;
  }
  record->style |= WS_VISIBLE;
  SDL_ShowWindow(record->sdl);
  if (command == SW_SHOWMAXIMIZED) SDL_MaximizeWindow(record->sdl);
  if (command == SW_RESTORE) SDL_RestoreWindow(record->sdl);
  if (IsActivatingShow(command)) {
    SDL_RaiseWindow(record->sdl);
    ActivateWindow(window, WA_ACTIVE);
  }
  return wasVisible;
}

BOOL UpdateWindow(HWND window) { return IsWindowOrDesktop(window) ? TRUE : Fail(ERROR_INVALID_WINDOW_HANDLE); }

HWND GetDesktopWindow(void) { return &Table().desktop; }

BOOL GetClientRect(HWND window, LPRECT rect) {
  if (!rect) return Fail(ERROR_INVALID_PARAMETER);
  SDL_Rect bounds;
  if (!ScreenBounds(window, &bounds)) return FALSE;
  *rect = RECT{0, 0, bounds.w, bounds.h};
  return TRUE;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
  if (!rect) return Fail(ERROR_INVALID_PARAMETER);
  SDL_Rect bounds;
  if (!ScreenBounds(window, &bounds)) return FALSE;
  *rect = RECT{bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
  return TRUE;
}

LONG GetWindowLongA(HWND window, int index) {
  Win32Window* record = LiveWindow(window);
  if (!record) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (index == GWL_STYLE) return static_cast<LONG>(record->style);
  if (index == GWL_EXSTYLE) return static_cast<LONG>(record->exStyle);
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  Win32Window* record = LiveWindow(window);
  if (!record) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  DWORD newValue = static_cast<DWORD>(value);
  if (index == GWL_STYLE) {
    DWORD old = record->style;
    record->style = newValue;
    ApplyStyle(record, old);
    return static_cast<LONG>(old);
  }
  if (index == GWL_EXSTYLE) {
    DWORD old = record->exStyle;
    record->exStyle = newValue;
    SDL_SetWindowAlwaysOnTop(record->sdl, (newValue & WS_EX_TOPMOST) ? SDL_TRUE : SDL_FALSE);
    return static_cast<LONG>(old);
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  Win32Window* record = LiveWindow(window);
  if (!record) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST) {
      record->exStyle |= WS_EX_TOPMOST;
      SDL_SetWindowAlwaysOnTop(record->sdl, SDL_TRUE);
    } else if (insertAfter == HWND_NOTOPMOST) {
      record->exStyle &= ~WS_EX_TOPMOST;
      SDL_SetWindowAlwaysOnTop(record->sdl, SDL_FALSE);
    }
  }
  if (!(flags & SWP_NOMOVE)) SDL_SetWindowPosition(record->sdl, x, y);
  if (!(flags & SWP_NOSIZE)) {
    SDL_SetWindowSize(record->sdl, std::max(width, 1), std::max(height, 1));
    int w = 0, h = 0;
    SDL_GetWindowSize(record->sdl, &w, &h);
    ReportSize(window, SIZE_RESTORED, w, h);
    if (!IsLiveWindow(window)) return TRUE;
  }
  if (flags & SWP_SHOWWINDOW) ShowWindow(window, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  else if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
  return TRUE;
}

HWND GetActiveWindow(void) {
  WindowTable& table = Table();
  return IsLiveWindow(table.active) ? table.active : nullptr;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous = currentCursor;
  currentCursor = cursor;
  ApplyCursor();
  return previous;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  uintptr_t id = reinterpret_cast<uintptr_t>(name);
  if (!instance && id < 0x10000) {
    for (size_t i = 0; i < sizeof(systemCursorIds) / sizeof(systemCursorIds[0]); ++i)
      if (systemCursorIds[i] == id) return &systemCursors[i];
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (!instance && name == IDI_APPLICATION) return &applicationIcon;
  SetLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

int ShowCursor(BOOL show) {
  cursorCount += show ? 1 : -1;
  ApplyCursor();
  return cursorCount;
}

BOOL ScreenToClient(HWND window, LPPOINT point) {
  POINT origin;
  if (!point) return Fail(ERROR_INVALID_PARAMETER);
  if (!ClientOrigin(window, &origin)) return FALSE;
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
  POINT origin;
  if (!point) return Fail(ERROR_INVALID_PARAMETER);
  if (!ClientOrigin(window, &origin)) return FALSE;
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  Win32Window* record = LiveWindow(window);
  if (!record) return Fail(ERROR_INVALID_WINDOW_HANDLE);
  SDL_SetWindowTitle(record->sdl, text ? text : "");
  return TRUE;
}

int GetWindowTextA(HWND window, LPSTR text, int size) {
  Win32Window* record = LiveWindow(window);
  if (!record) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    if (text && size > 0) text[0] = '\0';
    return 0;
  }
  if (!text || size <= 0) return 0;
  const char* title = SDL_GetWindowTitle(record->sdl);
  size_t length = std::min(std::strlen(title ? title : ""), static_cast<size_t>(size - 1));
  std::memcpy(text, title ? title : "", length);
  text[length] = '\0';
  return static_cast<int>(length);
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

int LoadStringA(HINSTANCE, UINT, LPSTR buffer, int size) {
  if (buffer && size > 0) buffer[0] = '\0';
  return 0;
}

}
