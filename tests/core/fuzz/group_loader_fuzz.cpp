// libFuzzer target: group files from arbitrary bytes must load or be refused
// without a crash, an overread or an unbounded allocation.
#include "fuzz_engine.h"
#include "orn_channel_group.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static EngineInterface* engine = StartFuzzEngine();
  static Orn_ChannelGroup* group = new Orn_ChannelGroup(engine);
  if (size > (1u << 20)) return 0;
  std::vector<char> bytes(data, data + size);
  group->LoadChannelGroupFromBuffer("fuzz", static_cast<int>(bytes.size()), bytes.data(), true);
  group->Release();
  return 0;
}
