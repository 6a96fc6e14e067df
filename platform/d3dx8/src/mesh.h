// The mesh object behind ID3DXMesh: device buffers plus a per-triangle
// attribute array kept in system memory.
#pragma once

#include <d3dx8/d3dx8mesh.h>

#include <atomic>
#include <vector>

namespace d3dx8 {

// Bytes of one vertex of a flexible vertex format; 0 for an invalid code.
UINT VertexSizeOfFvf(DWORD fvf);

class Mesh final : public ID3DXMesh {
 public:
  // Creates the buffers for numFaces triangles over numVertices vertices.
  static HRESULT Create(IDirect3DDevice8* device, DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf,
                        Mesh** out);

  HRESULT QueryInterface(REFIID riid, void** ppv) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT DrawSubset(DWORD AttribId) override;
  DWORD GetNumFaces() override { return numFaces_; }
  DWORD GetNumVertices() override { return numVertices_; }
  DWORD GetFVF() override { return fvf_; }
  DWORD GetOptions() override { return options_; }
  HRESULT GetDevice(IDirect3DDevice8** ppDevice) override;
  HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** ppVB) override;
  HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** ppIB) override;
  HRESULT LockVertexBuffer(DWORD Flags, BYTE** ppData) override;
  HRESULT UnlockVertexBuffer() override;
  HRESULT LockIndexBuffer(DWORD Flags, BYTE** ppData) override;
  HRESULT UnlockIndexBuffer() override;
  HRESULT LockAttributeBuffer(DWORD Flags, DWORD** ppData) override;
  HRESULT UnlockAttributeBuffer() override;

 private:
  Mesh() = default;
  ~Mesh();

  std::atomic<ULONG> refs_{1};
  IDirect3DDevice8* device_ = nullptr;
  IDirect3DVertexBuffer8* vertexBuffer_ = nullptr;
  IDirect3DIndexBuffer8* indexBuffer_ = nullptr;
  std::vector<DWORD> attributes_;
  DWORD numFaces_ = 0;
  DWORD numVertices_ = 0;
  DWORD options_ = 0;
  DWORD fvf_ = 0;
  UINT vertexSize_ = 0;
};

}  // namespace d3dx8
