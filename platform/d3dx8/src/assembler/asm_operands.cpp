#include "asm_operands.h"

#include <d3d8/d3d8shadertokens.h>

#include <cctype>
#include <charconv>

#include "asm_source.h"

namespace d3dx8::assembler {
namespace {

struct Register {
  DWORD type = 0;
  DWORD number = 0;
  bool relative = false;
};

bool ParseNumber(std::string_view s, int* value) {
  if (s.empty()) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), *value);
  return ec == std::errc() && end == s.data() + s.size() && *value >= 0;
}

// "c[a0.x + 5]", "c[5 + a0.x]", "c[a0.x]", "c[5]"; spaces already removed.
bool ParseBracket(std::string_view inside, Register* r, std::string* error) {
  int offset = 0;
  bool relative = false;
  size_t start = 0;
  while (start <= inside.size()) {
    size_t plus = inside.find('+', start);
    if (plus == std::string_view::npos) plus = inside.size();
    std::string_view part = inside.substr(start, plus - start);
    if (part == "a0.x" || part == "a0") {
      if (relative) break;
      relative = true;
    } else {
      int n = 0;
      if (!ParseNumber(part, &n)) {
        *error = "bad relative address '" + std::string(inside) + "'";
        return false;
      }
      offset += n;
    }
    start = plus + 1;
  }
  r->type = D3DSPR_CONST;
  r->number = static_cast<DWORD>(offset);
  r->relative = relative;
  if (offset > 95) {
    *error = "constant register c[" + std::to_string(offset) + "] out of range";
    return false;
  }
  return true;
}

// A register name in lower case, without modifiers or components.
bool ParseRegister(std::string_view name, const Version& v, bool destination, Register* r, std::string* error) {
  const bool vs = v.kind == ShaderKind::Vertex;
  auto bad = [&](const char* why) {
    *error = std::string(why) + " '" + std::string(name) + "'";
    return false;
  };
  if (name.size() > 2 && name.substr(0, 2) == "c[" && name.back() == ']') {
    if (!vs) return bad("relative addressing is not available in pixel shaders:");
    if (destination) return bad("constant registers cannot be written:");
    return ParseBracket(name.substr(2, name.size() - 3), r, error);
  }
  if (vs) {
    struct Named {
      const char* name;
      DWORD type, number;
    };
    static constexpr Named kWriteOnly[] = {{"opos", D3DSPR_RASTOUT, D3DSRO_POSITION},
                                           {"ofog", D3DSPR_RASTOUT, D3DSRO_FOG},
                                           {"opts", D3DSPR_RASTOUT, D3DSRO_POINT_SIZE},
                                           {"a0", D3DSPR_ADDR, 0}};
    for (const Named& n : kWriteOnly) {
      if (name != n.name) continue;
      if (!destination) return bad("register can only be written (a0 is read as c[a0.x]):");
      *r = {n.type, n.number, false};
      return true;
    }
  }
  std::string_view prefix = name.substr(0, (vs && name.size() > 1 && name[0] == 'o') ? 2 : 1);
  int n = 0;
  if (prefix.empty() || !ParseNumber(name.substr(prefix.size()), &n)) return bad("bad register");
  struct File {
    const char* prefix;
    DWORD type;
    int count;
    bool readable, writable;
  };
  static constexpr File kVertex[] = {{"r", D3DSPR_TEMP, 12, true, true},   {"v", D3DSPR_INPUT, 16, true, false},
                                     {"c", D3DSPR_CONST, 96, true, false}, {"od", D3DSPR_ATTROUT, 2, false, true},
                                     {"ot", D3DSPR_TEXCRDOUT, 8, false, true}};
  static constexpr File kPixel[] = {{"r", D3DSPR_TEMP, 2, true, true},
                                    {"v", D3DSPR_INPUT, 2, true, false},
                                    {"c", D3DSPR_CONST, 8, true, false},
                                    {"t", D3DSPR_TEXTURE, 4, true, true}};
  const File* files = vs ? kVertex : kPixel;
  const int fileCount = vs ? 5 : 4;
  for (int i = 0; i < fileCount; ++i) {
    if (prefix != files[i].prefix) continue;
    if (n >= files[i].count) return bad("register out of range:");
    if (destination && !files[i].writable) return bad("register cannot be written:");
    if (!destination && !files[i].readable) return bad("register cannot be read:");
    *r = {files[i].type, static_cast<DWORD>(n), false};
    return true;
  }
  return bad("bad register");
}

int ComponentIndex(char c) {
  switch (c) {
    case 'x': case 'r': return 0;
    case 'y': case 'g': return 1;
    case 'z': case 'b': return 2;
    case 'w': case 'a': return 3;
    default: return -1;
  }
}

std::string Squeeze(std::string_view text) {
  std::string s;
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// Splits "reg_mod.comp" or "reg.comp_mod" into register, components and
// modifier suffix ("_bias", "_bx2", ...).
void SplitOperand(const std::string& s, std::string* reg, std::string* comps, std::string* mods) {
  const size_t close = s.find(']');
  const size_t dot = s.find('.', close == std::string::npos ? 0 : close);
  std::string head = s.substr(0, dot), tail = dot == std::string::npos ? "" : s.substr(dot + 1);
  const size_t under = head.find('_', close == std::string::npos ? 0 : close);
  if (under != std::string::npos) {
    *mods = head.substr(under);
    head = head.substr(0, under);
  }
  const size_t under2 = tail.find('_');
  if (under2 != std::string::npos) {
    *mods += tail.substr(under2);
    tail = tail.substr(0, under2);
  }
  *reg = head;
  *comps = tail;
}

}  // namespace

