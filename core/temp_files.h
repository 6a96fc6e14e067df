// Temporary files of the engine's own writes. A file is never written in
// place: its bytes go to a temporary file beside it, named
//   .<file name>.tmp-<process id>-<number>
// which is renamed over the file once complete. A process that is killed
// part-way leaves that temporary file behind; engine start-up removes those
// whose writing process no longer runs.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// A name for a new temporary file beside path, unique within this process.
std::string TempFileNameBeside(const std::string& path);

// The process id a temporary file name carries; 0 when the name is not one of
// ours.
pid_t TempFileWriter(const std::string& fileName);

// Removes, from dir (not its sub-directories), the regular files named as our
// temporary files whose writing process no longer runs. Answers the paths
// removed.
std::vector<std::string> RemoveStaleTempFiles(const std::string& dir);
