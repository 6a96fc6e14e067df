#include "frame_png.h"

#include <png.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace d3d8 {
namespace {

// libpng reports errors by a long jump out of its calls; everything that
// must be cleaned up afterwards lives outside this function.
bool Encode(FILE* file, const BYTE* bgra, UINT width, UINT height, UINT pitch, std::vector<BYTE>* row) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (UINT y = 0; y < height; ++y) {
    const BYTE* src = bgra + static_cast<size_t>(y) * pitch;
    for (UINT x = 0; x < width; ++x) {
      (*row)[x * 3 + 0] = src[x * 4 + 2];
      (*row)[x * 3 + 1] = src[x * 4 + 1];
      (*row)[x * 3 + 2] = src[x * 4 + 0];
    }
    png_write_row(png, row->data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::string FramePngPathFromEnvironment() {
  const char* path = std::getenv("KELVANE_FRAME_PNG");
  return path ? std::string(path) : std::string();
}

bool WriteFramePng(const std::string& path, const BYTE* bgra, UINT width, UINT height, UINT pitch) {
  const std::string temporary = path + ".part" + std::to_string(getpid());
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "d3d8: cannot write the frame to %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  std::vector<BYTE> row(static_cast<size_t>(width) * 3);
  bool ok = Encode(file, bgra, width, height, pitch, &row);
  ok = std::fclose(file) == 0 && ok;
  if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  std::fprintf(stderr, "d3d8: cannot write the frame to %s\n", path.c_str());
  std::remove(temporary.c_str());
  return false;
}

}  // namespace d3d8
