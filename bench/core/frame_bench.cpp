// One frame of a group of 10,000 channels linked as a tree, each computing
// once per tree count.
#include "bench_engine.h"
#include "orn_channel.h"
#include "orn_channel_group.h"

#include <benchmark/benchmark.h>

namespace {
constexpr int kChannels = 10000;

void FrameOfATree(benchmark::State& state) {
  BenchEngine bench;
  EngineInterface* engine = bench.engine;
  Orn_ChannelGroup* group = engine->CreateNewGroup("FrameTree", false, -1);
  std::vector<Orn_Channel*> channels;
  for (int i = 0; i < kChannels; ++i) channels.push_back(engine->InitChannelFromType(FrameLogType(), group, false));
  for (int i = 1; i < kChannels; ++i) channels[(i - 1) / 2]->SetChild(channels[i], -1, 0);
  group->SetStartChannel(0);
  for (auto _ : state) {
    engine->ext->IncreaseTreeCount();
    group->CallStartChannel();
  }
  state.counters["ns/channel"] =
      benchmark::Counter(kChannels * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(FrameOfATree)->Unit(benchmark::kMicrosecond);
}  // namespace
