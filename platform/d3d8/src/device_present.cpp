// Presentation to the device window, the front-buffer copy and the cursor.
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "device.h"
#include "surface.h"
#include "window_link.h"

namespace d3d8 {

HRESULT Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                        const RGNDATA*) {
  if (inScene_) return D3DERR_INVALIDCALL;
  if (lost_) return D3DERR_DEVICELOST;
  MakeCurrent();
  // Keep the frame: it is the front buffer from now on.
  const UINT w = backBuffer_->width(), h = backBuffer_->height();
  frontBuffer_.resize(static_cast<size_t>(w) * h * 4);
  frontWidth_ = w;
  frontHeight_ = h;
  ReadColorTexture(backBuffer_->colorTexture(), 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, frontBuffer_.data());

  SDL_Window* window = LookupSdlWindow(hDestWindowOverride ? hDestWindowOverride : deviceWindow_);
  if (!window) return D3D_OK;  // off screen: nothing to show
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (!target) return D3D_OK;
  SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(frontBuffer_.data(), static_cast<int>(w), static_cast<int>(h),
                                                          32, static_cast<int>(w * 4), SDL_PIXELFORMAT_ARGB8888);
  if (!frame) return D3D_OK;
  SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
  SDL_Rect src = {0, 0, static_cast<int>(w), static_cast<int>(h)};
  if (pSourceRect)
    src = {pSourceRect->left, pSourceRect->top, pSourceRect->right - pSourceRect->left,
           pSourceRect->bottom - pSourceRect->top};
  // Windowed, the image fills the client area unless a destination is given;
  // the destination rectangle also places it (the offset inside the window).
  SDL_Rect dst = {0, 0, target->w, target->h};
  if (pDestRect)
    dst = {pDestRect->left, pDestRect->top, pDestRect->right - pDestRect->left, pDestRect->bottom - pDestRect->top};
  if (src.w > 0 && src.h > 0 && dst.w > 0 && dst.h > 0) {
    if (src.w == dst.w && src.h == dst.h)
      SDL_BlitSurface(frame, &src, target, &dst);
    else
      SDL_BlitScaled(frame, &src, target, &dst);
  }
  SDL_FreeSurface(frame);
  SDL_UpdateWindowSurface(window);
  return D3D_OK;
}

HRESULT Device::GetFrontBuffer(IDirect3DSurface8* pDestSurface) {
  Surface* dest = static_cast<Surface*>(pDestSurface);
  // The copy goes to a 32-bit image in system memory.
  if (!dest || dest->kind() != Surface::Kind::Image || dest->format() != D3DFMT_A8R8G8B8) return D3DERR_INVALIDCALL;
  BYTE* out = dest->imageData();
  const UINT pitch = dest->imagePitch();
  const UINT rows = std::min(dest->height(), frontHeight_);
  const UINT bytes = std::min(dest->width(), frontWidth_) * 4;
  for (UINT y = 0; y < rows; ++y) {
    std::memcpy(out + static_cast<size_t>(y) * pitch, frontBuffer_.data() + static_cast<size_t>(y) * frontWidth_ * 4,
                bytes);
    // The front buffer is opaque.
    for (UINT x = 0; x < bytes; x += 4) out[static_cast<size_t>(y) * pitch + x + 3] = 0xFF;
  }
  return D3D_OK;
}

HRESULT Device::SetCursorProperties(UINT xHotSpot, UINT yHotSpot, IDirect3DSurface8* pCursorBitmap) {
  Surface* s = static_cast<Surface*>(pCursorBitmap);
  if (!s || s->format() != D3DFMT_A8R8G8B8) return D3DERR_INVALIDCALL;
  if (xHotSpot >= s->width() || yHotSpot >= s->height()) return D3DERR_INVALIDCALL;
  D3DLOCKED_RECT lr;
  if (FAILED(s->LockRect(&lr, nullptr, D3DLOCK_READONLY))) return D3DERR_INVALIDCALL;
  SDL_Cursor* cursor = nullptr;
  if (LookupSdlWindow(deviceWindow_)) {
    SDL_Surface* image = SDL_CreateRGBSurfaceWithFormatFrom(lr.pBits, static_cast<int>(s->width()),
                                                            static_cast<int>(s->height()), 32, lr.Pitch,
                                                            SDL_PIXELFORMAT_ARGB8888);
    if (image) {
      cursor = SDL_CreateColorCursor(image, static_cast<int>(xHotSpot), static_cast<int>(yHotSpot));
      SDL_FreeSurface(image);
    }
  }
  s->UnlockRect();
  if (cursor) {
    if (cursor_) SDL_FreeCursor(cursor_);
    cursor_ = cursor;
    if (cursorShown_) SDL_SetCursor(cursor_);
  }
  return D3D_OK;
}

void Device::SetCursorPosition(int x, int y, DWORD) {
  cursorX_ = x;
  cursorY_ = y;
  // In full screen the screen is the window: the cursor moves there.
  SDL_Window* window = LookupSdlWindow(deviceWindow_);
  if (window && !pp_.Windowed) SDL_WarpMouseInWindow(window, x, y);
}

BOOL Device::ShowCursor(BOOL show) {
  BOOL previous = cursorShown_;
  cursorShown_ = show ? TRUE : FALSE;
  if (LookupSdlWindow(deviceWindow_)) {
    if (show && cursor_) SDL_SetCursor(cursor_);
    SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
  }
  return previous;
}

}  // namespace d3d8
