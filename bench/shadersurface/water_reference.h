// The water simulation's step in plain C++ on float grids: the same passes,
// offsets and arithmetic as the pixel shaders, texels sampled bilinearly
// with wrapping as the render targets are. The benchmark's reference.
#pragma once

#include <cstddef>
#include <vector>

namespace water_reference {

struct Grid {
  int width = 0;
  int height = 0;
  std::vector<float> texels;  // row by row, biased by one half (0.5 = 0)

  Grid(int w, int h, float value) : width(w), height(h), texels(static_cast<size_t>(w) * h, value) {}
  float& At(int x, int y) { return texels[static_cast<size_t>(y) * width + x]; }
  float At(int x, int y) const { return texels[static_cast<size_t>(y) * width + x]; }
  // Bilinear sample at (x, y) in texels from the grid's corner (texel
  // centres at half-integers), wrapping at the borders.
  float Sample(float x, float y) const;
};

struct Water {
  Water(int width, int height);
  // One step: force, velocity, height, smoothing, normal map.
  void Step();

  float waterSpeed = 0.5f;
  float waveSpeed = 0.25f;
  float fallOff = 0.5f;
  float restoration = 0.5f;
  float normalScale = 0.8f;
  Grid height, velocity, partialForce, force, newHeight;
  std::vector<float> normals;  // s, t and 1 - s^2 - t^2 per texel
};

}  // namespace water_reference
