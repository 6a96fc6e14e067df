// IDirect3DVertexBuffer8 and IDirect3DIndexBuffer8: an OpenGL buffer with a
// copy in system memory that Lock hands out. Unlock sends the locked range to
// OpenGL; a DISCARD lock lets OpenGL give the buffer fresh storage instead of
// waiting for draws that still read the old contents.
#pragma once

#include <vector>

#include "device_child.h"
#include "gl.h"
#include "query_interface.h"

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

// What vertex and index buffers share: the storage, the pool rules for
// priority and reset, and the IUnknown and IDirect3DResource8 methods.
// `Interface` is the public buffer interface, answered to `kIid`.
template <typename Interface, const IID& kIid, D3DRESOURCETYPE kType>
class BufferResource : public Interface, public DeviceChild {
 public:
  HRESULT QueryInterface(REFIID riid, void** ppvObj) override {
    return QueryInterfaceOf<Interface>(this, riid, ppvObj, {IID_IDirect3DResource8, kIid});
  }
  ULONG AddRef() override { return AddRefPublic(); }
  ULONG Release() override { return ReleasePublic(); }
  HRESULT GetDevice(IDirect3DDevice8** ppDevice) override { return HandOutDevice(ppDevice); }
  DWORD SetPriority(DWORD priority) override {
    DWORD old = priority_;
    if (pool_ == D3DPOOL_MANAGED) priority_ = priority;
    return old;
  }
  DWORD GetPriority() override { return priority_; }
  void PreLoad() override {}
  D3DRESOURCETYPE GetType() override { return kType; }
  HRESULT Lock(UINT offset, UINT size, BYTE** ppbData, DWORD flags) override {
    return storage_.Lock(offset, size, ppbData, flags);
  }
  HRESULT Unlock() override { return storage_.Unlock(); }

  bool BlocksReset() const override { return pool_ == D3DPOOL_DEFAULT; }
  BufferStorage& storage() { return storage_; }

 protected:
  BufferResource(Device* device, UINT length, DWORD usage, D3DPOOL pool)
      : DeviceChild(device, true), storage_(device, length), usage_(usage), pool_(pool) {
    NoteObjectCreated();
  }
  ~BufferResource() override { NoteObjectDestroyed(); }

  BufferStorage storage_;
  DWORD usage_;
  D3DPOOL pool_;
  DWORD priority_ = 0;
};

class VertexBuffer final
    : public BufferResource<IDirect3DVertexBuffer8, IID_IDirect3DVertexBuffer8, D3DRTYPE_VERTEXBUFFER> {
 public:
  static VertexBuffer* Create(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, HRESULT* hr);

  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

 private:
  VertexBuffer(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
      : BufferResource(device, length, usage, pool), fvf_(fvf) {}

  DWORD fvf_;
};

class IndexBuffer final
    : public BufferResource<IDirect3DIndexBuffer8, IID_IDirect3DIndexBuffer8, D3DRTYPE_INDEXBUFFER> {
 public:
  static IndexBuffer* Create(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, HRESULT* hr);

  HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

  D3DFORMAT format() const { return format_; }
  UINT indexSize() const { return format_ == D3DFMT_INDEX32 ? 4 : 2; }

 private:
  IndexBuffer(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
      : BufferResource(device, length, usage, pool), format_(format) {}

  D3DFORMAT format_;
};

}  // namespace d3d8
