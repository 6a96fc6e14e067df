#include "shader_code.h"

namespace d3d8 {
namespace {

struct OpShape {
  uint16_t opcode;
  int sources;
  bool dst;
  bool vertex, pixel;
};

constexpr OpShape kShapes[] = {
    {D3DSIO_NOP, 0, false, true, true},      {D3DSIO_MOV, 1, true, true, true},
    {D3DSIO_ADD, 2, true, true, true},       {D3DSIO_SUB, 2, true, true, true},
    {D3DSIO_MAD, 3, true, true, true},       {D3DSIO_MUL, 2, true, true, true},
    {D3DSIO_RCP, 1, true, true, false},      {D3DSIO_RSQ, 1, true, true, false},
    {D3DSIO_DP3, 2, true, true, true},       {D3DSIO_DP4, 2, true, true, true},
    {D3DSIO_MIN, 2, true, true, false},      {D3DSIO_MAX, 2, true, true, false},
    {D3DSIO_SLT, 2, true, true, false},      {D3DSIO_SGE, 2, true, true, false},
    {D3DSIO_EXP, 1, true, true, false},      {D3DSIO_LOG, 1, true, true, false},
    {D3DSIO_LIT, 1, true, true, false},      {D3DSIO_DST, 2, true, true, false},
    {D3DSIO_LRP, 3, true, false, true},      {D3DSIO_FRC, 1, true, true, false},
    {D3DSIO_M4x4, 2, true, true, false},     {D3DSIO_M4x3, 2, true, true, false},
    {D3DSIO_M3x4, 2, true, true, false},     {D3DSIO_M3x3, 2, true, true, false},
    {D3DSIO_M3x2, 2, true, true, false},     {D3DSIO_EXPP, 1, true, true, false},
    {D3DSIO_LOGP, 1, true, true, false},     {D3DSIO_CND, 3, true, false, true},
    {D3DSIO_CMP, 3, true, false, true},      {D3DSIO_TEXCOORD, 0, true, false, true},
    {D3DSIO_TEXKILL, 0, true, false, true},  {D3DSIO_TEX, 0, true, false, true},
    {D3DSIO_TEXBEM, 1, true, false, true},   {D3DSIO_TEXBEML, 1, true, false, true},
    {D3DSIO_TEXREG2AR, 1, true, false, true}, {D3DSIO_TEXREG2GB, 1, true, false, true},
    {D3DSIO_TEXREG2RGB, 1, true, false, true}, {D3DSIO_TEXM3x2PAD, 1, true, false, true},
    {D3DSIO_TEXM3x2TEX, 1, true, false, true}, {D3DSIO_TEXM3x3PAD, 1, true, false, true},
    {D3DSIO_TEXM3x3TEX, 1, true, false, true}, {D3DSIO_TEXM3x3SPEC, 2, true, false, true},
    {D3DSIO_TEXM3x3VSPEC, 1, true, false, true}, {D3DSIO_TEXDP3TEX, 1, true, false, true},
    {D3DSIO_TEXDP3, 1, true, false, true},   {D3DSIO_TEXM3x3, 1, true, false, true},
    {D3DSIO_TEXM3x2DEPTH, 1, true, false, true},
};

const OpShape* ShapeOf(DWORD opcode) {
  for (const OpShape& s : kShapes)
    if (s.opcode == opcode) return &s;
  return nullptr;
}

// How many registers of `type` a shader may name; 0 when none.
int RegisterCount(bool pixel, DWORD type, bool destination) {
  if (pixel) {
    switch (type) {
      case D3DSPR_TEMP: return 2;
      case D3DSPR_INPUT: return destination ? 0 : 2;
      case D3DSPR_CONST: return destination ? 0 : kPixelConstantCount;
      case D3DSPR_TEXTURE: return kPixelTextureCount;
      default: return 0;
    }
  }
  switch (type) {
    case D3DSPR_TEMP: return kVertexTempCount;
    case D3DSPR_INPUT: return destination ? 0 : kVertexInputCount;
    case D3DSPR_CONST: return destination ? 0 : kVertexConstantCount;
    case D3DSPR_ADDR: return destination ? 1 : 0;
    case D3DSPR_RASTOUT: return destination ? 3 : 0;
    case D3DSPR_ATTROUT: return destination ? 2 : 0;
    case D3DSPR_TEXCRDOUT: return destination ? 8 : 0;
    default: return 0;
  }
}

}  // namespace

bool ReadShaderCode(const DWORD* tokens, bool pixel, ShaderCode* out, std::string* error, size_t maxTokens) {
  *out = ShaderCode{};
  out->pixel = pixel;
  if (!tokens) return *error = "no code", false;
  const DWORD version = tokens[0];
  const DWORD expectedHigh = pixel ? 0xFFFF0000u : 0xFFFE0000u;
  out->major = static_cast<int>(D3DSHADER_VERSION_MAJOR(version));
  out->minor = static_cast<int>(D3DSHADER_VERSION_MINOR(version));
  if ((version & 0xFFFF0000u) != expectedHigh || out->major != 1 || out->minor > (pixel ? 3 : 1))
    return *error = "unsupported shader version", false;
  size_t i = 1;
  auto take = [&](DWORD* t) {
    if (i >= maxTokens) return false;
    *t = tokens[i++];
    return true;
  };
  for (;;) {
    DWORD token = 0;
    if (!take(&token)) return *error = "no end token", false;
    const DWORD opcode = token & D3DSI_OPCODE_MASK;
    if (opcode == D3DSIO_END) break;
    if (opcode == D3DSIO_COMMENT) {
      const size_t length = (token & D3DSI_COMMENTSIZE_MASK) >> D3DSI_COMMENTSIZE_SHIFT;
      if (length > maxTokens - i) return *error = "comment runs past the code", false;
      i += length;
      continue;
    }
    ShaderOp op;
    op.opcode = static_cast<uint16_t>(opcode);
    op.coissue = (token & D3DSI_COISSUE) != 0;
    if (op.coissue && !pixel) return *error = "co-issue in a vertex shader", false;
    if (opcode == D3DSIO_DEF) {
      if (!pixel) return *error = "def in a vertex shader", false;
      DWORD d = 0;
      if (!take(&d)) return *error = "no end token", false;
      op.hasDst = true;
      op.dst.type = static_cast<uint8_t>((d >> D3DSP_REGTYPE_SHIFT) & 7);
      op.dst.number = static_cast<uint16_t>(d & D3DSP_REGNUM_MASK);
      if (op.dst.type != D3DSPR_CONST || op.dst.number >= kPixelConstantCount)
        return *error = "def of a bad register", false;
      for (float& v : op.values) {
        DWORD bits = 0;
        if (!take(&bits)) return *error = "no end token", false;
        __builtin_memcpy(&v, &bits, 4);
      }
      out->ops.push_back(op);
      continue;
    }
    const OpShape* shape = ShapeOf(opcode);
    if (!shape || !(pixel ? shape->pixel : shape->vertex)) return *error = "unknown instruction " + std::to_string(opcode), false;
    op.hasDst = shape->dst;
    op.sourceCount = shape->sources;
    if (op.hasDst) {
      DWORD d = 0;
      if (!take(&d)) return *error = "no end token", false;
      if (!(d & 0x80000000u)) return *error = "bad parameter token", false;
      op.dst.type = static_cast<uint8_t>((d >> D3DSP_REGTYPE_SHIFT) & 7);
      op.dst.number = static_cast<uint16_t>(d & D3DSP_REGNUM_MASK);
      op.dst.mask = static_cast<uint8_t>((d >> 16) & 0xF);
      op.dst.saturate = (d & D3DSP_DSTMOD_MASK) == D3DSPDM_SATURATE;
      const DWORD shift = (d & D3DSP_DSTSHIFT_MASK) >> D3DSP_DSTSHIFT_SHIFT;
      if (shift > 2 && shift != 0xF) return *error = "bad result shift", false;
      op.dst.shift = static_cast<int8_t>(shift == 0xF ? -1 : static_cast<int>(shift));
      if (op.dst.number >= RegisterCount(pixel, op.dst.type, true)) return *error = "bad destination register", false;
    }
    for (int s = 0; s < op.sourceCount; ++s) {
      DWORD t = 0;
      if (!take(&t)) return *error = "no end token", false;
      if (!(t & 0x80000000u)) return *error = "bad parameter token", false;
      ShaderSrc& src = op.src[s];
      src.type = static_cast<uint8_t>((t >> D3DSP_REGTYPE_SHIFT) & 7);
      src.number = static_cast<uint16_t>(t & D3DSP_REGNUM_MASK);
      for (int c = 0; c < 4; ++c) src.swizzle[c] = static_cast<uint8_t>((t >> (16 + 2 * c)) & 3);
      src.modifier = static_cast<uint8_t>((t & D3DSP_SRCMOD_MASK) >> D3DSP_SRCMOD_SHIFT);
      src.relative = !pixel && (t & D3DVS_ADDRMODE_RELATIVE) != 0;
      if (src.modifier > 6 || (!pixel && src.modifier > 1)) return *error = "bad source modifier", false;
      if (src.relative && src.type != D3DSPR_CONST) return *error = "relative address of a non-constant", false;
      // Matrix macros read consecutive registers from the second source on.
      int rows = 1;
      if (s == 1 && (opcode >= D3DSIO_M4x4 && opcode <= D3DSIO_M3x2))
        rows = opcode == D3DSIO_M4x4 || opcode == D3DSIO_M3x4 ? 4 : opcode == D3DSIO_M3x2 ? 2 : 3;
      if (!src.relative && src.number + rows > RegisterCount(pixel, src.type, false))
        return *error = "bad source register", false;
      if (src.relative && src.number >= kVertexConstantCount) return *error = "bad source register", false;
    }
    out->ops.push_back(op);
  }
  out->tokens.assign(tokens, tokens + i);
  return true;
}

}  // namespace d3d8
