// The mesh records exchanged by value between the mesh-data channel and the
// channels that read or build meshes. Their layouts are fixed: they are
// copied into group files and vertex buffers as they are.
#pragma once

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8math.h>

#include <cstdint>

struct VertPos {
  float x, y, z;
};
struct VertNormal {
  float x, y, z;
};
struct VertTUV {
  float u, v;
};
struct VertColor {
  D3DCOLOR color;
};
// The adjustment of one texture-coordinate set; neutral {0, 0, 0, 0, 1, 1}.
struct VertTUVOffset {
  float shiftU, shiftV;
  float offsetU, offsetV;
  float scaleU, scaleV;
};
struct BoundingBox {
  D3DXVECTOR3 min;
  D3DXVECTOR3 max;
};

static_assert(sizeof(VertPos) == 12 && sizeof(VertNormal) == 12 && sizeof(D3DXVECTOR3) == 12);
static_assert(sizeof(VertTUV) == 8);
static_assert(sizeof(VertColor) == 4);
static_assert(sizeof(VertTUVOffset) == 24);
static_assert(sizeof(BoundingBox) == 24);
