// Frames of the bundled "effects" project: its start group loaded from the
// build's installation onto an off-screen 640 x 480 engine window, every
// shader effect drawn side by side, each frame presented and finished (the
// image read back, so the frame's drawing is done when the clock stops).
// The rate is frames per second on whatever renderer is present (llvmpipe
// headless).
#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "orn_channel_group.h"
#include "win32/window.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr const char* kWindowClass = "KelvaneEffectsBench";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND MakeWindow() {
  WNDCLASSEXA c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = WindowProc;
  c.hInstance = GetModuleHandleA(nullptr);
  c.lpszClassName = kWindowClass;
  RegisterClassExA(&c);
  HWND w = CreateWindowExA(0, kWindowClass, "effects", WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  if (w) ShowWindow(w, SW_SHOW);
  return w;
}

void EffectsDemoFrame(benchmark::State& state) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  const std::string registry = (std::filesystem::temp_directory_path() / "kelvane-bench-registry").string();
  setenv("KELVANE_REGISTRY", registry.c_str(), 1);
  HWND window = MakeWindow();
  auto* engine = new EngineInterface;
  engine->ext->SetInstallDir(KELVANE_DIST_DIR);
  engine->ext->SetKelvaneRegKey("Software\\KelvaneBench");
  engine->ext->InitEngine(GetModuleHandleA(nullptr), kWindowClass);
  engine->ext->SetWindowHandle(window);
  const std::string file = std::string(KELVANE_DIST_DIR) + "/demos/effects/start.grp";
  Orn_ChannelGroup* group = engine->LoadChannelGroup(file.c_str(), nullptr);
  Vel_DX8_DirectGraphicsChannel* device = vel::DeviceChannel(engine);
  if (!group || !device || !device->GetDirect3dDevice()) {
    state.SkipWithError("the effects project or a device is missing");
  } else {
    engine->ext->SetStartGroup(group->GetGroupIndex());
    IDirect3DDevice8* d3d = device->GetDirect3dDevice();
    IDirect3DSurface8* copy = nullptr;
    d3d->CreateImageSurface(640, 480, D3DFMT_A8R8G8B8, &copy);
    for (auto _ : state) {
      engine->ext->IncreaseTreeCount();
      group->CallStartChannel();
      if (copy) d3d->GetFrontBuffer(copy);
    }
    if (copy) copy->Release();
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  }
  engine->ext->Release();
  delete engine;
  DestroyWindow(window);
}
BENCHMARK(EffectsDemoFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
