// TexelAccessor: texels of an A8R8G8B8 texture read and written by level,
// as colours, heights or encoded normals. Levels are locked on first use and
// unlocked when the accessor goes; it holds a reference on the texture while
// it lives.
#pragma once

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8math.h>

class TexelAccessor {
 public:
  static constexpr int kMaxLevels = 12;

  explicit TexelAccessor(IDirect3DTexture8* texture);
  ~TexelAccessor();
  TexelAccessor(const TexelAccessor&) = delete;
  TexelAccessor& operator=(const TexelAccessor&) = delete;

  // True when level 0 is A8R8G8B8: the only format read and written here.
  bool Usable() const { return usable_; }
  // Levels that can be locked (at most kMaxLevels).
  int LevelCount() const { return levels_; }
  // Locks `level`; false when it cannot be.
  bool Lock(int level);
  void Unlock(int level);
  UINT Width(int level) const { return width_[level]; }
  UINT Height(int level) const { return height_[level]; }

  // Texel (x, y) of a locked level, 0xAARRGGBB.
  DWORD ReadTexel(int level, UINT x, UINT y) const;
  void WriteTexel(int level, UINT x, UINT y, DWORD value);
  // The texel's brightness, 0.3 R + 0.59 G + 0.11 B, in 0..1.
  float ReadHeight(int level, UINT x, UINT y) const;
  // Encodes a unit normal: each component from -1..1 to 0..255, alpha 255.
  void WriteNormal(int level, UINT x, UINT y, const D3DXVECTOR3& n);

 private:
  DWORD* Row(int level, UINT y) const;

  IDirect3DTexture8* texture_;
  bool usable_;
  int levels_;
  bool locked_[kMaxLevels];
  D3DLOCKED_RECT rect_[kMaxLevels];
  UINT width_[kMaxLevels];
  UINT height_[kMaxLevels];
};
