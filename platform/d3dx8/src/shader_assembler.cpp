// D3DXAssembleShader: vs.1.0/1.1 and ps.1.0-1.3 assembler text to shader
// tokens. Every problem is reported as "line N: error: ..." in the error
// buffer; the text is read no further than SrcDataLen bytes or a zero byte.
#include <d3d8/d3d8shadertokens.h>
#include <d3dx8/d3dx8core.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assembler/asm_opcodes.h"
#include "assembler/asm_operands.h"
#include "assembler/asm_source.h"
#include "buffer.h"

namespace d3dx8::assembler {
namespace {

constexpr int kVertexSlots = 128;
constexpr int kPixelArithmetic = 8;
constexpr int kPixelTexture = 4;

bool ParseVersion(const std::string& text, Version* v) {
  std::string s;
  for (char c : Lower(text))
    if (c != ' ' && c != '\t') s += c;
  if (s.size() != 6 || (s[2] != '.' && s[2] != '_') || s[4] != s[2] || s[3] != '1') return false;
  if (s.compare(0, 2, "vs") == 0) v->kind = ShaderKind::Vertex;
  else if (s.compare(0, 2, "ps") == 0) v->kind = ShaderKind::Pixel;
  else return false;
  v->major = 1;
  v->minor = s[5] - '0';
  return v->minor >= 0 && v->minor <= (v->kind == ShaderKind::Vertex ? 1 : 3);
}

bool ParseFloat(std::string_view text, float* out) {
  std::string s(text);
  if (!s.empty() && (s.back() == 'f' || s.back() == 'F')) s.pop_back();
  if (s.empty()) return false;
  char* end = nullptr;
  *out = std::strtof(s.c_str(), &end);
  return end == s.c_str() + s.size();
}

DWORD FloatBits(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

class Assembler {
 public:
  bool Run(const std::vector<Statement>& statements);
  const std::vector<DWORD>& tokens() const { return tokens_; }
  const std::string& errors() const { return errors_; }

 private:
  void Fail(int line, const std::string& message) {
    errors_ += "line " + std::to_string(line) + ": error: " + message + "\n";
  }
  void Define(const Statement& s, std::string_view operands);
  void Instruction(const Statement& s, std::string_view mnemonic, std::string_view operands);

  Version version_;
  std::vector<DWORD> tokens_;
  std::string errors_;
  int vertexSlots_ = 0, arithmetic_ = 0, texture_ = 0;
  bool previousArithmetic_ = false;  // the last instruction may take a co-issued partner
  DWORD previousMask_ = 0;
};

bool Assembler::Run(const std::vector<Statement>& statements) {
  if (statements.empty()) {
    Fail(1, "no shader version (expected vs.1.1 or ps.1.x)");
    return false;
  }
  if (statements[0].coissue || !ParseVersion(statements[0].text, &version_)) {
    Fail(statements[0].line, "unsupported or missing shader version '" + statements[0].text +
                                 "' (expected vs.1.0, vs.1.1 or ps.1.0 to ps.1.3)");
    return false;
  }
  tokens_.push_back(version_.Token());
  for (size_t i = 1; i < statements.size(); ++i) {
    const Statement& s = statements[i];
    size_t space = 0;
    while (space < s.text.size() && !std::isspace(static_cast<unsigned char>(s.text[space]))) ++space;
    const std::string mnemonic = Lower(std::string_view(s.text).substr(0, space));
    const std::string_view operands = Trim(std::string_view(s.text).substr(space));
    if (mnemonic == "def") Define(s, operands);
    else Instruction(s, mnemonic, operands);
  }
  if (vertexSlots_ > kVertexSlots)
    Fail(statements.back().line, "too many instructions (" + std::to_string(vertexSlots_) + " slots, at most " +
                                     std::to_string(kVertexSlots) + ")");
  if (arithmetic_ > kPixelArithmetic)
    Fail(statements.back().line, "too many arithmetic instructions (" + std::to_string(arithmetic_) +
                                     ", at most " + std::to_string(kPixelArithmetic) + ")");
  if (texture_ > kPixelTexture)
    Fail(statements.back().line, "too many texture instructions (" + std::to_string(texture_) + ", at most " +
                                     std::to_string(kPixelTexture) + ")");
  tokens_.push_back(D3DPS_END());
  return errors_.empty();
}

void Assembler::Define(const Statement& s, std::string_view operands) {
  if (version_.kind != ShaderKind::Pixel) return Fail(s.line, "def is available in pixel shaders only");
  if (s.coissue) return Fail(s.line, "def cannot be co-issued");
  const auto parts = SplitOperands(operands);
  if (parts.size() != 5) return Fail(s.line, "def takes a constant register and four values");
  DWORD dest = 0;
  std::string error;
  if (Lower(parts[0]).find('.') != std::string::npos || Lower(parts[0]).substr(0, 1) != "c")
    return Fail(s.line, "def needs a constant register, got '" + std::string(parts[0]) + "'");
  Version asSource = version_;
  if (!ParseSource(parts[0], asSource, &dest, &error)) return Fail(s.line, error);
  DWORD values[4];
  for (int i = 0; i < 4; ++i) {
    float f = 0;
    if (!ParseFloat(parts[1 + i], &f)) return Fail(s.line, "bad number '" + std::string(parts[1 + i]) + "' in def");
    values[i] = FloatBits(f);
  }
  tokens_.push_back(D3DSIO_DEF);
  tokens_.push_back(0x80000000u | (D3DSPR_CONST << D3DSP_REGTYPE_SHIFT) | RegisterNumber(dest) | D3DSP_WRITEMASK_ALL);
  tokens_.insert(tokens_.end(), values, values + 4);
}

void Assembler::Instruction(const Statement& s, std::string_view mnemonic, std::string_view operands) {
  const size_t under = mnemonic.find('_');
  const std::string_view base = mnemonic.substr(0, under);
  const OpcodeInfo* op = FindOpcode(base);
  if (!op) return Fail(s.line, "unknown opcode '" + std::string(mnemonic) + "'");
  const std::string versionName =
      std::string(version_.kind == ShaderKind::Vertex ? "vs" : "ps") + ".1." + std::to_string(version_.minor);
  if (!AcceptedBy(*op, version_))
    return Fail(s.line, "'" + std::string(base) + "' is not available in " + versionName);

  DWORD resultBits = 0;
  std::string error;
  if (under != std::string_view::npos &&
      !ParseResultModifiers(mnemonic.substr(under), version_, &resultBits, &error))
    return Fail(s.line, error);
  if (op->texture && resultBits) return Fail(s.line, "texture instructions take no modifiers");

  std::vector<std::string_view> parts;
  if (!operands.empty()) parts = SplitOperands(operands);
  const size_t expected = static_cast<size_t>(op->sources) + (op->hasDest ? 1 : 0);
  if (parts.size() != expected)
    return Fail(s.line, "'" + std::string(base) + "' takes " + std::to_string(expected) + " operands, got " +
                            std::to_string(parts.size()));

  std::vector<DWORD> params;
  if (op->hasDest) {
    DWORD dest = 0;
    if (!ParseDestination(parts[0], version_, &dest, &error)) return Fail(s.line, error);
    if (op->texture && (RegisterType(dest) != D3DSPR_TEXTURE || WriteMask(dest) != 0xF))
      return Fail(s.line, "texture instructions write a whole t register");
    params.push_back(dest | resultBits);
  }
  for (int i = 0; i < op->sources; ++i) {
    DWORD src = 0;
    if (!ParseSource(parts[(op->hasDest ? 1 : 0) + i], version_, &src, &error)) return Fail(s.line, error);
    const bool constantAllowed = op->opcode == D3DSIO_TEXM3x3SPEC && i == 1;
    if (op->texture && !constantAllowed && RegisterType(src) != D3DSPR_TEXTURE)
      return Fail(s.line, "texture instructions read t registers");
    params.push_back(src);
  }

  DWORD token = op->opcode;
  if (s.coissue) {
    if (version_.kind != ShaderKind::Pixel) return Fail(s.line, "co-issue ('+') is available in pixel shaders only");
    if (!previousArithmetic_ || op->texture || !op->hasDest)
      return Fail(s.line, "'+' must join an arithmetic instruction to the arithmetic instruction before it");
    const DWORD masks = WriteMask(params[0]) | (previousMask_ << 4);
    if (masks != (0x7 | (0x8 << 4)) && masks != (0x8 | (0x7 << 4)))
      return Fail(s.line, "co-issued instructions write .rgb and .a, one each");
    token |= D3DSI_COISSUE;
    previousArithmetic_ = false;
  } else if (version_.kind == ShaderKind::Pixel) {
    if (op->texture) {
      if (arithmetic_ > 0) return Fail(s.line, "texture instruction after an arithmetic instruction");
      ++texture_;
    } else if (op->opcode != D3DSIO_NOP) {
      ++arithmetic_;
    }
    previousArithmetic_ = !op->texture && op->hasDest;
    previousMask_ = op->hasDest ? WriteMask(params[0]) : 0;
  } else {
    vertexSlots_ += op->slots;
  }
  tokens_.push_back(token);
  tokens_.insert(tokens_.end(), params.begin(), params.end());
}

}  // namespace
}  // namespace d3dx8::assembler

extern "C" HRESULT D3DXAssembleShader(LPCVOID pSrcData, UINT SrcDataLen, DWORD Flags, LPD3DXBUFFER* ppConstants,
                                      LPD3DXBUFFER* ppCompiledShader, LPD3DXBUFFER* ppCompilationErrors) {
  using namespace d3dx8::assembler;
  (void)Flags;  // validation is the same with and without D3DXASM_SKIPVALIDATION
  if (ppConstants) *ppConstants = nullptr;
  if (ppCompiledShader) *ppCompiledShader = nullptr;
  if (ppCompilationErrors) *ppCompilationErrors = nullptr;
  if (!pSrcData || SrcDataLen == 0) {
    if (ppCompilationErrors) d3dx8::CreateTextBuffer("line 1: error: no shader source text\n", ppCompilationErrors);
    return D3DERR_INVALIDCALL;
  }
  Assembler assembler;
  if (!assembler.Run(SplitStatements(static_cast<const char*>(pSrcData), SrcDataLen))) {
    if (ppCompilationErrors) d3dx8::CreateTextBuffer(assembler.errors().c_str(), ppCompilationErrors);
    return D3DXERR_INVALIDDATA;
  }
  if (!ppCompiledShader) return D3D_OK;
  const auto& tokens = assembler.tokens();
  return d3dx8::CreateBufferFrom(tokens.data(), tokens.size() * sizeof(DWORD), ppCompiledShader);
}
