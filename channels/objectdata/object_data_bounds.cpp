// The mesh's bounds: the local box of its positions, that box carried through
// a matrix (one cached entry), and the visibility test drawing uses.
#include "objectdata/vel_dx8_object_data_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "objectdata/mesh_arrays.h"

#include <algorithm>
#include <cstring>

namespace {
void Widen(D3DXVECTOR3& min, D3DXVECTOR3& max, const D3DXVECTOR3& p) {
  min.x = std::min(min.x, p.x);
  min.y = std::min(min.y, p.y);
  min.z = std::min(min.z, p.z);
  max.x = std::max(max.x, p.x);
  max.y = std::max(max.y, p.y);
  max.z = std::max(max.z, p.z);
}

BoundingBox TransformBox(const D3DXVECTOR3& lo, const D3DXVECTOR3& hi, const D3DXMATRIX& m) {
  if (m._14 == 0.0f && m._24 == 0.0f && m._34 == 0.0f && m._44 == 1.0f) {
    // Without projection each output axis is a sum of one term per input
    // axis: its smallest and largest corners come from the smaller and
    // larger of each term, summed in the order a corner's transform sums
    // them (rounding keeps order, so the box is the same as from the
    // corners).
    BoundingBox box;
    for (int j = 0; j < 3; ++j) {
      const float x0 = lo.x * m.m[0][j], x1 = hi.x * m.m[0][j];
      const float y0 = lo.y * m.m[1][j], y1 = hi.y * m.m[1][j];
      const float z0 = lo.z * m.m[2][j], z1 = hi.z * m.m[2][j];
      box.min[j] = std::min(x0, x1) + std::min(y0, y1) + std::min(z0, z1) + m.m[3][j];
      box.max[j] = std::max(x0, x1) + std::max(y0, y1) + std::max(z0, z1) + m.m[3][j];
    }
    return box;
  }
  const D3DXVECTOR3 corners[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z},
                                  {lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
  BoundingBox box;
  for (int i = 0; i < 8; ++i) {
    D3DXVECTOR3 p;
    D3DXVec3TransformCoord(&p, &corners[i], &m);
    if (i == 0) box.min = box.max = p;
    else Widen(box.min, box.max, p);
  }
  return box;
}
}  // namespace

void Vel_DX8_ObjectDataChannel::MakeObjectSizeBoundrys(D3DXVECTOR3& min, D3DXVECTOR3& max) {
  if (!usePosition_ || vertexCount_ <= 0) return;
  for (int32_t i = 0; i < vertexCount_; ++i) {
    VertPos p = mesh::GetElement(positions_, positionsLength_, vertexCount_, static_cast<unsigned long>(i));
    const D3DXVECTOR3 v(p.x, p.y, p.z);
    if (i == 0) min = max = v;
    else Widen(min, max, v);
  }
}

void Vel_DX8_ObjectDataChannel::CalculateBoundingBox() {
  EnsureBuffers();
  const int count = GetVertexCount();
  if (!vertexBuffer_ || count <= 0) return;
  D3DXVECTOR3 min = GetVertexPositionDx(0);
  D3DXVECTOR3 max = min;
  for (int i = 1; i < count; ++i) Widen(min, max, GetVertexPositionDx(static_cast<unsigned long>(i)));
  boxMin_ = min;
  boxMax_ = max;
  boxValid_ = true;
  // A new local box makes the cached transformed box stale even for the same
  // matrix.
  cachedBoxStale_ = true;
}

D3DXVECTOR3 Vel_DX8_ObjectDataChannel::GetBoundingBoxMin() {
  if (!boxValid_) CalculateBoundingBox();
  return boxMin_;
}

D3DXVECTOR3 Vel_DX8_ObjectDataChannel::GetBoundingBoxMax() {
  if (!boxValid_) CalculateBoundingBox();
  return boxMax_;
}

void Vel_DX8_ObjectDataChannel::InvalidateVertexDataInfo() { boxValid_ = false; }

BoundingBox Vel_DX8_ObjectDataChannel::GetObjectTransformedMinMaxBox(D3DXMATRIX matrix) {
  return TransformedBox(matrix);
}

BoundingBox Vel_DX8_ObjectDataChannel::TransformedBox(const D3DXMATRIX& matrix) {
  if (!boxValid_) CalculateBoundingBox();
  if (boxValid_ && !cachedBoxStale_ && std::memcmp(&matrix, &cachedBoxMatrix_, sizeof matrix) == 0) return cachedBox_;
  BoundingBox box = TransformBox(boxMin_, boxMax_, matrix);
  // Only a box of the real positions is kept for later calls.
  if (boxValid_) {
    cachedBoxMatrix_ = matrix;
    cachedBoxStale_ = false;
    cachedBox_ = box;
  }
  return box;
}

BoundingBox Vel_DX8_ObjectDataChannel::GetObjectTransformedMinMaxBox() { return TransformedBox(worldMatrix_); }

bool Vel_DX8_ObjectDataChannel::GetIfObjectIsVisible() {
  if (GetVertexCount() < 4) return true;
  if (!boxValid_) CalculateBoundingBox();
  if (!boxValid_ || !directGraphics_) return true;
  BoundingBox box = GetObjectTransformedMinMaxBox();
  return directGraphics_->CheckAABBVisible(box.min, box.max);
}
