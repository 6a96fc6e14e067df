// The mesh's device buffers: one interleaved vertex buffer and one 16-bit
// index buffer built from the arrays, bound and drawn once per call, the
// statistics of what was drawn and the texture transforms of the two matrix
// children.
#include "objectdata/vel_dx8_object_data_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "floatvalue/vel_float_channel.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "orn_channel_group.h"
#include "vel_child_access.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <cstring>

namespace {
// Appends `size` bytes of record `index` of an array of `length` records, or
// zero bytes when the array does not hold that record.
template <class T>
unsigned char* Put(unsigned char* out, const T* array, int32_t length, int32_t index) {
  if (array && index < length) std::memcpy(out, &array[index], sizeof(T));
  else std::memset(out, 0, sizeof(T));
  return out + sizeof(T);
}

void AddTo(Vel_FloatChannel* value, float amount) {
  if (value) value->SetFloat(value->GetFloat() + amount);
}
}  // namespace

bool Vel_DX8_ObjectDataChannel::ComputeLayout(uint32_t* format, uint32_t* size) const {
  uint32_t f = 0;
  uint32_t s = 0;
  if (usePosition_) f |= D3DFVF_XYZ, s += 12;
  if (useNormal_) f |= D3DFVF_NORMAL, s += 12;
  if (useColor_) f |= D3DFVF_DIFFUSE, s += 4;
  if (useUVSet1_ && !useUVSet2_) f |= D3DFVF_TEX1, s += 8;
  if (useUVSet1_ && useUVSet2_) f |= D3DFVF_TEX2, s += 16;
  *format = f;
  *size = s;
  return !(useUVSet2_ && !useUVSet1_);
}

void Vel_DX8_ObjectDataChannel::WriteInterleaved(unsigned char* out) const {
  for (int32_t i = 0; i < vertexCount_; ++i) {
    if (usePosition_) out = Put(out, positions_, positionsLength_, i);
    if (useNormal_) out = Put(out, normals_, normalsLength_, i);
    if (useColor_) out = Put(out, colors_, colorsLength_, i);
    if (useUVSet1_) out = Put(out, uvSet1_, uvSet1Length_, i);
    if (useUVSet1_ && useUVSet2_) out = Put(out, uvSet2_, uvSet2Length_, i);
  }
}

