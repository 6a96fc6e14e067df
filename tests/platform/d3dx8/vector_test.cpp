// Vector functions: transforms with and without the w division, normalising,
// cross products in the left-handed system, and the helper operators.
#include "math_test_support.h"

namespace {

TEST(VectorTransform, CoordDividesByW) {
  // A matrix whose w column gives w = 2 for the point (1, 2, 3).
  const D3DXMATRIX m(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0.5f, 1, 1, 1, 0.5f);
  const D3DXVECTOR3 p(1, 2, 3);
  D3DXVECTOR4 full;
  D3DXVec3Transform(&full, &p, &m);
  EXPECT_FLOAT_EQ(2.0f, full.x);
  EXPECT_FLOAT_EQ(3.0f, full.y);
  EXPECT_FLOAT_EQ(4.0f, full.z);
  EXPECT_FLOAT_EQ(2.0f, full.w);
  D3DXVECTOR3 coord;
  D3DXVec3TransformCoord(&coord, &p, &m);
  EXPECT_TRUE(VectorNear(coord, D3DXVECTOR3(1.0f, 1.5f, 2.0f)));
}

TEST(VectorTransform, NormalIgnoresTranslation) {
  D3DXMATRIX m, rotation, translation;
  D3DXMatrixRotationZ(&rotation, D3DX_PI / 2);
  D3DXMatrixTranslation(&translation, 10, 20, 30);
  m = rotation * translation;
  const D3DXVECTOR3 n(1, 0, 0);
  D3DXVECTOR3 out;
  D3DXVec3TransformNormal(&out, &n, &m);
  EXPECT_TRUE(VectorNear(out, D3DXVECTOR3(0, 1, 0)));
  // In place.
  D3DXVECTOR3 p(1, 0, 0);
  D3DXVec3TransformCoord(&p, &p, &m);
  EXPECT_TRUE(VectorNear(p, D3DXVECTOR3(10, 21, 30)));
}

TEST(VectorTransform, Vec4AndVec2) {
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, 1, 2, 3);
  const D3DXVECTOR4 point(1, 1, 1, 1), direction(1, 1, 1, 0);
  D3DXVECTOR4 out;
  D3DXVec4Transform(&out, &point, &m);
  EXPECT_EQ(D3DXVECTOR4(2, 3, 4, 1), out);
  D3DXVec4Transform(&out, &direction, &m);
  EXPECT_EQ(D3DXVECTOR4(1, 1, 1, 0), out);
  const D3DXVECTOR2 v2(1, 1);
  D3DXVECTOR2 o2;
  D3DXVec2TransformCoord(&o2, &v2, &m);
  EXPECT_EQ(D3DXVECTOR2(2, 3), o2);
  D3DXVec2TransformNormal(&o2, &v2, &m);
  EXPECT_EQ(D3DXVECTOR2(1, 1), o2);
}

TEST(VectorBasics, NormaliseLengthDotCross) {
  const D3DXVECTOR3 v(3, 0, 4);
  EXPECT_FLOAT_EQ(5.0f, D3DXVec3Length(&v));
  EXPECT_FLOAT_EQ(25.0f, D3DXVec3LengthSq(&v));
  D3DXVECTOR3 n;
  D3DXVec3Normalize(&n, &v);
  EXPECT_TRUE(VectorNear(n, D3DXVECTOR3(0.6f, 0, 0.8f)));
  const D3DXVECTOR3 zero(0, 0, 0);
  D3DXVec3Normalize(&n, &zero);
  EXPECT_EQ(zero, n);  // no NaNs from a zero vector

  const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0);
  D3DXVECTOR3 c;
  D3DXVec3Cross(&c, &x, &y);
  EXPECT_EQ(D3DXVECTOR3(0, 0, 1), c);
  EXPECT_FLOAT_EQ(0.0f, D3DXVec3Dot(&x, &y));
  const D3DXVECTOR3 w(1, 5, 2);
  EXPECT_FLOAT_EQ(11.0f, D3DXVec3Dot(&v, &w));

  D3DXVECTOR2 v2(0, -2), n2;
  D3DXVec2Normalize(&n2, &v2);
  EXPECT_EQ(D3DXVECTOR2(0, -1), n2);
  EXPECT_FLOAT_EQ(2.0f, D3DXVec2Length(&v2));
  const D3DXVECTOR2 a2(1, 0), b2(0, 1);
  EXPECT_FLOAT_EQ(1.0f, D3DXVec2CCW(&a2, &b2));

  const D3DXVECTOR4 v4(1, 1, 1, 1);
  EXPECT_FLOAT_EQ(2.0f, D3DXVec4Length(&v4));
}

}  // namespace
