#include "ocean_effect.h"

#include "bump_effect_textures.h"
#include "device/vel_dx8_direct_graphics_channel.h"
#include "vel_dx8_pixel_shader_surface.h"
#include "vel_project_values.h"
#include "vertex_declaration.h"

#include <cmath>
#include <cstring>

using namespace vel_fx;

static_assert(OceanEffect::kVertexBytes == 135200);
static_assert(OceanEffect::kIndices == 8446);
static_assert(OceanEffect::kTriangles == 8444);

OceanEffect::OceanEffect()
    : MeshShaderEffect({kPosition, kTexUV},
                       {DeclStream(0), DeclRegister(0, kFloat3), DeclRegister(1, kFloat3), DeclRegister(2, kFloat2),
                        kDeclEnd},
                       {}, "Ocean.nvv", nullptr) {}

OceanEffect::~OceanEffect() { ReleaseObjects(); }

void OceanEffect::ReleaseObjects() {
  if (grid_) grid_->Release();
  if (strip_) strip_->Release();
  if (bump_) bump_->Release();
  grid_ = nullptr;
  strip_ = nullptr;
  bump_ = nullptr;
}

bool OceanEffect::PixelShaders() { return owner && owner->GetVertexShaderSupport(); }

std::vector<WORD> OceanEffect::StripIndices() {
  std::vector<WORD> out;
  out.reserve(kIndices);
  for (int i = 0; i < kGrid - 1; ++i) {
    for (int j = 0; j < kGrid; ++j) {
      out.push_back(static_cast<WORD>(kGrid * i + j));
      out.push_back(static_cast<WORD>(kGrid * (i + 1) + j));
    }
    if (i < kGrid - 2) {
      out.push_back(static_cast<WORD>(kGrid * (i + 1) + kGrid - 1));
      out.push_back(static_cast<WORD>(kGrid * (i + 1)));
    }
  }
  return out;
}

bool OceanEffect::RestoreDeviceObjects() {
  IDirect3DDevice8* d3d = D3DDevice();
  if (!d3d) return false;
  const bool shaders = PixelShaders();
  if (const char* text = LoadEffectResource("Ocean.nvv"))
    if (!AssembleVertexShader(0, text, nullptr)) return false;
  if (shaders)
    if (const char* text = LoadEffectResource("Ocean.nvp"))
      if (!AssemblePixelShader(0, text)) return false;

  ReleaseObjects();
  const DWORD usage = shaders ? (D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC) : (D3DUSAGE_DYNAMIC | D3DUSAGE_SOFTWAREPROCESSING);
  if (FAILED(d3d->CreateVertexBuffer(kVertexBytes, usage, 0, D3DPOOL_DEFAULT, &grid_))) {
    grid_ = nullptr;
    Report("Failed to create dynamic vertex buffer!");
    return false;
  }
  if (FAILED(d3d->CreateIndexBuffer(kIndices * sizeof(WORD), usage, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &strip_))) {
    strip_ = nullptr;
    Report("Failed to create dynamic index buffer!");
    return false;
  }
  BYTE* data = nullptr;
  if (FAILED(strip_->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data) {
    Report("Failed to lock dynamic index buffer!");
    return false;
  }
  const std::vector<WORD> indices = StripIndices();
  std::memcpy(data, indices.data(), indices.size() * sizeof(WORD));
  strip_->Unlock();
  if (shaders && FAILED(D3DXCreateTexture(d3d, 64, 64, 1, 0, D3DFMT_Q8W8V8U8, D3DPOOL_MANAGED, &bump_))) {
    bump_ = nullptr;
    Report("Couldn't create bump texture!");
    return false;
  }
  buffersReady = true;
  return true;
}

void OceanEffect::InvalidateDeviceObjects() {
  MeshShaderEffect::InvalidateDeviceObjects();
  ReleaseObjects();
}

void OceanEffect::FillBumpTexture() {
  D3DLOCKED_RECT rect;
  if (!bump_ || FAILED(bump_->LockRect(0, &rect, nullptr, 0)) || !rect.pBits) return;
  for (int i = 0; i < OceanWaveField::kSize; ++i) {
    auto* row = static_cast<BYTE*>(rect.pBits) + static_cast<ptrdiff_t>(i) * rect.Pitch;
    for (int j = 0; j < OceanWaveField::kSize; ++j) {
      const D3DXVECTOR4 n = NormalisedWithW(D3DXVECTOR3(field_.GetSlopeX(j, i), 64.0f, field_.GetSlopeZ(j, i)), 0);
      BYTE* texel = row + 4 * j;
      texel[0] = static_cast<BYTE>(static_cast<signed char>(n.x * 127.5f));
      texel[1] = static_cast<BYTE>(static_cast<signed char>(n.y * 127.5f));
      texel[2] = static_cast<BYTE>(static_cast<signed char>(n.z * 127.5f));
      texel[3] = 0;
    }
  }
  bump_->UnlockRect(0);
}

void OceanEffect::Render() {
  if (!CanDraw() || !grid_ || !strip_) return;
  IDirect3DDevice8* d3d = D3DDevice();
  field_.Update(FloatInput(0, 0.0f));
  const bool shaders = PixelShaders() && bump_;
  if (shaders) FillBumpTexture();

  BYTE* data = nullptr;
  if (FAILED(grid_->Lock(0, 0, &data, D3DLOCK_DISCARD)) || !data) return;
  auto* out = reinterpret_cast<float*>(data);
  for (int i = 0; i < kGrid; ++i)
    for (int j = 0; j < kGrid; ++j) {
      const float x = static_cast<float>(j) / 64.0f, z = static_cast<float>(i) / 64.0f;
      const float v[8] = {field_.GetDisplacementX(j, i) + x, field_.GetHeight(j, i), field_.GetDisplacementZ(j, i) + z,
                          field_.GetSlopeX(j, i), 64.0f, field_.GetSlopeZ(j, i), x, 1.0f - z};
      std::memcpy(out, v, sizeof v);
      out += 8;
    }
  grid_->Unlock();

  d3d->SetStreamSource(0, grid_, 32);
  d3d->SetIndices(strip_, 0);
  d3d->SetVertexShader(GetVertexShader(0));
  if (shaders) {
    d3d->SetPixelShader(GetPixelShader(0));
    d3d->SetTexture(0, bump_);
    d3d->SetTexture(1, nullptr);
    d3d->SetTexture(2, nullptr);
    BindBumpTexture(owner, 0, 3);
  }
  for (int tileZ = -1; tileZ <= 0; ++tileZ)
    for (int tileX = -1; tileX <= 0; ++tileX) {
      SetTileConstants(tileX, tileZ);
      d3d->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, kGrid * kGrid, 0, kTriangles);
    }
  for (DWORD stage = 0; stage < 4; ++stage) d3d->SetTexture(stage, nullptr);
  if (shaders) d3d->SetPixelShader(0);
}

