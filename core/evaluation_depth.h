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

// How many resolutions of one public call may be live at once. A mark stays
// live until a resolution is made from a shallower frame, so a channel that
// resolves a public call and then looks at the same child again from a helper
// further down still holds the first mark although that evaluation has
// returned; a call that really comes back into itself nests once per level
// and reaches this count within a few levels, with at most this many copies
// of its group's evaluation on the stack.
constexpr int kMaxPublicCallNesting = 4;

enum class Entry { kAllowed, kTooDeep, kReentered };

// Notes one child resolution made from the stack frame at `frame` (the
// resolving call's own frame). `publicCall`, when set, is the public-call
// channel being resolved: it is refused while kMaxPublicCallNesting
// resolutions of the same public call are still live further up the stack.
Entry Enter(uintptr_t frame, const Orn_Channel* publicCall);

// Forgets every resolution noted on this thread. The engine calls it as a
// frame starts: resolutions made while loading, or by an earlier frame from
// frames above where this frame's evaluation runs, would otherwise stay
// counted for as long as those frames' addresses are not reached again.
void Forget();

}  // namespace evaluation_depth
