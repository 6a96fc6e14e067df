// The 3D object drawing real surfaces and meshes on the device: each pass
// draws its own surfaces, the object's matrix places them where the matrix
// maths says, and a box outside the frustum is not drawn at all. With
// identity view and projection a point (x, y) lands at NDC (x, y).
#include "matrixvalue/vel_matrix_channel.h"
#include "mesh_fixture.h"
#include "object/vel_dx8_object_channel.h"
#include "surface/vel_dx8_surface_channel.h"

#include <cmath>

namespace vel_test {
namespace {

class ObjectDrawTest : public MeshTest {
 protected:
  void SetUp() override {
    MeshTest::SetUp();
    ASSERT_NE(D3DDevice(), nullptr);
    FlatSetup();
    object = Create<Vel_DX8_ObjectChannel>(vel::kObjectType);
    ASSERT_NE(object, nullptr);
  }

  // A surface child of the object drawing a quad.
  Vel_DX8_SurfaceChannel* AddQuad(float x0, float y0, float x1, float y1, float z, D3DCOLOR color) {
    auto* surface = Create<Vel_DX8_SurfaceChannel>(vel::kSurfaceType);
    Vel_DX8_ObjectDataChannel* mesh = NewMesh();
    MakeQuad(mesh, x0, y0, x1, y1, z, color);
    EXPECT_TRUE(Link(surface, mesh, 0));
    EXPECT_TRUE(Link(object, surface, 2));
    return surface;
  }

  Vel_MatrixChannel* Place(int slot, const D3DXMATRIX& m) {
    auto* matrix = Create<Vel_MatrixChannel>(vel::kMatrixType);
    matrix->SetMatrix(m);
    EXPECT_TRUE(Link(object, matrix, slot));
    return matrix;
  }

  // One frame with `passes` of the object: 1 the opaque pass, 2 the
  // transparent pass, 3 both.
  Image Draw(int passes) {
    IDirect3DDevice8* d = D3DDevice();
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    d->BeginScene();
    engine->ext->IncreaseTreeCount();
    if (passes & 1) object->DrawSurfaces();
    if (passes & 2) object->DrawTransparentSurfaces();
    d->EndScene();
    return PresentAndCapture();
  }

  Vel_DX8_ObjectChannel* object = nullptr;
};

TEST_F(ObjectDrawTest, EachPassDrawsItsOwnSurfaces) {
  AddQuad(-1, -1, 0, 1, 0.5f, 0xFFFF0000);
  Vel_DX8_SurfaceChannel* glass = AddQuad(-1, -1, 1, 1, 0.25f, 0x80000000 | 0x0000FF);
  glass->SetTransparentSurface(true);
  glass->SetSourceBlend(D3DBLEND_SRCALPHA);
  glass->SetDestBlend(D3DBLEND_INVSRCALPHA);
  EXPECT_EQ(object->GetSurfaceCount(), 2);
  EXPECT_EQ(object->Getsurface(1), glass);

  Image opaque = Draw(1);
  EXPECT_RGB_NEAR(At(opaque, -0.5f, 0), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(opaque, 0.5f, 0), 0, 0, 0, 1);

  Image transparent = Draw(2);
  EXPECT_RGB_NEAR(At(transparent, -0.5f, 0), 0, 0, 128, 2);

  // Blue at alpha 128/255 over what the opaque pass left.
  const float a = 128.0f / 255.0f;
  Image both = Draw(3);
  EXPECT_RGB_NEAR(At(both, -0.5f, 0), Byte(1 - a), 0, Byte(a), 2);
  EXPECT_RGB_NEAR(At(both, 0.5f, 0), 0, 0, Byte(a), 2);
}

// The object and its surfaces keep their children between frames: every
// change of a link shows at the next frame, a deleted child is never drawn,
// and a surface turned transparent between frames is drawn by the second
// pass.
TEST_F(ObjectDrawTest, ChangedLinksShowAtTheNextFrame) {
  Vel_DX8_SurfaceChannel* left = AddQuad(-1, -1, 0, 1, 0.5f, 0xFFFF0000);
  EXPECT_RGB_NEAR(At(Draw(3), -0.5f, 0), 255, 0, 0, 1);

  D3DXMATRIX right;
  D3DXMatrixTranslation(&right, 1, 0, 0);
  Place(0, right);
  Image moved = Draw(3);
  EXPECT_RGB_NEAR(At(moved, 0.5f, 0), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(moved, -0.5f, 0), 0, 0, 0, 1);

  Vel_DX8_ObjectDataChannel* green = NewMesh();
  MakeQuad(green, -1, -1, 0, 1, 0.5f, 0xFF00FF00);
  ASSERT_TRUE(Link(left, green, 0));
  EXPECT_RGB_NEAR(At(Draw(3), 0.5f, 0), 0, 255, 0, 1);

  left->SetTransparentSurface(true);
  EXPECT_RGB_NEAR(At(Draw(1), 0.5f, 0), 0, 0, 0, 1);
  EXPECT_RGB_NEAR(At(Draw(3), 0.5f, 0), 0, 255, 0, 1);

  Destroy(left);
  EXPECT_EQ(object->Getsurface(0), nullptr);
  EXPECT_RGB_NEAR(At(Draw(3), 0.5f, 0), 0, 0, 0, 1);
}

TEST_F(ObjectDrawTest, TheObjectMatrixPlacesItsSurfacesAndTheOffsetTurnsWithTheObject) {
  AddQuad(-0.25f, -0.25f, 0.25f, 0.25f, 0.5f, 0xFF00FF00);
  // Turned a quarter about z; the offset (0.5, 0, 0) turns with it into
  // (0, 0.5, 0).
  D3DXMATRIX turn, offset;
  D3DXMatrixRotationZ(&turn, static_cast<float>(M_PI / 2));
  D3DXMatrixTranslation(&offset, 0.5f, 0, 0);
  Vel_MatrixChannel* placement = Place(0, turn);
  Place(1, offset);
  Image image = Draw(1);
  EXPECT_EQ(object->GetDeltaMovement(), D3DXVECTOR3(0, 0, 0));
  EXPECT_RGB_NEAR(At(image, 0, 0.5f), 0, 255, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0.2f, 0.5f), 0, 255, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0.5f, 0), 0, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0, 0), 0, 0, 0, 1);

  // Moved by (-0.5, -1) the next frame: the quad's centre goes to (-0.5, -0.5).
  D3DXMATRIX moved;
  D3DXMatrixTranslation(&moved, -0.5f, -1, 0);
  placement->SetMatrix(turn * moved);
  image = Draw(1);
  EXPECT_RGB_NEAR(At(image, -0.5f, -0.5f), 0, 255, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0, 0.5f), 0, 0, 0, 1);
  // The movement since the previous frame, and where it started.
  const D3DXVECTOR3 delta = object->GetDeltaMovement();
  EXPECT_NEAR(delta.x, -0.5f, 1e-6);
  EXPECT_NEAR(delta.y, -1, 1e-6);
  EXPECT_NEAR(object->GetPosition().y, 0.5f, 1e-6);
}

