// D3DXAssembleShader. Assembling vs.1.x and ps.1.x text is not available yet:
// every call fails cleanly with an error buffer that says so.
#include <d3dx8/d3dx8core.h>

#include "buffer.h"

extern "C" HRESULT D3DXAssembleShader(LPCVOID pSrcData, UINT SrcDataLen, DWORD Flags, LPD3DXBUFFER* ppConstants,
                                      LPD3DXBUFFER* ppCompiledShader, LPD3DXBUFFER* ppCompilationErrors) {
  (void)Flags;
  if (ppConstants) *ppConstants = nullptr;
  if (ppCompiledShader) *ppCompiledShader = nullptr;
  if (ppCompilationErrors) *ppCompilationErrors = nullptr;
  if (!pSrcData || SrcDataLen == 0) {
    if (ppCompilationErrors) d3dx8::CreateTextBuffer("error: no shader source text\n", ppCompilationErrors);
    return D3DERR_INVALIDCALL;
  }
  if (ppCompilationErrors)
    d3dx8::CreateTextBuffer("error: shader assembling is not available yet\n", ppCompilationErrors);
  return E_NOTIMPL;
}
