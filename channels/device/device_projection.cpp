// The device channel's camera-side geometry: the projection, the frustum
// planes and the box test, the transforms and the viewport, and conversions
// between 3D space and pixel positions.
#include "device/vel_dx8_direct_graphics_channel.h"

#include "engine_interface.h"
#include "vel_project_values.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace {

// Half extents of the view window at zoom 1.
constexpr float kHalfWidth = 0.21543333f;
constexpr float kHalfHeight = 0.1611f;

// The device's transform, the identity without a device.
D3DXMATRIX Transform(IDirect3DDevice8* device, D3DTRANSFORMSTATETYPE which) {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  if (device) device->GetTransform(which, &m);
  return m;
}

LONG SaturatedSum(DWORD a, DWORD b) {
  unsigned long long sum = static_cast<unsigned long long>(a) + b;
  return sum > static_cast<unsigned long long>(INT32_MAX) ? INT32_MAX : static_cast<LONG>(sum);
}

}  // namespace

void Vel_DX8_DirectGraphicsChannel::SetProjectionMatrix(float nearPlane, float farPlane, float scale, float zoom) {
  if (!device_) return;
  const float factor = zoom == 0.0f ? 0.0f : 1.0f / zoom;
  const float w = kHalfWidth * factor;
  const float h = kHalfHeight * factor;
  D3DXMATRIX m;
  std::memset(&m, 0, sizeof m);
  m._11 = nearPlane * scale / (2.0f * w);
  m._22 = nearPlane * scale / (2.0f * h);
  m._33 = farPlane / (farPlane - nearPlane);
  m._34 = 1.0f;
  m._43 = -m._33 * nearPlane;

  // A zoom of 0 or a far plane on the near plane gives no usable matrix: the
  // projection in force stays, and the fault is reported once.
  if (!vel::AllFinite(m)) {
    if (!projectionRefused_ && engine) {
      engine->errorFunctor("Cound't set projection");
      engine->errorFunctor("Vel_DX8_DirectGraphicsChannel::SetProjectionMatrix: No finite projection for zoom",
                           zoom);
    }
    projectionRefused_ = true;
    return;
  }
  projectionRefused_ = false;
  if (FAILED(device_->SetTransform(D3DTS_PROJECTION, &m)) && engine) engine->errorFunctor("Cound't set projection");
  CalcFrustumPlanes();
  zoomFactor_ = factor;
  projectionInfo_ = {nearPlane, farPlane, scale, zoom};
}

void Vel_DX8_DirectGraphicsChannel::SetProjectionMatrix(D3DXMATRIX& matrix) {
  if (!device_) return;
  if (!vel::AllFinite(matrix)) {
    if (!projectionRefused_ && engine) engine->errorFunctor("Cound't set projection2");
    projectionRefused_ = true;
    return;
  }
  projectionRefused_ = false;
  if (FAILED(device_->SetTransform(D3DTS_PROJECTION, &matrix)) && engine) engine->errorFunctor("Cound't set projection2");
}

float Vel_DX8_DirectGraphicsChannel::GetCurrentZoomFactor() { return zoomFactor_; }
ProjectionInfo Vel_DX8_DirectGraphicsChannel::GetProjectionInformation() { return projectionInfo_; }

D3DXMATRIX Vel_DX8_DirectGraphicsChannel::GetProjectionMatrix() { return Transform(device_, D3DTS_PROJECTION); }
D3DXMATRIX Vel_DX8_DirectGraphicsChannel::GetCameraMatrix() { return Transform(device_, D3DTS_VIEW); }
D3DXMATRIX Vel_DX8_DirectGraphicsChannel::GetWorldMatrix() { return Transform(device_, D3DTS_WORLD); }

void Vel_DX8_DirectGraphicsChannel::CalcFrustumPlanes() {
  D3DXMATRIX view = GetCameraMatrix();
  D3DXMATRIX projection = GetProjectionMatrix();
  D3DXMATRIX m;
  D3DXMatrixMultiply(&m, &view, &projection);
  // Column j of m as a plane; plane k compares clip coordinate k/2 with w.
  auto column = [&m](int j) { return D3DXPLANE(m.m[0][j], m.m[1][j], m.m[2][j], m.m[3][j]); };
  const D3DXPLANE w = column(3);
  for (int axis = 0; axis < 3; ++axis) {
    const D3DXPLANE c = column(axis);
    frustumPlanes_[2 * axis] = D3DXPLANE(c.a - w.a, c.b - w.b, c.c - w.c, c.d - w.d);
    frustumPlanes_[2 * axis + 1] = D3DXPLANE(-c.a - w.a, -c.b - w.b, -c.c - w.c, -c.d - w.d);
  }
}

