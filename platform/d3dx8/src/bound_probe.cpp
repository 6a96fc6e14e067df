// Ray against bounding-volume tests.
#include <d3dx8/d3dx8math.h>

#include <limits>

extern "C" {

BOOL D3DXBoxBoundProbe(const D3DXVECTOR3* pMin, const D3DXVECTOR3* pMax, const D3DXVECTOR3* pRayPosition,
                       const D3DXVECTOR3* pRayDirection) {
  if (pMin->x == pMax->x && pMin->y == pMax->y && pMin->z == pMax->z) return FALSE;

  // Slab test: the ray parameter interval [tNear, tFar] inside each pair of
  // planes, starting from [0, infinity) since only the forward ray counts.
  const float* lo = &pMin->x;
  const float* hi = &pMax->x;
  const float* org = &pRayPosition->x;
  const float* dir = &pRayDirection->x;
  float tNear = 0.0f;
  float tFar = std::numeric_limits<float>::infinity();
  for (int axis = 0; axis < 3; ++axis) {
    if (dir[axis] == 0.0f) {
      if (!(org[axis] >= lo[axis] && org[axis] <= hi[axis])) return FALSE;
      continue;
    }
    float t0 = (lo[axis] - org[axis]) / dir[axis];
    float t1 = (hi[axis] - org[axis]) / dir[axis];
    if (dir[axis] < 0.0f) {
      float t = t0;
      t0 = t1;
      t1 = t;
    }
    if (t0 > tNear) tNear = t0;
    if (t1 < tFar) tFar = t1;
    if (!(tNear <= tFar)) return FALSE;
  }
  return TRUE;
}

}  // extern "C"