bool Vel_DX8_ObjectDataChannel::CreateVertexBuffer() {
  // Buffers of an earlier build go first; a failed build holds none.
  ReleaseBuffers();
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  uint32_t format = 0;
  uint32_t size = 0;
  if (!device || vertexCount_ <= 0 || !ComputeLayout(&format, &size)) return false;
  InvalidateVertexDataInfo();
  vertexFormat_ = format;
  vertexSize_ = size;
  // A device that did not exist when the mesh was made has its limit now.
  if (maxPrimitiveCount_ == 0) maxPrimitiveCount_ = directGraphics_->GetDeviceCaps().MaxPrimitiveCount;

  auto fail = [this](IDirect3DVertexBuffer8* lockedVertices, IDirect3DIndexBuffer8* lockedIndices) {
    if (lockedVertices) lockedVertices->Unlock();
    if (lockedIndices) lockedIndices->Unlock();
    ReleaseBuffers();
    buildFailed_ = true;
    return false;
  };

  const uint64_t vertexBytes = static_cast<uint64_t>(vertexCount_) * size;
  if (vertexBytes > UINT32_MAX ||
      device->CreateVertexBuffer(static_cast<UINT>(vertexBytes), vertexBufferUsage_, format, D3DPOOL_DEFAULT,
                                 &vertexBuffer_) != D3D_OK ||
      !vertexBuffer_) {
    vertexBuffer_ = nullptr;
    if (engine) {
      engine->errorFunctor("Failed to create vertex buffer");
      engine->errorFunctor(GetChannelName() ? GetChannelName() : "");
      if (Orn_ChannelGroup* group = GetChannelGroup()) engine->errorFunctor(group->GetChannelGroupFileName());
      engine->errorFunctor(static_cast<int>(vertexCount_));
      engine->errorFunctor(static_cast<unsigned long>(size));
    }
    return fail(nullptr, nullptr);
  }
  BYTE* vertices = nullptr;
  if (vertexBuffer_->Lock(0, 0, &vertices, 0) != D3D_OK || !vertices) {
    if (engine) engine->errorFunctor("Couldn't lock buffer");
    return fail(nullptr, nullptr);
  }
  WriteInterleaved(vertices);
  vertexBuffer_->Unlock();

  // A mesh without indices (a point list) needs no index buffer.
  const int32_t indexCount = std::max(indexCount_, 0);
  if (indexCount > 0) {
    if (device->CreateIndexBuffer(static_cast<UINT>(indexCount) * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16,
                                  D3DPOOL_DEFAULT, &indexBuffer_) != D3D_OK ||
        !indexBuffer_) {
      indexBuffer_ = nullptr;
      if (engine) engine->errorFunctor("Couldn't CreateIndexBuffer");
      return fail(nullptr, nullptr);
    }
    BYTE* locked = nullptr;
    if (indexBuffer_->Lock(0, 0, &locked, 0) != D3D_OK || !locked) {
      if (engine) engine->errorFunctor("Couldn't lock INDEX buffer");
      return fail(nullptr, nullptr);
    }
    const int32_t stored = indices_ ? std::min(indicesLength_, indexCount) : 0;
    for (int32_t i = 0; i < stored; ++i) {
      if (indices_[i] >= vertexCount_) {
        if (engine) engine->boxFunctor("Vel_DX8_ObjectDataChannel::CreateVertexBuffer Invalid index data");
        return fail(nullptr, indexBuffer_);
      }
    }
    // Indices the array does not hold are 0, which is a valid vertex.
    std::memset(locked, 0, static_cast<size_t>(indexCount) * 2);
    if (indices_) std::memcpy(locked, indices_, static_cast<size_t>(stored) * 2);
    else if (engine) engine->errorFunctor("Index buffer == NULL!!!");
    indexBuffer_->Unlock();
  }

  buffersValid_ = true;
  buildFailed_ = false;
  builtVertexCount_ = vertexCount_;
  builtIndexCount_ = indexCount;
  SetTimeStamp();
  return true;
}

bool Vel_DX8_ObjectDataChannel::EnsureBuffers() {
  if (!buffersValid_ && !buildFailed_) CreateVertexBuffer();
  return buffersValid_;
}

void Vel_DX8_ObjectDataChannel::InvalidateDeviceObjects() {
  ReleaseBuffers();
  // The device changed: a build that failed there may succeed on the new one.
  buildFailed_ = false;
}

void Vel_DX8_ObjectDataChannel::StreamTextureMatrices() {
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device) return;
  directGraphics_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  directGraphics_->SetRenderState(D3DRS_LOCALVIEWER, 1);
  static const D3DXMATRIX kSphereMap(0.5f, 0, 0, 0, 0, -0.5f, 0, 0, 0, 0, 0, 0, 0.5f, -0.5f, 0, 1);
  static const D3DXMATRIX kIdentity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  // Stage 0 takes slot 0, stages 1 and 2 both take slot 1.
  Vel_MatrixChannel* const slots[2] = {
      vel::As<Vel_MatrixChannel>(GetChildFromLinkPosition(0, 0), vel::kMatrixType),
      vel::As<Vel_MatrixChannel>(GetChildFromLinkPosition(1, 0), vel::kMatrixType)};
  for (DWORD stage = 0; stage < 3; ++stage) {
    Vel_MatrixChannel* child = slots[stage == 0 ? 0 : 1];
    D3DXMATRIX m;
    if (child) {
      m = child->GetMatrix();
      if (!vel::AllFinite(m)) m = kIdentity;
    } else {
      DWORD index = 0;
      device->GetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, &index);
      const bool cameraSpace = index == 0x10000 || index == 0x10001 || index == 0x30000 || index == 0x30001;
      m = cameraSpace ? kSphereMap : kIdentity;
    }
    device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &m);
  }
}

