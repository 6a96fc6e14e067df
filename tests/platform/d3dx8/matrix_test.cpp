// Matrix functions: inversion, composition order, rotations, view and
// projection matrices checked against their defining formulas.
#include <cmath>

#include "math_test_support.h"

namespace {

D3DXMATRIX Identity() {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  return m;
}

TEST(MatrixInverse, InvertsAKnownMatrixExactly) {
  // Scale by 2, 4, 8 then translate by (1, 2, 3): the inverse is known.
  const D3DXMATRIX m(2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 1, 2, 3, 1);
  const D3DXMATRIX expected(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, -0.5f, -0.5f, -0.375f, 1);
  D3DXMATRIX inverse;
  float det = 0;
  ASSERT_EQ(&inverse, D3DXMatrixInverse(&inverse, &det, &m));
  EXPECT_FLOAT_EQ(64.0f, det);
  EXPECT_TRUE(MatrixNear(inverse, expected, 0));
}

TEST(MatrixInverse, ProductWithInverseIsIdentityForAGeneralMatrix) {
  const D3DXMATRIX m(1, 2, 0, 1, 0, 1, 3, 0, 2, 0, 1, 1, 4, -1, 2, 1);
  D3DXMATRIX inverse, product;
  ASSERT_NE(nullptr, D3DXMatrixInverse(&inverse, nullptr, &m));
  D3DXMatrixMultiply(&product, &m, &inverse);
  EXPECT_TRUE(MatrixNear(product, Identity(), 1e-5f));
  D3DXMatrixMultiply(&product, &inverse, &m);
  EXPECT_TRUE(MatrixNear(product, Identity(), 1e-5f));
}

TEST(MatrixInverse, SingularMatrixGivesNullAndLeavesOutputAlone) {
  // Two equal rows.
  const D3DXMATRIX singular(1, 2, 3, 4, 1, 2, 3, 4, 0, 1, 0, 0, 0, 0, 0, 1);
  D3DXMATRIX out(Identity());
  float det = 99;
  EXPECT_EQ(nullptr, D3DXMatrixInverse(&out, &det, &singular));
  EXPECT_EQ(0.0f, det);
  EXPECT_TRUE(out == Identity());

  D3DXMATRIX flat;
  D3DXMatrixScaling(&flat, 1, 0, 1);
  EXPECT_EQ(nullptr, D3DXMatrixInverse(&out, nullptr, &flat));
}

TEST(MatrixInverse, OutputMayAliasInput) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, 5, -6, 7);
  ASSERT_NE(nullptr, D3DXMatrixInverse(&m, nullptr, &m));
  D3DXMATRIX expected;
  D3DXMatrixTranslation(&expected, -5, 6, -7);
  EXPECT_TRUE(MatrixNear(m, expected, 0));
}

TEST(MatrixMultiply, AppliesTheLeftMatrixFirst) {
  // Scale then translate: the point (1, 1, 1) goes to (2, 2, 2) and then to (12, 2, 2).
  D3DXMATRIX scale, translate, both;
  D3DXMatrixScaling(&scale, 2, 2, 2);
  D3DXMatrixTranslation(&translate, 10, 0, 0);
  D3DXMatrixMultiply(&both, &scale, &translate);
  const D3DXVECTOR3 p(1, 1, 1);
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &p, &both);
  EXPECT_TRUE(VectorNear(out, D3DXVECTOR3(12, 2, 2)));
  EXPECT_TRUE(MatrixNear(scale * translate, both, 0));

  // Aliasing the output with either input.
  D3DXMATRIX a = scale;
  D3DXMatrixMultiply(&a, &a, &translate);
  EXPECT_TRUE(MatrixNear(a, both, 0));
  D3DXMATRIX b = translate;
  D3DXMatrixMultiply(&b, &scale, &b);
  EXPECT_TRUE(MatrixNear(b, both, 0));
}

TEST(MatrixTranspose, SwapsRowsAndColumns) {
  const D3DXMATRIX m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
  D3DXMATRIX t;
  D3DXMatrixTranspose(&t, &m);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(m(r, c), t(c, r));
}

TEST(MatrixRotation, RotatesInTheLeftHandedSense) {
  const float quarter = D3DX_PI / 2;
  D3DXMATRIX rx, ry, rz;
  D3DXMatrixRotationX(&rx, quarter);
  D3DXMatrixRotationY(&ry, quarter);
  D3DXMatrixRotationZ(&rz, quarter);
  D3DXVECTOR3 out;
  const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
  D3DXVec3TransformCoord(&out, &y, &rx);
  EXPECT_TRUE(VectorNear(out, z));  // y -> z about x
  D3DXVec3TransformCoord(&out, &z, &ry);
  EXPECT_TRUE(VectorNear(out, x));  // z -> x about y
  D3DXVec3TransformCoord(&out, &x, &rz);
  EXPECT_TRUE(VectorNear(out, y));  // x -> y about z
}

