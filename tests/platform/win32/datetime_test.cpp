#include <gtest/gtest.h>

#include <string>

#include "win32/win32.h"

namespace {

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
  SYSTEMTIME t = {};
  t.wYear = year;
  t.wMonth = month;
  t.wDay = day;
  t.wHour = hour;
  t.wMinute = minute;
  t.wSecond = second;
  return t;
}

std::string Date(const SYSTEMTIME* t, const char* picture) {
  char buffer[64];
  int n = GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, t, picture, buffer, sizeof(buffer));
  return n > 0 ? std::string(buffer) : "<fail>";
}

std::string Time(const SYSTEMTIME* t, const char* picture) {
  char buffer[64];
  int n = GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, t, picture, buffer, sizeof(buffer));
  return n > 0 ? std::string(buffer) : "<fail>";
}

class FixedClock : public ::testing::Test {
 protected:
  void SetUp() override {
    fixed_ = At(2024, 3, 7, 14, 0, 5);
    Win32_SetClockOverride(&fixed_);
  }
  void TearDown() override { Win32_SetClockOverride(nullptr); }
  SYSTEMTIME fixed_;
};

TEST_F(FixedClock, LogPicturesOfNow) {
  EXPECT_EQ(Date(nullptr, "yyyy'-'MM'-'dd"), "2024-03-07");
  EXPECT_EQ(Time(nullptr, "HH':'mm':'ss"), "14:00:05");
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(now.wHour, 14);
  EXPECT_EQ(now.wSecond, 5);
}

TEST_F(FixedClock, DateElements) {
  SYSTEMTIME t = At(2005, 1, 2, 0, 0, 0);
  EXPECT_EQ(Date(&t, "d/M/y"), "2/1/5");
  EXPECT_EQ(Date(&t, "dd.MM.yy"), "02.01.05");
  EXPECT_EQ(Date(&t, "yyyy"), "2005");
  EXPECT_EQ(Date(&t, "ddd dddd MMM MMMM"), "Sun Sunday Jan January");
  EXPECT_EQ(Date(&t, "'d''M' dd"), "d'M 02") << "quoted text and a doubled quote";
  EXPECT_EQ(Date(&t, "dd HH:mm"), "02 HH:mm") << "time letters are text in a date picture";
  EXPECT_EQ(Date(&t, nullptr), "1/2/2005");
}

TEST_F(FixedClock, TimeElements) {
  SYSTEMTIME t = At(2024, 1, 1, 0, 7, 9);
  EXPECT_EQ(Time(&t, "h:mm tt"), "12:07 AM");
  EXPECT_EQ(Time(&t, "H:m:s t"), "0:7:9 A");
  t.wHour = 13;
  EXPECT_EQ(Time(&t, "hh HH tt"), "01 13 PM");
  EXPECT_EQ(Time(&t, nullptr), "1:07:09 PM");
}

TEST_F(FixedClock, BufferSizesAndInvalidDates) {
  EXPECT_EQ(GetDateFormatA(0, 0, nullptr, "yyyy'-'MM'-'dd", nullptr, 0), 11) << "size with the zero";
  char small[10];
  EXPECT_EQ(GetDateFormatA(0, 0, nullptr, "yyyy'-'MM'-'dd", small, sizeof(small)), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char exact[11];
  EXPECT_EQ(GetDateFormatA(0, 0, nullptr, "yyyy'-'MM'-'dd", exact, sizeof(exact)), 11);

  SYSTEMTIME bad = At(2023, 2, 29, 0, 0, 0);
  EXPECT_EQ(Date(&bad, "yyyy"), "<fail>");
  bad = At(2024, 2, 29, 24, 0, 0);
  EXPECT_EQ(Date(&bad, "yyyy"), "2024");
  EXPECT_EQ(Time(&bad, "HH"), "<fail>");
}

TEST(Clock, RunsWithoutOverride) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_GE(now.wYear, 2020);
  EXPECT_GE(now.wMonth, 1);
  EXPECT_LE(now.wMonth, 12);
}

}  // namespace
