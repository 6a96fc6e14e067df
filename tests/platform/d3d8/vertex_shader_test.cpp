// Vertex shaders on the device: each instruction against values worked out
// by hand (results leave through oD0, which saturates), the address
// register, relative reads, declarations, handles, fog and state blocks.
#include "shader_fixture.h"

namespace d3d8test {
namespace {

class VertexShaderTest : public ShaderTest {};

struct Case {
  const char* body;  // after "vs.1.1" and the position move
  std::vector<float> constants;  // from c0
  Rgba expected;
};

TEST_F(VertexShaderTest, InstructionsAgainstHandValues) {
  ASSERT_TRUE(CreateDevice());
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  const Case cases[] = {
      // mov a0.x rounds to nearest: 1.6 -> 2, 1.4 -> 1, -0.6 -> -1.
      {"mov a0.x, c0.x\nmov oD0, c[a0.x + 3]\n", {1.6f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.2f, 0.2f, 0.2f, 1, 0.6f, 0.4f, 0.2f, 1}, {153, 102, 51, 255}},
      {"mov a0.x, c0.x\nmov oD0, c[3 + a0.x]\n", {1.4f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0.2f, 0.4f, 0.6f, 1}, {51, 102, 153, 255}},
      {"mov a0.x, c0.x\nmov oD0, c[a0.x + 3]\n", {-0.6f, 0, 0, 0, 0, 0, 0, 0, 1, 0.4f, 0, 1}, {255, 102, 0, 255}},
      // Relative reads outside c0..c95 give zero, above and below.
      {"mov a0.x, c0.x\nadd oD0, c[a0.x + 3], c1\n", {95, 0, 0, 0, 0.25f, 0.5f, 0.75f, 1, 1, 1, 1, 1}, {64, 128, 191, 255}},
      {"mov a0.x, c0.x\nadd oD0, c[a0.x + 3], c1\n", {-5, 0, 0, 0, 0.25f, 0.5f, 0.75f, 1, 1, 1, 1, 1}, {64, 128, 191, 255}},
      // oD0 saturates.
      {"mov oD0, c0\n", {2, -1, 0.5f, 1}, {255, 0, 128, 255}},
      {"add oD0, c0, -c1.wzyx\n", {1, 1, 1, 1, 0.25f, 0.5f, 0.75f, 0.125f}, {223, 64, 128, 191}},
      {"sub oD0, c0, c1\n", {1, 1, 1, 1, 0.25f, 0.5f, 0.75f, 0}, {191, 128, 64, 255}},
      {"mad oD0, c0, c1.x, c2\n", {0.5f, 0.25f, 1, 1, 0.5f, 0, 0, 0, 0.1f, 0.2f, -0.3f, 0}, {89, 83, 51, 128}},
      {"mul oD0, c0, c1\n", {0.5f, 0.5f, 2, 1, 0.5f, 1, 0.25f, 1}, {64, 128, 128, 255}},
      {"rcp r0, c0.y\nmul oD0, r0, c1\n", {0, 4, 0, 0, 0.5f, 1, 0.25f, 2}, {32, 64, 16, 128}},
      {"rsq r0.xz, c0.w\nmov oD0, r0\n", {0, 0, 0, -16}, {64, 0, 64, 255}},
      {"dp3 oD0, c0, c1\n", {0.5f, 0.25f, 1, 100, 0.5f, 1, 0.125f, 100}, {159, 159, 159, 159}},
      {"dp4 r0, c0, c1\nmul oD0, r0, c2\n", {1, 2, 3, 4, 0.5f, 0.5f, 0.5f, 0.5f, 0.1f, 0.2f, 0.01f, 1}, {128, 255, 13, 255}},
      {"min oD0, c0, c1\n", {0.25f, 0.75f, 0.5f, 1, 0.5f, 0.5f, 0.5f, 0}, {64, 128, 128, 0}},
      {"max oD0, c0, c1\n", {0.25f, 0.75f, 0.5f, 1, 0.5f, 0.5f, 0.5f, 0}, {128, 191, 128, 255}},
      {"slt oD0, c0, c1\n", {0.25f, 0.75f, 0.5f, 1, 0.5f, 0.5f, 0.5f, 0}, {255, 0, 0, 0}},
      {"sge oD0, c0, c1\n", {0.25f, 0.75f, 0.5f, 1, 0.5f, 0.5f, 0.5f, 0}, {0, 255, 255, 255}},
      // exp and log are full precision; expp and logp give their parts.
      {"exp r0, c0.z\nmul oD0, r0, c1\n", {0, 0, -1, 0, 1, 0.5f, 0.25f, 2}, {128, 64, 32, 255}},
      {"log r0, c0.x\nmul oD0, r0, c1\n", {-8, 0, 0, 0, 0.25f, 0.125f, 0.1f, 0.3f}, {191, 96, 77, 230}},
      {"expp r0, c0.w\nmul oD0, r0, c1\n", {0, 0, 0, 1.5f, 0.25f, 1, 0.25f, 1}, {128, 128, 180, 255}},
      {"logp r0, c0.w\nmul oD0, r0, c1\n", {0, 0, 0, -6, 0.25f, 0.5f, 0.25f, 0.5f}, {128, 191, 165, 128}},
      {"frc r0.xy, c0\nmov oD0, r0\n", {1.25f, -0.75f, 0, 0}, {64, 64, 0, 0}},
      {"frc r0.xy, c0.zwzw\nmov oD0, r0\n", {0, 0, 3.5f, 2}, {128, 0, 0, 0}},
      // lit: (1, max(N.L, 0), N.H^power when N.L > 0, 1).
      {"lit r0, c0\nmov oD0, r0\n", {0.5f, 0.5f, 0, 2}, {255, 128, 64, 255}},
      {"lit r0, c0\nmov oD0, r0\n", {-0.5f, 0.5f, 0, 2}, {255, 0, 0, 255}},
      {"dst r0, c0, c1\nmov oD0, r0\n", {9, 0.5f, 0.25f, 9, 9, 0.5f, 9, 0.75f}, {255, 64, 64, 191}},
      // The matrix macros are dot products with consecutive registers.
      {"m4x4 oD0, c0, c1\n", {1, 0.5f, 0.25f, 1, 0.2f, 0, 0, 0, 0, 0.4f, 0, 0, 0, 0, 0.8f, 0, 0.1f, 0.1f, 0.1f, 0.1f}, {51, 51, 51, 72}},
      {"mov oD0, c5\nm4x3 oD0, c0, c1\n", {1, 0.5f, 0.25f, 1, 0.2f, 0, 0, 0, 0, 0.4f, 0, 0, 0, 0, 0.8f, 0, 1, 1, 1, 1, 0, 0, 0, 0.5f}, {51, 51, 51, 128}},
      {"m3x4 oD0, c0, c1\n", {1, 0.5f, 0.25f, 9, 0.2f, 0, 0, 9, 0, 0.4f, 0, 9, 0, 0, 0.8f, 9, 0.1f, 0.1f, 0.1f, 9}, {51, 51, 51, 45}},
      {"mov oD0, c5\nm3x3 oD0, c0, c1\n", {1, 0.5f, 0.25f, 9, 0.2f, 0, 0, 9, 0, 0.4f, 0, 9, 0, 0, 0.8f, 9, 9, 9, 9, 9, 0, 0, 0, 0.5f}, {51, 51, 51, 128}},
      {"mov oD0, c5\nm3x2 oD0, c0, c1\n", {1, 0.5f, 0.25f, 9, 0.2f, 0, 0, 9, 0, 0.4f, 0, 9, 9, 9, 9, 9, 9, 9, 9, 9, 0, 0, 0, 0.5f}, {51, 51, 0, 128}},
      // Write masks keep the other components; swizzles pick components.
      {"mov r0, c0\nmov r0.yw, c1.xxzx\nmov oD0, r0\n", {0.25f, 0.25f, 0.25f, 0.25f, 1, 0.5f, 0.75f, 0}, {64, 255, 64, 255}},
      // Input registers: v5 is the vertex colour.
      {"mov oD0, v5.zyxw\n", {}, {0x40, 0x80, 0xC0, 0xFF}},
  };
  for (const Case& c : cases) {
    const DWORD vs = CreateVertexShader(std::string("vs.1.1\nmov oPos, v0\n") + c.body);
    ASSERT_NE(0u, vs) << c.body;
    std::vector<float> k = c.constants;
    k.resize(((k.size() + 3) / 4) * 4);
    if (!k.empty()) SetConstants(k);
    EXPECT_EQ(D3D_OK, device_->SetVertexShader(vs));
    Clear(0xFF000000);
    DrawClipQuad(0xFFC08040);
    const Rgba p = Middle();
    EXPECT_NEAR(p.r, c.expected.r, 2) << c.body;
    EXPECT_NEAR(p.g, c.expected.g, 2) << c.body;
    EXPECT_NEAR(p.b, c.expected.b, 2) << c.body;
    EXPECT_EQ(D3D_OK, device_->DeleteVertexShader(vs));
  }
}

TEST_F(VertexShaderTest, TextureCoordinatesAreNotSaturated) {
  ASSERT_TRUE(CreateDevice());
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  // Four texels across; with wrapping, u = 1.625 falls on texel 2. Clamped
  // to 1 it would wrap onto texel 0.
  IDirect3DTexture8* tex = MakeColorTexture(4, 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
  device_->SetTexture(0, tex);
  device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  SelectArg1(D3DTA_TEXTURE);
  const DWORD vs = CreateVertexShader("vs.1.1\nmov oPos, v0\nmov oT0, c0\n");
  SetConstants({1.625f, 0.5f, 0, 1});
  device_->SetVertexShader(vs);
  Clear(0xFF000000);
  DrawClipQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Middle(), 0, 0, 255, 1);
  device_->SetTexture(0, nullptr);
  tex->Release();
}

TEST_F(VertexShaderTest, HandlesDeclarationsAndConstants) {
  ASSERT_TRUE(CreateDevice());
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  // Position in stream 0, colour in stream 1 after a skipped DWORD; c2 comes
  // from the declaration when the shader is selected.
  const float c2[4] = {0.5f, 0.25f, 0, 1};
  DWORD c2bits[4];
  std::memcpy(c2bits, c2, 16);
  const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_STREAM(1), D3DVSD_SKIP(1),
                               D3DVSD_REG(3, D3DVSDT_D3DCOLOR), D3DVSD_CONST(2, 1), c2bits[0], c2bits[1],
                               c2bits[2], c2bits[3], D3DVSD_END()};
  const std::vector<DWORD> code = AssembleText("vs.1.1\nmov oPos, v0\nadd oD0, v3, c2\n");
  DWORD vs = 0;
  ASSERT_EQ(D3D_OK, device_->CreateVertexShader(declaration, code.data(), &vs, 0));
  EXPECT_EQ(1u, vs & 1u) << "a handle never looks like a vertex format";
  const float zero[4] = {};
  device_->SetVertexShaderConstant(2, zero, 1);

