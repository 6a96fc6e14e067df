// Matrix functions and the D3DXMATRIX operators.
#include <d3dx8/d3dx8math.h>

#include <cmath>

namespace {

D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
  return r;
}

// Cofactors of a 4x4 matrix through the 2x2 minors of its upper and lower row
// pairs, in double precision so that well-conditioned inverses round once.
struct Minors {
  double s[6];  // minors of rows 0 and 1
  double c[6];  // minors of rows 2 and 3
};

Minors ComputeMinors(const D3DXMATRIX& mat) {
  const auto& m = mat.m;
  Minors r;
  r.s[0] = double(m[0][0]) * m[1][1] - double(m[1][0]) * m[0][1];
  r.s[1] = double(m[0][0]) * m[1][2] - double(m[1][0]) * m[0][2];
  r.s[2] = double(m[0][0]) * m[1][3] - double(m[1][0]) * m[0][3];
  r.s[3] = double(m[0][1]) * m[1][2] - double(m[1][1]) * m[0][2];
  r.s[4] = double(m[0][1]) * m[1][3] - double(m[1][1]) * m[0][3];
  r.s[5] = double(m[0][2]) * m[1][3] - double(m[1][2]) * m[0][3];
  r.c[5] = double(m[2][2]) * m[3][3] - double(m[3][2]) * m[2][3];
  r.c[4] = double(m[2][1]) * m[3][3] - double(m[3][1]) * m[2][3];
  r.c[3] = double(m[2][1]) * m[3][2] - double(m[3][1]) * m[2][2];
  r.c[2] = double(m[2][0]) * m[3][3] - double(m[3][0]) * m[2][3];
  r.c[1] = double(m[2][0]) * m[3][2] - double(m[3][0]) * m[2][2];
  r.c[0] = double(m[2][0]) * m[3][1] - double(m[3][0]) * m[2][1];
  return r;
}

double DeterminantOf(const Minors& n) {
  return n.s[0] * n.c[5] - n.s[1] * n.c[4] + n.s[2] * n.c[3] + n.s[3] * n.c[2] - n.s[4] * n.c[1] +
         n.s[5] * n.c[0];
}

}  // namespace

// --- D3DXMATRIX operators -----------------------------------------------------------

D3DXMATRIX& D3DXMATRIX::operator*=(const D3DXMATRIX& mat) {
  *this = Product(*this, mat);
  return *this;
}

D3DXMATRIX& D3DXMATRIX::operator+=(const D3DXMATRIX& mat) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m[i][j] += mat.m[i][j];
  return *this;
}

D3DXMATRIX& D3DXMATRIX::operator-=(const D3DXMATRIX& mat) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m[i][j] -= mat.m[i][j];
  return *this;
}

D3DXMATRIX& D3DXMATRIX::operator*=(float f) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) m[i][j] *= f;
  return *this;
}

D3DXMATRIX& D3DXMATRIX::operator/=(float f) { return *this *= 1.0f / f; }

D3DXMATRIX D3DXMATRIX::operator-() const { return *this * -1.0f; }

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& mat) const { return Product(*this, mat); }

D3DXMATRIX D3DXMATRIX::operator+(const D3DXMATRIX& mat) const {
  D3DXMATRIX r(*this);
  return r += mat;
}

D3DXMATRIX D3DXMATRIX::operator-(const D3DXMATRIX& mat) const {
  D3DXMATRIX r(*this);
  return r -= mat;
}

D3DXMATRIX D3DXMATRIX::operator*(float f) const {
  D3DXMATRIX r(*this);
  return r *= f;
}

D3DXMATRIX D3DXMATRIX::operator/(float f) const {
  D3DXMATRIX r(*this);
  return r /= f;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& mat) const {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (m[i][j] != mat.m[i][j]) return false;
  return true;
}

// --- Functions ----------------------------------------------------------------

extern "C" {

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut) {
  *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return pOut;
}

BOOL D3DXMatrixIsIdentity(const D3DXMATRIX* pM) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      if (pM->m[i][j] != (i == j ? 1.0f : 0.0f)) return FALSE;
  return TRUE;
}

