#include "paired_workloads.h"

#include <cstdio>

namespace scenebench {

void RunPaired(std::vector<PairedWorkload>* workloads, int rounds, double seconds) {
  for (int r = 0; r < rounds; ++r)
    for (PairedWorkload& w : *workloads) {
      bench::PairedRun round;
      // The order within the round alternates from one round to the next.
      if (r % 2 == 0) {
        bench::TimeFrames(w.engineFrame, seconds, &round.first);
        bench::TimeFrames(w.plainFrame, seconds, &round.second);
      } else {
        bench::TimeFrames(w.plainFrame, seconds, &round.second);
        bench::TimeFrames(w.engineFrame, seconds, &round.first);
      }
      const double e = bench::Quantile(round.first.wall, 0.5), g = bench::Quantile(round.second.wall, 0.5);
      std::printf("round %d, %-12s engine %8.3f ms  plain OpenGL %8.3f ms (medians of %zu and %zu frames)\n", r + 1,
                  w.name.c_str(), e * 1e3, g * 1e3, round.first.wall.size(), round.second.wall.size());
      std::fflush(stdout);
      auto append = [](bench::FrameSamples* to, const bench::FrameSamples& from) {
        to->wall.insert(to->wall.end(), from.wall.begin(), from.wall.end());
        to->thread.insert(to->thread.end(), from.thread.begin(), from.thread.end());
      };
      append(&w.run.first, round.first);
      append(&w.run.second, round.second);
    }
}

void PrintPaired(const std::vector<PairedWorkload>& workloads, const char* size) {
  std::printf("\nper-frame times over all rounds at %s (median, 10th percentile):\n", size);
  for (const PairedWorkload& w : workloads) {
    if (w.run.first.wall.empty()) continue;
    const bench::FrameSummary e = bench::Summarise(w.run.first), g = bench::Summarise(w.run.second);
    std::printf("%-12s engine %7.3f ms, p10 %7.3f ms  plain OpenGL %7.3f ms, p10 %7.3f ms  frame time ratio %.3f "
                "(p10 %.3f)  frame rate ratio %.3f\n",
                w.name.c_str(), e.median * 1e3, e.p10 * 1e3, g.median * 1e3, g.p10 * 1e3, e.median / g.median,
                e.p10 / g.p10, g.median / e.median);
    if (w.objects > 0)
      std::printf("%-12s engine and layer work per object above plain OpenGL: %.3f us (p10 %.3f us); drawing "
                  "thread %.3f us (%.3f ms against %.3f ms a frame)\n",
                  w.name.c_str(), (e.median - g.median) / w.objects * 1e6, (e.p10 - g.p10) / w.objects * 1e6,
                  (e.threadMedian - g.threadMedian) / w.objects * 1e6, e.threadMedian * 1e3, g.threadMedian * 1e3);
  }
}

}  // namespace scenebench
