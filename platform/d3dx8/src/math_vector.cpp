// Two-, three- and four-component vector functions.
#include <d3dx8/d3dx8math.h>

#include <cmath>

#include "normalize_or_zero.h"

extern "C" {

// --- 2D -----------------------------------------------------------------------

float D3DXVec2Length(const D3DXVECTOR2* pV) { return std::sqrt(pV->x * pV->x + pV->y * pV->y); }

float D3DXVec2LengthSq(const D3DXVECTOR2* pV) { return pV->x * pV->x + pV->y * pV->y; }

float D3DXVec2Dot(const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) { return pV1->x * pV2->x + pV1->y * pV2->y; }

float D3DXVec2CCW(const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) { return pV1->x * pV2->y - pV1->y * pV2->x; }

D3DXVECTOR2* D3DXVec2Add(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) {
  *pOut = D3DXVECTOR2(pV1->x + pV2->x, pV1->y + pV2->y);
  return pOut;
}

D3DXVECTOR2* D3DXVec2Subtract(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) {
  *pOut = D3DXVECTOR2(pV1->x - pV2->x, pV1->y - pV2->y);
  return pOut;
}

D3DXVECTOR2* D3DXVec2Minimize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) {
  *pOut = D3DXVECTOR2(std::fmin(pV1->x, pV2->x), std::fmin(pV1->y, pV2->y));
  return pOut;
}

D3DXVECTOR2* D3DXVec2Maximize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2) {
  *pOut = D3DXVECTOR2(std::fmax(pV1->x, pV2->x), std::fmax(pV1->y, pV2->y));
  return pOut;
}

D3DXVECTOR2* D3DXVec2Scale(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, float s) {
  *pOut = D3DXVECTOR2(pV->x * s, pV->y * s);
  return pOut;
}

D3DXVECTOR2* D3DXVec2Lerp(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV1, const D3DXVECTOR2* pV2, float s) {
  *pOut = D3DXVECTOR2(pV1->x + s * (pV2->x - pV1->x), pV1->y + s * (pV2->y - pV1->y));
  return pOut;
}

D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV) {
  return DivideOrZero(pOut, *pV, D3DXVec2Length(pV));
}

D3DXVECTOR4* D3DXVec2Transform(D3DXVECTOR4* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
  const auto& m = pM->m;
  float x = pV->x, y = pV->y;
  *pOut = D3DXVECTOR4(x * m[0][0] + y * m[1][0] + m[3][0], x * m[0][1] + y * m[1][1] + m[3][1],
                      x * m[0][2] + y * m[1][2] + m[3][2], x * m[0][3] + y * m[1][3] + m[3][3]);
  return pOut;
}

D3DXVECTOR2* D3DXVec2TransformCoord(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
  D3DXVECTOR4 r;
  D3DXVec2Transform(&r, pV, pM);
  *pOut = D3DXVECTOR2(r.x / r.w, r.y / r.w);
  return pOut;
}

D3DXVECTOR2* D3DXVec2TransformNormal(D3DXVECTOR2* pOut, const D3DXVECTOR2* pV, const D3DXMATRIX* pM) {
  const auto& m = pM->m;
  float x = pV->x, y = pV->y;
  *pOut = D3DXVECTOR2(x * m[0][0] + y * m[1][0], x * m[0][1] + y * m[1][1]);
  return pOut;
}

// --- 3D -----------------------------------------------------------------------

float D3DXVec3Length(const D3DXVECTOR3* pV) { return std::sqrt(D3DXVec3LengthSq(pV)); }

float D3DXVec3LengthSq(const D3DXVECTOR3* pV) { return pV->x * pV->x + pV->y * pV->y + pV->z * pV->z; }

float D3DXVec3Dot(const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
  return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z;
}

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
  *pOut = D3DXVECTOR3(pV1->y * pV2->z - pV1->z * pV2->y, pV1->z * pV2->x - pV1->x * pV2->z,
                      pV1->x * pV2->y - pV1->y * pV2->x);
  return pOut;
}

D3DXVECTOR3* D3DXVec3Add(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
  *pOut = D3DXVECTOR3(pV1->x + pV2->x, pV1->y + pV2->y, pV1->z + pV2->z);
  return pOut;
}

