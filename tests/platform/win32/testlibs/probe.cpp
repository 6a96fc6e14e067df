// A library that exports one C function and a counter of its loads.
extern "C" int ProbeAnswer() { return 42; }

extern "C" int probeLoads;
int probeLoads = 0;

namespace {
struct CountLoad {
  CountLoad() { ++probeLoads; }
} countLoad;
}  // namespace
