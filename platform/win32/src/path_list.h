// The elements of a list separated by one character, in order, with empty
// elements left out.
#pragma once

#include <string>
#include <vector>

inline std::vector<std::string> SplitList(const char* list, char separator) {
  std::vector<std::string> dirs;
  if (!list) return dirs;
  std::string text(list);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    if (end > start) dirs.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return dirs;
}

// The directories of a ':'-separated search list such as PATH.
inline std::vector<std::string> SplitPathList(const char* list) { return SplitList(list, ':'); }