bool Vel_DX8_ObjectDataChannel::SetDataToStream(int stream) {
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device) return false;
  directGraphics_->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  directGraphics_->SetRenderState(D3DRS_LOCALVIEWER, 1);
  StreamTextureMatrices();
  if (!EnsureBuffers() || !GetIfObjectIsVisible()) return false;
  device->SetVertexShader(vertexFormat_);
  device->SetStreamSource(static_cast<UINT>(stream), vertexBuffer_, vertexSize_);
  device->SetIndices(indexBuffer_, 0);
  return true;
}

void Vel_DX8_ObjectDataChannel::StreamVertexData() {
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device) return;
  if (CheckRenderCount()) {
    if (!SetDataToStream(0)) return;
  } else {
    // A further draw in the same frame (another surface showing this mesh)
    // binds again but leaves the texture transforms as they are.
    if (!buffersValid_ || !GetIfObjectIsVisible()) return;
    device->SetVertexShader(vertexFormat_);
    device->SetStreamSource(0, vertexBuffer_, vertexSize_);
    device->SetIndices(indexBuffer_, 0);
  }
  if (!buffersValid_) return;
  DrawPrimitives(device);
}

void Vel_DX8_ObjectDataChannel::DrawPrimitives(IDirect3DDevice8* device) {
  // Never more than the buffers were built for, whatever the counts became.
  const UINT vertices = static_cast<UINT>(std::clamp(vertexCount_, 0, builtVertexCount_));
  const UINT indices = static_cast<UINT>(std::clamp(indexCount_, 0, builtIndexCount_));
  const float vertexCount = static_cast<float>(vertexCount_);
  const float indexCount = static_cast<float>(indexCount_);
  switch (polygonType_) {
    case 1:
      AddTo(vertexCountValue_, vertexCount);
      AddTo(polygonCountValue_, indexCount);
      if (vertices > 0) device->DrawPrimitive(D3DPT_POINTLIST, 0, vertices);
      break;
    case 2:
      AddTo(vertexCountValue_, vertexCount);
      AddTo(polygonCountValue_, indexCount * 0.5f);
      if (indexCount * 0.5f < static_cast<float>(maxPrimitiveCount_) && indices / 2 > 0)
        device->DrawIndexedPrimitive(D3DPT_LINELIST, 0, vertices, 0, indices / 2);
      break;
    case 3:
      AddTo(vertexCountValue_, vertexCount);
      AddTo(polygonCountValue_, indexCount * 0.5f);
      // An index count of 0 wraps to the largest count and never draws.
      if (static_cast<uint32_t>(indexCount_ - 1) < maxPrimitiveCount_ && indices > 1)
        device->DrawIndexedPrimitive(D3DPT_LINESTRIP, 0, vertices, 0, indices - 1);
      break;
    case 4:
      AddTo(vertexCountValue_, vertexCount);
      AddTo(polygonCountValue_, indexCount * 0.3333f);
      if (static_cast<uint32_t>(indexCount_ / 3) < maxPrimitiveCount_ && indices / 3 > 0)
        device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, vertices, 0, indices / 3);
      break;
    default:
      break;
  }
}

void Vel_DX8_ObjectDataChannel::CopyVertexBufferInBuffer(unsigned char* dest) {
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  uint32_t format = 0;
  uint32_t size = 0;
  if (!device || vertexCount_ <= 0 || !dest || !ComputeLayout(&format, &size)) return;
  vertexFormat_ = format;
  vertexSize_ = size;
  WriteInterleaved(dest);
}

void Vel_DX8_ObjectDataChannel::CopyIndexBufferInBuffer(unsigned char* dest) {
  if (!dest || indexCount_ <= 0) return;
  const size_t stored = indices_ ? static_cast<size_t>(std::min(indicesLength_, indexCount_)) : 0;
  std::memset(dest, 0, static_cast<size_t>(indexCount_) * 2);
  if (stored) std::memcpy(dest, indices_, stored * 2);
}
