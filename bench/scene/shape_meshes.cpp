#include "shape_meshes.h"

#include <d3dx8/d3dx8shape.h>

#include <cstring>

namespace scenebench {
namespace {

// Copies a position-and-normal mesh out and releases it.
demos::MeshData CopyOut(ID3DXMesh* mesh) {
  demos::MeshData data;
  if (!mesh) return data;
  struct Vertex {
    D3DXVECTOR3 position, normal;
  };
  BYTE* vertices = nullptr;
  BYTE* indices = nullptr;
  if (mesh->GetFVF() == (D3DFVF_XYZ | D3DFVF_NORMAL) && mesh->LockVertexBuffer(D3DLOCK_READONLY, &vertices) == D3D_OK) {
    for (DWORD i = 0; i < mesh->GetNumVertices(); ++i) {
      Vertex v;
      std::memcpy(&v, vertices + i * sizeof v, sizeof v);
      data.positions.push_back(v.position);
      data.normals.push_back(v.normal);
      data.uvs.push_back({0, 0});
    }
    mesh->UnlockVertexBuffer();
    if (mesh->LockIndexBuffer(D3DLOCK_READONLY, &indices) == D3D_OK) {
      data.indices.resize(mesh->GetNumFaces() * 3);
      std::memcpy(data.indices.data(), indices, data.indices.size() * sizeof data.indices[0]);
      mesh->UnlockIndexBuffer();
    }
  }
  mesh->Release();
  return data;
}

}  // namespace

std::vector<demos::MeshData> DemoShapes(IDirect3DDevice8* device) {
  // The primitive channel's proportions: a unit sphere of 2c slices and c
  // stacks, a torus of tube 0.5 around radius 1 with c sides and 2c rings,
  // unit cylinder and cone of c slices and c / 4 stacks.
  constexpr UINT c = kShapeComplexity;
  ID3DXMesh* made[4] = {};
  if (!device || D3DXCreateSphere(device, 1, 2 * c, c, &made[0], nullptr) != D3D_OK ||
      D3DXCreateTorus(device, 0.5f, 1, c, 2 * c, &made[1], nullptr) != D3D_OK ||
      D3DXCreateCylinder(device, 1, 1, 1, c, c / 4, &made[2], nullptr) != D3D_OK ||
      D3DXCreateCylinder(device, 1, 0, 1, c, c / 4, &made[3], nullptr) != D3D_OK) {
    for (ID3DXMesh* m : made)
      if (m) m->Release();
    return {};
  }
  std::vector<demos::MeshData> shapes;
  for (ID3DXMesh* m : made) shapes.push_back(CopyOut(m));
  for (const demos::MeshData& s : shapes)
    if (s.indices.empty()) return {};
  return shapes;
}

}  // namespace scenebench
