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
    pp_ = WindowedParameters(width, height);
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

// A managed texture with a full mip chain whose every level shows the same
// four quadrants: red top left, green top right, blue bottom left, white
// bottom right.
IDirect3DTexture8* MakeQuadrantTexture(IDirect3DDevice8* device) {
  return MakeMipChainTexture(device, 256, 256, [](UINT, UINT x, UINT y, const D3DSURFACE_DESC& d) {
    const D3DCOLOR colors[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    return colors[(x * 2 >= d.Width ? 1 : 0) + (y * 2 >= d.Height ? 2 : 0)];
  });
}

// Presenting into a window may make the window system draw with OpenGL of
// its own; the device's drawing must be unaffected by it, frame after frame.
TEST_F(WindowTest, TexturedFramesKeepSamplingTheirTextureAcrossPresents) {
  ASSERT_TRUE(CreateOnWindow(TRUE, 0, 0));
  IDirect3DTexture8* texture = MakeQuadrantTexture(device_);
  ASSERT_NE(texture, nullptr);
  ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
  device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device_->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
  const int w = static_cast<int>(pp_.BackBufferWidth), h = static_cast<int>(pp_.BackBufferHeight);
  for (int frame = 0; frame < 5; ++frame) {
    SCOPED_TRACE(frame);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203050, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device_->BeginScene(), D3D_OK);
    DrawScreenTexturedQuad(0xFFFFFFFF);
    ASSERT_EQ(device_->EndScene(), D3D_OK);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_NEAR_RGB(WindowPixel(w / 4, h / 4), 255, 0, 0, 2);
    EXPECT_NEAR_RGB(WindowPixel(3 * w / 4, h / 4), 0, 255, 0, 2);
    EXPECT_NEAR_RGB(WindowPixel(w / 4, 3 * h / 4), 0, 0, 255, 2);
    EXPECT_NEAR_RGB(WindowPixel(3 * w / 4, 3 * h / 4), 255, 255, 255, 2);
  }
  device_->SetTexture(0, nullptr);
  texture->Release();
}

// The window, and whatever OpenGL objects the window system keeps for it,
// may go before the device: the device goes on rendering off screen.
TEST_F(WindowTest, DeviceOutlivesItsWindow) {
  ASSERT_TRUE(CreateOnWindow(TRUE, 0, 0));
  IDirect3DTexture8* texture = MakeQuadrantTexture(device_);
  ASSERT_NE(texture, nullptr);
  ASSERT_EQ(device_->SetTexture(0, texture), D3D_OK);
  for (int frame = 0; frame < 2; ++frame) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203050, 1.0f, 0), D3D_OK);
    DrawScreenTexturedQuad(0xFFFFFFFF);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  }
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203050, 1.0f, 0), D3D_OK);
  ASSERT_TRUE(DestroyWindow(window_));
  window_ = nullptr;
  DrawScreenTexturedQuad(0xFFFFFFFF);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  const UINT w = pp_.BackBufferWidth, h = pp_.BackBufferHeight;
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(w, h, D3DFMT_A8R8G8B8, &image), D3D_OK);
  ASSERT_EQ(device_->GetFrontBuffer(image), D3D_OK);
  EXPECT_NEAR_RGB(PixelOf(image, w / 4, h / 4), 255, 0, 0, 2);
  EXPECT_NEAR_RGB(PixelOf(image, 3 * w / 4, 3 * h / 4), 255, 255, 255, 2);
  image->Release();
  device_->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(WindowTest, FullScreenDeviceReportsItsModeAndResetsToWindowed) {
  ASSERT_TRUE(CreateOnWindow(FALSE, 320, 240));
  D3DDISPLAYMODE m;
  ASSERT_EQ(device_->GetDisplayMode(&m), D3D_OK);
  EXPECT_EQ(m.Width, 320u);
  EXPECT_EQ(m.Height, 240u);
  EXPECT_EQ(BackBufferDesc().Width, 320u);
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
