#include <gtest/gtest.h>

#include <atomic>

#include "win32/win32.h"

namespace {

struct SectionFixture {
  CRITICAL_SECTION section;
  std::atomic<bool> entered{false};
  std::atomic<bool> tried{false};
};

DWORD EnterAndMark(LPVOID parameter) {
  auto* fixture = static_cast<SectionFixture*>(parameter);
  EnterCriticalSection(&fixture->section);
  fixture->entered = true;
  LeaveCriticalSection(&fixture->section);
  return 0;
}

DWORD TryFromOtherThread(LPVOID parameter) {
  auto* fixture = static_cast<SectionFixture*>(parameter);
  BOOL got = TryEnterCriticalSection(&fixture->section);
  if (got) LeaveCriticalSection(&fixture->section);
  return got ? 1 : 0;
}

DWORD RunAndWait(LPTHREAD_START_ROUTINE start, void* parameter) {
  HANDLE thread = CreateThread(nullptr, 0, start, parameter, 0, nullptr);
  EXPECT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  CloseHandle(thread);
  return code;
}

TEST(CriticalSection, SameThreadEntersAgainAndOthersWaitForTheLastLeave) {
  SectionFixture fixture;
  InitializeCriticalSection(&fixture.section);
  EnterCriticalSection(&fixture.section);
  EnterCriticalSection(&fixture.section);
  EXPECT_TRUE(TryEnterCriticalSection(&fixture.section));
  LeaveCriticalSection(&fixture.section);
  EXPECT_EQ(RunAndWait(TryFromOtherThread, &fixture), 0u);

  HANDLE waiter = CreateThread(nullptr, 0, EnterAndMark, &fixture, 0, nullptr);
  ASSERT_NE(waiter, nullptr);
  EXPECT_EQ(WaitForSingleObject(waiter, 100), WAIT_TIMEOUT);
  EXPECT_FALSE(fixture.entered);
  LeaveCriticalSection(&fixture.section);
  EXPECT_EQ(WaitForSingleObject(waiter, 100), WAIT_TIMEOUT) << "still held once";
  EXPECT_FALSE(fixture.entered);
  LeaveCriticalSection(&fixture.section);
  EXPECT_EQ(WaitForSingleObject(waiter, 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(fixture.entered);
  CloseHandle(waiter);

  EXPECT_EQ(RunAndWait(TryFromOtherThread, &fixture), 1u);
  DeleteCriticalSection(&fixture.section);
}

TEST(CriticalSection, LeaveByAThreadThatDoesNotHoldItIsHarmless) {
  SectionFixture fixture;
  InitializeCriticalSection(&fixture.section);
  EnterCriticalSection(&fixture.section);
  RunAndWait([](LPVOID p) -> DWORD {
    LeaveCriticalSection(&static_cast<SectionFixture*>(p)->section);
    return 0;
  }, &fixture);
  EXPECT_EQ(RunAndWait(TryFromOtherThread, &fixture), 0u) << "still held by its owner";
  LeaveCriticalSection(&fixture.section);
  DeleteCriticalSection(&fixture.section);
}

struct ThreadProbe {
  DWORD seenId = 0;
  std::atomic<bool> release{false};
  std::atomic<bool> destructed{false};
};

TEST(Threads, ReturnValueIsTheExitCodeAndIdMatches) {
  ThreadProbe probe;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, [](LPVOID p) -> DWORD {
    static_cast<ThreadProbe*>(p)->seenId = GetCurrentThreadId();
    return 1234;
  }, &probe, 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 1234u);
  EXPECT_EQ(probe.seenId, id);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "stays signalled";
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_FALSE(CloseHandle(thread));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

struct SetOnDestruction {
  std::atomic<bool>* flag;
  ~SetOnDestruction() { *flag = true; }
};

void EndFromDeepInside(ThreadProbe* probe) {
  SetOnDestruction guard{&probe->destructed};
  ExitThread(77);
}

TEST(Threads, ExitThreadEndsTheThreadWithItsCodeAndUnwinds) {
  ThreadProbe probe;
  HANDLE thread = CreateThread(nullptr, 0, [](LPVOID p) -> DWORD {
    EndFromDeepInside(static_cast<ThreadProbe*>(p));
    return 1;  // never reached
  }, &probe, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 77u);
  EXPECT_TRUE(probe.destructed);
  CloseHandle(thread);
}

DWORD BusyUntilReleased(LPVOID p) {
  auto* probe = static_cast<ThreadProbe*>(p);
  while (!probe->release) Sleep(1);
  return 5;
}

TEST(Threads, TerminateOnABusyThreadNeverStopsItAndTheProcessStaysSane) {
  ThreadProbe probe;
  HANDLE thread = CreateThread(nullptr, 0, BusyUntilReleased, &probe, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);

  SetLastError(0);
  EXPECT_FALSE(TerminateThread(thread, 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BUSY));
  EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT) << "the thread still runs";

  // Locks, allocation and new threads keep working.
  CRITICAL_SECTION section;
  InitializeCriticalSection(&section);
  EnterCriticalSection(&section);
  LeaveCriticalSection(&section);
  DeleteCriticalSection(&section);
  EXPECT_EQ(RunAndWait([](LPVOID) -> DWORD { return 9; }, nullptr), 9u);

  probe.release = true;
  ASSERT_EQ(WaitForSingleObject(thread, 5000), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 1u) << "an abandoned thread ends with the code it was terminated with";
  EXPECT_TRUE(TerminateThread(thread, 3)) << "an ended thread needs no stopping";
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 1u);
  EXPECT_TRUE(CloseHandle(thread));
}

TEST(Threads, ClosingTheHandleLeavesTheThreadRunning) {
  static std::atomic<int> done{0};
  done = 0;
  HANDLE thread = CreateThread(nullptr, 0, [](LPVOID) -> DWORD {
    Sleep(30);
    done = 1;
    return 0;
  }, nullptr, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(CloseHandle(thread));
  for (int i = 0; i < 500 && !done; ++i) Sleep(10);
  EXPECT_EQ(done, 1);
}

TEST(Threads, BadHandlesAndSuspendedStartFail) {
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_FALSE(TerminateThread(nullptr, 0));
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  EXPECT_EQ(CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, CREATE_SUSPENDED, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
}

TEST(Timing, SleepAdvancesTheTickCount) {
  DWORD start = GetTickCount();
  Sleep(50);
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 50u);
  EXPECT_LT(elapsed, 5000u);
}

}  // namespace
