// Makes the deep projects of the viewer's depth tests with the engine's own
// code:
//   deep_log/deep_log.klv      100,000 frame-log channels, each the child of
//                              the one before
//   deep_motion/scene.klv      the scene demo whose camera motion has a chain
//                              of 100,000 parent motions
//   self_call/self_call.klv    a public channel whose child is a public call
//                              to itself, passing a parameter
//   make_deep_projects <installation> <output directory>
#include "demo_project.h"
#include "channel_internal.h"
#include "engine_interface.h"
#include "guid_util.h"

#include <cstdio>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
const GUID kFrameLogType = GuidLiteral("5D3A8C10-7E2B-4F19-A6C4-1B9E0D27F835");
const GUID kMotionType = GuidLiteral("41C8A2F7-E5B9-4D06-9F3E-07A6C5D1B948");
constexpr int kChain = 100000;
constexpr int kMotionParentSlot = 4;

bool MakeDeepLog(EngineInterface* engine, const fs::path& dir) {
  fs::create_directories(dir);
  Orn_ChannelGroup* group = engine->CreateNewGroup("DeepLog", false, -1);
  Orn_Channel* previous = nullptr;
  for (int i = 0; i < kChain; ++i) {
    Orn_Channel* channel = demos::MakeChannel(engine, group, kFrameLogType, i == 0 ? "Main" : "Link");
    if (!channel) return false;
    if (previous && previous->SetChild(channel, -1, 0) < 0) return false;
    if (!previous) group->SetStartChannel(channel->GetChannelIDIndexNr());
    previous = channel;
  }
  return group->SaveChannelGroup((dir / "start.grp").c_str()) &&
         demos::WriteProject(engine, dir / "deep_log.klv", "start.grp", {kFrameLogType});
}

bool MakeDeepMotion(EngineInterface* engine, const fs::path& scene, const fs::path& dir) {
  fs::create_directories(dir);
  fs::copy(scene, dir, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  Orn_ChannelGroup* group = engine->LoadChannelGroup((dir / "start.grp").c_str(), nullptr);
  if (!group) return false;
  Orn_Channel* motion = group->GetChannel("Camera Motion");
  if (!motion) return false;
  for (int i = 0; i < kChain; ++i) {
    Orn_Channel* parent = demos::MakeChannel(engine, group, kMotionType, "Parent Motion");
    if (!parent || !demos::Link(motion, parent, kMotionParentSlot)) return false;
    motion = parent;
  }
  return group->SaveChannelGroup((dir / "start.grp").c_str());
}

bool MakeSelfCall(EngineInterface* engine, const fs::path& dir) {
  fs::create_directories(dir);
  Orn_ChannelGroup* group = engine->CreateNewGroup("Loop", false, -1);
  ParameterInterfaceInfo parameter{};
  std::strcpy(parameter.name, "In");
  parameter.type = kFrameLogType;
  group->AddParameterInfo(parameter);
  Orn_Channel* main = demos::MakeChannel(engine, group, kFrameLogType, "Main");
  Orn_Channel* body = demos::MakeChannel(engine, group, kFrameLogType, "Body");
  Orn_Channel* call = demos::MakeChannel(engine, group, kFrameLogType, "Call of Body");
  Orn_Channel* argument = demos::MakeChannel(engine, group, kFrameLogType, "Argument");
  if (!main || !body || !call || !argument) return false;
  body->SetChannelInterfaceType(VEL_PUBLIC);
  call->SetChannelInterfaceType(VEL_PUBLICCALL);
  PublicCallInfo info;
  std::strcpy(info.channelName, "Body");
  std::strcpy(info.poolName, "Loop");
  info.requestedNr = 0;
  if (!channelInternal.SetPublicCallInfo(call, info)) return false;
  if (call->SetChild(argument, -1, 0) < 0 || body->SetChild(call, -1, 0) < 0 || main->SetChild(body, -1, 0) < 0)
    return false;
  group->SetStartChannel(main->GetChannelIDIndexNr());
  return group->SaveChannelGroup((dir / "start.grp").c_str()) &&
         demos::WriteProject(engine, dir / "self_call.klv", "start.grp", {kFrameLogType});
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_deep_projects <installation> <output directory>\n");
    return 2;
  }
  fs::path install = fs::absolute(argv[1]);
  fs::path output = fs::absolute(argv[2]);
  EngineInterface* engine = new EngineInterface;
  engine->ext->SetInstallDir(install.c_str());
  engine->ext->SetKelvaneRegKey("SOFTWARE\\Ondrel\\Kelvane Tests");
  bool ok = engine->ext->InitEngine(nullptr, "DEEP") && MakeDeepLog(engine, output / "deep_log") &&
            MakeDeepMotion(engine, install / "demos" / "scene", output / "deep_motion") &&
            MakeSelfCall(engine, output / "self_call");
  engine->ext->Release();
  delete engine;
  if (!ok) {
    std::fprintf(stderr, "make_deep_projects: could not make the projects\n");
    return 1;
  }
  return 0;
}
