// Vel_TimeSourceChannel: the elapsed time of the frame, for channels that
// animate by time (particles, the water simulation). Each user creates a
// private instance by type GUID through the engine and calls it through the
// virtual operations below, in this order.
//
// Time unit: one tick is 1/16 second (62.5 ms). In this unit the particle
// constants read naturally: a particle falls gravity x 0.02 x t^2 after t
// ticks, so a gravity setting of 1 is 10.24 units per second squared, earth
// gravity with one unit a metre; the default life of 20 ticks is 1.25
// seconds, a birth rate of 5 per tick is 80 particles a second, and the
// 100-tick clamp of one frame's births is about six seconds of stall. The
// water simulation steps every 20 ticks.
#pragma once

#include "orn_channel.h"

#include <chrono>
#include <cstdint>

class Vel_TimeSourceChannel : public Orn_Channel {
 public:
  // Ticks in one second.
  static constexpr float kTicksPerSecond = 16.0f;

  Vel_TimeSourceChannel();
  ~Vel_TimeSourceChannel() override;

  // Ticks elapsed between the previous frame and this one: the same value for
  // every call within one engine frame (a frame is one tree count), 0 in the
  // first frame the instance sees. Never negative.
  virtual float GetFrameTime();
  // Whole ticks elapsed since the previous call, counted at frame
  // resolution; the fraction left over is carried to the next call, so no
  // time is lost. 0 at the first call.
  virtual unsigned GetElapsedTicks();

  // Process-wide: every frame lasts `ticks` instead of the wall-clock time
  // (deterministic replays, recordings, tests); 0, a negative or a non-finite
  // value returns to the clock.
  static void SetFixedFrameTime(float ticks);
  static float GetFixedFrameTime();

 private:
  // Starts a new frame when the engine's tree count moved since the last
  // call (every call is a new frame without an engine).
  void Sample();

  using Clock = std::chrono::steady_clock;
  bool sampled;
  int lastTreeCount;
  Clock::time_point lastSample;
  float frameTime;
  double totalTicks;     // ticks summed over every frame seen
  double countedTicks;   // whole ticks handed out by GetElapsedTicks
};
