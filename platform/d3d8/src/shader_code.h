// Vertex and pixel shader code read from its tokens: the version and the
// instructions with their decoded operands. Reading checks every token, so
// the translators can rely on what they get.
#pragma once

#include <d3d8/d3d8.h>

#include <cstdint>
#include <string>
#include <vector>

namespace d3d8 {

struct ShaderDst {
  uint8_t type = 0;  // D3DSPR_*
  uint16_t number = 0;
  uint8_t mask = 0xF;  // bit 0 = x
  bool saturate = false;
  int8_t shift = 0;  // result scaled by 2^shift (-1, 0, 1, 2)
};

struct ShaderSrc {
  uint8_t type = 0;
  uint16_t number = 0;
  uint8_t swizzle[4] = {0, 1, 2, 3};
  uint8_t modifier = 0;  // D3DSPSM_* >> 24
  bool relative = false;  // c[a0.x + number]
};

struct ShaderOp {
  uint16_t opcode = 0;
  bool coissue = false;
  bool hasDst = false;
  ShaderDst dst;
  int sourceCount = 0;
  ShaderSrc src[3];
  float values[4] = {};  // def
};

struct ShaderCode {
  bool pixel = false;
  int major = 0, minor = 0;
  std::vector<ShaderOp> ops;
  std::vector<DWORD> tokens;  // the code as given, end token included
};

constexpr int kVertexConstantCount = 96;
constexpr int kVertexTempCount = 12;
constexpr int kVertexInputCount = 16;
constexpr int kPixelConstantCount = 8;
constexpr int kPixelTextureCount = 4;

// Reads vs.1.0/1.1 (`pixel` false) or ps.1.0-1.3 code; false with `error`
// for anything else, an unknown instruction, a bad register or a missing
// end token within `maxTokens`.
bool ReadShaderCode(const DWORD* tokens, bool pixel, ShaderCode* out, std::string* error,
                    size_t maxTokens = 1u << 16);

}  // namespace d3d8
