#include "device_fixture.h"

void DeviceTest::SetUp() {
  d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
  ASSERT_NE(nullptr, d3d_) << "no OpenGL 3.3 renderer for the Direct3D layer";
  D3DDISPLAYMODE mode;
  ASSERT_EQ(D3D_OK, d3d_->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
  D3DPRESENT_PARAMETERS pp = {};
  pp.BackBufferWidth = kBackBufferSize;
  pp.BackBufferHeight = kBackBufferSize;
  pp.BackBufferFormat = mode.Format;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D16;
  pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  ASSERT_EQ(D3D_OK, d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device_));
}

void DeviceTest::TearDown() {
  if (device_) {
    EXPECT_EQ(0u, device_->Release()) << "device objects were left alive";
  }
  device_ = nullptr;
  if (d3d_) {
    EXPECT_EQ(0u, d3d_->Release());
  }
  d3d_ = nullptr;
}
