// RadialBlurEffect: effect 12 of the shader surface. Each frame it draws a
// zoom blur of the surface's first texture into a render target of the same
// size, many additive passes each sampling the source scaled a little more
// about a centre and fading, and then lets the surface's mesh draw itself
// with that target as its texture.
#pragma once

#include "image_pass.h"
#include "saved_device_states.h"
#include "shader_effect.h"

class RadialBlurEffect : public ShaderEffect {
 public:
  // Inputs and their defaults.
  static constexpr float kDefaultPasses = 64.0f;
  static constexpr float kDefaultAlpha = 0.125f;
  static constexpr float kDefaultPassOffset = 0.0075f;
  // More passes than this are drawn as this many.
  static constexpr int kMaxPasses = 1024;

  RadialBlurEffect();
  ~RadialBlurEffect() override;

  bool RestoreDeviceObjects() override;
  void InvalidateDeviceObjects() override;
  void Render() override;
  const DWORD* GetVertexDeclaration() override;
  bool OwnsStageStates() override;
  bool UsesVertexComponent(int index) override;
  const char* GetDescription() override;

  virtual void ApplySavedStates();
  virtual HRESULT CreateRenderTarget();

  // What one frame draws with.
  struct Settings {
    float passes = kDefaultPasses;
    float alpha = kDefaultAlpha;
    float passOffset = kDefaultPassOffset;
    D3DXVECTOR3 centre = D3DXVECTOR3(0.5f, 0.5f, 0);
    D3DXVECTOR3 colour = D3DXVECTOR3(1, 1, 1);
  };
  // The number of passes drawn for `passes` (truncated, 0 for none).
  static int PassCount(float passes);
  // The pixel constant of pass i: its fading weight (passes - i) / passes
  // times the colour and times alpha.
  static D3DXVECTOR4 PassColour(const Settings& s, int i);

 protected:
  Settings ReadSettings();
  void ReleaseTarget();
  void DrawPasses(IDirect3DDevice8* d, IDirect3DTexture8* source, const Settings& s);

  image_pass::Target target;
  IDirect3DVertexBuffer8* quad;
  SavedDeviceStates stateBlock;
};
