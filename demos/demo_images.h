// The image files the demo projects store in their textures: PNG and JPEG
// writers and the procedural pictures of the demos. Texels are 0xAARRGGBB,
// rows top to bottom.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace demos {

struct Picture {
  unsigned width = 0;
  unsigned height = 0;
  std::vector<uint32_t> texels;  // 0xAARRGGBB, rows top down
  bool withAlpha = false;        // PNG files keep the alpha bytes too
};

bool WritePngFile(const std::filesystem::path& file, const Picture& picture);
bool WriteJpegFile(const std::filesystem::path& file, const Picture& picture, int quality);
std::vector<char> ReadFileBytes(const std::filesystem::path& file);

// Stone floor tiles in two tones with dark joints.
Picture FloorTiles(unsigned size);
// Weathered planks with a darker frame: the side of a crate.
Picture CratePlanks(unsigned size);
// Bands of colour round a ball.
Picture BallStripes(unsigned size);

}  // namespace demos
