// Presentation: the presented frame is kept on the GPU as the front frame
// and shown in the window, by drawing it into the window's own framebuffer
// and swapping buffers where the window system allows it, else by reading it
// back and copying it into the window's SDL surface. The front frame also
// answers GetFrontBuffer and is written to the frame file on release.
#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "device.h"
#include "frame_png.h"
#include "surface.h"
#include "window_link.h"

namespace d3d8 {
namespace {

// Vertical blanks to wait for at a swap: windowed presents do not wait
// unless asked to by the swap effect; full-screen ones follow the
// presentation interval.
int SwapInterval(const D3DPRESENT_PARAMETERS& pp) {
  if (pp.Windowed) return pp.SwapEffect == D3DSWAPEFFECT_COPY_VSYNC ? 1 : 0;
  switch (pp.FullScreen_PresentationInterval) {
    case D3DPRESENT_INTERVAL_IMMEDIATE: return 0;
    case D3DPRESENT_INTERVAL_TWO: return 2;
    case D3DPRESENT_INTERVAL_THREE: return 3;
    case D3DPRESENT_INTERVAL_FOUR: return 4;
    default: return 1;
  }
}

// Whether SDL keeps window surfaces in the window system driver's memory
// (drivers that have such surfaces, with SDL's renderer for them switched
// off), so that copying a frame there draws no OpenGL of SDL's. Switching
// contexts costs the software rasteriser a good part of a small frame.
bool SurfacesInMemory() {
  if (SDL_GetHintBoolean(SDL_HINT_FRAMEBUFFER_ACCELERATION, SDL_TRUE)) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver) return false;
  for (const char* own : {"offscreen", "dummy", "x11"})
    if (std::strcmp(driver, own) == 0) return true;
  return false;
}

RECT RectOrWhole(const RECT* rect, int width, int height) { return rect ? *rect : RECT{0, 0, width, height}; }

}  // namespace

HRESULT Device::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                        const RGNDATA*) {
  if (inScene_) return D3DERR_INVALIDCALL;
  if (lost_) return D3DERR_DEVICELOST;
  MakeCurrent();
  KeepPresentedFrame();
  SDL_Window* window = LookupSdlWindow(hDestWindowOverride ? hDestWindowOverride : deviceWindow_);
  if (!window) return D3D_OK;  // off screen: nothing to show
  if (!ShowFrameThroughWindow(window, pSourceRect, pDestRect)) CopyFrameIntoWindow(window, pSourceRect, pDestRect);
  return D3D_OK;
}

