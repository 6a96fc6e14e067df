// Project files written chunk by chunk, as the engine tests hand-make them.
#pragma once

#include "engine_interface.h"
#include "file_saver.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<char> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ProjectWriter {
 public:
  explicit ProjectWriter(EngineInterface* engine) : saver(engine) { saver.OpenMemory(); }
  ProjectWriter& Chunk(const char* tag, const void* data, unsigned long size) {
    saver.SaveChunk(tag, data, size);
    return *this;
  }
  ProjectWriter& Int(const char* tag, int32_t value) { return Chunk(tag, &value, sizeof value); }
  ProjectWriter& Text(const char* tag, const std::string& text) { return Chunk(tag, text.c_str(), text.size() + 1); }
  ProjectWriter& Tag(const char* tag) {
    saver.SaveTag(tag);
    return *this;
  }
  ProjectWriter& Blocks(const GUID& type, const int32_t version[3], int32_t crc) {
    saver.SaveTag("KNDB");
    saver.SaveBlockSize(sizeof type);
    saver.SaveDataToFile(&type, sizeof type);
    saver.SaveBlockSize(12);
    saver.SaveDataToFile(version, 12);
    saver.SaveBlockSize(4);
    saver.SaveDataToFile(&crc, 4);
    return *this;
  }
  void WriteTo(const std::filesystem::path& path) {
    saver.CloseMemory();
    std::ofstream out(path, std::ios::binary);
    out.write(saver.GetBuffer(), static_cast<std::streamsize>(saver.GetBufferSize()));
  }
  OrnFileSaver saver;
};
