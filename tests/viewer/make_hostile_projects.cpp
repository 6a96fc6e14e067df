// Makes the deep projects of the viewer's depth tests with the engine's own
// code:
//   deep_log/deep_log.klv      100,000 frame-log channels, each the child of
//                              the one before
//   deep_motion/scene.klv      the scene demo whose camera motion has a chain
//                              of 100,000 parent motions
//   self_call/self_call.klv    a public channel whose child is a public call
//                              to itself, passing a parameter
//   bombs/scene.klv            the scene demo with 48 more textures, each a
//                              33 KB PNG declaring 16,384 x 2,048 grey texels
//   huge/huge.klv              a group of 1,000,000 unlinked frame-log
//                              channels, which loads for many seconds
//   make_hostile_projects <installation> <output directory> deep|bombs|huge
#include "demo_project.h"
#include "channel_internal.h"
#include "engine_interface.h"
#include "guid_util.h"
#include "texture/vel_dx8_texture.h"

#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
const GUID kFrameLogType = GuidLiteral("5D3A8C10-7E2B-4F19-A6C4-1B9E0D27F835");
const GUID kTextureType = GuidLiteral("5E1A7C20-3B4D-4E61-9A2F-70C3D18B4E05");
const GUID kMotionType = GuidLiteral("41C8A2F7-E5B9-4D06-9F3E-07A6C5D1B948");
constexpr int kChain = 100000;
constexpr int kMotionParentSlot = 4;
constexpr int kHugeGroup = 1000000;

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
bool MakeHuge(EngineInterface* engine, const fs::path& dir) {
  fs::create_directories(dir);
  Orn_ChannelGroup* group = engine->CreateNewGroup("Huge", false, -1);
  for (int i = 0; i < kHugeGroup; ++i)
    if (!demos::MakeChannel(engine, group, kFrameLogType, i == 0 ? "Main" : "Slot")) return false;
  group->SetStartChannel(0);
  return group->SaveChannelGroup((dir / "start.grp").c_str()) &&
         demos::WriteProject(engine, dir / "huge.klv", "start.grp", {kFrameLogType});
}

// A PNG of 16,384 x 2,048 8-bit grey texels, all black: each row is a filter
// byte and 16,384 zeros, which deflate to about 33 KB.
std::vector<char> BombPng() {
  constexpr uint32_t kWidth = 16384, kHeight = 2048;
  std::vector<unsigned char> raw(size_t(kWidth + 1) * kHeight, 0);
  uLongf packedSize = compressBound(raw.size());
  std::vector<unsigned char> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), raw.size(), 9) != Z_OK) return {};
  packed.resize(packedSize);
  std::vector<char> png = {'\x89', 'P', 'N', 'G', '\r', '\n', '\x1A', '\n'};
  auto put32 = [&](uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<char>(v >> shift));
  };
  auto chunk = [&](const char* tag, const unsigned char* data, uint32_t size) {
    put32(size);
    const size_t start = png.size();
    png.insert(png.end(), tag, tag + 4);
    png.insert(png.end(), data, data + size);
    put32(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(png.data() + start), size + 4)));
  };
  const unsigned char header[13] = {0, 0, kWidth >> 8, 0, 0, 0, kHeight >> 8, 0, 8, 0, 0, 0, 0};
  chunk("IHDR", header, 13);
  chunk("IDAT", packed.data(), static_cast<uint32_t>(packed.size()));
  chunk("IEND", nullptr, 0);
  return png;
}

bool MakeBombs(EngineInterface* engine, const fs::path& scene, const fs::path& dir) {
  fs::create_directories(dir);
  fs::copy(scene, dir, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  Orn_ChannelGroup* group = engine->LoadChannelGroup((dir / "start.grp").c_str(), nullptr);
  const std::vector<char> bomb = BombPng();
  if (!group || bomb.empty()) return false;
  for (int i = 0; i < 48; ++i) {
    const std::string name = "Bomb " + std::to_string(i + 1);
    auto* texture = static_cast<Vel_DX8_Texture*>(demos::MakeChannel(engine, group, kTextureType, name.c_str()));
    if (!texture) return false;
    texture->LoadTextureFromMemoryAndCopyBuffer(bomb.data(), static_cast<int>(bomb.size()));
    if (texture->GetBufferSize() != static_cast<int>(bomb.size())) return false;
  }
  return group->SaveChannelGroup((dir / "start.grp").c_str());
}
}  // namespace

int main(int argc, char** argv) {
  const std::string which = argc == 4 ? argv[3] : "";
  if (which != "deep" && which != "bombs" && which != "huge") {
    std::fprintf(stderr, "usage: make_hostile_projects <installation> <output directory> deep|bombs|huge\n");
    return 2;
  }
  fs::path install = fs::absolute(argv[1]);
  fs::path output = fs::absolute(argv[2]);
  EngineInterface* engine = new EngineInterface;
  engine->ext->SetInstallDir(install.c_str());
  engine->ext->SetKelvaneRegKey("SOFTWARE\\Ondrel\\Kelvane Tests");
  bool ok = engine->ext->InitEngine(nullptr, "DEEP");
  if (ok && which == "deep")
    ok = MakeDeepLog(engine, output / "deep_log") &&
         MakeDeepMotion(engine, install / "demos" / "scene", output / "deep_motion") &&
         MakeSelfCall(engine, output / "self_call");
  if (ok && which == "huge") ok = MakeHuge(engine, output / "huge");
  if (ok && which == "bombs") ok = MakeBombs(engine, install / "demos" / "scene", output / "bombs");
  engine->ext->Release();
  delete engine;
  if (!ok) {
    std::fprintf(stderr, "make_hostile_projects: could not make the projects\n");
    return 1;
  }
  return 0;
}
