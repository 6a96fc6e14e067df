// Conversion between ARGB images and the texel layouts of surface formats.
#pragma once

#include <d3d8/d3d8.h>

#include <cstdint>

#include "argb_image.h"

namespace d3dx8 {

// True when images can be written to and read from the format.
bool FormatIsConvertible(D3DFORMAT format);

// True when the format stores alpha.
bool FormatHasAlpha(D3DFORMAT format);

// True for the 4x4-block formats (DXT1 to DXT5).
bool FormatIsBlockCompressed(D3DFORMAT format);

// Writes the image into locked surface memory of the format whose rows (rows
// of 4x4 blocks for the block formats) are pitch bytes apart. False for a
// format that is not convertible.
bool WriteImageToSurface(const ArgbImage& image, D3DFORMAT format, uint8_t* bits, int pitch);

// Reads width x height texels of the format from surface memory into image.
bool ReadImageFromSurface(const uint8_t* bits, int pitch, D3DFORMAT format, UINT width, UINT height,
                          ArgbImage* image);

}  // namespace d3dx8
