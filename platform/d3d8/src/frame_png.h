// The frame file of a device: the last presented frame written as a PNG file
// when the device is released, if the environment asked for it (see
// KELVANE_FRAME_PNG in d3d8.h).
#pragma once

#include <d3d8/d3d8types.h>

#include <string>

namespace d3d8 {

// The file KELVANE_FRAME_PNG names; empty when the variable is unset or
// empty.
std::string FramePngPathFromEnvironment();

// Writes rows of B, G, R, A bytes (top row first) as an opaque RGB PNG
// file. The file appears whole or not at all: it is written under a
// temporary name beside the target and then renamed. False with a message
// on stderr when it cannot be written.
bool WriteFramePng(const std::string& path, const BYTE* bgra, UINT width, UINT height, UINT pitch);

}  // namespace d3d8
