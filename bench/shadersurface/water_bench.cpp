// One step of the water simulation at 256 x 256 texels: on the graphics
// layer (llvmpipe without a GPU) through the water effect on the channel
// harness's engine, and the same passes in plain C++ on float grids. Each
// iteration runs ten steps and then reads the height back, so that the
// device has finished them; the closing line gives milliseconds per step and
// their ratio.
#include <benchmark/benchmark.h>

#include "image_effect_fixture.h"
#include "water_reference.h"
#include "water_simulation.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kSize = 256;
constexpr int kStepsPerIteration = 10;
double layerSeconds = 0, referenceSeconds = 0;  // per step

// The harness used outside a test run: engine, window, surface and mesh.
class WaterOnLayer : public vel_test::ImageEffectTest {
 public:
  void TestBody() override {}
  bool Start() {
    SetUp();
    return StartWater(kSize, kSize) && water->GetSimulation()->IsReady();
  }
  void Run() {
    WaterSimulation* simulation = water->GetSimulation();
    D3DDevice()->BeginScene();
    simulation->AddDrop(0.3f, 0.6f, 10);
    for (int i = 0; i < kStepsPerIteration; ++i) simulation->Advance(WaterSimulation::kUnitsPerStep);
    D3DDevice()->EndScene();
    benchmark::DoNotOptimize(ReadTexels(simulation->GetHeightMap()).size());
  }
  void Finish() { TearDown(); }
};

void CountSteps(benchmark::State& state) {
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kStepsPerIteration);
}

void BM_WaterStepOnLayer(benchmark::State& state) {
  WaterOnLayer water;
  if (!water.Start()) {
    state.SkipWithError("the graphics layer runs no shaders");
    water.Finish();
    return;
  }
  water.Run();
  for (auto _ : state) water.Run();
  CountSteps(state);
  water.Finish();
}

void BM_WaterStepPlainCpp(benchmark::State& state) {
  water_reference::Water water(kSize, kSize);
  water.velocity.At(kSize / 2, kSize / 2) = 1.0f;
  for (auto _ : state) {
    for (int i = 0; i < kStepsPerIteration; ++i) water.Step();
    benchmark::DoNotOptimize(water.height.texels.data());
  }
  CountSteps(state);
}

BENCHMARK(BM_WaterStepOnLayer)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_WaterStepPlainCpp)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Console output, and the seconds per step of each benchmark.
class StepReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations <= 0) continue;
      const double perStep = run.real_accumulated_time / static_cast<double>(run.iterations * kStepsPerIteration);
      if (run.run_name.function_name == "BM_WaterStepOnLayer") layerSeconds = perStep;
      if (run.run_name.function_name == "BM_WaterStepPlainCpp") referenceSeconds = perStep;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("KELVANE_DIST", KELVANE_DIST_DIR, 0);
  benchmark::Initialize(&argc, argv);
  StepReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  if (layerSeconds > 0 && referenceSeconds > 0)
    std::printf("water step %dx%d: %.3f ms on the graphics layer, %.3f ms in plain C++ (layer/C++ %.2f)\n", kSize,
                kSize, layerSeconds * 1e3, referenceSeconds * 1e3, layerSeconds / referenceSeconds);
  benchmark::Shutdown();
  return 0;
}
