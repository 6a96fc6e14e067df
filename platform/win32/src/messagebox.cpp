#include "win32/messagebox.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex hookMutex;
Win32_MessageBoxHook& Hook() {
  static Win32_MessageBoxHook* hook = new Win32_MessageBoxHook;
  return *hook;
}

int DefaultButton(UINT type) {
  static const int buttons[][3] = {
      {IDOK, IDOK, IDOK},                  // MB_OK
      {IDOK, IDCANCEL, IDCANCEL},          // MB_OKCANCEL
      {IDABORT, IDRETRY, IDIGNORE},        // MB_ABORTRETRYIGNORE
      {IDYES, IDNO, IDCANCEL},             // MB_YESNOCANCEL
      {IDYES, IDNO, IDNO},                 // MB_YESNO
      {IDRETRY, IDCANCEL, IDCANCEL},       // MB_RETRYCANCEL
      {IDCANCEL, IDTRYAGAIN, IDCONTINUE},  // MB_CANCELTRYCONTINUE
  };
  UINT set = type & MB_TYPEMASK;
  if (set > MB_CANCELTRYCONTINUE) set = MB_OK;
  UINT choice = (type & MB_DEFMASK) >> 8;
  if (choice > 2) choice = 0;
  return buttons[set][choice];
}

}  // namespace

Win32_MessageBoxHook Win32_SetMessageBoxHook(Win32_MessageBoxHook hook) {
  std::lock_guard<std::mutex> lock(hookMutex);
  Win32_MessageBoxHook previous = std::move(Hook());
  Hook() = std::move(hook);
  return previous;
}

extern "C" {

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  if (!text) text = "";
  if (!caption) caption = "Error";
  Win32_MessageBoxHook hook;
  {
    std::lock_guard<std::mutex> lock(hookMutex);
    hook = Hook();
  }
  if (hook) return hook(owner, text, caption, type);
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
  return DefaultButton(type);
}

}
