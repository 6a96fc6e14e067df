#include "vel_dx8_pixel_shader_surface.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "effect_factory.h"
#include "engine_interface.h"
#include "file_loader.h"
#include "file_saver.h"
#include "material/material_channel.h"
#include "shader_effect.h"
#include "texture/vel_dx8_texture.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <new>

namespace {

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 ShaderSurface", vel::kShaderSurfaceType, vel::kSurfaceType);
  return type;
}

// Texture children bound to stages; the stage after them is disabled.
constexpr int kMaxBoundStages = 7;

}  // namespace

Vel_DX8_PixelShaderSurface::Vel_DX8_PixelShaderSurface()
    : shaderEffectNumber(-1), vertexShaderSupport(false), effect(nullptr), deviceTested(false) {
  SetChannelName("DX8 ShaderSurface");
  SetChildCreationCount(4);
  vel::DeclareSlot(this, kObjectDataSlot, vel::kObjectDataType, "Object Data Channel", "ObjectData");
  vel::DeclareSlot(this, kMaterialSlot, vel::kMaterialType, "DX8 Material", "DX8 Material");
  vel::DeclareMultiSlot(this, kTexturesSlot, vel::kTextureType, "Texture Channel", "Textures");
  vel::DeclareSlot(this, kShaderInfoSlot, vel::kShaderInfoType, "DX8 ShaderInfo", "Shader Info", true);
}

Vel_DX8_PixelShaderSurface::~Vel_DX8_PixelShaderSurface() { Vel_DX8_PixelShaderSurface::Release(); }

// ---------------------------------------------------------------------------
// Record

bool Vel_DX8_PixelShaderSurface::SaveChannel(OrnFileSaver& saver) {
  if (!Vel_DX8_SurfaceChannel::SaveChannel(saver)) return false;
  saver.SaveChunk("PISE", &shaderEffectNumber, sizeof shaderEffectNumber);
  return true;
}

bool Vel_DX8_PixelShaderSurface::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Vel_DX8_SurfaceChannel::LoadChannel(loader, group)) return false;
  int32_t number = -1;
  if (vel::ReadRecordChunk(loader, "PISE", &number, sizeof number, this,
                           "Vel_DX8_PixelShaderSurface::LoadChannel: Corrupt chunk"))
    SetShaderEffect(number);
  return true;
}

// ---------------------------------------------------------------------------
// Effect

void Vel_DX8_PixelShaderSurface::Release() {
  delete effect;
  effect = nullptr;
  shaderEffectNumber = -1;
}

void Vel_DX8_PixelShaderSurface::SetShaderEffect(int number) {
  if (number == shaderEffectNumber) return;
  Release();
  shaderEffectNumber = number;
  effect = MakeShaderEffect(number);
  if (!effect) return;
  effect->engine = engine;
  effect->SetDevice(directGraphics_);
  effect->SetOwner(this);
}

int Vel_DX8_PixelShaderSurface::GetShaderEffect() { return shaderEffectNumber; }

void Vel_DX8_PixelShaderSurface::DoShaderEffect() {
  if (effect) effect->DoShaderEffect();
}

bool Vel_DX8_PixelShaderSurface::GetVertexShaderSupport() { return vertexShaderSupport; }

void Vel_DX8_PixelShaderSurface::SetDebugMode(bool on) {
  if (effect) effect->SetDebugMode(on);
}
bool Vel_DX8_PixelShaderSurface::GetDebugMode() { return effect && effect->GetDebugMode(); }
char* Vel_DX8_PixelShaderSurface::GetShaderErrorCode() {
  return effect ? const_cast<char*>(effect->GetErrorText()) : nullptr;
}
const char* Vel_DX8_PixelShaderSurface::GetShaderDesctiption() { return effect ? effect->GetDescription() : nullptr; }

ShaderEffect* Vel_DX8_PixelShaderSurface::GetEffect() { return effect; }

// ---------------------------------------------------------------------------
// Device

void Vel_DX8_PixelShaderSurface::InvalidateDeviceObjects() {
  if (effect) effect->InvalidateDeviceObjects();
  deviceTested = false;
}

void Vel_DX8_PixelShaderSurface::InvalidateDirectGraphics() {
  // The effect drops its objects while the device still exists, then
  // forgets the device channel with the surface.
  Vel_DX8_SurfaceChannel::InvalidateDirectGraphics();
  if (effect) effect->SetDevice(nullptr);
}

