// The picking channel: the ray from the camera through the cursor, tested
// against the triangles of its 3D object's surfaces in the object's space.
// The camera sits at the origin looking along +z with a 90-degree field of
// view, so the cursor at client (x, y) of the 64 x 64 viewport looks along
// ((x / 32 - 1), (1 - y / 32), 1).
#include "../userinput/input_events.h"
#include "foreign_child.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "mousepick/vel_dx8_detect_mouse_collision.h"
#include "object/vel_dx8_object_channel.h"
#include "record_bytes.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "surface/vel_dx8_surface_channel.h"

#include <initializer_list>
#include <vector>

namespace vel_test {
namespace {

using Pick = Vel_DX8_DetectMouseCollision;

class MousePickTest : public InputHarness {
 protected:
  void SetUp() override {
    InputHarness::SetUp();
    ASSERT_NE(D3DDevice(), nullptr);
    pick = Create<Pick>(vel::kMousePickType);
    object = Create<Vel_DX8_ObjectChannel>(vel::kObjectType);
    ASSERT_TRUE(pick && object);
    ASSERT_TRUE(Link(pick, object, Pick::kObjectSlot));
    D3DXMATRIX identity, projection;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixPerspectiveFovLH(&projection, static_cast<float>(M_PI / 2), 1.0f, 0.1f, 100.0f);
    D3DDevice()->SetTransform(D3DTS_VIEW, &identity);
    D3DDevice()->SetTransform(D3DTS_PROJECTION, &projection);
  }

  struct QuadAt {
    float x0, y0, x1, y1, z;
  };
  // A surface of the object with a quad from (x0, y0) to (x1, y1) at depth
  // z; its triangles face the camera (-z) when x0 < x1 and y0 < y1.
  Vel_DX8_ObjectDataChannel* AddQuad(float x0, float y0, float x1, float y1, float z) {
    auto* surface = Create<Vel_DX8_SurfaceChannel>(vel::kSurfaceType);
    auto* mesh = Create<Vel_DX8_ObjectDataChannel>(vel::kObjectDataType);
    Quads(mesh, {{x0, y0, x1, y1, z}});
    EXPECT_TRUE(Link(surface, mesh, 0));
    EXPECT_TRUE(Link(object, surface, 2));
    return mesh;
  }
  // The mesh made of these quads, two triangles each.
  static void Quads(Vel_DX8_ObjectDataChannel* mesh, std::initializer_list<QuadAt> quads) {
    mesh->Release();
    mesh->SetVertexCount(static_cast<int>(quads.size()) * 4);
    mesh->SetVertexPositionUse(true);
    std::vector<unsigned short> indices;
    int first = 0;
    for (const QuadAt& q : quads) {
      const VertPos corners[4] = {{q.x0, q.y1, q.z}, {q.x1, q.y1, q.z}, {q.x1, q.y0, q.z}, {q.x0, q.y0, q.z}};
      for (int i = 0; i < 4; ++i) mesh->SetVertexPosition(corners[i], first + i);
      for (int i : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<unsigned short>(first + i));
      first += 4;
    }
    mesh->SetIndexCount(static_cast<int>(indices.size()));
    mesh->SetIndexes(indices.data());
    mesh->CalculateBoundingBox();
  }
  // The cursor to client (x, y), then a new frame.
  void CursorAt(int x, int y) {
    Move(x, y);
    Pump();
    Frame(object);
  }

