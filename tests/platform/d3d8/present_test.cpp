// Presenting without a window: the frame file holds the last presented
// frame, and the copy swap effect keeps the back buffer.
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

// Presenting may exchange the back buffer with the front one, except when
// the copy swap effect promises that the back buffer keeps its image.
TEST_F(PresentTest, CopySwapEffectKeepsTheBackBuffer) {
  ASSERT_TRUE(d3d_);
  pp_ = WindowedParameters(kWidth, kHeight);
  pp_.SwapEffect = D3DSWAPEFFECT_COPY;
  pp_.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp_, &device_),
            D3D_OK);
  for (D3DCOLOR color : {0xFF336699u, 0xFFCC8844u}) {
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_NEAR_RGB(Pixel(40, 50), static_cast<int>((color >> 16) & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                    static_cast<int>(color & 0xFF), 0);
  }
}

}  // namespace
}  // namespace d3d8test
