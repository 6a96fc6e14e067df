#include "environment_map_effect.h"

#include "vel_project_values.h"
#include "vertex_declaration.h"

using namespace vel_fx;

EnvironmentMapEffect::EnvironmentMapEffect()
    : MeshShaderEffect({kPosition, kNormal, kTexUV, kTexUV2},
                       {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(1, kFloat3), DeclRegister(2, kFloat2),
                        DeclRegister(3, kFloat2), kDeclEnd},
                       {}, "DISPLACEMENTMAP.TXT", nullptr) {}

void EnvironmentMapEffect::Render() {
  if (!CanDraw()) return;
  const float s = FloatInput(0, 0.0f);
  const D3DXVECTOR3 v = VectorInput(0, D3DXVECTOR3(1, 0, -1));
  const D3DXMATRIX world = World();
  const D3DXVECTOR3 eye = EyePosition();
  SetConstant(12, eye.x, eye.y, eye.z, 1);
  D3DXMATRIX clip = world * View() * Projection(), transposed;
  D3DXMatrixTranspose(&transposed, &clip);
  SetMatrixConstant(0, transposed);
  SetConstant(18, 0, 0.5f, 1, 2);
  SetConstant(19, v.x, v.y, v.z, 0);
  SetConstant(20, s, s, s, 0);
  D3DXMATRIX inverse;
  D3DXMatrixIdentity(&inverse);
  vel::InvertFinite(world, &inverse);
  SetMatrixConstant(4, inverse);
  D3DDevice()->SetVertexShader(GetVertexShader(0));
  DrawMesh();
}

const char* EnvironmentMapEffect::GetDescription() {
  return "The channel itself needs the following channels linked:\n\n1) DX8 ObjectData - Object data to use\n2) DX8 "
         "Material - Material settings\n3) DX8 Texture - Color Map\n4) DX8 Texture - Environment Map\n\nIn this "
         "template the environment map is also used as the color map.\nThis vertex shader does not need the Shader "
         "Info channel.";
}
