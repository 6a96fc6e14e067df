// Pixel shaders (ps.1.0-1.3) to GLSL. Constants and temporaries hold values
// in [-1, 1]: every arithmetic result is scaled by its shift, then clamped
// to [-1, 1] (or to [0, 1] with _sat). Instructions issued together read
// their sources before either writes. `def` constants are literals of the
// program and never touch the device's constants.
#include <sstream>

#include "ffp_shader_gen.h"
#include "shader_glsl.h"

namespace d3d8 {
namespace {

bool IsTextureOp(uint16_t op) {
  switch (op) {
    case D3DSIO_TEXCOORD: case D3DSIO_TEXKILL: case D3DSIO_TEX: case D3DSIO_TEXBEM: case D3DSIO_TEXBEML:
    case D3DSIO_TEXREG2AR: case D3DSIO_TEXREG2GB: case D3DSIO_TEXREG2RGB: case D3DSIO_TEXM3x2PAD:
    case D3DSIO_TEXM3x2TEX: case D3DSIO_TEXM3x2DEPTH: case D3DSIO_TEXM3x3PAD: case D3DSIO_TEXM3x3TEX:
    case D3DSIO_TEXM3x3SPEC: case D3DSIO_TEXM3x3VSPEC: case D3DSIO_TEXM3x3: case D3DSIO_TEXDP3TEX:
    case D3DSIO_TEXDP3:
      return true;
    default:
      return false;
  }
}

std::string Arithmetic(const ShaderOp& op) {
  auto S = [&](int i) { return SourceExpr(op.src[i], true); };
  switch (op.opcode) {
    case D3DSIO_MOV: return S(0);
    case D3DSIO_ADD: return S(0) + " + " + S(1);
    case D3DSIO_SUB: return S(0) + " - " + S(1);
    case D3DSIO_MUL: return S(0) + " * " + S(1);
    case D3DSIO_MAD: return S(0) + " * " + S(1) + " + " + S(2);
    case D3DSIO_DP3: return "vec4(dot((" + S(0) + ").rgb, (" + S(1) + ").rgb))";
    case D3DSIO_DP4: return "vec4(dot(" + S(0) + ", " + S(1) + "))";
    case D3DSIO_LRP: return "mix(" + S(2) + ", " + S(1) + ", " + S(0) + ")";
    case D3DSIO_CND: return "mix(" + S(2) + ", " + S(1) + ", vec4(greaterThan(" + S(0) + ", vec4(0.5))))";
    case D3DSIO_CMP: return "mix(" + S(2) + ", " + S(1) + ", vec4(greaterThanEqual(" + S(0) + ", vec4(0.0))))";
    default: return "vec4(0.0)";
  }
}

std::string WriteMask(uint8_t mask) {
  switch (mask) {
    case 0x7: return ".rgb";
    case 0x8: return ".a";
    case 0xF: return "";
    default: {
      std::string m = ".";
      for (int c = 0; c < 4; ++c)
        if (mask & (1 << c)) m += "rgba"[c];
      return m;
    }
  }
}

}  // namespace

unsigned PixelShaderStages(const ShaderCode& code) {
  unsigned stages = 0;
  for (const ShaderOp& op : code.ops) {
    if (!IsTextureOp(op.opcode)) continue;
    stages |= 1u << op.dst.number;
    if (op.opcode == D3DSIO_TEXM3x3VSPEC && op.dst.number >= 2) stages |= 3u << (op.dst.number - 2);
  }
  return stages;
}

std::string TranslatePixelShader(const ShaderCode& code, const FfpKey& key, const TextureKind kinds[4]) {
  std::ostringstream o;
  o << "#version 330 core\n";
  o << FfpVaryingDeclarations(key, false);
  o << "out vec4 oColor;\nuniform vec4 uPC[8];\nuniform vec4 uBumpMat[8];\nuniform vec2 uBumpLum[8];\n";
  for (int s = 0; s < kPixelTextureCount; ++s)
    if (kinds[s] != TextureKind::None)
      o << "uniform " << (kinds[s] == TextureKind::Cube ? "samplerCube" : "sampler2D") << " uTex" << s << ";\n";
  o << FfpFragmentTailDeclarations(key);
  o << "void main() {\n  vec4 v0 = vDiffuse, v1 = vSpecular;\n  vec4 r0 = vec4(0.0), r1 = vec4(0.0);\n";
  bool defined[kPixelConstantCount] = {};
  for (const ShaderOp& op : code.ops)
    if (op.opcode == D3DSIO_DEF) {
      defined[op.dst.number] = true;
      uint32_t bits[4];
      __builtin_memcpy(bits, op.values, 16);
      o << "  vec4 c" << op.dst.number << " = clamp(uintBitsToFloat(uvec4(" << bits[0] << "u, " << bits[1] << "u, "
        << bits[2] << "u, " << bits[3] << "u)), -1.0, 1.0);\n";
    }
  for (int i = 0; i < kPixelConstantCount; ++i)
    if (!defined[i]) o << "  vec4 c" << i << " = clamp(uPC[" << i << "], -1.0, 1.0);\n";
  const unsigned coords = PixelShaderStages(code);
  for (int s = 0; s < kPixelTextureCount; ++s) {
    o << "  vec4 t" << s << " = vec4(0.0);\n";
    if (coords & (1u << s)) o << "  vec4 tc" << s << " = vTc" << s << ";\n";
  }
  o << "  vec3 pad = vec3(0.0);\n";

  // A texture lookup of stage s at coordinates `at` (vec2 or vec3).
  auto sample = [&](int s, const std::string& at, bool three) {
    if (kinds[s] == TextureKind::None) return std::string("vec4(1.0)");
    if (kinds[s] == TextureKind::Cube) return "texture(uTex" + std::to_string(s) + ", vec3(" + at + (three ? "" : ", 0.0") + "))";
    return "texture(uTex" + std::to_string(s) + ", (" + at + ").xy)";
  };
  int padRow = 0;
  for (size_t i = 0; i < code.ops.size(); ++i) {
    const ShaderOp& op = code.ops[i];
    if (op.opcode == D3DSIO_DEF || op.opcode == D3DSIO_NOP) continue;
    const int n = op.dst.number;
    const std::string t = "t" + std::to_string(n), tc = "tc" + std::to_string(n);
    const std::string src = op.sourceCount ? SourceExpr(op.src[0], true) : "";
    const std::string dotRow = "dot(" + tc + ".xyz, (" + src + ").rgb)";
    switch (op.opcode) {
      case D3DSIO_TEX: o << "  " << t << " = " << sample(n, tc + ".xyz", true) << ";\n"; continue;
      case D3DSIO_TEXCOORD: o << "  " << t << " = vec4(clamp(" << tc << ".xyz, 0.0, 1.0), 1.0);\n"; continue;
      case D3DSIO_TEXKILL: o << "  if (any(lessThan(" << tc << ".xyz, vec3(0.0)))) discard;\n"; continue;
      case D3DSIO_TEXBEM:
      case D3DSIO_TEXBEML: {
        const std::string m = "uBumpMat[" + std::to_string(n) + "]";
        o << "  { vec4 d = " << src << ";\n    vec2 uv = " << tc << ".xy + vec2(" << m << ".x * d.r + " << m
          << ".z * d.g, " << m << ".y * d.r + " << m << ".w * d.g);\n    " << t << " = " << sample(n, "uv", false)
          << ";\n";
        if (op.opcode == D3DSIO_TEXBEML)
          // The whole sample, alpha included, scales by the luminance factor
          // as it comes: no clamp.
          o << "    " << t << " *= d.b * uBumpLum[" << n << "].x + uBumpLum[" << n << "].y;\n";
        o << "  }\n";
        continue;
      }
      case D3DSIO_TEXREG2AR: o << "  " << t << " = " << sample(n, "(" + src + ").ar", false) << ";\n"; continue;
      case D3DSIO_TEXREG2GB: o << "  " << t << " = " << sample(n, "(" + src + ").gb", false) << ";\n"; continue;
      case D3DSIO_TEXREG2RGB: o << "  " << t << " = " << sample(n, "(" + src + ").rgb", true) << ";\n"; continue;
      case D3DSIO_TEXM3x2PAD:
      case D3DSIO_TEXM3x3PAD: o << "  pad[" << padRow++ << "] = " << dotRow << ";\n"; continue;
      case D3DSIO_TEXM3x2TEX:
        o << "  " << t << " = " << sample(n, "vec2(pad.x, " + dotRow + ")", false) << ";\n";
        padRow = 0;
        continue;
      case D3DSIO_TEXM3x2DEPTH:
        o << "  { float w = " << dotRow << "; gl_FragDepth = w == 0.0 ? 1.0 : clamp(pad.x / w, 0.0, 1.0); }\n";
        padRow = 0;
        continue;
      case D3DSIO_TEXM3x3TEX:
      case D3DSIO_TEXM3x3:
        o << "  pad.z = " << dotRow << ";\n";
        if (op.opcode == D3DSIO_TEXM3x3) o << "  " << t << " = vec4(pad, 1.0);\n";
        else o << "  " << t << " = " << sample(n, "pad", true) << ";\n";
        padRow = 0;
        continue;
      case D3DSIO_TEXM3x3SPEC:
      case D3DSIO_TEXM3x3VSPEC: {
        o << "  pad.z = " << dotRow << ";\n";
        const std::string eye = op.opcode == D3DSIO_TEXM3x3SPEC
                                    ? "(" + SourceExpr(op.src[1], true) + ").xyz"
                                    : "vec3(tc" + std::to_string(n - 2) + ".w, tc" + std::to_string(n - 1) + ".w, " + tc + ".w)";
        o << "  { vec3 e = " << eye << "; float nn = dot(pad, pad);\n"
          << "    vec3 r = nn == 0.0 ? -e : 2.0 * pad * dot(pad, e) / nn - e;\n    " << t << " = "
          << sample(n, "r", true) << ";\n  }\n";
        padRow = 0;
        continue;
      }
      case D3DSIO_TEXDP3TEX: o << "  " << t << " = " << sample(n, "vec2(" + dotRow + ", 0.0)", false) << ";\n"; continue;
      case D3DSIO_TEXDP3: o << "  " << t << " = vec4(" << dotRow << ");\n"; continue;
      default: break;
    }
    // Arithmetic: a co-issued pair computes both results before writing.
    size_t last = i;
    while (last + 1 < code.ops.size() && code.ops[last + 1].coissue) ++last;
    o << "  {\n";
    for (size_t k = i; k <= last; ++k) {
      const ShaderOp& a = code.ops[k];
      std::string e = "(" + Arithmetic(a) + ")";
      if (a.dst.shift == 1) e += " * 2.0";
      else if (a.dst.shift == 2) e += " * 4.0";
      else if (a.dst.shift == -1) e += " * 0.5";
      o << "    vec4 res" << k - i << " = clamp(" << e << ", " << (a.dst.saturate ? "0.0" : "-1.0") << ", 1.0);\n";
    }
    for (size_t k = i; k <= last; ++k) {
      const ShaderOp& a = code.ops[k];
      const std::string reg = (a.dst.type == D3DSPR_TEXTURE ? "t" : "r") + std::to_string(a.dst.number);
      const std::string m = WriteMask(a.dst.mask);
      o << "    " << reg << m << " = res" << k - i << m << ";\n";
    }
    o << "  }\n";
    i = last;
  }
  o << "  vec4 color = clamp(r0, 0.0, 1.0);\n" << FfpFragmentTail(key) << "  oColor = color;\n}\n";
  return o.str();
}

}  // namespace d3d8
