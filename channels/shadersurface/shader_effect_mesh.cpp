// ShaderEffect: the effect's own copy of the surface's mesh (vertex layout
// chosen component by component, 16-bit indices), the tangent basis of bump
// effects, the bone palette of skinned meshes and the draw call.
#include "shader_effect.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "skinnedobjectdata/skinned_object_data_channel.h"
#include "vel_dx8_pixel_shader_surface.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// The components in the order they follow each other in a vertex, with
// their sizes in floats.
struct ComponentSize {
  int component;
  unsigned floats;
};
constexpr ComponentSize kVertexOrder[] = {
    {ShaderEffect::kPosition, 3}, {ShaderEffect::kNormal, 3},   {ShaderEffect::kZeroFloat, 1},
    {ShaderEffect::kZeroFloat3, 3}, {ShaderEffect::kTexU, 1},   {ShaderEffect::kTexUV, 2},
    {ShaderEffect::kTexUV2, 2},   {ShaderEffect::kBasisS, 3},   {ShaderEffect::kBasisT, 3},
    {ShaderEffect::kBasisSxT, 3}, {ShaderEffect::kVertexValue, 1},
};
constexpr unsigned kSkinFloats = 8;

D3DXVECTOR3 ReadVector(const BYTE* vertex, unsigned offset) {
  D3DXVECTOR3 v;
  std::memcpy(&v, vertex + offset, sizeof v);
  return v;
}
void WriteVector(BYTE* vertex, unsigned offset, const D3DXVECTOR3& v) { std::memcpy(vertex + offset, &v, sizeof v); }

void NormalizeInPlace(D3DXVECTOR3* v) {
  const float length = std::sqrt(v->x * v->x + v->y * v->y + v->z * v->z);
  if (length > 0.0f && std::isfinite(length)) *v /= length;
}

}  // namespace

unsigned ShaderEffect::LayoutStride() {
  unsigned floats = 0;
  for (const ComponentSize& c : kVertexOrder)
    if (UsesVertexComponent(c.component)) floats += c.floats;
  return floats * 4;
}

void ShaderEffect::WriteVertex(Vel_DX8_ObjectDataChannel* mesh, SkinnedObjectDataChannel* weights, int i,
                               float* out) {
  const unsigned long at = static_cast<unsigned long>(i);
  for (const ComponentSize& c : kVertexOrder) {
    if (!UsesVertexComponent(c.component)) continue;
    switch (c.component) {
      case kPosition: {
        const VertPos p = mesh->GetVertexPosition(at);
        *out++ = p.x, *out++ = p.y, *out++ = p.z;
        break;
      }
      case kNormal: {
        const VertNormal n = mesh->GetVertexNormals(at);
        *out++ = n.x, *out++ = n.y, *out++ = n.z;
        break;
      }
      case kTexU:
        *out++ = mesh->GetVertexTUV(at).u;
        break;
      case kTexUV: {
        const VertTUV uv = mesh->GetVertexTUV(at);
        *out++ = uv.u, *out++ = uv.v;
        break;
      }
      case kTexUV2: {
        const VertTUV uv = mesh->GetVertexTUV2(at);
        *out++ = uv.u, *out++ = uv.v;
        break;
      }
      case kVertexValue:
        *out++ = GetVertexValue(i);
        break;
      default:  // zeros, and the basis that BuildTangentBasis fills in
        for (unsigned k = 0; k < c.floats; ++k) *out++ = 0.0f;
    }
  }
  if (!weights) return;
  const SkinWeights record = weights->GetVertexWeights(i);
  float w[4] = {record.weight[0], record.weight[1], record.weight[2], 0.0f};
  w[3] = 1.0f - (w[0] + w[1] + w[2]);
  switch (weights->GetWeightsPerVertex()) {
    case 1: w[0] = 1.0f, w[3] = 0.0f; break;
    case 2: w[1] = 1.0f - w[0], w[3] = 0.0f; break;
    case 3: w[2] = 1.0f - (w[0] + w[1]), w[3] = 0.0f; break;
    default: break;
  }
  for (float weight : w) *out++ = weight;
  for (int k = 0; k < 4; ++k) {
    // A bone beyond the palette would address constants past its end: it
    // takes bone 0's rows instead.
    int bone = static_cast<int>((record.bones >> (8 * k)) & 0xFF);
    if (bone >= kMaxBones) bone = 0;
    *out++ = static_cast<float>(kFirstBoneRegister + 3 * bone);
  }
}

