// Frame times of programs measured against each other: every frame's
// wall-clock time and the drawing thread's processor time are kept, and the
// report gives their median and 10th percentile (a busy machine stretches
// some frames a lot and most frames not at all; the mean follows the
// stretched ones, the median and the fast tail do not).
#pragma once

#include <functional>
#include <vector>

namespace bench {

struct FrameSamples {
  std::vector<double> wall, thread;  // seconds, one entry a frame
};

// Draws one frame to warm up, then frames for about `seconds`, appending
// each frame's times to `samples`.
void TimeFrames(const std::function<void()>& frame, double seconds, FrameSamples* samples);

// The q-quantile (0..1) of `values`, interpolated between neighbouring
// ranks; 0 when there are none.
double Quantile(std::vector<double> values, double q);

struct FrameSummary {
  double median = 0, p10 = 0;  // wall seconds a frame
  double threadMedian = 0;     // the drawing thread's processor seconds a frame
  size_t frames = 0;
};
FrameSummary Summarise(const FrameSamples& samples);

// The frames of two programs timed against each other.
struct PairedRun {
  FrameSamples first, second;
};

}  // namespace bench
