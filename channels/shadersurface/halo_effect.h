// HaloEffect (effect 3): the mesh pushed out along its normals in one colour,
// opaque where it faces the eye and fading towards its outline.
#pragma once

#include "mesh_shader_effect.h"

class HaloEffect : public MeshShaderEffect {
 public:
  HaloEffect();
  bool RestoreDeviceObjects() override;
  void Render() override;
  const char* GetDescription() override;
};
