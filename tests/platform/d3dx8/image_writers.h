// Writers of small image files in memory for the decoding tests. Texels are
// ARGB (0xAARRGGBB), rows top to bottom.
#pragma once

#include <cstdint>
#include <vector>

namespace testimages {

using Bytes = std::vector<uint8_t>;
using Texels = std::vector<uint32_t>;

enum class PngKind { kRgba, kRgb, kGrey, kPalette };

// kPalette stores each distinct texel (up to 256) in the palette, with alpha
// in a transparency chunk.
Bytes WritePng(unsigned width, unsigned height, const Texels& texels, PngKind kind, bool interlaced = false);
Bytes WriteJpeg(unsigned width, unsigned height, const Texels& texels, int quality, bool grey = false);

// 24 or 32 bits a texel, rows bottom up unless topDown.
Bytes WriteBmp(unsigned width, unsigned height, const Texels& texels, int bits, bool topDown = false);
// 1, 4 or 8 bits a texel with the given palette (ARGB entries); indices per
// texel.
Bytes WriteBmpPalettised(unsigned width, unsigned height, const std::vector<uint8_t>& indices,
                         const Texels& palette, int bits);

// 24 or 32 bits a texel (32 declares 8 alpha bits); run-length encoded when
// rle; rows bottom up unless topDown.
Bytes WriteTga(unsigned width, unsigned height, const Texels& texels, int bits, bool rle, bool topDown);

// DDS with 32-bit A8R8G8B8 texels, or with the given block data and four-cc.
Bytes WriteDdsArgb(unsigned width, unsigned height, const Texels& texels, unsigned mipCount = 0);
Bytes WriteDdsBlocks(unsigned width, unsigned height, const char fourCc[4], const Bytes& blocks);
// A DDS cube map of A8R8G8B8 faces in D3DCUBEMAP_FACES order, each with
// `mipCount` levels; an empty face is left out of the file.
Bytes WriteDdsCubeArgb(unsigned edge, const std::vector<Texels>& faces, unsigned mipCount);

// Little-endian helpers.
void Put16(Bytes& b, uint32_t v);
void Put32(Bytes& b, uint32_t v);

}  // namespace testimages
