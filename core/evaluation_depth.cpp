#include "evaluation_depth.h"

namespace evaluation_depth {
namespace {

struct Mark {
  uintptr_t frame;
  const Orn_Channel* publicCall;
};

// The live resolutions, shallowest first. The stack grows downwards: a mark
// at or below a new resolution's frame belongs to a call that has returned
// (or to a sibling made from the same frame).
struct Marks {
  Mark items[kMaxDepth];
  int count = 0;
};

thread_local Marks marks;

}  // namespace

Entry Enter(uintptr_t frame, const Orn_Channel* publicCall) {
  Marks& m = marks;
  while (m.count > 0 && m.items[m.count - 1].frame <= frame) --m.count;
  if (publicCall) {
    int live = 0;
    for (int i = 0; i < m.count; ++i) live += m.items[i].publicCall == publicCall;
    if (live >= kMaxPublicCallNesting) return Entry::kReentered;
  }
  if (m.count >= kMaxDepth) return Entry::kTooDeep;
  m.items[m.count++] = {frame, publicCall};
  return Entry::kAllowed;
}

void Forget() { marks.count = 0; }

}  // namespace evaluation_depth
