// Arithmetic, debugger output and string helpers.
#pragma once

#include "win32/library.h"  // GetModuleHandleA
#include "win32/types.h"

extern "C" {

// number * numerator / denominator with a 64-bit intermediate, rounded to the
// nearest integer (halves away from zero). -1 when denominator is 0 or the
// result does not fit in an int.
int MulDiv(int number, int numerator, int denominator);

// Debugger output: written to standard error as it stands when the
// environment variable KELVANE_DEBUG_OUTPUT is set, otherwise dropped.
void OutputDebugStringA(LPCSTR text);

// Compares ignoring ASCII case / exactly: <0, 0, >0. NULL sorts first.
int lstrcmpiA(LPCSTR a, LPCSTR b);
int lstrcmpA(LPCSTR a, LPCSTR b);
// Length of a text; 0 for NULL.
int lstrlenA(LPCSTR text);
// Copies at most max - 1 characters and always terminates (max > 0).
// Returns dst, or NULL when dst or src is NULL.
LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int max);

}
