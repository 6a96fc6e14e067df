// MeshShaderEffect: what the six effects that draw the surface's own mesh
// with one vertex shader share: their vertex layout and declarations given
// once, loading and assembling their shader text, and the standard block of
// vertex-shader constants.
//
// Standard constants: c0-c3 the transposed world x view x projection, c4 the
// effect's light vector, c5-c8 the inverse world matrix, c9 (0, 0.5, 1, -1),
// c10 the eye position, c11-c14 the world matrix (rows as stored). For a
// skinned mesh the world matrix is the identity.
#pragma once

#include "shader_effect.h"

#include <initializer_list>
#include <vector>

class MeshShaderEffect : public ShaderEffect {
 public:
  // `components`: the vertex components the effect uses; `declaration` and
  // `skinnedDeclaration` (empty: none) end with kDeclEnd; `text` and
  // `skinnedText` name the shader resources.
  MeshShaderEffect(std::initializer_list<int> components, std::vector<DWORD> declaration,
                   std::vector<DWORD> skinnedDeclaration, const char* text, const char* skinnedText);

  bool RestoreDeviceObjects() override;
  const DWORD* GetVertexDeclaration() override;
  const DWORD* GetSkinnedVertexDeclaration() override;
  bool UsesVertexComponent(int index) override;
  bool SupportsSkinning() override;

 protected:
  // Device, owner and device channel are there to draw with.
  bool CanDraw();
  // Uploads the standard block with `light` in c4.
  void SetStandardConstants(const D3DXVECTOR4& light);
  void SetConstant(int index, const D3DXVECTOR4& value);
  void SetConstant(int index, float x, float y, float z, float w) { SetConstant(index, D3DXVECTOR4(x, y, z, w)); }
  // Four constant registers from `index` with the rows of `m`.
  void SetMatrixConstant(int index, const D3DXMATRIX& m);
  // The world matrix the effect draws with (identity for a skinned mesh),
  // and view and projection.
  D3DXMATRIX World();
  D3DXMATRIX View();
  D3DXMATRIX Projection();
  // x, y, z of the translation row of the inverse view matrix.
  D3DXVECTOR3 EyePosition();

 private:
  std::vector<int> components_;
  std::vector<DWORD> declaration_;
  std::vector<DWORD> skinnedDeclaration_;
  const char* text_;
  const char* skinnedText_;
};

// (x, y, z) normalised, with w; the zero vector stays zero.
D3DXVECTOR4 NormalisedWithW(const D3DXVECTOR3& v, float w);
