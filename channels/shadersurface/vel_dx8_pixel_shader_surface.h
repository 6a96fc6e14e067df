// Vel_DX8_PixelShaderSurface ("DX8 ShaderSurface"): a drawable surface that,
// instead of drawing its mesh with fixed-function states, owns one shader
// effect chosen by number, binds the surface's textures to stages and lets
// the effect draw. A 3D object draws it like any other surface.
#pragma once

#include "surface/vel_dx8_surface_channel.h"

class ShaderEffect;

class Vel_DX8_PixelShaderSurface : public Vel_DX8_SurfaceChannel {
 public:
  // Effect numbers; any other number means no effect.
  enum Effect {
    kReflectiveBump = 0,
    kMembrane = 1,
    kFur = 2,
    kHalo = 3,
    kToon = 4,
    kWater = 5,
    kDotProductBump = 6,
    kBlur = 7,
    kEdgeDetection = 8,
    kSharpen = 9,
    kDynamicHair = 10,
    kEnvironmentMap = 11,
    kRadialBlur = 12,
    kOcean = 13,
  };

  // Child slot of the effect's parameters, after the surface's own.
  static constexpr int kShaderInfoSlot = 3;

  Vel_DX8_PixelShaderSurface();
  ~Vel_DX8_PixelShaderSurface() override;
  Vel_DX8_PixelShaderSurface(const Vel_DX8_PixelShaderSurface&) = delete;
  Vel_DX8_PixelShaderSurface& operator=(const Vel_DX8_PixelShaderSurface&) = delete;

  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void InvalidateDeviceObjects() override;
  void InvalidateDirectGraphics() override;
  void DoDrawSurface() override;

  virtual void Release();
  virtual void DoShaderEffect();
  virtual bool GetVertexShaderSupport();
  virtual void SetShaderEffect(int number);
  virtual int GetShaderEffect();
  virtual void SetDebugMode(bool on);
  virtual bool GetDebugMode();
  virtual char* GetShaderErrorCode();
  virtual const char* GetShaderDesctiption();
  // The effect object, null when none.
  virtual ShaderEffect* GetEffect();

 protected:
  // Reads the device's vertex-shader support once until the next loss.
  void TestDevice();
  // Sets a state only when the device holds another value.
  void BringStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
  void BringRenderState(D3DRENDERSTATETYPE state, DWORD value);

  int32_t shaderEffectNumber;
  bool vertexShaderSupport;
  ShaderEffect* effect;
  bool deviceTested;
};
