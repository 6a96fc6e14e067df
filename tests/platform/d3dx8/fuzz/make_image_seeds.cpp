// Writes small image files of every kind the decoders read into a directory,
// as the image fuzz target's seed corpus.
//   make_image_seeds <directory>
#include "image_writers.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_image_seeds <directory>\n");
    return 2;
  }
  using namespace testimages;
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  auto write = [&](const char* name, const Bytes& bytes) {
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  };
  const Texels texels = {0xFF102030, 0x80FFFFFF, 0x00000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                         0x40404040, 0xFFABCDEF, 0x12345678, 0xFF000000, 0xFFFFFFFF, 0x7F7F7F7F};
  write("rgba.png", WritePng(4, 3, texels, PngKind::kRgba));
  write("palette.png", WritePng(4, 3, texels, PngKind::kPalette, true));
  write("grey.png", WritePng(4, 3, texels, PngKind::kGrey));
  write("colour.jpg", WriteJpeg(4, 3, texels, 90));
  write("grey.jpg", WriteJpeg(4, 3, texels, 50, true));
  write("b24.bmp", WriteBmp(4, 3, texels, 24));
  write("b32.bmp", WriteBmp(4, 3, texels, 32, true));
  write("palette.bmp", WriteBmpPalettised(4, 3, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3}, {0xFF0000, 0xFF00, 0xFF, 0}, 8));
  write("t32rle.tga", WriteTga(4, 3, texels, 32, true, false));
  write("t24.tga", WriteTga(4, 3, texels, 24, false, true));
  write("argb.dds", WriteDdsArgb(4, 3, texels, 2));
  write("dxt1.dds", WriteDdsBlocks(4, 4, "DXT1", Bytes(8, 0x5A)));
  write("dxt5.dds", WriteDdsBlocks(4, 4, "DXT5", Bytes(16, 0xA5)));
  write("cube.dds", WriteDdsCubeArgb(2, std::vector<Texels>(6, Texels(4, 0xFF336699)), 1));
  return 0;
}
