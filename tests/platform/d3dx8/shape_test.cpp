// Shape meshes: vertex and triangle counts, vertex layout, unit normals,
// outward clockwise winding, adjacency, and drawing through the device with
// its default culling.
#include <d3dx8/d3dx8.h>

#include <cmath>
#include <functional>
#include <vector>

#include "device_fixture.h"

namespace {

struct Vertex {
  D3DXVECTOR3 position;
  D3DXVECTOR3 normal;
};

struct MeshData {
  std::vector<Vertex> vertices;
  std::vector<WORD> indices;
};

// Reads a mesh's buffers and releases the mesh.
MeshData Take(LPD3DXMESH mesh) {
  MeshData data;
  EXPECT_EQ(DWORD(D3DFVF_XYZ | D3DFVF_NORMAL), mesh->GetFVF());
  BYTE* bytes = nullptr;
  EXPECT_EQ(D3D_OK, mesh->LockVertexBuffer(D3DLOCK_READONLY, &bytes));
  const Vertex* v = reinterpret_cast<const Vertex*>(bytes);
  data.vertices.assign(v, v + mesh->GetNumVertices());
  mesh->UnlockVertexBuffer();
  EXPECT_EQ(D3D_OK, mesh->LockIndexBuffer(D3DLOCK_READONLY, &bytes));
  const WORD* i = reinterpret_cast<const WORD*>(bytes);
  data.indices.assign(i, i + 3 * mesh->GetNumFaces());
  mesh->UnlockIndexBuffer();
  mesh->Release();
  return data;
}

// Every normal has unit length; every triangle that is not degenerate has its
// face normal (b - a) x (c - a), the outward normal of a clockwise front face,
// on the same side as `outward` says for its centre.
void ExpectSound(const MeshData& m, const std::function<D3DXVECTOR3(const D3DXVECTOR3&)>& outward) {
  for (const Vertex& v : m.vertices) EXPECT_NEAR(1.0f, D3DXVec3Length(&v.normal), 1e-5f);
  for (WORD index : m.indices) ASSERT_LT(index, m.vertices.size());
  int checked = 0;
  for (size_t f = 0; f < m.indices.size(); f += 3) {
    const D3DXVECTOR3& a = m.vertices[m.indices[f]].position;
    const D3DXVECTOR3& b = m.vertices[m.indices[f + 1]].position;
    const D3DXVECTOR3& c = m.vertices[m.indices[f + 2]].position;
    D3DXVECTOR3 e1 = b - a, e2 = c - a, n;
    D3DXVec3Cross(&n, &e1, &e2);
    if (D3DXVec3Length(&n) < 1e-6f) continue;
    const D3DXVECTOR3 centre = (a + b + c) / 3.0f;
    const D3DXVECTOR3 out = outward(centre);
    EXPECT_GT(D3DXVec3Dot(&n, &out), 0.0f) << "triangle " << f / 3 << " faces inwards";
    // The vertex normals agree with the face.
    EXPECT_GT(D3DXVec3Dot(&n, &m.vertices[m.indices[f]].normal), 0.0f) << "triangle " << f / 3;
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

D3DXVECTOR3 FromOrigin(const D3DXVECTOR3& p) { return p; }

class ShapeTest : public DeviceTest {};

TEST_F(ShapeTest, BoxHasTwentyFourVerticesTwelveOutwardTriangles) {
  LPD3DXMESH mesh = nullptr;
  ASSERT_EQ(D3D_OK, D3DXCreateBox(device_, 2, 4, 6, &mesh, nullptr));
  EXPECT_EQ(24u, mesh->GetNumVertices());
  EXPECT_EQ(12u, mesh->GetNumFaces());
  const MeshData m = Take(mesh);
  ExpectSound(m, FromOrigin);
  for (const Vertex& v : m.vertices) {
    EXPECT_FLOAT_EQ(1.0f, std::fabs(v.position.x));
    EXPECT_FLOAT_EQ(2.0f, std::fabs(v.position.y));
    EXPECT_FLOAT_EQ(3.0f, std::fabs(v.position.z));
    // The normal is the axis of the side the vertex belongs to.
    const float along = v.normal.x * v.position.x + v.normal.y * v.position.y + v.normal.z * v.position.z;
    EXPECT_TRUE(along == 1.0f || along == 2.0f || along == 3.0f);
  }
  // Four vertices for each of the six axis directions.
  for (const D3DXVECTOR3& axis : {D3DXVECTOR3(1, 0, 0), D3DXVECTOR3(-1, 0, 0), D3DXVECTOR3(0, 1, 0),
                                  D3DXVECTOR3(0, -1, 0), D3DXVECTOR3(0, 0, 1), D3DXVECTOR3(0, 0, -1)}) {
    int count = 0;
    for (const Vertex& v : m.vertices) count += v.normal == axis;
    EXPECT_EQ(4, count);
  }
}

TEST_F(ShapeTest, SphereCountsRadiusAndWinding) {
  LPD3DXMESH mesh = nullptr;
  ASSERT_EQ(D3D_OK, D3DXCreateSphere(device_, 2.0f, 24, 12, &mesh, nullptr));
  EXPECT_EQ(24u * 11 + 2, mesh->GetNumVertices());
  EXPECT_EQ(2u * 24 * 11, mesh->GetNumFaces());
  const MeshData m = Take(mesh);
  ExpectSound(m, FromOrigin);
  for (const Vertex& v : m.vertices) {
    EXPECT_NEAR(2.0f, D3DXVec3Length(&v.position), 1e-5f);
    const D3DXVECTOR3 difference = v.normal * 2.0f - v.position;
    EXPECT_LT(D3DXVec3Length(&difference), 1e-5f);
  }
  // The smallest sphere: two stacks.
  ASSERT_EQ(D3D_OK, D3DXCreateSphere(device_, 1.0f, 3, 2, &mesh, nullptr));
  EXPECT_EQ(5u, mesh->GetNumVertices());
  EXPECT_EQ(6u, mesh->GetNumFaces());
  ExpectSound(Take(mesh), FromOrigin);
}

TEST_F(ShapeTest, CylinderAndConeCountsAndWinding) {
  for (float radius2 : {1.0f, 0.0f}) {
    LPD3DXMESH mesh = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateCylinder(device_, 1.0f, radius2, 1.0f, 12, 3, &mesh, nullptr));
    EXPECT_EQ(12u * (3 + 3) + 2, mesh->GetNumVertices());
    EXPECT_EQ(2u * 12 * (3 + 1), mesh->GetNumFaces());
    const MeshData m = Take(mesh);
    ExpectSound(m, FromOrigin);
    for (const Vertex& v : m.vertices) {
      EXPECT_LE(std::fabs(v.position.z), 0.5f + 1e-6f);
      // Radius 1 at z = -0.5, radius2 at z = +0.5.
      const float r = std::hypot(v.position.x, v.position.y);
      const float expected = 1.0f + (radius2 - 1.0f) * (v.position.z + 0.5f);
      if (r > 1e-6f) {
        EXPECT_NEAR(expected, r, 1e-5f);
      }
    }
  }
}

TEST_F(ShapeTest, TorusCountsAndWinding) {
  LPD3DXMESH mesh = nullptr;
  ASSERT_EQ(D3D_OK, D3DXCreateTorus(device_, 0.5f, 1.0f, 12, 24, &mesh, nullptr));
  EXPECT_EQ(12u * 24, mesh->GetNumVertices());
  EXPECT_EQ(2u * 12 * 24, mesh->GetNumFaces());
  const MeshData m = Take(mesh);
  // Outward from the tube's centre line, the circle of radius 1 in the xy plane.
  auto fromTube = [](const D3DXVECTOR3& p) {
    const float r = std::hypot(p.x, p.y);
    return p - D3DXVECTOR3(p.x / r, p.y / r, 0);
  };
  ExpectSound(m, fromTube);
  for (const Vertex& v : m.vertices) {
    const D3DXVECTOR3 d = fromTube(v.position);
    EXPECT_NEAR(0.5f, D3DXVec3Length(&d), 1e-5f);
  }
}

TEST_F(ShapeTest, PolygonFacesPlusZWithEdgesOfTheGivenLength) {
  LPD3DXMESH mesh = nullptr;
  const float side = 3.141592f / 12;
  ASSERT_EQ(D3D_OK, D3DXCreatePolygon(device_, side, 12, &mesh, nullptr));
  EXPECT_EQ(13u, mesh->GetNumVertices());
  EXPECT_EQ(12u, mesh->GetNumFaces());
  const MeshData m = Take(mesh);
  ExpectSound(m, [](const D3DXVECTOR3&) { return D3DXVECTOR3(0, 0, 1); });
  for (const Vertex& v : m.vertices) EXPECT_EQ(D3DXVECTOR3(0, 0, 1), v.normal);
  for (size_t f = 0; f < m.indices.size(); f += 3) {
    const D3DXVECTOR3 edge = m.vertices[m.indices[f + 2]].position - m.vertices[m.indices[f + 1]].position;
    EXPECT_NEAR(side, D3DXVec3Length(&edge), 1e-5f);
  }
}

TEST_F(ShapeTest, InvalidArgumentsFailWithoutAMesh) {
  LPD3DXMESH mesh = reinterpret_cast<LPD3DXMESH>(0x1);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreatePolygon(device_, 1.0f, 0, &mesh, nullptr));
  EXPECT_EQ(nullptr, mesh);
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreatePolygon(device_, 1.0f, 2, &mesh, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateSphere(device_, 1.0f, 0, 0, &mesh, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateSphere(device_, 1.0f, 2, 1, &mesh, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateCylinder(device_, 1.0f, 1.0f, 1.0f, 2, 0, &mesh, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateTorus(device_, 0.5f, 1.0f, 2, 24, &mesh, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateBox(device_, -1, 1, 1, &mesh, nullptr));
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateBox(nullptr, 1, 1, 1, &mesh, nullptr));
  // More vertices than 16-bit indices reach.
  EXPECT_EQ(D3DERR_INVALIDCALL, D3DXCreateSphere(device_, 1.0f, 1000, 1000, &mesh, nullptr));
  EXPECT_EQ(nullptr, mesh);
}

TEST_F(ShapeTest, AdjacencyOfAClosedBoxLinksEveryEdgeBothWays) {
  LPD3DXMESH mesh = nullptr;
  LPD3DXBUFFER adjacency = nullptr;
  ASSERT_EQ(D3D_OK, D3DXCreateBox(device_, 1, 1, 1, &mesh, &adjacency));
  ASSERT_NE(nullptr, adjacency);
  ASSERT_EQ(12u * 3 * sizeof(DWORD), adjacency->GetBufferSize());
  const DWORD* adj = static_cast<const DWORD*>(adjacency->GetBufferPointer());
  for (DWORD f = 0; f < 12; ++f) {
    for (int e = 0; e < 3; ++e) {
      const DWORD other = adj[3 * f + e];
      ASSERT_LT(other, 12u);
      EXPECT_NE(f, other);
      EXPECT_TRUE(adj[3 * other] == f || adj[3 * other + 1] == f || adj[3 * other + 2] == f);
    }
  }
  adjacency->Release();
  mesh->Release();
}

// Draws a polygon (facing +z) with lighting off, seen from +z and from -z:
// under the default culling of counter-clockwise triangles only the front
// view shows it.
TEST_F(ShapeTest, DrawSubsetShowsFrontFacesUnderDefaultCulling) {
  LPD3DXMESH mesh = nullptr;
  ASSERT_EQ(D3D_OK, D3DXCreatePolygon(device_, 1.0f, 8, &mesh, nullptr));
  D3DXMATRIX world, projection;
  D3DXMatrixIdentity(&world);
  D3DXMatrixPerspectiveFovLH(&projection, D3DX_PI / 2, 1.0f, 0.1f, 100.0f);
  device_->SetTransform(D3DTS_WORLD, &world);
  device_->SetTransform(D3DTS_PROJECTION, &projection);
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);

  auto centrePixel = [&](float eyeZ) {
    const D3DXVECTOR3 eye(0, 0, eyeZ), at(0, 0, 0), up(0, 1, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device_->BeginScene();
    EXPECT_EQ(D3D_OK, mesh->DrawSubset(0));
    device_->EndScene();
    IDirect3DSurface8* target = nullptr;
    EXPECT_EQ(D3D_OK, device_->GetRenderTarget(&target));
    D3DLOCKED_RECT locked;
    uint32_t pixel = 0xDEADBEEF;
    if (target && target->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
      const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + size_t(kBackBufferSize / 2) * locked.Pitch;
      pixel = reinterpret_cast<const uint32_t*>(row)[kBackBufferSize / 2];
      target->UnlockRect();
    }
    SafeRelease(target);
    return pixel & 0x00FFFFFF;
  };
  EXPECT_EQ(0x00FFFFFFu, centrePixel(3.0f));   // front: white (no vertex colour)
  EXPECT_EQ(0x00000000u, centrePixel(-3.0f));  // back: culled
  // A subset no triangle belongs to draws nothing.
  EXPECT_EQ(D3D_OK, mesh->DrawSubset(7));
  mesh->Release();
}

}  // namespace
