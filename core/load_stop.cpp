#include "load_stop.h"

#include "win32/messages.h"

namespace {
// Short enough that an end request is seen at once, long enough that asking
// costs nothing next to the load.
constexpr std::chrono::milliseconds kAskInterval{50};
}  // namespace

LoadStop::LoadStop() : nextAsk(std::chrono::steady_clock::now() + kAskInterval) {}

bool LoadStop::Wanted() {
  const auto now = std::chrono::steady_clock::now();
  if (now < nextAsk) return false;
  nextAsk = now + kAskInterval;
  return Win32_EndRequested() != FALSE;
}
