#include "library_restore.h"

#include "engine_interface.h"
#include "file_saver.h"
#include "library_check.h"
#include "temp_files.h"
#include "text_util.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <system_error>

LibraryRestorer::LibraryRestorer(EngineInterface* engineInterface) : engine(engineInterface) {}

LibraryRestorer::~LibraryRestorer() {
  for (const Copy& copy : waiting) unlink(copy.staged.c_str());
}

LibraryRestorer::Result LibraryRestorer::Restore(const std::string& dir, const std::string& name,
                                                 const std::vector<char>& bytes, bool plugin, const GUID& type,
                                                 std::function<void()> installed) {
  Copy copy;
  copy.target = dir + kPathSeparator + name;
  copy.name = name;
  copy.plugin = plugin;
  copy.type = type;
  copy.installed = std::move(installed);
  // Bytes that are no library for this system are not even written.
  if (!IsSharedObjectForThisSystem(bytes.data(), bytes.size(), &copy.reason)) {
    engine->errorFunctor(("ProjectFileLoader::Load: embedded copy is " + copy.reason + ", not written: " + name).c_str());
    return Result::kRefused;
  }
  copy.staged = TempFileNameBeside(copy.target);
  bool written = false;
  {
    OrnFileSaver saver(engine);
    if (saver.OpenSaveFile(copy.staged.c_str(), false)) {
      saver.SaveDataToFile(bytes.data(), bytes.size());
      saver.CloseSaveFile();
      written = saver.GetSaveingFileName() != nullptr;
    }
  }
  if (!written) {
    unlink(copy.staged.c_str());
    engine->errorFunctor(
        ("ProjectFileLoader::Load: embedded copy could not be written, the installed file is kept: " + copy.target)
            .c_str());
    return Result::kRefused;
  }
  Result result = Settle(copy, true);
  if (result == Result::kWaiting) waiting.push_back(std::move(copy));
  return result;
}

LibraryRestorer::Result LibraryRestorer::Settle(Copy& copy, bool mayWait) {
  LibraryCheck check = CheckLibraryFile(copy.staged, copy.plugin, copy.type, &copy.reason);
  if (check == LibraryCheck::kDoesNotLoad && mayWait) return Result::kWaiting;
  if (check != LibraryCheck::kGood) {
    Refuse(copy);
    return Result::kRefused;
  }
  if (std::rename(copy.staged.c_str(), copy.target.c_str()) != 0) {
    copy.reason = "it could not replace " + copy.target + ": " + std::generic_category().message(errno);
    Refuse(copy);
    return Result::kRefused;
  }
  if (copy.installed) copy.installed();
  return Result::kInstalled;
}

void LibraryRestorer::Refuse(const Copy& copy) {
  unlink(copy.staged.c_str());
  engine->errorFunctor(
      ("ProjectFileLoader::Load: embedded copy not installed, " + copy.reason + ": " + copy.name).c_str());
}

bool LibraryRestorer::Finish() {
  // A copy may load only once another waiting one is installed: rounds go on
  // while one of them installs something.
  for (bool progress = true; progress && !waiting.empty();) {
    progress = false;
    for (size_t i = 0; i < waiting.size();) {
      Result result = Settle(waiting[i], true);
      if (result == Result::kWaiting) {
        ++i;
        continue;
      }
      progress = progress || result == Result::kInstalled;
      waiting.erase(waiting.begin() + static_cast<long>(i));
      if (result == Result::kRefused) return false;
    }
  }
  bool all = waiting.empty();
  for (Copy& copy : waiting) Settle(copy, false);
  waiting.clear();
  return all;
}
