// Sets a string value in the per-user registry store, for scripts that prepare
// a run (for example switching the error log on for a demo run).
//   reg_value <key path> <name> <value>
#include "win32/registry.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: reg_value <key path> <name> <value>\n");
    return 2;
  }
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, argv[1], 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return 1;
  LSTATUS result = RegSetValueExA(key, argv[2], 0, REG_SZ, reinterpret_cast<const BYTE*>(argv[3]),
                                  static_cast<DWORD>(std::strlen(argv[3])));
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? 0 : 1;
}
