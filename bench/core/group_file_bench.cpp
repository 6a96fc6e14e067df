// Saving and loading a group of 10,000 linked channels.
#include "bench_engine.h"
#include "orn_channel.h"
#include "orn_channel_group.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {
constexpr int kChannels = 10000;

// A binary tree: channel i links channel 2i+1 and 2i+2 into its children slot.
Orn_ChannelGroup* MakeTree(EngineInterface* engine, const char* pool) {
  Orn_ChannelGroup* group = engine->CreateNewGroup(pool, false, -1);
  std::vector<Orn_Channel*> channels;
  channels.reserve(kChannels);
  for (int i = 0; i < kChannels; ++i) channels.push_back(engine->InitChannelFromType(FrameLogType(), group, false));
  for (int i = 1; i < kChannels; ++i) channels[(i - 1) / 2]->SetChild(channels[i], -1, 0);
  return group;
}

void GroupSave(benchmark::State& state) {
  BenchEngine bench;
  Orn_ChannelGroup* group = MakeTree(bench.engine, "SaveTree");
  std::string path = (std::filesystem::temp_directory_path() / "kelvane-bench.grp").string();
  for (auto _ : state) benchmark::DoNotOptimize(group->SaveChannelGroup(path.c_str()));
  state.counters["ns/channel"] =
      benchmark::Counter(kChannels * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(GroupSave)->Unit(benchmark::kMillisecond);

void GroupLoad(benchmark::State& state) {
  BenchEngine bench;
  Orn_ChannelGroup* group = MakeTree(bench.engine, "LoadTree");
  std::string path = (std::filesystem::temp_directory_path() / "kelvane-bench.grp").string();
  group->SaveChannelGroup(path.c_str());
  Orn_ChannelGroup* target = new Orn_ChannelGroup(bench.engine);
  for (auto _ : state) benchmark::DoNotOptimize(target->LoadChannelGroupFromFile(path.c_str(), false));
  state.counters["ns/channel"] =
      benchmark::Counter(kChannels * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  delete target;
}
BENCHMARK(GroupLoad)->Unit(benchmark::kMillisecond);
}  // namespace
