#include "water_effect.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "material/material_channel.h"
#include "texture/vel_dx8_texture.h"
#include "vel_child_access.h"
#include "vel_dx8_pixel_shader_surface.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"
#include "vertex_declaration.h"
#include "water_simulation.h"

#include <new>

namespace {

const char* const kDescription =
    "The shader channel itself needs the following channel linked:\n\n1) DX8 ObjectData - Object data to use\n2) "
    "DX8 Material - Material to use\n3) DX8 Texture - Alpha channel will set where the water will wave (black = "
    "wave)\n4) DX8 Texture - Shape that will hit the water\n5) DX8 CubeTexture - Reflection of water\n\nThe Shader "
    "Info channel needs the following channels linked:\n\n1) Value - Water speed (0 - 1)\n2) Value - Wave speed (0 "
    "- 4)\n3) Value - Wave fall off (0 - 1)\n4) Value - Bounce Factor (>0)\n5) Value - Splash Factor (>0)\n6..x) "
    "DX8 ParticleObject - Particles generate waves\n\nYou are able to link multiple particle object channels to "
    "shader info channel. When a particle hits the water it will generate a wave.";

using vel_fx::DeclRegister;
// Position, normal, three zero floats, u v, S, T, S x T.
const DWORD kDeclaration[] = {vel_fx::DeclStream(0),
                              DeclRegister(0, vel_fx::kFloat3),
                              DeclRegister(1, vel_fx::kFloat3),
                              DeclRegister(2, vel_fx::kFloat3),
                              DeclRegister(3, vel_fx::kFloat2),
                              DeclRegister(5, vel_fx::kFloat3),
                              DeclRegister(6, vel_fx::kFloat3),
                              DeclRegister(4, vel_fx::kFloat3),
                              vel_fx::kDeclEnd};

constexpr float kDefaultBumpScale = 0.25f;
constexpr int kMaterialAlpha = 11;

}  // namespace

WaterEffect::WaterEffect() : simulation(new (std::nothrow) WaterSimulation), ready(false) {}

WaterEffect::~WaterEffect() { delete simulation; }

void WaterEffect::SetOwner(Vel_DX8_PixelShaderSurface* surface) {
  ShaderEffect::SetOwner(surface);
  if (!simulation) return;
  simulation->engine = engine;
  simulation->SetEffect(this);
  simulation->SetSurface(surface);
}

void WaterEffect::SetDevice(Vel_DX8_DirectGraphicsChannel* d) {
  ShaderEffect::SetDevice(d);
  if (simulation) simulation->SetDeviceChannel(d);
}

void WaterEffect::InvalidateDeviceObjects() {
  ShaderEffect::InvalidateDeviceObjects();
  if (simulation) simulation->ReleaseTargets();
  ready = false;
}

const DWORD* WaterEffect::GetVertexDeclaration() { return kDeclaration; }

bool WaterEffect::OwnsStageStates() { return true; }

bool WaterEffect::UsesVertexComponent(int index) {
  return index >= 0 && index <= 8 && index != kZeroFloat && index != kTexU;
}

const char* WaterEffect::GetDescription() { return kDescription; }

bool WaterEffect::RestoreDeviceObjects() {
  IDirect3DDevice8* d = D3DDevice();
  for (int i = 0; i < kShaderSlots && d; ++i) {
    if (vertexShaders[i]) d->DeleteVertexShader(vertexShaders[i]);
    vertexShaders[i] = 0;
    if (pixelShaders[i]) {
      d->DeletePixelShader(pixelShaders[i]);
      shaderCreated = false;
    }
    pixelShaders[i] = 0;
  }
  if (const char* text = LoadEffectResource("BLINREFLECT2.TXT"))
    if (!AssembleVertexShader(0, text, nullptr)) return false;
  if (const char* text = LoadEffectResource("BUMPPIXEL.TXT"))
    if (!AssemblePixelShader(0, text)) return false;
  if (!simulation) return false;
  if (simulation->engine != engine) simulation->engine = engine;
  if (!simulation->Initialise()) {
    Report("Failed to init water class");
    return false;
  }
  if (!BuildMeshBuffers()) return false;
  ready = true;
  return true;
}

void WaterEffect::SetEffectStates() {
  if (!D3DDevice() || !owner) return;
  for (DWORD stage = 0; stage < 4; ++stage) {
    device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
    device->SetTextureStageState(stage, D3DTSS_MIPFILTER, D3DTEXF_POINT);
  }
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetRenderState(D3DRS_FOGENABLE, FALSE);
  device->SetRenderState(D3DRS_DITHERENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, owner->GetTransparentSurface() ? TRUE : FALSE);
  device->SetRenderState(D3DRS_SRCBLEND, owner->GetSourceBlend());
  device->SetRenderState(D3DRS_DESTBLEND, owner->GetDestBlend());
  device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  device->SetRenderState(D3DRS_STENCILENABLE, FALSE);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_COLORVERTEX, TRUE);
  device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
}

void WaterEffect::Render() {
  IDirect3DDevice8* d = D3DDevice();
  if (!ready || !d || !owner || !simulation) return;
  const D3DVIEWPORT8 viewport = device->GetViewPort();
  simulation->Tick();
  SetEffectStates();
  device->SetViewPort(viewport);

  const D3DXMATRIX world = device->GetWorldMatrix(), view = device->GetCameraMatrix(),
                   projection = device->GetProjectionMatrix();
  D3DXMATRIX inverseView;
  D3DXMatrixIdentity(&inverseView);
  vel::InvertFinite(view, &inverseView);

  const float zero[4] = {0, 0, 0, 0}, one[4] = {1, 1, 1, 1};
  d->SetVertexShaderConstant(0, zero, 1);
  d->SetVertexShaderConstant(1, one, 1);
  D3DXVECTOR3 forward(inverseView._31, inverseView._32, inverseView._33);
  D3DXVec3Normalize(&forward, &forward);
  const float eye[4] = {forward.x, forward.y, forward.z, 0};
  d->SetVertexShaderConstant(6, eye, 1);
  D3DXMATRIX clip = world * view * projection, transposed, worldTransposed;
  D3DXMatrixTranspose(&transposed, &clip);
  d->SetVertexShaderConstant(2, &transposed, 4);
  D3DXMatrixTranspose(&worldTransposed, &world);
  d->SetVertexShaderConstant(32, &worldTransposed, 3);
  d->SetVertexShaderConstant(37, &worldTransposed, 3);

  d->SetTexture(0, simulation->GetNormalMap());
  d->SetTexture(1, nullptr);
  d->SetTexture(2, nullptr);
  if (auto* cube = image_pass::AsTexture(owner->GetChildFromLinkGuid(vel::kTextureType, 2))) cube->SetTexture(3);

  // The first float is also the simulation's water speed.
  const float bumpScale = FloatInput(0, kDefaultBumpScale);
  const float bump[4] = {0, 0, 0, bumpScale};
  d->SetVertexShaderConstant(7, bump, 1);
  auto* material = vel::ChildAs<MaterialChannel>(owner, 1, vel::kMaterialType);
  const float alpha = material ? vel::FiniteOr(material->GetMaterialValue(kMaterialAlpha), 1.0f) : 1.0f;
  const float pixelAlpha[4] = {0.5f, 0.5f, 0.5f, alpha};
  d->SetPixelShaderConstant(7, pixelAlpha, 1);

  d->SetPixelShader(GetPixelShader(0));
  d->SetVertexShader(GetVertexShader(0));
  const float up[4] = {0, 1, 0, 0};
  d->SetVertexShaderConstant(51, up, 1);
  DrawMesh();
  d->SetPixelShader(0);
}
