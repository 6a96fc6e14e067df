// Quaternion functions. A rotation quaternion for angle a about the unit axis
// n is (n * sin(a/2), cos(a/2)); its matrix (D3DXMatrixRotationQuaternion)
// rotates row vectors in the same sense as D3DXMatrixRotationAxis.
#include <d3dx8/d3dx8math.h>

#include <cmath>

#include "normalize_or_zero.h"

namespace {

// Hamilton product a * b (applies b first, then a, to column vectors).
D3DXQUATERNION Hamilton(const D3DXQUATERNION& a, const D3DXQUATERNION& b) {
  return D3DXQUATERNION(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
                        a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
                        a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
                        a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
}

}  // namespace

D3DXQUATERNION& D3DXQUATERNION::operator*=(const D3DXQUATERNION& q) {
  *this = Hamilton(q, *this);
  return *this;
}

D3DXQUATERNION D3DXQUATERNION::operator*(const D3DXQUATERNION& q) const { return Hamilton(q, *this); }

extern "C" {

float D3DXQuaternionLength(const D3DXQUATERNION* pQ) { return std::sqrt(D3DXQuaternionLengthSq(pQ)); }

float D3DXQuaternionLengthSq(const D3DXQUATERNION* pQ) {
  return pQ->x * pQ->x + pQ->y * pQ->y + pQ->z * pQ->z + pQ->w * pQ->w;
}

float D3DXQuaternionDot(const D3DXQUATERNION* pQ1, const D3DXQUATERNION* pQ2) {
  return pQ1->x * pQ2->x + pQ1->y * pQ2->y + pQ1->z * pQ2->z + pQ1->w * pQ2->w;
}

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* pOut) {
  *pOut = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f);
  return pOut;
}

BOOL D3DXQuaternionIsIdentity(const D3DXQUATERNION* pQ) {
  return pQ->x == 0.0f && pQ->y == 0.0f && pQ->z == 0.0f && pQ->w == 1.0f;
}

D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
  *pOut = D3DXQUATERNION(-pQ->x, -pQ->y, -pQ->z, pQ->w);
  return pOut;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
  return DivideOrZero(pOut, *pQ, D3DXQuaternionLength(pQ));
}

D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ) {
  float lenSq = D3DXQuaternionLengthSq(pQ);
  if (lenSq == 0.0f) {
    *pOut = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f);
  } else {
    *pOut = D3DXQUATERNION(-pQ->x / lenSq, -pQ->y / lenSq, -pQ->z / lenSq, pQ->w / lenSq);
  }
  return pOut;
}

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                       const D3DXQUATERNION* pQ2) {
  *pOut = Hamilton(*pQ2, *pQ1);
  return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* pOut, const D3DXVECTOR3* pV, float angle) {
  D3DXVECTOR3 n;
  D3DXVec3Normalize(&n, pV);
  float s = std::sin(angle * 0.5f);
  *pOut = D3DXQUATERNION(n.x * s, n.y * s, n.z * s, std::cos(angle * 0.5f));
  return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* pOut, const D3DXMATRIX* pM) {
  const auto& m = pM->m;
  float trace = m[0][0] + m[1][1] + m[2][2];
  D3DXQUATERNION q;
  if (trace > 0.0f) {
    float s = std::sqrt(trace + 1.0f) * 2.0f;  // 4w
    q.w = 0.25f * s;
    q.x = (m[1][2] - m[2][1]) / s;
    q.y = (m[2][0] - m[0][2]) / s;
    q.z = (m[0][1] - m[1][0]) / s;
  } else if (m[0][0] >= m[1][1] && m[0][0] >= m[2][2]) {
    float s = std::sqrt(1.0f + m[0][0] - m[1][1] - m[2][2]) * 2.0f;  // 4x
    q.x = 0.25f * s;
    q.w = (m[1][2] - m[2][1]) / s;
    q.y = (m[0][1] + m[1][0]) / s;
    q.z = (m[0][2] + m[2][0]) / s;
  } else if (m[1][1] >= m[2][2]) {
    float s = std::sqrt(1.0f + m[1][1] - m[0][0] - m[2][2]) * 2.0f;  // 4y
    q.y = 0.25f * s;
    q.w = (m[2][0] - m[0][2]) / s;
    q.x = (m[0][1] + m[1][0]) / s;
    q.z = (m[1][2] + m[2][1]) / s;
  } else {
    float s = std::sqrt(1.0f + m[2][2] - m[0][0] - m[1][1]) * 2.0f;  // 4z
    q.z = 0.25f * s;
    q.w = (m[0][1] - m[1][0]) / s;
    q.x = (m[0][2] + m[2][0]) / s;
    q.y = (m[1][2] + m[2][1]) / s;
  }
  *pOut = q;
  return pOut;
}

D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* pOut, float yaw, float pitch, float roll) {
  // Same order as D3DXMatrixRotationYawPitchRoll: roll, then pitch, then yaw.
  D3DXQUATERNION qRoll, qPitch, qYaw;
  const D3DXVECTOR3 xAxis(1, 0, 0), yAxis(0, 1, 0), zAxis(0, 0, 1);
  D3DXQuaternionRotationAxis(&qRoll, &zAxis, roll);
  D3DXQuaternionRotationAxis(&qPitch, &xAxis, pitch);
  D3DXQuaternionRotationAxis(&qYaw, &yAxis, yaw);
  D3DXQUATERNION t;
  D3DXQuaternionMultiply(&t, &qRoll, &qPitch);
  D3DXQuaternionMultiply(pOut, &t, &qYaw);
  return pOut;
}

void D3DXQuaternionToAxisAngle(const D3DXQUATERNION* pQ, D3DXVECTOR3* pAxis, float* pAngle) {
  if (pAxis) *pAxis = D3DXVECTOR3(pQ->x, pQ->y, pQ->z);
  if (pAngle) {
    float w = pQ->w;
    if (w > 1.0f) w = 1.0f;
    if (w < -1.0f) w = -1.0f;
    *pAngle = 2.0f * std::acos(w);
  }
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* pOut, const D3DXQUATERNION* pQ1,
                                    const D3DXQUATERNION* pQ2, float t) {
  D3DXQUATERNION q2 = *pQ2;
  float cosom = D3DXQuaternionDot(pQ1, pQ2);
  if (cosom < 0.0f) {
    cosom = -cosom;
    q2 = -q2;
  }
  float k1, k2;
  if (cosom > 0.9999f) {
    // Nearly the same rotation: linear interpolation avoids dividing by sin(0).
    k1 = 1.0f - t;
    k2 = t;
  } else {
    float omega = std::acos(cosom);
    float sinom = std::sin(omega);
    k1 = std::sin((1.0f - t) * omega) / sinom;
    k2 = std::sin(t * omega) / sinom;
  }
  *pOut = *pQ1 * k1 + q2 * k2;
  return pOut;
}

}  // extern "C"
