// Message boxes. There is no dialog: the box is written to standard error as
// "caption: text" and answered at once with its default button, so a program
// never waits on it. Tests install a hook that receives the box instead.
#pragma once

#include <functional>

#include "win32/types.h"

#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_CANCELTRYCONTINUE 0x00000006u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONHAND 0x00000010u
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000u
#define MB_DEFBUTTON2 0x00000100u
#define MB_DEFBUTTON3 0x00000200u
#define MB_DEFMASK 0x00000F00u
#define MB_APPLMODAL 0x00000000u
#define MB_SYSTEMMODAL 0x00001000u
#define MB_TASKMODAL 0x00002000u
#define MB_SETFOREGROUND 0x00010000u
#define MB_TOPMOST 0x00040000u

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDTRYAGAIN 10
#define IDCONTINUE 11

extern "C" {

// Shows a box (see above) and returns the button that answered it: the
// default button of the box's button set (MB_DEFBUTTON1 to 3; IDOK for MB_OK
// and MB_OKCANCEL, IDYES for MB_YESNO), or the hook's answer. A NULL caption
// is "Error".
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

}

// Receives every message box (text and caption never NULL) instead of the
// terminal; its result is MessageBoxA's. An empty function removes the hook.
// Returns the hook that was installed before.
typedef std::function<int(HWND owner, const char* text, const char* caption, UINT type)> Win32_MessageBoxHook;
Win32_MessageBoxHook Win32_SetMessageBoxHook(Win32_MessageBoxHook hook);
