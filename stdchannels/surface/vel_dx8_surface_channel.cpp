#include "surface/vel_dx8_surface_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "file_loader.h"
#include "file_saver.h"
#include "material/material_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "texture/vel_dx8_texture.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <new>

namespace {

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 Surface", vel::kSurfaceType, vel::kSurfaceType);
  return type;
}

uint8_t Flag(bool on) { return on ? 1 : 0; }
bool InStage(int stage) { return stage >= 0 && stage < Vel_DX8_SurfaceChannel::kStages; }

}  // namespace

Vel_DX8_SurfaceChannel::Vel_DX8_SurfaceChannel() : drawEnabled_(directGraphics_ != nullptr), settings_{} {
  SetChannelName("DX8 Surface");
  SetChildCreationCount(3);
  vel::DeclareSlot(this, kObjectDataSlot, vel::kObjectDataType, "Object Data Channel", "ObjectData");
  vel::DeclareSlot(this, kMaterialSlot, vel::kMaterialType, "DX8 Material", "DX8 Material");
  // Any number of textures, bound to stages in link order.
  ChildCreation textures(vel::kTextureType, -1, "Textures");
  textures.acceptedType.SetName("Texture Channel");
  textures.acceptedType.baseType = kWildcardGuid;
  SetChildCreateType(textures, kTexturesSlot);

  // Opaque, depth-tested and depth-writing; stage 0 modulates the texture
  // with the lit colour (colour and alpha), later stages modulate the colour
  // with the stages before and keep their alpha.
  settings_.alphaRejectValue = 8;
  settings_.visible = 1;
  settings_.writeDepth = 1;
  settings_.checkDepth = 1;
  settings_.sourceBlend = D3DBLEND_SRCALPHA;
  settings_.destBlend = D3DBLEND_INVSRCALPHA;
  for (int i = 0; i < kStages; ++i) {
    settings_.colorOp[i] = D3DTOP_MODULATE;
    settings_.colorArg1[i] = D3DTA_TEXTURE;
    settings_.colorArg2[i] = i == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT;
    settings_.alphaOp[i] = i == 0 ? D3DTOP_MODULATE : D3DTOP_SELECTARG2;
    settings_.alphaArg1[i] = D3DTA_TEXTURE;
    settings_.alphaArg2[i] = i == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT;
    settings_.tilingMode[i] = D3DTADDRESS_WRAP;
  }
  D3DXMatrixIdentity(&worldMatrix_);
}

Vel_DX8_SurfaceChannel::~Vel_DX8_SurfaceChannel() = default;

// ---------------------------------------------------------------------------
// Record

bool Vel_DX8_SurfaceChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Vel_DX8_D3DDeviceUse::SaveChannel(saver)) return false;
  saver.SaveChunk("SURF", &settings_, sizeof settings_);
  return true;
}

bool Vel_DX8_SurfaceChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Vel_DX8_D3DDeviceUse::LoadChannel(loader, group)) return false;
  Settings loaded;
  if (!vel::ReadRecordChunk(loader, "SURF", &loaded, sizeof loaded, this,
                            "Vel_DX8_SurfaceChannel::LoadChannel: Corrupt chunk"))
    return true;
  for (uint8_t* flag : {&loaded.alphaRejectTest, &loaded.transparent, &loaded.visible, &loaded.writeDepth,
                        &loaded.checkDepth})
    *flag = Flag(*flag != 0);
  std::fill(std::begin(loaded.reserved), std::end(loaded.reserved), 0);
  if (loaded.transparent != settings_.transparent) ++transparencyChanges;
  settings_ = loaded;
  return true;
}

void Vel_DX8_SurfaceChannel::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kDeviceUseType, dependencies);
  AddChannelGuidDepend(vel::kDeviceType, dependencies);
}

void Vel_DX8_SurfaceChannel::InvalidateDirectGraphics() {
  Vel_DX8_D3DDeviceUse::InvalidateDirectGraphics();
  drawEnabled_ = false;
}

// ---------------------------------------------------------------------------
// Drawing

void Vel_DX8_SurfaceChannel::DrawSurface() {
  if (!settings_.transparent) DrawPass();
}

void Vel_DX8_SurfaceChannel::DrawTransparentSurface() {
  if (settings_.transparent) DrawPass();
}

