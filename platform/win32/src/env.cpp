#include "win32/env.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "handle_table.h"
#include "win32/errors.h"

namespace {
// getenv and setenv are not safe against each other; calls made through
// these functions are serialised.
std::mutex environmentMutex;

bool ValidName(LPCSTR name) { return name && name[0] && !std::strchr(name, '='); }
}  // namespace

extern "C" {

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  if (!ValidName(name)) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  std::lock_guard<std::mutex> lock(environmentMutex);
  const char* value = getenv(name);
  if (!value) {
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
  }
  size_t length = std::strlen(value);
  if (!buffer || length >= size) return static_cast<DWORD>(length + 1);
  std::memcpy(buffer, value, length + 1);
  if (length == 0) SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(length);
}

BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value) {
  if (!ValidName(name)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(environmentMutex);
  int result = value ? setenv(name, value, 1) : unsetenv(name);
  if (result != 0) {
    SetLastError(win32plat::ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

}
