// LightManagerChannel ("Light Manager"): the engine-wide owner of the
// device's light indices. A light channel hands itself over when it switches
// on: the manager gives it a free index, sets its light record on the device
// and enables it there; when the light switches off the manager disables the
// index and frees it. One unique instance serves the engine.
#pragma once

#include "orn_channel.h"

#include <unordered_set>

class Vel_DX8_DirectGraphicsChannel;
class Vel_DX8_LightInstanceChannel;

class LightManagerChannel : public Orn_Channel {
 public:
  // The most lights on at once, whatever the device offers.
  static constexpr int kMaxLights = 8;

  LightManagerChannel();
  ~LightManagerChannel() override;
  LightManagerChannel(const LightManagerChannel&) = delete;
  LightManagerChannel& operator=(const LightManagerChannel&) = delete;

  void DoDependencyInit(Orn_List* dependencies) override;

  // Sets the light on a free device index and enables it there; the light's
  // identifier becomes that index (-1 when it could not be switched on).
  virtual void EnableLight(Vel_DX8_LightInstanceChannel* light);
  // Disables the light's index and frees it.
  virtual void DisableLight(Vel_DX8_LightInstanceChannel* light);
  // Lights switched on through the manager and still on.
  virtual int GetEnabledLightCount();

 protected:
  Vel_DX8_DirectGraphicsChannel* Device();
  // Reports a light that could not be switched on, once until it can be again.
  void ReportRefused(Vel_DX8_LightInstanceChannel* light, const char* text);

  Vel_DX8_DirectGraphicsChannel* directGraphics_;
  // The light on each device index, null where the index is free.
  Vel_DX8_LightInstanceChannel* lights_[kMaxLights];
  std::unordered_set<const Vel_DX8_LightInstanceChannel*> refused_;
};
