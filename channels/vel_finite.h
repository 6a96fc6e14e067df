// Finiteness tests for values on their way to a device state: a matrix with a
// NaN or an infinite element is never handed to the device.
#pragma once

#include <d3dx8/d3dx8math.h>

#include <cmath>

namespace vel {

inline bool IsFinite(const D3DXMATRIX& m) {
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column)
      if (!std::isfinite(m.m[row][column])) return false;
  return true;
}

}  // namespace vel