void Vel_DX8_SurfaceChannel::DrawPass() {
  if (!drawEnabled_ || !settings_.visible || !directGraphics_ || !directGraphics_->GetDirect3dDevice()) return;
  // Surfaces drawn one after another mostly share their settings: the
  // device channel's copies let the unchanged ones through without a call.
  Vel_DX8_DirectGraphicsChannel* device = directGraphics_;
  device->ChangeRenderState(D3DRS_ZENABLE, settings_.checkDepth ? D3DZB_TRUE : D3DZB_FALSE);
  device->ChangeRenderState(D3DRS_ZWRITEENABLE, settings_.writeDepth);
  device->ChangeRenderState(D3DRS_ALPHABLENDENABLE, settings_.transparent);
  if (settings_.transparent) {
    device->ChangeRenderState(D3DRS_SRCBLEND, settings_.sourceBlend);
    device->ChangeRenderState(D3DRS_DESTBLEND, settings_.destBlend);
  }
  device->ChangeRenderState(D3DRS_ALPHATESTENABLE, settings_.alphaRejectTest);
  if (settings_.alphaRejectTest)
    device->ChangeRenderState(D3DRS_ALPHAREF, std::min<uint32_t>(settings_.alphaRejectValue, 255));

  DoDrawSurface();

  // What this surface turned away from the defaults goes back.
  if (settings_.transparent) device->ChangeRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  if (settings_.alphaRejectTest) device->ChangeRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  if (!settings_.writeDepth) device->ChangeRenderState(D3DRS_ZWRITEENABLE, TRUE);
  if (!settings_.checkDepth) device->ChangeRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
}

void Vel_DX8_SurfaceChannel::DoDrawSurface() {
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  Vel_DX8_ObjectDataChannel* mesh = GetObjectData();
  if (!device || !mesh) return;
  directGraphics_->ChangeRenderState(D3DRS_ZBIAS, settings_.zBias);
  const Links& links = CurrentLinks();
  const int stages = BindTextures(device, links);
  ApplyMaterialChild(links);
  device->SetTransform(D3DTS_WORLD, &worldMatrix_);
  mesh->SetWorldMatrix(worldMatrix_);
  mesh->CallChannel();
  UnbindTextures(device, stages);
}

int Vel_DX8_SurfaceChannel::BindTextures(IDirect3DDevice8* d3d, const Links& links) {
  Vel_DX8_DirectGraphicsChannel* device = directGraphics_;
  const int count = links.textureCount;
  // Without textures stage 0 still runs with the surface's settings: a
  // stage without a texture reads opaque white, so the lit colour and the
  // material's alpha come through.
  const int stages = std::max(count, 1);
  for (int i = 0; i < stages; ++i) {
    const DWORD stage = static_cast<DWORD>(i);
    Vel_DX8_Texture* texture = i < count ? links.textures[i] : nullptr;
    if (i < count && !texture) {
      device->ChangeTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_DISABLE);
      d3d->SetTexture(stage, nullptr);
      continue;
    }
    device->ChangeTextureStageState(stage, D3DTSS_COLOROP, settings_.colorOp[i]);
    device->ChangeTextureStageState(stage, D3DTSS_ALPHAOP, settings_.alphaOp[i]);
    device->ChangeTextureStageState(stage, D3DTSS_COLORARG1, settings_.colorArg1[i]);
    device->ChangeTextureStageState(stage, D3DTSS_COLORARG2, settings_.colorArg2[i]);
    device->ChangeTextureStageState(stage, D3DTSS_ALPHAARG1, settings_.alphaArg1[i]);
    device->ChangeTextureStageState(stage, D3DTSS_ALPHAARG2, settings_.alphaArg2[i]);
    device->ChangeTextureStageState(stage, D3DTSS_TEXCOORDINDEX, settings_.coordIndex[i]);
    device->ChangeRenderState(D3DRS_WRAP0 + stage, settings_.textureWrap[i]);
    device->ChangeTextureStageState(stage, D3DTSS_ADDRESSU, settings_.tilingMode[i]);
    device->ChangeTextureStageState(stage, D3DTSS_ADDRESSV, settings_.tilingMode[i]);
    if (texture) texture->SetTexture(i);
    else d3d->SetTexture(stage, nullptr);
  }
  if (stages < kStages) device->ChangeTextureStageState(static_cast<DWORD>(stages), D3DTSS_COLOROP, D3DTOP_DISABLE);
  return stages;
}

void Vel_DX8_SurfaceChannel::UnbindTextures(IDirect3DDevice8* d3d, int stages) {
  Vel_DX8_DirectGraphicsChannel* device = directGraphics_;
  // Back to the device's default stage states.
  for (int i = 0; i < stages; ++i) {
    const DWORD stage = static_cast<DWORD>(i);
    d3d->SetTexture(stage, nullptr);
    device->ChangeRenderState(D3DRS_WRAP0 + stage, 0);
    device->ChangeTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
    device->ChangeTextureStageState(stage, D3DTSS_COLOROP, i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE);
    device->ChangeTextureStageState(stage, D3DTSS_COLORARG1, i == 0 ? D3DTA_DIFFUSE : D3DTA_CURRENT);
    device->ChangeTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    device->ChangeTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device->ChangeTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  }
}

void Vel_DX8_SurfaceChannel::ApplyMaterialChild() { ApplyMaterialChild(CurrentLinks()); }

void Vel_DX8_SurfaceChannel::ApplyMaterialChild(const Links& links) {
  if (links.material) links.material->ApplyMaterial();
  else if (links.materialChild) links.materialChild->CallChannel();
}

