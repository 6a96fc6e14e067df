// Pixel shaders on the device: arithmetic, modifiers and register ranges
// against values worked out by hand, co-issue, def constants, and the
// texture instructions with the sampler type following the bound texture.
#include "shader_fixture.h"

namespace d3d8test {
namespace {

// v0 is the vertex colour 0xFFC08040, v1 = (0.25, 0.5, 0.75, 0.5), and
// texture coordinate set n is vertex-shader constant c(n + 1).
constexpr const char* kVertexShader =
    "vs.1.1\nmov oPos, v0\nmov oD0, v5\nmov oD1, c0\nmov oT0, c1\nmov oT1, c2\nmov oT2, c3\nmov oT3, c4\n";

class PixelShaderTest : public ShaderTest {
 protected:
  bool Start() {
    if (!CreateDevice()) return false;
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    vs_ = CreateVertexShader(kVertexShader);
    device_->SetVertexShader(vs_);
    SetConstants({0.25f, 0.5f, 0.75f, 0.5f});
    return vs_ != 0;
  }
  void Coordinates(int set, float u, float v, float w = 0, float q = 1) {
    SetConstants({u, v, w, q}, DWORD(set + 1));
  }
  Rgba Run(const std::string& text) {
    const DWORD ps = CreatePixelShader(text);
    EXPECT_EQ(D3D_OK, device_->SetPixelShader(ps));
    Clear(0xFF000000);
    DrawClipQuad(0xFFC08040);
    device_->SetPixelShader(0);
    EXPECT_EQ(D3D_OK, device_->DeletePixelShader(ps));
    return Middle();
  }
  IDirect3DTexture8* Quadrants() {
    // 2x2 texels: red, green / blue, white; point sampled.
    for (DWORD s = 0; s < 4; ++s) {
      device_->SetTextureStageState(s, D3DTSS_MINFILTER, D3DTEXF_POINT);
      device_->SetTextureStageState(s, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    }
    return MakeColorTexture(2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
  }
  DWORD vs_ = 0;
};

struct Rgb {
  int r, g, b;
};

struct Case {
  const char* text;
  std::vector<float> constants;  // pixel-shader constants from c0
  Rgb expected;
};

TEST_F(PixelShaderTest, ArithmeticModifiersAndRanges) {
  ASSERT_TRUE(Start());
  const Case cases[] = {
      // Constants hold [-1, 1]; the output is [0, 1].
      {"ps.1.1\nmov r0, c0\n", {2, -0.5f, 0.5f, 1}, {255, 0, 128}},
      // The constant is clamped before the shift: 2 -> 1 -> 0.5.
      {"ps.1.1\nmov_d2 r0, c0\n", {2, 1, -2, 1}, {128, 128, 0}},
      // The shift applies before the clamp of the result.
      {"ps.1.1\nmov_x4 r0, c0\n", {0.125f, 0.2f, 0.5f, 1}, {128, 204, 255}},
      {"ps.1.1\nmul_x2 r0, v1, c0\n", {0.5f, 0.5f, 0.5f, 1}, {64, 128, 191}},
      // Temporaries hold [-1, 1]: 1.5 is kept as 1, -2 as -1, -0.75 as is.
      {"ps.1.1\nadd r0, c0, c0\nsub r0, r0, c1\n", {0.75f, 0.75f, 0.75f, 1, 0.75f, 0.75f, 0.75f, 0}, {64, 64, 64}},
      {"ps.1.1\nsub r1, -c0, c1\nadd r0, r1, c1\nadd r0, r0, c1\n", {1, 1, 1, 1, 1, 0.5f, 0.25f, 1}, {255, 0, 0}},
      {"ps.1.1\nsub r1, c0, c1\nadd r0, r1, c1\n", {0.25f, 0, 0.5f, 1, 1, 0.5f, 0.25f, 1}, {64, 0, 128}},
      // _sat clamps to [0, 1].
      {"ps.1.1\nsub_sat r1, c0, c1\nadd r0, r1, c2\n", {0.25f, 0.25f, 0.25f, 1, 0.5f, 0.5f, 0.5f, 0, 0.5f, 0.5f, 0.5f, 0}, {128, 128, 128}},
      // Source modifiers on v0 = (192, 128, 64) / 255.
      {"ps.1.1\nmov r0, v0_bias\n", {}, {65, 0, 0}},
      {"ps.1.1\nmov r0, v0_bx2\n", {}, {129, 1, 0}},
      {"ps.1.1\nadd r0, -v0_bx2, c0\n", {1, 1, 1, 1}, {126, 254, 255}},
      {"ps.1.1\nmov r0, 1-v0\n", {}, {63, 127, 191}},
      {"ps.1.1\nadd r0, -c0, c1\n", {0.25f, 0.5f, 0, 0, 1, 1, 0.5f, 0}, {191, 128, 128}},
      {"ps.1.1\nadd r0, -v0_bias, c0\n", {0.5f, 0.5f, 0.5f, 0}, {63, 127, 191}},
      // Replicated alpha and blue.
      {"ps.1.0\nmov r0, v1.a\n", {}, {128, 128, 128}},
      {"ps.1.1\nmov r0, v1.b\n", {}, {191, 191, 191}},
      {"ps.1.1\ndp3 r0, v1, c0\n", {1, 0.5f, 0.25f, 0}, {175, 175, 175}},
      {"ps.1.2\ndp4 r0, v1, c0\n", {1, 0.5f, 0.25f, 0.5f}, {239, 239, 239}},
      {"ps.1.1\nmad r0, v1, c0, c1\n", {0.5f, 0.5f, 0.5f, 0, 0.25f, 0, -0.25f, 0}, {96, 64, 32}},
      {"ps.1.1\nlrp r0, c0, v1, c1\n", {0.25f, 0.5f, 1, 0, 1, 0, 0, 0}, {207, 64, 191}},
      {"ps.1.1\nmov r0, c0\ncnd r0, r0.a, c1, c2\n", {0, 0, 0, 0.75f, 1, 0, 0, 0, 0, 0, 1, 0}, {255, 0, 0}},
      {"ps.1.1\nmov r0, c0\ncnd r0, r0.a, c1, c2\n", {0, 0, 0, 0.5f, 1, 0, 0, 0, 0, 0, 1, 0}, {0, 0, 255}},
      {"ps.1.2\ncmp r0, c0, c1, c2\n", {0, -0.5f, 0.25f, 0, 1, 1, 1, 0, 0.5f, 0.5f, 0.5f, 0}, {255, 128, 255}},
      // Co-issued instructions read before either writes: r0.a takes the
      // blue of the first move, not of the second.
      {"ps.1.1\nmov r0, c0\nmov r0.rgb, c1\n+mov r0.a, r0.b\nmov r0.rgb, r0.a\n",
       {0, 0, 0.25f, 1, 0.5f, 0.5f, 0.5f, 1}, {64, 64, 64}},
      {"ps.1.1\nmov r0, c0\nmov r0.a, c1\n+mov r0.rgb, r0.a\n", {0, 0, 0, 0.25f, 0, 0, 0, 1}, {64, 64, 64}},
  };
  for (const Case& c : cases) {
    std::vector<float> k = c.constants;
    if (!k.empty()) SetPixelConstants(k);
    const Rgba p = Run(c.text);
    EXPECT_NEAR(p.r, c.expected.r, 2) << c.text;
    EXPECT_NEAR(p.g, c.expected.g, 2) << c.text;
    EXPECT_NEAR(p.b, c.expected.b, 2) << c.text;
  }
}

TEST_F(PixelShaderTest, DefinedConstantsBelongToTheirShader) {
  ASSERT_TRUE(Start());
  SetPixelConstants({1, 0, 0, 1});
  EXPECT_NEAR_RGB(Run("ps.1.1\ndef c0, 0.5, 0.25, 0.75, 1\nmov r0, c0\n"), 128, 64, 191, 2);
  float c0[4];
  device_->GetPixelShaderConstant(0, c0, 1);
  EXPECT_EQ(1.0f, c0[0]);
  EXPECT_EQ(0.0f, c0[1]);
  EXPECT_NEAR_RGB(Run("ps.1.1\nmov r0, c0\n"), 255, 0, 0, 1);
  // Constant ranges and handles.
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->SetPixelShaderConstant(8, c0, 1));
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->SetPixelShaderConstant(7, c0, 2));
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->SetPixelShader(12345));
  const DWORD vertexCode[] = {0xFFFE0101, 0x0000FFFF};
  DWORD ps = 0;
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->CreatePixelShader(vertexCode, &ps));
}