  IDirect3DVertexBuffer8 *positions = nullptr, *colors = nullptr;
  ASSERT_EQ(D3D_OK, device_->CreateVertexBuffer(4 * 12, 0, 0, D3DPOOL_MANAGED, &positions));
  ASSERT_EQ(D3D_OK, device_->CreateVertexBuffer(4 * 8, 0, 0, D3DPOOL_MANAGED, &colors));
  BYTE* p = nullptr;
  positions->Lock(0, 0, &p, 0);
  const float xyz[12] = {-1, 1, 0.5f, 1, 1, 0.5f, -1, -1, 0.5f, 1, -1, 0.5f};
  std::memcpy(p, xyz, sizeof xyz);
  positions->Unlock();
  colors->Lock(0, 0, &p, 0);
  const DWORD rgba[8] = {0, 0xFF200040, 0, 0xFF200040, 0, 0xFF200040, 0, 0xFF200040};
  std::memcpy(p, rgba, sizeof rgba);
  colors->Unlock();

  ASSERT_EQ(D3D_OK, device_->SetVertexShader(vs));
  DWORD current = 0;
  device_->GetVertexShader(&current);
  EXPECT_EQ(vs, current);
  float read[4];
  device_->GetVertexShaderConstant(2, read, 1);
  EXPECT_EQ(0.25f, read[1]);
  device_->SetStreamSource(0, positions, 12);
  device_->SetStreamSource(1, colors, 8);
  Clear(0xFF000000);
  device_->BeginScene();
  EXPECT_EQ(D3D_OK, device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
  device_->EndScene();
  EXPECT_NEAR_RGB(Middle(), 0x20 + 128, 64, 0x40, 2);
  // Stream 1 too short for four vertices: refused rather than read past.
  device_->SetStreamSource(1, colors, 16);
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));

