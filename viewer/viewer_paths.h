// Finding the installation and the core library, and making the project path
// absolute.
#pragma once

class EngineControl;

extern const char* const kViewerRegKey;     // "SOFTWARE\Ondrel\Kelvane Viewers\1.20.000"
extern const char* const kAuthoringRegKey;  // "SOFTWARE\Ondrel\Kelvane\1.20.000"

// Loads dir/varnel.so and asks it for an engine control; NULL when the library
// or its export is missing or the export answers NULL. The library stays loaded.
EngineControl* LoadCoreLibrary(const char* dir);

// The "Install_Path" value of the viewer key (current user, then local
// machine), then of the authoring key (local machine).
bool ReadInstallPath(char* buffer, int size);

// A path that begins with '/' is absolute and returned unchanged; any other is
// made absolute against the current directory (a leading "./" dropped). The
// result lives in one program-wide 1000-character buffer. NULL gives NULL.
char* MakeAbsolutePath(const char* path);

// The directory of the running program (empty when it cannot be found).
bool GetProgramDirectory(char* buffer, int size);
