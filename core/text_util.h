// Small text helpers of the core: bounded copies into fixed fields, case-blind
// comparison and the platform's path separators.
#pragma once

#include <cstddef>

constexpr char kPathSeparator = '/';
constexpr char kPathListSeparator = ':';

// Copies at most size-1 characters of text and always terminates dst.
void CopyText(char* dst, size_t size, const char* text);
bool EqualsIgnoreCase(const char* a, const char* b);
