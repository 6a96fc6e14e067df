// LibraryRestorer: installs the embedded library copies of a project. A copy
// takes the place of an installed file only once it has proved to be what its
// entry says: it is written to a temporary file beside the target, loaded from
// there, and only then renamed over the target. A copy that fails leaves the
// installed file as it was, and the log says why. Loading a copy runs its
// initialisers; only bytes whose header makes them a shared object for this
// machine are written and loaded, and those are code the project brings to be
// run in any case.
//
// A copy that does not load may need a library the same project restores
// after it; it waits until Finish, which installs the waiting copies as they
// come to load. Copies still waiting when the restorer is deleted are removed.
#pragma once

#include "win32/types.h"

#include <functional>
#include <string>
#include <vector>

class EngineInterface;

class LibraryRestorer {
 public:
  enum class Result { kInstalled, kWaiting, kRefused };

  explicit LibraryRestorer(EngineInterface* engine);
  ~LibraryRestorer();
  LibraryRestorer(const LibraryRestorer&) = delete;
  LibraryRestorer& operator=(const LibraryRestorer&) = delete;

  // Restores bytes as dir/name. A plug-in must report type; any other library
  // need only load. installed runs once the copy is in place.
  Result Restore(const std::string& dir, const std::string& name, const std::vector<char>& bytes, bool plugin,
                 const GUID& type, std::function<void()> installed);

  // Installs the waiting copies that load now; false when one never does (it
  // is removed and reported).
  bool Finish();

 private:
  struct Copy {
    std::string staged;
    std::string target;
    std::string name;
    bool plugin = false;
    GUID type{};
    std::function<void()> installed;
    std::string reason;
  };

  // Checks the staged copy; installs it when good, removes it when not.
  Result Settle(Copy& copy, bool mayWait);
  void Refuse(const Copy& copy);

  EngineInterface* engine;
  std::vector<Copy> waiting;
};
