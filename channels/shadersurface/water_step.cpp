// One step of the water simulation: force from the neighbours, velocity,
// drops, height, smoothing, the still water of the mask and the normal map.
#include "water_simulation.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "floatvalue/vel_float_channel.h"
#include "shader_effect.h"
#include "vel_child_access.h"
#include "vel_project_values.h"
#include "vel_dx8_pixel_shader_surface.h"
#include "vel_type_guids.h"

#include <cmath>
#include <utility>

namespace {
constexpr DWORD kOffsetSetRegister = 50;
}  // namespace

void WaterSimulation::Draw(IDirect3DDevice8* d) {
  if (FAILED(d->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2))) Report("!DrawPrimitive");
}

void WaterSimulation::SetRenderTarget(IDirect3DDevice8* d, int index) {
  if (FAILED(d->SetRenderTarget(targets[index].surface, nullptr))) Report("!SetRenderTarget");
}

void WaterSimulation::SetTextures(IDirect3DDevice8* d, IDirect3DBaseTexture8* texture, int firstStage,
                                  int lastStage) {
  for (int stage = firstStage; stage <= lastStage; ++stage)
    if (FAILED(d->SetTexture(static_cast<DWORD>(stage), texture)) && stage == 3)
      Report("!SetTexture");
}

void WaterSimulation::SetPixelShader(IDirect3DDevice8* d, int slot) {
  if (FAILED(d->SetPixelShader(effect ? effect->GetPixelShader(slot) : 0)))
    Report("!SetPixelShader");
}

void WaterSimulation::SetPixelConstant(IDirect3DDevice8* d, DWORD reg, float x, float y, float z, float w) {
  const float c[4] = {x, y, z, w};
  if (FAILED(d->SetPixelShaderConstant(reg, c, 1))) Report("!SetPixelShaderConstant");
}

void WaterSimulation::SetVertexConstant(IDirect3DDevice8* d, DWORD reg, const float* values, DWORD count) {
  if (FAILED(d->SetVertexShaderConstant(reg, values, count))) Report("!SetVertexShaderConstant");
}

void WaterSimulation::SetOffsetSet(IDirect3DDevice8* d, int set) {
  const float c[4] = {static_cast<float>(set), 0, 0, 0};
  SetVertexConstant(d, kOffsetSetRegister, c, 1);
}

void WaterSimulation::ReadParameters() {
  Orn_Channel* info = surface ? surface->GetChildFromLinkGuid(vel::kShaderInfoType, 0) : nullptr;
  if (!vel::IsOfType(info, vel::kShaderInfoType)) return;
  float* const parameters[] = {&waterSpeed, &waveSpeed, &waveFallOff, &bounceFactor, &splashFactor};
  for (int n = 0; n < 5; ++n) {
    auto* value = vel::As<Vel_FloatChannel>(info->GetChildFromLinkGuid(vel::kFloatType, n), vel::kFloatType);
    if (value) *parameters[n] = vel::FiniteOr(value->GetFloat(), *parameters[n]);
  }
}

HRESULT WaterSimulation::DoSingleTimeStep() {
  IDirect3DDevice8* d = D3DDevice();
  if (!d || !device || !quad) return E_FAIL;
  // Without every target the passes would draw into the device's own.
  for (const image_pass::Target& t : targets)
    if (!t.surface) return E_FAIL;
  ReadParameters();
  SetFallOffOffsets();

  if (phase == 0) {
    IDirect3DTexture8* mask = MaskTexture();
    if (!mask) return E_FAIL;
    source = mask;
    heightIndex = 0;
    otherHeightIndex = 4;
    previousIndex = 4;
    velocityInIndex = 1;
    velocityOutIndex = 2;
    partialForceIndex = 3;
    forceIndex = 5;
    normalMapIndex = 3;
    // Still water: zero velocity.
    SetRenderTarget(d, velocityInIndex);
    if (FAILED(d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF808080, 1.0f, 0))) Report("!Clear");
  } else {
    velocityInIndex = phase == 1 ? 2 : 1;
    velocityOutIndex = phase == 1 ? 1 : 2;
    source = targets[heightIndex].texture;
    std::swap(heightIndex, otherHeightIndex);
  }

  const float heightRow[4] = {0, 1, 0, 0};
  SetVertexConstant(d, 31, heightRow, 1);
  SetPixelConstant(d, 2, restorationFactor, restorationFactor, restorationFactor, 1);
  bias = 0.5f;
  SetPixelConstant(d, 4, bias, bias, bias, 1);
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  for (DWORD stage = 0; stage < 4; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
    device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  }

  // Force, first part: three neighbours and the pull towards rest.
  SetPixelShader(d, kNeighbourForce);
  SetRenderTarget(d, partialForceIndex);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  SetTextures(d, source, 0, 3);
  SetOffsetSet(d, 1);
  Draw(d);

  // Force, second part: the fourth neighbour.
  SetPixelShader(d, kForce);
  SetTextures(d, source, 0, 1);
  SetTextures(d, targets[partialForceIndex].texture, 2, 2);
  SetRenderTarget(d, forceIndex);
  SetOffsetSet(d, 2);
  Draw(d);

  // Velocity.
  SetPixelShader(d, kApplyForce);
  SetOffsetSet(d, 0);
  SetTextures(d, targets[velocityInIndex].texture, 0, 0);
  SetTextures(d, targets[forceIndex].texture, 1, 1);
  SetRenderTarget(d, velocityOutIndex);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  SetPixelConstant(d, 0, waveSpeed, waveSpeed, waveSpeed, 1);
  Draw(d);

  // Drops push the new velocity.
  CollideLinkedParticles();
  RenderDrops();

  // Height.
  SetRenderTarget(d, heightIndex);
  SetPixelShader(d, kApplyVelocity);
  SetTextures(d, source, 0, 0);
  SetTextures(d, targets[velocityOutIndex].texture, 1, 1);
  SetTextures(d, nullptr, 2, 3);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  SetPixelConstant(d, 0, waterSpeed, waterSpeed, waterSpeed, 1);
  SetOffsetSet(d, 0);
  Draw(d);

  // Smoothing into the height the next step reads.
  std::swap(heightIndex, otherHeightIndex);
  source = targets[otherHeightIndex].texture;
  SetTextures(d, source, 0, 3);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  SetRenderTarget(d, heightIndex);
  SetPixelShader(d, kCombine);
  SetOffsetSet(d, 3);
  Draw(d);

  ApplyMask();
  const HRESULT result = BuildNormalMap();
  phase = phase == 1 ? 2 : 1;
  return result;
}

