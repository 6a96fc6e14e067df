// Direct3D state values in OpenGL terms.
#pragma once

#include <d3d8/d3d8types.h>

#include "gl.h"

namespace d3d8 {

GLenum GlCompare(DWORD cmp);
GLenum GlBlendFactor(DWORD blend);
GLenum GlBlendEquation(DWORD op);
GLenum GlStencilOp(DWORD op);
GLenum GlAddressMode(DWORD mode, bool mirrorOnceSupported);
GLenum GlMinFilter(DWORD minFilter, DWORD mipFilter);
GLenum GlMagFilter(DWORD magFilter);
GLenum GlPrimitive(D3DPRIMITIVETYPE type);
// Vertices used by `count` primitives; 0 for an unknown type.
UINT VertexCountOf(D3DPRIMITIVETYPE type, UINT count);
void ColorToFloats(D3DCOLOR c, float out[4]);  // r, g, b, a

}  // namespace d3d8