bool Vel_DX8_DirectGraphicsChannel::CheckAABBVisible(D3DXVECTOR3& boxMin, D3DXVECTOR3& boxMax) {
  for (const D3DXPLANE& p : frustumPlanes_) {
    // The corner furthest inside along the plane's normal.
    const float x = p.a >= 0.0f ? boxMin.x : boxMax.x;
    const float y = p.b >= 0.0f ? boxMin.y : boxMax.y;
    const float z = p.c >= 0.0f ? boxMin.z : boxMax.z;
    if (p.a * x + p.b * y + p.c * z + p.d > 0.0f) return false;
  }
  return true;
}

D3DVIEWPORT8 Vel_DX8_DirectGraphicsChannel::GetViewPort() {
  D3DVIEWPORT8 viewport{};
  if (device_) device_->GetViewport(&viewport);
  return viewport;
}

void Vel_DX8_DirectGraphicsChannel::SetViewPort(D3DVIEWPORT8 viewport) {
  if (device_) device_->SetViewport(&viewport);
}

RECT Vel_DX8_DirectGraphicsChannel::GetViewPortRect() {
  RECT rect{0, 0, 0, 0};
  if (!device_) return rect;
  D3DVIEWPORT8 v = GetViewPort();
  rect.left = SaturatedSum(v.X, 0);
  rect.top = SaturatedSum(v.Y, 0);
  rect.right = SaturatedSum(v.X, v.Width);
  rect.bottom = SaturatedSum(v.Y, v.Height);
  return rect;
}

void Vel_DX8_DirectGraphicsChannel::GetViewPortScalingMatrix(D3DXMATRIX& matrix) {
  if (!device_) return;
  D3DVIEWPORT8 v = GetViewPort();
  const float width = static_cast<float>(v.Width), height = static_cast<float>(v.Height);
  std::memset(&matrix, 0, sizeof matrix);
  matrix._11 = width / 2.0f;
  matrix._22 = -height / 2.0f;
  matrix._33 = v.MaxZ - v.MinZ;
  matrix._41 = static_cast<float>(v.X) + width / 2.0f;
  matrix._42 = static_cast<float>(v.Y) + height / 2.0f;
  matrix._43 = v.MinZ;
  matrix._44 = 1.0f;
}

D3DXVECTOR3 Vel_DX8_DirectGraphicsChannel::GetScreenCoordsFromVector(D3DXVECTOR3 position) {
  if (!device_) return position;
  D3DXMATRIX steps[4] = {GetWorldMatrix(), GetCameraMatrix(), GetProjectionMatrix(), {}};
  GetViewPortScalingMatrix(steps[3]);
  for (const D3DXMATRIX& m : steps) D3DXVec3TransformCoord(&position, &position, &m);
  return position;
}

D3DXVECTOR3 Vel_DX8_DirectGraphicsChannel::GetScreenPresentCoordsFromVector(D3DXVECTOR3 position) {
  D3DXVECTOR3 screen = GetScreenCoordsFromVector(position);
  screen.x += static_cast<float>(destinationX_);
  screen.y += static_cast<float>(destinationY_);
  return screen;
}

D3DXVECTOR3 Vel_DX8_DirectGraphicsChannel::TransformPositionTo3DSpace(D3DXVECTOR3 position) {
  if (!device_) return position;
  position.x -= static_cast<float>(destinationX_);
  position.y -= static_cast<float>(destinationY_);
  D3DXMATRIX steps[4];
  GetViewPortScalingMatrix(steps[0]);
  if (steps[0]._33 == 0.0f) {
    // A viewport whose depth range is one value (MinZ == MaxZ) has no
    // inverse: every depth in it is MinZ, which is the near end of the range.
    position.z = steps[0]._43;
    steps[0]._33 = 1.0f;
  }
  steps[1] = GetProjectionMatrix();
  steps[2] = GetCameraMatrix();
  steps[3] = GetWorldMatrix();
  for (D3DXMATRIX& m : steps) {
    D3DXMatrixInverse(&m, nullptr, &m);
    D3DXVec3TransformCoord(&position, &position, &m);
  }
  return position;
}

void Vel_DX8_DirectGraphicsChannel::SetDestinationCoords(int x, int y) {
  destinationX_ = x;
  destinationY_ = y;
}

POINT Vel_DX8_DirectGraphicsChannel::GetDestinationCoords() { return POINT{destinationX_, destinationY_}; }