D3DXVECTOR3* D3DXVec3Subtract(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
  *pOut = D3DXVECTOR3(pV1->x - pV2->x, pV1->y - pV2->y, pV1->z - pV2->z);
  return pOut;
}

D3DXVECTOR3* D3DXVec3Minimize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
  *pOut = D3DXVECTOR3(std::fmin(pV1->x, pV2->x), std::fmin(pV1->y, pV2->y), std::fmin(pV1->z, pV2->z));
  return pOut;
}

D3DXVECTOR3* D3DXVec3Maximize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2) {
  *pOut = D3DXVECTOR3(std::fmax(pV1->x, pV2->x), std::fmax(pV1->y, pV2->y), std::fmax(pV1->z, pV2->z));
  return pOut;
}

D3DXVECTOR3* D3DXVec3Scale(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, float s) {
  *pOut = D3DXVECTOR3(pV->x * s, pV->y * s, pV->z * s);
  return pOut;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2, float s) {
  *pOut = D3DXVECTOR3(pV1->x + s * (pV2->x - pV1->x), pV1->y + s * (pV2->y - pV1->y),
                      pV1->z + s * (pV2->z - pV1->z));
  return pOut;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV) {
  return DivideOrZero(pOut, *pV, D3DXVec3Length(pV));
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  const auto& m = pM->m;
  float x = pV->x, y = pV->y, z = pV->z;
  *pOut = D3DXVECTOR4(x * m[0][0] + y * m[1][0] + z * m[2][0] + m[3][0],
                      x * m[0][1] + y * m[1][1] + z * m[2][1] + m[3][1],
                      x * m[0][2] + y * m[1][2] + z * m[2][2] + m[3][2],
                      x * m[0][3] + y * m[1][3] + z * m[2][3] + m[3][3]);
  return pOut;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  D3DXVECTOR4 r;
  D3DXVec3Transform(&r, pV, pM);
  *pOut = D3DXVECTOR3(r.x / r.w, r.y / r.w, r.z / r.w);
  return pOut;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM) {
  const auto& m = pM->m;
  float x = pV->x, y = pV->y, z = pV->z;
  *pOut = D3DXVECTOR3(x * m[0][0] + y * m[1][0] + z * m[2][0], x * m[0][1] + y * m[1][1] + z * m[2][1],
                      x * m[0][2] + y * m[1][2] + z * m[2][2]);
  return pOut;
}

// --- 4D -----------------------------------------------------------------------

float D3DXVec4Length(const D3DXVECTOR4* pV) { return std::sqrt(D3DXVec4LengthSq(pV)); }

float D3DXVec4LengthSq(const D3DXVECTOR4* pV) {
  return pV->x * pV->x + pV->y * pV->y + pV->z * pV->z + pV->w * pV->w;
}

float D3DXVec4Dot(const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
  return pV1->x * pV2->x + pV1->y * pV2->y + pV1->z * pV2->z + pV1->w * pV2->w;
}

D3DXVECTOR4* D3DXVec4Add(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
  *pOut = *pV1 + *pV2;
  return pOut;
}

D3DXVECTOR4* D3DXVec4Subtract(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2) {
  *pOut = *pV1 - *pV2;
  return pOut;
}

D3DXVECTOR4* D3DXVec4Scale(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, float s) {
  *pOut = *pV * s;
  return pOut;
}

D3DXVECTOR4* D3DXVec4Lerp(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV1, const D3DXVECTOR4* pV2, float s) {
  *pOut = *pV1 + (*pV2 - *pV1) * s;
  return pOut;
}

D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV) {
  return DivideOrZero(pOut, *pV, D3DXVec4Length(pV));
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* pOut, const D3DXVECTOR4* pV, const D3DXMATRIX* pM) {
  const auto& m = pM->m;
  float x = pV->x, y = pV->y, z = pV->z, w = pV->w;
  *pOut = D3DXVECTOR4(x * m[0][0] + y * m[1][0] + z * m[2][0] + w * m[3][0],
                      x * m[0][1] + y * m[1][1] + z * m[2][1] + w * m[3][1],
                      x * m[0][2] + y * m[1][2] + z * m[2][2] + w * m[3][2],
                      x * m[0][3] + y * m[1][3] + z * m[2][3] + w * m[3][3]);
  return pOut;
}

}  // extern "C"
