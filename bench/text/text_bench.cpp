// Text drawing: 1,000 characters a frame (20 lines of 50) through the text
// output's font texture on the Direct3D 8 layer, and the same glyph quads
// written directly against OpenGL, in one run; each frame ends by reading the
// image back. The closing line gives the time per 1,000 characters of each
// and their ratio.
#include <benchmark/benchmark.h>

#include <d3d8/d3d8.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gl_text_reference.h"
#include "layer_device.h"
#include "median_reporter.h"
#include "textout/font_texture.h"

namespace {

constexpr int kTarget = 512;
constexpr int kPointSize = 12;

// 20 lines of 50 printable characters.
std::string Thousand() {
  std::string text;
  for (int line = 0; line < 20; ++line) {
    for (int i = 0; i < 50; ++i) text += static_cast<char>(33 + (line * 50 + i) % 94);
    text += '\n';
  }
  return text;
}

struct LayerText {
  IDirect3D8* d3d = nullptr;
  IDirect3DDevice8* device = nullptr;
  IDirect3DSurface8* readBack = nullptr;
  FontTexture* font = nullptr;

  bool Init() {
    d3d = Direct3DCreate8(D3D_SDK_VERSION);
    if (!d3d) return false;
    if (FAILED(bench::CreateLayerDevice(d3d, kTarget, kTarget, nullptr, false, &device))) return false;
    font = new FontTexture("Arial", kPointSize, 0);
    if (FAILED(font->InitDeviceObjects(device)) || FAILED(font->RestoreDeviceObjects())) return false;
    return SUCCEEDED(device->CreateImageSurface(kTarget, kTarget, D3DFMT_A8R8G8B8, &readBack));
  }
  void Shutdown() {
    delete font;
    font = nullptr;
    if (device) device->SetStreamSource(0, nullptr, 0), device->SetTexture(0, nullptr);
    if (readBack) readBack->Release(), readBack = nullptr;
    if (device) device->Release(), device = nullptr;
    if (d3d) d3d->Release(), d3d = nullptr;
  }
  void Frame(const char* text) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    font->DrawText(4, 4, 0xFFFFFFFF, text, 0);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    device->GetFrontBuffer(readBack);
  }
};

// The glyph table and atlas of the font the layer draws with, for the
// OpenGL side.
bench::GlyphTable Glyphs() {
  bench::GlyphTable table{};
  LayerText layer;
  if (layer.Init()) {
    for (int c = 32; c < 128; ++c)
      for (int k = 0; k < 4; ++k) table.box[c - 32][k] = layer.font->GetGlyph(c)[k];
    table.atlasSize = layer.font->GetTextureWidth();
    table.atlas.resize(static_cast<size_t>(table.atlasSize) * table.atlasSize);
    D3DLOCKED_RECT rect;
    if (SUCCEEDED(layer.font->GetAtlas()->LockRect(0, &rect, nullptr, D3DLOCK_READONLY))) {
      for (unsigned y = 0; y < table.atlasSize; ++y)
        std::memcpy(&table.atlas[y * table.atlasSize], static_cast<const char*>(rect.pBits) + y * rect.Pitch,
                    table.atlasSize * 2);
      layer.font->GetAtlas()->UnlockRect(0);
    }
  }
  layer.Shutdown();
  return table;
}

void BM_FontTextureOnLayer(benchmark::State& state) {
  const std::string text = Thousand();
  LayerText layer;
  if (!layer.Init()) {
    state.SkipWithError("no Direct3D 8 device or font");
    layer.Shutdown();
    return;
  }
  layer.Frame(text.c_str());  // compiles the programs once
  for (auto _ : state) layer.Frame(text.c_str());
  state.counters["chars/s"] = benchmark::Counter(1000.0 * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
  layer.Shutdown();
}

void BM_PlainOpenGL(benchmark::State& state) {
  const std::string text = Thousand();
  bench::GlTextRenderer gl;
  const bench::GlyphTable glyphs = Glyphs();
  if (glyphs.atlasSize == 0 || !gl.Init(glyphs, kTarget)) {
    state.SkipWithError("no OpenGL 3.3 context");
    gl.Shutdown();
    return;
  }
  gl.Frame(text.c_str(), 4, 4);
  for (auto _ : state) gl.Frame(text.c_str(), 4, 4);
  state.counters["chars/s"] = benchmark::Counter(1000.0 * static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
  gl.Shutdown();
}

BENCHMARK(BM_FontTextureOnLayer)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(5);
BENCHMARK(BM_PlainOpenGL)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  bench::MedianReporter reporter;
  bench::RunOffScreen(&argc, argv, &reporter);
  const double layer = reporter.Seconds("BM_FontTextureOnLayer"), gl = reporter.Seconds("BM_PlainOpenGL");
  if (layer > 0 && gl > 0)
    std::printf("1,000 characters: %.3f ms through the font texture, %.3f ms in plain OpenGL (ratio %.2f)\n",
                layer * 1e3, gl * 1e3, layer / gl);
  benchmark::Shutdown();
  return 0;
}