TEST_F(PixelShaderTest, TextureInstructions) {
  ASSERT_TRUE(Start());
  IDirect3DTexture8* quads = Quadrants();
  // tex: texel (1, 1) at (0.75, 0.75).
  device_->SetTexture(0, quads);
  Coordinates(0, 0.75f, 0.75f);
  EXPECT_NEAR_RGB(Run("ps.1.1\ntex t0\nmov r0, t0\n"), 255, 255, 255, 1);
  // No texture: opaque white, as the fixed-function stages read.
  device_->SetTexture(0, nullptr);
  Coordinates(0, 0.25f, 0.25f);
  EXPECT_NEAR_RGB(Run("ps.1.1\ntex t0\nmul r0, t0, v1\n"), 64, 128, 191, 1);
  // texcoord clamps the coordinates to [0, 1].
  Coordinates(0, 0.25f, 1.5f, -0.5f);
  EXPECT_NEAR_RGB(Run("ps.1.1\ntexcoord t0\nmov r0, t0\n"), 64, 255, 0, 1);
  // texkill: a negative coordinate leaves the pixel unwritten.
  SetPixelConstants({1, 1, 1, 1});
  Coordinates(0, 0.5f, -0.1f, 0);
  EXPECT_NEAR_RGB(Run("ps.1.1\ntexkill t0\nmov r0, c0\n"), 0, 0, 0, 0);
  Coordinates(0, 0.5f, 0.1f, 0);
  EXPECT_NEAR_RGB(Run("ps.1.1\ntexkill t0\nmov r0, c0\n"), 255, 255, 255, 0);
  // texm3x2pad/tex: (u, v) = (t0 . tc1, t0 . tc2) = (0.25, 0.75): blue.
  device_->SetTexture(2, quads);
  Coordinates(0, 0.25f, 0.75f, 0);
  Coordinates(1, 1, 0, 0);
  Coordinates(2, 0, 1, 0);
  EXPECT_NEAR_RGB(Run("ps.1.1\ntexcoord t0\ntexm3x2pad t1, t0\ntexm3x2tex t2, t0\nmov r0, t2\n"), 0, 0, 255, 1);
  // texdp3: t1 = t0 . tc1.
  Coordinates(0, 0.5f, 0.5f, 0);
  Coordinates(1, 1, 0.5f, 0);
  EXPECT_NEAR_RGB(Run("ps.1.2\ntexcoord t0\ntexdp3 t1, t0\nmov r0, t1\n"), 191, 191, 191, 1);
  // texreg2ar: stage 1 read at (t0.a, t0.r) = (0.75, 0.25): green.
  IDirect3DTexture8* lookup = MakeColorTexture(1, 1, {0xC0400000});
  device_->SetTexture(0, lookup);
  device_->SetTexture(1, quads);
  EXPECT_NEAR_RGB(Run("ps.1.1\ntex t0\ntexreg2ar t1, t0\nmov r0, t1\n"), 0, 255, 0, 1);
  // texbem: (du, dv) = (0.5, 0) through the identity bump matrix moves
  // (0.25, 0.25) to (0.75, 0.25): green.
  IDirect3DTexture8* bump = MakeTexture(1, 1, D3DFMT_V8U8, [](BYTE* row, UINT, UINT) {
    row[0] = 64;  // du = 64/127 ~ 0.5
    row[1] = 0;
  });
  ASSERT_NE(nullptr, bump);
  device_->SetTexture(0, bump);
  device_->SetTextureStageState(1, D3DTSS_BUMPENVMAT00, F2D(1.0f));
  device_->SetTextureStageState(1, D3DTSS_BUMPENVMAT11, F2D(1.0f));
  Coordinates(1, 0.25f, 0.25f);
  EXPECT_NEAR_RGB(Run("ps.1.1\ntex t0\ntexbem t1, t0\nmov r0, t1\n"), 0, 255, 0, 1);
  // texbeml: the sample, alpha included, times (t0.b x BUMPENVLSCALE +
  // BUMPENVLOFFSET) with no clamp. Luminance 127/127 = 1, scale 1.25, offset
  // 0.25: factor 1.5. The sample is 0x80402010 (alpha 0x80).
  IDirect3DTexture8* lit = MakeTexture(1, 1, D3DFMT_Q8W8V8U8, [](BYTE* row, UINT, UINT) {
    row[0] = 0;    // du
    row[1] = 0;    // dv
    row[2] = 127;  // luminance
    row[3] = 0;
  });
  IDirect3DTexture8* sample = MakeColorTexture(1, 1, {0x80402010});
  ASSERT_NE(nullptr, lit);
  device_->SetTexture(0, lit);
  device_->SetTexture(1, sample);
  device_->SetTextureStageState(1, D3DTSS_BUMPENVLSCALE, F2D(1.25f));
  device_->SetTextureStageState(1, D3DTSS_BUMPENVLOFFSET, F2D(0.25f));
  // 0x40, 0x20, 0x10 times 1.5 are 96, 48, 24.
  EXPECT_NEAR_RGB(Run("ps.1.1\ntex t0\ntexbeml t1, t0\nmov r0, t1\n"), 96, 48, 24, 1);
  // Alpha 128 times 1.5 is 192.
  EXPECT_NEAR_RGB(Run("ps.1.1\ntex t0\ntexbeml t1, t0\nmov r0, t1.a\n"), 192, 192, 192, 1);
  // Scale 0.5 and offset 0: factor 0.5 on alpha too.
  device_->SetTextureStageState(1, D3DTSS_BUMPENVLSCALE, F2D(0.5f));
  device_->SetTextureStageState(1, D3DTSS_BUMPENVLOFFSET, F2D(0.0f));
  EXPECT_NEAR_RGB(Run("ps.1.1\ntex t0\ntexbeml t1, t0\nmov r0, t1.a\n"), 64, 64, 64, 1);
  for (DWORD s = 0; s < 4; ++s) device_->SetTexture(s, nullptr);
  sample->Release();
  lit->Release();
  bump->Release();
  lookup->Release();
  quads->Release();
}

