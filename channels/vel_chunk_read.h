// Reading one fixed-size chunk from a channel record while telling a chunk
// that is absent (the caller keeps its default) from one that is there but
// damaged (wrong block size, or a block running past the end of the data).
#pragma once

#include "file_loader.h"

namespace vel {

enum class ChunkRead { kRead, kAbsent, kCorrupt };

// When the next chunk bears `tag`: copies its block into `dst` when the block
// is exactly `size` bytes, else passes over it and answers kCorrupt.
inline ChunkRead ReadChunk(OrnFileLoader& loader, const char* tag, void* dst, unsigned long size) {
  if (!loader.CheckHeader(tag, false)) return ChunkRead::kAbsent;
  return loader.ReadChunk(tag, dst, size) ? ChunkRead::kRead : ChunkRead::kCorrupt;
}

}  // namespace vel
