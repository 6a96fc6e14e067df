// Building the shapes: the extension library's shape meshes copied into the
// mesh data (with the flip applied), the quad built directly, then the
// texture coordinates.
#include "primitive/vel_dx8_primitive.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "vel_project_values.h"

#include <d3dx8/d3dx8shape.h>

#include <algorithm>

namespace {
// Bytes of one vertex of a shape mesh's format; the positions come first and
// the normals right after them.
DWORD VertexStride(DWORD fvf) {
  DWORD size = 0;
  if (fvf & D3DFVF_XYZ) size += 12;
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_SPECULAR) size += 4;
  size += 8 * ((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);
  return size;
}

// A mesh reference released when the builder's scope ends.
struct MeshHolder {
  ID3DXMesh* mesh = nullptr;
  ~MeshHolder() {
    if (mesh) mesh->Release();
  }
};
}  // namespace

void Vel_DX8_Primitive::CreateShape() {
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device) return;
  float value = 0.0f;
  if (ReadComplexity(&value)) {
    // Truncated; NaN and negative values give 0. Every other value goes to
    // the builder, which refuses what its index limits cannot make.
    complexity_ = std::max(vel::SaturateToInt(value), 0);
    complexityRead_ = true;
    complexityValue_ = value;
  }
  if (GetVertexCount() > 0) Release();
  built_ = shapeFailed_ = false;

  const UINT c = static_cast<UINT>(complexity_);
  MeshHolder made;
  HRESULT result = D3D_OK;
  switch (primitiveType_) {
    case kBox: result = D3DXCreateBox(device, 1, 1, 1, &made.mesh, nullptr); break;
    case kQuad: MakeQuad(); return;
    case kSphere: result = D3DXCreateSphere(device, 1, 2 * c, c, &made.mesh, nullptr); break;
    case kCylinder: result = D3DXCreateCylinder(device, 1, 1, 1, c, c / 4, &made.mesh, nullptr); break;
    case kCone: result = D3DXCreateCylinder(device, 1, 0, 1, c, c / 4, &made.mesh, nullptr); break;
    case kTorus: result = D3DXCreateTorus(device, 0.5f, 1, c, 2 * c, &made.mesh, nullptr); break;
    case kPolygon:
      result = D3DXCreatePolygon(device, c == 0 ? 1.0f : 3.141592f / static_cast<float>(c), c, &made.mesh, nullptr);
      break;
    case kLines: built_ = true; return;
    default: break;
  }
  if (made.mesh && result == D3D_OK) {
    if (CopyShape(made.mesh)) {
      if (primitiveType_ == kBox || primitiveType_ == kPolygon) CubicTexture(0, false);
      else if (primitiveType_ != kTorus) MakeSphereTexture(0);
    }
  }
  // A shape that could not be made stays unmade until its inputs change.
  if (!built_ && primitiveType_ >= kBox && primitiveType_ <= kPolygon) shapeFailed_ = true;
  RemapTexture();
}

bool Vel_DX8_Primitive::CopyShape(ID3DXMesh* shape) {
  Release();
  built_ = false;
  const DWORD fvf = shape->GetFVF();
  const DWORD stride = VertexStride(fvf);
  const DWORD vertices = shape->GetNumVertices();
  const DWORD indices = shape->GetNumFaces() * 3;
  // 16-bit indices address at most 65536 vertices.
  if (vertices == 0 || vertices > 65536 || indices / 3 != shape->GetNumFaces() || indices > 0x7FFFFFFF) return false;

  BYTE* data = nullptr;
  if (shape->LockVertexBuffer(D3DLOCK_READONLY, &data) != D3D_OK || !data) {
    Release();
    return false;
  }
  SetVertexCount(static_cast<int>(vertices));
  if (useUVSet1Shape_) SetVertexTUUse(true);
  if (useUVSet2Shape_) SetVertexTU2Use(true);
  const bool hasPosition = (fvf & D3DFVF_XYZ) != 0;
  const bool hasNormal = (fvf & D3DFVF_NORMAL) != 0;
  if (hasPosition) SetVertexPositionUse(true);
  if (hasNormal) SetVertexNormalUse(true);
  for (DWORD i = 0; i < vertices; ++i) {
    const float* v = reinterpret_cast<const float*>(data + static_cast<size_t>(i) * stride);
    const int at = static_cast<int>(i);
    if (hasPosition) SetVertexPosition(VertPos{v[0], v[1], v[2]}, at);
    if (hasNormal) {
      const float* n = hasPosition ? v + 3 : v;
      const float sign = polygonFlip_ ? -1.0f : 1.0f;
      SetVertexNormal(VertNormal{n[0] * sign, n[1] * sign, n[2] * sign}, at);
    }
    if (useUVSet1Shape_) SetVertexTUCoord(VertTUV{0, 0}, at);
    if (useUVSet2Shape_) SetVertexTU2Coord(VertTUV{0, 0}, at);
  }
  shape->UnlockVertexBuffer();
  InvalidateVertexDataInfo();

  BYTE* indexData = nullptr;
  if (shape->LockIndexBuffer(D3DLOCK_READONLY, &indexData) != D3D_OK || !indexData) {
    // No counts are left without their arrays.
    Release();
    return false;
  }
  const int count = static_cast<int>(indices);
  SetIndexCount(count);
  const auto* source = reinterpret_cast<const unsigned short*>(indexData);
  // Under the flip the whole list is reversed, which reverses each
  // triangle's winding.
  for (int i = 0; i < count; ++i) SetIndex(source[i], polygonFlip_ ? count - 1 - i : i);
  shape->UnlockIndexBuffer();

  CreateVertexBuffer();
  built_ = true;
  return true;
}

void Vel_DX8_Primitive::MakeQuad() {
  Release();
  SetVertexCount(4);
  SetVertexPositionUse(true);
  SetVertexNormalUse(true);
  if (useUVSet1Shape_) SetVertexTUUse(true);
  if (useUVSet2Shape_) SetVertexTU2Use(true);
  static const VertPos kCorners[4] = {{-0.5f, 0.5f, 0}, {0.5f, 0.5f, 0}, {0.5f, -0.5f, 0}, {-0.5f, -0.5f, 0}};
  static const VertTUV kCoords[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; ++i) {
    SetVertexPosition(kCorners[i], i);
    SetVertexNormal(VertNormal{0, 0, -1}, i);
    if (useUVSet1Shape_) SetVertexTUCoord(kCoords[i], i);
    if (useUVSet2Shape_) SetVertexTU2Coord(kCoords[i], i);
  }
  SetIndexCount(6);
  static const unsigned short kIndices[6] = {0, 2, 3, 0, 1, 2};
  for (int i = 0; i < 6; ++i) SetIndex(kIndices[i], i);
  CreateVertexBuffer();
  built_ = true;
  RemapTexture();
}
