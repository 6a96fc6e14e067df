// IDirect3DVertexBuffer8 and IDirect3DIndexBuffer8: an OpenGL buffer with a
// copy in system memory that Lock hands out. Unlock sends the locked range to
// OpenGL; a DISCARD lock lets OpenGL give the buffer fresh storage instead of
// waiting for draws that still read the old contents.
#pragma once

#include <vector>

#include "device_child.h"
#include "gl.h"

namespace d3d8 {

class BufferStorage {
 public:
  BufferStorage(Device* device, UINT size);
  ~BufferStorage();

  HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags);
  HRESULT Unlock();
  GLuint glBuffer() const { return buffer_; }
  UINT size() const { return static_cast<UINT>(shadow_.size()); }
  const BYTE* data() const { return shadow_.data(); }

 private:
  Device* device_;
  std::vector<BYTE> shadow_;
  GLuint buffer_ = 0;
  int lockCount_ = 0;
  UINT dirtyBegin_ = 0, dirtyEnd_ = 0;
  bool discard_ = false;
};

class VertexBuffer final : public IDirect3DVertexBuffer8, public DeviceChild {
 public:
  static VertexBuffer* Create(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, HRESULT* hr);

  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG AddRef() override { return AddRefPublic(); }
  ULONG Release() override { return ReleasePublic(); }
  HRESULT GetDevice(IDirect3DDevice8** ppDevice) override;
  DWORD SetPriority(DWORD priority) override;
  DWORD GetPriority() override { return priority_; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT Lock(UINT offset, UINT size, BYTE** ppbData, DWORD flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

  bool BlocksReset() const override { return pool_ == D3DPOOL_DEFAULT; }
  BufferStorage& storage() { return storage_; }

 private:
  VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);
  ~VertexBuffer() override;

  BufferStorage storage_;
  DWORD usage_;
  DWORD fvf_;
  D3DPOOL pool_;
  DWORD priority_ = 0;
};

class IndexBuffer final : public IDirect3DIndexBuffer8, public DeviceChild {
 public:
  static IndexBuffer* Create(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, HRESULT* hr);

  HRESULT QueryInterface(REFIID riid, void** ppvObj) override;
  ULONG AddRef() override { return AddRefPublic(); }
  ULONG Release() override { return ReleasePublic(); }
  HRESULT GetDevice(IDirect3DDevice8** ppDevice) override;
  DWORD SetPriority(DWORD priority) override;
  DWORD GetPriority() override { return priority_; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT Lock(UINT offset, UINT size, BYTE** ppbData, DWORD flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

  bool BlocksReset() const override { return pool_ == D3DPOOL_DEFAULT; }
  BufferStorage& storage() { return storage_; }
  D3DFORMAT format() const { return format_; }
  UINT indexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }

 private:
  IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ~IndexBuffer() override;

  BufferStorage storage_;
  DWORD usage_;
  D3DFORMAT format_;
  D3DPOOL pool_;
  DWORD priority_ = 0;
};

}  // namespace d3d8
