// The benchmark's workloads drawn with plain OpenGL 3.3 on a surfaceless EGL
// context: one program lighting each vertex with a sun and a lamp as the
// fixed-function pipeline does, linear fog, a texture, per-object uniforms,
// and each frame read back as the headless graphics layer presents it. The
// demo's fountain and caption have their own small programs.
#pragma once

#include <d3dx8/d3dx8math.h>

#include <d3d8/d3d8.h>

#include "gl_caption.h"
#include "gl_context.h"
#include "gl_fountain.h"
#include "gl_objects.h"
#include "gl_target.h"
#include "workloads.h"

#include <cstdint>
#include <vector>

namespace scenebench {

class GlScene {
 public:
  // What one demo frame drew: meshes (triangles, draws), the fountain
  // (particles, bytes streamed, one draw) and the caption (characters,
  // draws, bytes streamed).
  struct DemoWork {
    int meshTriangles = 0, meshDraws = 0, particles = 0, characters = 0, captionDraws = 0;
    size_t particleBytes = 0, captionBytes = 0;
  };

  // `projection` is the one the engine's camera sets; the demo's generated
  // shapes are built on `device`, the graphics layer's. The frame is
  // `width` by `height`.
  bool Init(const D3DXMATRIX& projection, IDirect3DDevice8* device, int width = kSize, int height = kSize);
  void Shutdown();
  void DemoFrame(float seconds);
  void BoxesFrame();
  void SpheresFrame();
  const DemoWork& LastDemoWork() const { return work_; }
  // Triangles drawn by the last frame of the boxes or the spheres.
  int FieldTriangles() const { return fieldTriangles_; }
  // The last frame read back, BGRA, bottom row first.
  const std::vector<uint8_t>& Presented() const { return presented_; }

 private:
  struct Mesh {
    bench::GlBuffers buffers;
    int indexCount = 0;
  };
  Mesh Upload(const void* meshData);
  unsigned Texture(const void* picture);
  void Draw(const Mesh& mesh, const D3DXMATRIX& world);
  void Lights(const D3DXMATRIX& view, bool lamp, bool on);
  void Material(const float diffuse[4], const float emissive[3]);
  void Finish();
  // A field of objects over one mesh, one uniform upload and one draw each.
  void FieldFrame(const Mesh& mesh, const std::vector<D3DXMATRIX>& worlds, const D3DXMATRIX& view, float fogStart,
                  float fogEnd);

  bench::GlContext gl_;
  bench::GlTarget target_;
  unsigned program_ = 0;
  unsigned floorTexture_ = 0, crateTexture_ = 0, ballTexture_ = 0;
  Mesh floor_, crate_, ball_, pane_, beacon_, box_, sphere_;
  std::vector<Mesh> shapes_;  // sphere, torus, cylinder, cone
  GlFountain fountain_;
  GlCaption caption_;
  DemoWork work_;
  D3DXMATRIX projection_;
  int locWorld_ = -1, locView_ = -1, locProj_ = -1, locSunDir_ = -1, locSunColor_ = -1, locAmbient_ = -1;
  int locLampPos_ = -1, locLampColor_ = -1, locLampAtt_ = -1, locDiffuse_ = -1, locEmissive_ = -1;
  int locFog_ = -1, locFogColor_ = -1, locTextured_ = -1;
  std::vector<D3DXMATRIX> boxes_, spheres_;
  int fieldTriangles_ = 0;
  std::vector<uint8_t> presented_;
};

}  // namespace scenebench
