// Surface formats: sizes, what each may be used for, and how its texels reach
// OpenGL (internal format, upload layout and the channel swizzle that gives
// the colour Direct3D reads from it).
#pragma once

#include <d3d8/d3d8types.h>

#include <cstddef>

#include "gl.h"

namespace d3d8 {

struct FormatInfo {
  D3DFORMAT format;
  UINT bytesPerBlock;  // bytes per texel, or per 4x4 block for compressed formats
  bool compressed;     // 4x4 blocks (DXT)
  bool depth;
  bool stencil;
  bool texture;        // usable as a texture
  bool renderTarget;   // usable as a colour render target
  GLenum internalFormat;
  GLenum uploadFormat;  // for compressed formats: the decoded RGBA8 layout
  GLenum uploadType;
  GLint swizzle[4];
};

// NULL for a format the layer does not support.
const FormatInfo* GetFormatInfo(D3DFORMAT format);

bool IsDisplayFormat(D3DFORMAT format);
bool IsDepthFormat(D3DFORMAT format);

// Bytes between rows (block rows for DXT) of a level of the given width, and
// the number of such rows for the given height.
UINT FormatPitch(const FormatInfo& info, UINT width);
UINT FormatRows(const FormatInfo& info, UINT height);

// The byte offset of a lock rectangle inside an image of the given size and
// pitch (0 for the whole image); false when the rectangle is empty, leaves
// the image or, for DXT formats, does not start on a 4x4 block.
bool LockOffset(const FormatInfo& info, UINT width, UINT height, UINT pitch, const RECT* rect, size_t* offset);

// Decodes a DXT1/DXT5 image into 8-bit RGBA bytes (width x height texels).
void DecodeDxt(D3DFORMAT format, const BYTE* src, UINT width, UINT height, BYTE* rgba);

}  // namespace d3d8
