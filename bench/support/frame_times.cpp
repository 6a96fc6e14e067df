#include "frame_times.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

// The calling thread's processor time: the program's and the driver's own
// work on this thread, without the rasteriser's threads and without the
// time other programs take the processor away.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

}  // namespace

void TimeFrames(const std::function<void()>& frame, double seconds, FrameSamples* samples) {
  frame();  // warm: programs compiled, buffers made
  const auto start = Clock::now();
  auto before = start;
  double threadBefore = ThreadSeconds();
  for (;;) {
    frame();
    const auto after = Clock::now();
    const double threadAfter = ThreadSeconds();
    samples->wall.push_back(std::chrono::duration<double>(after - before).count());
    samples->thread.push_back(threadAfter - threadBefore);
    if (std::chrono::duration<double>(after - start).count() >= seconds) break;
    before = after;
    threadBefore = threadAfter;
  }
}

double Quantile(std::vector<double> values, double q) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const double at = std::clamp(q, 0.0, 1.0) * static_cast<double>(values.size() - 1);
  const size_t below = static_cast<size_t>(std::floor(at));
  const size_t above = std::min(below + 1, values.size() - 1);
  const double f = at - static_cast<double>(below);
  return values[below] + f * (values[above] - values[below]);
}

FrameSummary Summarise(const FrameSamples& samples) {
  FrameSummary s;
  s.median = Quantile(samples.wall, 0.5);
  s.p10 = Quantile(samples.wall, 0.1);
  s.threadMedian = Quantile(samples.thread, 0.5);
  s.frames = samples.wall.size();
  return s;
}

}  // namespace bench
