// 1,000 draws of a 1,000-triangle mesh with state changes between them,
// through the Direct3D 8 layer (fixed-function, and with translated vertex
// and pixel shaders) and through plain OpenGL with hand-written GLSL, in one
// run; the closing lines give the layer's frame rates as fractions of
// OpenGL's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "gl_reference.h"
#include "layer_frame.h"
#include "median_reporter.h"

namespace {

void RunLayer(benchmark::State& state, bool shaders) {
  bench::LayerRenderer r;
  if (!r.Init(shaders)) {
    state.SkipWithError("no Direct3D 8 device");
    r.Shutdown();
    return;
  }
  r.Frame();  // compiles the programs once
  for (auto _ : state) r.Frame();
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  r.Shutdown();
}

void BM_Direct3D8Layer(benchmark::State& state) { RunLayer(state, false); }
void BM_Direct3D8Shaders(benchmark::State& state) { RunLayer(state, true); }

void BM_PlainOpenGL(benchmark::State& state) {
  bench::GlRenderer r;
  if (!r.Init()) {
    state.SkipWithError("no OpenGL 3.3 context");
    r.Shutdown();
    return;
  }
  r.Frame();
  for (auto _ : state) r.Frame();
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  r.Shutdown();
}

// Software rasterisers share the machine with everything else: repetitions
// and their medians steady the comparison.
BENCHMARK(BM_Direct3D8Layer)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(5);
BENCHMARK(BM_Direct3D8Shaders)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(5);
BENCHMARK(BM_PlainOpenGL)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  bench::MedianReporter reporter;
  bench::RunOffScreen(&argc, argv, &reporter);
  const double layer = reporter.Seconds("BM_Direct3D8Layer");
  const double gl = reporter.Seconds("BM_PlainOpenGL");
  if (layer > 0 && gl > 0)
    std::printf("Direct3D 8 layer at %.3f of the plain OpenGL frame rate (%.1f vs %.1f frames/s)\n", gl / layer,
                1.0 / layer, 1.0 / gl);
  const double shaders = reporter.Seconds("BM_Direct3D8Shaders");
  if (shaders > 0 && gl > 0)
    std::printf("Translated vs.1.1 and ps.1.1 shaders at %.3f of the hand-written GLSL frame rate (%.1f vs %.1f "
                "frames/s)\n", gl / shaders, 1.0 / shaders, 1.0 / gl);
  benchmark::Shutdown();
  return 0;
}
