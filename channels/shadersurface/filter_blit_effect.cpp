#include "filter_blit_effect.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "texture/vel_dx8_texture.h"
#include "vel_child_access.h"
#include "vel_dx8_pixel_shader_surface.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kBlurDescription =
    "Blur Pixel Shader\n\nThis channel is able to blur the texture that is linked:\n\nIt needs the following "
    "children:\n1) DX8 ObjectData - Object data to use\n2) DX8 Material - Material settings for texture\n3) DX8 "
    "Texture - Source texture\n4) Shader Info - Parameters for the shader\n\nThe Surface Info channel needs the "
    "following channels linked:\n\n1) Value - Blurryness (0 - 4)";
const char* const kSharpenDescription =
    "This shader will sharpen the source texture.\n\nThis channel needs the following channels linked:\n\n1) DX8 "
    "ObjectData - Object data to use\n2) DX8 Material - Material settings for texture\n3) DX8 Texture - Texture to "
    "sharpen\n\nThe Shader Info channel is not used";
const char* const kEdgeDescription =
    "This shader uses a convolution filter to achieve a edge detect effect.\n\nThis channel needs the following "
    "channels linked:\n\n1) DX8 ObjectData - Object data to use\n2) DX8 Material - Material settings for "
    "texture\n3) DX8 Texture - Source texture to blur\n\nThe Shader Info channel is not used";

// Pixel shader 0 of each mode; edge detection adds the two edge filters.
const char* const kModeShaders[3] = {"BlurBlit.nvp", "SharpenBlit.nvp", "LuminanceBlit.nvp"};
const char* const kEdgeShader = "LuminanceDiagEdgeBlit.nvp";
const char* const kSensitiveEdgeShader = "LuminanceSensitiveDiagEdgeBlit.nvp";

constexpr float kTwoThirdsPi = 2.0943951f;

}  // namespace

FilterBlitEffect::FilterBlitEffect(int mode) : quad(nullptr), mode(mode) {}

FilterBlitEffect::~FilterBlitEffect() { ReleaseTargets(); }

void FilterBlitEffect::ReleaseTargets() {
  image_pass::SafeRelease(quad);
  for (image_pass::Target& t : targets) t.Release();
  stateBlock.Release();
}

void FilterBlitEffect::InvalidateDeviceObjects() {
  ShaderEffect::InvalidateDeviceObjects();
  ReleaseTargets();
}

const DWORD* FilterBlitEffect::GetVertexDeclaration() { return image_pass::kQuadDeclaration; }

bool FilterBlitEffect::OwnsStageStates() { return true; }

bool FilterBlitEffect::UsesVertexComponent(int index) { return index == kPosition || index == kTexUV; }

const char* FilterBlitEffect::GetDescription() {
  switch (mode) {
    case kBlur: return kBlurDescription;
    case kSharpen: return kSharpenDescription;
    case kEdgeDetection: return kEdgeDescription;
    default: return nullptr;
  }
}

void FilterBlitEffect::SetTexelConstants(int width, int height) {
  IDirect3DDevice8* d = D3DDevice();
  if (!d || width < 1 || height < 1) return;
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  const float half = 0.5f, twoThirds = 2.0f / 3.0f, nudge = 0.001f;
  // offsets[j][k]: kernel j, stage k, in texture coordinates.
  const float offsets[kKernels][4][2] = {
      {{0, 0}, {0, 0}, {0, 0}, {0, 0}},
      {{-half / w, -half / h}, {-half / w, half / h}, {half / w, half / h}, {half / w, -half / h}},
      {{nudge - half / w, nudge - half / h},
       {nudge - half / w, 1.5f / h - nudge},
       {1.5f / w - nudge, 1.5f / h - nudge},
       {1.5f / w - nudge, nudge - half / h}},
      {{0, 0},
       {0, -1.0f / h},
       {std::sin(kTwoThirdsPi) / w, -std::cos(kTwoThirdsPi) / h},
       {std::sin(2 * kTwoThirdsPi) / w, -std::cos(2 * kTwoThirdsPi) / h}},
      {{-twoThirds / w, -twoThirds / h}, {-twoThirds / w, twoThirds / h}, {twoThirds / w, twoThirds / h},
       {twoThirds / w, -twoThirds / h}},
  };
  for (int k = 0; k < 4; ++k)
    for (int j = 0; j < kKernels; ++j) {
      const float c[4] = {offsets[j][k][0], offsets[j][k][1], 0, 0};
      d->SetVertexShaderConstant(8 + 5 * k + j, c, 1);
    }
}

void FilterBlitEffect::ApplySavedStates() { stateBlock.Apply(); }