void WaterSimulation::RenderDrops() {
  IDirect3DDevice8* d = D3DDevice();
  if (!d || !device) return;
  IDirect3DTexture8* shape = image_pass::TextureOf(surface ? surface->GetChildFromLinkGuid(vel::kTextureType, 1)
                                                           : nullptr);
  // Without a shape there is nothing to stamp: the drops are dropped.
  if (drops.empty() || !shape) {
    drops.clear();
    return;
  }
  image_pass::SavedTargets saved(d);
  SetRenderTarget(d, velocityOutIndex);
  D3DXMATRIX projection;
  D3DXMatrixOrthoLH(&projection, 2, 2, 0.2f, 20);
  if (FAILED(d->SetPixelShader(0))) Report("!SetPixelShader");
  if (FAILED(d->SetVertexShader(effect ? effect->GetVertexShader(kVertexShader) : 0)))
    Report("!SetVertexShader");
  d->SetTexture(0, shape);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  for (const WaterDrop& drop : drops) {
    // A drop of no strength (or none that is finite) would stamp at an
    // infinite size.
    if (!(drop.strength > 0) || !std::isfinite(drop.strength) || !std::isfinite(drop.x) || !std::isfinite(drop.y))
      continue;
    D3DXMATRIX scaling, view, product, transposed;
    const D3DXVECTOR3 eye(0, 0, -5), at((drop.x - 0.5f) * 2, (drop.y - 0.5f) * 2, 0), up(0, 1, 0);
    D3DXMatrixScaling(&scaling, 1 / drop.strength, 1 / drop.strength, 1);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    product = scaling * view * projection;
    D3DXMatrixTranspose(&transposed, &product);
    SetVertexConstant(d, 2, transposed, 4);
    Draw(d);
  }
  drops.clear();
  SetVertexConstant(d, 2, quadTransform, 4);
  saved.Restore();
}

void WaterSimulation::ApplyMask() {
  IDirect3DDevice8* d = D3DDevice();
  if (!d || !device) return;
  d->SetVertexShader(effect ? effect->GetVertexShader(kVertexShader) : 0);
  d->SetPixelShader(0);
  d->SetTexture(0, MaskTexture());
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  const D3DXMATRIX mask = image_pass::QuadTransform(1.0f, 2.0f);
  SetVertexConstant(d, 2, mask, 4);
  Draw(d);
  SetVertexConstant(d, 2, quadTransform, 4);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
}

HRESULT WaterSimulation::BuildNormalMap() {
  IDirect3DDevice8* d = D3DDevice();
  if (!d) return E_FAIL;
  SetTextures(d, targets[heightIndex].texture, 0, 3);
  SetRenderTarget(d, normalMapIndex);
  SetPixelConstant(d, 5, normalScale, 0, 0, 0);
  SetPixelConstant(d, 6, 0, normalScale, 0, 0);
  SetPixelShader(d, kNormalMap);
  SetOffsetSet(d, 4);
  HRESULT result = d->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  if (FAILED(result)) Report("!DrawPrimitive");
  return result;
}

void WaterSimulation::AddDrop(float x, float y, float strength) { drops.push_back({x, y, strength}); }
