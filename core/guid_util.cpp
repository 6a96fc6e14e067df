#include "guid_util.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const GUID kWildcardGuid = {0x11111111, 0x1111, 0x1111, {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11}};
const GUID kNullGuid = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

bool GuidIsZero(const GUID& guid) { return guid == kNullGuid; }
bool GuidIsWildcard(const GUID& guid) { return guid == kWildcardGuid; }

void GuidToText(const GUID& g, char* out) {
  std::snprintf(out, 37, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", static_cast<unsigned>(g.Data1),
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5],
                g.Data4[6], g.Data4[7]);
}

std::string GuidToString(const GUID& guid) {
  char text[40];
  GuidToText(guid, text);
  return text;
}

static int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool GuidFromString(const char* text, GUID* out) {
  if (!text || !out) return false;
  size_t len = std::strlen(text);
  bool braces = len == 38 && text[0] == '{' && text[37] == '}';
  if (braces) ++text;
  else if (len != 36) return false;
  unsigned char bytes[16];
  int n = 0;
  for (int i = 0; i < 36; ++i) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i] != '-') return false;
      continue;
    }
    int hi = HexValue(text[i]);
    int lo = HexValue(text[i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[n++] = static_cast<unsigned char>(hi * 16 + lo);
    ++i;
  }
  out->Data1 = (static_cast<DWORD>(bytes[0]) << 24) | (static_cast<DWORD>(bytes[1]) << 16) |
               (static_cast<DWORD>(bytes[2]) << 8) | bytes[3];
  out->Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
  out->Data3 = static_cast<WORD>((bytes[6] << 8) | bytes[7]);
  std::memcpy(out->Data4, bytes + 8, 8);
  return true;
}

GUID GuidLiteral(const char* text) {
  GUID guid;
  if (!GuidFromString(text, &guid)) {
    std::fprintf(stderr, "invalid GUID literal: %s\n", text);
    std::abort();
  }
  return guid;
}
