// EnvironmentMapEffect (effect 11): the colour map from the first texture
// coordinates at stage 0, and at stage 1 the environment reflected about the
// normal, weighted by an approximated Fresnel term.
#pragma once

#include "mesh_shader_effect.h"

class EnvironmentMapEffect : public MeshShaderEffect {
 public:
  EnvironmentMapEffect();
  void Render() override;
  const char* GetDescription() override;
};
