#include "channel_harness.h"

#include "file_loader.h"
#include "saved_record.h"
#include "win32/window.h"

#include <d3dx8/d3dx8math.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace fs = std::filesystem;

namespace vel_test {

namespace {

constexpr const char* kWindowClass = "KelvaneChannelTest";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterWindowClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXA c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = WindowProc;
  c.hInstance = GetModuleHandleA(nullptr);
  c.lpszClassName = kWindowClass;
  RegisterClassExA(&c);
  registered = true;
}

HWND MakeWindow(const char* title, int width, int height) {
  RegisterWindowClass();
  HWND w = CreateWindowExA(0, kWindowClass, title, WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  if (w) ShowWindow(w, SW_SHOW);
  return w;
}

// The installation the engine runs on: links to everything in the build's
// tree, with "channels" and "3rd" as real directories of links, so the
// engine's own files (channel.lst, error.log) stay in the scratch directory
// while every library is the build's file (one inode: a plug-in the test
// program links is the one the engine loads).
void LinkInstallation(const fs::path& dist, const fs::path& install) {
  fs::create_directories(install);
  for (const auto& entry : fs::directory_iterator(dist)) {
    const std::string name = entry.path().filename().string();
    if (name == "channels" || name == "3rd") {
      fs::create_directories(install / name);
      for (const auto& file : fs::directory_iterator(entry.path()))
        fs::create_symlink(file.path(), install / name / file.path().filename());
    } else if (name != "channel.lst" && name != "error.log") {
      fs::create_symlink(entry.path(), install / name);
    }
  }
}

}  // namespace

Rgba Image::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1, -1};
  const uint32_t p = argb[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  return {static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF),
          static_cast<int>(p >> 24)};
}

int Byte(float value) {
  value = value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
  return static_cast<int>(std::lround(value * 255.0f));
}

void ChannelHarness::SetUp() {
  const char* dist = std::getenv("KELVANE_DIST");
  ASSERT_NE(dist, nullptr) << "KELVANE_DIST names the build's installation tree";
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  char pattern[] = "/tmp/kelvane-channels-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  root = pattern;
  install = root / "install";
  LinkInstallation(dist, install);
  setenv("KELVANE_REGISTRY", (root / "registry").c_str(), 1);

  window = MakeWindow("Kelvane channel test", kWidth, kHeight);
  ASSERT_NE(window, nullptr) << "no window: the video system is not available";

  engine = new EngineInterface;
  engine->ext->SetInstallDir(install.c_str());
  engine->ext->SetKelvaneRegKey("Software\\KelvaneChannelTest");
  ASSERT_TRUE(engine->ext->InitEngine(GetModuleHandleA(nullptr), kWindowClass));
  engine->ext->SetWindowHandle(window);
  group = engine->CreateNewGroup("Test", false, 0);
  ASSERT_NE(group, nullptr);
  engine->ext->SetStartGroup(group->GetGroupIndex());
}

void ChannelHarness::TearDown() {
  if (engine) {
    engine->ext->Release();
    delete engine;
    engine = nullptr;
  }
  if (otherWindow) DestroyWindow(otherWindow);
  if (window) DestroyWindow(window);
  otherWindow = window = nullptr;
  std::error_code ignored;
  if (!root.empty()) fs::remove_all(root, ignored);
}

Orn_Channel* ChannelHarness::Create(const GUID& type, bool withChildren) {
  return engine->InitChannelFromType(type, group, withChildren);
}

bool ChannelHarness::Link(Orn_Channel* parent, Orn_Channel* child, int slot, int position) {
  if (!parent || !child) return false;
  return parent->SetChild(child, position, slot) >= 0;
}

void ChannelHarness::Destroy(Orn_Channel* channel) {
  if (channel) group->RemoveChannel(channel);
}

Vel_DX8_DirectGraphicsChannel* ChannelHarness::Device() { return vel::DeviceChannel(engine); }

IDirect3DDevice8* ChannelHarness::D3DDevice() {
  Vel_DX8_DirectGraphicsChannel* device = Device();
  return device ? device->GetDirect3dDevice() : nullptr;
}

