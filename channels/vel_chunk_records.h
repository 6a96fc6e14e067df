// Reading a drawing channel's own chunks: fixed-size records bounded by their
// destination, variable blocks bounded by the bytes present, and one clear
// message for a chunk that is there but malformed.
#pragma once

#include "engine_interface.h"
#include "file_loader.h"
#include "orn_channel.h"

#include <cstdint>
#include <cstring>

namespace vel {

// Whether `at` (four characters) is a tag that no channel's own chunks use:
// the slot header of a group file (the next channel's index, type, name,
// version and base type), the channel record every channel begins with, and
// the group's closing chunks. Once a channel has read its channel record,
// such a tag marks the end of its own chunks.
inline bool EndsOwnChunks(const char* at) {
  static const char kTags[][5] = {"CHIX", "CHID", "CHNM", "CHVE", "CHBG", "CHIC", "CHNA", "CHIT", "CHES", "CEXI",
                                  "CHLC", "CHLI", "CHUL", "CHRP", "CHSC", "CGIC", "CGII", "CINA", "CGGG"};
  for (const char* tag : kTags)
    if (std::memcmp(at, tag, 4) == 0) return true;
  return false;
}

// Searches the chunks of the record being read for `tag`: from the read
// position, whole chunks (tag, size, block) are passed over until `tag` is
// next. The search ends, unsuccessfully, at the end of the data, at a chunk
// that does not lie within the data, or at a tag that ends this channel's
// own chunks (EndsOwnChunks), so that a neighbour's chunks are never taken.
// True with the reader standing at `tag`; otherwise nothing moves.
inline bool FindOwnChunk(OrnFileLoader& loader, const char* tag) {
  const char* data = loader.GetBuffer();
  const int left = loader.GetBufferSize();
  if (!data || left <= 0) return false;
  const size_t size = static_cast<size_t>(left);
  for (size_t at = 0; at + 4 <= size;) {
    if (std::memcmp(data + at, tag, 4) == 0) {
      loader.AddBufferPos(static_cast<int>(at));
      return true;
    }
    if (EndsOwnChunks(data + at) || at + 8 > size) return false;
    const unsigned char* field = reinterpret_cast<const unsigned char*>(data + at + 4);
    const uint32_t block = static_cast<uint32_t>(field[0]) | static_cast<uint32_t>(field[1]) << 8 |
                           static_cast<uint32_t>(field[2]) << 16 | static_cast<uint32_t>(field[3]) << 24;
    if (block > size - at - 8) return false;
    at += 8 + block;
  }
  return false;
}

// Reports a malformed chunk of `channel`: "<where> <tag>", then the channel's name.
inline void ReportCorruptChunk(Orn_Channel* channel, const char* where, const char* tag) {
  EngineInterface* engine = channel ? channel->engine : nullptr;
  if (!engine) return;
  char name[5] = {tag[0], tag[1], tag[2], tag[3], '\0'};
  engine->errorFunctor(where, name);
  if (channel->GetChannelName()) engine->errorFunctor("Channel : ", channel->GetChannelName());
}

// Passes over the block at the read position; a block that runs past the
// data takes the rest of it.
inline void SkipBlock(OrnFileLoader& loader) {
  if (!loader.GetTagData()) {
    loader.AddBufferPos(loader.GetBufferSize());
    return;
  }
  unsigned long size = loader.GetSizeDataBlock(true);
  loader.AddBufferPos(static_cast<int>(size));
}

// Reads chunk `tag` into the `size` bytes at dst when it is next. A chunk
// whose block is not exactly `size` bytes long, or runs past the data, is
// passed over and reported through `where` (a text such as
// "Vel_DX8_CameraChannel::LoadChannel: Corrupt chunk"); dst then keeps its
// value. True when the record was read.
inline bool ReadRecordChunk(OrnFileLoader& loader, const char* tag, void* dst, unsigned long size,
                            Orn_Channel* channel, const char* where) {
  if (!loader.GetInfoIfTag(tag)) return false;
  if (loader.CopyTagData(dst, size)) return true;
  ReportCorruptChunk(channel, where, tag);
  SkipBlock(loader);
  return false;
}

// The next block at the read position, consumed: its bytes (which lie within
// the data) and their count; NULL when the block runs past the data, which is
// then passed over to its end.
inline const char* TakeBlock(OrnFileLoader& loader, unsigned long* size) {
  *size = 0;
  const char* data = loader.GetTagData();
  if (!data) {
    loader.AddBufferPos(loader.GetBufferSize());
    return nullptr;
  }
  *size = loader.GetSizeDataBlock(true);
  loader.AddBufferPos(static_cast<int>(*size));
  return data;
}

}  // namespace vel
