#include "workloads.h"

#include <cmath>

namespace scenebench {

namespace {
int g_boxScale = 1;
}

void SetBoxFieldScale(int scale) { g_boxScale = scale < 1 ? 1 : scale; }
int BoxFieldScale() { return g_boxScale; }
int BoxCount() { return kBoxCount * g_boxScale * g_boxScale; }
float BoxFogStart() { return kBoxFogStart * static_cast<float>(g_boxScale); }
float BoxFogEnd() { return kBoxFogEnd * static_cast<float>(g_boxScale); }

D3DXMATRIX BoxWorld(int i) {
  const int columns = kBoxColumns * g_boxScale;
  const float x = (static_cast<float>(i % columns) - static_cast<float>(columns) / 2.0f) * 1.2f;
  const float z = static_cast<float>(i / columns) * 1.2f;
  D3DXMATRIX turn, move;
  D3DXMatrixRotationY(&turn, 0.1f * static_cast<float>(i));
  D3DXMatrixTranslation(&move, x, 0.5f, z);
  return turn * move;
}

D3DXMATRIX BoxView() {
  D3DXMATRIX view;
  // Straight down from high above the middle of the field: every box is in
  // view (the engine's meshes skip themselves when outside the frustum).
  const float s = static_cast<float>(g_boxScale);
  const float middle = (static_cast<float>(kBoxRows) * s - 1.0f) * 1.2f / 2.0f;  // 23.4 at scale 1
  const D3DXVECTOR3 eye(0, 90 * s, middle), at(0, 0, middle), up(0, 0, 1);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  return view;
}

D3DXMATRIX SphereWorld(int i) {
  // Rows of overlapping spheres, each row further away and higher than the
  // one before, every sphere turned its own way: most of the frame is
  // covered, some of it twice.
  const int column = i % kSphereColumns, row = i / kSphereColumns;
  const float x = (static_cast<float>(column) - (kSphereColumns - 1) / 2.0f) * 1.7f + (row % 2 ? 0.85f : 0.0f);
  const float y = (static_cast<float>(row) - (kSphereRows - 1) / 2.0f) * 1.5f;
  const float z = static_cast<float>(row) * 1.5f;
  D3DXMATRIX turn, move;
  D3DXMatrixRotationYawPitchRoll(&turn, 0.4f * static_cast<float>(i), 0.3f * static_cast<float>(row), 0);
  D3DXMatrixTranslation(&move, x, y, z);
  return turn * move;
}

D3DXMATRIX SphereView() {
  const D3DXVECTOR3 eye(0, 1.0f, -12.0f), at(0, 0, 3.0f), up(0, 1, 0);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  return view;
}

D3DXMATRIX DemoView(float seconds) {
  // The demo's path: radius 9, height 3.2, a turn in 40 s from -1.9 rad,
  // looking at (0, 0.7, 0).
  float turns = seconds / 40.0f;
  turns -= std::floor(turns);
  const float angle = -1.9f + turns * 6.2831853f;
  const D3DXVECTOR3 eye(9 * std::cos(angle), 3.2f, 9 * std::sin(angle)), at(0, 0.7f, 0), up(0, 1, 0);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  return view;
}

}  // namespace scenebench
