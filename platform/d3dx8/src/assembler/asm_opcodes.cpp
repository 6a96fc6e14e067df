#include "asm_opcodes.h"

#include <d3d8/d3d8shadertokens.h>

namespace d3dx8::assembler {
namespace {

constexpr int kNo = -1;

// name, opcode, sources, dest, vertex, psMin, psMax, texture, slots
constexpr OpcodeInfo kOpcodes[] = {
    {"nop", D3DSIO_NOP, 0, false, true, 0, 3, false, 1},
    {"mov", D3DSIO_MOV, 1, true, true, 0, 3, false, 1},
    {"add", D3DSIO_ADD, 2, true, true, 0, 3, false, 1},
    {"sub", D3DSIO_SUB, 2, true, true, 0, 3, false, 1},
    {"mad", D3DSIO_MAD, 3, true, true, 0, 3, false, 1},
    {"mul", D3DSIO_MUL, 2, true, true, 0, 3, false, 1},
    {"rcp", D3DSIO_RCP, 1, true, true, kNo, kNo, false, 1},
    {"rsq", D3DSIO_RSQ, 1, true, true, kNo, kNo, false, 1},
    {"dp3", D3DSIO_DP3, 2, true, true, 0, 3, false, 1},
    {"dp4", D3DSIO_DP4, 2, true, true, 2, 3, false, 1},
    {"min", D3DSIO_MIN, 2, true, true, kNo, kNo, false, 1},
    {"max", D3DSIO_MAX, 2, true, true, kNo, kNo, false, 1},
    {"slt", D3DSIO_SLT, 2, true, true, kNo, kNo, false, 1},
    {"sge", D3DSIO_SGE, 2, true, true, kNo, kNo, false, 1},
    {"exp", D3DSIO_EXP, 1, true, true, kNo, kNo, false, 10},
    {"log", D3DSIO_LOG, 1, true, true, kNo, kNo, false, 10},
    {"lit", D3DSIO_LIT, 1, true, true, kNo, kNo, false, 3},
    {"dst", D3DSIO_DST, 2, true, true, kNo, kNo, false, 1},
    {"lrp", D3DSIO_LRP, 3, true, false, 0, 3, false, 1},
    {"frc", D3DSIO_FRC, 1, true, true, kNo, kNo, false, 3},
    {"m4x4", D3DSIO_M4x4, 2, true, true, kNo, kNo, false, 4},
    {"m4x3", D3DSIO_M4x3, 2, true, true, kNo, kNo, false, 3},
    {"m3x4", D3DSIO_M3x4, 2, true, true, kNo, kNo, false, 4},
    {"m3x3", D3DSIO_M3x3, 2, true, true, kNo, kNo, false, 3},
    {"m3x2", D3DSIO_M3x2, 2, true, true, kNo, kNo, false, 2},
    {"expp", D3DSIO_EXPP, 1, true, true, kNo, kNo, false, 1},
    {"logp", D3DSIO_LOGP, 1, true, true, kNo, kNo, false, 1},
    {"cnd", D3DSIO_CND, 3, true, false, 0, 3, false, 1},
    {"cmp", D3DSIO_CMP, 3, true, false, 2, 3, false, 1},
    {"tex", D3DSIO_TEX, 0, true, false, 0, 3, true, 1},
    {"texcoord", D3DSIO_TEXCOORD, 0, true, false, 0, 3, true, 1},
    {"texkill", D3DSIO_TEXKILL, 0, true, false, 0, 3, true, 1},
    {"texbem", D3DSIO_TEXBEM, 1, true, false, 0, 3, true, 1},
    {"texbeml", D3DSIO_TEXBEML, 1, true, false, 0, 3, true, 1},
    {"texreg2ar", D3DSIO_TEXREG2AR, 1, true, false, 0, 3, true, 1},
    {"texreg2gb", D3DSIO_TEXREG2GB, 1, true, false, 0, 3, true, 1},
    {"texreg2rgb", D3DSIO_TEXREG2RGB, 1, true, false, 2, 3, true, 1},
    {"texm3x2pad", D3DSIO_TEXM3x2PAD, 1, true, false, 0, 3, true, 1},
    {"texm3x2tex", D3DSIO_TEXM3x2TEX, 1, true, false, 0, 3, true, 1},
    {"texm3x3pad", D3DSIO_TEXM3x3PAD, 1, true, false, 0, 3, true, 1},
    {"texm3x3tex", D3DSIO_TEXM3x3TEX, 1, true, false, 0, 3, true, 1},
    {"texm3x3spec", D3DSIO_TEXM3x3SPEC, 2, true, false, 0, 3, true, 1},
    {"texm3x3vspec", D3DSIO_TEXM3x3VSPEC, 1, true, false, 0, 3, true, 1},
    {"texdp3tex", D3DSIO_TEXDP3TEX, 1, true, false, 2, 3, true, 1},
    {"texdp3", D3DSIO_TEXDP3, 1, true, false, 2, 3, true, 1},
    {"texm3x3", D3DSIO_TEXM3x3, 1, true, false, 2, 3, true, 1},
    {"texm3x2depth", D3DSIO_TEXM3x2DEPTH, 1, true, false, 3, 3, true, 1},
};

}  // namespace

DWORD Version::Token() const {
  const DWORD base = kind == ShaderKind::Vertex ? 0xFFFE0000u : 0xFFFF0000u;
  return base | (static_cast<DWORD>(major) << 8) | static_cast<DWORD>(minor);
}

const OpcodeInfo* FindOpcode(std::string_view name) {
  for (const OpcodeInfo& op : kOpcodes)
    if (name == op.name) return &op;
  return nullptr;
}

bool AcceptedBy(const OpcodeInfo& op, const Version& v) {
  if (v.kind == ShaderKind::Vertex) return op.vertex;
  return op.psMin >= 0 && v.minor >= op.psMin && v.minor <= op.psMax;
}

}  // namespace d3dx8::assembler
