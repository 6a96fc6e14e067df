#include "viewer_paths.h"

#include "win32/file.h"
#include "win32/library.h"
#include "win32/registry.h"

#include <cstring>
#include <string>

const char* const kViewerRegKey = "SOFTWARE\\Ondrel\\Kelvane Viewers\\1.20.000";
const char* const kAuthoringRegKey = "SOFTWARE\\Ondrel\\Kelvane\\1.20.000";

namespace {
typedef EngineControl* (*GetEngineControlFunction)();

void CopyBounded(char* dst, int size, const char* text) {
  if (!dst || size <= 0) return;
  std::strncpy(dst, text ? text : "", static_cast<size_t>(size) - 1);
  dst[size - 1] = '\0';
}
}  // namespace

EngineControl* LoadCoreLibrary(const char* dir) {
  if (!dir) return nullptr;
  std::string path = std::string(dir) + "/varnel.so";
  if (path.size() >= 260) return nullptr;
  HMODULE core = LoadLibraryA(path.c_str());
  if (!core) return nullptr;
  GetEngineControlFunction create = reinterpret_cast<GetEngineControlFunction>(
      reinterpret_cast<void*>(GetProcAddress(core, "GetEngineControlInstance")));
  if (!create) return nullptr;
  return create();
}

bool ReadInstallPath(char* buffer, int size) {
  if (!buffer || size <= 0) return false;
  std::memset(buffer, 0, static_cast<size_t>(size));
  struct Place {
    HKEY root;
    const char* key;
  };
  const Place places[] = {{HKEY_CURRENT_USER, kViewerRegKey},
                          {HKEY_LOCAL_MACHINE, kViewerRegKey},
                          {HKEY_LOCAL_MACHINE, kAuthoringRegKey}};
  for (const Place& place : places) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(place.root, place.key, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    char value[400] = {};
    DWORD type = 0;
    DWORD length = sizeof value - 1;
    LSTATUS result = RegQueryValueExA(key, "Install_Path", nullptr, &type, reinterpret_cast<BYTE*>(value), &length);
    RegCloseKey(key);
    if (result == ERROR_SUCCESS && type == REG_SZ) {
      CopyBounded(buffer, size, value);
      return true;
    }
  }
  return false;
}

char* MakeAbsolutePath(const char* path) {
  static char result[1000];
  if (!path) return nullptr;
  if (path[0] == '/') {
    CopyBounded(result, sizeof result, path);
    return result;
  }
  char current[1000] = {};
  GetCurrentDirectoryA(999, current);
  const char* rest = path;
  while (rest[0] == '.' && rest[1] == '/') rest += 2;
  std::string joined = std::string(current) + "/" + rest;
  CopyBounded(result, sizeof result, joined.c_str());
  return result;
}

bool GetProgramDirectory(char* buffer, int size) {
  if (!buffer || size <= 0) return false;
  char program[1000] = {};
  DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
  if (length == 0 || length >= sizeof program) {
    buffer[0] = '\0';
    return false;
  }
  char* slash = std::strrchr(program, '/');
  if (!slash) {
    buffer[0] = '\0';
    return false;
  }
  *slash = '\0';
  CopyBounded(buffer, size, program);
  return true;
}
