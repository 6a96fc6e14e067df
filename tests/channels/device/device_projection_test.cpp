// The device channel's projection, frustum culling and conversions between
// 3D space and pixels.
#include "channel_harness.h"

namespace vel_test {
namespace {

class DeviceProjectionTest : public ChannelHarness {
 protected:
  void SetUp() override {
    ChannelHarness::SetUp();
    device = Device();
    ASSERT_NE(device, nullptr);
    ASSERT_NE(device->GetDirect3dDevice(), nullptr);
  }
  bool Visible(D3DXVECTOR3 min, D3DXVECTOR3 max) { return device->CheckAABBVisible(min, max); }

  Vel_DX8_DirectGraphicsChannel* device = nullptr;
};

TEST_F(DeviceProjectionTest, ProjectionFollowsNearFarAndZoom) {
  // A new device has the default projection.
  D3DXMATRIX p = device->GetProjectionMatrix();
  EXPECT_FLOAT_EQ(p._11, 1.8567229f);
  EXPECT_FLOAT_EQ(p._22, 2.4829299f);
  EXPECT_FLOAT_EQ(p._33, 1.0001f);
  EXPECT_FLOAT_EQ(p._34, 1.0f);
  EXPECT_FLOAT_EQ(p._43, -0.40004f);
  EXPECT_FLOAT_EQ(p._31, 0.0f);
  EXPECT_FLOAT_EQ(p._44, 0.0f);
  EXPECT_FLOAT_EQ(device->GetCurrentZoomFactor(), 1.0f);

  device->SetProjectionMatrix(0.4f, 4000.0f, 2.0f, 4.0f);
  EXPECT_FLOAT_EQ(device->GetCurrentZoomFactor(), 0.25f);
  EXPECT_FLOAT_EQ(device->GetProjectionInformation().zoom, 4.0f);
  EXPECT_FLOAT_EQ(device->GetProjectionMatrix()._11, 1.8567229f * 4.0f);

  // A zoom of 0 gives no matrix: the projection in force stays, once reported.
  messages.Clear();
  for (int i = 0; i < 3; ++i) device->SetProjectionMatrix(0.4f, 4000.0f, 2.0f, 0.0f);
  EXPECT_FLOAT_EQ(device->GetProjectionMatrix()._11, 1.8567229f * 4.0f);
  EXPECT_FLOAT_EQ(device->GetProjectionInformation().zoom, 4.0f);
  EXPECT_EQ(messages.Count("Cound't set projection"), 1);
  device->SetProjectionMatrix(0.4f, 10.0f, 2.0f, 1.0f);
  ProjectionInfo info = device->GetProjectionInformation();
  EXPECT_FLOAT_EQ(info.nearPlane, 0.4f);
  EXPECT_FLOAT_EQ(info.farPlane, 10.0f);
  EXPECT_FLOAT_EQ(info.scale, 2.0f);
  EXPECT_FLOAT_EQ(info.zoom, 1.0f);
}

TEST_F(DeviceProjectionTest, BoxesOutsideTheFrustumAreCulled) {
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  device->GetDirect3dDevice()->SetTransform(D3DTS_VIEW, &identity);
  device->SetProjectionMatrix(0.4f, 4000.0f, 2.0f, 1.0f);
  EXPECT_TRUE(Visible({-1, -1, -1}, {1, 1, 1}));
  EXPECT_TRUE(Visible({-1, -1, 10}, {1, 1, 12}));
  EXPECT_FALSE(Visible({-1, -1, 4001}, {1, 1, 4002}));   // beyond the far plane
  EXPECT_FALSE(Visible({-1, -1, -12}, {1, 1, -10}));     // behind the camera
  EXPECT_FALSE(Visible({100, -1, 10}, {102, 1, 12}));    // right of the view
  EXPECT_FALSE(Visible({-102, -1, 10}, {-100, 1, 12}));  // left of it
  EXPECT_TRUE(Visible({-1, -1, 3990}, {1, 1, 4010}));    // across the far plane

  // The planes follow the view: the camera moved 100 to the right sees it.
  D3DXMATRIX view;
  D3DXMatrixTranslation(&view, -100, 0, 0);
  device->GetDirect3dDevice()->SetTransform(D3DTS_VIEW, &view);
  device->CalcFrustumPlanes();
  EXPECT_TRUE(Visible({100, -1, 10}, {102, 1, 12}));
  EXPECT_FALSE(Visible({-1, -1, 10}, {1, 1, 12}));
}

TEST_F(DeviceProjectionTest, ScreenPositionsAndBack) {
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  device->SetBackBufferSize(640, 480);
  IDirect3DDevice8* d = device->GetDirect3dDevice();
  d->SetTransform(D3DTS_WORLD, &identity);
  d->SetTransform(D3DTS_VIEW, &identity);
  d->SetTransform(D3DTS_PROJECTION, &identity);
  device->SetViewPort(D3DVIEWPORT8{0, 0, 640, 480, 0.0f, 1.0f});
  device->SetDestinationCoords(10, 20);
  EXPECT_EQ(device->GetDestinationCoords().x, 10);
  D3DXVECTOR3 screen = device->GetScreenPresentCoordsFromVector({0, 0, 0.5f});
  EXPECT_FLOAT_EQ(screen.x, 330.0f);
  EXPECT_FLOAT_EQ(screen.y, 260.0f);
  EXPECT_FLOAT_EQ(screen.z, 0.5f);
  D3DXVECTOR3 back = device->TransformPositionTo3DSpace({330, 260, 0.5f});
  EXPECT_NEAR(back.x, 0.0f, 1e-5f);
  EXPECT_NEAR(back.y, 0.0f, 1e-5f);
  EXPECT_NEAR(back.z, 0.5f, 1e-5f);
  RECT rect = device->GetViewPortRect();
  EXPECT_EQ(rect.right, 640);
  EXPECT_EQ(rect.bottom, 480);

  // Through the default projection and a moved camera, and back again.
  device->SetViewPort(D3DVIEWPORT8{16, 8, 320, 240, 0.0f, 1.0f});
  device->SetProjectionMatrix(0.4f, 4000.0f, 2.0f, 1.0f);
  D3DXMATRIX view;
  D3DXMatrixTranslation(&view, 1, -2, 3);
  d->SetTransform(D3DTS_VIEW, &view);
  D3DXVECTOR3 point(0.5f, 0.25f, 7.0f);
  D3DXVECTOR3 there = device->GetScreenPresentCoordsFromVector(point);
  D3DXVECTOR3 again = device->TransformPositionTo3DSpace(there);
  EXPECT_NEAR(again.x, point.x, 1e-3f);
  EXPECT_NEAR(again.y, point.y, 1e-3f);
  EXPECT_NEAR(again.z, point.z, 1e-2f);

  // A viewport whose depth range is one value: every depth in it is MinZ,
  // the near plane. With the camera back at the origin the centre pixel
  // lies on the axis at the near plane's 0.4, and a pixel a quarter of the
  // width right of the centre at NDC x 0.5, i.e. x = 0.5 * 0.4 / _11.
  d->SetTransform(D3DTS_VIEW, &identity);
  device->SetViewPort(D3DVIEWPORT8{0, 0, 640, 480, 0.0f, 0.0f});
  for (float depth : {0.0f, 0.5f}) {
    D3DXVECTOR3 centre = device->TransformPositionTo3DSpace({330, 260, depth});
    EXPECT_NEAR(centre.x, 0.0f, 1e-5f);
    EXPECT_NEAR(centre.y, 0.0f, 1e-5f);
    EXPECT_NEAR(centre.z, 0.4f, 1e-4f);
  }
  D3DXVECTOR3 right = device->TransformPositionTo3DSpace({10 + 480, 260, 0});
  EXPECT_NEAR(right.x, 0.5f * 0.4f / 1.8567229f, 1e-5f);
  EXPECT_NEAR(right.y, 0.0f, 1e-5f);
}

}  // namespace
}  // namespace vel_test
