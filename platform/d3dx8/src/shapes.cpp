// Shape builders. Each builder fills a list of vertices (position, normal)
// and triangles, wound clockwise as seen from outside: for a triangle
// (a, b, c) the cross product (b - a) x (c - a) points outwards.
#include <d3dx8/d3dx8math.h>
#include <d3dx8/d3dx8shape.h>

#include <cmath>
#include <cstring>
#include <map>
#include <new>
#include <numbers>
#include <tuple>
#include <vector>

#include "buffer.h"
#include "mesh.h"

namespace d3dx8 {
namespace {

struct ShapeVertex {
  D3DXVECTOR3 position;
  D3DXVECTOR3 normal;
};
static_assert(sizeof(ShapeVertex) == 24, "position and normal, as D3DFVF_XYZ | D3DFVF_NORMAL");

struct ShapeData {
  std::vector<ShapeVertex> vertices;
  std::vector<WORD> indices;  // three per triangle

  void Vertex(const D3DXVECTOR3& p, const D3DXVECTOR3& n) { vertices.push_back({p, n}); }
  void Triangle(UINT a, UINT b, UINT c) {
    indices.push_back(WORD(a));
    indices.push_back(WORD(b));
    indices.push_back(WORD(c));
  }
};

// Shapes use 16-bit indices.
constexpr uint64_t kMaxVertices = 0x10000;

constexpr double kPi = std::numbers::pi;

// The triangle across each edge: edges match when their end positions match
// in opposite order, as they do between neighbours of one closed surface.
std::vector<DWORD> ComputeAdjacency(const ShapeData& shape) {
  using Point = std::tuple<float, float, float>;
  using Edge = std::pair<Point, Point>;
  auto point = [&](WORD i) {
    const D3DXVECTOR3& p = shape.vertices[i].position;
    return Point(p.x, p.y, p.z);
  };
  const size_t faces = shape.indices.size() / 3;
  std::map<Edge, DWORD> owner;
  for (size_t f = 0; f < faces; ++f)
    for (int e = 0; e < 3; ++e)
      owner.emplace(Edge(point(shape.indices[3 * f + e]), point(shape.indices[3 * f + (e + 1) % 3])), DWORD(f));
  std::vector<DWORD> adjacency(faces * 3, 0xFFFFFFFF);
  for (size_t f = 0; f < faces; ++f) {
    for (int e = 0; e < 3; ++e) {
      auto it = owner.find(Edge(point(shape.indices[3 * f + (e + 1) % 3]), point(shape.indices[3 * f + e])));
      if (it != owner.end() && it->second != f) adjacency[3 * f + e] = it->second;
    }
  }
  return adjacency;
}

HRESULT MakeMesh(IDirect3DDevice8* device, const ShapeData& shape, LPD3DXMESH* ppMesh, LPD3DXBUFFER* ppAdjacency) {
  Mesh* mesh = nullptr;
  HRESULT hr = Mesh::Create(device, DWORD(shape.indices.size() / 3), DWORD(shape.vertices.size()),
                            D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_NORMAL, &mesh);
  if (FAILED(hr)) return hr;

  BYTE* bytes = nullptr;
  hr = mesh->LockVertexBuffer(0, &bytes);
  if (FAILED(hr)) {
    mesh->Release();
    return hr;
  }
  std::memcpy(bytes, shape.vertices.data(), shape.vertices.size() * sizeof(ShapeVertex));
  mesh->UnlockVertexBuffer();

  hr = mesh->LockIndexBuffer(0, &bytes);
  if (FAILED(hr)) {
    mesh->Release();
    return hr;
  }
  std::memcpy(bytes, shape.indices.data(), shape.indices.size() * sizeof(WORD));
  mesh->UnlockIndexBuffer();

  if (ppAdjacency) {
    const std::vector<DWORD> adjacency = ComputeAdjacency(shape);
    hr = CreateBufferFrom(adjacency.data(), adjacency.size() * sizeof(DWORD), ppAdjacency);
    if (FAILED(hr)) {
      mesh->Release();
      return hr;
    }
  }
  *ppMesh = mesh;
  return D3D_OK;
}

// Common checks, then the builder, then the mesh; allocation failures while
// building come back as E_OUTOFMEMORY.
template <typename Builder>
HRESULT BuildShape(IDirect3DDevice8* device, bool valid, uint64_t vertexCount, LPD3DXMESH* ppMesh,
                   LPD3DXBUFFER* ppAdjacency, Builder build) {
  if (ppMesh) *ppMesh = nullptr;
  if (ppAdjacency) *ppAdjacency = nullptr;
  if (!device || !ppMesh || !valid || vertexCount > kMaxVertices) return D3DERR_INVALIDCALL;
  ShapeData shape;
  try {
    build(shape);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return MakeMesh(device, shape, ppMesh, ppAdjacency);
}

// Triangles joining two closed rings of `count` vertices that start at
// `upper` and `lower`: (a, c, b) and (b, c, d) for neighbours a, b of the
// first ring and c, d of the second. This faces outwards when the rings run
// counter-clockwise about the outward direction, seen from outside, and the
// second ring lies in the band's direction of travel (a to c).
void Band(ShapeData& shape, UINT upper, UINT lower, UINT count) {
  for (UINT j = 0; j < count; ++j) {
    const UINT k = (j + 1) % count;
    const UINT a = upper + j, b = upper + k, c = lower + j, d = lower + k;
    shape.Triangle(a, c, b);
    shape.Triangle(b, c, d);
  }
}

}  // namespace
}  // namespace d3dx8

using d3dx8::ShapeData;

extern "C" {

HRESULT D3DXCreatePolygon(IDirect3DDevice8* pDevice, float Length, UINT Sides, LPD3DXMESH* ppMesh,
                          LPD3DXBUFFER* ppAdjacency) {
  const bool valid = Sides >= 3 && Length >= 0.0f;
  return d3dx8::BuildShape(pDevice, valid, uint64_t(Sides) + 1, ppMesh, ppAdjacency, [&](ShapeData& s) {
    const double radius = Length / (2.0 * std::sin(d3dx8::kPi / Sides));
    const D3DXVECTOR3 up(0, 0, 1);
    s.Vertex(D3DXVECTOR3(0, 0, 0), up);
    for (UINT j = 0; j < Sides; ++j) {
      const double angle = 2.0 * d3dx8::kPi * j / Sides;
      s.Vertex(D3DXVECTOR3(float(radius * std::cos(angle)), float(radius * std::sin(angle)), 0), up);
    }
    for (UINT j = 0; j < Sides; ++j) s.Triangle(0, 1 + j, 1 + (j + 1) % Sides);
  });
}

HRESULT D3DXCreateBox(IDirect3DDevice8* pDevice, float Width, float Height, float Depth, LPD3DXMESH* ppMesh,
                      LPD3DXBUFFER* ppAdjacency) {
  const bool valid = Width >= 0.0f && Height >= 0.0f && Depth >= 0.0f;
  return d3dx8::BuildShape(pDevice, valid, 24, ppMesh, ppAdjacency, [&](ShapeData& s) {
    const D3DXVECTOR3 half(Width * 0.5f, Height * 0.5f, Depth * 0.5f);
    const D3DXVECTOR3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    // Each side: outward normal n and axes u, v with u x v = n.
    const D3DXVECTOR3 sides[6][3] = {{x, y, z}, {-x, z, y}, {y, z, x}, {-y, x, z}, {z, x, y}, {-z, y, x}};
    auto scaled = [&](const D3DXVECTOR3& axis) {
      return D3DXVECTOR3(axis.x * half.x, axis.y * half.y, axis.z * half.z);
    };
    for (const auto& side : sides) {
      const D3DXVECTOR3 centre = scaled(side[0]), u = scaled(side[1]), v = scaled(side[2]);
      const UINT first = UINT(s.vertices.size());
      s.Vertex(centre - u - v, side[0]);
      s.Vertex(centre + u - v, side[0]);
      s.Vertex(centre + u + v, side[0]);
      s.Vertex(centre - u + v, side[0]);
      s.Triangle(first, first + 1, first + 2);
      s.Triangle(first, first + 2, first + 3);
    }
  });
}

HRESULT D3DXCreateCylinder(IDirect3DDevice8* pDevice, float Radius1, float Radius2, float Length, UINT Slices,
                           UINT Stacks, LPD3DXMESH* ppMesh, LPD3DXBUFFER* ppAdjacency) {
  const bool valid = Radius1 >= 0.0f && Radius2 >= 0.0f && Length >= 0.0f && Slices >= 2 && Stacks >= 1;
  const uint64_t vertices = uint64_t(Slices) * (uint64_t(Stacks) + 3) + 2;
  return d3dx8::BuildShape(pDevice, valid, vertices, ppMesh, ppAdjacency, [&](ShapeData& s) {
    const float top = Length * 0.5f;
    // Side normal of the (truncated) cone: radial, tilted by the slope.
    const float slope = Length > 0.0f ? (Radius1 - Radius2) / Length : 0.0f;
    const D3DXVECTOR3 up(0, 0, 1), down(0, 0, -1);
    auto ring = [&](float radius, float z, bool cap, const D3DXVECTOR3& capNormal) {
      for (UINT j = 0; j < Slices; ++j) {
        const double angle = 2.0 * d3dx8::kPi * j / Slices;
        const float c = float(std::cos(angle)), sn = float(std::sin(angle));
        D3DXVECTOR3 normal = capNormal;
        if (!cap) {
          const D3DXVECTOR3 n(c, sn, slope);
          D3DXVec3Normalize(&normal, &n);
        }
        s.Vertex(D3DXVECTOR3(radius * c, radius * sn, z), normal);
      }
    };
    // +z cap: centre, then its ring.
    s.Vertex(D3DXVECTOR3(0, 0, top), up);
    ring(Radius2, top, true, up);
    for (UINT j = 0; j < Slices; ++j) s.Triangle(0, 1 + j, 1 + (j + 1) % Slices);
    // Side: Stacks + 1 rings from +z down to -z.
    const UINT sideStart = 1 + Slices;
    for (UINT i = 0; i <= Stacks; ++i) {
      const float t = float(i) / float(Stacks);
      ring(Radius2 + (Radius1 - Radius2) * t, top - Length * t, false, up);
    }
    for (UINT i = 0; i < Stacks; ++i) d3dx8::Band(s, sideStart + i * Slices, sideStart + (i + 1) * Slices, Slices);
    // -z cap: its ring, then the centre.
    const UINT bottomRing = sideStart + (Stacks + 1) * Slices;
    ring(Radius1, -top, true, down);
    const UINT bottomCentre = bottomRing + Slices;
    s.Vertex(D3DXVECTOR3(0, 0, -top), down);
    for (UINT j = 0; j < Slices; ++j) s.Triangle(bottomCentre, bottomRing + (j + 1) % Slices, bottomRing + j);
  });
}

HRESULT D3DXCreateSphere(IDirect3DDevice8* pDevice, float Radius, UINT Slices, UINT Stacks, LPD3DXMESH* ppMesh,
                         LPD3DXBUFFER* ppAdjacency) {
  const bool valid = Radius >= 0.0f && Slices >= 2 && Stacks >= 2;
  const uint64_t vertices = uint64_t(Slices) * (uint64_t(Stacks) - 1) + 2;
  return d3dx8::BuildShape(pDevice, valid, vertices, ppMesh, ppAdjacency, [&](ShapeData& s) {
    s.Vertex(D3DXVECTOR3(0, 0, Radius), D3DXVECTOR3(0, 0, 1));
    for (UINT i = 1; i < Stacks; ++i) {
      const double polar = d3dx8::kPi * i / Stacks;
      const double ringRadius = std::sin(polar), z = std::cos(polar);
      for (UINT j = 0; j < Slices; ++j) {
        const double angle = 2.0 * d3dx8::kPi * j / Slices;
        const D3DXVECTOR3 n(float(ringRadius * std::cos(angle)), float(ringRadius * std::sin(angle)), float(z));
        s.Vertex(n * Radius, n);
      }
    }
    const UINT bottom = UINT(s.vertices.size());
    s.Vertex(D3DXVECTOR3(0, 0, -Radius), D3DXVECTOR3(0, 0, -1));

    for (UINT j = 0; j < Slices; ++j) s.Triangle(0, 1 + j, 1 + (j + 1) % Slices);
    for (UINT i = 0; i + 2 < Stacks; ++i) d3dx8::Band(s, 1 + i * Slices, 1 + (i + 1) * Slices, Slices);
    const UINT lastRing = 1 + (Stacks - 2) * Slices;
    for (UINT j = 0; j < Slices; ++j) s.Triangle(bottom, lastRing + (j + 1) % Slices, lastRing + j);
  });
}

HRESULT D3DXCreateTorus(IDirect3DDevice8* pDevice, float InnerRadius, float OuterRadius, UINT Sides, UINT Rings,
                        LPD3DXMESH* ppMesh, LPD3DXBUFFER* ppAdjacency) {
  const bool valid = InnerRadius >= 0.0f && OuterRadius >= 0.0f && Sides >= 3 && Rings >= 3;
  const uint64_t vertices = uint64_t(Sides) * Rings;
  return d3dx8::BuildShape(pDevice, valid, vertices, ppMesh, ppAdjacency, [&](ShapeData& s) {
    for (UINT i = 0; i < Rings; ++i) {
      const double around = 2.0 * d3dx8::kPi * i / Rings;
      const double ca = std::cos(around), sa = std::sin(around);
      for (UINT j = 0; j < Sides; ++j) {
        const double tube = 2.0 * d3dx8::kPi * j / Sides;
        const double ct = std::cos(tube), st = std::sin(tube);
        const D3DXVECTOR3 n(float(ct * ca), float(ct * sa), float(st));
        const D3DXVECTOR3 centre(float(OuterRadius * ca), float(OuterRadius * sa), 0);
        s.Vertex(centre + n * InnerRadius, n);
      }
    }
    // Walking a ring of the tube goes counter-clockwise about the ring's
    // outward direction; the next ring lies further around the axis.
    for (UINT i = 0; i < Rings; ++i) d3dx8::Band(s, i * Sides, ((i + 1) % Rings) * Sides, Sides);
  });
}

}  // extern "C"
