// Reads a pixel of an SDL window as the X server holds it (kept apart from
// the tests: X11's headers define names that clash with other libraries').
#pragma once

struct SDL_Window;

namespace d3d8test {

// 0x00RRGGBB of window pixel (x, y); -1 when the window is not an X window.
long XWindowPixel(SDL_Window* window, int x, int y);

}  // namespace d3d8test
