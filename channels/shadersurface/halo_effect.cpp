#include "halo_effect.h"

#include "vertex_declaration.h"

using namespace vel_fx;

HaloEffect::HaloEffect()
    : MeshShaderEffect({kPosition, kNormal}, {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(1, kFloat3), kDeclEnd},
                       {}, "HALO.TXT", nullptr) {}

bool HaloEffect::RestoreDeviceObjects() {
  LoadEffectResource("HALO.TXT");
  if (!AssembleVertexShader(0, nullptr, nullptr)) {
    Report("no compile");
    return false;
  }
  return BuildMeshBuffers();
}

void HaloEffect::Render() {
  if (!CanDraw()) return;
  SetStandardConstants(NormalisedWithW(D3DXVECTOR3(1, 0, -1), 0));
  SetConstant(9, 0.0f, 0.2f, 1.0f, 30.0f);
  SetConstant(30, 1, 0, -1, 0);
  SetConstant(15, FloatInput(0, 0.5f), 0, 0, 0);
  const D3DXVECTOR3 colour = VectorInput(0, D3DXVECTOR3(0.9f, 0.9f, 0.9f));
  SetConstant(16, colour.x, colour.y, colour.z, 0);
  D3DDevice()->SetVertexShader(GetVertexShader(0));
  DrawMesh();
}

const char* HaloEffect::GetDescription() {
  return "Shader needs to have linked:\n1) DX8 ObjectData - Object data to use\n\nThis shader needs the following "
         "channels linked to the Shader Info channel:\n\n1) Value - Halo effect distance\n2) Value Vector - "
         "Color\n\nYou are able to use textures";
}
