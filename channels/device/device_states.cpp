// The device channel's copies of the render and texture-stage states, the
// default states every new or reset device is brought to, and the caps.
#include "device/vel_dx8_direct_graphics_channel.h"

#include "engine_interface.h"
#include "win32/window.h"

#include <cmath>
#include <cstring>

namespace {

constexpr DWORD kLowestRenderState = D3DRS_ZENABLE;
constexpr DWORD kHighestRenderState = D3DRS_NORMALORDER;
constexpr DWORD kHighestStageState = D3DTSS_RESULTARG;
constexpr int kBlendStages = 3;

DWORD FloatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

bool IsFiniteBits(DWORD bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return std::isfinite(value);
}

// States whose value is the bits of a float.
bool IsFloatRenderState(DWORD state) {
  switch (state) {
    case D3DRS_FOGSTART:
    case D3DRS_FOGEND:
    case D3DRS_FOGDENSITY:
    case D3DRS_POINTSIZE:
    case D3DRS_POINTSIZE_MIN:
    case D3DRS_POINTSCALE_A:
    case D3DRS_POINTSCALE_B:
    case D3DRS_POINTSCALE_C:
    case D3DRS_PATCHSEGMENTS:
    case D3DRS_POINTSIZE_MAX:
    case D3DRS_TWEENFACTOR:
      return true;
    default:
      return false;
  }
}

bool IsFloatStageState(DWORD type) {
  return (type >= D3DTSS_BUMPENVMAT00 && type <= D3DTSS_BUMPENVMAT11) || type == D3DTSS_BUMPENVLSCALE ||
         type == D3DTSS_BUMPENVLOFFSET;
}

}  // namespace

bool Vel_DX8_DirectGraphicsChannel::SetDeviceStates() {
  if (!device_) return false;
  SetProjectionMatrix(0.4f, 4000.0f, 2.0f, 1.0f);

  IDirect3DDevice8* d = device_;
  d->SetRenderState(D3DRS_DITHERENABLE, TRUE);
  d->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  d->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  d->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
  d->SetRenderState(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);
  d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  d->SetRenderState(D3DRS_COLORVERTEX, FALSE);
  d->SetRenderState(D3DRS_LOCALVIEWER, TRUE);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  d->SetTexture(0, nullptr);
  d->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  d->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  d->SetRenderState(D3DRS_DITHERENABLE, TRUE);
  d->SetRenderState(D3DRS_ALPHAREF, 8);
  d->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);

  for (DWORD stage = 0; stage < kStageCount; ++stage) {
    d->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    d->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    d->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_LINEAR);
  }
  for (DWORD stage = 0; stage < kBlendStages; ++stage) {
    d->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    d->SetTextureStageState(stage, D3DTSS_COLORARG1, stage == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT);
    d->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    d->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    d->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  }
  for (DWORD stage = 0; stage < kBlendStages; ++stage) d->SetTexture(stage, nullptr);
  for (DWORD stage = 0; stage < kBlendStages; ++stage) {
    d->SetTextureStageState(stage, D3DTSS_BUMPENVMAT00, FloatBits(1.0f));
    d->SetTextureStageState(stage, D3DTSS_BUMPENVMAT01, FloatBits(0.0f));
    d->SetTextureStageState(stage, D3DTSS_BUMPENVMAT10, FloatBits(0.0f));
    d->SetTextureStageState(stage, D3DTSS_BUMPENVMAT11, FloatBits(1.0f));
    d->SetTextureStageState(stage, D3DTSS_BUMPENVLSCALE, FloatBits(0.5f));
    d->SetTextureStageState(stage, D3DTSS_BUMPENVLOFFSET, FloatBits(0.0f));
  }

  if (windowed_) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  } else {
    SetCursor(nullptr);
    d->ShowCursor(FALSE);
  }

  deviceCaps_ = {};
  d->GetDeviceCaps(&deviceCaps_);

  // The copies hold what the device reports; a state the device does not
  // know reads as 0.
  for (DWORD state = kLowestRenderState; state <= kHighestRenderState; ++state) {
    renderStates_[state] = 0;
    d->GetRenderState(static_cast<D3DRENDERSTATETYPE>(state), &renderStates_[state]);
  }
  for (DWORD type = 1; type <= kHighestStageState; ++type) {
    for (DWORD stage = 0; stage < kStageCount; ++stage) {
      stageStates_[stage][type] = 0;
      d->GetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(type), &stageStates_[stage][type]);
    }
  }
  return true;
}

void Vel_DX8_DirectGraphicsChannel::SetRenderState(DWORD state, DWORD value) {
  if (!device_ || state < kLowestRenderState || state > kHighestRenderState) return;
  if (renderStates_[state] == value) return;
  if (IsFloatRenderState(state) && !IsFiniteBits(value)) {
    if (!renderStateRefused_[state] && engine)
      engine->errorFunctor("Vel_DX8_DirectGraphicsChannel::SetRenderState: Not a finite number for state",
                           static_cast<int>(state));
    renderStateRefused_[state] = true;
    return;
  }
  renderStateRefused_[state] = false;
  renderStates_[state] = value;
  device_->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), value);
}

void Vel_DX8_DirectGraphicsChannel::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  const int t = static_cast<int>(type);
  if (!device_ || stage >= static_cast<DWORD>(kStageCount) || t < 0 || t > static_cast<int>(kHighestStageState)) return;
  if (stageStates_[stage][t] == value) return;
  if (IsFloatStageState(static_cast<DWORD>(t)) && !IsFiniteBits(value)) {
    if (!stageStateRefused_[t] && engine)
      engine->errorFunctor("Vel_DX8_DirectGraphicsChannel::SetTextureStageState: Not a finite number for state", t);
    stageStateRefused_[t] = true;
    return;
  }
  stageStateRefused_[t] = false;
  stageStates_[stage][t] = value;
  device_->SetTextureStageState(stage, type, value);
}

D3DCAPS8 Vel_DX8_DirectGraphicsChannel::GetDeviceCaps() { return deviceCaps_; }
