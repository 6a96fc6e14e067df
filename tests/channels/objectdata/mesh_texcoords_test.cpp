// Texture coordinates generated from positions and normals: the planar and
// cubic projections onto the box, the cylinder and sphere angles, the
// adjustment records, and finite coordinates for flat meshes and normals
// that are zero or not of unit length.
#include "mesh_fixture.h"

#include <cmath>

namespace vel_test {
namespace {

class MeshTexcoordsTest : public MeshTest {
 protected:
  // A mesh with positions, normals and UV set 1 from the given lists.
  Vel_DX8_ObjectDataChannel* MeshOf(std::vector<VertPos> positions, std::vector<VertNormal> normals = {}) {
    Vel_DX8_ObjectDataChannel* mesh = NewMesh();
    mesh->SetVertexCount(static_cast<int>(positions.size()));
    mesh->SetVertexPositionUse(true);
    mesh->SetVertexPosition(positions.data());
    mesh->SetVertexNormalUse(true);
    normals.resize(positions.size(), VertNormal{0, 0, 1});
    mesh->SetVertexNormals(normals.data());
    mesh->SetVertexTUUse(true);
    return mesh;
  }

  static void ExpectUV(const VertTUV& uv, float u, float v) {
    EXPECT_NEAR(uv.u, u, 1e-6);
    EXPECT_NEAR(uv.v, v, 1e-6);
  }
};

TEST_F(MeshTexcoordsTest, PlanarAndCubicProjectionsMapTheBoxOntoTheUnitSquare) {
  // x from -1 to 1, y from 0 to 2.
  Vel_DX8_ObjectDataChannel* mesh = MeshOf({{-1, 2, 0}, {1, 0, 0}, {0, 1, 0}});
  mesh->MapTexture(0, 2, false);
  ExpectUV(mesh->GetVertexTUV(0), 0, 0);
  ExpectUV(mesh->GetVertexTUV(1), 1, 1);
  ExpectUV(mesh->GetVertexTUV(2), 0.5f, 0.5f);
  EXPECT_EQ(mesh->GetTextureMapping(0), 2);

  // The mesh is flat in z: projecting along x divides by a zero extent,
  // which counts as 0 instead of giving NaN.
  mesh->MapTexture(0, 0, false);
  for (unsigned long i = 0; i < 3; ++i) {
    EXPECT_TRUE(std::isfinite(mesh->GetVertexTUV(i).u));
    EXPECT_EQ(mesh->GetVertexTUV(i).u, 0.5f);
  }

  // Per vertex, along the dominant axis of the normal; ties go to x, then z.
  Vel_DX8_ObjectDataChannel* cube = MeshOf({{0, 0, 0}, {2, 4, 8}, {1, 1, 2}}, {{1, 1, 0}, {0, 1, 1}, {0, 1, 0}});
  cube->MapTexture(0, 3, false);
  ExpectUV(cube->GetVertexTUV(0), 0, 0);            // along x: u from z, v from y
  ExpectUV(cube->GetVertexTUV(1), 1, -1);           // along z: u from x, v from y
  ExpectUV(cube->GetVertexTUV(2), 0.5f, -0.25f);    // along y: u from x, v from z

  // A mode outside 0..6 is stored and changes nothing.
  const VertTUV before = cube->GetVertexTUV(2);
  cube->MapTexture(0, 7, false);
  EXPECT_EQ(cube->GetTextureMapping(0), 7);
  ExpectUV(cube->GetVertexTUV(2), before.u, before.v);
  EXPECT_EQ(cube->GetTextureMapping(2), -1);
}

TEST_F(MeshTexcoordsTest, CylinderAndSphereAnglesStayFiniteForAnyNormal) {
  Vel_DX8_ObjectDataChannel* mesh =
      MeshOf({{0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {0, 2, 0}}, {{0, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, 3, 0}});
  mesh->MapTexture(0, 5, false);
  EXPECT_NEAR(mesh->GetVertexTUV(0).u, 0.25f, 1e-6);
  EXPECT_NEAR(mesh->GetVertexTUV(1).u, 0.75f, 1e-6);
  EXPECT_NEAR(mesh->GetVertexTUV(0).v, 1.0f, 1e-6);  // y at the bottom of the box
  EXPECT_NEAR(mesh->GetVertexTUV(2).v, 0.0f, 1e-6);
  // No horizontal component: the normalised zero vector is zero.
  EXPECT_NEAR(mesh->GetVertexTUV(2).u, 0.75f, 1e-6);

  mesh->MapTexture(0, 4, false);
  EXPECT_NEAR(mesh->GetVertexTUV(0).v, 0.5f, 1e-6);
  EXPECT_NEAR(mesh->GetVertexTUV(2).v, 0.0f, 1e-6);
  // A normal longer than 1 has its arccos argument clamped.
  EXPECT_EQ(mesh->GetVertexTUV(3).v, 0.0f);
}

TEST_F(MeshTexcoordsTest, ScaleShiftAndOffsetAccumulateAndApplyAfterTheMapping) {
  Vel_DX8_ObjectDataChannel* mesh = MeshOf({{0, 0, 0}, {1, 1, 0}});
  mesh->MapTexture(0, 2, false);
  mesh->AddTextureOffset(0.25f, 0, 0);
  mesh->ShiftTexture(0.5f, 0, 0);
  EXPECT_EQ(mesh->GetTUVOffSet(0).shiftU, 0.75f);
  mesh->ScaleTexture(2, 4, 0);
  mesh->ScaleTexture(2, 1, 0);
  const VertTUVOffset a = mesh->GetTUVOffSet(0);
  EXPECT_EQ(a.scaleU, 4.0f);
  EXPECT_EQ(a.scaleV, 4.0f);
  // (1, 0) from the planar mapping, scaled by 4, u shifted by 0.75.
  ExpectUV(mesh->GetVertexTUV(1), 4 - 0.75f, 0);
  ExpectUV(mesh->GetVertexTUV(0), -0.75f, 4);

  // Normalising: u values all equal stay, v is stretched over 0..1.
  mesh->SetVertexTUCoord(VertTUV{0.3f, 2}, 0);
  mesh->SetVertexTUCoord(VertTUV{0.3f, 6}, 1);
  mesh->NormalizeTexture(0);
  ExpectUV(mesh->GetVertexTUV(0), 0.3f, 0);
  ExpectUV(mesh->GetVertexTUV(1), 0.3f, 1);
}

}  // namespace
}  // namespace vel_test
