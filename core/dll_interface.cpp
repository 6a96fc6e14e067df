#include "dll_interface.h"

HINSTANCE globalDllInstance = nullptr;
EngineInterface* globalEngine = nullptr;

DllInterface::DllInterface() : dll(globalDllInstance), engine(globalEngine) {}
DllInterface::~DllInterface() = default;
