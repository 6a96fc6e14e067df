// Quaternions: agreement with the matrix rotations, round trips through
// matrices, composition order and interpolation.
#include <cmath>

#include "math_test_support.h"

namespace {

TEST(Quaternion, AxisRotationMatrixMatchesMatrixRotationAxis) {
  const D3DXVECTOR3 axis(1, 2, -0.5f);
  const float angle = 1.3f;
  D3DXQUATERNION q;
  D3DXQuaternionRotationAxis(&q, &axis, angle);
  EXPECT_NEAR(1.0f, D3DXQuaternionLength(&q), 1e-6f);
  D3DXMATRIX fromQuaternion, fromAxis;
  D3DXMatrixRotationQuaternion(&fromQuaternion, &q);
  D3DXMatrixRotationAxis(&fromAxis, &axis, angle);
  EXPECT_TRUE(MatrixNear(fromQuaternion, fromAxis));
}

TEST(Quaternion, RoundTripThroughAMatrix) {
  // Angles that exercise every branch of the matrix-to-quaternion conversion
  // (positive trace, and each diagonal element largest).
  const D3DXVECTOR3 axes[] = {{0.2f, 0.3f, 0.9f}, {1, 0.1f, 0.1f}, {0.1f, 1, 0.1f}, {0.1f, 0.1f, 1}};
  const float angles[] = {0.5f, 3.0f, 3.0f, 3.0f};
  for (int i = 0; i < 4; ++i) {
    D3DXQUATERNION q, back;
    D3DXQuaternionRotationAxis(&q, &axes[i], angles[i]);
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    D3DXQuaternionRotationMatrix(&back, &m);
    // q and -q are the same rotation.
    if (back.w * q.w + back.x * q.x + back.y * q.y + back.z * q.z < 0) back = -back;
    EXPECT_TRUE(QuaternionNear(back, q, 1e-5f)) << "case " << i;
  }
}

TEST(Quaternion, MultiplyIsFirstThenSecondLikeMatrices) {
  D3DXQUATERNION q1, q2, product;
  const D3DXVECTOR3 a1(1, 0, 0), a2(0, 1, 1);
  D3DXQuaternionRotationAxis(&q1, &a1, 0.8f);
  D3DXQuaternionRotationAxis(&q2, &a2, -1.2f);
  D3DXQuaternionMultiply(&product, &q1, &q2);
  D3DXMATRIX m1, m2, mp;
  D3DXMatrixRotationQuaternion(&m1, &q1);
  D3DXMatrixRotationQuaternion(&m2, &q2);
  D3DXMatrixRotationQuaternion(&mp, &product);
  EXPECT_TRUE(MatrixNear(mp, m1 * m2));
  EXPECT_TRUE(QuaternionNear(q1 * q2, product));
}

TEST(Quaternion, YawPitchRollMatchesTheMatrix) {
  D3DXQUATERNION q;
  D3DXQuaternionRotationYawPitchRoll(&q, 0.4f, -0.9f, 2.0f);
  D3DXMATRIX fromQuaternion, expected;
  D3DXMatrixRotationQuaternion(&fromQuaternion, &q);
  D3DXMatrixRotationYawPitchRoll(&expected, 0.4f, -0.9f, 2.0f);
  EXPECT_TRUE(MatrixNear(fromQuaternion, expected));
}

TEST(Quaternion, InverseConjugateAndAxisAngle) {
  D3DXQUATERNION q, inverse, product, identity;
  const D3DXVECTOR3 axis(0, 0, 2);
  D3DXQuaternionRotationAxis(&q, &axis, 1.0f);
  D3DXQuaternionInverse(&inverse, &q);
  D3DXQuaternionMultiply(&product, &q, &inverse);
  D3DXQuaternionIdentity(&identity);
  EXPECT_TRUE(QuaternionNear(product, identity));
  D3DXQUATERNION conjugate;
  D3DXQuaternionConjugate(&conjugate, &q);
  EXPECT_TRUE(QuaternionNear(conjugate, inverse));  // unit quaternion
  EXPECT_TRUE(D3DXQuaternionIsIdentity(&identity));

  D3DXVECTOR3 outAxis;
  float outAngle;
  D3DXQuaternionToAxisAngle(&q, &outAxis, &outAngle);
  EXPECT_NEAR(1.0f, outAngle, 1e-5f);
  D3DXVec3Normalize(&outAxis, &outAxis);
  EXPECT_TRUE(VectorNear(outAxis, D3DXVECTOR3(0, 0, 1)));

  D3DXQUATERNION scaled(0, 0, 0, 3), unit;
  D3DXQuaternionNormalize(&unit, &scaled);
  EXPECT_TRUE(QuaternionNear(unit, identity));
}

TEST(Quaternion, SlerpEndsAndMidpointAndShortestArc) {
  D3DXQUATERNION a, b, out;
  const D3DXVECTOR3 z(0, 0, 1);
  D3DXQuaternionRotationAxis(&a, &z, 0.0f);
  D3DXQuaternionRotationAxis(&b, &z, 1.0f);
  D3DXQuaternionSlerp(&out, &a, &b, 0.0f);
  EXPECT_TRUE(QuaternionNear(out, a));
  D3DXQuaternionSlerp(&out, &a, &b, 1.0f);
  EXPECT_TRUE(QuaternionNear(out, b));
  D3DXQUATERNION half;
  D3DXQuaternionRotationAxis(&half, &z, 0.5f);
  D3DXQuaternionSlerp(&out, &a, &b, 0.5f);
  EXPECT_TRUE(QuaternionNear(out, half));
  // -b is the same rotation; the interpolation still takes the short way.
  const D3DXQUATERNION negB = -b;
  D3DXQuaternionSlerp(&out, &a, &negB, 0.5f);
  EXPECT_TRUE(QuaternionNear(out, half));
}

}  // namespace
