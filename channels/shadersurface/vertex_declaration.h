// Vertex-shader declarations: the token arrays that tell the device which
// stream bytes feed which input register, as the graphics layer reads them.
#pragma once

#include <d3d8/d3d8.h>

namespace vel_fx {

enum DeclType : DWORD { kFloat1 = 0, kFloat2 = 1, kFloat3 = 2, kFloat4 = 3 };

constexpr DWORD DeclStream(DWORD stream) { return (1u << 29) | stream; }
constexpr DWORD DeclRegister(DWORD reg, DeclType type) { return (2u << 29) | (static_cast<DWORD>(type) << 16) | reg; }
constexpr DWORD kDeclEnd = 0xFFFFFFFFu;

}  // namespace vel_fx
