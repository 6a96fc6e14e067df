// ID3DXBuffer: a reference-counted heap block.
#include "buffer.h"

#include <atomic>
#include <cstring>
#include <new>

namespace d3dx8 {
namespace {

// {00000000-0000-0000-C000-000000000046}, the identifier every COM-style
// interface answers to.
constexpr GUID kUnknownId = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class Buffer final : public ID3DXBuffer {
 public:
  Buffer(BYTE* bytes, DWORD size) : bytes_(bytes), size_(size) {}

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_INVALIDARG;
    if (riid == kUnknownId) {
      AddRef();
      *ppv = static_cast<IUnknown*>(this);
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  LPVOID GetBufferPointer() override { return bytes_; }
  DWORD GetBufferSize() override { return size_; }

 private:
  ~Buffer() { delete[] bytes_; }

  BYTE* bytes_;
  DWORD size_;
  std::atomic<ULONG> refs_{1};
};

}  // namespace

HRESULT CreateBufferFrom(const void* data, size_t size, LPD3DXBUFFER* ppBuffer) {
  if (!ppBuffer) return E_INVALIDARG;
  *ppBuffer = nullptr;
  if (size > 0xFFFFFFFFu) return E_OUTOFMEMORY;
  BYTE* bytes = new (std::nothrow) BYTE[size ? size : 1]();
  if (!bytes) return E_OUTOFMEMORY;
  if (data && size) std::memcpy(bytes, data, size);
  Buffer* buffer = new (std::nothrow) Buffer(bytes, static_cast<DWORD>(size));
  if (!buffer) {
    delete[] bytes;
    return E_OUTOFMEMORY;
  }
  *ppBuffer = buffer;
  return S_OK;
}

HRESULT CreateTextBuffer(const char* text, LPD3DXBUFFER* ppBuffer) {
  return CreateBufferFrom(text, std::strlen(text) + 1, ppBuffer);
}

}  // namespace d3dx8

extern "C" HRESULT D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer) {
  if (!ppBuffer) return D3DERR_INVALIDCALL;
  return d3dx8::CreateBufferFrom(nullptr, NumBytes, ppBuffer);
}
