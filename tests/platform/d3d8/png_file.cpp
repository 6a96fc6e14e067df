#include "png_file.h"

#include <png.h>

#include <cstring>

namespace d3d8test {

bool ReadPngFile(const std::string& path, PngImage* image) {
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return false;
  png.format = PNG_FORMAT_BGRA;  // bytes B, G, R, A: 0xAARRGGBB words on little-endian machines
  image->width = png.width;
  image->height = png.height;
  image->texels.assign(static_cast<size_t>(png.width) * png.height, 0);
  if (!png_image_finish_read(&png, nullptr, image->texels.data(), 0, nullptr)) {
    png_image_free(&png);
    return false;
  }
  return true;
}

}  // namespace d3d8test
