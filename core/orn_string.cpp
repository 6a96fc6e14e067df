#include "orn_string.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {
char* CopyText(const char* text, size_t length) {
  char* copy = static_cast<char*>(std::malloc(length + 1));
  if (!copy) return nullptr;
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}
}  // namespace

Orn_String::Orn_String() : data(nullptr) {}

Orn_String::~Orn_String() { std::free(data); }

Orn_String::Orn_String(const Orn_String& other) : data(nullptr) { SetString(other.data); }

Orn_String& Orn_String::operator=(const Orn_String& other) {
  if (this != &other) SetString(other.data);
  return *this;
}

void Orn_String::SetString(const char* text) {
  // The argument may point into the current text.
  char* old = data;
  data = nullptr;
  if (text) data = CopyText(text, strnlen(text, kMaxChars));
  std::free(old);
}

void Orn_String::AddString(const char* text) {
  if (!text) return;
  if (!data) {
    SetString(text);
    return;
  }
  size_t have = std::strlen(data);
  if (have >= static_cast<size_t>(kMaxChars)) return;
  size_t add = strnlen(text, kMaxChars - have);
  char* joined = static_cast<char*>(std::realloc(data, have + add + 1));
  if (!joined) return;
  std::memcpy(joined + have, text, add);
  joined[have + add] = '\0';
  data = joined;
}

void Orn_String::SetMaxCars(int n) {
  if (n < 1 || !data) return;
  if (std::strlen(data) > static_cast<size_t>(n)) data[n] = '\0';
}

char* Orn_String::MakeFULLName(char* path) {
  if (!path) return path;
  size_t length = strnlen(path, 259);
  size_t last = 0;
  bool found = false;
  for (size_t i = 0; i < length; ++i) {
    if (path[i] == '\\' || path[i] == '/') {
      last = i;
      found = true;
    }
  }
  if (!found || last == 0) return path;
  std::memmove(path, path + last + 1, length - last);
  path[length - last - 1] = '\0';
  return path;
}

void Orn_String::StrLwr() {
  if (!data) return;
  for (char* p = data; *p; ++p) *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
}

void Orn_String::StrUpr() {
  if (!data) return;
  for (char* p = data; *p; ++p) *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
}
