// Internal constructors of ID3DXBuffer objects.
#pragma once

#include <d3dx8/d3dx8core.h>

#include <cstddef>

namespace d3dx8 {

// A buffer holding a copy of size bytes from data (zeroes when data is NULL).
HRESULT CreateBufferFrom(const void* data, size_t size, LPD3DXBUFFER* ppBuffer);

// A buffer holding text and its terminating zero byte.
HRESULT CreateTextBuffer(const char* text, LPD3DXBUFFER* ppBuffer);

}  // namespace d3dx8
