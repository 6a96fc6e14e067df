// libFuzzer target: group files from arbitrary bytes must load or be refused
// without a crash, an overread or an unbounded allocation, and a group that
// loads must play two frames (its start channel, then every channel) without
// one. Each input is loaded as a group of the engine's own list, so that its public
// calls find their targets (itself included); the engine's groups are deleted
// after it. One engine, and with it the engine's graphics device and context,
// serves the whole run: the device is reset between inputs instead of made
// anew. The main thread's stack is held to 3 MiB, half again what the deepest
// evaluation the engine allows takes in this build, so that evaluation
// past the engine's depth limit shows as a stack overflow.
#include "device/vel_dx8_direct_graphics_channel.h"
#include "fuzz_engine.h"
#include "orn_channel.h"
#include "orn_channel_group.h"

#include <sys/resource.h>

#include <cstdint>
#include <string>

namespace {

constexpr size_t kMaxInput = size_t(1) << 20;
constexpr rlim_t kStackBytes = rlim_t(3) << 20;
const GUID kDeviceType = GuidLiteral("A17B3E96-F20C-4D85-B3C9-6E41D2A0F857");

void PlayFrame(EngineInterface* engine, Orn_ChannelGroup* group) {
  engine->ext->IncreaseTreeCount();
  group->CallStartChannel();
  for (int i = 0; i < group->GetChannelCount(); ++i)
    if (Orn_Channel* channel = group->GetChannel(i)) channel->CallChannel();
}

// Puts the device back to its starting render and texture-stage states. A
// full reset is not made: on a device without a window it makes the device
// anew, which is what the target avoids.
void ResetFuzzDevice(Orn_Channel* channel) {
  auto* device = vel::As<Vel_DX8_DirectGraphicsChannel>(channel, kDeviceType);
  if (device && device->GetDirect3dDevice()) device->SetDeviceStates();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  rlimit stack{};
  if (getrlimit(RLIMIT_STACK, &stack) == 0 && (stack.rlim_cur == RLIM_INFINITY || stack.rlim_cur > kStackBytes)) {
    stack.rlim_cur = kStackBytes;
    setrlimit(RLIMIT_STACK, &stack);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static EngineInterface* engine = StartFuzzEngine();
  // The engine's device channel, made once; its device lives for the run.
  static Orn_Channel* device = engine->GetUniqueChannel(kDeviceType, nullptr);
  if (size > kMaxInput) return 0;
  // Loaded as the engine loads a project's groups: from a file (in memory
  // where there is a memory file system), taking the pool name it holds.
  static const std::string file = (TheFuzzInstall().root / "input.grp").string();
  WriteFuzzFile(file, data, size);
  if (Orn_ChannelGroup* group = engine->LoadChannelGroup(file.c_str(), nullptr))
    for (int frame = 0; frame < 2; ++frame) PlayFrame(engine, group);
  engine->ext->ReleaseGroups();
  ResetFuzzDevice(device);
  return 0;
}
