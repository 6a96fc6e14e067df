// Reading a drawing channel's own chunks: fixed-size records bounded by their
// destination, variable blocks bounded by the bytes present, and one clear
// message for a chunk that is there but malformed.
#pragma once

#include "engine_interface.h"
#include "file_loader.h"
#include "orn_channel.h"

namespace vel {

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
