#include "toon_effect.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "vel_project_values.h"
#include "vertex_declaration.h"

using namespace vel_fx;

ToonEffect::ToonEffect()
    : MeshShaderEffect({kPosition, kNormal}, {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(1, kFloat3), kDeclEnd},
                       {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(1, kFloat3), DeclRegister(2, kFloat4),
                        DeclRegister(3, kFloat4), kDeclEnd},
                       "TOONSHADE.TXT", "ToonShadeSkinned.nvv") {}

bool ToonEffect::RestoreDeviceObjects() {
  const char* name = IsSkinnedObjectData() ? "ToonShadeSkinned.nvv" : "TOONSHADE.TXT";
  if (const char* text = LoadEffectResource(name))
    if (!AssembleVertexShader(0, text, nullptr)) return false;
  if (BuildMeshBuffers()) return true;
  Report("Error creating vertex buffer");
  return false;
}

DWORD ToonEffect::TextureFactor(const D3DXVECTOR3& colour) {
  // The shading colour's components scale by 254.
  return vel::ColorBytes(colour, 254.0f);
}

void ToonEffect::Render() {
  if (!CanDraw()) return;
  // The light as the standard block's c4.
  SetStandardConstants(NormalisedWithW(VectorInput(0, D3DXVECTOR3(1, 0, -1)), 0));
  // Without a colour input the factor is 0x969696.
  const D3DXVECTOR3 fallback(150.5f / 254.0f, 150.5f / 254.0f, 150.5f / 254.0f);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, TextureFactor(VectorInput(1, fallback)));
  device->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
  device->SetTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  device->SetTextureStageState(1, D3DTSS_MINFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(1, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  device->SetTextureStageState(1, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
  D3DDevice()->SetVertexShader(GetVertexShader(0));
  if (!skinned || SetBoneMatrices()) DrawMesh();
  device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(1, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(1, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
}

const char* ToonEffect::GetDescription() {
  return "This shader needs the following children.\n\n1) DX8 3D ObjectData - Mesh for the surface\n2) This effect does "
         "not need a material\n3) DX8 Texture - Shading Texture (Used to shade the surface)\n4) DX8 Texture - Edge "
         "Image (Used to draw edges)\n5) DX8 PixelShaderInfo - parameters for the surface\n\nYou need to link the "
         "following parameters to the Shading Info:\n\n1) Light position\n2) Surface color";
}
