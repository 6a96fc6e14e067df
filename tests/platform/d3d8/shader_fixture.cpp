#include "shader_fixture.h"

namespace d3d8test {

std::vector<DWORD> AssembleText(const std::string& text) {
  LPD3DXBUFFER code = nullptr, errors = nullptr;
  const HRESULT hr = D3DXAssembleShader(text.data(), UINT(text.size()), 0, nullptr, &code, &errors);
  std::vector<DWORD> tokens;
  if (FAILED(hr)) {
    ADD_FAILURE() << text << "\n" << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
  } else {
    const DWORD* t = static_cast<const DWORD*>(code->GetBufferPointer());
    tokens.assign(t, t + code->GetBufferSize() / 4);
  }
  if (code) code->Release();
  if (errors) errors->Release();
  return tokens;
}

DWORD ShaderTest::CreateVertexShader(const std::string& text) {
  const DWORD declaration[] = {D3DVSD_STREAM(0), D3DVSD_REG(0, D3DVSDT_FLOAT3), D3DVSD_REG(5, D3DVSDT_D3DCOLOR),
                               D3DVSD_REG(7, D3DVSDT_FLOAT4), D3DVSD_END()};
  const std::vector<DWORD> code = AssembleText(text);
  DWORD handle = 0;
  if (code.empty()) return 0;
  EXPECT_EQ(D3D_OK, device_->CreateVertexShader(declaration, code.data(), &handle, 0));
  return handle;
}

DWORD ShaderTest::CreatePixelShader(const std::string& text) {
  const std::vector<DWORD> code = AssembleText(text);
  DWORD handle = 0;
  if (code.empty()) return 0;
  EXPECT_EQ(D3D_OK, device_->CreatePixelShader(code.data(), &handle));
  return handle;
}

void ShaderTest::DrawClipQuad(D3DCOLOR color, float u, float v, float s, float t) {
  const ClipVertex q[4] = {{-1, 1, 0.5f, color, u, v, s, t},
                           {1, 1, 0.5f, color, u, v, s, t},
                           {-1, -1, 0.5f, color, u, v, s, t},
                           {1, -1, 0.5f, color, u, v, s, t}};
  EXPECT_EQ(D3D_OK, device_->BeginScene());
  EXPECT_EQ(D3D_OK, device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, q, sizeof q[0]));
  EXPECT_EQ(D3D_OK, device_->EndScene());
}

void ShaderTest::SetConstants(const std::vector<float>& values, DWORD first) {
  EXPECT_EQ(D3D_OK, device_->SetVertexShaderConstant(first, values.data(), DWORD(values.size() / 4)));
}

void ShaderTest::SetPixelConstants(const std::vector<float>& values, DWORD first) {
  EXPECT_EQ(D3D_OK, device_->SetPixelShaderConstant(first, values.data(), DWORD(values.size() / 4)));
}

}  // namespace d3d8test
