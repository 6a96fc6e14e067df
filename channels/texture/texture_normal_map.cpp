// The texture channel: the normal map bound in place of a texture flagged as
// a normal map. Type 0 is a signed two-channel bump map (du, dv) for the
// bump-environment stage; type 1 an A8R8G8B8 map whose colour encodes the
// surface normal of the image's brightness, on every level.
#include "texture/texel_accessor.h"
#include "texture/vel_dx8_texture.h"

#include "device/vel_dx8_direct_graphics_channel.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr const char* kCreateError = "Vel_DX8_Texture::CreateNormalMap error creating bumpmap texture";

// The signed bump map of an image whose texels are 4 bytes, the first of
// them (blue) the height. Neighbours beyond an edge are the texel itself.
void FillBumpMap(const BYTE* source, int sourcePitch, BYTE* target, int targetPitch, UINT width, UINT height) {
  auto h = [&](UINT x, UINT y) { return static_cast<int>(source[static_cast<size_t>(y) * sourcePitch + x * 4]); };
  for (UINT y = 0; y < height; ++y) {
    const UINT up = y > 0 ? y - 1 : y, down = y + 1 < height ? y + 1 : y;
    BYTE* out = target + static_cast<size_t>(y) * targetPitch;
    for (UINT x = 0; x < width; ++x) {
      const UINT left = x > 0 ? x - 1 : x, right = x + 1 < width ? x + 1 : x;
      const int c = h(x, y), l = h(left, y), r = h(right, y);
      // In a horizontal hollow the slope is taken towards the left side only.
      const int du = c < l && c < r ? l - c : l - r;
      const int dv = h(x, up) - h(x, down);
      out[x * 2] = static_cast<BYTE>(du & 0xFF);
      out[x * 2 + 1] = static_cast<BYTE>(dv & 0xFF);
    }
  }
}
}  // namespace

void Vel_DX8_Texture::CreateNormalMap() {
  IDirect3DDevice8* device = directGraphics_ ? directGraphics_->GetDirect3dDevice() : nullptr;
  if (!device || !texture_) return;
  D3DSURFACE_DESC desc;
  if (texture_->GetLevelDesc(0, &desc) != D3D_OK) return;
  if (normalMap_) normalMap_->Release();
  normalMap_ = nullptr;
  auto fail = [this](const char* text) {
    if (engine) engine->errorFunctor(text, GetChannelName());
  };

  if (normalMapType_ == 0) {
    // The heights are read as 4-byte texels: any other format is refused
    // rather than read past its rows.
    if (desc.Format != D3DFMT_A8R8G8B8 && desc.Format != D3DFMT_X8R8G8B8) {
      fail("Vel_DX8_Texture::CreateNormalMap: the image is not 32 bits a texel");
      return;
    }
    if (device->CreateTexture(desc.Width, desc.Height, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, &normalMap_) != D3D_OK) {
      normalMap_ = nullptr;
      fail(kCreateError);
      return;
    }
    D3DLOCKED_RECT from, to;
    if (texture_->LockRect(0, &from, nullptr, D3DLOCK_READONLY) != D3D_OK) return;
    if (normalMap_->LockRect(0, &to, nullptr, 0) == D3D_OK) {
      FillBumpMap(static_cast<const BYTE*>(from.pBits), from.Pitch, static_cast<BYTE*>(to.pBits), to.Pitch, desc.Width,
                  desc.Height);
      normalMap_->UnlockRect(0);
    }
    texture_->UnlockRect(0);
    return;
  }
  if (normalMapType_ != 1 || imageBytes_.empty()) return;

  if (CreateFromBytes(device, imageBytes_.data(), GetBufferSize(), D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &normalMap_) !=
      D3D_OK) {
    normalMap_ = nullptr;
    fail(kCreateError);
    return;
  }
  TexelAccessor target(normalMap_), source(texture_);
  // Other formats keep the plain image as the map.
  if (!target.Usable() || !source.Usable()) return;
  const int levels = std::min(target.LevelCount(), source.LevelCount());
  for (int i = 0; i < levels; ++i) {
    if (!target.Lock(i) || !source.Lock(i)) break;
    const UINT w = source.Width(i), h = source.Height(i);
    // Heights wrap around every edge.
    auto s = [&](UINT x, int dx, UINT y, int dy) {
      return source.ReadHeight(i, (x % w + w + dx) % w, (y % h + h + dy) % h);
    };
    for (UINT x = 0; x < target.Width(i); ++x)
      for (UINT y = 0; y < target.Height(i); ++y) {
        const float dx =
            (s(x, 1, y, -1) + s(x, 1, y, 0) + s(x, 1, y, 1) - s(x, -1, y, -1) - s(x, -1, y, 0) - s(x, -1, y, 1)) / 6.0f;
        const float dy =
            (s(x, -1, y, -1) + s(x, 0, y, -1) + s(x, 1, y, -1) - s(x, -1, y, 1) - s(x, 0, y, 1) - s(x, 1, y, 1)) / 6.0f;
        const float len = std::sqrt(dx * dx + dy * dy + 1.0f);
        target.WriteNormal(i, x, y, D3DXVECTOR3(-dx / len, -dy / len, 1.0f / len));
      }
    target.Unlock(i);
    source.Unlock(i);
  }
}
