#include "fur_effect.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "vel_project_values.h"
#include "vertex_declaration.h"

#include <algorithm>

using namespace vel_fx;

FurEffect::FurEffect()
    : MeshShaderEffect({kPosition, kNormal, kTexUV},
                       {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(1, kFloat3), DeclRegister(2, kFloat2),
                        kDeclEnd},
                       {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(1, kFloat3), DeclRegister(4, kFloat2),
                        DeclRegister(2, kFloat4), DeclRegister(3, kFloat4), kDeclEnd},
                       "FUREFFECT.TXT", "FUREFFECTSKIN.TXT") {}

void FurEffect::Render() {
  if (!CanDraw()) return;
  const D3DXVECTOR3 light = VectorInput(0, D3DXVECTOR3(0, 0, -1));
  const D3DXVECTOR3 hair = VectorInput(1, D3DXVECTOR3(0, 0, 0));
  const int levels = std::clamp(vel::SaturateToInt(FloatInput(0, 8.0f)), 0, kMaxLevels);
  const float length = FloatInput(1, 0.005f);
  const bool drawSurface = FloatInput(2, 1.0f) >= 1.0f;

  SetStandardConstants(NormalisedWithW(light, 0));
  SetConstant(15, 0, 0, 0, 0);
  // The plain surface is not shifted either: c16 may still hold another
  // effect's constant (the halo's colour), which would move it.
  SetConstant(16, 0, 0, 0, 0);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  if (skinned && !SetBoneMatrices()) {
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    return;
  }
  D3DDevice()->SetVertexShader(GetVertexShader(0));
  if (drawSurface) DrawMesh();
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  for (int i = 1; i <= levels; ++i) {
    const float share = static_cast<float>(i - 1) / static_cast<float>(levels);
    SetConstant(15, static_cast<float>(i) * length, 0.9f - share * 0.8f, 0, 0);
    SetConstant(16, share * hair.x, share * hair.y, share * hair.z, 0);
    DrawMesh();
  }
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  // Blending goes off again: what is drawn after the fur is not blended.
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

const char* FurEffect::GetDescription() {
  return "Children that need to be linked to this channel:\n1) DX8 ObjectData - Object data to use\n2) DX8 Texture - "
         "Used as fur needs alpha channel\n3) Shader Info - Parameters for the shader\n\nChannels that need to be "
         "linked to the Shader Info child:\n1) Value - Fur Levels (0..20)\n2) Value - Fur Length (0..1)\n3) Value - "
         "Draw original surface (1 = yes)\n4) Value Vector - Light direction\n5) Value Vector - Hair direction";
}
