// FilterBlitEffect: effects 7, 8 and 9 of the shader surface. Each frame it
// filters the surface's first texture through three render-target textures,
// drawing a screen-filling quad with four offset samples of its input per
// pixel, and then lets the surface's mesh draw itself with the last target
// as its texture. Mode 0 blurs (three box passes), mode 1 sharpens (three
// passes), mode 2 detects edges (the last pass's luminance edges).
#pragma once

#include "image_pass.h"
#include "saved_device_states.h"
#include "shader_effect.h"

class FilterBlitEffect : public ShaderEffect {
 public:
  enum Mode { kBlur = 0, kSharpen = 1, kEdgeDetection = 2 };
  static constexpr int kTargets = 3;
  // Kernels 0..4 of offsets; blur reads its kernel from the Shader Info.
  static constexpr int kKernels = 5;
  static constexpr int kDefaultBlurKernel = 4;

  explicit FilterBlitEffect(int mode);
  ~FilterBlitEffect() override;

  bool RestoreDeviceObjects() override;
  void InvalidateDeviceObjects() override;
  void Render() override;
  const DWORD* GetVertexDeclaration() override;
  bool OwnsStageStates() override;
  bool UsesVertexComponent(int index) override;
  const char* GetDescription() override;

  // The twenty kernel offsets (vertex constants c8..c27) for a source of
  // that size in texels.
  virtual void SetTexelConstants(int width, int height);
  virtual void ApplySavedStates();
  virtual HRESULT CreateRenderTargets();

  int GetMode() const { return mode; }

 protected:
  // Releases the targets and the quad and forgets the state block.
  void ReleaseTargets();
  // The kernel the passes use: blur's Shader Info value limited to 0..4
  // (4 without one), 1 for the other modes. The vertex shader's address
  // register picks the nearest kernel to it.
  float Kernel();
  void DrawPasses(IDirect3DDevice8* d, IDirect3DTexture8* source);

  image_pass::Target targets[kTargets];
  IDirect3DVertexBuffer8* quad;
  SavedDeviceStates stateBlock;
  int mode;
};
