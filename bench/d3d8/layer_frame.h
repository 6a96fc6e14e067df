// The benchmark scene drawn through the Direct3D 8 layer, with the
// fixed-function pipeline or with a vs.1.1 and a ps.1.1 shader doing the
// same lighting and texturing.
#pragma once

#include <d3d8/d3d8.h>

namespace bench {

class LayerRenderer {
 public:
  bool Init(bool shaders = false);
  void Shutdown();
  // One frame: clear, 1,000 draws with state changes, present, and the
  // presented frame read back (as the OpenGL program reads its frame back),
  // so the frame is finished when this returns.
  void Frame();

 private:
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  IDirect3DVertexBuffer8* vb_ = nullptr;
  IDirect3DIndexBuffer8* ib_ = nullptr;
  IDirect3DTexture8* textures_[2] = {};
  IDirect3DSurface8* readBack_ = nullptr;
  unsigned vertexCount_ = 0;
  bool shaders_ = false;
  DWORD vertexShader_ = 0, pixelShader_ = 0;
};

}  // namespace bench
