// Drawing a mesh: pixels where its positions say, statistics, buffers built
// once and released before they are built again, a failed build reported
// once, culling against the frustum and the texture transforms.
#include "matrixvalue/vel_matrix_channel.h"
#include "mesh_fixture.h"

#include <cmath>
#include <limits>

namespace vel_test {
namespace {

constexpr const char* kInvalidIndices = "Vel_DX8_ObjectDataChannel::CreateVertexBuffer Invalid index data";

class MeshDrawTest : public MeshTest {
 protected:
  void SetUp() override {
    MeshTest::SetUp();
    ASSERT_NE(D3DDevice(), nullptr);
    FlatSetup();
  }
  void TearDown() override {
    D3D8Debug_FailCreateDevice(D3D_OK, 0);
    MeshTest::TearDown();
  }

  // Device objects alive, not counting the mesh buffers the device still
  // holds bound from the last draw.
  UINT LiveObjects() {
    D3DDevice()->SetStreamSource(0, nullptr, 0);
    D3DDevice()->SetIndices(nullptr, 0);
    return D3D8Debug_LiveObjectCount();
  }

  static int LitPixels(const Image& image) {
    int n = 0;
    for (uint32_t p : image.argb) n += (p & 0x00FFFFFF) != 0;
    return n;
  }
};

TEST_F(MeshDrawTest, DrawsItsTrianglesWhereThePositionsAreAndCountsThem) {
  Vel_DX8_ObjectDataChannel* mesh = NewMesh();
  MakeQuad(mesh, -1, -1, 0, 1, 0.5f, 0xFFFF0000);
  Vel_FloatChannel* vertices = Statistic("Vel_ObjectData_VertexCount");
  Vel_FloatChannel* polygons = Statistic("Vel_ObjectData_PolyCount");
  const float vertices0 = vertices->GetFloat();
  const float polygons0 = polygons->GetFloat();

  Image image = DrawFrame(mesh);
  EXPECT_RGB_NEAR(At(image, -0.5f, 0.5f), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, -0.9f, -0.9f), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0.5f, 0.0f), 0, 0, 0, 1);
  EXPECT_FLOAT_EQ(vertices->GetFloat() - vertices0, 4.0f);
  EXPECT_FLOAT_EQ(polygons->GetFloat() - polygons0, 6 * 0.3333f);
  EXPECT_EQ(mesh->GetFVFlags(), static_cast<unsigned long>(D3DFVF_XYZ | D3DFVF_DIFFUSE));
  EXPECT_EQ(mesh->GetVertexSize(), 16u);

  // Later frames draw from the same buffers: nothing is rebuilt.
  const unsigned long stamp = mesh->GetTimeStamp();
  const UINT live = LiveObjects();
  image = DrawFrame(mesh);
  EXPECT_RGB_NEAR(At(image, -0.5f, 0.5f), 255, 0, 0, 1);
  EXPECT_EQ(mesh->GetTimeStamp(), stamp);
  EXPECT_EQ(LiveObjects(), live);
  EXPECT_FLOAT_EQ(vertices->GetFloat() - vertices0, 8.0f);
}

TEST_F(MeshDrawTest, BuffersAreReleasedBeforeTheyAreBuiltAgain) {
  const UINT live = LiveObjects();
  Vel_DX8_ObjectDataChannel* mesh = NewMesh();
  MakeQuad(mesh, -1, -1, 1, 1, 0.5f, 0xFF00FF00);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(mesh->CreateVertexBuffer());
  EXPECT_EQ(LiveObjects(), live + 2);

  // After the device dropped them, the next first draw of a frame builds
  // them again from the arrays.
  const unsigned long stamp = mesh->GetTimeStamp();
  mesh->InvalidateDeviceObjects();
  EXPECT_EQ(LiveObjects(), live);
  EXPECT_RGB_NEAR(At(DrawFrame(mesh), 0, 0), 0, 255, 0, 1);
  EXPECT_NE(mesh->GetTimeStamp(), stamp);

  // A point list needs no indices.
  mesh->SetIndexCount(0);
  mesh->SetPolygonType(1);
  ASSERT_TRUE(mesh->CreateVertexBuffer());
  EXPECT_EQ(LiveObjects(), live + 1);
  EXPECT_GT(LitPixels(DrawFrame(mesh)), 0);
}

TEST_F(MeshDrawTest, ABuildThatFailedIsReportedOnceAndTriedAgainWhenTheDataChanges) {
  Vel_DX8_ObjectDataChannel* mesh = NewMesh();
  MakeQuad(mesh, -1, -1, 1, 1, 0.5f, 0xFF0000FF);
  mesh->SetIndex(4, 5);  // one past the last vertex
  const UINT live = LiveObjects();
  RunFrames(mesh, 5);
  EXPECT_EQ(messages.Count(kInvalidIndices), 1);
  EXPECT_TRUE(messages.Has(kMessageBox, kInvalidIndices));
  // The failed build holds no buffer, locked or not.
  EXPECT_EQ(LiveObjects(), live);
  EXPECT_EQ(LitPixels(DrawFrame(mesh)), 0);

  mesh->SetIndex(3, 5);
  EXPECT_RGB_NEAR(At(DrawFrame(mesh), 0.5f, 0.5f), 0, 0, 255, 1);
  EXPECT_EQ(messages.Count(kInvalidIndices), 1);
}

