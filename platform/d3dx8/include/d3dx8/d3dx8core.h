// Shared constants, result codes, the result buffer object and the shader
// assembler of the extension library.
#pragma once

#include <d3d8/d3d8.h>
#include <win32/types.h>

// "Use the default" for sizes, level counts and filters.
#define D3DX_DEFAULT (static_cast<UINT>(-1))

// Result codes of the extension library (facility 0x876, codes from 2900).
#define D3DX_MAKE_ERROR(code) static_cast<HRESULT>(0x88760000u | static_cast<DWORD>(code))
#define D3DXERR_CANNOTMODIFYINDEXBUFFER D3DX_MAKE_ERROR(2900)
#define D3DXERR_INVALIDMESH D3DX_MAKE_ERROR(2901)
#define D3DXERR_CANNOTATTRSORT D3DX_MAKE_ERROR(2902)
#define D3DXERR_SKINNINGNOTSUPPORTED D3DX_MAKE_ERROR(2903)
#define D3DXERR_TOOMANYINFLUENCES D3DX_MAKE_ERROR(2904)
#define D3DXERR_INVALIDDATA D3DX_MAKE_ERROR(2905)
#define D3DXERR_LOADEDMESHASNODATA D3DX_MAKE_ERROR(2906)

// A reference-counted block of bytes handed out by the library (assembled
// shader code, error text). The block is freed with the last Release.
struct ID3DXBuffer : public IUnknown {
  virtual LPVOID GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;
};
typedef ID3DXBuffer* LPD3DXBUFFER;

// Flags of D3DXAssembleShader.
#define D3DXASM_DEBUG 1
#define D3DXASM_SKIPVALIDATION 2

extern "C" {

// A buffer of NumBytes zeroed bytes with one reference.
HRESULT D3DXCreateBuffer(DWORD NumBytes, LPD3DXBUFFER* ppBuffer);

// Assembles vertex-shader (vs.1.x) or pixel-shader (ps.1.x) text into shader
// tokens. pSrcData holds SrcDataLen characters. On success *ppCompiledShader
// receives the tokens and *ppConstants (when asked) the constant declarations;
// on failure *ppCompilationErrors (when asked) receives the error text,
// terminated by a zero byte. Every output is set to NULL first.
HRESULT D3DXAssembleShader(LPCVOID pSrcData, UINT SrcDataLen, DWORD Flags, LPD3DXBUFFER* ppConstants,
                           LPD3DXBUFFER* ppCompiledShader, LPD3DXBUFFER* ppCompilationErrors);

}  // extern "C"
