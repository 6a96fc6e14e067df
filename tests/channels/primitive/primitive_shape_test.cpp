// The generated shapes against their definitions: counts from the shape's
// tessellation, every vertex on the shape's surface with the surface's normal,
// every triangle wound clockwise about its normals (front-facing), and the
// flip reversing both. Then the complexity child's odd values and a mesh
// whose buffers cannot be read, and complexities past what a builder makes.
#include "floatvalue/vel_float_channel.h"
#include "mesh_fixture.h"
#include "primitive/vel_dx8_primitive.h"

#include <d3dx8/d3dx8mesh.h>
#include <d3dx8/d3dx8shape.h>

#include <cmath>
#include <limits>
#include <utility>

namespace vel_test {
namespace {

using P = Vel_DX8_Primitive;

struct Counts {
  int vertices, triangles;
};

// Vertex and triangle counts of each shape at complexity c.
Counts Expected(int type, int c) {
  switch (type) {
    case P::kBox: return {24, 12};
    case P::kQuad: return {4, 2};
    case P::kSphere: return {2 * c * (c - 1) + 2, 2 * 2 * c * (c - 1)};     // 2c slices, c stacks
    case P::kCylinder:
    case P::kCone: return {c * (c / 4 + 3) + 2, 2 * c * (c / 4 + 1)};      // c slices, c/4 stacks
    case P::kTorus: return {c * 2 * c, 2 * c * 2 * c};                      // c sides, 2c rings
    case P::kPolygon: return {c + 1, c};
  }
  return {0, 0};
}

constexpr float kEps = 1e-4f;

// Checks vertex i of a shape of `type` at complexity c lies on the shape's
// surface and carries its outward normal.
void ExpectOnSurface(int type, int c, D3DXVECTOR3 p, D3DXVECTOR3 n, int i) {
  SCOPED_TRACE(::testing::Message() << "type " << type << " complexity " << c << " vertex " << i);
  EXPECT_NEAR(D3DXVec3Length(&n), 1.0f, kEps);
  const float radial = std::sqrt(p.x * p.x + p.y * p.y);
  switch (type) {
    case P::kBox: {
      // On a face of the unit cube, the normal along that face's axis.
      EXPECT_NEAR(std::fabs(p.x), 0.5f, kEps);
      EXPECT_NEAR(std::fabs(p.y), 0.5f, kEps);
      EXPECT_NEAR(std::fabs(p.z), 0.5f, kEps);
      EXPECT_NEAR(D3DXVec3Dot(&n, &p), 0.5f, kEps);
      break;
    }
    case P::kSphere:
      EXPECT_NEAR(D3DXVec3Length(&p), 1.0f, kEps);
      EXPECT_NEAR(D3DXVec3Dot(&n, &p), 1.0f, kEps);
      break;
    case P::kCylinder:
    case P::kCone: {
      // Radius 1 at z = -0.5 to 1 (cylinder) or 0 (cone) at z = +0.5.
      const float top = type == P::kCone ? 0.0f : 1.0f;
      const float r = 1.0f + (top - 1.0f) * (p.z + 0.5f);
      if (std::fabs(n.z) > 0.999f) {  // a cap: flat, normal along the axis outwards
        EXPECT_NEAR(std::fabs(p.z), 0.5f, kEps);
        EXPECT_GT(n.z * p.z, 0.0f);
        EXPECT_LE(radial, 1.0f + kEps);
      } else {  // the side: on the (slanted) wall, normal pointing away from the axis
        EXPECT_NEAR(radial, r, kEps);
        EXPECT_LE(std::fabs(p.z), 0.5f + kEps);
        if (radial > kEps) {
          EXPECT_GT(n.x * p.x + n.y * p.y, 0.0f);
        }
        // The wall's slope: the normal tilts by (r1 - r2) / length.
        const float slope = 1.0f - top;
        EXPECT_NEAR(n.z / std::sqrt(n.x * n.x + n.y * n.y), slope, 1e-3f);
      }
      break;
    }
    case P::kTorus: {
      // A tube of radius 0.5 round the circle of radius 1 in the xy plane.
      D3DXVECTOR3 centre(p.x / radial, p.y / radial, 0);
      D3DXVECTOR3 out = p - centre;
      EXPECT_NEAR(D3DXVec3Length(&out), 0.5f, kEps);
      EXPECT_NEAR(D3DXVec3Dot(&n, &out), 0.5f, kEps);
      break;
    }
    case P::kPolygon: {
      // Corners on the circle of a regular c-gon of side pi/c, the centre at 0.
      const double side = 3.141592 / c;
      const double circumradius = side / (2.0 * std::sin(3.14159265358979 / c));
      EXPECT_NEAR(p.z, 0.0f, kEps);
      if (i == 0) {
        EXPECT_NEAR(radial, 0.0f, kEps);
      } else {
        EXPECT_NEAR(radial, circumradius, 1e-4);
      }
      EXPECT_NEAR(std::fabs(n.z), 1.0f, kEps);
      break;
    }
  }
}

class PrimitiveShapeTest : public MeshTest {
 protected:
  void SetUp() override {
    MeshTest::SetUp();
    ASSERT_NE(D3DDevice(), nullptr);
    complexity = Create<Vel_FloatChannel>(vel::kFloatType);
    ASSERT_NE(complexity, nullptr);
  }

