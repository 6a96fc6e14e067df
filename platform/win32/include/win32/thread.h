// Threads, sleeping and the millisecond tick count.
#pragma once

#include "win32/handle.h"
#include "win32/types.h"

typedef DWORD (*PTHREAD_START_ROUTINE)(LPVOID parameter);
typedef PTHREAD_START_ROUTINE LPTHREAD_START_ROUTINE;

#define CREATE_SUSPENDED 0x00000004u
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000u

extern "C" {

// Starts a thread running start(parameter) at once. Returns its handle (close
// it with CloseHandle; the thread runs on regardless) and stores its id in
// *threadId when that is not NULL. The handle is signalled when the thread
// ends, by returning from start or through ExitThread; the return value or the
// ExitThread code becomes its exit code. stackSize is a minimum. Starting
// suspended is not available: CREATE_SUSPENDED fails with ERROR_NOT_SUPPORTED.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                    LPDWORD threadId);

// Ends the calling thread with the given exit code. Its stack is unwound, so
// the destructors of objects on it run; it must therefore not be called from
// a destructor or a noexcept function, which the unwinding cannot pass.
[[noreturn]] void ExitThread(DWORD exitCode);

// A thread cannot be stopped from outside without leaving locks it holds and
// memory it owns in an unknown state, so this never stops another thread:
// - a thread that has already ended: TRUE, its exit code unchanged;
// - the calling thread's own handle: the thread ends as with ExitThread;
// - a running thread: it is marked abandoned and FALSE is returned with
//   ERROR_BUSY. It keeps running until its body returns; its handle is
//   signalled then and its exit code is the one given here. Its system
//   resources are released when it ends; nobody has to wait for it.
BOOL TerminateThread(HANDLE thread, DWORD exitCode);

// The exit code of a thread, or STILL_ACTIVE while it runs.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);

// The system-wide id of the calling thread.
DWORD GetCurrentThreadId(void);

// Suspends the calling thread for at least the given number of milliseconds;
// 0 gives up the rest of the time slice, INFINITE never returns.
void Sleep(DWORD milliseconds);

// Milliseconds of a monotonic clock; wraps around after about 49.7 days.
DWORD GetTickCount(void);

}
