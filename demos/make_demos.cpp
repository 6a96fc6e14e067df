// Makes the bundled demo projects with the engine's own code: channels are
// created through the engine, groups saved with SaveChannelGroup and project
// files written through OrnFileSaver.
//   make_demos <installation> <output directory>
#include "demo_project.h"
#include "effects_demo.h"
#include "engine_interface.h"
#include "guid_util.h"
#include "scene_demo.h"

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
const GUID kFrameLogType = GuidLiteral("5D3A8C10-7E2B-4F19-A6C4-1B9E0D27F835");

// "hello": a frame-log channel that calls two more every frame.
bool MakeHello(EngineInterface* engine, const fs::path& dir) {
  fs::create_directories(dir);
  Orn_ChannelGroup* group = engine->CreateNewGroup("Hello", false, -1);
  if (!group) return false;
  Orn_Channel* main = demos::MakeChannel(engine, group, kFrameLogType, "Main");
  Orn_Channel* left = demos::MakeChannel(engine, group, kFrameLogType, "Left");
  Orn_Channel* right = demos::MakeChannel(engine, group, kFrameLogType, "Right");
  if (!main || !left || !right) return false;
  main->SetChild(left, -1, 0);
  main->SetChild(right, -1, 0);
  group->SetStartChannel(main->GetChannelIDIndexNr());
  if (!group->SaveChannelGroup((dir / "start.grp").c_str())) return false;
  return demos::WriteProject(engine, dir / "hello.klv", "start.grp", {kFrameLogType});
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_demos <installation> <output directory>\n");
    return 2;
  }
  fs::path install = fs::absolute(argv[1]);
  fs::path output = fs::absolute(argv[2]);
  EngineInterface* engine = new EngineInterface;
  engine->ext->SetInstallDir(install.c_str());
  engine->ext->SetKelvaneRegKey("SOFTWARE\\Ondrel\\Kelvane Demos");
  bool ok = engine->ext->InitEngine(nullptr, "DEMOS") && MakeHello(engine, output / "hello") &&
            demos::MakeSceneDemo(engine, output / "scene") && demos::MakeEffectsDemo(engine, output / "effects");
  engine->ext->Release();
  delete engine;
  if (!ok) {
    std::fprintf(stderr, "make_demos: could not make the demo projects\n");
    return 1;
  }
  return 0;
}
