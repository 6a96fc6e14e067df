// Writes channel-list caches into a directory, as the channel-list fuzz
// target's seed corpus: the list the scan of the build's installation makes,
// and an empty one.
//   make_channel_list_seeds <directory>
#include "channel_list.h"
#include "fuzz_engine.h"

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_channel_list_seeds <directory>\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  EngineInterface* engine = StartFuzzEngine();
  const std::filesystem::path cache = TheFuzzInstall().root / "channel.lst";
  engine->ext->GetChannelList()->SaveChannelList();
  std::filesystem::copy_file(cache, dir / "scanned.lst", std::filesystem::copy_options::overwrite_existing);
  ChannelList empty(engine);
  empty.SaveChannelList();
  std::filesystem::copy_file(cache, dir / "empty.lst", std::filesystem::copy_options::overwrite_existing);
  return 0;
}
