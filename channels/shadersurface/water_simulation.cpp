// The water simulation's life: creation of its targets, quad and shaders,
// the texel offsets its passes sample with, and the clock that runs a step
// every kUnitsPerStep time units.
#include "water_simulation.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "shader_effect.h"
#include "timesource/vel_time_source_channel.h"
#include "vel_child_access.h"
#include "vel_dx8_pixel_shader_surface.h"
#include "vel_type_guids.h"

#include <utility>

namespace {

// The texts of the pixel shader slots kCombine..kNormalMap.
const char* const kPixelShaderTexts[] = {
    "EqualWeightCombine_PostMult2.nvp", "NeighborForceCalc2.nvp",    "nvforceCalc22.nvp",
    "ApplyForceShader2.nvp",            "ApplyVelocityShader2.nvp",  "NormalMapCreate2_Scale2.nvp",
};

// Vertex constant registers.
constexpr DWORD kOffsetScaleRegister = 30;
constexpr DWORD kFirstOffsetRegister = 8;

}  // namespace

WaterSimulation::WaterSimulation()
    : engine(nullptr),
      surface(nullptr),
      effect(nullptr),
      device(nullptr),
      quad(nullptr),
      texelWidth(0),
      texelHeight(0),
      waveFallOff(0.5f),
      phase(0),
      source(nullptr),
      heightIndex(0),
      otherHeightIndex(4),
      previousIndex(4),
      normalMapIndex(3),
      velocityInIndex(1),
      velocityOutIndex(2),
      partialForceIndex(3),
      forceIndex(5),
      restorationFactor(0.5f),
      bias(0.5f),
      normalScale(0.8f),
      waveSpeed(0.25f),
      waterSpeed(0.5f),
      bounceFactor(0.99f),
      splashFactor(1.0f),
      quadTransform(image_pass::QuadTransform(2.0f, 4.0f)),
      accumulatedTime(0),
      timeSource(nullptr),
      ready(false) {}

WaterSimulation::~WaterSimulation() {
  ReleaseAll();
  delete timeSource;
}

void WaterSimulation::ReleaseTargets() {
  image_pass::SafeRelease(quad);
  for (image_pass::Target& t : targets) t.Release();
  source = nullptr;
  ready = false;
}

void WaterSimulation::ReleaseAll() {
  ReleaseTargets();
  drops.clear();
}

void WaterSimulation::SetSurface(Vel_DX8_PixelShaderSurface* s) { surface = s; }
void WaterSimulation::SetEffect(ShaderEffect* e) { effect = e; }
void WaterSimulation::SetDeviceChannel(Vel_DX8_DirectGraphicsChannel* d) { device = d; }

IDirect3DTexture8* WaterSimulation::GetNormalMap() { return targets[normalMapIndex].texture; }
IDirect3DTexture8* WaterSimulation::GetHeightMap() { return targets[heightIndex].texture; }

IDirect3DDevice8* WaterSimulation::D3DDevice() const { return device ? device->GetDirect3dDevice() : nullptr; }

void WaterSimulation::Report(const char* text) const {
  if (engine) engine->errorFunctor(text);
}

IDirect3DTexture8* WaterSimulation::MaskTexture(UINT* width, UINT* height) {
  return image_pass::TextureOf(surface ? surface->GetChildFromLinkGuid(vel::kTextureType, 0) : nullptr, width,
                               height);
}

bool WaterSimulation::Initialise() {
  ready = false;
  IDirect3DDevice8* d = D3DDevice();
  if (!d || !effect) return false;
  if (!timeSource && engine) timeSource = engine->InitChannelFromType(vel::kTimeSourceType, nullptr, false);
  phase = 0;
  waterSpeed = 0.5f;
  waveFallOff = 0.5f;
  restorationFactor = 0.5f;
  normalScale = 0.8f;
  waveSpeed = 0.25f;

  const char* text = effect->LoadEffectResource("TEXCOORDOFFSET.TXT");
  if (!text || !effect->AssembleVertexShader(kVertexShader, text, image_pass::kQuadDeclaration)) return false;
  for (int slot = kCombine; slot <= kNormalMap; ++slot) {
    text = effect->LoadEffectResource(kPixelShaderTexts[slot - kCombine]);
    if (!text || !effect->AssemblePixelShader(slot, text)) return false;
  }

  image_pass::SavedTargets saved(d);
  const float offsetScale[4] = {0, 0.5f, 1.0f, 2.0f};
  d->SetVertexShaderConstant(kOffsetScaleRegister, offsetScale, 1);
  CreateTargets();
  if (FAILED(image_pass::CreateQuad(d, engine, "Couldn't create the quad buffer!", "Couldn't lock buffer!", &quad)))
    return false;
  UINT width = 0, height = 0;
  if (MaskTexture(&width, &height)) SetTexelOffsets(static_cast<int>(width), static_cast<int>(height));
  ready = true;
  return true;
}

HRESULT WaterSimulation::CreateTargets() {
  IDirect3DDevice8* d = D3DDevice();
  UINT width = 0, height = 0;
  if (!d || !MaskTexture(&width, &height)) {
    Report("no texture found");
    return E_FAIL;
  }
  for (image_pass::Target& t : targets) t.Release();
  image_pass::SavedTargets saved(d);
  for (image_pass::Target& t : targets) {
    if (FAILED(image_pass::CreateTarget(d, width, height, engine, "Can't CreateTexture!\n",
                                        "Can't Get to top-level texture!\n", &t)))
      return E_FAIL;
    if (FAILED(d->SetRenderTarget(t.surface, nullptr))) {
      Report("Can't SetRenderTarget to new surface!\n");
      return E_FAIL;
    }
  }
  if (FAILED(saved.Restore())) {
    Report("Can't SetRenderTarget to original back-buffer surfaces!\n");
    return E_FAIL;
  }
  return D3D_OK;
}

