// Meshes of the extension library: a vertex buffer in a flexible vertex
// format, a triangle-list index buffer and one attribute (subset number) per
// triangle.
#pragma once

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8core.h>
#include <win32/types.h>

// Mesh options: index size and where the buffers live.
#define D3DXMESH_32BIT 0x001
#define D3DXMESH_DONOTCLIP 0x002
#define D3DXMESH_POINTS 0x004
#define D3DXMESH_RTPATCHES 0x008
#define D3DXMESH_VB_SYSTEMMEM 0x010
#define D3DXMESH_VB_MANAGED 0x020
#define D3DXMESH_VB_WRITEONLY 0x040
#define D3DXMESH_VB_DYNAMIC 0x080
#define D3DXMESH_IB_SYSTEMMEM 0x100
#define D3DXMESH_IB_MANAGED 0x200
#define D3DXMESH_IB_WRITEONLY 0x400
#define D3DXMESH_IB_DYNAMIC 0x800
#define D3DXMESH_SYSTEMMEM (D3DXMESH_VB_SYSTEMMEM | D3DXMESH_IB_SYSTEMMEM)
#define D3DXMESH_MANAGED (D3DXMESH_VB_MANAGED | D3DXMESH_IB_MANAGED)
#define D3DXMESH_WRITEONLY (D3DXMESH_VB_WRITEONLY | D3DXMESH_IB_WRITEONLY)
#define D3DXMESH_DYNAMIC (D3DXMESH_VB_DYNAMIC | D3DXMESH_IB_DYNAMIC)

struct ID3DXBaseMesh : public IUnknown {
  // Draws the triangles whose attribute is AttribId with the mesh's buffers
  // and vertex format; the device's other states stay as they are.
  virtual HRESULT DrawSubset(DWORD AttribId) = 0;
  virtual DWORD GetNumFaces() = 0;
  virtual DWORD GetNumVertices() = 0;
  virtual DWORD GetFVF() = 0;
  virtual DWORD GetOptions() = 0;
  // The buffers and the device come with a new reference each.
  virtual HRESULT GetDevice(IDirect3DDevice8** ppDevice) = 0;
  virtual HRESULT GetVertexBuffer(IDirect3DVertexBuffer8** ppVB) = 0;
  virtual HRESULT GetIndexBuffer(IDirect3DIndexBuffer8** ppIB) = 0;
  // Locks the whole buffer (16-bit indices unless D3DXMESH_32BIT).
  virtual HRESULT LockVertexBuffer(DWORD Flags, BYTE** ppData) = 0;
  virtual HRESULT UnlockVertexBuffer() = 0;
  virtual HRESULT LockIndexBuffer(DWORD Flags, BYTE** ppData) = 0;
  virtual HRESULT UnlockIndexBuffer() = 0;

 protected:
  ~ID3DXBaseMesh() = default;
};

struct ID3DXMesh : public ID3DXBaseMesh {
  // One DWORD attribute per triangle.
  virtual HRESULT LockAttributeBuffer(DWORD Flags, DWORD** ppData) = 0;
  virtual HRESULT UnlockAttributeBuffer() = 0;

 protected:
  ~ID3DXMesh() = default;
};

typedef ID3DXBaseMesh* LPD3DXBASEMESH;
typedef ID3DXMesh* LPD3DXMESH;