bool ShaderEffect::BuildMeshBuffers() {
  Orn_Channel* child = MeshChild();
  if (!child) return false;
  SkinnedObjectDataChannel* skin = SkinnedChild();
  Vel_DX8_ObjectDataChannel* mesh = SourceMesh();
  if (skin && !mesh) {
    Report("No objectdata found");
    return false;
  }
  if (!mesh) return false;
  if (skin) skin->UpdateData();
  else mesh->UpdateData();
  skinned = skin && SupportsSkinning();
  // The draw tests the mesh's bounds, and a mesh builds its own buffers for
  // them once, which moves its time stamp: that happens now, so the stamp
  // kept below is not out of date after the first draw.
  if (!skinned) mesh->CalculateBoundingBox();

  IDirect3DDevice8* d3d = D3DDevice();
  if (!d3d) return false;
  const int count = mesh->GetVertexCount();
  if (count <= 0 || count > 65536) return false;

  ReleaseBuffers();
  vertexStride = 0;
  vertexCount = static_cast<unsigned>(count);
  const int indices = mesh->GetIndexCount();
  indexCount = indices > 0 ? static_cast<unsigned>(indices) : 0;
  const unsigned stride = LayoutStride() + (skinned ? kSkinFloats * 4 : 0);
  if (stride == 0) return false;
  vertexStride = stride;

  const DWORD usage = owner && owner->GetVertexShaderSupport() ? D3DUSAGE_WRITEONLY : D3DUSAGE_SOFTWAREPROCESSING;
  if (FAILED(d3d->CreateVertexBuffer(vertexCount * stride, usage, 0, D3DPOOL_DEFAULT, &vertexBuffer)) ||
      !vertexBuffer) {
    vertexBuffer = nullptr;
    Report("Error creating vertex buffer");
    return false;
  }
  std::vector<float> vertices(static_cast<size_t>(vertexCount) * stride / 4);
  for (int i = 0; i < count; ++i)
    WriteVertex(mesh, skinned ? skin : nullptr, i, &vertices[static_cast<size_t>(i) * stride / 4]);
  BYTE* locked = nullptr;
  if (FAILED(vertexBuffer->Lock(0, 0, &locked, 0)) || !locked) {
    Report("Couldn't lock buffer");
    ReleaseBuffers();
    return false;
  }
  std::memcpy(locked, vertices.data(), static_cast<size_t>(vertexCount) * stride);
  vertexBuffer->Unlock();

  if (indexCount > 0) {
    std::vector<unsigned short> copy(indexCount);
    mesh->CopyIndexBufferInBuffer(reinterpret_cast<unsigned char*>(copy.data()));
    // An index past the last vertex would read outside the vertex buffer.
    for (unsigned short index : copy) {
      if (index >= vertexCount) {
        Report("Invalid index data");
        ReleaseBuffers();
        return false;
      }
    }
    if (FAILED(d3d->CreateIndexBuffer(indexCount * 2, usage, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indexBuffer)) ||
        !indexBuffer) {
      indexBuffer = nullptr;
      Report("Couldn't CreateIndexBuffer");
      ReleaseBuffers();
      return false;
    }
    if (FAILED(indexBuffer->Lock(0, 0, &locked, 0)) || !locked) {
      Report("Couldn't lock INDEX buffer");
      ReleaseBuffers();
      return false;
    }
    std::memcpy(locked, copy.data(), indexCount * 2);
    indexBuffer->Unlock();
  }

  if (UsesVertexComponent(kBasisS) && UsesVertexComponent(kBasisT) && UsesVertexComponent(kBasisSxT) &&
      BuildTangentBasis(vertexBuffer, indexBuffer) != 0) {
    ReleaseBuffers();
    return false;
  }
  lastObjectStamp = static_cast<int>(child->GetTimeStamp());
  buffersReady = true;
  return true;
}