void ChannelHarness::Frame(Orn_Channel* start) {
  if (start) group->SetStartChannel(start->GetChannelIDIndexNr());
  engine->ext->IncreaseTreeCount();
  group->CallStartChannel();
}

void ChannelHarness::RunFrames(Orn_Channel* start, int n) {
  for (int i = 0; i < n; ++i) Frame(start);
}

std::vector<char> ChannelHarness::SaveRecord(Orn_Channel* channel) { return ::SaveRecord(engine, channel); }

Orn_Channel* ChannelHarness::LoadRecord(const GUID& type, std::vector<char> record, bool* loaded) {
  Orn_Channel* channel = Create(type);
  if (!channel) return nullptr;
  OrnFileLoader loader(engine);
  loader.SetBuffer(record.data(), static_cast<int>(record.size()), true);
  bool ok = channel->LoadChannel(loader, group);
  if (loaded) *loaded = ok;
  return channel;
}

void ChannelHarness::ExpectCutRecordsHandled(const GUID& type, const std::vector<char>& record) {
  // Where the record's chunks begin: tag, 32-bit size, block.
  std::vector<size_t> starts;
  for (size_t at = 0; at + 8 <= record.size();) {
    starts.push_back(at);
    uint32_t size;
    std::memcpy(&size, record.data() + at + 4, 4);
    at += 8 + size;
  }
  for (size_t size = 0; size < record.size(); ++size) {
    messages.Clear();
    bool loaded = false;
    LoadRecord(type, std::vector<char>(record.begin(), record.begin() + static_cast<ptrdiff_t>(size)), &loaded);
    // A cut inside a tag leaves a chunk that is simply not there; a cut after
    // a whole tag leaves a damaged chunk.
    size_t start = 0;
    for (size_t s : starts)
      if (s <= size) start = s;
    const bool damaged = size - start >= 4;
    if (!loaded || damaged) {
      EXPECT_FALSE(messages.messages.empty()) << "record cut to " << size << " of " << record.size() << " bytes";
    }
  }
}

void ChannelHarness::FlatView() {
  Vel_DX8_DirectGraphicsChannel* device = Device();
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  D3DDevice()->SetTransform(D3DTS_VIEW, &identity);
  D3DDevice()->SetTransform(D3DTS_WORLD, &identity);
  device->SetProjectionMatrix(identity);
  device->CalcFrustumPlanes();
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
}

Rgba ChannelHarness::At(const Image& image, float x, float y) {
  return image.At(static_cast<int>((x + 1.0f) * 0.5f * kWidth), static_cast<int>((1.0f - y) * 0.5f * kHeight));
}

Image ChannelHarness::PresentAndCapture() {
  IDirect3DDevice8* device = D3DDevice();
  if (!device) return {};
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  return Capture();
}

Image ChannelHarness::Capture() {
  Image image;
  IDirect3DDevice8* device = D3DDevice();
  if (!device) return image;
  IDirect3DSurface8* back = nullptr;
  if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || !back) return image;
  D3DSURFACE_DESC desc{};
  back->GetDesc(&desc);
  back->Release();
  IDirect3DSurface8* copy = nullptr;
  if (FAILED(device->CreateImageSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8, &copy)) || !copy) return image;
  D3DLOCKED_RECT locked;
  if (SUCCEEDED(device->GetFrontBuffer(copy)) && SUCCEEDED(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    image.width = static_cast<int>(desc.Width);
    image.height = static_cast<int>(desc.Height);
    image.argb.resize(static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y)
      std::memcpy(&image.argb[static_cast<size_t>(y) * static_cast<size_t>(image.width)],
                  static_cast<const char*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch,
                  static_cast<size_t>(image.width) * 4);
    copy->UnlockRect();
  }
  copy->Release();
  return image;
}

HWND ChannelHarness::MakeOtherWindowActive() {
  if (!otherWindow) otherWindow = MakeWindow("Kelvane other window", 16, 16);
  ShowWindow(otherWindow, SW_SHOW);
  return otherWindow;
}

void ChannelHarness::ActivateEngineWindow() { ShowWindow(window, SW_SHOW); }

}  // namespace vel_test
