#include "evaluation_depth.h"

#include "orn_channel.h"

namespace evaluation_depth {
namespace {

struct Mark {
  uintptr_t frame;
  const Orn_Channel* publicCall;
};

// The live resolutions, shallowest first. The stack grows downwards: a mark
// at or below a new resolution's frame belongs to a call that has returned
// (or to a sibling made from the same frame). Plain data, zero at thread
// start, so that reaching it needs no initialisation check.
struct Marks {
  int count;
  Mark items[kMaxDepth];
};

thread_local Marks marks;

// This thread's marks. The address is taken once and hidden from the
// optimiser, which would otherwise look the thread's block up again at every
// use (a library call each time).
inline Marks& ThreadMarks() {
  Marks* m = &marks;
  asm("" : "+r"(m));
  return *m;
}

// The number of marks still live for a resolution made from `frame`.
inline int LiveBelow(const Marks& m, uintptr_t frame) {
  int n = m.count;
  while (n > 0 && m.items[n - 1].frame <= frame) --n;
  return n;
}

}  // namespace

Entry Enter(uintptr_t frame, const Orn_Channel* publicCall) {
  Marks& m = ThreadMarks();
  int n = LiveBelow(m, frame);
  m.count = n;
  if (publicCall) {
    int live = 0;
    for (int i = 0; i < n; ++i) live += m.items[i].publicCall == publicCall;
    if (live >= kMaxPublicCallNesting) return Entry::kReentered;
  }
  if (n >= kMaxDepth) return Entry::kTooDeep;
  m.items[n] = {frame, publicCall};
  m.count = n + 1;
  return Entry::kAllowed;
}

void Forget() { ThreadMarks().count = 0; }

}  // namespace evaluation_depth

// GetChild's plain-child case, once per link and frame: kept to a single
// reach of the thread's marks.
bool Orn_Channel::EnterPlainChild(uintptr_t frame) {
  evaluation_depth::Marks& m = evaluation_depth::ThreadMarks();
  int n = evaluation_depth::LiveBelow(m, frame);
  if (n >= evaluation_depth::kMaxDepth) {
    m.count = n;
    return false;
  }
  m.items[n] = {frame, nullptr};
  m.count = n + 1;
  return true;
}
