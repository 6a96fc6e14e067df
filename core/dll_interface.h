// DllInterface: the base of every channel object. It knows the plug-in module
// that created the object and the engine interface it serves.
#pragma once

#include "win32/types.h"

#include <cstddef>
#include <new>

class EngineInterface;

class DllInterface {
 public:
  // Copies the module and engine from the globals the creation handshake sets.
  DllInterface();
  virtual ~DllInterface();

  HINSTANCE dll;
  EngineInterface* engine;

  // Every channel lives in the channel heap (see channel_heap.h), whichever
  // plug-in creates it.
  static void* operator new(std::size_t size);
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
  static void operator delete(void* block, std::size_t size) noexcept;
};

// Written only inside the creation handshake (and by tests that build channels
// without an engine).
extern HINSTANCE globalDllInstance;
extern EngineInterface* globalEngine;
