// CopyRects and the texel transfers behind it and behind locking render
// targets: memory to memory, memory to and from OpenGL images, and OpenGL
// image to OpenGL image with a framebuffer blit.
#include <cstring>
#include <vector>

#include "device.h"
#include "surface.h"

namespace d3d8 {
namespace {

GLsizei Width(const RECT& r) { return static_cast<GLsizei>(r.right - r.left); }
GLsizei Height(const RECT& r) { return static_cast<GLsizei>(r.bottom - r.top); }

// A rectangle of a DXT surface must cover whole 4x4 blocks, except where it
// reaches the surface's right or bottom edge.
bool OnBlocks(const Surface& s, const RECT& r) {
  if (!s.info().compressed) return true;
  const bool w = (r.right - r.left) % 4 == 0 || r.right == static_cast<LONG>(s.width());
  const bool h = (r.bottom - r.top) % 4 == 0 || r.bottom == static_cast<LONG>(s.height());
  return w && h;
}

}  // namespace

void Device::ReadTextureTexels(GLuint texture, GLenum target, GLint level, const RECT& rect, GLenum format,
                               GLenum type, BYTE* out, UINT rowLength) {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target, texture, level);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, static_cast<GLint>(rowLength));
  glReadPixels(rect.left, rect.top, Width(rect), Height(rect), format, type, out);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
}

void Device::BlitTexture(GLuint source, GLenum sourceTarget, GLint sourceLevel, const RECT& from, GLuint dest,
                         GLenum destTarget, GLint destLevel, const RECT& to, GLenum filter) {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, sourceTarget, source, sourceLevel);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, copyFbo_);
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, destTarget, dest, destLevel);
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  // Rows are stored top row first on both sides: no flip.
  glBlitFramebuffer(from.left, from.top, from.right, from.bottom, to.left, to.top, to.right, to.bottom,
                    GL_COLOR_BUFFER_BIT, filter);
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  dirty_ |= kDirtyFramebuffer;  // the device's own framebuffer is bound again before it is used
}

void Device::ReadSurfaceTexels(Surface* surface, const RECT& rect, BYTE* out, UINT pitch) {
  MakeCurrent();
  const FormatInfo& f = surface->info();
  ReadTextureTexels(surface->colorTexture(), surface->colorTarget(), surface->colorLevel(), rect, f.uploadFormat,
                    f.uploadType, out, pitch / f.bytesPerBlock);
}

void Device::WriteSurfaceTexels(Surface* surface, const RECT& rect, const BYTE* in, UINT pitch) {
  MakeCurrent();
  const FormatInfo& f = surface->info();
  const GLenum target = surface->colorTarget();
  const GLenum binding = target == GL_TEXTURE_2D ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP;
  glActiveTexture(GL_TEXTURE0 + kScratchTextureUnit);
  glBindTexture(binding, surface->colorTexture());
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(pitch / f.bytesPerBlock));
  glTexSubImage2D(target, surface->colorLevel(), rect.left, rect.top, Width(rect), Height(rect), f.uploadFormat,
                  f.uploadType, in);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glBindTexture(binding, 0);
}

HRESULT Device::CopyRects(IDirect3DSurface8* pSourceSurface, const RECT* pSourceRectsArray, UINT cRects,
                          IDirect3DSurface8* pDestinationSurface, const POINT* pDestPointsArray) {
  Surface* src = static_cast<Surface*>(pSourceSurface);
  Surface* dst = static_cast<Surface*>(pDestinationSurface);
  if (!src || !dst || src == dst || src->device() != this || dst->device() != this) return D3DERR_INVALIDCALL;
  if (src->format() != dst->format() || src->IsDepthStencil() || dst->IsDepthStencil()) return D3DERR_INVALIDCALL;
  const FormatInfo& f = src->info();
  const RECT whole = {0, 0, static_cast<LONG>(src->width()), static_cast<LONG>(src->height())};
  const UINT count = pSourceRectsArray ? cRects : 1;
  struct Copy {
    RECT from, to;
    size_t fromOffset, toOffset;
  };
  std::vector<Copy> copies(count);
  UINT srcPitch = 0, dstPitch = 0;
  BYTE* srcMemory = src->SystemTexels(&srcPitch);
  BYTE* dstMemory = dst->SystemTexels(&dstPitch);
  // Every rectangle is checked before anything is copied.
  for (UINT i = 0; i < count; ++i) {
    Copy& c = copies[i];
    c.from = pSourceRectsArray ? pSourceRectsArray[i] : whole;
    const POINT at = pDestPointsArray ? pDestPointsArray[i] : POINT{c.from.left, c.from.top};
    c.to = {at.x, at.y, at.x + (c.from.right - c.from.left), at.y + (c.from.bottom - c.from.top)};
    if (!LockOffset(f, src->width(), src->height(), FormatPitch(f, src->width()), &c.from, &c.fromOffset) ||
        !LockOffset(f, dst->width(), dst->height(), FormatPitch(f, dst->width()), &c.to, &c.toOffset) ||
        !OnBlocks(*src, c.from) || !OnBlocks(*dst, c.to))
      return D3DERR_INVALIDCALL;
  }
  for (const Copy& c : copies) {
    if (srcMemory && dstMemory) {
      const size_t rowBytes = static_cast<size_t>(FormatPitch(f, static_cast<UINT>(Width(c.from))));
      const UINT rows = FormatRows(f, static_cast<UINT>(Height(c.from)));
      for (UINT y = 0; y < rows; ++y)
        std::memmove(dstMemory + c.toOffset + static_cast<size_t>(y) * dstPitch,
                     srcMemory + c.fromOffset + static_cast<size_t>(y) * srcPitch, rowBytes);
    } else if (srcMemory) {
      WriteSurfaceTexels(dst, c.to, srcMemory + c.fromOffset, srcPitch);
    } else if (dstMemory) {
      ReadSurfaceTexels(src, c.from, dstMemory + c.toOffset, dstPitch);
    } else {
      MakeCurrent();
      BlitTexture(src->colorTexture(), src->colorTarget(), src->colorLevel(), c.from, dst->colorTexture(),
                  dst->colorTarget(), dst->colorLevel(), c.to, GL_NEAREST);
    }
  }
  if (dstMemory) dst->NoteTexelsWritten();
  return D3D_OK;
}

}  // namespace d3d8
