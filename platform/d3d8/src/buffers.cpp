#include "buffers.h"

#include <algorithm>

#include "device.h"

namespace d3d8 {

// ---------------------------------------------------------------------------
// BufferStorage
// ---------------------------------------------------------------------------

BufferStorage::BufferStorage(Device* device, UINT size) : device_(device), shadow_(size, 0) {
  device_->MakeCurrent();
  glGenBuffers(1, &buffer_);
  glBindBuffer(GL_COPY_WRITE_BUFFER, buffer_);
  glBufferData(GL_COPY_WRITE_BUFFER, size, shadow_.data(), GL_DYNAMIC_DRAW);
  glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
}

BufferStorage::~BufferStorage() {
  device_->MakeCurrent();
  device_->ForgetGlBuffer(buffer_);
  glDeleteBuffers(1, &buffer_);
}

HRESULT BufferStorage::Lock(UINT offset, UINT size, BYTE** data, DWORD flags) {
  if (!data) return D3DERR_INVALIDCALL;
  *data = nullptr;
  const UINT total = static_cast<UINT>(shadow_.size());
  if (offset > total) return D3DERR_INVALIDCALL;
  if (size == 0) size = total - offset;  // 0 locks to the end
  if (size > total - offset) return D3DERR_INVALIDCALL;
  if (!(flags & D3DLOCK_READONLY)) {
    if (flags & D3DLOCK_DISCARD) discard_ = true;
    if (dirtyEnd_ == dirtyBegin_) {
      dirtyBegin_ = offset;
      dirtyEnd_ = offset + size;
    } else {
      dirtyBegin_ = std::min(dirtyBegin_, offset);
      dirtyEnd_ = std::max(dirtyEnd_, offset + size);
    }
  }
  ++lockCount_;
  *data = shadow_.data() + offset;
  return D3D_OK;
}

HRESULT BufferStorage::Unlock() {
  if (lockCount_ == 0) return D3DERR_INVALIDCALL;
  if (--lockCount_ > 0 || dirtyEnd_ == dirtyBegin_) return D3D_OK;
  device_->MakeCurrent();
  glBindBuffer(GL_COPY_WRITE_BUFFER, buffer_);
  const UINT total = static_cast<UINT>(shadow_.size());
  if (discard_ || (dirtyBegin_ == 0 && dirtyEnd_ == total)) {
    // New storage: pending draws keep reading the old one.
    glBufferData(GL_COPY_WRITE_BUFFER, total, shadow_.data(), GL_DYNAMIC_DRAW);
  } else {
    glBufferSubData(GL_COPY_WRITE_BUFFER, dirtyBegin_, dirtyEnd_ - dirtyBegin_, shadow_.data() + dirtyBegin_);
  }
  glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
  dirtyBegin_ = dirtyEnd_ = 0;
  discard_ = false;
  return D3D_OK;
}

// ---------------------------------------------------------------------------
// VertexBuffer and IndexBuffer
// ---------------------------------------------------------------------------

namespace {

// The rules both kinds of buffer share: a size, a pool an application may
// create in, no surface usages, and no dynamic buffer in the managed pool.
bool BufferArgumentsValid(UINT length, DWORD usage, D3DPOOL pool) {
  if (length == 0 || pool > D3DPOOL_SYSTEMMEM) return false;
  if (usage & (D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL)) return false;
  return !((usage & D3DUSAGE_DYNAMIC) && pool == D3DPOOL_MANAGED);
}

}  // namespace

VertexBuffer* VertexBuffer::Create(Device* device, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, HRESULT* hr) {
  *hr = D3DERR_INVALIDCALL;
  if (!BufferArgumentsValid(length, usage, pool)) return nullptr;
  *hr = D3D_OK;
  return new VertexBuffer(device, length, usage, fvf, pool);
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  pDesc->Format = D3DFMT_VERTEXDATA;
  pDesc->Type = D3DRTYPE_VERTEXBUFFER;
  pDesc->Usage = usage_;
  pDesc->Pool = pool_;
  pDesc->Size = storage_.size();
  pDesc->FVF = fvf_;
  return D3D_OK;
}

IndexBuffer* IndexBuffer::Create(Device* device, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                 HRESULT* hr) {
  *hr = D3DERR_INVALIDCALL;
  if (!BufferArgumentsValid(length, usage, pool)) return nullptr;
  if (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32) return nullptr;
  *hr = D3D_OK;
  return new IndexBuffer(device, length, usage, format, pool);
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  pDesc->Format = format_;
  pDesc->Type = D3DRTYPE_INDEXBUFFER;
  pDesc->Usage = usage_;
  pDesc->Pool = pool_;
  pDesc->Size = storage_.size();
  return D3D_OK;
}

}  // namespace d3d8
