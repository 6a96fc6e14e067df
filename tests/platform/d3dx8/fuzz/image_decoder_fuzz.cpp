// libFuzzer target: the image decoders behind texture creation from file bytes
// in memory (PNG, JPEG, BMP, TGA, DDS, told apart by content). Any bytes
// decode to an image of the size they describe, or are refused.
#include "image/image_decoder.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (4u << 20)) return 0;
  d3dx8::DecodedImage decoded;
  if (d3dx8::DecodeImageFile(data, size, &decoded) != D3D_OK) return 0;
  const d3dx8::ArgbImage& image = decoded.image;
  if (uint64_t(image.width) * image.height != image.texels.size() ||
      !d3dx8::ImageSizeAcceptable(image.width, image.height)) {
    std::fprintf(stderr, "decoded image %ux%u holds %zu texels\n", image.width, image.height, image.texels.size());
    std::abort();
  }
  return 0;
}
