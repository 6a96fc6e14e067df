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
  // shapes are built on `device`, the graphics layer's.
  bool Init(const D3DXMATRIX& projection, IDirect3DDevice8* device);
  void Shutdown();
  void DemoFrame(float seconds);
  void BoxesFrame();
  const DemoWork& LastDemoWork() const { return work_; }

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

  bench::GlContext gl_;
  bench::GlTarget target_;
  unsigned program_ = 0;
  unsigned floorTexture_ = 0, crateTexture_ = 0, ballTexture_ = 0;
  Mesh floor_, crate_, ball_, pane_, beacon_;
  std::vector<Mesh> shapes_;  // sphere, torus, cylinder, cone
  GlFountain fountain_;
  GlCaption caption_;
  DemoWork work_;
  D3DXMATRIX projection_;
  int locWorld_ = -1, locView_ = -1, locProj_ = -1, locSunDir_ = -1, locSunColor_ = -1, locAmbient_ = -1;
  int locLampPos_ = -1, locLampColor_ = -1, locLampAtt_ = -1, locDiffuse_ = -1, locEmissive_ = -1;
  int locFog_ = -1, locFogColor_ = -1, locTextured_ = -1;
  std::vector<D3DXMATRIX> boxes_;
  std::vector<uint8_t> presented_;
};

}  // namespace scenebench
