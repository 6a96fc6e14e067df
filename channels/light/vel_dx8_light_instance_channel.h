// Vel_DX8_LightInstanceChannel ("DX8 Light"): one Direct3D light built from
// its children (a placement matrix, colour and attenuation vectors, float
// parameters), switched on and off on the device by the engine-wide light
// manager. Calls alternate: the first enables the light, the next disables
// it, so a project calls a light before and after the geometry it lights.
// Every parameter whose slot is empty comes from a stored fallback, saved
// with the record: chunk "LIVI" (8 floats, 32 bytes) and chunk "LIVE" (the
// diffuse, attenuation, specular and ambient vectors, 48 bytes).
#pragma once

#include "orn_channel.h"

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8math.h>

class LightManagerChannel;

class Vel_DX8_LightInstanceChannel : public Orn_Channel {
 public:
  enum Slot {
    kPlacementSlot = 0,
    kDiffuseSlot,
    kAttenuationSlot,
    kRangeSlot,
    kFalloffSlot,
    kThetaSlot,
    kPhiSlot,
    kLightTypeSlot,
    kSpecularSlot,
    kAmbientSlot,
    kStateSlot,
    kSlotCount
  };
  static constexpr int kFloatCount = 8;
  static constexpr int kVectorCount = 4;

  Vel_DX8_LightInstanceChannel();
  // Switches the light off first when it is still on.
  ~Vel_DX8_LightInstanceChannel() override;
  Vel_DX8_LightInstanceChannel(const Vel_DX8_LightInstanceChannel&) = delete;
  Vel_DX8_LightInstanceChannel& operator=(const Vel_DX8_LightInstanceChannel&) = delete;

  // Disables the light when it is enabled, else enables it.
  void CallChannel() override;
  // Diffuse (1, 1, 1), shared with the specular slot; attenuation (1, 0, 0);
  // range 10000, falloff 1, theta 1, phi 2.
  void OneTimeInitialize() override;
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void DoDependencyInit(Orn_List* dependencies) override;

  // Builds the light record from the settings, once per frame.
  virtual void Calculate();
  // Float setting i (3..7): child i's float when it is a float channel,
  // fallback i when the slot is empty.
  virtual float GetChannelValue(int index);
  virtual void SetChannelValue(float value, int index);
  // Component c of vector setting i (1, 2, 8, 9).
  virtual float GetVectorValue(int index, int component);
  virtual void SetVectorValue(int index, D3DXVECTOR3 v);
  // The diffuse colour from c, which holds red in its low byte.
  virtual void SetLightColor(DWORD c);
  virtual void EnableLight();
  virtual void DisableLight();
  // The device light index the light manager gave the light.
  virtual void SetLightID(int id);
  virtual int GetLightID();
  virtual D3DLIGHT8 GetLightInfo();
  // 0 directional, 1 spot, 2 point.
  virtual int GetLightType();
  virtual void SetLightType(int type);
  virtual D3DXVECTOR3 GetDeltaMovement();
  virtual D3DXVECTOR3 GetPosition();

 protected:
  // The fallback vector of vector slot i, or null.
  D3DXVECTOR3* FallbackVector(int index);
  // Sets the state child (slot 10) when there is one.
  void SetStateValue(float value);

  D3DLIGHT8 light_;
  LightManagerChannel* lightManager_;
  int32_t lightID_;
  bool positionKnown_;
  D3DXVECTOR3 lastPosition_;
  D3DXVECTOR3 deltaMovement_;
  bool enabled_;
  float fallbackFloats_[kFloatCount];
  D3DXVECTOR3 fallbackVectors_[kVectorCount];
};
