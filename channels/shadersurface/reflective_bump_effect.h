// ReflectiveBumpEffect (effect 0): the eye reflected through the normal map
// of texture child 0 into the cube environment map of texture child 1, with
// the tangent frame carried per vertex.
#pragma once

#include "mesh_shader_effect.h"

class ReflectiveBumpEffect : public MeshShaderEffect {
 public:
  ReflectiveBumpEffect();
  bool RestoreDeviceObjects() override;
  void Render() override;
  bool OwnsStageStates() override { return true; }
  const char* GetDescription() override;
};