  P* Shape(int type, float c, bool flip = false) {
    auto* shape = Create<P>(vel::kPrimitiveType);
    EXPECT_NE(shape, nullptr);
    if (!shape) return nullptr;
    complexity->SetFloat(c);
    EXPECT_TRUE(Link(shape, complexity, 2));
    shape->SetPrimitiveType(type);
    shape->SetPolygonFlip(flip);
    shape->UpdateData();
    return shape;
  }

  // Every triangle faces the way its vertices' normals point: clockwise seen
  // from that side, (b - a) x (c - a) along the normals. Degenerate
  // triangles (a cone's tip) are passed over.
  static void ExpectFrontFacing(P* shape) {
    for (int t = 0; t + 2 < shape->GetIndexCount(); t += 3) {
      const D3DXVECTOR3 a = shape->GetVertexPositionDx(shape->GetIndexes(t));
      const D3DXVECTOR3 b = shape->GetVertexPositionDx(shape->GetIndexes(t + 1));
      const D3DXVECTOR3 c = shape->GetVertexPositionDx(shape->GetIndexes(t + 2));
      D3DXVECTOR3 ab = b - a, ac = c - a, cross;
      D3DXVec3Cross(&cross, &ab, &ac);
      if (D3DXVec3Length(&cross) < 1e-6f) continue;
      const D3DXVECTOR3 normals = shape->GetVertexNormalsDx(shape->GetIndexes(t)) +
                                  shape->GetVertexNormalsDx(shape->GetIndexes(t + 1)) +
                                  shape->GetVertexNormalsDx(shape->GetIndexes(t + 2));
      ASSERT_GT(D3DXVec3Dot(&cross, &normals), 0.0f) << "triangle " << t / 3;
    }
  }

