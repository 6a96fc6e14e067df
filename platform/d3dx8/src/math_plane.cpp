// Plane functions.
#include <d3dx8/d3dx8math.h>

#include <cmath>

#include "normalize_or_zero.h"

extern "C" {

float D3DXPlaneDot(const D3DXPLANE* pP, const D3DXVECTOR4* pV) {
  return pP->a * pV->x + pP->b * pV->y + pP->c * pV->z + pP->d * pV->w;
}

float D3DXPlaneDotCoord(const D3DXPLANE* pP, const D3DXVECTOR3* pV) {
  return pP->a * pV->x + pP->b * pV->y + pP->c * pV->z + pP->d;
}

float D3DXPlaneDotNormal(const D3DXPLANE* pP, const D3DXVECTOR3* pV) {
  return pP->a * pV->x + pP->b * pV->y + pP->c * pV->z;
}

D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* pOut, const D3DXPLANE* pP) {
  return DivideOrZero(pOut, *pP, std::sqrt(pP->a * pP->a + pP->b * pP->b + pP->c * pP->c));
}

D3DXVECTOR3* D3DXPlaneIntersectLine(D3DXVECTOR3* pOut, const D3DXPLANE* pP, const D3DXVECTOR3* pV1,
                                    const D3DXVECTOR3* pV2) {
  const D3DXVECTOR3 dir = *pV2 - *pV1;
  const float denom = D3DXPlaneDotNormal(pP, &dir);
  if (denom == 0.0f) return nullptr;
  const float t = -D3DXPlaneDotCoord(pP, pV1) / denom;
  if (!std::isfinite(t)) return nullptr;
  *pOut = *pV1 + dir * t;
  return pOut;
}

D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal) {
  *pOut = D3DXPLANE(pNormal->x, pNormal->y, pNormal->z, -D3DXVec3Dot(pPoint, pNormal));
  return pOut;
}

D3DXPLANE* D3DXPlaneFromPoints(D3DXPLANE* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2,
                               const D3DXVECTOR3* pV3) {
  const D3DXVECTOR3 e1 = *pV2 - *pV1, e2 = *pV3 - *pV1;
  D3DXVECTOR3 n;
  D3DXVec3Cross(&n, &e1, &e2);
  D3DXVec3Normalize(&n, &n);
  return D3DXPlaneFromPointNormal(pOut, pV1, &n);
}

}  // extern "C"
