#include "x_window_pixel.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace d3d8test {

long XWindowPixel(SDL_Window* window, int x, int y) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return -1;
  XImage* image = XGetImage(info.info.x11.display, info.info.x11.window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return -1;
  const unsigned long p = XGetPixel(image, 0, 0);
  XDestroyImage(image);
  return static_cast<long>(p & 0xFFFFFF);
}

}  // namespace d3d8test
