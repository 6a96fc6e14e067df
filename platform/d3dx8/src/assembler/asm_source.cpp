#include "asm_source.h"

#include <cctype>

namespace d3dx8::assembler {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::string_view> SplitOperands(std::string_view s) {
  std::vector<std::string_view> parts;
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '[') ++depth;
    if (s[i] == ']') --depth;
    if (s[i] == ',' && depth == 0) {
      parts.push_back(Trim(s.substr(start, i - start)));
      start = i + 1;
    }
  }
  parts.push_back(Trim(s.substr(start)));
  return parts;
}

std::vector<Statement> SplitStatements(const char* source, size_t length) {
  std::vector<Statement> out;
  size_t end = 0;
  while (end < length && source[end] != '\0') ++end;
  std::string_view text(source, end);
  int line = 1;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t eol = text.find('\n', pos);
    if (eol == std::string_view::npos) eol = text.size();
    std::string_view raw = text.substr(pos, eol - pos);
    const size_t semicolon = raw.find(';');
    const size_t slashes = raw.find("//");
    raw = raw.substr(0, std::min(semicolon, slashes));
    raw = Trim(raw);
    if (!raw.empty()) {
      Statement s;
      s.line = line;
      if (raw.front() == '+') {
        s.coissue = true;
        raw = Trim(raw.substr(1));
      }
      s.text = std::string(raw);
      if (!s.text.empty() || s.coissue) out.push_back(std::move(s));
    }
    ++line;
    pos = eol + 1;
  }
  return out;
}

}  // namespace d3dx8::assembler
