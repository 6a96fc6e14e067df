#include "test_support.h"

#include <fstream>
#include <iterator>

std::vector<char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::vector<char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void PutSize(std::vector<char>* out, uint32_t size) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<char>((size >> (8 * i)) & 0xFF));
}

void PutText(std::vector<char>* out, const char* text) {
  while (*text) out->push_back(*text++);
}