bool ParseResultModifiers(std::string_view suffix, const Version& v, DWORD* bits, std::string* error) {
  *bits = 0;
  std::string s = Lower(suffix);
  size_t pos = 0;
  bool shifted = false;
  while (pos < s.size()) {
    size_t next = s.find('_', pos + 1);
    if (next == std::string::npos) next = s.size();
    const std::string m = s.substr(pos, next - pos);
    if (v.kind == ShaderKind::Vertex) {
      *error = "instruction modifier '" + m + "' is not available in vertex shaders";
      return false;
    }
    if (m == "_sat") {
      *bits |= D3DSPDM_SATURATE;
    } else if ((m == "_x2" || m == "_x4" || m == "_d2") && !shifted) {
      const DWORD shift = m == "_x2" ? 1 : m == "_x4" ? 2 : 0xF;
      *bits |= shift << D3DSP_DSTSHIFT_SHIFT;
      shifted = true;
    } else {
      *error = "unknown instruction modifier '" + m + "'";
      return false;
    }
    pos = next;
  }
  return true;
}

bool ParseDestination(std::string_view text, const Version& v, DWORD* token, std::string* error) {
  const std::string s = Squeeze(text);
  std::string reg, comps, mods;
  SplitOperand(s, &reg, &comps, &mods);
  if (!mods.empty() || s.empty() || s[0] == '-') {
    *error = "bad destination '" + std::string(text) + "'";
    return false;
  }
  Register r;
  if (!ParseRegister(reg, v, true, &r, error)) return false;
  DWORD mask = 0xF;
  if (!comps.empty()) {
    mask = 0;
    int last = -1;
    for (char c : comps) {
      const int i = ComponentIndex(c);
      if (i <= last) {
        *error = "bad write mask '." + comps + "'";
        return false;
      }
      mask |= 1u << i;
      last = i;
    }
  }
  if (v.kind == ShaderKind::Pixel && mask != 0xF && mask != 0x7 && mask != 0x8) {
    *error = "write mask '." + comps + "' is not available in pixel shaders (use .rgba, .rgb or .a)";
    return false;
  }
  if (r.type == D3DSPR_ADDR && v.kind == ShaderKind::Vertex && mask != 0x1) {
    *error = "the address register is written as a0.x";
    return false;
  }
  *token = 0x80000000u | (r.type << D3DSP_REGTYPE_SHIFT) | r.number | (mask << 16);
  return true;
}

bool ParseSource(std::string_view text, const Version& v, DWORD* token, std::string* error) {
  std::string s = Squeeze(text);
  bool negate = false, complement = false;
  if (!s.empty() && s[0] == '-') {
    negate = true;
    s.erase(0, 1);
  }
  if (s.size() > 2 && s[0] == '1' && s[1] == '-') {
    complement = true;
    s.erase(0, 2);
  }
  std::string reg, comps, mods;
  SplitOperand(s, &reg, &comps, &mods);
  Register r;
  if (!ParseRegister(reg, v, false, &r, error)) return false;
  const bool ps = v.kind == ShaderKind::Pixel;
  DWORD modifier = negate ? D3DSPSM_NEG : D3DSPSM_NONE;
  if (!mods.empty() || complement) {
    if (!ps) {
      *error = "source modifier on '" + std::string(text) + "' is not available in vertex shaders";
      return false;
    }
    if (complement && (negate || !mods.empty())) {
      *error = "'1-' does not combine with other modifiers in '" + std::string(text) + "'";
      return false;
    }
    if (complement) modifier = D3DSPSM_COMP;
    else if (mods == "_bias") modifier = negate ? D3DSPSM_BIASNEG : D3DSPSM_BIAS;
    else if (mods == "_bx2") modifier = negate ? D3DSPSM_SIGNNEG : D3DSPSM_SIGN;
    else {
      *error = "unknown source modifier '" + mods + "'";
      return false;
    }
  }
  DWORD swizzle = D3DSP_NOSWIZZLE;
  if (!comps.empty()) {
    if (comps.size() > 4) {
      *error = "bad swizzle '." + comps + "'";
      return false;
    }
    int idx[4];
    for (size_t i = 0; i < 4; ++i) {
      idx[i] = ComponentIndex(comps[std::min(i, comps.size() - 1)]);
      if (idx[i] < 0) {
        *error = "bad swizzle '." + comps + "'";
        return false;
      }
    }
    swizzle = 0;
    for (int i = 0; i < 4; ++i) swizzle |= static_cast<DWORD>(idx[i]) << (16 + 2 * i);
    if (ps) {
      const bool alpha = swizzle == D3DSP_REPLICATEALPHA;
      const bool blue = swizzle == D3DSP_REPLICATEBLUE && v.minor >= 1;
      if (!alpha && !blue && swizzle != D3DSP_NOSWIZZLE) {
        *error = "source selector '." + comps + "' is not available in ps." + std::to_string(v.major) + "." +
                 std::to_string(v.minor);
        return false;
      }
    }
  }
  *token = 0x80000000u | (r.type << D3DSP_REGTYPE_SHIFT) | r.number | swizzle | modifier |
           (r.relative ? D3DVS_ADDRMODE_RELATIVE : 0u);
  return true;
}

}  // namespace d3dx8::assembler
