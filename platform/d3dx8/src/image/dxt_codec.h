// Block compression DXT1 (8 bytes per 4x4 block: two 5:6:5 colours and 2-bit
// indices, optionally 1-bit transparency), DXT3 (explicit 4-bit alpha before
// a colour block) and DXT5 (two alpha end points with 3-bit indices before a
// colour block). DXT2 and DXT4 are stored like DXT3 and DXT5.
#pragma once

#include <cstdint>

namespace d3dx8 {

enum class DxtKind { kDxt1, kDxt3, kDxt5 };

inline unsigned DxtBlockBytes(DxtKind kind) { return kind == DxtKind::kDxt1 ? 8 : 16; }

// Decodes one block into 16 ARGB texels, row by row.
void DecodeDxtBlock(DxtKind kind, const uint8_t* block, uint32_t texels[16]);

// Encodes 16 ARGB texels (row by row) into one block.
void EncodeDxtBlock(DxtKind kind, const uint32_t texels[16], uint8_t* block);

}  // namespace d3dx8