TEST_F(PixelShaderTest, SamplerTypeFollowsTheBoundTexture) {
  ASSERT_TRUE(Start());
  const DWORD ps = CreatePixelShader("ps.1.1\ntex t0\nmov r0, t0\n");
  device_->SetPixelShader(ps);
  IDirect3DTexture8* flat = MakeColorTexture(1, 1, {0xFFFF0000});
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(D3D_OK, device_->CreateCubeTexture(1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube));
  for (int f = 0; f < 6; ++f) {
    D3DLOCKED_RECT lr;
    cube->LockRect(D3DCUBEMAP_FACES(f), 0, &lr, nullptr, 0);
    *static_cast<DWORD*>(lr.pBits) = f == D3DCUBEMAP_FACE_NEGATIVE_Y ? 0xFF00FF00 : 0xFF000000;
    cube->UnlockRect(D3DCUBEMAP_FACES(f), 0);
  }
  Coordinates(0, 0.1f, -1, 0.2f);
  device_->SetTexture(0, flat);
  Clear(0xFF0000FF);
  DrawClipQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Middle(), 255, 0, 0, 1);
  device_->SetTexture(0, cube);
  Clear(0xFF0000FF);
  DrawClipQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Middle(), 0, 255, 0, 1);
  // The same through texm3x3pad/tex: the rows pick (-y) out of t0.
  const DWORD ps3 = CreatePixelShader(
      "ps.1.1\ntexcoord t0\ntexm3x3pad t1, t0_bx2\ntexm3x3pad t2, t0_bx2\ntexm3x3tex t3, t0_bx2\nmov r0, t3\n");
  device_->SetTexture(0, nullptr);
  device_->SetTexture(3, cube);
  Coordinates(0, 0.5f, 0, 0.5f);  // _bx2: (0, -1, 0)
  Coordinates(1, 1, 0, 0);
  Coordinates(2, 0, 1, 0);
  Coordinates(3, 0, 0, 1);
  device_->SetPixelShader(ps3);
  Clear(0xFF0000FF);
  DrawClipQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Middle(), 0, 255, 0, 1);
  device_->SetPixelShader(0);
  device_->SetTexture(3, nullptr);
  device_->DeletePixelShader(ps);
  device_->DeletePixelShader(ps3);
  cube->Release();
  flat->Release();
}

TEST_F(PixelShaderTest, StateBlocksKeepPixelShadersAndConstants) {
  ASSERT_TRUE(Start());
  const DWORD ps = CreatePixelShader("ps.1.1\nmov r0, c0\n");
  device_->SetPixelShader(ps);
  SetPixelConstants({0, 1, 0, 1});
  DWORD block = 0;
  ASSERT_EQ(D3D_OK, device_->CreateStateBlock(D3DSBT_PIXELSTATE, &block));
  device_->SetPixelShader(0);
  SetPixelConstants({1, 0, 0, 1});
  device_->ApplyStateBlock(block);
  DWORD current = 0;
  device_->GetPixelShader(&current);
  EXPECT_EQ(ps, current);
  Clear(0xFF000000);
  DrawClipQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Middle(), 0, 255, 0, 1);
  device_->DeleteStateBlock(block);
  device_->SetPixelShader(0);
  device_->DeletePixelShader(ps);
}

}  // namespace
}  // namespace d3d8test