TEST_F(ObjectDrawTest, WithFullCullingABoxOutsideTheFrustumIsNotDrawn) {
  AddQuad(-1, -1, 1, 1, 0.5f, 0xFFFFFFFF);
  AddQuad(0, 0, 3, 0.5f, 0.25f, 0xFFFFFFFF);
  object->SetUseFullObjectCulling(true);
  D3DXVECTOR3 min, max;
  object->GetBoundingBoxMinMax(&min, &max);
  EXPECT_EQ(min, D3DXVECTOR3(-1, -1, 0.25f));
  EXPECT_EQ(max, D3DXVECTOR3(3, 1, 0.5f));

  // Moved right by 4 the box spans x 3..7: wholly outside.
  D3DXMATRIX away;
  D3DXMatrixTranslation(&away, 4, 0, 0);
  Vel_MatrixChannel* placement = Place(0, away);
  Device()->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  Image image = Draw(3);
  for (uint32_t p : image.argb) ASSERT_EQ(p & 0x00FFFFFF, 0u);
  // Nothing was asked of the surfaces: the depth state is as it was left.
  DWORD z = 1;
  D3DDevice()->GetRenderState(D3DRS_ZENABLE, &z);
  EXPECT_EQ(z, static_cast<DWORD>(D3DZB_FALSE));
  EXPECT_FALSE(object->GetIfObjectIsVisible());

  // Moved left by 1.5 the box spans x -2.5..1.5 and reaches into view.
  D3DXMATRIX near;
  D3DXMatrixTranslation(&near, -1.5f, 0, 0);
  placement->SetMatrix(near);
  image = Draw(1);
  EXPECT_TRUE(object->GetIfObjectIsVisible());
  EXPECT_RGB_NEAR(At(image, -0.75f, 0), 255, 255, 255, 1);
  EXPECT_RGB_NEAR(At(image, 0.75f, 0.75f), 0, 0, 0, 1);
}

// Culling switched on between the two draws of one frame tests the object
// where that frame placed it: its box, computed when culling comes on, is
// carried to the object's current place at once.
TEST_F(ObjectDrawTest, CullingSwitchedOnMidFrameTestsTheObjectWhereItIsNow) {
  AddQuad(-0.25f, -0.25f, 0.25f, 0.25f, 0.5f, 0xFF00FF00);
  D3DXMATRIX away;
  D3DXMatrixTranslation(&away, 4, 1, 0);
  Vel_MatrixChannel* placement = Place(0, away);
  object->SetUseFullObjectCulling(true);
  Image image = Draw(1);
  for (uint32_t p : image.argb) ASSERT_EQ(p & 0x00FFFFFF, 0u);

  // The next frame: culling off, the object moved to (0.5, -0.25), drawn
  // once; then culling comes on and the same frame draws it again.
  object->SetUseFullObjectCulling(false);
  D3DXMATRIX here;
  D3DXMatrixTranslation(&here, 0.5f, -0.25f, 0);
  placement->SetMatrix(here);
  IDirect3DDevice8* d = D3DDevice();
  engine->ext->IncreaseTreeCount();
  d->BeginScene();
  object->DrawSurfaces();
  object->SetUseFullObjectCulling(true);
  d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  object->DrawSurfaces();
  d->EndScene();
  image = PresentAndCapture();
  EXPECT_TRUE(object->GetIfObjectIsVisible());
  EXPECT_RGB_NEAR(At(image, 0.5f, -0.25f), 0, 255, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0.7f, -0.05f), 0, 255, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0.0f, 0.0f), 0, 0, 0, 1);
  D3DXVECTOR3 min, max;
  object->GetBoundingBoxMinMax(&min, &max);
  EXPECT_EQ(min, D3DXVECTOR3(0.25f, -0.5f, 0.5f));
  EXPECT_EQ(max, D3DXVECTOR3(0.75f, 0.0f, 0.5f));
}

}  // namespace
}  // namespace vel_test
