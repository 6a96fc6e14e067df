// MembraneEffect (effect 1): the mesh coloured from a gradient map by how
// squarely it faces the eye.
#pragma once

#include "mesh_shader_effect.h"

class MembraneEffect : public MeshShaderEffect {
 public:
  MembraneEffect();
  void Render() override;
  const char* GetDescription() override;

 protected:
  // The membrane's own vertex layout differs in the dynamic-hair effect.
  MembraneEffect(std::initializer_list<int> components, std::vector<DWORD> declaration);
};
