// DotProductBumpEffect (effect 6): per-pixel diffuse and specular light from
// a lighting texture looked up at (N.L, N.H), N from the normal map of
// texture child 1, times the base colour of texture child 0. Skinned meshes
// are blended from their bones in the vertex shader.
#pragma once

#include "mesh_shader_effect.h"

class DotProductBumpEffect : public MeshShaderEffect {
 public:
  DotProductBumpEffect();
  bool RestoreDeviceObjects() override;
  void Render() override;
  bool OwnsStageStates() override { return true; }
  HRESULT BuildTangentBasis(IDirect3DVertexBuffer8* vertexBuffer, IDirect3DIndexBuffer8* indexBuffer) override;
  const char* GetDescription() override;

  // The tangent basis over the plain 68-byte vertex and over the 100-byte
  // vertex with its skin block.
  virtual HRESULT BuildPlainTangentBasis(IDirect3DVertexBuffer8* vertexBuffer, IDirect3DIndexBuffer8* indexBuffer);
  virtual HRESULT BuildSkinnedTangentBasis(IDirect3DVertexBuffer8* vertexBuffer, IDirect3DIndexBuffer8* indexBuffer);

  static constexpr TangentLayout kPlainVertex = {68, 0, 12, 24, 32, 44, 56};
  static constexpr TangentLayout kSkinnedVertex = {100, 0, 12, 24, 32, 44, 56};
};