void OceanEffect::SetTileConstants(int tileX, int tileZ) {
  IDirect3DDevice8* d3d = D3DDevice();
  if (!d3d || !device) return;
  const float intensity = FloatInput(1, 4.0f);
  const float offset = FloatInput(2, 10.0f);
  float* stored[] = {&windDirection_, &windSpeed_, &waveHeight_, &windInfluence_, &choppiness_, &damping_};
  bool changed = false;
  for (int n = 0; n < 6; ++n) {
    const float value = FloatInput(3 + n, *stored[n]);
    if (value != *stored[n]) *stored[n] = value, changed = true;
  }
  // The same seed: equal parameters always give the same sea.
  if (changed)
    field_.SetParameters(OceanWaveField::kDefaultSeed, windDirection_, windSpeed_, waveHeight_, windInfluence_,
                         choppiness_, damping_);
  const D3DXVECTOR3 surface = VectorInput(0, D3DXVECTOR3(67.5f / 255.0f, 0.5f, 139.5f / 255.0f));
  const D3DXVECTOR3 water = VectorInput(1, D3DXVECTOR3(36.0f / 255.0f, 0.3f, 93.0f / 255.0f));

  const D3DXVECTOR3 eye = EyePosition();
  SetConstant(4, eye.x, eye.y, eye.z, 1);
  D3DXMATRIX clip = device->GetWorldMatrix() * View() * Projection(), transposed;
  D3DXMatrixTranspose(&transposed, &clip);
  SetMatrixConstant(0, transposed);
  SetConstant(11, 512, 8, 512, 1);
  SetConstant(12, 512.0f * static_cast<float>(tileX), 0, 512.0f * static_cast<float>(tileZ), 0);
  SetConstant(10, offset, offset, 0, 0);
  SetConstant(13, 0.00001f, 0, 0, 0);
  SetConstant(14, 8, 0, 0, 0);
  SetConstant(15, intensity, 0.25f, 0, 0);
  SetConstant(5, 0, 0.5f, 1, 2);
  if (PixelShaders()) {
    const D3DXVECTOR4 c0(surface.x, surface.y, surface.z, 0), c1(water.x, water.y, water.z, 0);
    d3d->SetPixelShaderConstant(0, &c0, 1);
    d3d->SetPixelShaderConstant(1, &c1, 1);
  }
}

const char* OceanEffect::GetDescription() {
  return "The Ocen Waves Pixel/Vertext shader needs the\nfollowing channels (DX8 ObjectData not needed):\n\n1) DX8 "
         "Material - Material settings for texture\n2) DX8 CubeTexture - Cube texture that is added \n    and "
         "reflected to simulate specular lighting.\n\nThe Shader Info channel needs the following channels "
         "linked:\n\n1) Value - Time index for wave motion\n2) Value - Intensity of the environement map\n3) Value - "
         "Texture offset for the environment map (>0)\n4) Value - Wind Direction (0 - 2pi)\n5) Value - Wind Speed "
         "(>0)\n6) Value - Wave Height (0 - 1000+)\n7) Value - Wind influence (0 - 100+)\n8) Value - 'Choppyness' "
         "Factor (0 - 1)\n9) Value Vector - Surface color\n10) Value Vector - Water color";
}
