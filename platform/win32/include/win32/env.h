// Environment variables of the process.
#pragma once

#include "win32/types.h"

extern "C" {

// Copies the value of a variable into buffer. Returns the value's length
// without the terminating zero when it fits in size characters; when it does
// not, the size needed including the zero (buffer untouched); 0 with
// ERROR_ENVVAR_NOT_FOUND when the variable is not set (and 0 with
// ERROR_SUCCESS for a variable set to the empty text).
DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size);

// Sets a variable; a NULL value removes it. FALSE with
// ERROR_INVALID_PARAMETER for an empty name or one containing '='.
BOOL SetEnvironmentVariableA(LPCSTR name, LPCSTR value);

}
