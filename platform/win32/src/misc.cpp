#include "win32/misc.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
int LowerChar(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }
}  // namespace

extern "C" {

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  long long product = static_cast<long long>(number) * numerator;
  long long half = (denominator < 0 ? -static_cast<long long>(denominator) : denominator) / 2;
  bool negative = (product < 0) != (denominator < 0);
  long long magnitude = (product < 0 ? -product : product);
  long long divisor = denominator < 0 ? -static_cast<long long>(denominator) : denominator;
  long long result = (magnitude + half) / divisor;
  if (negative) result = -result;
  if (result > INT_MAX || result < INT_MIN) return -1;
  return static_cast<int>(result);
}

void OutputDebugStringA(LPCSTR text) {
  if (!text || !getenv("KELVANE_DEBUG_OUTPUT")) return;
  std::fputs(text, stderr);
  std::fflush(stderr);
}

int lstrcmpiA(LPCSTR a, LPCSTR b) {
  if (!a || !b) return a ? 1 : (b ? -1 : 0);
  const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
  const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
  while (*x && LowerChar(*x) == LowerChar(*y)) {
    ++x;
    ++y;
  }
  return LowerChar(*x) - LowerChar(*y);
}

int lstrcmpA(LPCSTR a, LPCSTR b) {
  if (!a || !b) return a ? 1 : (b ? -1 : 0);
  return std::strcmp(a, b);
}

int lstrlenA(LPCSTR text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int max) {
  if (!dst || !src) return nullptr;
  if (max <= 0) return dst;
  int i = 0;
  for (; i < max - 1 && src[i]; ++i) dst[i] = src[i];
  dst[i] = '\0';
  return dst;
}

}