void Device::KeepPresentedFrame() {
  const UINT w = backBuffer_->width(), h = backBuffer_->height();
  const FormatInfo& f = backBuffer_->info();
  if (!frontTexture_ || frontWidth_ != w || frontHeight_ != h || frontFormat_ != backBuffer_->format()) {
    if (!frontTexture_) glGenTextures(1, &frontTexture_);
    glActiveTexture(GL_TEXTURE0 + kScratchTextureUnit);
    glBindTexture(GL_TEXTURE_2D, frontTexture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(f.internalFormat), static_cast<GLsizei>(w),
                 static_cast<GLsizei>(h), 0, f.uploadFormat, f.uploadType, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    frontWidth_ = w;
    frontHeight_ = h;
    frontFormat_ = backBuffer_->format();
  }
  if (pp_.SwapEffect == D3DSWAPEFFECT_COPY || pp_.SwapEffect == D3DSWAPEFFECT_COPY_VSYNC) {
    // The back buffer keeps its image: copy it.
    BlitTexture(backBuffer_->colorTexture(), GL_TEXTURE_2D, 0, backBuffer_->WholeRect(), frontTexture_, GL_TEXTURE_2D,
                0, backBuffer_->WholeRect(), GL_NEAREST);
  } else {
    // Discarding and flipping leave the back buffer undefined: the two
    // images change places, as in a flip chain, and nothing is copied.
    backBuffer_->ExchangeColorTexture(&frontTexture_);
    dirty_ |= kDirtyFramebuffer;
  }
  framePresented_ = true;
}

bool Device::ShowFrameThroughWindow(SDL_Window* window, const RECT* pSourceRect, const RECT* pDestRect) {
  if (!gl_.BeginWindowFrame(window)) return false;
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(window, &width, &height);
  const RECT src = RectOrWhole(pSourceRect, static_cast<int>(frontWidth_), static_cast<int>(frontHeight_));
  const RECT dst = RectOrWhole(pDestRect, width, height);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDrawBuffer(GL_BACK);
  if (dst.left > 0 || dst.top > 0 || dst.right < width || dst.bottom < height) {
    // The window's buffer is undefined after a swap; what the frame does not
    // cover is black.
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    dirty_ |= kDirtyRaster;
  }
  // The window's rows run bottom up, the frame's top down.
  const bool scaled = src.right - src.left != dst.right - dst.left || src.bottom - src.top != dst.bottom - dst.top;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, frontTexture_, 0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glBlitFramebuffer(src.left, src.top, src.right, src.bottom, dst.left, height - dst.top, dst.right,
                    height - dst.bottom, GL_COLOR_BUFFER_BIT, scaled ? GL_LINEAR : GL_NEAREST);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  gl_.EndWindowFrame(window, SwapInterval(pp_));
  dirty_ |= kDirtyFramebuffer;
  return true;
}

void Device::CopyFrameIntoWindow(SDL_Window* window, const RECT* pSourceRect, const RECT* pDestRect) {
  // Read first: SDL may draw window surfaces with an OpenGL context of its
  // own, which it makes current, and which the window system may refuse
  // while this device's context is current.
  const UINT w = frontWidth_, h = frontHeight_;
  ReadFrontFrame(&frontPixels_);
  if (!SurfacesInMemory()) gl_.Release();
  SDL_Surface* target = SDL_GetWindowSurface(window);
  if (!target) return;
  SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(frontPixels_.data(), static_cast<int>(w), static_cast<int>(h),
                                                          32, static_cast<int>(w * 4), SDL_PIXELFORMAT_ARGB8888);
  if (!frame) return;
  SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
  const RECT s = RectOrWhole(pSourceRect, static_cast<int>(w), static_cast<int>(h));
  // Windowed, the image fills the client area unless a destination is given;
  // the destination rectangle also places it (the offset inside the window).
  const RECT d = RectOrWhole(pDestRect, target->w, target->h);
  SDL_Rect src = {s.left, s.top, s.right - s.left, s.bottom - s.top};
  SDL_Rect dst = {d.left, d.top, d.right - d.left, d.bottom - d.top};
  if (src.w > 0 && src.h > 0 && dst.w > 0 && dst.h > 0) {
    if (src.w == dst.w && src.h == dst.h)
      SDL_BlitSurface(frame, &src, target, &dst);
    else
      SDL_BlitScaled(frame, &src, target, &dst);
  }
  SDL_FreeSurface(frame);
  SDL_UpdateWindowSurface(window);
}

void Device::ReadFrontFrame(std::vector<BYTE>* bgra) {
  bgra->assign(static_cast<size_t>(frontWidth_) * frontHeight_ * 4, 0);
  if (!frontTexture_) return;
  const RECT whole = {0, 0, static_cast<LONG>(frontWidth_), static_cast<LONG>(frontHeight_)};
  ReadTextureTexels(frontTexture_, GL_TEXTURE_2D, 0, whole, GL_BGRA, GL_UNSIGNED_BYTE, bgra->data(), frontWidth_);
}

void Device::WriteFrameFile() {
  if (framePngPath_.empty() || !framePresented_) return;
  std::vector<BYTE> bgra;
  ReadFrontFrame(&bgra);
  WriteFramePng(framePngPath_, bgra.data(), frontWidth_, frontHeight_, frontWidth_ * 4);
}

HRESULT Device::GetFrontBuffer(IDirect3DSurface8* pDestSurface) {
  Surface* dest = static_cast<Surface*>(pDestSurface);
  // The copy goes to a 32-bit image in system memory.
  if (!dest || dest->kind() != Surface::Kind::Image || dest->format() != D3DFMT_A8R8G8B8) return D3DERR_INVALIDCALL;
  MakeCurrent();
  std::vector<BYTE> frame;
  ReadFrontFrame(&frame);
  BYTE* out = dest->imageData();
  const UINT pitch = dest->imagePitch();
  const UINT rows = std::min(dest->height(), frontHeight_);
  const UINT bytes = std::min(dest->width(), frontWidth_) * 4;
  for (UINT y = 0; y < rows; ++y) {
    std::memcpy(out + static_cast<size_t>(y) * pitch, frame.data() + static_cast<size_t>(y) * frontWidth_ * 4, bytes);
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
