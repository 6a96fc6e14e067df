// How deep channel evaluation has gone on this thread. A channel evaluates
// its children by pulling them (GetChild, then the child's own operations),
// so a long chain of children, or a public call that comes back into itself,
// nests one stack frame group per level. The depth is counted at each child
// resolution from the stack frames still live: a resolution made from a frame
// that has returned is forgotten as soon as a shallower one is made, so no
// operation needs to say when it leaves.
#pragma once

#include <cstdint>

class Orn_Channel;

namespace evaluation_depth {

// The deepest evaluation allowed. A level of the heaviest evaluation (a
// motion with its parent) takes about 600 bytes of stack in the optimised
// build and up to 2 KiB in the sanitizer builds, so this many levels take at
// most about 2 MiB of the main thread's 8 MiB.
constexpr int kMaxDepth = 1000;

enum class Entry { kAllowed, kTooDeep, kReentered };

// Notes one child resolution made from the stack frame at `frame` (the
// resolving call's own frame). `publicCall`, when set, is the public-call
// channel being resolved: it is refused while a resolution of the same
// public call is still live further up the stack.
Entry Enter(uintptr_t frame, const Orn_Channel* publicCall);

}  // namespace evaluation_depth
