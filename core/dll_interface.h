// DllInterface: the base of every channel object. It knows the plug-in module
// that created the object and the engine interface it serves.
#pragma once

#include "win32/types.h"

class EngineInterface;

class DllInterface {
 public:
  // Copies the module and engine from the globals the creation handshake sets.
  DllInterface();
  virtual ~DllInterface();

  HINSTANCE dll;
  EngineInterface* engine;
};

// Written only inside the creation handshake (and by tests that build channels
// without an engine).
extern HINSTANCE globalDllInstance;
extern EngineInterface* globalEngine;
