// Kernel object handles: one CloseHandle for every kind (files, threads,
// processes, directory searches) and waiting on threads and processes.
#pragma once

#include "win32/types.h"

#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 259u

extern "C" {

// Releases a handle. FALSE with ERROR_INVALID_HANDLE for NULL, for
// INVALID_HANDLE_VALUE and for anything that is not an open handle.
BOOL CloseHandle(HANDLE object);

// Waits until a thread or process handle is signalled (the thread or process
// has ended) or the timeout in milliseconds has passed (INFINITE: no limit).
// WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_FAILED for a handle that cannot be
// waited on.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);

}
