// The byte encoding of a chunk stream: a four-character tag, a 32-bit
// little-endian block size that counts the data bytes only, then the block.
// A tag may stand alone (no size, no data) or be followed by several
// size-and-block pairs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace chunk {

constexpr size_t kTagSize = 4;
constexpr size_t kSizeFieldSize = 4;

inline uint32_t ReadSize(const char* at) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(at);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
         (static_cast<uint32_t>(b[3]) << 24);
}

inline void WriteSize(uint32_t value, char* out) {
  out[0] = static_cast<char>(value & 0xFF);
  out[1] = static_cast<char>((value >> 8) & 0xFF);
  out[2] = static_cast<char>((value >> 16) & 0xFF);
  out[3] = static_cast<char>((value >> 24) & 0xFF);
}

}  // namespace chunk
