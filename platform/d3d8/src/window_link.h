// The SDL window behind a window handle of the platform layer, when the
// platform's windowing is present and knows the handle.
#pragma once

#include <win32/types.h>

struct SDL_Window;

namespace d3d8 {

SDL_Window* LookupSdlWindow(HWND window);
// The client size of a window; false when the handle names no window.
bool WindowClientSize(HWND window, int* width, int* height);

}  // namespace d3d8
