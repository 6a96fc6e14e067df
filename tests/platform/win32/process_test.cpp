#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support.h"
#include "win32/win32.h"

namespace {

using win32test::ScopedEnv;
using win32test::TempDir;

TEST(Processes, StartsByNameOnPathWaitsAndReportsTheExitCode) {
  TempDir dir;
  std::string script = dir.File("KelvUpdate");
  win32test::WriteWholeFile(script, "#!/bin/sh\nexit $#\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  ScopedEnv path("PATH", (dir.path() + ":/usr/bin:/bin").c_str());

  char commandLine[] = "KelvUpdate.exe one \"two words\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  EXPECT_NE(info.dwProcessId, 0u);
  ASSERT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 2u) << "two arguments";
  EXPECT_EQ(WaitForSingleObject(info.hThread, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_TRUE(CloseHandle(info.hProcess));
}

TEST(Processes, RunningProcessTimesOutAndMissingProgramFails) {
  char sleeper[] = "sleep 0.3";
  STARTUPINFOA startup = {};
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(CreateProcessA(nullptr, sleeper, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 10), WAIT_TIMEOUT);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);

  char missing[] = "KelvUpdate-not-installed.exe";
  EXPECT_FALSE(CreateProcessA(nullptr, missing, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(Win32_ProgramFileName("KelvUpdate.EXE"), "KelvUpdate");
}

}  // namespace
