// WaterSimulation: the height-field water of the water effect. A wave
// equation runs on the graphics card in six render-target textures the size
// of the surface's first texture (height, velocity and force, each texel a
// signed quantity biased by one half): every step draws a screen-filling quad
// into them with small pixel shaders and ends with a normal map the water
// effect reflects its cube map through. Drops (from particles crossing the
// water) push the velocity; the first texture's alpha marks where the water
// may move (transparent = moving water) and its colour is the still height.
#pragma once

#include "image_pass.h"

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8math.h>

#include <vector>

class EngineInterface;
class Orn_Channel;
class ShaderEffect;
class Vel_DX8_DirectGraphicsChannel;
class Vel_DX8_ParticleObject;
class Vel_DX8_PixelShaderSurface;

struct WaterDrop {
  float x;         // 0..1 across the targets
  float y;         // 0..1
  float strength;  // the stamp covers 1/strength of the target's width
};
static_assert(sizeof(WaterDrop) == 12, "a drop is 12 bytes");

class WaterSimulation {
 public:
  static constexpr int kTargets = 6;
  // Time units gathered before a step runs.
  static constexpr unsigned kUnitsPerStep = 20;
  // Shader slots of the effect the simulation assembles into.
  static constexpr int kVertexShader = 1;
  enum PixelShader {
    kCombine = 1,
    kNeighbourForce = 2,
    kForce = 3,
    kApplyForce = 4,
    kApplyVelocity = 5,
    kNormalMap = 6,
  };

  WaterSimulation();
  virtual ~WaterSimulation();
  WaterSimulation(const WaterSimulation&) = delete;
  WaterSimulation& operator=(const WaterSimulation&) = delete;

  virtual void ReleaseAll();
  virtual void ReleaseTargets();
  virtual void SetSurface(Vel_DX8_PixelShaderSurface* surface);
  virtual void SetEffect(ShaderEffect* effect);
  virtual void SetDeviceChannel(Vel_DX8_DirectGraphicsChannel* device);
  // Once per drawn frame: gathers the time source's elapsed units and runs a
  // step when there are enough.
  virtual void Tick();
  virtual bool Initialise();
  virtual HRESULT CreateTargets();
  virtual void SetTexelOffsets(int width, int height);
  virtual void SetFallOffOffsets();
  virtual void SetSimulationStates();
  virtual HRESULT DoSingleTimeStep();
  virtual void AddDrop(float x, float y, float strength);
  // Drops for each particle of `particles` that crossed the surface's mesh
  // from the front since the previous frame, which is bounced off it (the
  // first argument is not read).
  virtual void CollideParticles(int, Vel_DX8_ParticleObject* particles);
  virtual void RenderDrops();
  virtual void ApplyMask();
  virtual HRESULT BuildNormalMap();

  // Adds `units` of time; with kUnitsPerStep or more gathered, runs one step
  // (the rest is dropped) and answers true.
  bool Advance(unsigned units);

  IDirect3DTexture8* GetNormalMap();
  // The smoothed height the next step reads.
  IDirect3DTexture8* GetHeightMap();
  bool IsReady() const { return ready; }
  const std::vector<WaterDrop>& Drops() const { return drops; }

  EngineInterface* engine;

 protected:
  // The device when the device channel has one, else null.
  IDirect3DDevice8* D3DDevice() const;
  // A text to the engine's error functor.
  void Report(const char* text) const;
  // The time units elapsed since the previous call (0 without a time source).
  unsigned ElapsedUnits();
  // Water speed, wave speed, fall off, bounce and splash from the surface's
  // Shader Info floats 0..4; a missing one keeps its value.
  void ReadParameters();
  // The particle systems linked to the Shader Info make their drops.
  void CollideLinkedParticles();
  void Draw(IDirect3DDevice8* d);
  void SetRenderTarget(IDirect3DDevice8* d, int index);
  void SetTextures(IDirect3DDevice8* d, IDirect3DBaseTexture8* texture, int firstStage, int lastStage);
  void SetPixelShader(IDirect3DDevice8* d, int slot);
  void SetPixelConstant(IDirect3DDevice8* d, DWORD reg, float x, float y, float z, float w);
  void SetOffsetSet(IDirect3DDevice8* d, int set);
  void SetVertexConstant(IDirect3DDevice8* d, DWORD reg, const float* values, DWORD count);
  // The surface's first texture child's texture and size.
  IDirect3DTexture8* MaskTexture(UINT* width = nullptr, UINT* height = nullptr);

  Vel_DX8_PixelShaderSurface* surface;
  ShaderEffect* effect;
  Vel_DX8_DirectGraphicsChannel* device;
  image_pass::Target targets[kTargets];
  IDirect3DVertexBuffer8* quad;
  float texelWidth;
  float texelHeight;
  float waveFallOff;
  int phase;
  IDirect3DTexture8* source;
  int heightIndex;
  int otherHeightIndex;
  int previousIndex;
  int normalMapIndex;
  int velocityInIndex;
  int velocityOutIndex;
  int partialForceIndex;
  int forceIndex;
  float restorationFactor;
  float bias;
  std::vector<WaterDrop> drops;
  float normalScale;
  float waveSpeed;
  float waterSpeed;
  float bounceFactor;
  float splashFactor;
  D3DXMATRIX quadTransform;
  unsigned accumulatedTime;
  Orn_Channel* timeSource;
  bool ready;
};
