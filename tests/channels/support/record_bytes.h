// Edits of a saved channel record for the tests of damaged records: the
// chunk of a tag with another block, or the record cut off inside a chunk.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vel_test {

// The offset of chunk `tag` (its four characters, first found) in `record`, or -1.
inline long FindChunk(const std::vector<char>& record, const char* tag) {
  const std::string bytes(record.begin(), record.end());
  size_t at = bytes.find(std::string(tag, 4));
  return at == std::string::npos ? -1 : static_cast<long>(at);
}

// `record` with the block of chunk `tag` replaced by `block`.
inline std::vector<char> WithBlock(std::vector<char> record, const char* tag, const std::vector<char>& block) {
  long at = FindChunk(record, tag);
  if (at < 0) return record;
  uint32_t old;
  std::memcpy(&old, &record[at + 4], 4);
  uint32_t size = static_cast<uint32_t>(block.size());
  std::memcpy(&record[at + 4], &size, 4);
  record.erase(record.begin() + at + 8, record.begin() + at + 8 + old);
  record.insert(record.begin() + at + 8, block.begin(), block.end());
  return record;
}

// `record` cut `keep` bytes into the block of chunk `tag`.
inline std::vector<char> CutInside(std::vector<char> record, const char* tag, long keep) {
  long at = FindChunk(record, tag);
  if (at >= 0) record.resize(static_cast<size_t>(at + 8 + keep));
  return record;
}

// `record` up to chunk `tag`: the part a test keeps when it writes the
// chunks from `tag` on by hand.
inline std::vector<char> RecordBefore(const std::vector<char>& record, const char* tag) {
  const long at = FindChunk(record, tag);
  return std::vector<char>(record.begin(), at < 0 ? record.end() : record.begin() + at);
}

// Appends one chunk to `record`: the tag, the 32-bit little-endian block
// size and the block.
inline void AppendChunk(std::vector<char>& record, const char* tag, const void* block, uint32_t size) {
  record.insert(record.end(), tag, tag + 4);
  for (int i = 0; i < 4; ++i) record.push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
  const char* p = static_cast<const char*>(block);
  record.insert(record.end(), p, p + size);
}
template <class T>
void AppendChunk(std::vector<char>& record, const char* tag, const T& value) {
  AppendChunk(record, tag, &value, sizeof value);
}

}  // namespace vel_test
