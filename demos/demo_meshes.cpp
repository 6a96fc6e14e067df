#include "demo_meshes.h"

#include "objectdata/vel_dx8_object_data_channel.h"

#include <cmath>

namespace demos {

void MeshData::AddFace(D3DXVECTOR3 centre, D3DXVECTOR3 normal, D3DXVECTOR3 up, float halfRight, float halfUp,
                       float repeat) {
  D3DXVECTOR3 right;
  D3DXVec3Cross(&right, &normal, &up);
  const D3DXVECTOR3 r = right * halfRight;
  const D3DXVECTOR3 u = up * halfUp;
  const auto first = static_cast<unsigned short>(positions.size());
  // Top left, top right, bottom right, bottom left: clockwise from outside.
  const D3DXVECTOR3 corners[4] = {centre - r + u, centre + r + u, centre + r - u, centre - r - u};
  const D3DXVECTOR2 uv[4] = {{0, 0}, {repeat, 0}, {repeat, repeat}, {0, repeat}};
  for (int i = 0; i < 4; ++i) {
    positions.push_back(corners[i]);
    normals.push_back(normal);
    uvs.push_back(uv[i]);
  }
  for (unsigned short i : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<unsigned short>(first + i));
}

MeshData Box(float sx, float sy, float sz) {
  MeshData m;
  const float x = sx / 2, y = sy / 2, z = sz / 2;
  const D3DXVECTOR3 up(0, 1, 0), north(0, 0, 1);
  m.AddFace({0, 0, -z}, {0, 0, -1}, up, x, y);
  m.AddFace({0, 0, z}, {0, 0, 1}, up, x, y);
  m.AddFace({-x, 0, 0}, {-1, 0, 0}, up, z, y);
  m.AddFace({x, 0, 0}, {1, 0, 0}, up, z, y);
  m.AddFace({0, y, 0}, {0, 1, 0}, north, x, z);
  m.AddFace({0, -y, 0}, {0, -1, 0}, -north, x, z);
  return m;
}

MeshData Floor(float size, float repeat, int cells) {
  // A grid, so that light computed at the vertices (a lamp's pool of light)
  // has places to show.
  MeshData m;
  const int row = cells + 1;
  for (int j = 0; j <= cells; ++j)
    for (int i = 0; i <= cells; ++i) {
      const float s = static_cast<float>(i) / static_cast<float>(cells);
      const float t = static_cast<float>(j) / static_cast<float>(cells);
      m.positions.push_back({(s - 0.5f) * size, 0.0f, (0.5f - t) * size});
      m.normals.push_back({0, 1, 0});
      m.uvs.push_back({s * repeat, t * repeat});
    }
  // Rows run from the far edge (+z) to the near one: seen from above with +z
  // at the top, (i, j), (i + 1, j), (i + 1, j + 1) turn clockwise.
  for (int j = 0; j < cells; ++j)
    for (int i = 0; i < cells; ++i) {
      const int a = j * row + i;
      for (int k : {a, a + 1, a + row + 1, a, a + row + 1, a + row}) m.indices.push_back(static_cast<unsigned short>(k));
    }
  return m;
}

MeshData Ball(float radius, int slices, int stacks) {
  MeshData m;
  const float pi = 3.14159265f;
  for (int s = 0; s <= stacks; ++s) {
    const float phi = pi * static_cast<float>(s) / static_cast<float>(stacks);
    for (int a = 0; a <= slices; ++a) {
      const float theta = 2 * pi * static_cast<float>(a) / static_cast<float>(slices);
      const D3DXVECTOR3 n(std::sin(phi) * std::cos(theta), std::cos(phi), std::sin(phi) * std::sin(theta));
      m.positions.push_back(n * radius);
      m.normals.push_back(n);
      m.uvs.push_back({static_cast<float>(a) / static_cast<float>(slices), static_cast<float>(s) / static_cast<float>(stacks)});
    }
  }
  const int row = slices + 1;
  auto triangle = [&](int a, int b, int c) {
    // Clockwise from outside: the face normal (b - a) x (c - a) points out.
    D3DXVECTOR3 e1 = m.positions[b] - m.positions[a], e2 = m.positions[c] - m.positions[a], n;
    D3DXVec3Cross(&n, &e1, &e2);
    const D3DXVECTOR3 out = m.positions[a] + m.positions[b] + m.positions[c];
    if (D3DXVec3Dot(&n, &out) < 0) std::swap(b, c);
    for (int i : {a, b, c}) m.indices.push_back(static_cast<unsigned short>(i));
  };
  for (int s = 0; s < stacks; ++s)
    for (int a = 0; a < slices; ++a) {
      const int i = s * row + a;
      if (s > 0) triangle(i, i + 1, i + row);
      if (s < stacks - 1) triangle(i + 1, i + row + 1, i + row);
    }
  return m;
}

MeshData Pane(float width, float height) {
  MeshData m;
  m.AddFace({0, 0, 0}, {0, 0, -1}, {0, 1, 0}, width / 2, height / 2);
  return m;
}

void FillMesh(Vel_DX8_ObjectDataChannel* mesh, const MeshData& data) {
  mesh->Release();
  const int count = static_cast<int>(data.positions.size());
  mesh->SetVertexCount(count);
  mesh->SetVertexPositionUse(true);
  mesh->SetVertexNormalUse(true);
  mesh->SetVertexTUUse(true);
  for (int i = 0; i < count; ++i) {
    mesh->SetVertexPosition(data.positions[i], i);
    mesh->SetVertexNormal(data.normals[i], i);
    mesh->SetVertexTUCoord(VertTUV{data.uvs[i].x, data.uvs[i].y}, i);
  }
  mesh->SetIndexCount(static_cast<int>(data.indices.size()));
  std::vector<unsigned short> indices = data.indices;
  mesh->SetIndexes(indices.data());
}

}  // namespace demos
