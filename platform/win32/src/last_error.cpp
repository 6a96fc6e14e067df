#include "win32/errors.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

extern "C" {

DWORD GetLastError(void) { return lastError; }

void SetLastError(DWORD code) { lastError = code; }

}
