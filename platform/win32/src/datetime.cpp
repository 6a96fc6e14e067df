#include "win32/datetime.h"

#include <time.h>

#include <cstring>
#include <mutex>
#include <string>

#include "win32/errors.h"

namespace {

std::mutex clockMutex;
bool clockFixed = false;
SYSTEMTIME fixedTime;

const char* const kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// 0 = Sunday.
int DayOfWeek(int year, int month, int day) {
  static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}

bool ValidDate(const SYSTEMTIME& t) {
  return t.wYear >= 1601 && t.wYear <= 30827 && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
         t.wDay <= DaysInMonth(t.wYear, t.wMonth);
}

bool ValidTime(const SYSTEMTIME& t) {
  return t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 && t.wMilliseconds < 1000;
}

// A non-negative number with at least `digits` digits.
void Number(std::string& out, int value, int digits) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < digits) out.append(digits - text.size(), '0');
  out += text;
}

// Expands a picture; `date` selects the date or the time letters, every
// other letter is copied.
std::string Expand(const char* picture, const SYSTEMTIME& t, bool date) {
  std::string out;
  for (const char* p = picture; *p;) {
    char c = *p;
    if (c == '\'') {
      ++p;
      while (*p) {
        if (*p == '\'') {
          if (p[1] == '\'') {
            out += '\'';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        out += *p++;
      }
      continue;
    }
    bool element = date ? (c == 'd' || c == 'M' || c == 'y' || c == 'g')
                        : (c == 'h' || c == 'H' || c == 'm' || c == 's' || c == 't');
    if (!element) {
      out += c;
      ++p;
      continue;
    }
    int run = 0;
    while (p[run] == c) ++run;
    p += run;
    switch (c) {
      case 'd':
        if (run <= 2) Number(out, t.wDay, run);
        else {
          std::string name = kDayNames[DayOfWeek(t.wYear, t.wMonth, t.wDay)];
          out += run == 3 ? name.substr(0, 3) : name;
        }
        break;
      case 'M':
        if (run <= 2) Number(out, t.wMonth, run);
        else {
          std::string name = kMonthNames[t.wMonth - 1];
          out += run == 3 ? name.substr(0, 3) : name;
        }
        break;
      case 'y':
        if (run <= 2) Number(out, t.wYear % 100, run);
        else Number(out, t.wYear, 1);
        break;
      case 'g': out += "A.D."; break;
      case 'h': Number(out, t.wHour % 12 == 0 ? 12 : t.wHour % 12, run >= 2 ? 2 : 1); break;
      case 'H': Number(out, t.wHour, run >= 2 ? 2 : 1); break;
      case 'm': Number(out, t.wMinute, run >= 2 ? 2 : 1); break;
      case 's': Number(out, t.wSecond, run >= 2 ? 2 : 1); break;
      case 't':
        out += t.wHour < 12 ? 'A' : 'P';
        if (run >= 2) out += 'M';
        break;
    }
  }
  return out;
}

int Deliver(const std::string& text, LPSTR buffer, int size) {
  int needed = static_cast<int>(text.size()) + 1;
  if (size == 0) return needed;
  if (size < 0 || !buffer) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, text.c_str(), static_cast<size_t>(needed));
  return needed;
}

}  // namespace

void Win32_SetClockOverride(const SYSTEMTIME* time) {
  std::lock_guard<std::mutex> lock(clockMutex);
  clockFixed = time != nullptr;
  if (time) fixedTime = *time;
}

extern "C" {

void GetLocalTime(LPSYSTEMTIME time) {
  if (!time) return;
  {
    std::lock_guard<std::mutex> lock(clockMutex);
    if (clockFixed) {
      *time = fixedTime;
      return;
    }
  }
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm local;
  localtime_r(&now.tv_sec, &local);
  time->wYear = static_cast<WORD>(local.tm_year + 1900);
  time->wMonth = static_cast<WORD>(local.tm_mon + 1);
  time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  time->wDay = static_cast<WORD>(local.tm_mday);
  time->wHour = static_cast<WORD>(local.tm_hour);
  time->wMinute = static_cast<WORD>(local.tm_min);
  time->wSecond = static_cast<WORD>(local.tm_sec);
  time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

int GetDateFormatA(LCID, DWORD flags, const SYSTEMTIME* time, LPCSTR format, LPSTR buffer, int size) {
  SYSTEMTIME t;
  if (time) t = *time;
  else GetLocalTime(&t);
  if (!ValidDate(t)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!format) format = (flags & DATE_LONGDATE) ? "dddd, MMMM d, yyyy" : "M/d/yyyy";
  return Deliver(Expand(format, t, true), buffer, size);
}

int GetTimeFormatA(LCID, DWORD, const SYSTEMTIME* time, LPCSTR format, LPSTR buffer, int size) {
  SYSTEMTIME t;
  if (time) t = *time;
  else GetLocalTime(&t);
  if (!ValidTime(t)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!format) format = "h:mm:ss tt";
  return Deliver(Expand(format, t, false), buffer, size);
}

}
