#include "mesh_shader_effect.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "vel_dx8_pixel_shader_surface.h"
#include "vel_project_values.h"

#include <algorithm>
#include <cmath>

D3DXVECTOR4 NormalisedWithW(const D3DXVECTOR3& v, float w) {
  const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (!(length > 0.0f) || !std::isfinite(length)) return D3DXVECTOR4(0, 0, 0, w);
  return D3DXVECTOR4(v.x / length, v.y / length, v.z / length, w);
}

MeshShaderEffect::MeshShaderEffect(std::initializer_list<int> components, std::vector<DWORD> declaration,
                                   std::vector<DWORD> skinnedDeclaration, const char* text, const char* skinnedText)
    : components_(components),
      declaration_(std::move(declaration)),
      skinnedDeclaration_(std::move(skinnedDeclaration)),
      text_(text),
      skinnedText_(skinnedText) {}

bool MeshShaderEffect::RestoreDeviceObjects() {
  const char* name = IsSkinnedObjectData() && SupportsSkinning() ? skinnedText_ : text_;
  if (const char* text = LoadEffectResource(name))
    if (!AssembleVertexShader(0, text, nullptr)) return false;
  return BuildMeshBuffers();
}

const DWORD* MeshShaderEffect::GetVertexDeclaration() { return declaration_.empty() ? nullptr : declaration_.data(); }
const DWORD* MeshShaderEffect::GetSkinnedVertexDeclaration() {
  return skinnedDeclaration_.empty() ? nullptr : skinnedDeclaration_.data();
}
bool MeshShaderEffect::UsesVertexComponent(int index) {
  return std::find(components_.begin(), components_.end(), index) != components_.end();
}
bool MeshShaderEffect::SupportsSkinning() { return !skinnedDeclaration_.empty(); }

bool MeshShaderEffect::CanDraw() { return owner && device && D3DDevice(); }

void MeshShaderEffect::SetConstant(int index, const D3DXVECTOR4& value) {
  if (IDirect3DDevice8* d3d = D3DDevice()) d3d->SetVertexShaderConstant(static_cast<DWORD>(index), &value, 1);
}

void MeshShaderEffect::SetMatrixConstant(int index, const D3DXMATRIX& m) {
  if (IDirect3DDevice8* d3d = D3DDevice()) d3d->SetVertexShaderConstant(static_cast<DWORD>(index), &m, 4);
}

D3DXMATRIX MeshShaderEffect::World() {
  D3DXMATRIX world;
  if (skinned || !device) D3DXMatrixIdentity(&world);
  else world = device->GetWorldMatrix();
  return world;
}
D3DXMATRIX MeshShaderEffect::View() { return device->GetCameraMatrix(); }
D3DXMATRIX MeshShaderEffect::Projection() { return device->GetProjectionMatrix(); }

D3DXVECTOR3 MeshShaderEffect::EyePosition() {
  D3DXMATRIX inverse;
  D3DXMatrixIdentity(&inverse);
  vel::InvertFinite(View(), &inverse);
  return D3DXVECTOR3(inverse._41, inverse._42, inverse._43);
}

void MeshShaderEffect::SetStandardConstants(const D3DXVECTOR4& light) {
  const D3DXMATRIX world = World();
  D3DXMATRIX clip = world * View() * Projection(), transposed;
  D3DXMatrixTranspose(&transposed, &clip);
  SetMatrixConstant(0, transposed);
  SetConstant(4, light);
  // A world matrix without an inverse leaves the identity there.
  D3DXMATRIX inverse;
  D3DXMatrixIdentity(&inverse);
  vel::InvertFinite(world, &inverse);
  SetMatrixConstant(5, inverse);
  SetConstant(9, 0.0f, 0.5f, 1.0f, -1.0f);
  const D3DXVECTOR3 eye = EyePosition();
  SetConstant(10, eye.x, eye.y, eye.z, 1.0f);
  SetMatrixConstant(11, world);
}