// A mesh made while the device channel has no device learns the device's
// primitive limit when it first builds its buffers, so its indexed
// primitives draw.
class MeshLateDeviceTest : public MeshTest {
 protected:
  void TearDown() override {
    D3D8Debug_FailCreateDevice(D3D_OK, 0);
    MeshTest::TearDown();
  }
};

TEST_F(MeshLateDeviceTest, IndexedMeshesDrawOnADeviceMadeAfterThem) {
  D3D8Debug_FailCreateDevice(E_FAIL, -1);
  Vel_DX8_ObjectDataChannel* mesh = NewMesh();
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(D3DDevice(), nullptr);
  D3D8Debug_FailCreateDevice(D3D_OK, 0);
  ASSERT_TRUE(Device()->ResetDevice());
  FlatSetup();
  MakeQuad(mesh, -1, -1, 1, 1, 0.5f, 0xFFFFFFFF);
  EXPECT_RGB_NEAR(At(DrawFrame(mesh), 0, 0), 255, 255, 255, 1);
}

TEST_F(MeshDrawTest, AMeshOutsideTheFrustumIsNotDrawn) {
  Vel_DX8_ObjectDataChannel* mesh = NewMesh();
  MakeQuad(mesh, 2, -0.5f, 3, 0.5f, 0.5f, 0xFFFFFFFF);
  Vel_FloatChannel* vertices = Statistic("Vel_ObjectData_VertexCount");
  const float before = vertices->GetFloat();
  EXPECT_EQ(LitPixels(DrawFrame(mesh)), 0);
  EXPECT_FALSE(mesh->GetIfObjectIsVisible());
  EXPECT_EQ(vertices->GetFloat(), before);

  // Its world matrix brings it into view: x from -0.5 to 0.5.
  D3DXMATRIX world;
  D3DXMatrixTranslation(&world, -2.5f, 0, 0);
  mesh->SetWorldMatrix(world);
  D3DDevice()->SetTransform(D3DTS_WORLD, &world);
  EXPECT_TRUE(mesh->GetIfObjectIsVisible());
  Image image = DrawFrame(mesh);
  EXPECT_RGB_NEAR(At(image, 0, 0), 255, 255, 255, 1);
  EXPECT_RGB_NEAR(At(image, 0.75f, 0), 0, 0, 0, 1);
}

TEST_F(MeshDrawTest, TheTransformedBoxFollowsTheMatrixAndTheData) {
  Vel_DX8_ObjectDataChannel* mesh = NewMesh();
  MakeQuad(mesh, -1, -2, 1, 2, 0, 0xFFFFFFFF);
  D3DXMATRIX turn;
  D3DXMatrixRotationZ(&turn, static_cast<float>(M_PI / 2));
  BoundingBox box = mesh->GetObjectTransformedMinMaxBox(turn);
  EXPECT_NEAR(box.min.x, -2, 1e-5);
  EXPECT_NEAR(box.max.x, 2, 1e-5);
  EXPECT_NEAR(box.min.y, -1, 1e-5);
  EXPECT_NEAR(box.max.y, 1, 1e-5);

  // New positions, the same matrix: the box is that of the new positions.
  mesh->SetVertexPosition(VertPos{-1, 5, 0}, 0);
  ASSERT_TRUE(mesh->CreateVertexBuffer());
  box = mesh->GetObjectTransformedMinMaxBox(turn);
  EXPECT_NEAR(box.min.x, -5, 1e-5);
  EXPECT_EQ(mesh->GetBoundingBoxMax().y, 5.0f);
}

TEST_F(MeshDrawTest, TextureTransformsComeFromTheMatrixChildrenOrTheCoordinateSource) {
  Vel_DX8_ObjectDataChannel* mesh = NewMesh();
  MakeQuad(mesh, -1, -1, 1, 1, 0.5f, 0xFFFFFFFF);
  auto* matrix = Create<Vel_MatrixChannel>(vel::kMatrixType);
  D3DXMATRIX scale;
  D3DXMatrixScaling(&scale, 2, 3, 1);
  matrix->SetMatrix(scale);
  ASSERT_TRUE(Link(mesh, matrix, 0));
  Device()->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACENORMAL | 1);
  Device()->SetTextureStageState(2, D3DTSS_TEXCOORDINDEX, 1);
  DrawFrame(mesh);

  D3DMATRIX m;
  D3DDevice()->GetTransform(D3DTS_TEXTURE0, &m);
  EXPECT_EQ(m._11, 2.0f);
  EXPECT_EQ(m._22, 3.0f);
  D3DDevice()->GetTransform(D3DTS_TEXTURE1, &m);
  EXPECT_EQ(m._11, 0.5f);
  EXPECT_EQ(m._22, -0.5f);
  EXPECT_EQ(m._33, 0.0f);
  EXPECT_EQ(m._42, -0.5f);
  D3DDevice()->GetTransform(D3DTS_TEXTURE2, &m);
  EXPECT_EQ(m._22, 1.0f);
  DWORD flags = 0;
  D3DDevice()->GetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, &flags);
  EXPECT_EQ(flags, static_cast<DWORD>(D3DTTFF_COUNT2));

  // A matrix that is not finite never reaches the device.
  scale._11 = std::numeric_limits<float>::quiet_NaN();
  matrix->SetMatrix(scale);
  DrawFrame(mesh);
  D3DDevice()->GetTransform(D3DTS_TEXTURE0, &m);
  EXPECT_EQ(m._11, 1.0f);
}

}  // namespace
}  // namespace vel_test