  Vel_FloatChannel* complexity = nullptr;
};

TEST_F(PrimitiveShapeTest, EveryShapeMatchesItsDefinitionAtSeveralComplexities) {
  for (int type : {P::kBox, P::kSphere, P::kCylinder, P::kCone, P::kTorus, P::kPolygon}) {
    for (int c : {4, 7, 12}) {
      SCOPED_TRACE(::testing::Message() << "type " << type << " complexity " << c);
      P* shape = Shape(type, static_cast<float>(c));
      ASSERT_NE(shape, nullptr);
      const Counts want = Expected(type, c);
      ASSERT_EQ(shape->GetVertexCount(), want.vertices);
      ASSERT_EQ(shape->GetIndexCount(), 3 * want.triangles);
      EXPECT_EQ(shape->GetComplexity(), c);
      EXPECT_TRUE(shape->GetVertexNormalUse());
      for (int i = 0; i < want.vertices; ++i) {
        ExpectOnSurface(type, c, shape->GetVertexPositionDx(i), shape->GetVertexNormalsDx(i), i);
        const VertTUV uv = shape->GetVertexTUV(i), uv2 = shape->GetVertexTUV2(i);
        ASSERT_TRUE(std::isfinite(uv.u) && std::isfinite(uv.v) && std::isfinite(uv2.u) && std::isfinite(uv2.v));
      }
      ExpectFrontFacing(shape);

      // The flip turns it inside out: every normal negated, the index list
      // reversed, and so still wound clockwise about the new normals.
      P* flipped = Shape(type, static_cast<float>(c), true);
      ASSERT_EQ(flipped->GetIndexCount(), shape->GetIndexCount());
      const int n = shape->GetIndexCount();
      for (int i = 0; i < n; ++i) ASSERT_EQ(flipped->GetIndexes(i), shape->GetIndexes(n - 1 - i));
      for (int i = 0; i < want.vertices; ++i)
        ASSERT_EQ(flipped->GetVertexNormalsDx(i), -shape->GetVertexNormalsDx(i));
      ExpectFrontFacing(flipped);
      Destroy(shape);
      Destroy(flipped);
    }
  }
}

TEST_F(PrimitiveShapeTest, QuadIsBuiltDirectlyAndIgnoresTheFlip) {
  for (bool flip : {false, true}) {
    P* quad = Shape(P::kQuad, 12, flip);
    ASSERT_EQ(quad->GetVertexCount(), 4);
    ASSERT_EQ(quad->GetIndexCount(), 6);
    const D3DXVECTOR3 corners[4] = {{-0.5f, 0.5f, 0}, {0.5f, 0.5f, 0}, {0.5f, -0.5f, 0}, {-0.5f, -0.5f, 0}};
    const unsigned short indices[6] = {0, 2, 3, 0, 1, 2};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(quad->GetVertexPositionDx(i), corners[i]);
      EXPECT_EQ(quad->GetVertexNormalsDx(i), D3DXVECTOR3(0, 0, -1));
      // The flat quad has no extent along the default planar axis: its
      // coordinates are 0 there, never NaN.
      const VertTUV uv = quad->GetVertexTUV(i);
      EXPECT_TRUE(std::isfinite(uv.u) && std::isfinite(uv.v));
    }
    for (int i = 0; i < 6; ++i) EXPECT_EQ(quad->GetIndexes(i), indices[i]);
    ExpectFrontFacing(quad);
  }
}

// Counts the builds the channel runs.
class CountingPrimitive : public P {
 public:
  void CreateShape() override {
    ++builds;
    P::CreateShape();
  }
  int builds = 0;
};

TEST_F(PrimitiveShapeTest, ComplexitySaturatesAndAFailedBuildIsNotRetriedEveryFrame) {
  auto* shape = Adopt<CountingPrimitive>();
  ASSERT_TRUE(Link(shape, complexity, 2));
  shape->SetPrimitiveType(P::kCylinder);

  // NaN and negative values give complexity 0: the builder refuses, once.
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), -5.0f, -1e30f}) {
    complexity->SetFloat(bad);
    const int before = shape->builds;
    RunFrames(shape, 3);
    EXPECT_EQ(shape->builds, before + 1) << bad;
    EXPECT_EQ(shape->GetComplexity(), 0);
    EXPECT_TRUE(shape->GetBuildFailed());
    EXPECT_EQ(shape->GetVertexCount(), 0);
    EXPECT_EQ(shape->GetIndexCount(), 0);
  }

  // A huge value saturates to the largest int and goes to the builder,
  // which cannot make it: the shape stays empty, without a message.
  messages.Clear();
  complexity->SetFloat(1e30f);
  RunFrames(shape, 2);
  EXPECT_EQ(shape->GetComplexity(), INT32_MAX);
  EXPECT_TRUE(shape->GetBuildFailed());
  EXPECT_EQ(shape->GetVertexCount(), 0);
  EXPECT_TRUE(messages.messages.empty());

  // A fractional value builds once with its whole part and is then left.
  complexity->SetFloat(6.5f);
  const int before = shape->builds;
  RunFrames(shape, 3);
  EXPECT_EQ(shape->builds, before + 1);
  EXPECT_EQ(shape->GetVertexCount(), Expected(P::kCylinder, 6).vertices);

  // A failure is tried again when the type changes.
  complexity->SetFloat(2.0f);  // a cylinder of 2 slices and 0 stacks fails
  RunFrames(shape, 2);
  EXPECT_TRUE(shape->GetBuildFailed());
  shape->SetPrimitiveType(P::kBox);
  RunFrames(shape, 1);
  EXPECT_FALSE(shape->GetBuildFailed());
  EXPECT_EQ(shape->GetVertexCount(), 24);
}

