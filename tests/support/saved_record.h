// A channel's saved record, written through the engine's saver into memory.
#pragma once

#include "file_saver.h"
#include "orn_channel.h"

#include <vector>

inline std::vector<char> SaveRecord(EngineInterface* engine, Orn_Channel* channel) {
  OrnFileSaver saver(engine);
  saver.OpenMemory();
  channel->SaveChannel(saver);
  saver.CloseMemory();
  if (!saver.GetBuffer()) return {};
  return std::vector<char>(saver.GetBuffer(), saver.GetBuffer() + saver.GetBufferSize());
}
