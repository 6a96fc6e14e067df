// Window messages: the message queue of the program's window thread, the
// messages the windows receive and their parameter encodings.
//
// Input from the windowing system arrives as the messages below. Activation,
// size and close messages are sent: the window procedure is called directly
// while PeekMessageA or GetMessageA takes in new input. Mouse, keyboard and
// posted messages are queued and returned by PeekMessageA/GetMessageA in the
// order they arrived; WM_QUIT comes once the queue is otherwise empty.
// All calls except PostMessageA belong to the thread that created the
// windows.
#pragma once

#include "win32/types.h"

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

#define WM_NULL 0x0000u
#define WM_CREATE 0x0001u
#define WM_DESTROY 0x0002u
#define WM_MOVE 0x0003u
#define WM_SIZE 0x0005u
#define WM_ACTIVATE 0x0006u
#define WM_SETFOCUS 0x0007u
#define WM_KILLFOCUS 0x0008u
#define WM_PAINT 0x000Fu
#define WM_CLOSE 0x0010u
#define WM_QUIT 0x0012u
#define WM_ACTIVATEAPP 0x001Cu
#define WM_NCDESTROY 0x0082u
#define WM_KEYDOWN 0x0100u
#define WM_KEYUP 0x0101u
#define WM_CHAR 0x0102u
#define WM_SYSKEYDOWN 0x0104u
#define WM_SYSKEYUP 0x0105u
#define WM_SYSCHAR 0x0106u
#define WM_MOUSEMOVE 0x0200u
#define WM_LBUTTONDOWN 0x0201u
#define WM_LBUTTONUP 0x0202u
#define WM_LBUTTONDBLCLK 0x0203u
#define WM_RBUTTONDOWN 0x0204u
#define WM_RBUTTONUP 0x0205u
#define WM_RBUTTONDBLCLK 0x0206u
#define WM_MBUTTONDOWN 0x0207u
#define WM_MBUTTONUP 0x0208u
#define WM_MBUTTONDBLCLK 0x0209u
#define WM_MOUSEWHEEL 0x020Au
#define WM_USER 0x0400u
#define WM_APP 0x8000u

// WM_ACTIVATE: LOWORD(wParam).
#define WA_INACTIVE 0
#define WA_ACTIVE 1
#define WA_CLICKACTIVE 2

// WM_SIZE: wParam.
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

// Mouse messages: the buttons and keys held, in wParam.
#define MK_LBUTTON 0x0001u
#define MK_RBUTTON 0x0002u
#define MK_SHIFT 0x0004u
#define MK_CONTROL 0x0008u
#define MK_MBUTTON 0x0010u

// WM_MOUSEWHEEL: HIWORD(wParam) is the signed distance, one notch per
// WHEEL_DELTA, positive away from the user.
#define WHEEL_DELTA 120
#define GET_WHEEL_DELTA_WPARAM(wParam) (static_cast<short>(HIWORD(wParam)))
#define GET_KEYSTATE_WPARAM(wParam) (LOWORD(wParam))
#define GET_X_LPARAM(lp) (static_cast<int>(static_cast<short>(LOWORD(lp))))
#define GET_Y_LPARAM(lp) (static_cast<int>(static_cast<short>(HIWORD(lp))))
#define MAKEWPARAM(lo, hi) (static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(lo, hi))))

// Virtual-key codes (WM_KEYDOWN/WM_KEYUP wParam). Letters and digits are
// their upper-case ASCII codes.
#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_CANCEL 0x03
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_PAUSE 0x13
#define VK_CAPITAL 0x14
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_SELECT 0x29
#define VK_PRINT 0x2A
#define VK_EXECUTE 0x2B
#define VK_SNAPSHOT 0x2C
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_HELP 0x2F
#define VK_LWIN 0x5B
#define VK_RWIN 0x5C
#define VK_APPS 0x5D
#define VK_SLEEP 0x5F
#define VK_NUMPAD0 0x60
#define VK_NUMPAD1 0x61
#define VK_NUMPAD2 0x62
#define VK_NUMPAD3 0x63
#define VK_NUMPAD4 0x64
#define VK_NUMPAD5 0x65
#define VK_NUMPAD6 0x66
#define VK_NUMPAD7 0x67
#define VK_NUMPAD8 0x68
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B
#define VK_F13 0x7C
#define VK_F14 0x7D
#define VK_F15 0x7E
#define VK_F16 0x7F
#define VK_F17 0x80
#define VK_F18 0x81
#define VK_F19 0x82
#define VK_F20 0x83
#define VK_F21 0x84
#define VK_F22 0x85
#define VK_F23 0x86
#define VK_F24 0x87
#define VK_NUMLOCK 0x90
#define VK_SCROLL 0x91
#define VK_LSHIFT 0xA0
#define VK_RSHIFT 0xA1
#define VK_LCONTROL 0xA2
#define VK_RCONTROL 0xA3
#define VK_LMENU 0xA4
#define VK_RMENU 0xA5
#define VK_OEM_1 0xBA
#define VK_OEM_PLUS 0xBB
#define VK_OEM_COMMA 0xBC
#define VK_OEM_MINUS 0xBD
#define VK_OEM_PERIOD 0xBE
#define VK_OEM_2 0xBF
#define VK_OEM_3 0xC0
#define VK_OEM_4 0xDB
#define VK_OEM_5 0xDC
#define VK_OEM_6 0xDD
#define VK_OEM_7 0xDE
#define VK_OEM_102 0xE2

// PeekMessageA: what to do with the message found.
#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u
#define PM_NOYIELD 0x0002u

typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

extern "C" {

// Takes the first queued message for `window` (NULL: any window and thread
// messages) whose number lies in [filterMin, filterMax] (both 0: any),
// removing it with PM_REMOVE. FALSE when there is none; never waits.
BOOL PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeMessage);

// As PeekMessageA with PM_REMOVE, but waits until a message comes. Returns 0
// for WM_QUIT, -1 when waiting fails, otherwise nonzero.
BOOL GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax);

// Makes character messages for a key message: a WM_KEYDOWN that typed text
// (as the windowing system reported it) gets one WM_CHAR per character
// queued at the front, in the program's 8-bit character set (Latin-1,
// characters outside it as '?'); so do Return ('\r'), Backspace, Tab, Escape
// and Ctrl+letter (1 to 26). Alt combinations (WM_SYSKEYDOWN) give WM_SYSCHAR.
// The WM_CHAR lParam is the key message's. Nonzero for the four key-down and
// key-up messages, whether or not characters were made.
BOOL TranslateMessage(const MSG* message);

// Calls the window procedure of the message's window; returns its result
// (0 for a message without window).
LRESULT DispatchMessageA(const MSG* message);

// Queues a message for a window (NULL: a thread message). Safe from any
// thread. FALSE with ERROR_INVALID_WINDOW_HANDLE for a window that does not
// exist.
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Asks the message loop to end: GetMessageA returns WM_QUIT with this code in
// wParam once the queue is otherwise empty.
void PostQuitMessage(int exitCode);

// Calls a window procedure directly and returns its result.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether the program has been asked to end and has not yet taken the
// request in: an end signal (SIGINT, SIGTERM), a window's close request from
// the windowing system, or a WM_QUIT already posted. Looks without taking
// anything in or calling any window procedure, so work that runs long on the
// window thread before the message loop (loading a project) can ask between
// its steps and stop early; the request stays for the next PeekMessageA or
// GetMessageA. Off the window thread only a posted WM_QUIT is seen.
BOOL Win32_EndRequested(void);

}
