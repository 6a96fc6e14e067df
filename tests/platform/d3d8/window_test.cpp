// Devices on windows of the platform's windowing layer: the back buffer takes
// the client size, Present copies the frame into the window (placed by the
// destination rectangle), and full-screen mode sizes the window.
#include <SDL.h>
#include <win32/messages.h>
#include <win32/window.h>

#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

LRESULT TestWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

class WindowTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    static bool registered = false;
    if (!registered) {
      WNDCLASSEXA wc = {};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = TestWindowProc;
      wc.lpszClassName = "D3D8TestWindow";
      registered = RegisterClassExA(&wc) != 0;
    }
    window_ = CreateWindowExA(0, "D3D8TestWindow", "test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 96, 80, nullptr,
                              nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DeviceTest::TearDown();
    if (window_) DestroyWindow(window_);
  }
  bool CreateOnWindow(BOOL windowed, UINT width, UINT height) {
    if (!window_ || !Win32_GetSDLWindow(window_)) {
      ADD_FAILURE() << "no window";
      return false;
    }
    d3d_->GetAdapterDisplayMode(0, &mode_);
    pp_ = {};
    pp_.BackBufferWidth = width;
    pp_.BackBufferHeight = height;
    pp_.BackBufferFormat = mode_.Format;
    pp_.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp_.hDeviceWindow = window_;
    pp_.Windowed = windowed;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, window_, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp_, &device_),
              D3D_OK);
    return device_ != nullptr;
  }
  // A pixel of the window's own image.
  Rgba WindowPixel(int x, int y) {
    SDL_Surface* s = SDL_GetWindowSurface(Win32_GetSDLWindow(window_));
    if (!s) return {-1, -1, -1, -1};
    Uint32 v = 0;
    SDL_LockSurface(s);
    std::memcpy(&v, static_cast<Uint8*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel,
                s->format->BytesPerPixel);
    SDL_UnlockSurface(s);
    Uint8 r, g, b, a;
    SDL_GetRGBA(v, s->format, &r, &g, &b, &a);
    return {r, g, b, a};
  }
  HWND window_ = nullptr;
};

TEST_F(WindowTest, WindowedBackBufferTakesTheClientSize) {
  ASSERT_TRUE(CreateOnWindow(TRUE, 0, 0));
  EXPECT_EQ(pp_.BackBufferWidth, 96u);
  EXPECT_EQ(pp_.BackBufferHeight, 80u);
}

TEST_F(WindowTest, PresentCopiesTheFrameIntoTheWindow) {
  ASSERT_TRUE(CreateOnWindow(TRUE, 0, 0));
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF30A050, 1.0f, 0), D3D_OK);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_NEAR_RGB(WindowPixel(5, 5), 0x30, 0xA0, 0x50, 0);
  EXPECT_NEAR_RGB(WindowPixel(95, 79), 0x30, 0xA0, 0x50, 0);
  // A destination rectangle places a smaller image inside the window.
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
  RECT src = {0, 0, 32, 32};
  RECT dst = {10, 20, 42, 52};
  ASSERT_EQ(device_->Present(&src, &dst, nullptr, nullptr), D3D_OK);
  EXPECT_NEAR_RGB(WindowPixel(10, 20), 255, 0, 0, 0);
  EXPECT_NEAR_RGB(WindowPixel(41, 51), 255, 0, 0, 0);
  EXPECT_NEAR_RGB(WindowPixel(5, 5), 0x30, 0xA0, 0x50, 0);
  EXPECT_NEAR_RGB(WindowPixel(60, 60), 0x30, 0xA0, 0x50, 0);
}

TEST_F(WindowTest, FullScreenDeviceReportsItsModeAndResetsToWindowed) {
  ASSERT_TRUE(CreateOnWindow(FALSE, 320, 240));
  D3DDISPLAYMODE m;
  ASSERT_EQ(device_->GetDisplayMode(&m), D3D_OK);
  EXPECT_EQ(m.Width, 320u);
  EXPECT_EQ(m.Height, 240u);
  IDirect3DSurface8* bb = nullptr;
  device_->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &bb);
  D3DSURFACE_DESC d;
  bb->GetDesc(&d);
  EXPECT_EQ(d.Width, 320u);
  bb->Release();
  D3DPRESENT_PARAMETERS pp = pp_;
  pp.Windowed = TRUE;
  pp.BackBufferWidth = 64;
  pp.BackBufferHeight = 48;
  ASSERT_EQ(device_->Reset(&pp), D3D_OK);
  ASSERT_EQ(device_->GetDisplayMode(&m), D3D_OK);
  EXPECT_EQ(m.Format, mode_.Format);
}

}  // namespace
}  // namespace d3d8test
