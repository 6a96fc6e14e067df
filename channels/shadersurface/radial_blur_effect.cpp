#include "radial_blur_effect.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "texture/vel_dx8_texture.h"
#include "vel_child_access.h"
#include "vel_dx8_pixel_shader_surface.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <algorithm>

namespace {
const char* const kDescription =
    "A radial blur effect on the source texture.\n\nThis channel needs the following channels linked:\n\n1) DX8 "
    "ObjectData - Object data to use\n2) DX8 Material - Material settings for texture\n3) DX8 Texture - Source "
    "texture to blur\n\nThe Shader Info channel can have the following channels linked:\n\n1) Value Vector - Blur "
    "Direction\n2) Value Vector - Effect Color\n3) Value - Passes to render (>0)\n4) Value - Alpha intensity "
    "(>0)\n5) Value - Pass offset (0-1)";
}  // namespace

RadialBlurEffect::RadialBlurEffect() : quad(nullptr) {}

RadialBlurEffect::~RadialBlurEffect() { ReleaseTarget(); }

void RadialBlurEffect::ReleaseTarget() {
  stateBlock.Release();
  target.Release();
  image_pass::SafeRelease(quad);
}

void RadialBlurEffect::InvalidateDeviceObjects() {
  ShaderEffect::InvalidateDeviceObjects();
  ReleaseTarget();
}

const DWORD* RadialBlurEffect::GetVertexDeclaration() { return image_pass::kQuadDeclaration; }

bool RadialBlurEffect::OwnsStageStates() { return true; }

bool RadialBlurEffect::UsesVertexComponent(int index) { return index == kPosition || index == kTexUV; }

const char* RadialBlurEffect::GetDescription() { return kDescription; }

void RadialBlurEffect::ApplySavedStates() { stateBlock.Apply(); }

bool RadialBlurEffect::RestoreDeviceObjects() {
  if (const char* text = LoadEffectResource("RADIALBLUR.TXT"))
    if (!AssembleVertexShader(0, text, nullptr)) return false;
  if (const char* text = LoadEffectResource("RADIALPIXEL.TXT"))
    if (!AssemblePixelShader(0, text)) return false;
  if (!BuildMeshBuffers()) return false;
  if (CreateRenderTarget() != D3D_OK) Report("Error Initializing Texture Shader");
  return true;
}

HRESULT RadialBlurEffect::CreateRenderTarget() {
  image_pass::SafeRelease(quad);
  target.Release();
  IDirect3DDevice8* d = D3DDevice();
  Orn_Channel* sourceChild = owner ? owner->GetChildFromLinkGuid(vel::kTextureType, 0) : nullptr;
  if (!d || !sourceChild) return E_FAIL;
  // A child that is no texture channel has no size to take: no target.
  Vel_DX8_Texture* source = image_pass::AsTexture(sourceChild);
  if (!source) return E_FAIL;
  UINT width = 0, height = 0;
  if (!image_pass::TextureOf(source, &width, &height)) {
    Report("Texture was not found, select texture and re-create effect");
    return E_FAIL;
  }
  if (FAILED(image_pass::CreateTarget(d, width, height, engine, "Error creating render target", "Error GetSurfaceLevel",
                                      &target)))
    return E_FAIL;
  return image_pass::CreateQuad(d, engine, "Error CreateVertexBuffer", "Error Lock", &quad);
}

int RadialBlurEffect::PassCount(float passes) {
  return std::clamp(vel::SaturateToInt(passes), 0, kMaxPasses);
}

D3DXVECTOR4 RadialBlurEffect::PassColour(const Settings& s, int i) {
  if (PassCount(s.passes) == 0) return D3DXVECTOR4(0, 0, 0, 0);
  // Pass i fades by (passes - i) / passes; the passes add up, so the
  // colour input is the gain of the whole blur.
  const float fade = (s.passes - static_cast<float>(i)) / s.passes;
  return D3DXVECTOR4(fade * s.colour.x, fade * s.colour.y, fade * s.colour.z, fade * s.alpha);
}

RadialBlurEffect::Settings RadialBlurEffect::ReadSettings() {
  Settings s;
  s.passes = FloatInput(0, s.passes);
  s.alpha = FloatInput(1, s.alpha);
  s.passOffset = FloatInput(2, s.passOffset);
  s.centre = VectorInput(0, s.centre);
  s.colour = VectorInput(1, s.colour);
  return s;
}

void RadialBlurEffect::DrawPasses(IDirect3DDevice8* d, IDirect3DTexture8* source, const Settings& s) {
  d->SetRenderTarget(target.surface, nullptr);
  d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  d->SetTexture(0, source);
  const int n = PassCount(s.passes);
  for (int i = 0; i < n; ++i) {
    const D3DXVECTOR4 colour = PassColour(s, i);
    d->SetPixelShaderConstant(0, &colour, 1);
    const float scale[4] = {1.0f - static_cast<float>(i) * s.passOffset, s.centre.x, s.centre.y, 2.0f};
    d->SetVertexShaderConstant(4, scale, 1);
    d->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  }
}

void RadialBlurEffect::Render() {
  IDirect3DDevice8* d = D3DDevice();
  if (!d) return;
  const Settings s = ReadSettings();
  stateBlock.Capture(d);

  const D3DVIEWPORT8 viewport = device->GetViewPort();
  image_pass::SavedTargets saved(d);
  Orn_Channel* sourceChild = owner ? owner->GetChildFromLinkGuid(vel::kTextureType, 0) : nullptr;
  IDirect3DTexture8* source = image_pass::TextureOf(sourceChild);

  const D3DXMATRIX transform = image_pass::QuadTransform(2.0f, 4.0f);
  d->SetVertexShaderConstant(0, &transform, 4);
  d->SetVertexShader(GetVertexShader(0));
  d->SetPixelShader(GetPixelShader(0));
  d->SetStreamSource(0, quad, sizeof(image_pass::QuadVertex));

  image_pass::SetFilterStages(d, D3DTOP_DISABLE);
  d->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  d->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  d->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);

  if (source && target.surface && quad) DrawPasses(d, source, s);

  saved.Restore();
  d->SetPixelShader(0);
  ApplySavedStates();

  auto* mesh = vel::ChildAs<Vel_DX8_ObjectDataChannel>(owner, 0, vel::kObjectDataType);
  if (!mesh) return;
  d->SetTexture(0, target.texture);
  for (DWORD stage = 1; stage < 4; ++stage) d->SetTexture(stage, nullptr);
  device->SetViewPort(viewport);
  // The mesh tests its bounds where this surface puts it.
  mesh->SetWorldMatrix(owner->GetWorldMatrix());
  mesh->StreamVertexData();
  d->SetTexture(0, nullptr);
}