const Vel_DX8_SurfaceChannel::Links& Vel_DX8_SurfaceChannel::CurrentLinks() {
  if (links_.stamp.Fresh(this)) return links_;
  links_.mesh = vel::ChildAs<Vel_DX8_ObjectDataChannel>(this, kObjectDataSlot, vel::kObjectDataType);
  links_.materialChild = GetChild(kMaterialSlot);
  links_.material = vel::As<MaterialChannel>(links_.materialChild, vel::kMaterialType);
  links_.textureCount = std::min(GetChildTypeCount(vel::kTextureType), kStages);
  for (int i = 0; i < links_.textureCount; ++i)
    links_.textures[i] = vel::As<Vel_DX8_Texture>(GetChildFromLinkGuid(vel::kTextureType, i), vel::kTextureType);
  links_.stamp.Take(this);
  return links_;
}

// ---------------------------------------------------------------------------
// Settings

void Vel_DX8_SurfaceChannel::SetAlphaRejectValue(DWORD value) { settings_.alphaRejectValue = value; }
DWORD Vel_DX8_SurfaceChannel::GetAlphaRejectValue() { return settings_.alphaRejectValue; }
void Vel_DX8_SurfaceChannel::SetAlphaRejectTest(bool on) { settings_.alphaRejectTest = Flag(on); }
bool Vel_DX8_SurfaceChannel::GetAlphaRejectTest() { return settings_.alphaRejectTest; }
void Vel_DX8_SurfaceChannel::SetTransparentSurface(bool on) {
  if (Flag(on) != settings_.transparent) ++transparencyChanges;
  settings_.transparent = Flag(on);
}

uint64_t Vel_DX8_SurfaceChannel::transparencyChanges = 1;
bool Vel_DX8_SurfaceChannel::GetTransparentSurface() { return settings_.transparent; }
void Vel_DX8_SurfaceChannel::SetVisible(bool on) { settings_.visible = Flag(on); }
bool Vel_DX8_SurfaceChannel::GetVisible() { return settings_.visible; }
void Vel_DX8_SurfaceChannel::SetSourceBlend(DWORD value) { settings_.sourceBlend = value; }
DWORD Vel_DX8_SurfaceChannel::GetSourceBlend() { return settings_.sourceBlend; }
void Vel_DX8_SurfaceChannel::SetDestBlend(DWORD value) { settings_.destBlend = value; }
DWORD Vel_DX8_SurfaceChannel::GetDestBlend() { return settings_.destBlend; }

// Per-stage values; a stage outside 0..7 reads 0 and is not written.
#define VEL_STAGE_VALUE(Get, Set, field)                                                        \
  DWORD Vel_DX8_SurfaceChannel::Get(int stage) { return InStage(stage) ? settings_.field[stage] : 0; } \
  void Vel_DX8_SurfaceChannel::Set(DWORD value, int stage) {                                   \
    if (InStage(stage)) settings_.field[stage] = value;                                         \
  }
VEL_STAGE_VALUE(GetColorOp, SetColorOp, colorOp)
VEL_STAGE_VALUE(GetAplhaOp, SetAplhaOp, alphaOp)
VEL_STAGE_VALUE(GetCoordIndex, SetCoordIndex, coordIndex)
VEL_STAGE_VALUE(GetTextureWrap, SetTextureWrap, textureWrap)
VEL_STAGE_VALUE(GetColorArg1, SetColorArg1, colorArg1)
VEL_STAGE_VALUE(GetColorArg2, SetColorArg2, colorArg2)
VEL_STAGE_VALUE(GetAlphaArg1, SetAlphaArg1, alphaArg1)
VEL_STAGE_VALUE(GetAlphaArg2, SetAlphaArg2, alphaArg2)
#undef VEL_STAGE_VALUE

void Vel_DX8_SurfaceChannel::SetTillingMode(DWORD value, int stage) {
  if (InStage(stage)) settings_.tilingMode[stage] = value;
}
DWORD Vel_DX8_SurfaceChannel::GetTillingMode(int stage) { return InStage(stage) ? settings_.tilingMode[stage] : 0; }

void Vel_DX8_SurfaceChannel::SetWriteDepthBuffer(bool on) { settings_.writeDepth = Flag(on); }
bool Vel_DX8_SurfaceChannel::GetWriteDepthBuffer() { return settings_.writeDepth; }
void Vel_DX8_SurfaceChannel::SetCheckDepthBuffer(bool on) { settings_.checkDepth = Flag(on); }
bool Vel_DX8_SurfaceChannel::GetCheckDepthBuffer() { return settings_.checkDepth; }
DWORD Vel_DX8_SurfaceChannel::GetZBias() { return settings_.zBias; }
void Vel_DX8_SurfaceChannel::SetZBias(DWORD value) { settings_.zBias = value; }

Vel_DX8_ObjectDataChannel* Vel_DX8_SurfaceChannel::GetObjectData() { return CurrentLinks().mesh; }

void Vel_DX8_SurfaceChannel::SetWorldMatrix(D3DXMATRIX m) { worldMatrix_ = m; }
D3DXMATRIX Vel_DX8_SurfaceChannel::GetWorldMatrix() { return worldMatrix_; }

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_DX8_SurfaceChannel; }