TEST(MatrixRotation, AxisRotationMatchesTheAxisFunctions) {
  const float angle = 0.7f;
  D3DXMATRIX byAxis, expected;
  const D3DXVECTOR3 longX(3, 0, 0);
  D3DXMatrixRotationAxis(&byAxis, &longX, angle);
  D3DXMatrixRotationX(&expected, angle);
  EXPECT_TRUE(MatrixNear(byAxis, expected));
  const D3DXVECTOR3 y(0, 1, 0), z(0, 0, 1);
  D3DXMatrixRotationAxis(&byAxis, &y, angle);
  D3DXMatrixRotationY(&expected, angle);
  EXPECT_TRUE(MatrixNear(byAxis, expected));
  D3DXMatrixRotationAxis(&byAxis, &z, angle);
  D3DXMatrixRotationZ(&expected, angle);
  EXPECT_TRUE(MatrixNear(byAxis, expected));
}

TEST(MatrixRotation, YawPitchRollIsRollThenPitchThenYaw) {
  const float yaw = 0.3f, pitch = -0.8f, roll = 1.1f;
  D3DXMATRIX combined, rz, rx, ry;
  D3DXMatrixRotationYawPitchRoll(&combined, yaw, pitch, roll);
  D3DXMatrixRotationZ(&rz, roll);
  D3DXMatrixRotationX(&rx, pitch);
  D3DXMatrixRotationY(&ry, yaw);
  EXPECT_TRUE(MatrixNear(combined, rz * rx * ry));
}

TEST(MatrixView, LookAtMovesTheEyeToTheOriginLookingDownPlusZ) {
  const D3DXVECTOR3 eye(0, 0, -10), at(0, 0, 0), up(0, 1, 0);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMATRIX expected;
  D3DXMatrixTranslation(&expected, 0, 0, 10);
  EXPECT_TRUE(MatrixNear(view, expected));

  // An eye on +x looking at the origin: the target lies straight ahead, the
  // world's +z axis is to the right (right = up x forward).
  const D3DXVECTOR3 side(5, 0, 0);
  D3DXMatrixLookAtLH(&view, &side, &at, &up);
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &at, &view);
  EXPECT_TRUE(VectorNear(out, D3DXVECTOR3(0, 0, 5)));
  const D3DXVECTOR3 besideTarget(0, 0, 1);
  D3DXVec3TransformCoord(&out, &besideTarget, &view);
  EXPECT_TRUE(VectorNear(out, D3DXVECTOR3(1, 0, 5)));
  const D3DXVECTOR3 above(5, 2, 0);
  D3DXVec3TransformCoord(&out, &above, &view);
  EXPECT_TRUE(VectorNear(out, D3DXVECTOR3(0, 2, 0)));
}

TEST(MatrixProjection, PerspectiveFovFollowsTheDocumentedFormula) {
  const float fovy = D3DX_PI / 3, aspect = 4.0f / 3.0f, zn = 0.5f, zf = 100.0f;
  D3DXMATRIX p;
  D3DXMatrixPerspectiveFovLH(&p, fovy, aspect, zn, zf);
  const float yScale = 1.0f / std::tan(fovy / 2), xScale = yScale / aspect;
  const D3DXMATRIX expected(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, zf / (zf - zn), 1, 0, 0, -zn * zf / (zf - zn), 0);
  EXPECT_TRUE(MatrixNear(p, expected));

  // Near plane maps to depth 0, far plane to depth 1.
  D3DXVECTOR3 out;
  const D3DXVECTOR3 nearPoint(0, 0, zn), farPoint(0, 0, zf);
  D3DXVec3TransformCoord(&out, &nearPoint, &p);
  EXPECT_NEAR(0.0f, out.z, 1e-6f);
  D3DXVec3TransformCoord(&out, &farPoint, &p);
  EXPECT_NEAR(1.0f, out.z, 1e-6f);
}

TEST(MatrixProjection, PerspectiveAndOrthoByViewVolumeSize) {
  D3DXMATRIX p;
  D3DXMatrixPerspectiveLH(&p, 4, 2, 1, 11);
  EXPECT_TRUE(MatrixNear(p, D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1.1f, 1, 0, 0, -1.1f, 0)));
  // A point on the near plane's top right corner lands on (1, 1, 0).
  const D3DXVECTOR3 corner(2, 1, 1);
  D3DXVECTOR3 out;
  D3DXVec3TransformCoord(&out, &corner, &p);
  EXPECT_TRUE(VectorNear(out, D3DXVECTOR3(1, 1, 0)));

  D3DXMatrixOrthoLH(&p, 4, 2, 1, 11);
  EXPECT_TRUE(MatrixNear(p, D3DXMATRIX(0.5f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.1f, 0, 0, 0, -0.1f, 1)));
}

TEST(MatrixOperators, ArithmeticAndComparison) {
  D3DXMATRIX a(Identity()), b;
  D3DXMatrixScaling(&b, 2, 3, 4);
  EXPECT_TRUE(a * b == b);
  EXPECT_TRUE((a + a) == a * 2.0f);
  EXPECT_TRUE((b - b) == a * 0.0f);
  EXPECT_TRUE((a * 4.0f) / 2.0f == 2.0f * a);
  EXPECT_TRUE(a != b);
  EXPECT_FLOAT_EQ(3.0f, b(1, 1));
  EXPECT_TRUE(D3DXMatrixIsIdentity(&a));
  EXPECT_FALSE(D3DXMatrixIsIdentity(&b));
  EXPECT_FLOAT_EQ(24.0f, D3DXMatrixDeterminant(&b));
}

}  // namespace
