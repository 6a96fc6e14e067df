// Scaling of ARGB images with the D3DX_FILTER_* kinds, mip-level reduction
// and colour keying.
#pragma once

#include <win32/types.h>

#include "argb_image.h"

namespace d3dx8 {

// True for a filter value the library accepts: D3DX_DEFAULT or one kind
// (none, point, linear, triangle, box) with optional mirror and dither flags.
bool FilterIsValid(DWORD filter);

// The image scaled to width x height. Kinds: none copies without scaling
// (texels outside the source become transparent black); point takes the
// nearest texel; linear blends the four nearest (wrapping around the edges
// unless mirrored); triangle and box average the source texels under each
// target texel weighted by the area they cover, which for a halving is the
// plain 2x2 average. Dithering is not needed at 8 bits a channel.
ArgbImage ScaleImage(const ArgbImage& src, UINT width, UINT height, DWORD filter);

// The next mip level: half the size in each direction (at least 1).
ArgbImage NextMipLevel(const ArgbImage& src, DWORD filter);

// Texels equal to key become transparent black; key 0 disables keying.
void ApplyColorKey(ArgbImage* image, DWORD key);

}  // namespace d3dx8
