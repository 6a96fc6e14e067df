// CopyRects between surfaces held in memory and surfaces that live in
// OpenGL (render targets, the back buffer, render-target textures), with
// rectangles, destination points and the calls it refuses.
#include "d3d8_fixture.h"

namespace d3d8test {
namespace {

class CopyRectsTest : public DeviceTest {
 protected:
  // An image surface whose texel (x, y) is 0xFF000000 | x << 8 | y.
  IDirect3DSurface8* Ramp(UINT w, UINT h) {
    IDirect3DSurface8* image = nullptr;
    EXPECT_EQ(device_->CreateImageSurface(w, h, D3DFMT_A8R8G8B8, &image), D3D_OK);
    D3DLOCKED_RECT lr;
    EXPECT_EQ(image->LockRect(&lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x) {
        const D3DCOLOR c = 0xFF000000 | x << 8 | y;
        std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch + x * 4, &c, 4);
      }
    image->UnlockRect();
    return image;
  }
  static D3DCOLOR RampAt(UINT x, UINT y) { return 0xFF000000 | x << 8 | y; }
};

// One copy of each kind in a chain: memory to memory, memory to OpenGL,
// OpenGL to OpenGL and OpenGL to memory, each moving rectangles.
TEST_F(CopyRectsTest, RectanglesTravelBetweenMemoryAndRenderTargets) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DSurface8* ramp = Ramp(16, 16);
  IDirect3DTexture8* managed = nullptr;
  ASSERT_EQ(device_->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed), D3D_OK);
  IDirect3DSurface8* level = nullptr;
  managed->GetSurfaceLevel(0, &level);
  IDirect3DSurface8* target = nullptr;
  ASSERT_EQ(device_->CreateRenderTarget(16, 16, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, FALSE, &target), D3D_OK);
  IDirect3DTexture8* rtTexture = nullptr;
  ASSERT_EQ(device_->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &rtTexture),
            D3D_OK);
  IDirect3DSurface8* rtLevel = nullptr;
  rtTexture->GetSurfaceLevel(0, &rtLevel);

  // Whole surfaces.
  ASSERT_EQ(device_->CopyRects(ramp, nullptr, 0, level, nullptr), D3D_OK);
  ASSERT_EQ(device_->CopyRects(level, nullptr, 0, target, nullptr), D3D_OK);
  EXPECT_EQ(Texels(target), Texels(ramp));
  // Two rectangles moved: (0..4, 0..2) to (10, 12) and (8..16, 8..9) to the
  // same place.
  {
    SavedTargets saved(device_);
    ASSERT_EQ(device_->SetRenderTarget(rtLevel, nullptr), D3D_OK);
    ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x12345678, 1.0f, 0), D3D_OK);
  }
  const RECT rects[2] = {{0, 0, 4, 2}, {8, 8, 16, 9}};
  const POINT points[2] = {{10, 12}, {8, 8}};
  ASSERT_EQ(device_->CopyRects(target, rects, 2, rtLevel, points), D3D_OK);
  std::vector<D3DCOLOR> moved = Texels(rtLevel);
  ASSERT_EQ(moved.size(), 256u);
  EXPECT_EQ(moved[12 * 16 + 10], RampAt(0, 0));
  EXPECT_EQ(moved[13 * 16 + 13], RampAt(3, 1));
  EXPECT_EQ(moved[8 * 16 + 15], RampAt(15, 8));
  EXPECT_EQ(moved[0], 0x12345678u) << "texels outside the rectangles stay as they were";
  // Back into memory: only the rectangle changes.
  IDirect3DSurface8* out = Ramp(16, 16);
  const RECT one = {10, 12, 12, 14};
  const POINT origin = {0, 0};
  ASSERT_EQ(device_->CopyRects(rtLevel, &one, 1, out, &origin), D3D_OK);
  std::vector<D3DCOLOR> back = Texels(out);
  EXPECT_EQ(back[0], RampAt(0, 0));
  EXPECT_EQ(back[1 * 16 + 1], RampAt(1, 1));
  EXPECT_EQ(back[2 * 16 + 2], RampAt(2, 2));

  // A managed texture changed by a copy is drawn with its new texels.
  const RECT corner = {0, 0, 1, 1};
  const POINT far = {15, 15};
  ASSERT_EQ(device_->CopyRects(ramp, &corner, 1, level, &far), D3D_OK);
  ShowTexture(managed);
  EXPECT_NEAR_RGB(Pixel(63, 63), 0, 0, 0, 0);
  EXPECT_NEAR_RGB(Pixel(0, 63), 0, 0, 15, 0);

  out->Release();
  rtLevel->Release();
  rtTexture->Release();
  target->Release();
  level->Release();
  managed->Release();
  ramp->Release();
}

TEST_F(CopyRectsTest, RefusedCopiesChangeNothing) {
  ASSERT_TRUE(CreateDevice());
  IDirect3DSurface8 *ramp = Ramp(8, 8), *dest = nullptr, *other = nullptr;
  ASSERT_EQ(device_->CreateImageSurface(8, 8, D3DFMT_A8R8G8B8, &dest), D3D_OK);
  ASSERT_EQ(device_->CreateImageSurface(8, 8, D3DFMT_R5G6B5, &other), D3D_OK);
  const std::vector<D3DCOLOR> before = Texels(dest);
  EXPECT_EQ(device_->CopyRects(ramp, nullptr, 0, ramp, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->CopyRects(ramp, nullptr, 0, other, nullptr), D3DERR_INVALIDCALL);
  // The second point pushes its rectangle out of the destination: the first
  // rectangle is not copied either.
  const RECT rects[2] = {{0, 0, 2, 2}, {0, 0, 4, 4}};
  const POINT points[2] = {{0, 0}, {5, 5}};
  EXPECT_EQ(device_->CopyRects(ramp, rects, 2, dest, points), D3DERR_INVALIDCALL);
  EXPECT_EQ(Texels(dest), before);
  other->Release();
  dest->Release();
  ramp->Release();
}

}  // namespace
}  // namespace d3d8test
