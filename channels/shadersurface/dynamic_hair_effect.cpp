#include "dynamic_hair_effect.h"

#include "vel_dx8_pixel_shader_surface.h"
#include "vertex_declaration.h"

using namespace vel_fx;

DynamicHairEffect::DynamicHairEffect()
    : MembraneEffect({kPosition, kNormal, kTexUV}, {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(3, kFloat3),
                                                    DeclRegister(7, kFloat2), kDeclEnd}) {}

bool DynamicHairEffect::RestoreDeviceObjects() {
  if (!MembraneEffect::RestoreDeviceObjects()) return false;
  // Blended over what is behind it, textured from stage 0.
  owner->SetTransparentSurface(true);
  owner->SetSourceBlend(D3DBLEND_SRCALPHA);
  owner->SetDestBlend(D3DBLEND_INVSRCALPHA);
  for (int stage = 0; stage < 2; ++stage) {
    owner->SetCoordIndex(static_cast<DWORD>(stage), stage);
    owner->SetTextureWrap(0, stage);
    owner->SetTillingMode(D3DTADDRESS_WRAP, stage);
  }
  owner->SetWriteDepthBuffer(true);
  owner->SetCheckDepthBuffer(true);
  owner->SetColorArg1(D3DTA_TEXTURE, 0);
  owner->SetColorOp(D3DTOP_MODULATE, 0);
  owner->SetColorArg2(D3DTA_DIFFUSE, 0);
  owner->SetAlphaArg1(D3DTA_TEXTURE, 0);
  owner->SetAplhaOp(D3DTOP_DISABLE, 0);
  owner->SetZBias(0);
  return true;
}

const char* DynamicHairEffect::GetDescription() { return "Dynamic Hair (unfinished)"; }
