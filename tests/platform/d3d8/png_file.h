// Reads back PNG files the device layer wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace d3d8test {

struct PngImage {
  unsigned width = 0, height = 0;
  std::vector<uint32_t> texels;  // 0xAARRGGBB, rows top to bottom
  uint32_t At(unsigned x, unsigned y) const { return texels[y * width + x]; }
};

// False when the file is missing or not a PNG image.
bool ReadPngFile(const std::string& path, PngImage* image);

}  // namespace d3d8test
