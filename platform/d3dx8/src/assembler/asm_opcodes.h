// The instructions the assembler knows: opcode, operand count and the
// shader versions that accept them.
#pragma once

#include <win32/types.h>

#include <string_view>

namespace d3dx8::assembler {

enum class ShaderKind { Vertex, Pixel };

struct Version {
  ShaderKind kind = ShaderKind::Vertex;
  int major = 1, minor = 1;
  DWORD Token() const;
};

struct OpcodeInfo {
  const char* name;
  DWORD opcode;
  int sources;       // source operands after the destination
  bool hasDest;
  bool vertex;       // accepted in vs.1.x
  int psMin, psMax;  // accepted in ps.1.psMin .. ps.1.psMax; psMin < 0: never
  bool texture;      // a pixel-shader texture-address instruction
  int slots;         // instruction slots used in a vertex shader
};

// The entry for a lower-case mnemonic without modifiers; NULL when unknown.
const OpcodeInfo* FindOpcode(std::string_view name);
bool AcceptedBy(const OpcodeInfo& op, const Version& v);

}  // namespace d3dx8::assembler
