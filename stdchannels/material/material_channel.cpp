#include "material/material_channel.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "engine_interface.h"
#include "file_loader.h"
#include "file_saver.h"
#include "floatvalue/vel_float_channel.h"
#include "vectorvalue/vel_vector_channel.h"
#include "vel_child_access.h"
#include "vel_child_slots.h"
#include "vel_chunk_records.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <cmath>
#include <cstring>
#include <new>

static_assert(sizeof(D3DMATERIAL8) == 68, "the saved material is 68 bytes");

namespace {

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("DX8 Material", vel::kMaterialType, vel::kMaterialType);
  return type;
}

// The colour of a vector child in place of `own` (its alpha stays), when the
// child's values are finite.
void TakeColor(Vel_VectorChannel* child, D3DCOLORVALUE* own) {
  if (!child) return;
  D3DXVECTOR3 v = child->GetVector();
  if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) return;
  own->r = v.x;
  own->g = v.y;
  own->b = v.z;
}

void TakeFloat(Vel_FloatChannel* child, float* own) {
  if (!child) return;
  float v = child->GetFloat();
  if (std::isfinite(v)) *own = v;
}

// The material's 17 floats: four colours and the power.
bool AllFinite(const D3DMATERIAL8& m) { return vel::AllFinite(&m.Diffuse.r, 17); }

}  // namespace

MaterialChannel::MaterialChannel() : material_{}, directGraphics_(nullptr) {
  material_.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  material_.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
  material_.Specular = {0.0f, 0.0f, 0.0f, 1.0f};
  material_.Emissive = {0.0f, 0.0f, 0.0f, 1.0f};
  SetChannelName("DX8 Material");
  SetChildCreationCount(kSlotCount);
  vel::DeclareSlot(this, kDiffuse, vel::kVectorType, "Value Vector", "Diffuse");
  vel::DeclareSlot(this, kAmbient, vel::kVectorType, "Value Vector", "Ambient");
  vel::DeclareSlot(this, kSpecular, vel::kVectorType, "Value Vector", "Specular");
  vel::DeclareSlot(this, kEmissive, vel::kVectorType, "Value Vector", "Emissive");
  vel::DeclareSlot(this, kPower, vel::kFloatType, "Value", "Power");
  vel::DeclareSlot(this, kAlpha, vel::kFloatType, "Value", "Alpha");
  directGraphics_ = vel::DeviceChannel(engine);
}

MaterialChannel::~MaterialChannel() = default;

bool MaterialChannel::SaveChannel(OrnFileSaver& saver) {
  if (!Orn_Channel::SaveChannel(saver)) return false;
  saver.SaveChunk("MATE", &material_, sizeof material_);
  return true;
}

bool MaterialChannel::LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) {
  if (!Orn_Channel::LoadChannel(loader, group)) return false;
  const char* kWhere = "MaterialChannel::LoadChannel: Corrupt chunk";
  D3DMATERIAL8 loaded;
  if (!vel::ReadRecordChunk(loader, "MATE", &loaded, sizeof loaded, this, kWhere)) return true;
  // A material that is not a number keeps the defaults.
  if (AllFinite(loaded)) SetMaterial(loaded);
  else vel::ReportCorruptChunk(this, kWhere, "MATE");
  return true;
}

void MaterialChannel::DoDependencyInit(Orn_List* dependencies) {
  AddChannelGuidDepend(vel::kDeviceType, dependencies);
}

void MaterialChannel::ApplyMaterial() {
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device) return;
  D3DMATERIAL8 material = GetMaterial();
  device->SetMaterial(&material);
}

D3DMATERIAL8 MaterialChannel::GetMaterial() {
  D3DMATERIAL8 m = material_;
  const Links& links = CurrentLinks();
  TakeColor(links.colors[0], &m.Diffuse);
  TakeColor(links.colors[1], &m.Ambient);
  TakeColor(links.colors[2], &m.Specular);
  TakeColor(links.colors[3], &m.Emissive);
  TakeFloat(links.power, &m.Power);
  float alpha = m.Diffuse.a;
  TakeFloat(links.alpha, &alpha);
  m.Diffuse.a = m.Ambient.a = m.Specular.a = m.Emissive.a = alpha;
  return m;
}

const MaterialChannel::Links& MaterialChannel::CurrentLinks() {
  if (links_.stamp.Fresh(this)) return links_;
  for (int i = 0; i < 4; ++i)
    links_.colors[i] = vel::ChildAs<Vel_VectorChannel>(this, kDiffuse + i, vel::kVectorType);
  links_.power = vel::ChildAs<Vel_FloatChannel>(this, kPower, vel::kFloatType);
  links_.alpha = vel::ChildAs<Vel_FloatChannel>(this, kAlpha, vel::kFloatType);
  links_.stamp.Take(this);
  return links_;
}

void MaterialChannel::SetMaterial(D3DMATERIAL8 material) {
  if (!AllFinite(material)) return;
  material_ = material;
  material_.Ambient.a = material_.Specular.a = material_.Emissive.a = material_.Diffuse.a;
}

D3DMATERIAL8 MaterialChannel::GetOwnMaterial() { return material_; }

float MaterialChannel::GetMaterialValue(int index) {
  if (index < 0 || index > 16) return 0.0f;
  D3DMATERIAL8 m = GetMaterial();
  float values[17];
  std::memcpy(values, &m, sizeof values);
  return values[index];
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) MaterialChannel; }
