// Particle update and drawing: 10,000 particles a frame through the particle
// channel on the engine (dynamics, camera-facing squares, the discarding
// copy and one draw on the Direct3D 8 layer), and the same work in plain C++
// and OpenGL, in one run; each frame ends by reading the image back. The
// closing line gives the time per 10,000 particles of each and their ratio.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "gl_particle_reference.h"
#include "median_reporter.h"
#include "orn_channel_group.h"
#include "particle/vel_dx8_particle_object.h"
#include "timesource/vel_time_source_channel.h"
#include "vel_child_access.h"
#include "vel_type_guids.h"
#include "win32/window.h"

namespace {

constexpr int kTarget = 256;

// Points spread over a unit sphere, three floats each.
std::vector<float> EmitterPoints() {
  std::vector<float> points;
  for (int i = 0; i < bench::kParticles; ++i) {
    const double golden = 2.399963229728653 * i;
    const double z = 1.0 - 2.0 * (i + 0.5) / bench::kParticles;
    const double r = std::sqrt(1.0 - z * z);
    points.insert(points.end(), {static_cast<float>(r * std::cos(golden) * 0.5),
                                 static_cast<float>(r * std::sin(golden) * 0.5), static_cast<float>(z * 0.25 + 0.5)});
  }
  return points;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

struct LayerParticles {
  EngineInterface* engine = nullptr;
  HWND window = nullptr;
  Vel_DX8_DirectGraphicsChannel* device = nullptr;
  Vel_DX8_ParticleObject* system = nullptr;
  IDirect3DSurface8* readBack = nullptr;
  std::filesystem::path scratch;

  bool Init() {
    scratch = std::filesystem::temp_directory_path() / "kelvane-particle-bench";
    std::filesystem::create_directories(scratch);
    setenv("KELVANE_REGISTRY", (scratch / "registry").c_str(), 1);
    WNDCLASSEXA c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = WindowProc;
    c.hInstance = GetModuleHandleA(nullptr);
    c.lpszClassName = "KelvaneParticleBench";
    RegisterClassExA(&c);
    window = CreateWindowExA(0, c.lpszClassName, "particles", WS_POPUP, 0, 0, kTarget, kTarget, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (!window) return false;
    ShowWindow(window, SW_SHOW);
    engine = new EngineInterface;
    engine->ext->SetInstallDir(KELVANE_DIST_DIR);
    engine->ext->SetKelvaneRegKey("Software\\KelvaneBench");
    if (!engine->ext->InitEngine(GetModuleHandleA(nullptr), c.lpszClassName)) return false;
    engine->ext->SetWindowHandle(window);
    Orn_ChannelGroup* group = engine->CreateNewGroup("Bench", false, 0);
    device = vel::DeviceChannel(engine);
    if (!group || !device || !device->GetDirect3dDevice()) return false;
    auto* emitter = vel::As<Vel_DX8_ObjectDataChannel>(engine->InitChannelFromType(vel::kObjectDataType, group, false),
                                                       vel::kObjectDataType);
    system = vel::As<Vel_DX8_ParticleObject>(engine->InitChannelFromType(vel::kParticleType, group, false),
                                             vel::kParticleType);
    if (!emitter || !system) return false;
    const std::vector<float> points = EmitterPoints();
    emitter->SetVertexCount(bench::kParticles);
    emitter->SetVertexPositionUse(true);
    for (int i = 0; i < bench::kParticles; ++i)
      emitter->SetVertexPosition(D3DXVECTOR3(points[3 * i], points[3 * i + 1], points[3 * i + 2]), i);
    system->SetChild(emitter, -1, 0);
    system->SetBirthRate(bench::kParticles / bench::kLifeTime);
    system->SetParticleLifeTime(bench::kLifeTime);
    system->SetVelocity(bench::kVelocity);
    system->SetVelocityRandomize(0);
    system->SetGravity(bench::kGravity);
    system->SetParticleStartSize(bench::kSize);
    system->SetParticleEndSize(bench::kSize);
    Vel_TimeSourceChannel::SetFixedFrameTime(1.0f);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    IDirect3DDevice8* d = device->GetDirect3dDevice();
    d->SetTransform(D3DTS_VIEW, &identity);
    d->SetTransform(D3DTS_WORLD, &identity);
    device->SetProjectionMatrix(identity);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
    // Up to the steady state: every slot alive.
    for (int i = 0; i < 2 * static_cast<int>(bench::kLifeTime); ++i) Frame();
    return system->GetLiveCount() > bench::kParticles / 2 &&
           SUCCEEDED(d->CreateImageSurface(kTarget, kTarget, D3DFMT_A8R8G8B8, &readBack));
  }
  void Shutdown() {
    if (readBack) readBack->Release(), readBack = nullptr;
    if (engine) {
      engine->ext->Release();
      delete engine;
      engine = nullptr;
    }
    if (window) DestroyWindow(window), window = nullptr;
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
  }
  void Frame() {
    IDirect3DDevice8* d = device->GetDirect3dDevice();
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    d->BeginScene();
    engine->ext->IncreaseTreeCount();
    system->CallChannel();
    d->EndScene();
    d->Present(nullptr, nullptr, nullptr, nullptr);
    if (readBack) d->GetFrontBuffer(readBack);
  }
};

void BM_ParticleChannelOnLayer(benchmark::State& state) {
  LayerParticles layer;
  if (!layer.Init()) {
    state.SkipWithError("no engine, device or particle plug-in");
    layer.Shutdown();
    return;
  }
  for (auto _ : state) layer.Frame();
  state.counters["live"] = layer.system->GetLiveCount();
  layer.Shutdown();
}

void BM_PlainCppAndOpenGL(benchmark::State& state) {
  bench::GlParticleRenderer gl;
  if (!gl.Init(EmitterPoints(), kTarget)) {
    state.SkipWithError("no OpenGL 3.3 context");
    gl.Shutdown();
    return;
  }
  gl.Frame(1.0f);
  for (auto _ : state) gl.Frame(1.0f);
  gl.Shutdown();
}

BENCHMARK(BM_ParticleChannelOnLayer)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(5);
BENCHMARK(BM_PlainCppAndOpenGL)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  bench::MedianReporter reporter;
  bench::RunOffScreen(&argc, argv, &reporter);
  const double layer = reporter.Seconds("BM_ParticleChannelOnLayer"), gl = reporter.Seconds("BM_PlainCppAndOpenGL");
  if (layer > 0 && gl > 0)
    std::printf("10,000 particles: %.3f ms through the particle channel, %.3f ms in plain C++ and OpenGL (ratio %.2f)\n",
                layer * 1e3, gl * 1e3, layer / gl);
  benchmark::Shutdown();
  return 0;
}
