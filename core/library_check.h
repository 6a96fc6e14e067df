// Checks that a library file is what a project's entry says it is before it
// takes the place of an installed one.
#pragma once

#include "win32/types.h"

#include <cstddef>
#include <string>

// Whether bytes begin as a shared object for this machine (the header's
// class, byte order, file type and machine agree with the running program).
// Answers the reason when they do not.
bool IsSharedObjectForThisSystem(const char* bytes, size_t size, std::string* reason);

enum class LibraryCheck {
  kGood,
  kDoesNotLoad,  // the system loader refused it (maybe for a library not yet installed)
  kWrongKind,    // it loads, but is not the library the entry names
};

// Loads the file and unloads it again. A plug-in must export GetType and
// InitDLL and report the type GUID and the engine's interface version; any
// other library need only load. Answers the reason when it is not good.
LibraryCheck CheckLibraryFile(const std::string& path, bool plugin, const GUID& type, std::string* reason);
