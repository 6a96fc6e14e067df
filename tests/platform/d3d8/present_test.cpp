// Presenting without a window: the front buffer follows each Present, the
// copy swap effect keeps the back buffer, and the frame file holds the last
// presented frame.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "d3d8_fixture.h"
#include "png_file.h"

namespace d3d8test {
namespace {

class PresentTest : public DeviceTest {
 protected:
  void TearDown() override {
    unsetenv("KELVANE_FRAME_PNG");
    DeviceTest::TearDown();
    std::remove(framePath_.c_str());
  }
  // Red over the top half, green under it.
  void DrawHalves() {
    Clear(0xFF00FF00);
    D3DRECT top = {0, 0, static_cast<LONG>(kWidth), static_cast<LONG>(kHeight / 2)};
    ASSERT_EQ(device_->Clear(1, &top, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), D3D_OK);
  }
  std::string framePath_ = testing::TempDir() + "d3d8_frame_" + std::to_string(getpid()) + ".png";
};

TEST_F(PresentTest, FrameFileHoldsTheLastPresentedFrame) {
  setenv("KELVANE_FRAME_PNG", framePath_.c_str(), 1);
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF0000FF);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  DrawHalves();
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  Clear(0xFFFFFFFF);  // drawn, never presented
  // The file is written when the device goes.
  PngImage png;
  EXPECT_FALSE(ReadPngFile(framePath_, &png));
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;
  ASSERT_TRUE(ReadPngFile(framePath_, &png));
  ASSERT_EQ(png.width, kWidth);
  ASSERT_EQ(png.height, kHeight);
  EXPECT_EQ(png.At(5, 5), 0xFFFF0000u);
  EXPECT_EQ(png.At(kWidth - 1, kHeight / 2 - 1), 0xFFFF0000u);
  EXPECT_EQ(png.At(0, kHeight / 2), 0xFF00FF00u);
  EXPECT_EQ(png.At(kWidth - 1, kHeight - 1), 0xFF00FF00u);

  // A device that presents nothing leaves the file as it is; one created
  // without the variable writes none.
  std::remove(framePath_.c_str());
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF0000FF);
  EXPECT_EQ(device_->Release(), 0u);
  unsetenv("KELVANE_FRAME_PNG");
  ASSERT_TRUE(CreateDevice());
  Clear(0xFF0000FF);
  ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;
  EXPECT_FALSE(ReadPngFile(framePath_, &png));
}

TEST_F(PresentTest, CopySwapEffectKeepsTheBackBufferAndTheFrontBufferFollowsPresent) {
  ASSERT_TRUE(d3d_);
  pp_ = WindowedParameters(kWidth, kHeight);
  pp_.SwapEffect = D3DSWAPEFFECT_COPY;
  pp_.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp_, &device_),
            D3D_OK);
  IDirect3DSurface8* image = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(kWidth, kHeight, D3DFMT_A8R8G8B8, &image), D3D_OK);
  // Before any Present the front buffer is black.
  ASSERT_EQ(device_->GetFrontBuffer(image), D3D_OK);
  EXPECT_NEAR_RGB(PixelOf(image, 3, 3), 0, 0, 0, 0);
  for (D3DCOLOR color : {0xFF336699u, 0xFFCC8844u}) {
    SCOPED_TRACE(color);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    const int r = (color >> 16) & 0xFF, g = (color >> 8) & 0xFF, b = color & 0xFF;
    EXPECT_NEAR_RGB(Pixel(40, 50), r, g, b, 0);
    ASSERT_EQ(device_->GetFrontBuffer(image), D3D_OK);
    EXPECT_NEAR_RGB(PixelOf(image, 40, 50), r, g, b, 0);
  }
  image->Release();
}

}  // namespace
}  // namespace d3d8test
