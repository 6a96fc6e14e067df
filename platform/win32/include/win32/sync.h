// Critical sections: re-entrant locks. The thread that holds one may enter it
// again; it is released after as many leaves as there were enters.
#pragma once

#include <pthread.h>

#include "win32/types.h"

struct CRITICAL_SECTION {
  pthread_mutex_t mutex;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;

extern "C" {

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
// Leaving a section the calling thread does not hold is ignored.
void LeaveCriticalSection(LPCRITICAL_SECTION section);
// Enters without waiting: TRUE when the section is now held by the caller.
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);

}
