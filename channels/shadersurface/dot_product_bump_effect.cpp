#include "dot_product_bump_effect.h"

#include "bump_effect_textures.h"
#include "device/vel_dx8_direct_graphics_channel.h"
#include "vel_project_values.h"
#include "vertex_declaration.h"

using namespace vel_fx;

DotProductBumpEffect::DotProductBumpEffect()
    : MeshShaderEffect({kPosition, kNormal, kTexUV, kBasisS, kBasisT, kBasisSxT},
                       {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(1, kFloat3), DeclRegister(3, kFloat2),
                        DeclRegister(5, kFloat3), DeclRegister(6, kFloat3), DeclRegister(4, kFloat3), kDeclEnd},
                       {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(1, kFloat3), DeclRegister(2, kFloat2),
                        DeclRegister(4, kFloat3), DeclRegister(5, kFloat3), DeclRegister(3, kFloat3),
                        DeclRegister(6, kFloat4), DeclRegister(7, kFloat4), kDeclEnd},
                       "dot3_directional.nvv", "dot3_directionalSkin.nvv") {}

bool DotProductBumpEffect::RestoreDeviceObjects() {
  const char* name = IsSkinnedObjectData() ? "dot3_directionalSkin.nvv" : "dot3_directional.nvv";
  if (const char* text = LoadEffectResource(name))
    if (!AssembleVertexShader(0, text, nullptr)) return false;
  if (const char* text = LoadEffectResource("ps_dot3.nvp"))
    if (!AssemblePixelShader(0, text)) return false;
  return BuildMeshBuffers();
}

HRESULT DotProductBumpEffect::BuildTangentBasis(IDirect3DVertexBuffer8* vb, IDirect3DIndexBuffer8* ib) {
  return IsSkinnedObjectData() ? BuildSkinnedTangentBasis(vb, ib) : BuildPlainTangentBasis(vb, ib);
}
HRESULT DotProductBumpEffect::BuildPlainTangentBasis(IDirect3DVertexBuffer8* vb, IDirect3DIndexBuffer8* ib) {
  return BuildTangentBasisAt(vb, ib, kPlainVertex);
}
HRESULT DotProductBumpEffect::BuildSkinnedTangentBasis(IDirect3DVertexBuffer8* vb, IDirect3DIndexBuffer8* ib) {
  return BuildTangentBasisAt(vb, ib, kSkinnedVertex);
}

void DotProductBumpEffect::Render() {
  if (!CanDraw()) return;
  SetConstant(0, 0, 0, 0, 0);
  SetConstant(1, 1, 1, 1, 1);
  SetConstant(18, 0.5f, 0.5f, 0.5f, 0.5f);
  const D3DXVECTOR3 eye = EyePosition();
  SetConstant(8, eye.x, eye.y, eye.z, 0);

  // World() is the identity for a skinned mesh: its bones place it.
  const D3DXMATRIX world = World();
  const D3DXMATRIX worldView = world * View();
  D3DXMATRIX clip = worldView * Projection(), transposed;
  D3DXMatrixTranspose(&transposed, &clip);
  SetMatrixConstant(2, transposed);
  D3DXMATRIX worldRows;
  D3DXMatrixTranspose(&worldRows, &world);
  SetMatrixConstant(13, worldRows);
  D3DXMATRIX inverse;
  D3DXMatrixIdentity(&inverse);
  vel::InvertFinite(worldView, &inverse);
  IDirect3DDevice8* d3d = D3DDevice();
  d3d->SetVertexShaderConstant(10, &inverse, 3);

  SetConstant(7, 0, 0, 0, FloatInput(0, 0.25f));
  BindBumpTexture(owner, 0, 0);
  BindBumpTexture(owner, 1, 1);
  d3d->SetTexture(2, nullptr);
  BindBumpTexture(owner, 2, 3);

  d3d->SetPixelShader(GetPixelShader(0));
  d3d->SetVertexShader(GetVertexShader(0));
  for (DWORD stage : {0u, 1u}) {
    device->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
  }
  for (DWORD stage : {2u, 3u}) {
    device->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSW, D3DTADDRESS_CLAMP);
  }
  for (D3DRENDERSTATETYPE wrap : {D3DRS_WRAP0, D3DRS_WRAP1, D3DRS_WRAP2, D3DRS_WRAP3}) device->SetRenderState(wrap, 0);

  SetConstant(6, NormalisedWithW(VectorInput(0, D3DXVECTOR3(0, 0, -1)), 0));
  if (!skinned || SetBoneMatrices()) DrawMesh();
  d3d->SetPixelShader(0);
}

const char* DotProductBumpEffect::GetDescription() {
  return "Children that need to be linked to this channel:\n1) DX8 ObjectData - Object data to use\n2) DX8 Material - "
         "Material settings for surface\n3) DX8 Texture - Normal texture for object\n4) DX8 Texture - Bumpmap texture "
         "for object\n5) DX8 Texture - Lighting texture (lightmaps on CD-ROM)\n6) Shader Info - Parameters for the "
         "shader\n\nChannels that need to be linked to the Shader Info child:\n1) Value - Bump scale (>0)\n2) Value "
         "Vector - Light position (for direction)";
}
