// The memory channels and their link records live in. A project is many
// small objects that every frame visits one after another; kept together in
// a few large pages they cost the processor far fewer address translations
// than scattered over the general heap. Blocks are kept by size for reuse
// and never handed back to the system. Thread-safe.
#pragma once

#include <cstddef>

namespace channel_heap {

// A block of at least `size` bytes, aligned to a cache line; a block of 32
// bytes or fewer is aligned to half of one, never straddles a line and shares
// it with the next such block. Null when no memory is left.
void* Allocate(std::size_t size) noexcept;
// Gives back a block Allocate returned for the same `size`.
void Free(void* block, std::size_t size) noexcept;
// The same for data that frames do not read (a channel's rarely used part):
// kept apart, so that it does not come between the channels and their links.
void* AllocateCold(std::size_t size) noexcept;
void FreeCold(void* block, std::size_t size) noexcept;
// False in builds with a memory checker: blocks then come from the general
// heap, where the checker watches them.
bool OwnsPages() noexcept;

}  // namespace channel_heap
