// ToonEffect (effect 4): cartoon shading. Stage 0 looks the shading ramp up
// by how squarely the mesh faces the light, stage 1 the edge image by how
// squarely it faces the eye; a skinned mesh is skinned by the shader.
#pragma once

#include "mesh_shader_effect.h"

class ToonEffect : public MeshShaderEffect {
 public:
  ToonEffect();
  bool RestoreDeviceObjects() override;
  void Render() override;
  const char* GetDescription() override;

  // The surface colour as the texture factor: components below 0 are 0,
  // each byte is the component x 254 truncated (saturating), 0x00RRGGBB.
  static DWORD TextureFactor(const D3DXVECTOR3& colour);
};
