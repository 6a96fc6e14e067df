// Type 7: a chain of lines through the vector children, in link order.
#include "primitive/vel_dx8_primitive.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "vectorvalue/vel_vector_channel.h"
#include "vel_child_access.h"
#include "vel_type_guids.h"

namespace {
struct LineVertex {
  float x, y, z;
  float u, v;
};
static_assert(sizeof(LineVertex) == 20);
}  // namespace

void Vel_DX8_Primitive::DrawSegment(IDirect3DDevice8* device, const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  const LineVertex vertices[2] = {{a.x, a.y, a.z, 0, 0}, {b.x, b.y, b.z, 1, 0}};
  static const unsigned short kIndices[2] = {0, 1};
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1);
  device->DrawIndexedPrimitiveUP(D3DPT_LINELIST, 0, 2, 1, kIndices, D3DFMT_INDEX16, vertices, sizeof(LineVertex));
}

void Vel_DX8_Primitive::DrawLine(D3DXVECTOR3 a, D3DXVECTOR3 b) {
  // Without a device (none made yet, or lost and not yet restored) nothing
  // is drawn.
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device) return;
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  device->SetTransform(D3DTS_WORLD, &identity);
  DrawSegment(device, a, b);
}

void Vel_DX8_Primitive::DrawLine() {
  const int n = GetChildTypeCount(vel::kVectorType);
  if (n < 2) return;
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device) return;
  for (int i = 0; i + 1 < n; ++i) {
    auto* from = vel::As<Vel_VectorChannel>(GetChildFromLinkGuid(vel::kVectorType, i), vel::kVectorType);
    auto* to = vel::As<Vel_VectorChannel>(GetChildFromLinkGuid(vel::kVectorType, i + 1), vel::kVectorType);
    if (from && to) DrawSegment(device, from->GetVector(), to->GetVector());
  }
}
