// The engine the group-file fuzz target and its seed maker run on: the build's
// installation tree with the standard and drawing channels, the demo plug-ins
// and the bundled demo projects.
#pragma once

#include "engine_interface.h"
#include "guid_util.h"

#include <cstdlib>
#include <filesystem>
#include <string>

inline GUID FuzzFrameLogType() { return GuidLiteral("5D3A8C10-7E2B-4F19-A6C4-1B9E0D27F835"); }

inline EngineInterface* StartFuzzEngine() {
  std::string registry = (std::filesystem::temp_directory_path() / "kelvane-fuzz-registry").string();
  setenv("KELVANE_REGISTRY", registry.c_str(), 1);
  EngineInterface* engine = new EngineInterface;
  engine->ext->SetInstallDir(KELVANE_DIST_DIR);
  engine->ext->SetKelvaneRegKey("Software\\KelvaneFuzz");
  engine->ext->InitEngine(nullptr, "FUZZ");
  return engine;
}
