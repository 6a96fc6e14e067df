#include "text_util.h"

#include <cctype>
#include <cstring>

void CopyText(char* dst, size_t size, const char* text) {
  if (!dst || size == 0) return;
  if (!text) {
    dst[0] = '\0';
    return;
  }
  size_t length = strnlen(text, size - 1);
  std::memcpy(dst, text, length);
  dst[length] = '\0';
}

bool EqualsIgnoreCase(const char* a, const char* b) {
  if (!a || !b) return false;
  while (*a && *b) {
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    ++a;
    ++b;
  }
  return *a == *b;
}