HRESULT FilterBlitEffect::CreateRenderTargets() {
  image_pass::SafeRelease(quad);
  for (image_pass::Target& t : targets) t.Release();
  IDirect3DDevice8* d = D3DDevice();
  if (!d) return E_FAIL;
  UINT width = 0, height = 0;
  image_pass::TextureOf(owner ? owner->GetChildFromLinkGuid(vel::kTextureType, 0) : nullptr, &width, &height);
  for (image_pass::Target& t : targets)
    if (FAILED(image_pass::CreateTarget(d, width, height, engine, "Error creating render target",
                                        "Error GetSurfaceLevel", &t)))
      return E_FAIL;
  HRESULT hr = image_pass::CreateQuad(d, engine, "Error CreateVertexBuffer", "Error Lock", &quad);
  return FAILED(hr) ? hr : D3D_OK;
}

bool FilterBlitEffect::RestoreDeviceObjects() {
  if (const char* text = LoadEffectResource("FilterBlit.nvv"))
    if (!AssembleVertexShader(0, text, nullptr)) return false;
  if (mode >= kBlur && mode <= kEdgeDetection)
    if (const char* text = LoadEffectResource(kModeShaders[mode]))
      if (!AssemblePixelShader(0, text)) return false;
  if (mode == kEdgeDetection) {
    if (const char* text = LoadEffectResource(kEdgeShader))
      if (!AssemblePixelShader(1, text)) return false;
    if (const char* text = LoadEffectResource(kSensitiveEdgeShader))
      if (!AssemblePixelShader(2, text)) return false;
  }
  if (!BuildMeshBuffers()) return false;
  IDirect3DDevice8* d = D3DDevice();
  if (!d) return false;
  image_pass::SavedTargets saved(d);
  if (FAILED(CreateRenderTargets())) Report("Error Initializing Texture Shader");
  if (FAILED(saved.Restore())) Report("SetRenderTarget failed");
  return true;
}

float FilterBlitEffect::Kernel() {
  if (mode != kBlur) return 1;
  const float value = FloatInput(0, static_cast<float>(kDefaultBlurKernel));
  // The vertex shader rounds the value to the nearest kernel; keep it inside
  // the table.
  if (!(value == value)) return 0;
  return std::clamp(value, 0.0f, static_cast<float>(kKernels - 1));
}

void FilterBlitEffect::DrawPasses(IDirect3DDevice8* d, IDirect3DTexture8* source) {
  for (int pass = 0; pass < kTargets; ++pass) {
    d->SetRenderTarget(targets[pass].surface, nullptr);
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    IDirect3DBaseTexture8* input = nullptr;
    if (pass == 0)
      input = source;
    else if (mode != kEdgeDetection)
      input = targets[pass - 1].texture;
    if (input)
      for (DWORD stage = 0; stage < 4; ++stage) d->SetTexture(stage, input);
    if (mode == kEdgeDetection && pass > 0) d->SetPixelShader(GetPixelShader(pass == 1 ? 2 : 1));
    d->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  }
}

void FilterBlitEffect::Render() {
  IDirect3DDevice8* d = D3DDevice();
  if (!d) return;
  stateBlock.Capture(d);

  const D3DVIEWPORT8 viewport = device->GetViewPort();
  image_pass::SavedTargets saved(d);

  const D3DXMATRIX transform = image_pass::QuadTransform(2.0f, 4.0f);
  d->SetVertexShaderConstant(0, &transform, 4);

  Orn_Channel* sourceChild = owner ? owner->GetChildFromLinkGuid(vel::kTextureType, 0) : nullptr;
  Vel_DX8_Texture* source = image_pass::AsTexture(sourceChild);
  UINT width = 0, height = 0;
  IDirect3DTexture8* sourceTexture = image_pass::TextureOf(source, &width, &height);
  if (source) {
    SetTexelConstants(static_cast<int>(width), static_cast<int>(height));
    source->SetTexture(0);
  }

  image_pass::SetFilterStages(d, D3DTOP_SELECTARG1);
  d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  d->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);

  const float kernel[4] = {Kernel(), 0, 0, 0};
  d->SetVertexShaderConstant(4, kernel, 1);

  d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  d->SetPixelShader(GetPixelShader(0));
  d->SetVertexShader(GetVertexShader(0));
  d->SetStreamSource(0, quad, sizeof(image_pass::QuadVertex));

  // Passes only into targets that all exist: a failed restore draws none.
  bool targetsReady = quad != nullptr;
  for (const image_pass::Target& t : targets) targetsReady = targetsReady && t.surface;
  if (sourceTexture && targetsReady) DrawPasses(d, sourceTexture);

  saved.Restore();
  ApplySavedStates();
  d->SetPixelShader(0);

  auto* mesh = vel::ChildAs<Vel_DX8_ObjectDataChannel>(owner, 0, vel::kObjectDataType);
  if (!mesh) return;
  d->SetTexture(0, targets[kTargets - 1].texture);
  for (DWORD stage = 1; stage < 4; ++stage) d->SetTexture(stage, nullptr);
  device->SetViewPort(viewport);
  // The mesh tests its bounds where this surface puts it.
  mesh->SetWorldMatrix(owner->GetWorldMatrix());
  mesh->StreamVertexData();
}
