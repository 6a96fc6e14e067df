// libFuzzer target: shader text from arbitrary bytes assembles or is refused
// with error text, without a crash or an overread. Assembled code always
// starts with a version token and ends with the end token.
#include <d3dx8/d3dx8core.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1u << 16)) return 0;
  std::vector<char> bytes(data, data + size);  // exactly `size` bytes, no terminator
  LPD3DXBUFFER code = nullptr, errors = nullptr;
  const HRESULT hr =
      D3DXAssembleShader(bytes.data(), static_cast<UINT>(size), D3DXASM_DEBUG, nullptr, &code, &errors);
  if (SUCCEEDED(hr)) {
    const DWORD* t = static_cast<const DWORD*>(code->GetBufferPointer());
    const DWORD n = code->GetBufferSize() / 4;
    if (n < 2 || (t[0] >> 17) != 0x7FFF || t[n - 1] != 0x0000FFFF || errors) std::abort();
    code->Release();
  } else if (!errors || code) {
    std::abort();
  }
  if (errors) errors->Release();
  return 0;
}
