// Ray against axis-aligned box, as mouse picking uses it.
#include "math_test_support.h"

namespace {

const D3DXVECTOR3 kMin(-1, -1, -1), kMax(1, 1, 1);

bool Probe(const D3DXVECTOR3& origin, const D3DXVECTOR3& direction, const D3DXVECTOR3& lo = kMin,
           const D3DXVECTOR3& hi = kMax) {
  return D3DXBoxBoundProbe(&lo, &hi, &origin, &direction) != FALSE;
}

TEST(BoxBoundProbe, RayTowardsTheBoxHits) {
  EXPECT_TRUE(Probe(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 1)));
  EXPECT_TRUE(Probe(D3DXVECTOR3(-5, -5, -5), D3DXVECTOR3(1, 1, 1)));
  // Direction length does not matter.
  EXPECT_TRUE(Probe(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 0.001f)));
  // Grazing a corner.
  EXPECT_TRUE(Probe(D3DXVECTOR3(-3, 1, 1), D3DXVECTOR3(1, 0, 0)));
}

TEST(BoxBoundProbe, RayPassingBesideMisses) {
  EXPECT_FALSE(Probe(D3DXVECTOR3(0, 2, -10), D3DXVECTOR3(0, 0, 1)));
  EXPECT_FALSE(Probe(D3DXVECTOR3(-5, 0, -5), D3DXVECTOR3(1, 0, -1)));
  EXPECT_FALSE(Probe(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 0)));
}

TEST(BoxBoundProbe, BoxBehindTheOriginMisses) {
  EXPECT_FALSE(Probe(D3DXVECTOR3(0, 0, 10), D3DXVECTOR3(0, 0, 1)));
  EXPECT_TRUE(Probe(D3DXVECTOR3(0, 0, 10), D3DXVECTOR3(0, 0, -1)));
}

TEST(BoxBoundProbe, OriginInsideTheBoxHitsInAnyDirection) {
  EXPECT_TRUE(Probe(D3DXVECTOR3(0.5f, 0, 0), D3DXVECTOR3(1, 0, 0)));
  EXPECT_TRUE(Probe(D3DXVECTOR3(0.5f, 0, 0), D3DXVECTOR3(-1, 2, 3)));
}

TEST(BoxBoundProbe, FlatBoxHitsButPointBoxNeverDoes) {
  // A quad in the plane z = 0 has a box of zero depth: still pickable.
  const D3DXVECTOR3 flatMin(-0.5f, -0.5f, 0), flatMax(0.5f, 0.5f, 0);
  EXPECT_TRUE(Probe(D3DXVECTOR3(0, 0, -5), D3DXVECTOR3(0, 0, 1), flatMin, flatMax));
  EXPECT_FALSE(Probe(D3DXVECTOR3(1, 0, -5), D3DXVECTOR3(0, 0, 1), flatMin, flatMax));
  // A box whose min equals its max is never hit, even dead on.
  const D3DXVECTOR3 point(2, 3, 4);
  EXPECT_FALSE(Probe(D3DXVECTOR3(2, 3, 0), D3DXVECTOR3(0, 0, 1), point, point));
  EXPECT_FALSE(Probe(point, D3DXVECTOR3(0, 0, 1), point, point));
}

TEST(BoxBoundProbe, InvertedBoxIsEmpty) {
  EXPECT_FALSE(Probe(D3DXVECTOR3(0, 0, -10), D3DXVECTOR3(0, 0, 1), kMax, kMin));
}

}  // namespace
