#include "channel_heap.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

namespace channel_heap {
namespace {

// Memory checkers watch the general heap only: under them every block comes
// from there, so that a channel used after it was deleted is still caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kOwnPages = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kOwnPages = false;
#else
constexpr bool kOwnPages = true;
#endif
#else
constexpr bool kOwnPages = true;
#endif

constexpr std::size_t kGrain = 64;                 // sizes are kept in steps of a cache line
constexpr std::size_t kHalf = kGrain / 2;          // except the smallest: two to a line (link records)
constexpr std::size_t kLargest = 8192;             // larger blocks come from the general heap
constexpr std::size_t kClasses = kLargest / kGrain;
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kChunk = 8 * kHugePage;      // reserved at a time

struct FreeBlock {
  FreeBlock* next;
};

struct Heap {
  std::mutex lock;
  FreeBlock* free[kClasses] = {};
  FreeBlock* freeHalves = nullptr;
  char* next = nullptr;  // the unused rest of the newest chunk
  char* end = nullptr;
};

// Lives as long as the process: channels may outlive static destruction.
// The parts of channels that frames never read are kept in a heap of their
// own, so that what frames do read lies close together.
Heap& TheHeap(bool cold = false) {
  static Heap* heap = new Heap;
  static Heap* coldHeap = new Heap;
  return cold ? *coldHeap : *heap;
}

std::size_t ClassOf(std::size_t size) { return (size + kGrain - 1) / kGrain - 1; }

// A new chunk aligned to the large page size, offered to the system as
// memory for large pages.
bool Grow(Heap& heap) {
  const std::size_t mapped = kChunk + kHugePage;
  void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return false;
  char* start = static_cast<char*>(raw);
  char* aligned = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) & ~(kHugePage - 1));
  if (aligned > start) munmap(start, static_cast<std::size_t>(aligned - start));
  char* tail = aligned + kChunk;
  if (tail < start + mapped) munmap(tail, static_cast<std::size_t>(start + mapped - tail));
  madvise(aligned, kChunk, MADV_HUGEPAGE);
  heap.next = aligned;
  heap.end = tail;
  return true;
}

// A block of class c with the heap locked.
void* Take(Heap& heap, std::size_t c) {
  if (FreeBlock* block = heap.free[c]) {
    heap.free[c] = block->next;
    return block;
  }
  const std::size_t bytes = (c + 1) * kGrain;
  if (static_cast<std::size_t>(heap.end - heap.next) < bytes && !Grow(heap)) return nullptr;
  void* block = heap.next;
  heap.next += bytes;
  return block;
}

void* AllocateIn(Heap& heap, std::size_t size) noexcept {
  std::lock_guard<std::mutex> hold(heap.lock);
  if (size > kHalf) return Take(heap, ClassOf(size));
  // Half-line blocks are cut from a whole line, the second half kept for the
  // next request: records made one after another share a line.
  if (FreeBlock* half = heap.freeHalves) {
    heap.freeHalves = half->next;
    return half;
  }
  char* line = static_cast<char*>(Take(heap, 0));
  if (!line) return nullptr;
  FreeBlock* rest = reinterpret_cast<FreeBlock*>(line + kHalf);
  rest->next = nullptr;
  heap.freeHalves = rest;
  return line;
}

void FreeIn(Heap& heap, void* block, std::size_t size) noexcept {
  std::lock_guard<std::mutex> hold(heap.lock);
  FreeBlock* freed = static_cast<FreeBlock*>(block);
  if (size <= kHalf) {
    freed->next = heap.freeHalves;
    heap.freeHalves = freed;
    return;
  }
  const std::size_t c = ClassOf(size);
  freed->next = heap.free[c];
  heap.free[c] = freed;
}

}  // namespace

void* Allocate(std::size_t size) noexcept {
  if (size == 0) size = 1;
  if (!kOwnPages || size > kLargest) return std::malloc(size);
  return AllocateIn(TheHeap(), size);
}

void Free(void* block, std::size_t size) noexcept {
  if (!block) return;
  if (size == 0) size = 1;
  if (!kOwnPages || size > kLargest) return std::free(block);
  FreeIn(TheHeap(), block, size);
}

void* AllocateCold(std::size_t size) noexcept {
  if (size == 0) size = 1;
  if (!kOwnPages || size > kLargest) return std::malloc(size);
  return AllocateIn(TheHeap(true), size);
}

void FreeCold(void* block, std::size_t size) noexcept {
  if (!block) return;
  if (size == 0) size = 1;
  if (!kOwnPages || size > kLargest) return std::free(block);
  FreeIn(TheHeap(true), block, size);
}

bool OwnsPages() noexcept { return kOwnPages; }

}  // namespace channel_heap
