#include "window_link.h"

#include <SDL.h>

#if __has_include(<win32/window.h>)
#include <win32/window.h>
#define D3D8_HAVE_PLATFORM_WINDOWS 1
#endif

namespace d3d8 {

SDL_Window* LookupSdlWindow(HWND window) {
  if (!window) return nullptr;
#ifdef D3D8_HAVE_PLATFORM_WINDOWS
  return Win32_GetSDLWindow(window);
#else
  // Without the platform's windowing no handle names a window; devices then
  // render off screen only.
  return nullptr;
#endif
}

bool WindowClientSize(HWND window, int* width, int* height) {
  SDL_Window* w = LookupSdlWindow(window);
  if (!w) return false;
  SDL_GetWindowSize(w, width, height);
  return *width > 0 && *height > 0;
}

}  // namespace d3d8