void Vel_DX8_PixelShaderSurface::TestDevice() {
  deviceTested = true;
  if (!directGraphics_) {
    if (engine) engine->errorFunctor("Vel_DX8_PixelShaderSurface : directGraphics_==NULL");
    vertexShaderSupport = false;
    return;
  }
  const D3DCAPS8 caps = directGraphics_->GetDeviceCaps();
  vertexShaderSupport = ((caps.VertexShaderVersion >> 8) & 0xFF) >= 1;
  if (!vertexShaderSupport && engine) engine->debugFunctor("This 3D device has no Pixel Shader support");
}

void Vel_DX8_PixelShaderSurface::BringStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  IDirect3DDevice8* d3d = directGraphics_->GetDirect3dDevice();
  DWORD current = 0;
  if (SUCCEEDED(d3d->GetTextureStageState(stage, type, &current)) && current == value) return;
  directGraphics_->SetTextureStageState(stage, type, value);
  // The device channel skips a value it believes the device holds; a state
  // changed behind its back is set here.
  if (SUCCEEDED(d3d->GetTextureStageState(stage, type, &current)) && current != value)
    d3d->SetTextureStageState(stage, type, value);
}

void Vel_DX8_PixelShaderSurface::BringRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  IDirect3DDevice8* d3d = directGraphics_->GetDirect3dDevice();
  DWORD current = 0;
  if (SUCCEEDED(d3d->GetRenderState(state, &current)) && current == value) return;
  directGraphics_->SetRenderState(state, value);
  if (SUCCEEDED(d3d->GetRenderState(state, &current)) && current != value) d3d->SetRenderState(state, value);
}

// ---------------------------------------------------------------------------
// Drawing

void Vel_DX8_PixelShaderSurface::DoDrawSurface() {
  if (!deviceTested) TestDevice();
  if (!effect || !directGraphics_ || !drawEnabled_) return;
  IDirect3DDevice8* d3d = directGraphics_->GetDirect3dDevice();
  if (!d3d) return;
  // The effect follows the device channel the surface has now.
  effect->SetDevice(directGraphics_);

  const bool ownsStages = effect->OwnsStageStates();
  const int stages = std::min(GetChildTypeCount(vel::kTextureType), kMaxBoundStages);
  directGraphics_->SetRenderState(D3DRS_ZBIAS, settings_.zBias);
  for (int i = 0; i < stages; ++i) {
    const DWORD stage = static_cast<DWORD>(i);
    auto* texture = vel::As<Vel_DX8_Texture>(GetChildFromLinkGuid(vel::kTextureType, i), vel::kTextureType);
    if (texture) {
      if (!ownsStages) {
        BringStageState(stage, D3DTSS_COLOROP, settings_.colorOp[i]);
        BringStageState(stage, D3DTSS_ALPHAOP, settings_.alphaOp[i]);
        BringStageState(stage, D3DTSS_COLORARG1, settings_.colorArg1[i]);
        BringStageState(stage, D3DTSS_COLORARG2, settings_.colorArg2[i]);
        BringStageState(stage, D3DTSS_ALPHAARG1, settings_.alphaArg1[i]);
        BringStageState(stage, D3DTSS_ALPHAARG2, settings_.alphaArg2[i]);
      }
      BringStageState(stage, D3DTSS_TEXCOORDINDEX, settings_.coordIndex[i]);
      BringRenderState(static_cast<D3DRENDERSTATETYPE>(D3DRS_WRAP0 + i), settings_.textureWrap[i]);
      BringStageState(stage, D3DTSS_ADDRESSU, settings_.tilingMode[i]);
      BringStageState(stage, D3DTSS_ADDRESSV, settings_.tilingMode[i]);
      texture->SetTexture(i);
    } else if (!ownsStages) {
      BringStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
      d3d->SetTexture(stage, nullptr);
    }
  }
  if (!ownsStages) {
    if (stages > 0) {
      BringStageState(static_cast<DWORD>(stages), D3DTSS_COLOROP, D3DTOP_DISABLE);
    } else {
      BringStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
      BringStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    }
  }
  ApplyMaterialChild();

  if (vertexShaderSupport || !ownsStages) DoShaderEffect();

  // The effect may have lost its device (a reset inside it): nothing more.
  d3d = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!d3d) return;
  for (int i = 0; i < stages; ++i) {
    const DWORD stage = static_cast<DWORD>(i);
    d3d->SetTexture(stage, nullptr);
    directGraphics_->SetRenderState(D3DRS_WRAP0 + stage, 0);
    directGraphics_->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    if (ownsStages) continue;
    directGraphics_->SetTextureStageState(stage, D3DTSS_COLOROP, i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE);
    directGraphics_->SetTextureStageState(stage, D3DTSS_COLORARG1, i == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT);
    directGraphics_->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  }
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_PixelShaderSurface; }