  // Odd values that name no shader, and deleted shaders, are refused.
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->SetVertexShader(vs + 2));
  EXPECT_EQ(D3D_OK, device_->DeleteVertexShader(vs));
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->DeleteVertexShader(vs));
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->SetVertexShader(vs));
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2));
  EXPECT_EQ(D3D_OK, device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE));

  // Bad declarations, bad code and constant ranges.
  const DWORD badDecl[] = {D3DVSD_STREAM(0), D3DVSD_REG(16, D3DVSDT_FLOAT3), D3DVSD_END()};
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->CreateVertexShader(badDecl, code.data(), &vs, 0));
  const DWORD pixelCode[] = {0xFFFF0101, 0x0000FFFF};
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->CreateVertexShader(declaration, pixelCode, &vs, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->CreateVertexShader(declaration, code.data(), nullptr, 0));
  const float many[97 * 4] = {};
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->SetVertexShaderConstant(0, many, 97));
  EXPECT_EQ(D3DERR_INVALIDCALL, device_->SetVertexShaderConstant(95, many, 2));
  EXPECT_EQ(D3D_OK, device_->SetVertexShaderConstant(95, many, 1));
  positions->Release();
  colors->Release();
}

TEST_F(VertexShaderTest, FogAppliesWithTheShadersFogValue) {
  ASSERT_TRUE(CreateDevice());
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  device_->SetRenderState(D3DRS_FOGENABLE, TRUE);
  device_->SetRenderState(D3DRS_FOGCOLOR, 0x000000FF);
  const DWORD vs = CreateVertexShader("vs.1.1\nmov oPos, v0\nmov oD0, c0\nmov oFog.x, c1.y\n");
  SetConstants({1, 0, 0, 1, 0, 0.25f, 0, 0});
  device_->SetVertexShader(vs);
  Clear(0xFF000000);
  DrawClipQuad(0xFFFFFFFF);
  // colour = f x red + (1 - f) x blue with f = 0.25.
  EXPECT_NEAR_RGB(Middle(), 64, 0, 191, 2);
}

