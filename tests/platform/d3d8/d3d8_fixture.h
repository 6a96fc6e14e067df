// A device on a small off-screen back buffer, with helpers to draw and to
// read pixels back.
#pragma once

#include <d3d8/d3d8.h>
#include <d3d8/d3d8debug.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace d3d8test {

constexpr UINT kWidth = 64;
constexpr UINT kHeight = 64;

struct Rgba {
  int r, g, b, a;
};

inline DWORD F2D(float f) {
  DWORD d;
  std::memcpy(&d, &f, 4);
  return d;
}

inline D3DMATRIX Identity() {
  D3DMATRIX m{};
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

// Left-handed perspective with the given vertical field of view.
D3DMATRIX PerspectiveFov(float fovY, float aspect, float zn, float zf);
D3DMATRIX Translation(float x, float y, float z);
D3DMATRIX Scaling(float x, float y, float z);
// a x b, and a turn by `angle` about the unit axis (x, y, z), for row
// vectors as Direct3D multiplies them.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b);
D3DMATRIX Rotation(float x, float y, float z, float angle);

// Expected 8-bit channel for a value in [0, 1].
inline int Byte(float v) {
  v = v < 0 ? 0 : (v > 1 ? 1 : v);
  return static_cast<int>(std::lround(v * 255.0f));
}

struct PosNormal {
  float x, y, z;
  float nx, ny, nz;
};
struct PosColor {
  float x, y, z;
  D3DCOLOR color;
};
struct PosColorTex {
  float x, y, z;
  D3DCOLOR color;
  float u, v;
};
struct PosTex {
  float x, y, z;
  float u, v;
};
struct ScreenColor {
  float x, y, z, rhw;
  D3DCOLOR color;
};
struct ScreenColorTex {
  float x, y, z, rhw;
  D3DCOLOR color;
  float u, v;
};

// A managed A8R8G8B8 texture of w x h with a full mip chain; texel (x, y) of
// each level gets `color(level, x, y, desc)`, `desc` describing that level.
template <typename F>
IDirect3DTexture8* MakeMipChainTexture(IDirect3DDevice8* device, UINT w, UINT h, F color) {
  IDirect3DTexture8* t = nullptr;
  EXPECT_EQ(device->CreateTexture(w, h, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t), D3D_OK);
  if (!t) return nullptr;
  for (UINT level = 0; level < t->GetLevelCount(); ++level) {
    D3DSURFACE_DESC d;
    EXPECT_EQ(t->GetLevelDesc(level, &d), D3D_OK);
    D3DLOCKED_RECT lr;
    EXPECT_EQ(t->LockRect(level, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < d.Height; ++y)
      for (UINT x = 0; x < d.Width; ++x) {
        const D3DCOLOR c = color(level, x, y, d);
        std::memcpy(static_cast<BYTE*>(lr.pBits) + y * lr.Pitch + x * 4, &c, 4);
      }
    EXPECT_EQ(t->UnlockRect(level), D3D_OK);
  }
  return t;
}

// Sets the render target and depth buffer in use when it was made back when
// it goes.
class SavedTargets {
 public:
  explicit SavedTargets(IDirect3DDevice8* device) : device_(device) {
    device->GetRenderTarget(&color_);
    device->GetDepthStencilSurface(&depth_);
  }
  ~SavedTargets() {
    EXPECT_EQ(device_->SetRenderTarget(color_, depth_), D3D_OK);
    if (color_) color_->Release();
    if (depth_) depth_->Release();
  }
  SavedTargets(const SavedTargets&) = delete;
  SavedTargets& operator=(const SavedTargets&) = delete;

 private:
  IDirect3DDevice8* device_;
  IDirect3DSurface8* color_ = nullptr;
  IDirect3DSurface8* depth_ = nullptr;
};

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the device; false (and a failed test) when no renderer exists.
  bool CreateDevice(D3DFORMAT depth = D3DFMT_D24S8);
  // Windowed, discarding presentation parameters with a back buffer of the
  // given size in the desktop's format (read into mode_).
  D3DPRESENT_PARAMETERS WindowedParameters(UINT width, UINT height);

  // The colour of back-buffer pixel (x, y), top row 0.
  Rgba Pixel(int x, int y);
  Rgba PixelOf(IDirect3DSurface8* surface, int x, int y);
  // The texels of a 32-bit colour surface of any kind (render targets and
  // render-target textures included), row by row, copied out with CopyRects.
  std::vector<D3DCOLOR> Texels(IDirect3DSurface8* surface);
  // The back buffer's description.
  D3DSURFACE_DESC BackBufferDesc();
  void Clear(D3DCOLOR color);

  // A quad covering the whole viewport in pre-transformed vertices.
  void DrawScreenQuad(D3DCOLOR color, float z = 0.5f);
  // Two triangles of a quad from (x0, y0) to (x1, y1) at depth z, in the
  // given vertex format, through DrawPrimitiveUP.
  void DrawQuadUP(DWORD fvf, const void* vertices, UINT stride);
  // A textured quad in pre-transformed vertices covering the viewport.
  void DrawScreenTexturedQuad(D3DCOLOR color, float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1);

  // Clears to black and draws `texture` over the whole viewport with stage 0
  // passing it straight on; the stage is left without a texture.
  void ShowTexture(IDirect3DBaseTexture8* texture);

  // Stage 0 passes colour and alpha straight from `arg`.
  void SelectArg1(DWORD arg);

  // A texture of kind `fmt` whose texels `texel(row, x, y)` writes, `row`
  // being the start of texel row y.
  template <typename F>
  IDirect3DTexture8* MakeTexture(UINT w, UINT h, D3DFORMAT fmt, F texel) {
    IDirect3DTexture8* t = nullptr;
    EXPECT_EQ(device_->CreateTexture(w, h, 1, 0, fmt, D3DPOOL_MANAGED, &t), D3D_OK);
    if (!t) return nullptr;
    D3DLOCKED_RECT lr;
    EXPECT_EQ(t->LockRect(0, &lr, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x) {
        BYTE* p = static_cast<BYTE*>(lr.pBits) + y * lr.Pitch;
        texel(p, x, y);
      }
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    return t;
  }
  // An A8R8G8B8 texture of w x h texels given row by row.
  IDirect3DTexture8* MakeColorTexture(UINT w, UINT h, const std::vector<D3DCOLOR>& texels) {
    EXPECT_EQ(texels.size(), static_cast<size_t>(w) * h);
    return MakeTexture(w, h, D3DFMT_A8R8G8B8,
                       [&](BYTE* row, UINT x, UINT y) { std::memcpy(row + x * 4, &texels[y * w + x], 4); });
  }

  // The viewport's edges in pre-transformed coordinates, pixel centres on
  // integers.
  struct ScreenRect {
    float x0, y0, x1, y1;
  };
  ScreenRect ViewportRect();

  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  D3DPRESENT_PARAMETERS pp_{};
  D3DDISPLAYMODE mode_{};
};

// Channel tolerance for rasterised results against computed values.
#define EXPECT_NEAR_RGB(px, R, G, B, tol)     \
  do {                                        \
    Rgba _p = (px);                           \
    EXPECT_NEAR(_p.r, (R), (tol)) << "red";   \
    EXPECT_NEAR(_p.g, (G), (tol)) << "green"; \
    EXPECT_NEAR(_p.b, (B), (tol)) << "blue";  \
  } while (0)

}  // namespace d3d8test
