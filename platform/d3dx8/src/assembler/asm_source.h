// Shader source text cut into statements: comments (';' and '//' to the end
// of the line) removed, blank lines dropped, a leading '+' (co-issue) taken
// off and remembered. Each statement keeps its 1-based line number.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace d3dx8::assembler {

struct Statement {
  int line = 0;
  bool coissue = false;
  std::string text;  // trimmed, never empty
};

// Reads at most `length` bytes of `source` (stopping at a zero byte).
std::vector<Statement> SplitStatements(const char* source, size_t length);

std::string_view Trim(std::string_view s);
std::string Lower(std::string_view s);
// Splits at commas outside brackets; every part trimmed.
std::vector<std::string_view> SplitOperands(std::string_view s);

}  // namespace d3dx8::assembler
