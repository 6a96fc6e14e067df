// libFuzzer target: the channel-list cache from arbitrary bytes, read and
// written back. What one write-back reads again must write back to the same
// bytes (the first write-back may normalise, the second must not change).
#include "channel_list.h"
#include "fuzz_engine.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
std::string WriteBack(ChannelList* list, const std::filesystem::path& cache) {
  list->Release();
  list->LoadChannelList();
  list->SaveChannelList();
  return ReadFuzzFile(cache);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static EngineInterface* engine = StartFuzzEngine();
  // A list of its own: the engine's list stays as the scan made it.
  static ChannelList* list = new ChannelList(engine);
  static const std::filesystem::path cache = TheFuzzInstall().root / "channel.lst";
  if (size > (1u << 20)) return 0;
  WriteFuzzFile(cache, data, size);
  WriteBack(list, cache);
  std::string second = WriteBack(list, cache);
  std::string third = WriteBack(list, cache);
  if (second != third) {
    std::fprintf(stderr, "the cache changed on a second write-back (%zu -> %zu bytes)\n", second.size(), third.size());
    std::abort();
  }
  list->Release();
  return 0;
}
