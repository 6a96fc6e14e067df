// What the image-space effects (filter blits, radial blur, water simulation)
// share: the screen-filling quad they draw into render-target textures, its
// clip transform, render-target textures with their top surfaces, the
// device's target and depth surface kept across the passes, and the source
// texture's size.
#pragma once

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8math.h>

#include <cstdint>

class EngineInterface;
class Orn_Channel;
class Vel_DX8_Texture;

namespace image_pass {

// Vertex-shader declaration tokens of the quad (stream 0: register 0 three
// floats, register 1 two floats).
extern const DWORD kQuadDeclaration[];

struct QuadVertex {
  float x, y, z;
  float u, v;
};
static_assert(sizeof(QuadVertex) == 20, "a quad vertex is 20 bytes");
inline constexpr UINT kQuadBytes = 4 * sizeof(QuadVertex);

// The quad drawn as a triangle fan of two triangles.
inline constexpr QuadVertex kQuad[4] = {
    {-1, -1, 0, 0, 1}, {1, -1, 0, 1, 1}, {1, 1, 0, 1, 0}, {-1, 1, 0, 0, 0}};

// transpose(Scaling(scale, scale, 1) x LookAtLH((0, 0, -5), at, (0, 1, 0)) x
// OrthoLH(size, size, 0.2, 20)): with scale 2, at the origin and size 4 the
// quad covers the render target exactly.
D3DXMATRIX QuadTransform(float scale, float size, D3DXVECTOR3 at = D3DXVECTOR3(0, 0, 0));

template <class T>
void SafeRelease(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

// A render-target texture of one level and its top surface.
struct Target {
  IDirect3DTexture8* texture = nullptr;
  IDirect3DSurface8* surface = nullptr;
  void Release() {
    SafeRelease(surface);
    SafeRelease(texture);
  }
};

// Makes `target` a w x h render-target texture (X8R8G8B8, default pool)
// with its top surface; a failure reports `createFailed` or `levelFailed` on
// the engine's error functor and answers E_FAIL.
HRESULT CreateTarget(IDirect3DDevice8* device, UINT width, UINT height, EngineInterface* engine,
                     const char* createFailed, const char* levelFailed, Target* target);

// Stages 0 to 3 as the filtering passes sample them: colour operation
// `colourOp` on the texture, no alpha, linear filtering without mipmaps,
// clamped addresses; set on the device directly.
void SetFilterStages(IDirect3DDevice8* device, DWORD colourOp);

// The texture of `channel` when it is a texture channel that has (or, after
// a device reset, makes again) one, else null; `width` and `height` receive
// its top level's size (0 without).
IDirect3DTexture8* TextureOf(Orn_Channel* channel, UINT* width = nullptr, UINT* height = nullptr);
// `channel` as a texture channel, or null.
Vel_DX8_Texture* AsTexture(Orn_Channel* channel);

// The dynamic write-only quad buffer with the quad written into it; null
// after reporting `createFailed` or `lockFailed` on the engine's error
// functor. A buffer `quad` held before is released first, so a restore run
// again over one that was not invalidated keeps no old buffer alive.
HRESULT CreateQuad(IDirect3DDevice8* device, EngineInterface* engine, const char* createFailed,
                   const char* lockFailed, IDirect3DVertexBuffer8** quad);

// The device's render target and depth surface, kept while passes draw into
// targets of their own and put back by Restore, or by the destructor when
// Restore was not called (an early return after a failure).
class SavedTargets {
 public:
  explicit SavedTargets(IDirect3DDevice8* device);
  ~SavedTargets();
  SavedTargets(const SavedTargets&) = delete;
  SavedTargets& operator=(const SavedTargets&) = delete;
  HRESULT Restore();

 private:
  IDirect3DDevice8* device_;
  IDirect3DSurface8* color_ = nullptr;
  IDirect3DSurface8* depth_ = nullptr;
  bool restored_ = false;
};

}  // namespace image_pass
