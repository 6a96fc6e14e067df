// libFuzzer target: project files from arbitrary bytes are loaded against a
// private installation, which is put back after every run. A project must be
// ready, refused or found to need an update, in bounded time and memory.
#include "fuzz_engine.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static EngineInterface* engine = StartFuzzEngine();
  static const std::filesystem::path project = TheFuzzInstall().root / "fuzz.klv";
  if (size > (1u << 20)) return 0;
  WriteFuzzFile(project, data, size);
  engine->ext->InitializeKLVFile(project.c_str());
  TheFuzzInstall().Reset();
  return 0;
}
