// The texture channel: binding to a texture stage and the alpha taken from a
// second texture.
#include "texture/vel_dx8_texture.h"

#include "device/vel_dx8_direct_graphics_channel.h"
#include "floatvalue/vel_float_channel.h"
#include "groupbuffer/group_buffer_channel.h"
#include "vel_child_access.h"
#include "vel_project_values.h"
#include "vel_type_guids.h"

#include <cstring>
#include <memory>

void Vel_DX8_Texture::SetTexture(int stage) {
  CheckGroupBuffer();
  if (!directGraphics_) return;
  if (!texture_) RestoreTexture();
  if (isNormalMap_) {
    if (!normalMap_) return;
    IDirect3DDevice8* device = directGraphics_->GetDirect3dDevice();
    if (!device) return;
    float scale = 1.0f;
    if (Vel_FloatChannel* child = vel::ChildAs<Vel_FloatChannel>(this, kBumpScaleSlot, vel::kFloatType))
      scale = vel::FiniteOr(child->GetFloat(), 1.0f);
    DWORD bits;
    std::memcpy(&bits, &scale, sizeof bits);
    // The bump-environment matrix of stage 1, whichever stage the map is bound to.
    directGraphics_->SetTextureStageState(1, D3DTSS_BUMPENVMAT00, bits);
    directGraphics_->SetTextureStageState(1, D3DTSS_BUMPENVMAT11, bits);
    device->SetTexture(static_cast<DWORD>(stage), normalMap_);
    return;
  }
  if (!texture_) return;
  CheckAplhaRefresh();
  IDirect3DDevice8* device = directGraphics_->GetDirect3dDevice();
  if (!device) return;
  device->SetTexture(static_cast<DWORD>(stage), texture_);
}

void Vel_DX8_Texture::ClearTexture(int stage) {
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (device) device->SetTexture(static_cast<DWORD>(stage), nullptr);
}

const Vel_DX8_Texture::BindLinks& Vel_DX8_Texture::CurrentBindLinks() {
  if (bindLinks_.stamp.Fresh(this)) return bindLinks_;
  bindLinks_.groupBuffer = vel::ChildAs<GroupBufferChannel>(this, kGroupBufferSlot, vel::kGroupBufferType);
  bindLinks_.alpha = GetChild(kAlphaSlot);
  bindLinks_.stamp.Take(this);
  return bindLinks_;
}

void Vel_DX8_Texture::CheckAplhaRefresh() {
  Orn_Channel* linked = CurrentBindLinks().alpha;
  if (linked != alphaChildSeen_) {
    alphaChildSeen_ = linked;
    alphaRefresh_ = true;
  }
  Vel_DX8_Texture* alpha =
      alphaRefresh_ ? vel::ChildAs<Vel_DX8_Texture>(this, kAlphaSlot, vel::kTextureType) : nullptr;
  if (alpha) {
    if (!hasAlpha_) {
      // Made again with an alpha channel and a single level.
      hasAlpha_ = true;
      mipLevels_ = 1;
      TryAgainNow();
      RestoreTexture();
    }
    if (!AddAplhaTexture(alpha) && engine) engine->errorFunctor("Error applying alpha to texture : ", GetChannelName());
  }
  alphaRefresh_ = false;
}

bool Vel_DX8_Texture::AddAplhaTexture(Vel_DX8_Texture* alpha) {
  if (!alpha) return false;
  D3DSURFACE_DESC own = GetTextureDescription(0);
  if (!texture_) return false;
  // The alpha texture's image at this texture's size, one level, A8R8G8B8.
  std::unique_ptr<Vel_DX8_Texture> scaled(MakeHelperTexture());
  if (!scaled) return false;
  scaled->SetDesiredWidth(static_cast<int>(own.Width));
  scaled->SetDesiredHeight(static_cast<int>(own.Height));
  scaled->SetMipMapLevels(1);
  scaled->SetForceARGB(true);
  if (!alpha->CopyOurselvesIntoTexture(scaled.get(), false)) return false;
  IDirect3DTexture8* source = scaled->GetTexture();
  D3DSURFACE_DESC other;
  if (!source || source->GetLevelDesc(0, &other) != D3D_OK) return false;
  if (own.Format != D3DFMT_A8R8G8B8 || other.Format != D3DFMT_A8R8G8B8 || own.Width != other.Width ||
      own.Height != other.Height)
    return false;

  D3DLOCKED_RECT to, from;
  if (texture_->LockRect(0, &to, nullptr, 0) != D3D_OK) return false;
  if (source->LockRect(0, &from, nullptr, 0) != D3D_OK) {
    texture_->UnlockRect(0);
    return false;
  }
  for (UINT y = 0; y < own.Height; ++y) {
    BYTE* target = static_cast<BYTE*>(to.pBits) + static_cast<size_t>(y) * to.Pitch;
    const BYTE* texel = static_cast<const BYTE*>(from.pBits) + static_cast<size_t>(y) * from.Pitch;
    // Texels are blue, green, red, alpha in memory.
    for (UINT x = 0; x < own.Width; ++x, target += 4, texel += 4) target[3] = (texel[0] + texel[1] + texel[2]) / 3;
  }
  source->UnlockRect(0);
  texture_->UnlockRect(0);
  return true;
}
