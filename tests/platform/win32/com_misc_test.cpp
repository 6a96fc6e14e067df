#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <tuple>

#include "win32/win32.h"

namespace {

TEST(Guids, DistinctVersionFourGuids) {
  std::set<std::tuple<DWORD, WORD, WORD, uint64_t>> seen;
  for (int i = 0; i < 1000; ++i) {
    GUID guid;
    ASSERT_EQ(CoCreateGuid(&guid), S_OK);
    EXPECT_EQ(guid.Data3 >> 12, 4) << "version 4";
    EXPECT_EQ(guid.Data4[0] & 0xC0, 0x80) << "RFC 4122 variant";
    uint64_t tail = 0;
    for (int b = 0; b < 8; ++b) tail = (tail << 8) | guid.Data4[b];
    EXPECT_TRUE(seen.insert({guid.Data1, guid.Data2, guid.Data3, tail}).second);
  }
  EXPECT_EQ(CoCreateGuid(nullptr), E_POINTER);
}

TEST(Com, InitialisationIsBalancedAndNoClassExists) {
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  GUID any = {};
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(any, nullptr, CLSCTX_INPROC_SERVER, any, &object), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  CoUninitialize();
}

TEST(MulDiv, RoundsAndRefusesDivisionByZero) {
  EXPECT_EQ(MulDiv(12, 96, 72), 16);
  EXPECT_EQ(MulDiv(10, 1, 4), 3) << "2.5 rounds away from zero";
  EXPECT_EQ(MulDiv(-10, 1, 4), -3);
  EXPECT_EQ(MulDiv(10, 1, -3), -3);
  EXPECT_EQ(MulDiv(7, 1, 3), 2);
  EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, INT_MAX), INT_MAX) << "64-bit intermediate";
  EXPECT_EQ(MulDiv(INT_MAX, 2, 1), -1) << "result does not fit";
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
}

TEST(DebugOutput, OnlyWhenAskedFor) {
  testing::internal::CaptureStderr();
  unsetenv("KELVANE_DEBUG_OUTPUT");
  OutputDebugStringA("hidden\r\n");
  setenv("KELVANE_DEBUG_OUTPUT", "1", 1);
  OutputDebugStringA("Couldn't create CLSID_DirectMusic\r\n");
  unsetenv("KELVANE_DEBUG_OUTPUT");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Couldn't create CLSID_DirectMusic\r\n");
}

TEST(Strings, CompareIgnoringCaseAndBoundedCopy) {
  EXPECT_EQ(lstrcmpiA("No", "NO"), 0);
  EXPECT_LT(lstrcmpiA("abc", "ABD"), 0);
  EXPECT_GT(lstrcmpiA("abcd", "ABC"), 0);
  EXPECT_LT(lstrcmpiA(nullptr, "a"), 0);
  char buffer[4];
  EXPECT_EQ(lstrcpynA(buffer, "channels", sizeof(buffer)), buffer);
  EXPECT_STREQ(buffer, "cha");
  EXPECT_EQ(lstrlenA(nullptr), 0);
}

}  // namespace
