#include "dll_interface.h"

#include "channel_heap.h"

HINSTANCE globalDllInstance = nullptr;
EngineInterface* globalEngine = nullptr;

DllInterface::DllInterface() : dll(globalDllInstance), engine(globalEngine) {}
DllInterface::~DllInterface() = default;

void* DllInterface::operator new(std::size_t size) {
  if (void* block = channel_heap::Allocate(size)) return block;
  throw std::bad_alloc();
}

void* DllInterface::operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return channel_heap::Allocate(size);
}

void DllInterface::operator delete(void* block, std::size_t size) noexcept { channel_heap::Free(block, size); }
