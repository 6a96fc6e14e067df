// The shader assembler: token streams worked out by hand from the token
// layout, and error text for malformed shaders.
#include <d3dx8/d3dx8core.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Parameter tokens.
constexpr DWORD Reg(DWORD type, DWORD n) { return 0x80000000u | (type << 28) | n; }
constexpr DWORD Dst(DWORD type, DWORD n, DWORD mask = 0xF) { return Reg(type, n) | (mask << 16); }
constexpr DWORD Swz(int x, int y, int z, int w) { return DWORD(x | y << 2 | z << 4 | w << 6) << 16; }
constexpr DWORD kNoSwz = Swz(0, 1, 2, 3);
constexpr DWORD Src(DWORD type, DWORD n, DWORD swizzle = kNoSwz, DWORD mod = 0) {
  return Reg(type, n) | swizzle | (mod << 24);
}
DWORD Bits(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

struct Result {
  HRESULT hr;
  std::vector<DWORD> tokens;
  std::string errors;
};

Result Assemble(const std::string& text, DWORD flags = D3DXASM_DEBUG) {
  LPD3DXBUFFER code = nullptr, errors = nullptr, constants = reinterpret_cast<LPD3DXBUFFER>(1);
  Result r;
  r.hr = D3DXAssembleShader(text.data(), UINT(text.size()), flags, &constants, &code, &errors);
  EXPECT_EQ(nullptr, constants);
  if (code) {
    const DWORD* t = static_cast<const DWORD*>(code->GetBufferPointer());
    r.tokens.assign(t, t + code->GetBufferSize() / 4);
    code->Release();
  }
  if (errors) {
    const char* e = static_cast<const char*>(errors->GetBufferPointer());
    EXPECT_EQ('\0', e[errors->GetBufferSize() - 1]);
    r.errors = e;
    errors->Release();
  }
  return r;
}

TEST(AssembleShader, VertexShaderTokens) {
  const Result r = Assemble(
      "vs_1_1 ; the version in the underscore spelling\n"
      "// a whole-line comment\n"
      "m4x4 oPos, v0, c4\n"
      "mov a0.x, v1.x\n"
      "add r1.xz, -c[a0.x + 10].yzwx, c[3 + a0.x]\n"
      "mad oD0, v2.w, c1.xy, r11\n"
      "mov oT3.xy, v15\n"
      "mov oFog.x, c95.z\n"
      "lit r0, r1\n"
      "expp r2, r0.y\n"
      "logp r3.w, r0\n"
      "frc r4.xy, c0\n"
      "sub r5, r0, r1\n"
      "dp4 oPts.x, r0, c[a0.x]\n");
  ASSERT_EQ(D3D_OK, r.hr) << r.errors;
  const std::vector<DWORD> expected = {
      0xFFFE0101,
      20, Dst(4, 0), Src(1, 0), Src(2, 4),
      1, Dst(3, 0, 1), Src(1, 1, Swz(0, 0, 0, 0)),
      2, Dst(0, 1, 0x5), Src(2, 10, Swz(1, 2, 3, 0), 1) | 0x2000, Src(2, 3) | 0x2000,
      4, Dst(5, 0), Src(1, 2, Swz(3, 3, 3, 3)), Src(2, 1, Swz(0, 1, 1, 1)), Src(0, 11),
      1, Dst(6, 3, 0x3), Src(1, 15),
      1, Dst(4, 1, 0x1), Src(2, 95, Swz(2, 2, 2, 2)),
      16, Dst(0, 0), Src(0, 1),
      78, Dst(0, 2), Src(0, 0, Swz(1, 1, 1, 1)),
      79, Dst(0, 3, 0x8), Src(0, 0),
      19, Dst(0, 4, 0x3), Src(2, 0),
      3, Dst(0, 5), Src(0, 0), Src(0, 1),
      9, Dst(4, 2, 0x1), Src(0, 0), Src(2, 0) | 0x2000,
      0x0000FFFF};
  EXPECT_EQ(expected, r.tokens);
}

TEST(AssembleShader, PixelShaderTokens) {
  const Result r = Assemble(
      "ps.1.3\n"
      "def c7, 1.0, -0.5, 0.25f, 0\n"
      "tex t0\n"
      "texm3x2pad t1, t0_bx2\n"
      "texm3x2tex t2, t0_bx2\n"
      "texcoord t3\n"
      "mul_x2_sat r0.rgb, t2_bias, 1-v0\n"
      "+ mov_d2 r0.a, -t3_bx2.b\n"
      "cnd r1, r0.a, c7.a, -v1_bias\n"
      "cmp_x4 r0, r1, t2, c0\n"
      "lrp r0.rgb, c1, r0, v0.a\n"
      "dp4 r1, r0, r0\n");
  ASSERT_EQ(D3D_OK, r.hr) << r.errors;
  const DWORD a = Swz(3, 3, 3, 3), b = Swz(2, 2, 2, 2);
  const std::vector<DWORD> expected = {
      0xFFFF0103,
      81, Dst(2, 7), Bits(1.0f), Bits(-0.5f), Bits(0.25f), Bits(0.0f),
      66, Dst(3, 0),
      71, Dst(3, 1), Src(3, 0, kNoSwz, 4),
      72, Dst(3, 2), Src(3, 0, kNoSwz, 4),
      64, Dst(3, 3),
      5, Dst(0, 0, 0x7) | (1u << 20) | (1u << 24), Src(3, 2, kNoSwz, 2), Src(1, 0, kNoSwz, 6),
      1 | 0x40000000, Dst(0, 0, 0x8) | (0xFu << 24), Src(3, 3, b, 5),
      80, Dst(0, 1), Src(0, 0, a), Src(2, 7, a), Src(1, 1, kNoSwz, 3),
      88, Dst(0, 0) | (2u << 24), Src(0, 1), Src(3, 2), Src(2, 0),
      18, Dst(0, 0, 0x7), Src(2, 1), Src(0, 0), Src(1, 0, a),
      9, Dst(0, 1), Src(0, 0), Src(0, 0),
      0x0000FFFF};
  EXPECT_EQ(expected, r.tokens);

  // The remaining texture instructions of ps.1.0 and their operand forms.
  const Result older = Assemble(
      "ps.1.0\ntex t0\ntexbem t1, t0\ntexm3x3pad t2, t0\ntexm3x3vspec t3, t0\nmov r0, t3\n");
  ASSERT_EQ(D3D_OK, older.hr) << older.errors;
  EXPECT_EQ((std::vector<DWORD>{0xFFFF0100, 66, Dst(3, 0), 67, Dst(3, 1), Src(3, 0), 73, Dst(3, 2), Src(3, 0), 77,
                                Dst(3, 3), Src(3, 0), 1, Dst(0, 0), Src(3, 3), 0xFFFF}),
            older.tokens);
  EXPECT_EQ(D3D_OK, Assemble("ps.1.1\ntex t0\ntexm3x3pad t1, t0\ntexm3x3pad t2, t0\ntexm3x3spec t3, t0, c0\n"
                             "mov r0, t3\n").hr);
  EXPECT_EQ(D3D_OK, Assemble("ps_1_2\ntexcoord t0\ntexbeml t1, t0\ntexreg2ar t2, t1\ntexreg2gb t3, t1\n"
                             "mov r0, t3\n").hr);
  EXPECT_EQ(D3D_OK, Assemble("ps.1.2\ntex t0\ntexdp3tex t1, t0\ntexm3x3 t3, t0\ntexkill t2\nmov r0, t1\n").hr);
}

TEST(AssembleShader, MalformedTextGivesLineAndReason) {
  const std::string longVertex = [] {
    std::string s = "vs.1.1\n";
    for (int i = 0; i < 33; ++i) s += "m4x4 r0, v0, c0\n";  // 132 slots
    return s;
  }();
  struct Case {
    std::string text;
    const char* expected;  // part of the error text
  } cases[] = {
      {"vs.1.1\nmov oPos, v0\nfoo r0, r1\n", "line 3: error: unknown opcode 'foo'"},
      {"vs.1.1\nmov r12, v0\n", "line 2: error: register out of range"},
      {"vs.1.1\nmov r0, q0\n", "bad register"},
      {"vs.1.1\nmov v0, r0\n", "cannot be written"},
      {"vs.1.1\nmov r0, oPos\n", "only be written"},
      {"vs.1.1\nmov r0, c[a0.x + 96]\n", "out of range"},
      {"vs.1.1\nmov r0, c[a0.y + 2]\n", "bad relative address"},
      {"vs.1.1\nmov a0.y, c0\n", "a0.x"},
      {"vs.1.1\nmov r0.yx, v0\n", "bad write mask"},
      {"vs.1.1\nmov r0, v0.xq\n", "bad swizzle"},
      {"vs.1.1\nmov_sat r0, v0\n", "not available in vertex shaders"},
      {"vs.1.1\ndef c0, 1, 2, 3, 4\n", "def is available in pixel shaders only"},
      {"vs.1.1\nmov r0\n", "takes 2 operands, got 1"},
      {"vs.1.1\nmov r0, -v0_bx2\n", "not available in vertex shaders"},
      {"vs.1.1\ncnd r0, r0, r0, r0\n", "'cnd' is not available in vs.1.1"},
      {longVertex, "too many instructions (132 slots, at most 128)"},
      {"ps.1.4\nmov r0, v0\n", "line 1: error: unsupported or missing shader version"},
      {"vs.2.0\n", "unsupported"},
      {"mov r0, v0\n", "unsupported or missing shader version 'mov r0, v0'"},
      {"; nothing\n", "no shader version"},
      {"ps.1.1\nmov r2, v0\n", "out of range"},
      {"ps.1.0\nmov r0, v0.b\n", "not available in ps.1.0"},
      {"ps.1.1\nmov r0, v0.xy\n", "not available in ps.1.1"},
      {"ps.1.1\nmov r0.rg, v0\n", "not available in pixel shaders"},
      {"ps.1.1\ncmp r0, v0, v1, c0\n", "'cmp' is not available in ps.1.1"},
      {"ps.1.2\ntexm3x2depth t1, t0\n", "not available in ps.1.2"},
      {"ps.1.1\nmov r0, v0\ntex t0\n", "texture instruction after an arithmetic instruction"},
      {"ps.1.1\ntex r0\n", "write a whole t register"},
      {"ps.1.1\nmov r0.rgb, v0\n+mov r0.rgb, v1\n", "co-issued instructions write .rgb and .a"},
      {"ps.1.1\n+mov r0.a, v1\n", "'+' must join"},
      {"ps.1.1\nmov_x3 r0, v0\n", "unknown instruction modifier '_x3'"},
      {"ps.1.1\nmov r0, v0_x9\n", "unknown source modifier"},
      {"ps.1.1\nmov r0, 1-v0_bias\n", "does not combine"},
      {"ps.1.1\ndef c8, 1, 2, 3, 4\n", "out of range"},
      {"ps.1.1\ndef c0, 1, two, 3, 4\n", "bad number 'two'"},
      {"ps.1.1\ndef c0, 1, 2, 3\n", "four values"},
      {"ps.1.1\nmov r0, c[a0.x]\n", "relative addressing is not available in pixel shaders"},
      {"ps.1.1\nmov r0,v0\nmov r0,v0\nmov r0,v0\nmov r0,v0\nmov r0,v0\nmov r0,v0\nmov r0,v0\nmov r0,v0\nmov r0,v0\n",
       "too many arithmetic instructions (9, at most 8)"},
      {"ps.1.1\ntex t0\ntex t1\ntex t2\ntex t3\ntexcoord t0\n", "too many texture instructions"},
      {std::string("\x7f\xff\x01\x80garbage\x02", 12), "unsupported or missing shader version"},
  };
  for (const Case& c : cases) {
    const Result r = Assemble(c.text);
    EXPECT_TRUE(FAILED(r.hr)) << c.text;
    EXPECT_TRUE(r.tokens.empty()) << c.text;
    EXPECT_NE(std::string::npos, r.errors.find(c.expected)) << c.text << "\n-> " << r.errors;
  }

  // Every bad line is reported, not only the first.
  const Result several = Assemble("vs.1.1\nfoo r0\nmov r0, v99\n");
  EXPECT_NE(std::string::npos, several.errors.find("line 2:"));
  EXPECT_NE(std::string::npos, several.errors.find("line 3:"));

  // The length bounds the text: what follows SrcDataLen is never read.
  const char text[] = "vs.1.1\nmov oPos, v0\nbogus";
  LPD3DXBUFFER code = nullptr;
  EXPECT_EQ(D3D_OK, D3DXAssembleShader(text, 20, 0, nullptr, &code, nullptr));
  ASSERT_NE(nullptr, code);
  EXPECT_EQ(5u * 4u, code->GetBufferSize());
  code->Release();
  // Without output buffers nothing is written through NULL.
  EXPECT_TRUE(FAILED(D3DXAssembleShader("bad", 3, D3DXASM_SKIPVALIDATION, nullptr, nullptr, nullptr)));
  EXPECT_TRUE(FAILED(D3DXAssembleShader(nullptr, 0, 0, nullptr, nullptr, nullptr)));
}

}  // namespace
