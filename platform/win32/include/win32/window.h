// Windows on SDL2: window classes, top-level windows, their geometry, styles
// and titles, the active window, cursors and icons.
//
// Each window is an SDL window (made for OpenGL where the video driver can,
// so the graphics layer can draw into it) created hidden unless its style has
// WS_VISIBLE. Positions and sizes given and reported are those of the SDL
// window: the window manager's frame is not counted, so a window's rectangle
// and its client area have the same size. The desktop window stands for the
// first display: its rectangles are the display's bounds.
#pragma once

// The program instance that classes and windows name comes from
// GetModuleHandleA(NULL).
#include "win32/library.h"
#include "win32/messages.h"
#include "win32/types.h"

struct SDL_Window;

#define CS_VREDRAW 0x0001u
#define CS_HREDRAW 0x0002u
#define CS_DBLCLKS 0x0008u
#define CS_OWNDC 0x0020u

#define WS_OVERLAPPED 0x00000000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_THICKFRAME 0x00040000u
#define WS_SYSMENU 0x00080000u
#define WS_DLGFRAME 0x00400000u
#define WS_BORDER 0x00800000u
#define WS_CAPTION 0x00C00000u
#define WS_MAXIMIZE 0x01000000u
#define WS_VISIBLE 0x10000000u
#define WS_MINIMIZE 0x20000000u
#define WS_CHILD 0x40000000u
#define WS_POPUP 0x80000000u
#define WS_OVERLAPPEDWINDOW (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)

#define WS_EX_LEFT 0x00000000u
#define WS_EX_TOPMOST 0x00000008u
#define WS_EX_APPWINDOW 0x00040000u

#define CW_USEDEFAULT (static_cast<int>(0x80000000u))

#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWMINNOACTIVE 7
#define SW_SHOWNA 8
#define SW_RESTORE 9
#define SW_SHOWDEFAULT 10

#define SWP_NOSIZE 0x0001u
#define SWP_NOMOVE 0x0002u
#define SWP_NOZORDER 0x0004u
#define SWP_NOREDRAW 0x0008u
#define SWP_NOACTIVATE 0x0010u
#define SWP_FRAMECHANGED 0x0020u
#define SWP_SHOWWINDOW 0x0040u
#define SWP_HIDEWINDOW 0x0080u

#define HWND_TOP (reinterpret_cast<HWND>(static_cast<intptr_t>(0)))
#define HWND_BOTTOM (reinterpret_cast<HWND>(static_cast<intptr_t>(1)))
#define HWND_TOPMOST (reinterpret_cast<HWND>(static_cast<intptr_t>(-1)))
#define HWND_NOTOPMOST (reinterpret_cast<HWND>(static_cast<intptr_t>(-2)))

#define COLOR_WINDOW 5

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_SIZENWSE MAKEINTRESOURCEA(32642)
#define IDC_SIZENESW MAKEINTRESOURCEA(32643)
#define IDC_SIZEWE MAKEINTRESOURCEA(32644)
#define IDC_SIZENS MAKEINTRESOURCEA(32645)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)
#define IDI_APPLICATION MAKEINTRESOURCEA(32512)

struct WNDCLASSEXA {
  UINT cbSize;
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCSTR lpszMenuName;
  LPCSTR lpszClassName;
  HICON hIconSm;
};

// The lParam of WM_CREATE points to one of these.
struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

extern "C" {

// Registers a window class under its name (case ignored). Returns a nonzero
// atom; 0 with ERROR_CLASS_ALREADY_EXISTS for a name already registered, or
// ERROR_INVALID_PARAMETER without name or window procedure.
ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);

// Creates a top-level window of a registered class (a parent is recorded
// but the window is not placed inside it). CW_USEDEFAULT for x places it
// where the system likes, for width gives 640 x 480. The window procedure
// receives WM_CREATE before this returns; a result of -1 destroys the window
// again and NULL is returned. NULL also when the class is unknown
// (ERROR_CLASS_DOES_NOT_EXIST) or the video system cannot make a window.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);

// Sends WM_DESTROY and then WM_NCDESTROY to the window procedure and closes
// the window; its handle is invalid afterwards and its queued messages are
// dropped.
BOOL DestroyWindow(HWND window);

// TRUE while the handle names a window that exists (the desktop included).
BOOL IsWindow(HWND window);

// SW_HIDE hides; SW_SHOW, SW_SHOWNORMAL, SW_SHOWDEFAULT, SW_RESTORE and
// SW_SHOWMAXIMIZED show and activate (WM_ACTIVATEAPP and WM_ACTIVATE are
// sent when the window was not active); the NOACTIVATE/NA forms show without
// activating; SW_MINIMIZE and SW_SHOWMINIMIZED minimise. Returns whether the
// window was visible before.
BOOL ShowWindow(HWND window, int command);

// Nothing needs painting outside the graphics layer: TRUE for a window.
BOOL UpdateWindow(HWND window);

HWND GetDesktopWindow(void);

// The client area: (0, 0) to the window's width and height.
BOOL GetClientRect(HWND window, LPRECT rect);
// The window's rectangle in screen coordinates.
BOOL GetWindowRect(HWND window, LPRECT rect);

// GWL_STYLE and GWL_EXSTYLE. Setting the style takes effect at once: a
// caption or frame gives a bordered window, WS_THICKFRAME a resizable one,
// WS_VISIBLE shows and its absence hides. Returns the previous value; 0 with
// ERROR_INVALID_PARAMETER for another index.
LONG GetWindowLongA(HWND window, int index);
LONG SetWindowLongA(HWND window, int index, LONG value);

// Moves and/or resizes (unless SWP_NOMOVE / SWP_NOSIZE), shows or hides
// (SWP_SHOWWINDOW / SWP_HIDEWINDOW); HWND_TOPMOST keeps the window above
// others. A size change sends WM_SIZE.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);

// The window that has the keyboard focus, as last reported by the windowing
// system or made active by ShowWindow; NULL when none of ours has it.
HWND GetActiveWindow(void);

// The cursor shown over the program's windows; NULL hides it. Returns the
// previous one.
HCURSOR SetCursor(HCURSOR cursor);
// The system cursors (IDC_*) with a NULL instance; NULL otherwise (there are
// no cursor resources).
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// IDI_APPLICATION with a NULL instance; NULL otherwise (there are no icon
// resources).
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
// Raises or lowers the display count; the cursor shows while the count is 0
// or more (it starts at 0). Returns the new count.
int ShowCursor(BOOL show);
// The cursor position in screen coordinates.
BOOL GetCursorPos(LPPOINT point);
BOOL ScreenToClient(HWND window, LPPOINT point);
BOOL ClientToScreen(HWND window, LPPOINT point);

BOOL SetWindowTextA(HWND window, LPCSTR text);
// Copies the title, truncated to size - 1 characters; returns its length.
int GetWindowTextA(HWND window, LPSTR text, int size);

// Default handling: WM_CLOSE destroys the window; everything else returns 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// There are no string resources: 0, with an empty text in the buffer.
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int size);

}

// The SDL window behind a window handle (NULL for the desktop or an unknown
// handle), and the handle of an SDL window made by CreateWindowExA.
SDL_Window* Win32_GetSDLWindow(HWND window);
HWND Win32_WindowFromSDL(SDL_Window* window);
