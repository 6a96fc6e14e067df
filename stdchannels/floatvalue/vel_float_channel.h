// Vel_FloatChannel: the float value channel. Most settings of the drawing
// channels are float children; the user-input and picking channels derive
// from it and write `value` directly.
#pragma once

#include "orn_channel.h"

class Vel_FloatChannel : public Orn_Channel {
 public:
  Vel_FloatChannel();
  ~Vel_FloatChannel() override;

  // Does no per-frame work of its own and never consumes the frame gate, so a
  // derived class that computes its value once per frame still sees the
  // first call of the frame.
  void CallChannel() override;
  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;

  virtual float GetFloat();
  // The value before the last change made through SetFloat.
  virtual float GetOldFloat();
  virtual void SetFloat(float v);

 protected:
  // The stored value; a new channel holds 0.0. Saved as chunk "FLVA" (4 bytes).
  float value;
  float oldValue;
};
