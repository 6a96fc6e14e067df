// Vertex and pixel shaders of the device: creation from code (and, for
// vertex shaders, a declaration), selection, deletion and their constants.
// Vertex-shader handles are odd, so that a handle is never taken for a
// flexible vertex format code (those have bit 0 clear).
#include <cstring>

#include "device.h"
#include "shader_glsl.h"
#include "state_block.h"

namespace d3d8 {

HRESULT Device::CreateVertexShader(const DWORD* pDeclaration, const DWORD* pFunction, DWORD* pHandle, DWORD usage) {
  if (!pHandle) return D3DERR_INVALIDCALL;
  *pHandle = 0;
  if (!pDeclaration || !pFunction) return D3DERR_INVALIDCALL;
  (void)usage;  // every shader runs on the GPU; software processing needs no separate path
  auto shader = std::make_unique<VertexShaderObject>();
  std::string error;
  if (!ReadVertexDeclaration(pDeclaration, &shader->declaration, &error) ||
      !ReadShaderCode(pFunction, false, &shader->code, &error))
    return D3DERR_INVALIDCALL;
  shader->serial = nextShaderSerial_++;
  const DWORD handle = (static_cast<DWORD>(shader->serial) << 1) | 1u;
  vertexShaders_.emplace(handle, std::move(shader));
  *pHandle = handle;
  return D3D_OK;
}

HRESULT Device::DeleteVertexShader(DWORD handle) {
  auto it = vertexShaders_.find(handle);
  if (it == vertexShaders_.end()) return D3DERR_INVALIDCALL;
  MakeCurrent();
  shaderPrograms_.Forget(it->second->serial);
  vertexShaders_.erase(it);
  shaderKeyValid_ = false;
  program_ = nullptr;
  keyValid_ = false;
  return D3D_OK;
}

HRESULT Device::SetVertexShader(DWORD handle) {
  const VertexShaderObject* shader = nullptr;
  if (handle & 1u) {
    auto it = vertexShaders_.find(handle);
    if (it == vertexShaders_.end()) return D3DERR_INVALIDCALL;
    shader = it->second.get();
  } else if ((handle == 0 || handle != state_.vertexShader) && FvfStride(handle) == 0) {
    // The format in use was checked when it was set.
    return D3DERR_INVALIDCALL;
  }
  if (recording_) {
    recording_->RecordVertexShader(handle);
    return D3D_OK;
  }
  state_.vertexShader = handle;
  // A declaration's constants are loaded when its shader is selected.
  if (shader)
    for (const DeclaredConstant& c : shader->declaration.constants) std::memcpy(state_.vsConstants[c.reg], c.value, 16);
  if (shader && !shader->declaration.constants.empty()) BumpGroup(kGroupVsConst);
  return D3D_OK;
}

HRESULT Device::GetVertexShader(DWORD* pHandle) {
  if (!pHandle) return D3DERR_INVALIDCALL;
  *pHandle = state_.vertexShader;
  return D3D_OK;
}

HRESULT Device::SetVertexShaderConstant(DWORD reg, const void* pConstantData, DWORD constantCount) {
  if (!pConstantData || reg >= kVertexConstantCount || constantCount > kVertexConstantCount - reg)
    return D3DERR_INVALIDCALL;
  const float* v = static_cast<const float*>(pConstantData);
  if (recording_) {
    for (DWORD i = 0; i < constantCount; ++i) recording_->RecordVertexConstant(reg + i, v + 4 * i);
    return D3D_OK;
  }
  std::memcpy(state_.vsConstants[reg], v, 16 * static_cast<size_t>(constantCount));
  BumpGroup(kGroupVsConst);
  return D3D_OK;
}

HRESULT Device::GetVertexShaderConstant(DWORD reg, void* pConstantData, DWORD constantCount) {
  if (!pConstantData || reg >= kVertexConstantCount || constantCount > kVertexConstantCount - reg)
    return D3DERR_INVALIDCALL;
  std::memcpy(pConstantData, state_.vsConstants[reg], 16 * static_cast<size_t>(constantCount));
  return D3D_OK;
}

HRESULT Device::CreatePixelShader(const DWORD* pFunction, DWORD* pHandle) {
  if (!pHandle) return D3DERR_INVALIDCALL;
  *pHandle = 0;
  if (!pFunction) return D3DERR_INVALIDCALL;
  auto shader = std::make_unique<PixelShaderObject>();
  std::string error;
  if (!ReadShaderCode(pFunction, true, &shader->code, &error)) return D3DERR_INVALIDCALL;
  shader->stages = PixelShaderStages(shader->code);
  shader->serial = nextShaderSerial_++;
  const DWORD handle = shader->serial;
  pixelShaders_.emplace(handle, std::move(shader));
  *pHandle = handle;
  return D3D_OK;
}

HRESULT Device::DeletePixelShader(DWORD handle) {
  auto it = pixelShaders_.find(handle);
  if (it == pixelShaders_.end()) return D3DERR_INVALIDCALL;
  MakeCurrent();
  shaderPrograms_.Forget(it->second->serial);
  pixelShaders_.erase(it);
  shaderKeyValid_ = false;
  program_ = nullptr;
  keyValid_ = false;
  return D3D_OK;
}

HRESULT Device::SetPixelShader(DWORD handle) {
  if (handle != 0 && pixelShaders_.find(handle) == pixelShaders_.end()) return D3DERR_INVALIDCALL;
  if (recording_) {
    recording_->RecordPixelShader(handle);
    return D3D_OK;
  }
  state_.pixelShader = handle;
  return D3D_OK;
}

HRESULT Device::GetPixelShader(DWORD* pHandle) {
  if (!pHandle) return D3DERR_INVALIDCALL;
  *pHandle = state_.pixelShader;
  return D3D_OK;
}

HRESULT Device::SetPixelShaderConstant(DWORD reg, const void* pConstantData, DWORD constantCount) {
  if (!pConstantData || reg >= kPixelConstantCount || constantCount > kPixelConstantCount - reg)
    return D3DERR_INVALIDCALL;
  const float* v = static_cast<const float*>(pConstantData);
  if (recording_) {
    for (DWORD i = 0; i < constantCount; ++i) recording_->RecordPixelConstant(reg + i, v + 4 * i);
    return D3D_OK;
  }
  std::memcpy(state_.psConstants[reg], v, 16 * static_cast<size_t>(constantCount));
  BumpGroup(kGroupPsConst);
  return D3D_OK;
}

HRESULT Device::GetPixelShaderConstant(DWORD reg, void* pConstantData, DWORD constantCount) {
  if (!pConstantData || reg >= kPixelConstantCount || constantCount > kPixelConstantCount - reg)
    return D3DERR_INVALIDCALL;
  std::memcpy(pConstantData, state_.psConstants[reg], 16 * static_cast<size_t>(constantCount));
  return D3D_OK;
}

}  // namespace d3d8
