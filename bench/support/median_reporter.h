// Console output of a benchmark run plus the seconds per iteration of each
// benchmark: the median of its repetitions, or its single run without
// repetitions (software rasterisers share the machine with everything else,
// so the benchmarks compare medians).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace bench {

class MedianReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations <= 0) continue;
      const std::string family = run.run_name.function_name;
      const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        median_[family] = seconds;
      else if (run.run_type == Run::RT_Iteration)
        single_[family] = seconds;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  // 0 when the benchmark did not run.
  double Seconds(const std::string& family) const {
    auto m = median_.find(family);
    if (m != median_.end()) return m->second;
    auto s = single_.find(family);
    return s != single_.end() ? s->second : 0.0;
  }

 private:
  std::map<std::string, double> median_, single_;
};

// Runs the benchmarks the command line selects, with SDL on its off-screen
// driver unless the environment names another.
inline void RunOffScreen(int* argc, char** argv, MedianReporter* reporter) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  benchmark::Initialize(argc, argv);
  benchmark::RunSpecifiedBenchmarks(reporter);
}

}  // namespace bench
