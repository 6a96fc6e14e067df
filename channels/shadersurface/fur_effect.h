// FurEffect (effect 2): the mesh, then shells of it pushed out along the
// normals and drifting along the hair direction, each more transparent than
// the one below; a skinned mesh is skinned by the shader.
#pragma once

#include "mesh_shader_effect.h"

class FurEffect : public MeshShaderEffect {
 public:
  // Shells drawn at most, whatever the levels input says.
  static constexpr int kMaxLevels = 100;

  FurEffect();
  void Render() override;
  const char* GetDescription() override;
};