HRESULT ShaderEffect::BuildTangentBasis(IDirect3DVertexBuffer8* vb, IDirect3DIndexBuffer8* ib) {
  return BuildTangentBasisAt(vb, ib, kTangentVertex);
}

HRESULT ShaderEffect::BuildTangentBasisAt(IDirect3DVertexBuffer8* vb, IDirect3DIndexBuffer8* ib,
                                          const TangentLayout& layout) {
  if (!vb || !ib) return E_FAIL;
  D3DINDEXBUFFER_DESC indexDesc{};
  D3DVERTEXBUFFER_DESC vertexDesc{};
  if (FAILED(ib->GetDesc(&indexDesc)) || FAILED(vb->GetDesc(&vertexDesc))) return E_FAIL;
  unsigned indexSize = 0;
  if (indexDesc.Format == D3DFMT_INDEX16) indexSize = 2;
  else if (indexDesc.Format == D3DFMT_INDEX32) indexSize = 4;
  const unsigned vertices = vertexDesc.Size / layout.stride;
  const unsigned indices = indexSize ? indexDesc.Size / indexSize : 0;
  if (!indexSize || vertices == 0 || indices == 0) return E_FAIL;

  std::vector<BYTE> vertexBytes(static_cast<size_t>(vertices) * layout.stride);
  std::vector<uint32_t> index(indices);
  BYTE* locked = nullptr;
  HRESULT hr = vb->Lock(0, 0, &locked, D3DLOCK_READONLY);
  if (FAILED(hr) || !locked) return FAILED(hr) ? hr : E_FAIL;
  std::memcpy(vertexBytes.data(), locked, vertexBytes.size());
  vb->Unlock();
  hr = ib->Lock(0, 0, &locked, D3DLOCK_READONLY);
  if (FAILED(hr) || !locked) return FAILED(hr) ? hr : E_FAIL;
  for (unsigned i = 0; i < indices; ++i) {
    if (indexSize == 2) {
      uint16_t v;
      std::memcpy(&v, locked + i * 2, 2);
      index[i] = v;
    } else {
      std::memcpy(&index[i], locked + i * 4, 4);
    }
  }
  ib->Unlock();

  auto vertex = [&](unsigned i) { return vertexBytes.data() + static_cast<size_t>(i) * layout.stride; };
  const D3DXVECTOR3 zero(0, 0, 0);
  for (unsigned i = 0; i < vertices; ++i) {
    WriteVector(vertex(i), layout.s, zero);
    WriteVector(vertex(i), layout.t, zero);
  }
  for (unsigned k = 0; k + 2 < indices; k += 3) {
    const unsigned tri[3] = {index[k], index[k + 1], index[k + 2]};
    if (tri[0] >= vertices || tri[1] >= vertices || tri[2] >= vertices) continue;
    float p[3][3], uv[3][2];
    for (int j = 0; j < 3; ++j) {
      std::memcpy(p[j], vertex(tri[j]) + layout.position, 12);
      std::memcpy(uv[j], vertex(tri[j]) + layout.uv, 8);
    }
    D3DXVECTOR3 dS(0, 0, 0), dT(0, 0, 0);
    for (int c = 0; c < 3; ++c) {
      const D3DXVECTOR3 e1(p[1][c] - p[0][c], uv[1][0] - uv[0][0], uv[1][1] - uv[0][1]);
      const D3DXVECTOR3 e2(p[2][c] - p[0][c], uv[2][0] - uv[0][0], uv[2][1] - uv[0][1]);
      D3DXVECTOR3 n;
      D3DXVec3Cross(&n, &e1, &e2);
      if (std::fabs(n.x) > 1e-12f) {
        (&dS.x)[c] = -n.y / n.x;
        (&dT.x)[c] = -n.z / n.x;
      }
    }
    for (unsigned j : tri) {
      WriteVector(vertex(j), layout.s, ReadVector(vertex(j), layout.s) + dS);
      WriteVector(vertex(j), layout.t, ReadVector(vertex(j), layout.t) + dT);
    }
  }
  for (unsigned i = 0; i < vertices; ++i) {
    D3DXVECTOR3 s = ReadVector(vertex(i), layout.s), t = ReadVector(vertex(i), layout.t);
    D3DXVECTOR3 normal = ReadVector(vertex(i), layout.normal);
    NormalizeInPlace(&s);
    NormalizeInPlace(&t);
    NormalizeInPlace(&normal);
    D3DXVECTOR3 sxt(s.y * t.z - s.z * t.y, s.z * t.x - s.x * t.z, s.x * t.y - s.y * t.x);
    if (D3DXVec3Dot(&sxt, &normal) < 0.0f) sxt = -sxt;
    WriteVector(vertex(i), layout.s, s);
    WriteVector(vertex(i), layout.t, t);
    WriteVector(vertex(i), layout.sxt, sxt);
  }

  hr = vb->Lock(0, 0, &locked, 0);
  if (FAILED(hr) || !locked) return FAILED(hr) ? hr : E_FAIL;
  std::memcpy(locked, vertexBytes.data(), vertexBytes.size());
  vb->Unlock();
  return 0;
}

