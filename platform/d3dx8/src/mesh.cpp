// Mesh object.
#include "mesh.h"

#include <new>

namespace d3dx8 {
namespace {

constexpr GUID kUnknownId = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

D3DPOOL PoolOf(DWORD options, DWORD systemFlag, DWORD managedFlag) {
  if (options & systemFlag) return D3DPOOL_SYSTEMMEM;
  if (options & managedFlag) return D3DPOOL_MANAGED;
  return D3DPOOL_DEFAULT;
}

DWORD UsageOf(DWORD options, DWORD writeOnlyFlag, DWORD dynamicFlag) {
  DWORD usage = 0;
  if (options & writeOnlyFlag) usage |= D3DUSAGE_WRITEONLY;
  if (options & dynamicFlag) usage |= D3DUSAGE_DYNAMIC;
  if (options & D3DXMESH_DONOTCLIP) usage |= D3DUSAGE_DONOTCLIP;
  if (options & D3DXMESH_POINTS) usage |= D3DUSAGE_POINTS;
  if (options & D3DXMESH_RTPATCHES) usage |= D3DUSAGE_RTPATCHES;
  return usage;
}

}  // namespace

UINT VertexSizeOfFvf(DWORD fvf) {
  UINT size = 0;
  switch (fvf & D3DFVF_POSITION_MASK) {
    case 0: break;
    case D3DFVF_XYZ: size += 12; break;
    case D3DFVF_XYZRHW: size += 16; break;
    default: size += 12 + 4 * (((fvf & D3DFVF_POSITION_MASK) - D3DFVF_XYZ) / 2); break;  // XYZB1..5
  }
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_PSIZE) size += 4;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_SPECULAR) size += 4;
  const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (sets > 8) return 0;
  for (UINT set = 0; set < sets; ++set) {
    switch ((fvf >> (16 + 2 * set)) & 3) {
      case D3DFVF_TEXTUREFORMAT1: size += 4; break;
      case D3DFVF_TEXTUREFORMAT2: size += 8; break;
      case D3DFVF_TEXTUREFORMAT3: size += 12; break;
      default: size += 16; break;
    }
  }
  return size;
}

HRESULT Mesh::Create(IDirect3DDevice8* device, DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                     Mesh** out) {
  *out = nullptr;
  const UINT vertexSize = VertexSizeOfFvf(fvf);
  const bool wide = (options & D3DXMESH_32BIT) != 0;
  if (!device || numFaces == 0 || numVertices == 0 || vertexSize == 0) return D3DERR_INVALIDCALL;
  if (!wide && numVertices > 0x10000) return D3DERR_INVALIDCALL;
  const uint64_t vertexBytes = uint64_t(numVertices) * vertexSize;
  const uint64_t indexBytes = uint64_t(numFaces) * 3 * (wide ? 4 : 2);
  if (vertexBytes > 0x7FFFFFFF || indexBytes > 0x7FFFFFFF) return E_OUTOFMEMORY;

  Mesh* mesh = new (std::nothrow) Mesh();
  if (!mesh) return E_OUTOFMEMORY;
  mesh->device_ = device;
  device->AddRef();
  mesh->numFaces_ = numFaces;
  mesh->numVertices_ = numVertices;
  mesh->options_ = options;
  mesh->fvf_ = fvf;
  mesh->vertexSize_ = vertexSize;
  try {
    mesh->attributes_.assign(numFaces, 0);
  } catch (const std::bad_alloc&) {
    mesh->Release();
    return E_OUTOFMEMORY;
  }
  HRESULT hr = device->CreateVertexBuffer(
      UINT(vertexBytes), UsageOf(options, D3DXMESH_VB_WRITEONLY, D3DXMESH_VB_DYNAMIC), fvf,
      PoolOf(options, D3DXMESH_VB_SYSTEMMEM, D3DXMESH_VB_MANAGED), &mesh->vertexBuffer_);
  if (SUCCEEDED(hr)) {
    hr = device->CreateIndexBuffer(UINT(indexBytes), UsageOf(options, D3DXMESH_IB_WRITEONLY, D3DXMESH_IB_DYNAMIC),
                                   wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                   PoolOf(options, D3DXMESH_IB_SYSTEMMEM, D3DXMESH_IB_MANAGED), &mesh->indexBuffer_);
  }
  if (FAILED(hr)) {
    mesh->Release();
    return hr;
  }
  *out = mesh;
  return D3D_OK;
}

Mesh::~Mesh() {
  if (indexBuffer_) indexBuffer_->Release();
  if (vertexBuffer_) vertexBuffer_->Release();
  if (device_) device_->Release();
}

HRESULT Mesh::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_INVALIDARG;
  if (riid == kUnknownId) {
    AddRef();
    *ppv = static_cast<IUnknown*>(this);
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG Mesh::AddRef() { return ++refs_; }

ULONG Mesh::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Mesh::DrawSubset(DWORD AttribId) {
  HRESULT hr = device_->SetVertexShader(fvf_);
  if (SUCCEEDED(hr)) hr = device_->SetStreamSource(0, vertexBuffer_, vertexSize_);
  if (SUCCEEDED(hr)) hr = device_->SetIndices(indexBuffer_, 0);
  if (FAILED(hr)) return hr;
  // One draw per run of consecutive triangles of the subset.
  DWORD face = 0;
  while (face < numFaces_) {
    if (attributes_[face] != AttribId) {
      ++face;
      continue;
    }
    const DWORD first = face;
    while (face < numFaces_ && attributes_[face] == AttribId) ++face;
    hr = device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, numVertices_, first * 3, face - first);
    if (FAILED(hr)) return hr;
  }
  return D3D_OK;
}

HRESULT Mesh::GetDevice(IDirect3DDevice8** ppDevice) {
  if (!ppDevice) return D3DERR_INVALIDCALL;
  device_->AddRef();
  *ppDevice = device_;
  return D3D_OK;
}

HRESULT Mesh::GetVertexBuffer(IDirect3DVertexBuffer8** ppVB) {
  if (!ppVB) return D3DERR_INVALIDCALL;
  vertexBuffer_->AddRef();
  *ppVB = vertexBuffer_;
  return D3D_OK;
}

HRESULT Mesh::GetIndexBuffer(IDirect3DIndexBuffer8** ppIB) {
  if (!ppIB) return D3DERR_INVALIDCALL;
  indexBuffer_->AddRef();
  *ppIB = indexBuffer_;
  return D3D_OK;
}

HRESULT Mesh::LockVertexBuffer(DWORD Flags, BYTE** ppData) {
  if (!ppData) return D3DERR_INVALIDCALL;
  return vertexBuffer_->Lock(0, 0, ppData, Flags);
}

HRESULT Mesh::UnlockVertexBuffer() { return vertexBuffer_->Unlock(); }

HRESULT Mesh::LockIndexBuffer(DWORD Flags, BYTE** ppData) {
  if (!ppData) return D3DERR_INVALIDCALL;
  return indexBuffer_->Lock(0, 0, ppData, Flags);
}

HRESULT Mesh::UnlockIndexBuffer() { return indexBuffer_->Unlock(); }

HRESULT Mesh::LockAttributeBuffer(DWORD Flags, DWORD** ppData) {
  (void)Flags;
  if (!ppData) return D3DERR_INVALIDCALL;
  *ppData = attributes_.data();
  return D3D_OK;
}

HRESULT Mesh::UnlockAttributeBuffer() { return D3D_OK; }

}  // namespace d3dx8
