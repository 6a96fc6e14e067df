// An image of packed 32-bit ARGB texels (0xAARRGGBB; in memory blue, green,
// red, alpha), rows top to bottom without padding.
#pragma once

#include <win32/types.h>

#include <cstdint>
#include <vector>

namespace d3dx8 {

struct ArgbImage {
  UINT width = 0;
  UINT height = 0;
  std::vector<uint32_t> texels;

  ArgbImage() = default;
  ArgbImage(UINT w, UINT h, uint32_t fill = 0) : width(w), height(h), texels(size_t(w) * h, fill) {}

  uint32_t& At(UINT x, UINT y) { return texels[size_t(y) * width + x]; }
  uint32_t At(UINT x, UINT y) const { return texels[size_t(y) * width + x]; }
  uint32_t* Row(UINT y) { return texels.data() + size_t(y) * width; }
  const uint32_t* Row(UINT y) const { return texels.data() + size_t(y) * width; }
};

inline uint32_t PackArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return (a << 24) | (r << 16) | (g << 8) | b;
}
inline uint32_t AlphaOf(uint32_t argb) { return argb >> 24; }
inline uint32_t RedOf(uint32_t argb) { return (argb >> 16) & 0xFF; }
inline uint32_t GreenOf(uint32_t argb) { return (argb >> 8) & 0xFF; }
inline uint32_t BlueOf(uint32_t argb) { return argb & 0xFF; }

}  // namespace d3dx8
