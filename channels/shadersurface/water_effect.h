// WaterEffect: effect 5 of the shader surface. It draws the surface's mesh
// as a bumped water surface reflecting a cube map, its bump map the normal
// map of a WaterSimulation, and turns particles of the particle systems
// linked to the Shader Info into waves.
#pragma once

#include "shader_effect.h"

class WaterSimulation;

class WaterEffect : public ShaderEffect {
 public:
  WaterEffect();
  ~WaterEffect() override;

  bool RestoreDeviceObjects() override;
  void InvalidateDeviceObjects() override;
  void SetOwner(Vel_DX8_PixelShaderSurface* surface) override;
  void SetDevice(Vel_DX8_DirectGraphicsChannel* device) override;
  void Render() override;
  const DWORD* GetVertexDeclaration() override;
  bool OwnsStageStates() override;
  bool UsesVertexComponent(int index) override;
  const char* GetDescription() override;

  virtual void SetEffectStates();

  WaterSimulation* GetSimulation() { return simulation; }

 protected:
  WaterSimulation* simulation;
  bool ready;
};
