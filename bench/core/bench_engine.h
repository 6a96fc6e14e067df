// An engine started on the build's installation tree, for benchmarks.
#pragma once

#include "engine_interface.h"
#include "guid_util.h"

#include <cstdlib>
#include <filesystem>
#include <string>

// The demo frame-log channel: a multi-link "Children" slot, called once per frame.
inline GUID FrameLogType() { return GuidLiteral("5D3A8C10-7E2B-4F19-A6C4-1B9E0D27F835"); }

class BenchEngine {
 public:
  BenchEngine() {
    std::string registry = (std::filesystem::temp_directory_path() / "kelvane-bench-registry").string();
    setenv("KELVANE_REGISTRY", registry.c_str(), 1);
    engine = new EngineInterface;
    engine->ext->SetInstallDir(KELVANE_DIST_DIR);
    engine->ext->SetKelvaneRegKey("Software\\KelvaneBench");
    engine->ext->InitEngine(nullptr, "BENCH");
  }
  ~BenchEngine() {
    engine->ext->Release();
    delete engine;
  }
  EngineInterface* engine;
};
