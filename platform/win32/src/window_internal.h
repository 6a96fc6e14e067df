// State shared by the window and message parts of the windowing layer. Every
// function here runs on the thread that owns the windows, except where noted.
#pragma once

#include <SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "win32/window.h"

struct Win32WindowClass {
  std::string name;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  HCURSOR cursor = nullptr;
};

struct Win32Window {
  SDL_Window* sdl = nullptr;  // NULL for the desktop
  Uint32 sdlId = 0;
  std::shared_ptr<Win32WindowClass> windowClass;
  DWORD style = 0;
  DWORD exStyle = 0;
  bool destroying = false;
  // The last size reported through WM_SIZE, so the same size is not
  // reported twice.
  int sizeType = -1;
  int width = -1;
  int height = -1;
};

namespace win32plat {

// Starts SDL's video system when it is not running; false when it cannot.
bool EnsureVideo();

// Whether the calling thread is the one that started SDL's video for the
// windows (the thread that may take in its events).
bool OnVideoThread();

// The user event that wakes a waiting GetMessageA (0 before video starts).
Uint32 WakeEventType();

// The record of a live window (not the desktop); NULL otherwise. Safe from
// any thread for the check itself.
Win32Window* LiveWindow(HWND window);
bool IsLiveWindow(HWND window);
HWND WindowFromSdlId(Uint32 id);
// Copies of the live window handles, in no particular order.
std::vector<HWND> LiveWindows();

// Calls the window procedure of a live window; 0 for others.
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Makes a window the active one (sending WM_ACTIVATEAPP and WM_ACTIVATE as
// the change requires), or ends its activation.
void ActivateWindow(HWND window, WORD how);
void DeactivateWindow(HWND window);

// Sends WM_SIZE unless this type and size were the last reported.
void ReportSize(HWND window, int type, int width, int height);

// Drops every queued message of a window that is going away.
void DropQueuedMessages(HWND window);
void ForgetMouseWindow(HWND window);

// Maps an SDL key to a virtual-key code (0 when it has none), its set-1
// scan code and whether it is an extended key.
WORD VirtualKeyFromSdl(const SDL_Keysym& key, BYTE* scanCode, bool* extended);
// The DirectInput key code of a key by its position; 0 when it has none.
BYTE DirectInputKeyFromSdl(SDL_Scancode scancode);

// The wheel distance of an SDL wheel event, WHEEL_DELTA a notch, positive
// away from the user.
int WheelDistance(const SDL_MouseWheelEvent& event);

// Brings the input devices' state up to date with an event; every event the
// message pump takes in passes through here first.
void FeedInputDevices(const SDL_Event& event);

}  // namespace win32plat