TEST_F(VertexShaderTest, StateBlocksKeepShadersAndConstants) {
  ASSERT_TRUE(CreateDevice());
  device_->SetRenderState(D3DRS_LIGHTING, FALSE);
  const DWORD red = CreateVertexShader("vs.1.1\nmov oPos, v0\nmov oD0, c0\n");
  const DWORD green = CreateVertexShader("vs.1.1\nmov oPos, v0\nmov oD0, c0.yxzw\n");
  SetConstants({1, 0, 0, 1});
  device_->SetVertexShader(red);
  DWORD block = 0;
  ASSERT_EQ(D3D_OK, device_->CreateStateBlock(D3DSBT_VERTEXSTATE, &block));
  device_->SetVertexShader(green);
  SetConstants({0, 0, 1, 1});
  Clear(0xFF000000);
  DrawClipQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Middle(), 0, 0, 255, 1);
  ASSERT_EQ(D3D_OK, device_->ApplyStateBlock(block));
  DWORD current = 0;
  device_->GetVertexShader(&current);
  EXPECT_EQ(red, current);
  Clear(0xFF000000);
  DrawClipQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Middle(), 255, 0, 0, 1);

  // A recorded block holds the constants set while recording, nothing else.
  ASSERT_EQ(D3D_OK, device_->BeginStateBlock());
  SetConstants({0, 1, 0, 1});
  device_->SetVertexShader(green);
  DWORD recorded = 0;
  ASSERT_EQ(D3D_OK, device_->EndStateBlock(&recorded));
  float c0[4];
  device_->GetVertexShaderConstant(0, c0, 1);
  EXPECT_EQ(1.0f, c0[0]) << "recording does not change the device";
  device_->ApplyStateBlock(recorded);
  Clear(0xFF000000);
  DrawClipQuad(0xFFFFFFFF);
  EXPECT_NEAR_RGB(Middle(), 255, 0, 0, 1);  // green swaps x and y of (0, 1, 0)
  device_->DeleteStateBlock(block);
  device_->DeleteStateBlock(recorded);
}

}  // namespace
}  // namespace d3d8test
