#include "reflective_bump_effect.h"

#include "bump_effect_textures.h"
#include "vel_project_values.h"
#include "vertex_declaration.h"

using namespace vel_fx;

ReflectiveBumpEffect::ReflectiveBumpEffect()
    : MeshShaderEffect({kPosition, kNormal, kZeroFloat3, kTexUV, kBasisS, kBasisT, kBasisSxT},
                       {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(1, kFloat3), DeclRegister(2, kFloat3),
                        DeclRegister(3, kFloat2), DeclRegister(5, kFloat3), DeclRegister(6, kFloat3),
                        DeclRegister(4, kFloat3), kDeclEnd},
                       {}, "BUMPEFFECT.TXT", nullptr) {}

bool ReflectiveBumpEffect::RestoreDeviceObjects() {
  if (const char* text = LoadEffectResource("BUMPEFFECT.TXT"))
    if (!AssembleVertexShader(0, text, nullptr)) return false;
  if (const char* text = LoadEffectResource("BUMPPIXEL.TXT"))
    if (!AssemblePixelShader(0, text)) return false;
  return BuildMeshBuffers();
}

void ReflectiveBumpEffect::Render() {
  if (!CanDraw()) return;
  SetConstant(0, 0, 0, 0, 0);
  SetConstant(1, 1, 1, 1, 1);
  // The viewing direction stands in for the eye point.
  D3DXMATRIX inverseView;
  D3DXMatrixIdentity(&inverseView);
  vel::InvertFinite(View(), &inverseView);
  SetConstant(12, NormalisedWithW(D3DXVECTOR3(inverseView._31, inverseView._32, inverseView._33), 0));

  const D3DXMATRIX world = World();
  const D3DXMATRIX worldView = world * View();
  D3DXMATRIX clip = worldView * Projection(), transposed;
  D3DXMatrixTranspose(&transposed, &clip);
  SetMatrixConstant(2, transposed);
  IDirect3DDevice8* d3d = D3DDevice();
  d3d->SetVertexShaderConstant(6, &world, 3);
  D3DXMATRIX rotation;
  D3DXMatrixTranspose(&rotation, &worldView);
  d3d->SetVertexShaderConstant(9, &rotation, 3);

  BindBumpTexture(owner, 0, 0);
  d3d->SetTexture(1, nullptr);
  d3d->SetTexture(2, nullptr);
  BindBumpTexture(owner, 1, 3);

  SetConstant(13, 0, 0, 0, FloatInput(0, 0.25f));
  d3d->SetPixelShader(GetPixelShader(0));
  d3d->SetVertexShader(GetVertexShader(0));
  DrawMesh();
  d3d->SetPixelShader(0);
}

const char* ReflectiveBumpEffect::GetDescription() {
  return "Bumpmapping (Reflective)\nThis channel is able to create a bumpmap\non the linked object using "
         "textures.\n\nIt needs the following children:\n1) DX8 ObjectData - Surface Mesh\n2) DX8 Material - Can be "
         "left out\n3) DX8 Texture - Bump Texture\n4) DX8 Texture - Color Texture\n5) Shader Info - Parameters for "
         "the shader\n\nThe Surface Info channel needs the\nfollowing channels linked:\n\n1) Value - Bump scale\n";
}