  Pick* pick = nullptr;
  Vel_DX8_ObjectChannel* object = nullptr;
};

TEST_F(MousePickTest, TheTriangleUnderTheCursorIsReportedAndNothingBesideIt) {
  AddQuad(0, 0, 4, 4, 5);
  // Client (48, 16) looks along (0.5, 0.5, 1): the point (2.5, 2.5, 5), in
  // the quad's first triangle (its upper right half).
  CursorAt(48, 16);
  EXPECT_EQ(pick->GetFloat(), 1.0f);
  EXPECT_EQ(pick->GetSelectedSurface(), 0);
  const CollisionResult* hit = pick->Result();
  EXPECT_NEAR(hit->hitX, 2.5f, 1e-4);
  EXPECT_NEAR(hit->hitY, 2.5f, 1e-4);
  EXPECT_NEAR(hit->hitZ, 5.0f, 1e-4);
  // (V1 - V0) x (V2 - V0) = (4, 0, 0) x (4, -4, 0).
  EXPECT_FLOAT_EQ(hit->normalZ, -16.0f);
  EXPECT_NEAR(hit->distance, 2.5f * 2.5f * 2 + 25.0f, 1e-3);

  // Beside the quad (looking along (-0.5, 0.5, 1)), and outside the window.
  CursorAt(16, 16);
  EXPECT_EQ(pick->GetFloat(), 0.0f);
  EXPECT_EQ(pick->GetSelectedSurface(), -1);
  CursorAt(70, 16);
  EXPECT_EQ(pick->GetFloat(), 0.0f);
  // The right border still counts: (64, 0) looks along (1, 1, 1).
  AddQuad(4.5f, 4.5f, 5.5f, 5.5f, 5);
  CursorAt(64, 0);
  EXPECT_EQ(pick->GetFloat(), 1.0f);
  EXPECT_EQ(pick->GetSelectedSurface(), 1);
}

TEST_F(MousePickTest, TheNearestFacingSurfaceAheadOfTheCameraIsSelected) {
  AddQuad(0, 0, 4, 4, 8);
  AddQuad(0, 0, 4, 4, 5);
  // A quad seen from behind (its corners in the other order) is never hit.
  Vel_DX8_ObjectDataChannel* away = AddQuad(4, 0, 0, 4, 2);
  CursorAt(40, 24);
  EXPECT_EQ(pick->GetFloat(), 1.0f);
  EXPECT_EQ(pick->GetSelectedSurface(), 1);
  EXPECT_NEAR(pick->Result()->hitZ, 5.0f, 1e-4);

  // One mesh reaching behind the camera: the line through the cursor meets
  // its second quad at (-1, -1, -2), nearer than the quad ahead at depth 5,
  // but behind the camera.
  Quads(away, {{4, 0, 0, 4, 2}, {-2, -2, 0, 0, -2}});
  CursorAt(48, 16);
  EXPECT_EQ(pick->GetSelectedSurface(), 1);
  EXPECT_NEAR(pick->Result()->hitZ, 5.0f, 1e-4);

  // Moved behind the camera, the whole object is never picked.
  auto* placement = Create<Vel_MatrixChannel>(vel::kMatrixType);
  D3DXMATRIX back;
  D3DXMatrixTranslation(&back, 0, 0, -20);
  placement->SetMatrix(back);
  ASSERT_TRUE(Link(object, placement, 0));
  for (auto [x, y] : {std::pair{48, 16}, {32, 32}, {16, 48}}) {
    CursorAt(x, y);
    EXPECT_EQ(pick->GetFloat(), 0.0f);
    EXPECT_EQ(pick->GetSelectedSurface(), -1);
  }
}

TEST_F(MousePickTest, OnlyMeshDataIsReadAsAMeshAndOnlyAnObjectAsTheObject) {
  auto* surface = Create<Vel_DX8_SurfaceChannel>(vel::kSurfaceType);
  ASSERT_TRUE(Link(object, surface, 2));
  // A channel of another type (as a skinned mesh is) in the surface's mesh
  // slot is never called through the mesh-data operations.
  auto* foreign = Create(vel::kMatrixType);
  ASSERT_TRUE(PlaceForeignChild(surface, 0, foreign));
  CursorAt(32, 32);
  EXPECT_EQ(pick->GetFloat(), 0.0f);
  EXPECT_EQ(pick->GetSelectedSurface(), -1);
  ASSERT_TRUE(PlaceForeignChild(pick, Pick::kObjectSlot, foreign));
  EXPECT_EQ(pick->GetSelectedSurface(), -1);
}

TEST_F(MousePickTest, RecordIsTheFloatValuesRecord) {
  pick->SetFloat(0.5f);
  std::vector<char> record = SaveRecord(pick);
  EXPECT_NE(FindChunk(record, "FLVA"), -1);
  bool loaded = false;
  Orn_Channel* copy = LoadRecord(vel::kMousePickType, record, &loaded);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(SaveRecord(copy), record);
  ExpectCutRecordsHandled(vel::kMousePickType, record);
}

}  // namespace
}  // namespace vel_test
