// OceanEffect (effect 13): a statistical sea without a mesh of its own. The
// wave field is advanced to the Shader Info's time every frame and written
// into a 65 x 65 grid drawn as four tiles; with pixel shaders a bump texture
// made from the wave normals reflects the cube texture of texture child 0,
// weighted by a Fresnel term.
#pragma once

#include "mesh_shader_effect.h"
#include "ocean_wave_field.h"

class OceanEffect : public MeshShaderEffect {
 public:
  static constexpr int kGrid = OceanWaveField::kSize + 1;
  static constexpr UINT kVertexBytes = kGrid * kGrid * 32;
  static constexpr int kIndices = (kGrid * 2) * (kGrid - 1) + 2 * (kGrid - 2);
  static constexpr UINT kTriangles = kIndices - 2;

  OceanEffect();
  ~OceanEffect() override;
  bool RestoreDeviceObjects() override;
  void InvalidateDeviceObjects() override;
  void Render() override;
  const char* GetDescription() override;
  virtual void FillBumpTexture();
  virtual void SetTileConstants(int tileX, int tileZ);

  const OceanWaveField& Field() const { return field_; }
  // The strip over the grid: rows joined by degenerate triangles.
  static std::vector<WORD> StripIndices();

 private:
  void ReleaseObjects();
  bool PixelShaders();

  OceanWaveField field_;
  IDirect3DVertexBuffer8* grid_ = nullptr;
  IDirect3DIndexBuffer8* strip_ = nullptr;
  IDirect3DTexture8* bump_ = nullptr;
  float windDirection_ = 1.5707964f;
  float windSpeed_ = 16.0f;
  float waveHeight_ = 256.0f;
  float windInfluence_ = 2.0f;
  float choppiness_ = 0.015f;
  float damping_ = 0.00005f;
};
