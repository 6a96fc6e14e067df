// ElapsedTimeChannel ("Elapsed Time"): a float value that counts the seconds
// of the time source since it was first read, times a rate; once a frame it
// adds the frame's time. An effect reads it as its time input. Record, after
// the float value's record: "ELTM" the rate (one 32-bit float).
#pragma once

#include "floatvalue/vel_float_channel.h"

class Vel_TimeSourceChannel;

class ElapsedTimeChannel : public Vel_FloatChannel {
 public:
  ElapsedTimeChannel();
  ~ElapsedTimeChannel() override;

  bool SaveChannel(OrnFileSaver& saver) override;
  bool LoadChannel(OrnFileLoader& loader, Orn_ChannelGroup* group) override;
  float GetFloat() override;

  // Value units a second (1: seconds).
  virtual void SetRate(float rate);
  virtual float GetRate();

 protected:
  float rate_;
  Vel_TimeSourceChannel* clock_;
};
