// The engine the core fuzz targets and their seed makers run on: a private
// installation whose files are links into the build's installation tree, so
// that whatever a fuzzed project restores lands in the private copy and can be
// put back. Every plug-in is held loaded for the life of the process: the
// fuzzer's counters live in the plug-ins' code, and the engine's own start-up
// opens and closes libraries as its channel list requires.
#pragma once

#include "engine_interface.h"
#include "guid_util.h"
#include "messages.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

inline GUID FuzzFrameLogType() { return GuidLiteral("5D3A8C10-7E2B-4F19-A6C4-1B9E0D27F835"); }

class FuzzInstall {
 public:
  FuzzInstall() {
    namespace fs = std::filesystem;
    // In memory where there is a memory file system: saves sync their files.
    std::string pattern = (fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp") + std::string("/kelvane-fuzz-XXXXXX");
    if (!mkdtemp(pattern.data())) std::abort();
    root = pattern;
    const fs::path dist = KELVANE_DIST_DIR;
    for (const auto& entry : fs::directory_iterator(dist)) {
      const std::string name = entry.path().filename().string();
      if (name == "channel.lst" || name == "error.log") continue;
      if (name == "channels" || name == "3rd") {
        fs::create_directory(root / name);
        for (const auto& file : fs::directory_iterator(entry.path())) Link(file.path(), root / name / file.path().filename());
      } else {
        Link(entry.path(), root / name);
      }
    }
    for (const auto& link : links)
      if (link.second.parent_path().filename() == "channels" && link.second.extension() == ".so")
        dlopen(link.second.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  ~FuzzInstall() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }

  // Puts the installation back as it was made: files a project wrote into
  // channels/ or 3rd/ go, links they replaced come back.
  void Reset() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    for (const char* dir : {"channels", "3rd"})
      for (const auto& entry : fs::directory_iterator(root / dir, ignored))
        if (!entry.is_symlink()) fs::remove_all(entry.path(), ignored);
    for (const auto& link : links)
      if (!fs::exists(fs::symlink_status(link.second))) fs::create_symlink(link.first, link.second, ignored);
  }

  std::filesystem::path root;

 private:
  void Link(const std::filesystem::path& target, const std::filesystem::path& link) {
    std::filesystem::create_symlink(target, link);
    links.emplace_back(target, link);
  }
  std::vector<std::pair<std::filesystem::path, std::filesystem::path>> links;
};

inline FuzzInstall& TheFuzzInstall() {
  static FuzzInstall install;
  return install;
}

// Messages are dropped: no log file, no message box.
class SilentOutput : public DebugOutPut {
 public:
  void ShowDebugMessage(DebugMessage*) override {}
};

inline EngineInterface* StartFuzzEngine() {
  FuzzInstall& install = TheFuzzInstall();
  setenv("KELVANE_REGISTRY", (install.root / "registry").c_str(), 1);
  static SilentOutput silent;
  debugOutPut = &silent;
  EngineInterface* engine = new EngineInterface;
  engine->ext->SetInstallDir(install.root.c_str());
  engine->ext->SetKelvaneRegKey("Software\\KelvaneFuzz");
  engine->ext->InitEngine(nullptr, "FUZZ");
  return engine;
}

inline void WriteFuzzFile(const std::filesystem::path& path, const void* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) std::abort();
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);
}

inline std::string ReadFuzzFile(const std::filesystem::path& path) {
  std::string bytes;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return bytes;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}
