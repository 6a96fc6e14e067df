// Every thread is created detached and reports its end through a shared
// state record, which the thread and every handle to it keep alive; waiting
// never needs the system thread itself.
#include "win32/thread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

#include "handle_table.h"
#include "win32/errors.h"

namespace win32plat {
namespace {

struct ThreadState {
  LPTHREAD_START_ROUTINE start = nullptr;
  LPVOID parameter = nullptr;

  std::mutex mutex;
  std::condition_variable changed;
  bool started = false;
  bool finished = false;
  bool abandoned = false;
  DWORD id = 0;
  DWORD exitCode = STILL_ACTIVE;
  DWORD abandonCode = 0;

  // Written only by the thread itself, before it unwinds through ExitThread.
  bool exitThreadCalled = false;
  DWORD exitThreadCode = 0;

  void Finish(DWORD code) {
    std::lock_guard<std::mutex> lock(mutex);
    exitCode = abandoned ? abandonCode : code;
    finished = true;
    changed.notify_all();
  }
};

class ThreadHandle : public HandleObject {
 public:
  explicit ThreadHandle(std::shared_ptr<ThreadState> state)
      : HandleObject(Kind::Thread), state(std::move(state)) {}

  DWORD Wait(DWORD milliseconds) override {
    std::unique_lock<std::mutex> lock(state->mutex);
    if (milliseconds == INFINITE) {
      state->changed.wait(lock, [&] { return state->finished; });
      return WAIT_OBJECT_0;
    }
    bool done = state->changed.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                        [&] { return state->finished; });
    return done ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  }

  std::shared_ptr<ThreadState> state;
};

thread_local std::shared_ptr<ThreadState> currentThread;

DWORD SystemThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }

// Marks the thread as ended when its body returns or its stack is unwound by
// ExitThread.
struct FinishOnExit {
  ThreadState* state;
  DWORD returned = 0;
  ~FinishOnExit() { state->Finish(state->exitThreadCalled ? state->exitThreadCode : returned); }
};

void* ThreadEntry(void* argument) {
  std::unique_ptr<std::shared_ptr<ThreadState>> owner(static_cast<std::shared_ptr<ThreadState>*>(argument));
  currentThread = *owner;
  owner.reset();
  ThreadState* state = currentThread.get();
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    state->id = SystemThreadId();
    state->started = true;
    state->changed.notify_all();
  }
  FinishOnExit finish{state};
  finish.returned = state->start(state->parameter);
  return nullptr;
}

}  // namespace
}  // namespace win32plat

using namespace win32plat;

extern "C" {

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId) {
  if (!start) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (flags & CREATE_SUSPENDED) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  auto state = std::make_shared<ThreadState>();
  state->start = start;
  state->parameter = parameter;

  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  size_t defaultSize = 0;
  pthread_attr_getstacksize(&attributes, &defaultSize);
  if (stackSize > defaultSize) pthread_attr_setstacksize(&attributes, stackSize);

  auto* argument = new std::shared_ptr<ThreadState>(state);
  pthread_t thread;
  int result = pthread_create(&thread, &attributes, ThreadEntry, argument);
  pthread_attr_destroy(&attributes);
  if (result != 0) {
    delete argument;
    SetLastError(result == EAGAIN ? ERROR_NOT_ENOUGH_MEMORY : ErrorFromErrno(result));
    return nullptr;
  }
  DWORD id = 0;
  {
    std::unique_lock<std::mutex> lock(state->mutex);
    state->changed.wait(lock, [&] { return state->started; });
    id = state->id;
  }
  if (threadId) *threadId = id;
  return RegisterHandle(std::make_shared<ThreadHandle>(state));
}

void ExitThread(DWORD exitCode) {
  if (currentThread) {
    currentThread->exitThreadCalled = true;
    currentThread->exitThreadCode = exitCode;
  }
  pthread_exit(nullptr);
}

BOOL TerminateThread(HANDLE thread, DWORD exitCode) {
  auto handle = LookupHandleAs<ThreadHandle>(thread, HandleObject::Kind::Thread);
  if (!handle) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ThreadState& state = *handle->state;
  {
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.finished) return TRUE;
    if (state.id != SystemThreadId()) {
      state.abandoned = true;
      state.abandonCode = exitCode;
      SetLastError(ERROR_BUSY);
      return FALSE;
    }
  }
  handle.reset();
  ExitThread(exitCode);
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
  auto handle = LookupHandleAs<ThreadHandle>(thread, HandleObject::Kind::Thread);
  if (!handle || !exitCode) {
    SetLastError(handle ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(handle->state->mutex);
  *exitCode = handle->state->exitCode;
  return TRUE;
}

DWORD GetCurrentThreadId(void) { return SystemThreadId(); }

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    sched_yield();
    return;
  }
  if (milliseconds == INFINITE) {
    for (;;) pause();
  }
  struct timespec rest;
  rest.tv_sec = milliseconds / 1000;
  rest.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
  }
}

DWORD GetTickCount(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);
}

}