float D3DXMatrixDeterminant(const D3DXMATRIX* pM) {
  return static_cast<float>(DeterminantOf(ComputeMinors(*pM)));
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2) {
  *pOut = Product(*pM1, *pM2);
  return pOut;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* pOut, const D3DXMATRIX* pM) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[i][j] = pM->m[j][i];
  *pOut = r;
  return pOut;
}

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* pOut, float* pDeterminant, const D3DXMATRIX* pM) {
  const Minors n = ComputeMinors(*pM);
  const double det = DeterminantOf(n);
  if (pDeterminant) *pDeterminant = static_cast<float>(det);
  if (det == 0.0 || !std::isfinite(det)) return nullptr;

  const auto& m = pM->m;
  const double inv = 1.0 / det;
  const double* s = n.s;
  const double* c = n.c;
  double r[4][4];
  r[0][0] = (m[1][1] * c[5] - m[1][2] * c[4] + m[1][3] * c[3]) * inv;
  r[0][1] = (-m[0][1] * c[5] + m[0][2] * c[4] - m[0][3] * c[3]) * inv;
  r[0][2] = (m[3][1] * s[5] - m[3][2] * s[4] + m[3][3] * s[3]) * inv;
  r[0][3] = (-m[2][1] * s[5] + m[2][2] * s[4] - m[2][3] * s[3]) * inv;

  r[1][0] = (-m[1][0] * c[5] + m[1][2] * c[2] - m[1][3] * c[1]) * inv;
  r[1][1] = (m[0][0] * c[5] - m[0][2] * c[2] + m[0][3] * c[1]) * inv;
  r[1][2] = (-m[3][0] * s[5] + m[3][2] * s[2] - m[3][3] * s[1]) * inv;
  r[1][3] = (m[2][0] * s[5] - m[2][2] * s[2] + m[2][3] * s[1]) * inv;

  r[2][0] = (m[1][0] * c[4] - m[1][1] * c[2] + m[1][3] * c[0]) * inv;
  r[2][1] = (-m[0][0] * c[4] + m[0][1] * c[2] - m[0][3] * c[0]) * inv;
  r[2][2] = (m[3][0] * s[4] - m[3][1] * s[2] + m[3][3] * s[0]) * inv;
  r[2][3] = (-m[2][0] * s[4] + m[2][1] * s[2] - m[2][3] * s[0]) * inv;

  r[3][0] = (-m[1][0] * c[3] + m[1][1] * c[1] - m[1][2] * c[0]) * inv;
  r[3][1] = (m[0][0] * c[3] - m[0][1] * c[1] + m[0][2] * c[0]) * inv;
  r[3][2] = (-m[3][0] * s[3] + m[3][1] * s[1] - m[3][2] * s[0]) * inv;
  r[3][3] = (m[2][0] * s[3] - m[2][1] * s[1] + m[2][2] * s[0]) * inv;

  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) pOut->m[i][j] = static_cast<float>(r[i][j]);
  return pOut;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* pOut, float sx, float sy, float sz) {
  *pOut = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* pOut, float x, float y, float z) {
  *pOut = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* pOut, float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  *pOut = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* pOut, float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  *pOut = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* pOut, float angle) {
  float c = std::cos(angle), s = std::sin(angle);
  *pOut = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* pOut, const D3DXVECTOR3* pV, float angle) {
  D3DXVECTOR3 v;
  D3DXVec3Normalize(&v, pV);
  float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
  *pOut = D3DXMATRIX(t * v.x * v.x + c, t * v.x * v.y + s * v.z, t * v.x * v.z - s * v.y, 0,
                     t * v.x * v.y - s * v.z, t * v.y * v.y + c, t * v.y * v.z + s * v.x, 0,
                     t * v.x * v.z + s * v.y, t * v.y * v.z - s * v.x, t * v.z * v.z + c, 0,
                     0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* pOut, const D3DXQUATERNION* pQ) {
  float x = pQ->x, y = pQ->y, z = pQ->z, w = pQ->w;
  *pOut = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0,
                     2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0,
                     2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0,
                     0, 0, 0, 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* pOut, float yaw, float pitch, float roll) {
  D3DXMATRIX rz, rx, ry;
  D3DXMatrixRotationZ(&rz, roll);
  D3DXMatrixRotationX(&rx, pitch);
  D3DXMatrixRotationY(&ry, yaw);
  *pOut = Product(Product(rz, rx), ry);
  return pOut;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp) {
  D3DXVECTOR3 zaxis, xaxis, yaxis;
  D3DXVECTOR3 forward = *pAt - *pEye;
  D3DXVec3Normalize(&zaxis, &forward);
  D3DXVECTOR3 side;
  D3DXVec3Cross(&side, pUp, &zaxis);
  D3DXVec3Normalize(&xaxis, &side);
  D3DXVec3Cross(&yaxis, &zaxis, &xaxis);
  *pOut = D3DXMATRIX(xaxis.x, yaxis.x, zaxis.x, 0,
                     xaxis.y, yaxis.y, zaxis.y, 0,
                     xaxis.z, yaxis.z, zaxis.z, 0,
                     -D3DXVec3Dot(&xaxis, pEye), -D3DXVec3Dot(&yaxis, pEye), -D3DXVec3Dot(&zaxis, pEye), 1);
  return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveLH(D3DXMATRIX* pOut, float w, float h, float zn, float zf) {
  float q = zf / (zf - zn);
  *pOut = D3DXMATRIX(2 * zn / w, 0, 0, 0,
                     0, 2 * zn / h, 0, 0,
                     0, 0, q, 1,
                     0, 0, -zn * q, 0);
  return pOut;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float aspect, float zn, float zf) {
  float yScale = 1.0f / std::tan(fovy * 0.5f);
  float xScale = yScale / aspect;
  float q = zf / (zf - zn);
  *pOut = D3DXMATRIX(xScale, 0, 0, 0,
                     0, yScale, 0, 0,
                     0, 0, q, 1,
                     0, 0, -zn * q, 0);
  return pOut;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* pOut, float w, float h, float zn, float zf) {
  *pOut = D3DXMATRIX(2 / w, 0, 0, 0,
                     0, 2 / h, 0, 0,
                     0, 0, 1 / (zf - zn), 0,
                     0, 0, zn / (zn - zf), 1);
  return pOut;
}

}  // extern "C"
