#include "handshake_lock.h"

#include "win32/sync.h"

#include <mutex>

namespace {
std::mutex countGuard;
int liveEngines = 0;
CRITICAL_SECTION section;
}  // namespace

void HandshakeLock::Acquire() {
  std::lock_guard<std::mutex> lock(countGuard);
  if (liveEngines++ == 0) InitializeCriticalSection(&section);
}

void HandshakeLock::Drop() {
  std::lock_guard<std::mutex> lock(countGuard);
  if (liveEngines > 0 && --liveEngines == 0) DeleteCriticalSection(&section);
}

void HandshakeLock::Enter() { EnterCriticalSection(&section); }
void HandshakeLock::Leave() { LeaveCriticalSection(&section); }
