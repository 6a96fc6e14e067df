// Present of a 1280x720 frame into a window of a private X server (Xvfb),
// three ways in one run: drawn into the window's own OpenGL framebuffer and
// swapped, read back and copied into the window's SDL surface (the way
// before the swap path), and with no window at all (what clearing and
// presenting cost without showing anything). Each frame clears the back
// buffer to a new colour and presents it; the repetitions of the three are
// interleaved, as this machine's speed drifts.
#include <benchmark/benchmark.h>
#include <d3d8/d3d8.h>
#include <d3d8/d3d8debug.h>
#include <win32/messages.h>
#include <win32/window.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "layer_device.h"
#include "median_reporter.h"
#include "xvfb_server.h"

namespace {

constexpr UINT kWidth = 1280, kHeight = 720;

LRESULT WindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

enum class Way { kSwap, kReadBack, kOffScreen };

class PresentingDevice {
 public:
  bool Init(Way way) {
    if (way != Way::kOffScreen) {
      static const bool registered = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.lpszClassName = "PresentBench";
        return RegisterClassExA(&wc) != 0;
      }();
      if (!registered) return false;
      window_ = CreateWindowExA(0, "PresentBench", "present", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                                nullptr, nullptr, nullptr);
      if (!window_) return false;
    }
    d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    if (!d3d_) return false;
    D3D8Debug_ForceReadBackPresent(way == Way::kReadBack ? TRUE : FALSE);
    const HRESULT hr = bench::CreateLayerDevice(d3d_, kWidth, kHeight, window_, false, &device_);
    D3D8Debug_ForceReadBackPresent(FALSE);
    return SUCCEEDED(hr);
  }
  void Shutdown() {
    if (device_) device_->Release();
    if (d3d_) d3d_->Release();
    if (window_) DestroyWindow(window_);
    device_ = nullptr;
    d3d_ = nullptr;
    window_ = nullptr;
  }
  void Frame(int i) {
    // Window messages are handled between frames, as a program's loop does.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, (i & 1) ? 0xFF2060A0 : 0xFFA06020, 1.0f, 0);
    device_->Present(nullptr, nullptr, nullptr, nullptr);
  }

 private:
  HWND window_ = nullptr;
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

void Run(benchmark::State& state, Way way) {
  PresentingDevice d;
  if (!d.Init(way)) {
    state.SkipWithError("no device");
    d.Shutdown();
    return;
  }
  int i = 0;
  for (int warm = 0; warm < 3; ++warm) d.Frame(i++);
  for (auto _ : state) d.Frame(i++);
  d.Shutdown();
}

void BM_PresentSwap(benchmark::State& state) { Run(state, Way::kSwap); }
void BM_PresentReadBack(benchmark::State& state) { Run(state, Way::kReadBack); }
void BM_PresentOffScreen(benchmark::State& state) { Run(state, Way::kOffScreen); }

BENCHMARK(BM_PresentSwap)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(5);
BENCHMARK(BM_PresentReadBack)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(5);
BENCHMARK(BM_PresentOffScreen)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  XvfbServer server;
  if (!server.Start(1920, 1080)) {
    std::fprintf(stderr, "Xvfb could not be started\n");
    return 1;
  }
  setenv("DISPLAY", server.display().c_str(), 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave.data());
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  bench::MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto ms = [&](const char* name) { return reporter.Seconds(name) * 1000.0; };
  std::printf("Clear and Present of a %ux%u frame: %.2f ms through the window's framebuffer and a swap, %.2f ms "
              "read back into the window's surface, %.2f ms without a window\n",
              kWidth, kHeight, ms("BM_PresentSwap"), ms("BM_PresentReadBack"), ms("BM_PresentOffScreen"));
  benchmark::Shutdown();
  return 0;
}
