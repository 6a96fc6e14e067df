#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "win32/win32.h"

namespace {

TEST(EnvironmentVariables, ReturnValuesFollowWindowsRules) {
  ASSERT_TRUE(SetEnvironmentVariableA("KELVANE_TEST_VAR", "abcdef"));
  char buffer[16] = {};
  EXPECT_EQ(GetEnvironmentVariableA("KELVANE_TEST_VAR", buffer, sizeof(buffer)), 6u) << "length without the zero";
  EXPECT_STREQ(buffer, "abcdef");
  char exact[7];
  EXPECT_EQ(GetEnvironmentVariableA("KELVANE_TEST_VAR", exact, sizeof(exact)), 6u);
  char small[6] = {'x'};
  EXPECT_EQ(GetEnvironmentVariableA("KELVANE_TEST_VAR", small, sizeof(small)), 7u) << "size needed with the zero";
  EXPECT_EQ(small[0], 'x') << "buffer left alone";
  EXPECT_EQ(GetEnvironmentVariableA("KELVANE_TEST_VAR", nullptr, 0), 7u);

  ASSERT_TRUE(SetEnvironmentVariableA("KELVANE_TEST_VAR", nullptr));
  SetLastError(0);
  EXPECT_EQ(GetEnvironmentVariableA("KELVANE_TEST_VAR", buffer, sizeof(buffer)), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));

  ASSERT_TRUE(SetEnvironmentVariableA("KELVANE_TEST_VAR", ""));
  SetLastError(ERROR_GEN_FAILURE);
  EXPECT_EQ(GetEnvironmentVariableA("KELVANE_TEST_VAR", buffer, sizeof(buffer)), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "set but empty";
  SetEnvironmentVariableA("KELVANE_TEST_VAR", nullptr);
}

TEST(EnvironmentVariables, InvalidNamesAreRefused) {
  EXPECT_FALSE(SetEnvironmentVariableA("", "x"));
  EXPECT_FALSE(SetEnvironmentVariableA("A=B", "x"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(SetEnvironmentVariableA(nullptr, "x"));
}

}  // namespace