void WaterSimulation::SetTexelOffsets(int width, int height) {
  IDirect3DDevice8* d = D3DDevice();
  if (!d || width < 1 || height < 1) return;
  texelWidth = 1.0f / static_cast<float>(width);
  texelHeight = 1.0f / static_cast<float>(height);
  // Offsets in texels of sets 0, 1, 2 and 4 for stages 0..3; set 3 follows
  // the fall off. Set 1 samples the 2 x 2 blocks diagonally around the texel
  // on both axes alike.
  const float sets[5][4][2] = {
      {{0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}},
      {{0.5f, 0.5f}, {-1, -1}, {2, -1}, {2, 2}},
      {{0.5f, 0.5f}, {-1, 2}, {0.5f, 0.5f}, {0.5f, 0.5f}},
      {},
      {{-0.5f, 0.5f}, {1.5f, 0.5f}, {0.5f, 1.5f}, {0.5f, -0.5f}},
  };
  for (int set : {0, 1, 2, 4})
    for (int k = 0; k < 4; ++k) {
      const float c[4] = {sets[set][k][0] * texelWidth, sets[set][k][1] * texelHeight, 0, 0};
      d->SetVertexShaderConstant(kFirstOffsetRegister + 5 * k + set, c, 1);
    }
  SetFallOffOffsets();
}

void WaterSimulation::SetFallOffOffsets() {
  IDirect3DDevice8* d = D3DDevice();
  if (!d) return;
  const float targetsInTexels[4][2] = {{0, -0.5f}, {1.5f, 0}, {1.0f, 1.5f}, {-0.5f, 1.0f}};
  for (int k = 0; k < 4; ++k) {
    const float u = 0.5f + waveFallOff * (targetsInTexels[k][0] - 0.5f);
    const float v = 0.5f + waveFallOff * (targetsInTexels[k][1] - 0.5f);
    const float c[4] = {u * texelWidth, v * texelHeight, 0, 0};
    d->SetVertexShaderConstant(kFirstOffsetRegister + 5 * k + 3, c, 1);
  }
}

void WaterSimulation::SetSimulationStates() {
  if (!device || !D3DDevice()) return;
  for (DWORD stage = 0; stage < 4; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSW, D3DTADDRESS_CLAMP);
    device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_NONE);
    device->SetTextureStageState(stage, D3DTSS_TEXTURETRANSFORMFLAGS, 0);
    device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, stage);
    device->SetTextureStageState(stage, D3DTSS_RESULTARG, D3DTA_CURRENT);
  }
  for (DWORD wrap = 0; wrap < 8; ++wrap) device->SetRenderState(D3DRS_WRAP0 + wrap, 0);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  const std::pair<D3DRENDERSTATETYPE, DWORD> states[] = {
      {D3DRS_ALPHABLENDENABLE, FALSE}, {D3DRS_ZENABLE, D3DZB_FALSE}, {D3DRS_ZWRITEENABLE, FALSE},
      {D3DRS_FOGENABLE, FALSE},        {D3DRS_DITHERENABLE, FALSE},  {D3DRS_ALPHATESTENABLE, FALSE},
      {D3DRS_SRCBLEND, D3DBLEND_ONE},  {D3DRS_DESTBLEND, D3DBLEND_ZERO}, {D3DRS_SPECULARENABLE, FALSE},
      {D3DRS_STENCILENABLE, FALSE},    {D3DRS_LIGHTING, FALSE},      {D3DRS_COLORVERTEX, FALSE},
      {D3DRS_FILLMODE, D3DFILL_SOLID}, {D3DRS_CULLMODE, D3DCULL_NONE},
  };
  for (const auto& [state, value] : states) device->SetRenderState(state, value);
}

unsigned WaterSimulation::ElapsedUnits() {
  auto* clock = vel::As<Vel_TimeSourceChannel>(timeSource, vel::kTimeSourceType);
  return clock ? clock->GetElapsedTicks() : 0;
}

void WaterSimulation::Tick() { Advance(ElapsedUnits()); }

bool WaterSimulation::Advance(unsigned units) {
  accumulatedTime += units;
  if (accumulatedTime < kUnitsPerStep) return false;
  accumulatedTime = 0;
  IDirect3DDevice8* d = D3DDevice();
  if (!d || !ready) return false;

  UINT width = 0, height = 0;
  if (MaskTexture(&width, &height)) SetTexelOffsets(static_cast<int>(width), static_cast<int>(height));
  image_pass::SavedTargets saved(d);
  const float offsetScale[4] = {0, 0.5f, 1.0f, 2.0f};
  d->SetVertexShaderConstant(kOffsetScaleRegister, offsetScale, 1);
  SetSimulationStates();
  const float set0[4] = {0, 0, 0, 0};
  d->SetVertexShaderConstant(50, set0, 1);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  if (FAILED(d->SetVertexShader(effect ? effect->GetVertexShader(kVertexShader) : 0)))
    Report("!SetVertexShader");
  if (FAILED(d->SetStreamSource(0, quad, sizeof(image_pass::QuadVertex))))
    Report("!SetStreamSource");
  quadTransform = image_pass::QuadTransform(2.0f, 4.0f);
  if (FAILED(d->SetVertexShaderConstant(2, &quadTransform, 4))) Report("!SetVertexShaderConstant");

  if (FAILED(DoSingleTimeStep())) Report("!DoSingleTimeStep");

  saved.Restore();
  for (DWORD stage = 0; stage < 4; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_NONE);
  }
  return true;
}