void ShaderEffect::DrawMesh() {
  IDirect3DDevice8* d3d = D3DDevice();
  Vel_DX8_ObjectDataChannel* mesh = SourceMesh();
  if (!buffersReady || !d3d || !mesh || !vertexBuffer) return;
  if (!skinned) {
    mesh->SetWorldMatrix(owner->GetWorldMatrix());
    if (!mesh->GetIfObjectIsVisible()) return;
  }
  d3d->SetStreamSource(0, vertexBuffer, vertexStride);
  d3d->SetIndices(indexBuffer, 0);
  // A primitive type that needs more indices than there are draws nothing.
  switch (mesh->GetPolygonType()) {
    case 1:
      d3d->DrawPrimitive(D3DPT_POINTLIST, 0, vertexCount);
      break;
    case 2:
      if (indexBuffer && indexCount >= 2) d3d->DrawIndexedPrimitive(D3DPT_LINELIST, 0, vertexCount, 0, indexCount / 2);
      break;
    case 3:
      if (indexBuffer && indexCount >= 2)
        d3d->DrawIndexedPrimitive(D3DPT_LINESTRIP, 0, vertexCount, 0, indexCount - 1);
      break;
    case 4:
      if (indexBuffer && indexCount >= 3 &&
          FAILED(d3d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertexCount, 0, indexCount / 3)))
        Report("CRAP");
      break;
    default:
      break;
  }
}

bool ShaderEffect::SetBoneMatrices() {
  SkinnedObjectDataChannel* skin = SupportsSkinning() ? SkinnedChild() : nullptr;
  IDirect3DDevice8* d3d = D3DDevice();
  if (!skin || !d3d) return false;
  const int bones = skin->GetBoneCount();
  if (bones > kMaxBones) return false;
  for (int b = 0; b < bones; ++b) {
    D3DXMATRIX m = skin->GetBoneMatrix(b), transposed;
    D3DXMatrixTranspose(&transposed, &m);
    d3d->SetVertexShaderConstant(static_cast<DWORD>(kFirstBoneRegister + 3 * b), &transposed, 3);
  }
  return true;
}