TEST_F(PrimitiveShapeTest, LargeComplexitiesGoToTheBuilderWhichDecidesWhatItCanMake) {
  // What the builders themselves make of the shape's arguments.
  ID3DXMesh* mesh = nullptr;
  auto built = [&](HRESULT result) {
    EXPECT_EQ(result, D3D_OK);
    const int vertices = mesh ? static_cast<int>(mesh->GetNumVertices()) : -1;
    const int indices = mesh ? static_cast<int>(mesh->GetNumFaces() * 3) : -1;
    if (mesh) mesh->Release();
    mesh = nullptr;
    return std::pair{vertices, indices};
  };
  // A cylinder of 200 slices and 50 stacks, a polygon of 300 sides.
  const auto cylinder = built(D3DXCreateCylinder(D3DDevice(), 1, 1, 1, 200, 50, &mesh, nullptr));
  const auto polygon = built(D3DXCreatePolygon(D3DDevice(), 3.141592f / 300, 300, &mesh, nullptr));
  ASSERT_GT(cylinder.first, 0);
  ASSERT_GT(polygon.first, 0);

  P* tube = Shape(P::kCylinder, 200.0f);
  EXPECT_EQ(tube->GetComplexity(), 200);
  EXPECT_EQ(tube->GetVertexCount(), cylinder.first);
  EXPECT_EQ(tube->GetIndexCount(), cylinder.second);
  P* flat = Shape(P::kPolygon, 300.9f);
  EXPECT_EQ(flat->GetComplexity(), 300);
  EXPECT_EQ(flat->GetVertexCount(), polygon.first);
  EXPECT_EQ(flat->GetIndexCount(), polygon.second);
  // Its corners lie on the circle of a regular 300-gon of side pi/300.
  ExpectOnSurface(P::kPolygon, 300, flat->GetVertexPositionDx(150), flat->GetVertexNormalsDx(150), 150);

  // A sphere of 400 slices and 200 stacks is past what the builder makes
  // with 16-bit indices: it refuses, and the shape stays empty and unbuilt
  // without a message.
  EXPECT_NE(D3DXCreateSphere(D3DDevice(), 1, 400, 200, &mesh, nullptr), D3D_OK);
  messages.Clear();
  P* ball = Shape(P::kSphere, 200.0f);
  EXPECT_EQ(ball->GetComplexity(), 200);
  EXPECT_TRUE(ball->GetBuildFailed());
  EXPECT_EQ(ball->GetVertexCount(), 0);
  EXPECT_EQ(ball->GetIndexCount(), 0);
  EXPECT_TRUE(messages.messages.empty());
}

// A shape mesh whose vertex or index buffer cannot be locked.
class UnreadableMesh : public ID3DXMesh {
 public:
  explicit UnreadableMesh(bool vertexLockFails) : vertexLockFails_(vertexLockFails) {}
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT DrawSubset(DWORD) override { return D3D_OK; }
  DWORD GetNumFaces() override { return 1; }
  DWORD GetNumVertices() override { return 3; }
  DWORD GetFVF() override { return D3DFVF_XYZ | D3DFVF_NORMAL; }
  DWORD GetOptions() override { return 0; }
  HRESULT GetDevice(IDirect3DDevice8**) override { return E_FAIL; }
  HRESULT GetVertexBuffer(IDirect3DVertexBuffer8**) override { return E_FAIL; }
  HRESULT GetIndexBuffer(IDirect3DIndexBuffer8**) override { return E_FAIL; }
  HRESULT LockVertexBuffer(DWORD, BYTE** data) override {
    if (vertexLockFails_) return D3DERR_INVALIDCALL;
    *data = reinterpret_cast<BYTE*>(vertices_);
    return D3D_OK;
  }
  HRESULT UnlockVertexBuffer() override { return D3D_OK; }
  HRESULT LockIndexBuffer(DWORD, BYTE**) override { return D3DERR_INVALIDCALL; }
  HRESULT UnlockIndexBuffer() override { return D3D_OK; }
  HRESULT LockAttributeBuffer(DWORD, DWORD**) override { return E_FAIL; }
  HRESULT UnlockAttributeBuffer() override { return D3D_OK; }

 private:
  bool vertexLockFails_;
  float vertices_[18] = {};
};

class CopyingPrimitive : public P {
 public:
  using P::CopyShape;
};

TEST_F(PrimitiveShapeTest, AFailedLockLeavesNoCountsWithoutArrays) {
  auto* shape = Adopt<CopyingPrimitive>();
  shape->SetPrimitiveType(P::kBox);
  shape->UpdateData();
  ASSERT_EQ(shape->GetVertexCount(), 24);
  for (bool vertexLockFails : {true, false}) {
    UnreadableMesh unreadable(vertexLockFails);
    EXPECT_FALSE(shape->CopyShape(&unreadable));
    EXPECT_EQ(shape->GetVertexCount(), 0);
    EXPECT_EQ(shape->GetIndexCount(), 0);
    // Drawing the empty mesh reads nothing.
    shape->StreamVertexData();
  }
}

}  // namespace
}  // namespace vel_test
