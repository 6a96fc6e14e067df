// A vertex-shader declaration read from its tokens: which stream and byte
// offset feed each input register, in which data type, and the constants
// the declaration loads.
#pragma once

#include <d3d8/d3d8.h>

#include <cstdint>
#include <string>
#include <vector>

namespace d3d8 {

struct VertexElement {
  uint8_t stream = 0;
  uint8_t reg = 0;   // input register vN
  uint8_t type = 0;  // D3DVSDT_*
  uint16_t offset = 0;
};

struct DeclaredConstant {
  UINT reg;
  float value[4];
};

struct VertexDeclaration {
  std::vector<VertexElement> elements;
  UINT streamBytes[16] = {};  // bytes one vertex takes in each stream
  uint16_t usedStreams = 0;   // bit per stream
  std::vector<DeclaredConstant> constants;
};

// Bytes of one element of a D3DVSDT_* type; 0 for an unknown type.
UINT VertexElementSize(DWORD type);

// Reads tokens up to D3DVSD_END(); false with `error` for an unknown token,
// a register past v15, a register declared twice or a missing end.
bool ReadVertexDeclaration(const DWORD* tokens, VertexDeclaration* out, std::string* error,
                           size_t maxTokens = 4096);

}  // namespace d3d8
