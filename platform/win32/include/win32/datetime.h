// Local date and time, and their formatting with date and time pictures.
#pragma once

#include "win32/types.h"

#define LOCALE_USER_DEFAULT 0x0400u
#define LOCALE_SYSTEM_DEFAULT 0x0800u
#define DATE_SHORTDATE 0x00000001u
#define DATE_LONGDATE 0x00000002u

extern "C" {

// The local date and time (the fixed clock when one is set, see below).
void GetLocalTime(LPSYSTEMTIME time);

// Formats the date of `time` (NULL: now) with a picture; the result is the
// same for every locale. Picture elements: d (day), dd (two digits), ddd and
// dddd (English day name, abbreviated and full), M, MM, MMM, MMMM (month the
// same ways), y (year in the century), yy (two digits), yyyy (full year),
// g/gg (era, "A.D."); text between single quotes is copied as it stands ('' is
// one quote), any other character too. A NULL picture is "M/d/yyyy" (with
// DATE_LONGDATE "dddd, MMMM d, yyyy"). Returns the characters written
// including the terminating zero; with size 0 the size needed; 0 with
// ERROR_INSUFFICIENT_BUFFER when the buffer is too small, ERROR_INVALID_PARAMETER
// for an invalid date.
int GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format, LPSTR buffer,
                   int size);

// Formats the time of `time` (NULL: now): h and hh (12-hour clock), H and HH
// (24-hour clock), m, mm, s, ss, t ("A"/"P") and tt ("AM"/"PM"), quotes as
// above. A NULL picture is "h:mm:ss tt". Results as GetDateFormatA.
int GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME* time, LPCSTR format, LPSTR buffer,
                   int size);

}

// Fixes the clock that GetLocalTime and the formats read at the given date and
// time (tests); NULL lets it run again.
void Win32_SetClockOverride(const SYSTEMTIME* time);
