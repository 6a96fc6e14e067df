#include "texture/texel_accessor.h"

#include <algorithm>

TexelAccessor::TexelAccessor(IDirect3DTexture8* texture)
    : texture_(texture), usable_(false), levels_(0), locked_{}, rect_{}, width_{}, height_{} {
  if (!texture_) return;
  texture_->AddRef();
  levels_ = static_cast<int>(std::min<DWORD>(texture_->GetLevelCount(), kMaxLevels));
  for (int i = 0; i < levels_; ++i) {
    D3DSURFACE_DESC desc;
    if (texture_->GetLevelDesc(static_cast<UINT>(i), &desc) != D3D_OK) {
      levels_ = i;
      break;
    }
    if (i == 0) usable_ = desc.Format == D3DFMT_A8R8G8B8;
    width_[i] = desc.Width;
    height_[i] = desc.Height;
  }
}

TexelAccessor::~TexelAccessor() {
  if (!texture_) return;
  for (int i = 0; i < levels_; ++i) Unlock(i);
  texture_->Release();
}

bool TexelAccessor::Lock(int level) {
  if (!usable_ || level < 0 || level >= levels_) return false;
  if (locked_[level]) return true;
  locked_[level] = texture_->LockRect(static_cast<UINT>(level), &rect_[level], nullptr, 0) == D3D_OK;
  return locked_[level];
}

void TexelAccessor::Unlock(int level) {
  if (level < 0 || level >= levels_ || !locked_[level]) return;
  texture_->UnlockRect(static_cast<UINT>(level));
  locked_[level] = false;
}

DWORD* TexelAccessor::Row(int level, UINT y) const {
  return reinterpret_cast<DWORD*>(static_cast<BYTE*>(rect_[level].pBits) + static_cast<size_t>(y) * rect_[level].Pitch);
}

DWORD TexelAccessor::ReadTexel(int level, UINT x, UINT y) const { return Row(level, y)[x]; }
void TexelAccessor::WriteTexel(int level, UINT x, UINT y, DWORD value) { Row(level, y)[x] = value; }

float TexelAccessor::ReadHeight(int level, UINT x, UINT y) const {
  const DWORD t = ReadTexel(level, x, y);
  return 0.3f * static_cast<float>((t >> 16) & 0xFF) / 255.0f + 0.59f * static_cast<float>((t >> 8) & 0xFF) / 255.0f +
         0.11f * static_cast<float>(t & 0xFF) / 255.0f;
}

void TexelAccessor::WriteNormal(int level, UINT x, UINT y, const D3DXVECTOR3& n) {
  auto encode = [](float v) { return static_cast<DWORD>(static_cast<int>((v + 1.0f) * 127.5f)) & 0xFFu; };
  WriteTexel(level, x, y, 0xFF000000u | encode(n.x) << 16 | encode(n.y) << 8 | encode(n.z));
}
