// An engine on a temporary installation that loads hand-made project files.
#pragma once

#include "engine_fixture.h"
#include "file_loader.h"
#include "project_writer.h"

class Projects : public EngineFixture {
 protected:
  int Load(const fs::path& path) { return engine->ext->InitializeKLVFile(path.c_str()); }
  fs::path Project() { return root / "project.klv"; }
  int32_t CrcOf(const fs::path& file) {
    OrnFileLoader loader(engine);
    EXPECT_TRUE(loader.LoadFile(file.c_str()));
    return loader.GetCRC();
  }
  fs::path PlainFile() { return install / "channels" / "0A11CE00-0000-4000-8000-000000000001.so"; }
};

inline const int32_t kCurrent[3] = {1, 25, 1};
