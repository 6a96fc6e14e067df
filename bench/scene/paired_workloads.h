// The engine and the plain program timed on the same workloads in one run:
// rounds alternate between the workloads, and within a round which program
// goes first alternates (this machine's speed drifts); every frame's time is
// kept, and the report gives each program's median and 10th-percentile
// frame, their ratio and the engine's cost per object above the plain
// program's.
#pragma once

#include "frame_times.h"

#include <functional>
#include <string>
#include <vector>

namespace scenebench {

struct PairedWorkload {
  std::string name;
  std::function<void()> engineFrame, plainFrame;
  int objects = 0;  // objects a frame, for the cost per object (0: none)
  bench::PairedRun run;  // first: the engine, second: the plain program
};

void RunPaired(std::vector<PairedWorkload>* workloads, int rounds, double seconds);
void PrintPaired(const std::vector<PairedWorkload>& workloads, const char* size);

}  // namespace scenebench
