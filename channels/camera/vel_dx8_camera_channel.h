// Vel_DX8_CameraChannel ("DX8 Camera"): each call puts the fog states, the
// projection and the view on the engine's device and has the device
// recompute its frustum planes. Its settings come from float children; for
// each float slot left empty the camera uses a stored fallback value, saved
// with its record (chunk "CASE", the ten fallbacks, 40 bytes). The view is
// the inverse of the camera matrix (child 0), which places the camera in the
// world.
#pragma once

#include "orn_channel.h"

#include <d3dx8/d3dx8math.h>

class Vel_DX8_DirectGraphicsChannel;
class Vel_FloatChannel;

class Vel_DX8_CameraChannel : public Orn_Channel {
 public:
  enum Slot {
    kCameraMatrixSlot = 0,
    kFogOnSlot,
    kFogModeSlot,
    kFogStartSlot,
    kFogEndSlot,
    kFogDensitySlot,
    kFogRedSlot,
    kFogGreenSlot,
    kFogBlueSlot,
    kZoomSlot,
    kProjectionSlot,
    kSlotCount
  };
  static constexpr int kValueCount = 10;
  // The unique float channel whose value 1.0 or more silences every camera of
  // a loaded group.
  static constexpr const char* kSingletonName = "CameraUseSingletonUUTTYTT";

  Vel_DX8_CameraChannel();
  ~Vel_DX8_CameraChannel() override;
  Vel_DX8_CameraChannel(const Vel_DX8_CameraChannel&) = delete;
  Vel_DX8_CameraChannel& operator=(const Vel_DX8_CameraChannel&) = delete;

  void CallChannel() override;
  // Sets the zoom child to 1.0.
  void OneTimeInitialize() override;
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  void DoDependencyInit(Orn_List* dependencies) override;

  // Setting i (1..9): child i's float when it is a float channel (0.0 for a
  // child of another type), fallback i when the slot is empty.
  virtual float GetChannelValue(int index);
  virtual void SetChannelValue(int index, float value);
  // Refreshes the working copies from the settings.
  virtual void UpdateCameraInfo();
  virtual void SetUseFog(bool on);
  virtual bool GetUseFog();
  virtual int GetFogMode();
  virtual void SetFogMode(int mode);
  virtual float GetFogStart();
  virtual void SetFogStart(float value);
  virtual float GetFogEnd();
  virtual void SetFogEnd(float value);
  virtual float GetFogDensity();
  virtual void SetFogDensity(float value);
  // 0x00RRGGBB.
  virtual DWORD GetFogColor();
  // 0x00BBGGRR.
  virtual DWORD GetRGBFogColor();
  // c holds red in its low byte (0x00BBGGRR).
  virtual void SetFogColor(DWORD c);
  virtual float GetZoomFactor();
  virtual void SetZoomFactor(float value);

 protected:
  // The projection and the view, when the camera applies them.
  void ApplyProjection();
  void ApplyView(bool apply);

  Vel_DX8_DirectGraphicsChannel* directGraphics_;
  // The inverse of the last camera matrix that had one.
  D3DXMATRIX viewMatrix_;
  bool useFog_;
  int32_t fogMode_;
  float fogStart_;
  float fogEnd_;
  float fogDensity_;
  DWORD fogColor_;
  float zoomFactor_;
  float fallback_[kValueCount];
  Vel_FloatChannel* singleton_;
  // The last camera matrix read from child 0 (the identity before any).
  D3DXMATRIX cameraMatrix_;
  // A camera matrix without an inverse was reported and none has been good
  // since.
  bool viewReported_;
};
