// A temporary installation with the standard plug-ins and the test plug-ins,
// an engine started on it, and the messages it sends.
#pragma once

#include "engine.h"
#include "engine_interface.h"
#include "guid_util.h"
#include "captured_messages.h"
#include "messages.h"
#include "test_recorder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

inline GUID PlainType() { return GuidLiteral("0A11CE00-0000-4000-8000-000000000001"); }
inline GUID ParentType() { return GuidLiteral("0A11CE00-0000-4000-8000-000000000002"); }
inline GUID CreatorType() { return GuidLiteral("0A11CE00-0000-4000-8000-000000000003"); }
inline GUID Version24Type() { return GuidLiteral("0A11CE00-0000-4000-8000-000000000004"); }
inline GUID Version26Type() { return GuidLiteral("0A11CE00-0000-4000-8000-000000000005"); }
inline GUID AltType() { return GuidLiteral("0A11CE00-0000-4000-8000-000000000007"); }
inline GUID NoInitType() { return GuidLiteral("0A11CE00-0000-4000-8000-000000000008"); }

// Keeps every message; the fixture installs it while an engine runs.
class CapturingReceiver : public CapturedMessages {
 public:
  CapturingReceiver() : CapturedMessages(false) {}
};

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kelvane-engine-XXXXXX";
    root = mkdtemp(pattern);
    install = root / "install";
    fs::create_directories(install / "channels");
    fs::create_directories(install / "3rd");
    setenv("KELVANE_REGISTRY", (root / "registry").c_str(), 1);
    const char* dist = std::getenv("KELVANE_DIST");
    ASSERT_NE(dist, nullptr) << "KELVANE_DIST names the build's installation tree";
    for (const auto& entry : fs::directory_iterator(fs::path(dist) / "channels"))
      if (entry.path().extension() == ".so") fs::copy_file(entry.path(), install / "channels" / entry.path().filename());
    fs::path testChannels = fs::path(dist).parent_path() / "test-channels";
    for (const auto& entry : fs::directory_iterator(testChannels))
      if (entry.path().extension() == ".so") fs::copy_file(entry.path(), install / "channels" / entry.path().filename());
    test_recorder::Clear();
    debugOutPut = &receiver;
    StartEngine();
  }

  void TearDown() override {
    StopEngine();
    debugOutPut = nullptr;
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  void StartEngine() {
    engine = new EngineInterface;
    engine->ext->SetInstallDir(install.c_str());
    engine->ext->SetKelvaneRegKey("Software\\KelvaneTest");
    ASSERT_TRUE(engine->ext->InitEngine(nullptr, "TEST"));
  }

  void StopEngine() {
    if (!engine) return;
    engine->ext->Release();
    delete engine;
    engine = nullptr;
  }

  Engine* Core() { return engine->engineObject; }

  fs::path root;
  fs::path install;
  EngineInterface* engine = nullptr;
  CapturingReceiver receiver;
};
