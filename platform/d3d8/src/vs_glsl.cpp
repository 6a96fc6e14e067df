// Vertex shaders to GLSL. Registers become vec4 variables; a0.x is an int
// set by rounding to nearest; a relative constant read outside c0..c95
// gives zero. Colours leave saturated, texture coordinates as they are.
#include <sstream>

#include "ffp_shader_gen.h"
#include "shader_glsl.h"

namespace d3d8 {
namespace {

const char* kMask = "xyzw";

std::string MaskOf(uint8_t mask) {
  std::string m;
  for (int c = 0; c < 4; ++c)
    if (mask & (1 << c)) m += kMask[c];
  return m;
}

std::string DstName(const ShaderDst& d) {
  switch (d.type) {
    case D3DSPR_TEMP: return "r" + std::to_string(d.number);
    case D3DSPR_RASTOUT: return d.number == 0 ? "oPos" : d.number == 1 ? "oFog" : "oPts";
    case D3DSPR_ATTROUT: return "oD" + std::to_string(d.number);
    case D3DSPR_TEXCRDOUT: return "oT" + std::to_string(d.number);
    default: return "r0";
  }
}

ShaderSrc Row(const ShaderSrc& s, int k) {
  ShaderSrc r = s;
  r.number = static_cast<uint16_t>(r.number + k);
  return r;
}

// The value an instruction computes, as a vec4 expression.
std::string Compute(const ShaderOp& op) {
  auto S = [&](int i) { return SourceExpr(op.src[i], false); };
  auto W = [&](int i) { return "(" + S(i) + ").w"; };
  auto rows = [&](int count, bool four) {
    std::string e = "vec4(";
    for (int k = 0; k < 4; ++k) {
      if (k) e += ", ";
      if (k >= count) {
        e += "0.0";
        continue;
      }
      const std::string row = SourceExpr(Row(op.src[1], k), false);
      e += four ? "dot(" + S(0) + ", " + row + ")" : "dot((" + S(0) + ").xyz, (" + row + ").xyz)";
    }
    return e + ")";
  };
  switch (op.opcode) {
    case D3DSIO_MOV: return S(0);
    case D3DSIO_ADD: return S(0) + " + " + S(1);
    case D3DSIO_SUB: return S(0) + " - " + S(1);
    case D3DSIO_MUL: return S(0) + " * " + S(1);
    case D3DSIO_MAD: return S(0) + " * " + S(1) + " + " + S(2);
    case D3DSIO_RCP: return "vec4(Rcp(" + W(0) + "))";
    case D3DSIO_RSQ: return "vec4(Rsq(" + W(0) + "))";
    case D3DSIO_DP3: return "vec4(dot((" + S(0) + ").xyz, (" + S(1) + ").xyz))";
    case D3DSIO_DP4: return "vec4(dot(" + S(0) + ", " + S(1) + "))";
    case D3DSIO_MIN: return "min(" + S(0) + ", " + S(1) + ")";
    case D3DSIO_MAX: return "max(" + S(0) + ", " + S(1) + ")";
    case D3DSIO_SLT: return "vec4(lessThan(" + S(0) + ", " + S(1) + "))";
    case D3DSIO_SGE: return "vec4(greaterThanEqual(" + S(0) + ", " + S(1) + "))";
    case D3DSIO_EXP: return "vec4(exp2(" + W(0) + "))";
    case D3DSIO_LOG: return "vec4(Log2Abs(" + W(0) + "))";
    case D3DSIO_LIT: return "Lit(" + S(0) + ")";
    case D3DSIO_DST: return "vec4(1.0, (" + S(0) + ").y * (" + S(1) + ").y, (" + S(0) + ").z, (" + S(1) + ").w)";
    case D3DSIO_FRC: return "fract(" + S(0) + ")";
    case D3DSIO_EXPP: return "Expp(" + W(0) + ")";
    case D3DSIO_LOGP: return "Logp(" + W(0) + ")";
    case D3DSIO_M4x4: return rows(4, true);
    case D3DSIO_M4x3: return rows(3, true);
    case D3DSIO_M3x4: return rows(4, false);
    case D3DSIO_M3x3: return rows(3, false);
    case D3DSIO_M3x2: return rows(2, false);
    default: return "vec4(0.0)";
  }
}

uint8_t MacroMask(uint16_t opcode) {
  switch (opcode) {
    case D3DSIO_M4x3:
    case D3DSIO_M3x3: return 0x7;
    case D3DSIO_M3x2: return 0x3;
    default: return 0xF;
  }
}

const char* kHelpers =
    "float Rcp(float x) { return x == 0.0 ? uintBitsToFloat(0x7F800000u) : 1.0 / x; }\n"
    "float Rsq(float x) { x = abs(x); return x == 0.0 ? uintBitsToFloat(0x7F800000u) : inversesqrt(x); }\n"
    "float Log2Abs(float x) { x = abs(x); return x == 0.0 ? uintBitsToFloat(0xFF800000u) : log2(x); }\n"
    "vec4 Expp(float w) { float f = floor(w); return vec4(exp2(f), w - f, exp2(w), 1.0); }\n"
    "vec4 Logp(float w) {\n"
    "  w = abs(w);\n"
    "  if (w == 0.0) return vec4(vec3(uintBitsToFloat(0xFF800000u)), 1.0);\n"
    "  float e = floor(log2(w));\n"
    "  return vec4(e, w / exp2(e), log2(w), 1.0);\n"
    "}\n"
    "vec4 Lit(vec4 s) {\n"
    "  float p = clamp(s.w, -128.0, 128.0);\n"
    "  vec4 d = vec4(1.0, 0.0, 0.0, 1.0);\n"
    "  if (s.x > 0.0) { d.y = s.x; if (s.y > 0.0) d.z = pow(s.y, p); }\n"
    "  return d;\n"
    "}\n"
    "vec4 Cr(int i) { return i >= 0 && i < 96 ? uC[i] : vec4(0.0); }\n";

}  // namespace

std::string SourceExpr(const ShaderSrc& s, bool pixel) {
  std::string e;
  switch (s.type) {
    case D3DSPR_TEMP: e = "r" + std::to_string(s.number); break;
    case D3DSPR_INPUT: e = "v" + std::to_string(s.number); break;
    case D3DSPR_CONST:
      if (pixel) e = "c" + std::to_string(s.number);
      else if (s.relative) e = "Cr(a0 + " + std::to_string(s.number) + ")";
      else e = "uC[" + std::to_string(s.number) + "]";
      break;
    case D3DSPR_TEXTURE: e = pixel ? "t" + std::to_string(s.number) : "vec4(0.0)"; break;
    default: e = "vec4(0.0)"; break;
  }
  if (!(s.swizzle[0] == 0 && s.swizzle[1] == 1 && s.swizzle[2] == 2 && s.swizzle[3] == 3)) {
    e += '.';
    for (int c = 0; c < 4; ++c) e += kMask[s.swizzle[c]];
  }
  switch (s.modifier) {
    case 1: return "(-" + e + ")";
    case 2: return "(" + e + " - 0.5)";
    case 3: return "(0.5 - " + e + ")";
    case 4: return "(2.0 * " + e + " - 1.0)";
    case 5: return "(1.0 - 2.0 * " + e + ")";
    case 6: return "(1.0 - " + e + ")";
    default: return e;
  }
}

std::string TranslateVertexShader(const ShaderCode& code, const VertexDeclaration& decl, const FfpKey& key) {
  std::ostringstream o;
  o << "#version 330 core\n";
  bool declared[16] = {};
  for (const VertexElement& e : decl.elements) {
    declared[e.reg] = true;
    o << "layout(location = " << int(e.reg) << ") in vec4 aV" << int(e.reg) << ";\n";
  }
  o << "uniform vec4 uC[96];\nuniform vec4 uClipFix;\n";
  o << FfpVaryingDeclarations(key, true);
  o << kHelpers;
  o << "void main() {\n";
  for (int i = 0; i < 16; ++i)
    o << "  vec4 v" << i << " = " << (declared[i] ? "aV" + std::to_string(i) : "vec4(0.0, 0.0, 0.0, 1.0)") << ";\n";
  for (int i = 0; i < kVertexTempCount; ++i) o << "  vec4 r" << i << " = vec4(0.0);\n";
  o << "  int a0 = 0;\n"
       "  vec4 oPos = vec4(0.0, 0.0, 0.0, 1.0), oFog = vec4(1.0), oPts = vec4(1.0);\n"
       "  vec4 oD0 = vec4(1.0), oD1 = vec4(0.0);\n";
  for (int i = 0; i < 8; ++i) o << "  vec4 oT" << i << " = vec4(0.0, 0.0, 0.0, 1.0);\n";
  for (const ShaderOp& op : code.ops) {
    if (!op.hasDst) continue;
    if (op.dst.type == D3DSPR_ADDR) {
      o << "  a0 = int(floor((" << Compute(op) << ").x + 0.5));\n";
      continue;
    }
    const uint8_t mask = op.dst.mask & MacroMask(op.opcode);
    if (!mask) continue;
    const std::string m = MaskOf(mask);
    o << "  " << DstName(op.dst) << "." << m << " = (" << Compute(op) << ")." << m << ";\n";
  }
  // Direct3D clip space to OpenGL's: y flips, pixel centres move by half a
  // pixel, z in [0, w] becomes [-w, w].
  o << "  gl_Position = vec4(oPos.x + oPos.w * uClipFix.x, -oPos.y + oPos.w * uClipFix.y, 2.0 * oPos.z - oPos.w, oPos.w);\n";
  o << "  vDiffuse = clamp(oD0, 0.0, 1.0);\n  vSpecular = clamp(oD1, 0.0, 1.0);\n";
  for (int s = 0; s < key.stageCount; ++s)
    if (key.stages[s].sampled) o << "  vTc" << s << " = oT" << int(key.stages[s].coordSet) << ";\n";
  switch (static_cast<FogKind>(key.fogKind)) {
    case FogKind::Vertex:
    case FogKind::SpecularAlpha: o << "  vFog = oFog.x;\n"; break;
    case FogKind::Table:
      o << "  vEyeW = gl_Position.w;\n  vDepthZ = (gl_Position.z / gl_Position.w + 1.0) * 0.5;\n";
      break;
    default: break;
  }
  if (key.points) o << "  gl_PointSize = max(oPts.x, 1.0);\n";
  o << "}\n";
  return o.str();
}

}  // namespace d3d8
