// Presenting into windows of a real X server (a private Xvfb): frames drawn
// into the window's own OpenGL framebuffer and swapped, against frames read
// back and copied into the window, checked on the pixels the server holds.
#include <d3d8/d3d8.h>
#include <d3d8/d3d8debug.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <win32/messages.h>
#include <win32/window.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "png_file.h"
#include "x_window_pixel.h"
#include "xvfb_server.h"

namespace {

// One X server for the test program, started before SDL first looks for a
// display.
class XServerEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    if (!server.Start(1024, 768)) return;
    setenv("DISPLAY", server.display().c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
  }
  void TearDown() override { server.Stop(); }
  XvfbServer server;
};

XServerEnvironment* const g_server =
    static_cast<XServerEnvironment*>(testing::AddGlobalTestEnvironment(new XServerEnvironment));

LRESULT WindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

constexpr int kClientWidth = 96, kClientHeight = 80;
constexpr long kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kBlack = 0;

class WindowPresentTest : public testing::Test {
 protected:
  void SetUp() override {
    if (g_server->server.display().empty()) GTEST_SKIP() << "no Xvfb";
    static bool registered = false;
    if (!registered) {
      WNDCLASSEXA wc = {};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = WindowProc;
      wc.lpszClassName = "D3D8PresentWindow";
      registered = RegisterClassExA(&wc) != 0;
    }
    window_ = CreateWindowExA(0, "D3D8PresentWindow", "present", WS_POPUP | WS_VISIBLE, 0, 0, kClientWidth,
                              kClientHeight, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    ASSERT_NE(d3d_, nullptr);
  }
  void TearDown() override {
    D3D8Debug_ForceReadBackPresent(FALSE);
    unsetenv("KELVANE_FRAME_PNG");
    if (device_) {
      EXPECT_EQ(device_->Release(), 0u);
    }
    if (d3d_) d3d_->Release();
    if (window_) DestroyWindow(window_);
  }

  bool CreateDevice() {
    D3DDISPLAYMODE mode;
    d3d_->GetAdapterDisplayMode(0, &mode);
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferFormat = mode.Format;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = TRUE;
    pp.hDeviceWindow = window_;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device_),
              D3D_OK);
    return device_ != nullptr;
  }

  // Red over the top half of the back buffer, green under it.
  void DrawHalves() {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0), D3D_OK);
    const D3DRECT top = {0, 0, kClientWidth, kClientHeight / 2};
    ASSERT_EQ(device_->Clear(1, &top, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
  }

  // A pixel as the X server holds it.
  long WindowPixel(int x, int y) { return d3d8test::XWindowPixel(Win32_GetSDLWindow(window_), x, y); }

  // Presents the halves whole, then blue through a 32 x 32 rectangle placed
  // at (10, 20); gives the pixel at (60, 60), outside that rectangle.
  long PresentWholeThenPlaced() {
    DrawHalves();
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(WindowPixel(5, 5), kRed);
    EXPECT_EQ(WindowPixel(kClientWidth - 1, kClientHeight / 2 - 1), kRed);
    EXPECT_EQ(WindowPixel(0, kClientHeight / 2), kGreen);
    EXPECT_EQ(WindowPixel(kClientWidth - 1, kClientHeight - 1), kGreen);
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
    const RECT src = {0, 0, 32, 32}, dst = {10, 20, 42, 52};
    EXPECT_EQ(device_->Present(&src, &dst, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(WindowPixel(10, 20), kBlue);
    EXPECT_EQ(WindowPixel(41, 51), kBlue);
    return WindowPixel(60, 60);
  }

  HWND window_ = nullptr;
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

TEST_F(WindowPresentTest, SwappedFramesReachTheWindowRightSideUp) {
  ASSERT_TRUE(CreateDevice());
  // Drawn into the window's own buffer, whose earlier content is gone after
  // a swap: outside the placed rectangle the window is black.
  EXPECT_EQ(PresentWholeThenPlaced(), kBlack);
}

TEST_F(WindowPresentTest, ReadBackFramesReachTheWindowRightSideUp) {
  D3D8Debug_ForceReadBackPresent(TRUE);
  ASSERT_TRUE(CreateDevice());
  // Copied into the window's image, which keeps the earlier frame outside
  // the placed rectangle.
  EXPECT_EQ(PresentWholeThenPlaced(), kGreen);
}

// The front buffer and the frame file follow swapped frames, also once the
// window (and the buffers the window system kept for it) is gone and the
// device goes on presenting off screen.
TEST_F(WindowPresentTest, FrontBufferAndFrameFileFollowFramesAlsoAfterTheWindowIsGone) {
  const std::string path = testing::TempDir() + "d3d8_window_frame_" + std::to_string(getpid()) + ".png";
  setenv("KELVANE_FRAME_PNG", path.c_str(), 1);
  ASSERT_TRUE(CreateDevice());
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(kClientWidth, kClientHeight, D3DFMT_A8R8G8B8, &image), D3D_OK);
  auto front = [&](int x, int y) {
    D3DLOCKED_RECT lr;
    EXPECT_EQ(device_->GetFrontBuffer(image), D3D_OK);
    EXPECT_EQ(image->LockRect(&lr, nullptr, D3DLOCK_READONLY), D3D_OK);
    const D3DCOLOR c = *reinterpret_cast<const D3DCOLOR*>(static_cast<const BYTE*>(lr.pBits) + y * lr.Pitch + x * 4);
    image->UnlockRect();
    return c;
  };
  DrawHalves();
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(front(5, 5), 0xFFFF0000u);
  EXPECT_EQ(front(5, kClientHeight - 5), 0xFF00FF00u);
  ASSERT_TRUE(DestroyWindow(window_));
  window_ = nullptr;
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), D3D_OK);
  const D3DRECT corner = {0, 0, 8, 8};
  ASSERT_EQ(device_->Clear(1, &corner, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(front(20, 20), 0xFF0000FFu);
  image->Release();
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;
  d3d8test::PngImage png;
  ASSERT_TRUE(d3d8test::ReadPngFile(path, &png));
  EXPECT_EQ(png.width, static_cast<unsigned>(kClientWidth));
  EXPECT_EQ(png.At(2, 2), 0xFFFF0000u);
  EXPECT_EQ(png.At(20, 20), 0xFF0000FFu);
  std::remove(path.c_str());
}

}  // namespace
