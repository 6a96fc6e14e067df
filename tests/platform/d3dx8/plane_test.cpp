// Planes: construction, normalising, distances and line intersection,
// including the parallel and non-finite cases that must give no point.
#include <cmath>
#include <limits>

#include "math_test_support.h"

namespace {

TEST(Plane, FromPointsFacesTheClockwiseSide) {
  // Seen from -z these points run clockwise, so the normal points to -z.
  const D3DXVECTOR3 a(0, 1, 5), b(1, 0, 5), c(-1, 0, 5);
  D3DXPLANE p;
  D3DXPlaneFromPoints(&p, &a, &b, &c);
  EXPECT_NEAR(0.0f, p.a, 1e-6f);
  EXPECT_NEAR(0.0f, p.b, 1e-6f);
  EXPECT_NEAR(-1.0f, p.c, 1e-6f);
  EXPECT_NEAR(5.0f, p.d, 1e-6f);
  const D3DXVECTOR3 viewer(0, 0, 0);
  EXPECT_GT(D3DXPlaneDotCoord(&p, &viewer), 0.0f);
}

TEST(Plane, PointNormalNormaliseAndDots) {
  const D3DXVECTOR3 point(0, 2, 0), normal(0, 4, 0);
  D3DXPLANE p;
  D3DXPlaneFromPointNormal(&p, &point, &normal);
  EXPECT_EQ(D3DXPLANE(0, 4, 0, -8), p);
  D3DXPLANE n;
  D3DXPlaneNormalize(&n, &p);
  EXPECT_EQ(D3DXPLANE(0, 1, 0, -2), n);
  const D3DXVECTOR3 q(7, 5, -3);
  EXPECT_FLOAT_EQ(3.0f, D3DXPlaneDotCoord(&n, &q));
  EXPECT_FLOAT_EQ(5.0f, D3DXPlaneDotNormal(&n, &q));
  const D3DXVECTOR4 q4(7, 5, -3, 0);
  EXPECT_FLOAT_EQ(5.0f, D3DXPlaneDot(&n, &q4));
  const D3DXPLANE zero(0, 0, 0, 1);
  D3DXPlaneNormalize(&n, &zero);
  EXPECT_EQ(D3DXPLANE(0, 0, 0, 0), n);
}

TEST(PlaneIntersectLine, HitsInsideAndBeyondTheSegment) {
  const D3DXPLANE ground(0, 1, 0, 0);  // y = 0
  const D3DXVECTOR3 a(1, 2, 3), b(1, 1, 3);
  D3DXVECTOR3 hit(99, 99, 99);
  // The segment a-b stops above the plane; the line still meets it.
  ASSERT_EQ(&hit, D3DXPlaneIntersectLine(&hit, &ground, &a, &b));
  EXPECT_TRUE(VectorNear(hit, D3DXVECTOR3(1, 0, 3)));
  // Also behind the first point.
  const D3DXVECTOR3 c(0, 1, 0), d(0, 2, 0);
  ASSERT_NE(nullptr, D3DXPlaneIntersectLine(&hit, &ground, &c, &d));
  EXPECT_TRUE(VectorNear(hit, D3DXVECTOR3(0, 0, 0)));
  // A tilted plane.
  const D3DXPLANE tilted(1, 1, 0, -2);  // x + y = 2
  const D3DXVECTOR3 o(0, 0, 0), e(1, 0, 0);
  ASSERT_NE(nullptr, D3DXPlaneIntersectLine(&hit, &tilted, &o, &e));
  EXPECT_TRUE(VectorNear(hit, D3DXVECTOR3(2, 0, 0)));
}

TEST(PlaneIntersectLine, ParallelOrDegenerateLineGivesNothing) {
  const D3DXPLANE ground(0, 1, 0, 0);
  D3DXVECTOR3 hit(7, 7, 7);
  const D3DXVECTOR3 a(0, 1, 0), b(5, 1, 2);  // parallel above the plane
  EXPECT_EQ(nullptr, D3DXPlaneIntersectLine(&hit, &ground, &a, &b));
  const D3DXVECTOR3 c(0, 0, 0), d(3, 0, 0);  // lying in the plane
  EXPECT_EQ(nullptr, D3DXPlaneIntersectLine(&hit, &ground, &c, &d));
  EXPECT_EQ(nullptr, D3DXPlaneIntersectLine(&hit, &ground, &a, &a));  // no direction
  EXPECT_EQ(D3DXVECTOR3(7, 7, 7), hit);

  // A direction so small that the line parameter overflows.
  const float tiny = std::numeric_limits<float>::denorm_min();
  const D3DXPLANE slanted(0, 1, 1, 0);
  const D3DXVECTOR3 e(0, 1e30f, 0), f(0, 1e30f, tiny);
  EXPECT_EQ(nullptr, D3DXPlaneIntersectLine(&hit, &slanted, &e, &f));
}

}  // namespace
