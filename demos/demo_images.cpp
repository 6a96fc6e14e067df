#include "demo_images.h"

#include <png.h>

#include <cmath>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include <fstream>
#include <iterator>

namespace demos {

namespace {

uint32_t Rgb(float r, float g, float b) {
  auto byte = [](float v) { return static_cast<uint32_t>(std::lround((v < 0 ? 0 : v > 1 ? 1 : v) * 255.0f)); };
  return 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
}

// A cheap repeatable grain in 0..1 from a texel position.
float Grain(unsigned x, unsigned y) {
  uint32_t h = x * 374761393u + y * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

// Red, green, blue and, with `alpha`, alpha bytes of row y.
std::vector<uint8_t> RgbRow(const Picture& picture, unsigned y, bool alpha = false) {
  const unsigned n = alpha ? 4 : 3;
  std::vector<uint8_t> row(picture.width * n);
  for (unsigned x = 0; x < picture.width; ++x) {
    const uint32_t t = picture.texels[y * picture.width + x];
    row[x * n] = static_cast<uint8_t>(t >> 16);
    row[x * n + 1] = static_cast<uint8_t>(t >> 8);
    row[x * n + 2] = static_cast<uint8_t>(t);
    if (alpha) row[x * n + 3] = static_cast<uint8_t>(t >> 24);
  }
  return row;
}

}  // namespace

bool WritePngFile(const std::filesystem::path& file, const Picture& picture) {
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  // libpng leaves its calls by a long jump on errors.
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(out);
    return false;
  }
  png_init_io(png, out);
  png_set_IHDR(png, info, picture.width, picture.height, 8,
               picture.withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (unsigned y = 0; y < picture.height; ++y) {
    std::vector<uint8_t> row = RgbRow(picture, y, picture.withAlpha);
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(out) == 0;
}

bool WriteJpegFile(const std::filesystem::path& file, const Picture& picture, int quality) {
  FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) return false;
  jpeg_compress_struct c{};
  jpeg_error_mgr errors{};
  c.err = jpeg_std_error(&errors);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, out);
  c.image_width = picture.width;
  c.image_height = picture.height;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  for (unsigned y = 0; y < picture.height; ++y) {
    std::vector<uint8_t> row = RgbRow(picture, y);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return std::fclose(out) == 0;
}

std::vector<char> ReadFileBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Picture FloorTiles(unsigned size) {
  Picture p{size, size, std::vector<uint32_t>(size * size)};
  const unsigned tile = size / 4;
  for (unsigned y = 0; y < size; ++y)
    for (unsigned x = 0; x < size; ++x) {
      const unsigned tx = x % tile, ty = y % tile;
      const bool joint = tx < 2 || ty < 2;
      const bool light = ((x / tile) + (y / tile)) % 2 == 0;
      const float g = 0.85f + 0.15f * Grain(x, y);
      if (joint)
        p.texels[y * size + x] = Rgb(0.25f, 0.24f, 0.22f);
      else if (light)
        p.texels[y * size + x] = Rgb(0.82f * g, 0.78f * g, 0.70f * g);
      else
        p.texels[y * size + x] = Rgb(0.55f * g, 0.50f * g, 0.44f * g);
    }
  return p;
}

Picture CratePlanks(unsigned size) {
  Picture p{size, size, std::vector<uint32_t>(size * size)};
  const unsigned frame = size / 10;
  const unsigned plank = size / 5;
  for (unsigned y = 0; y < size; ++y)
    for (unsigned x = 0; x < size; ++x) {
      const bool edge = x < frame || y < frame || x >= size - frame || y >= size - frame;
      const float ring = 0.5f + 0.5f * std::sin(static_cast<float>(x) * 0.35f + 3.0f * Grain(y / 3, 7));
      float shade = 0.80f + 0.12f * ring + 0.08f * Grain(x, y);
      if (!edge && y % plank < 2) shade *= 0.45f;  // the gap between two planks
      if (edge) shade *= 0.70f;
      p.texels[y * size + x] = Rgb(0.72f * shade, 0.50f * shade, 0.28f * shade);
    }
  return p;
}

Picture BallStripes(unsigned size) {
  Picture p{size, size, std::vector<uint32_t>(size * size)};
  const uint32_t bands[4] = {Rgb(0.85f, 0.20f, 0.18f), Rgb(0.95f, 0.92f, 0.85f), Rgb(0.20f, 0.45f, 0.80f),
                             Rgb(0.95f, 0.92f, 0.85f)};
  for (unsigned y = 0; y < size; ++y)
    for (unsigned x = 0; x < size; ++x) p.texels[y * size + x] = bands[(y * 8 / size) % 4];
  return p;
}

}  // namespace demos
