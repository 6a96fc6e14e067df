// Vel_TimeSourceChannel: the elapsed time of the frame, for channels that
// animate by time (particles, the water simulation). Each user creates a
// private instance by type GUID through the engine and calls it through the
// virtual operations below, in this order.
//
// Two units. The frame time (GetFrameTime) counts frame ticks of 1/16
// second (62.5 ms); in this unit the particle constants read naturally: a
// particle falls gravity x 0.02 x t^2 after t ticks, so a gravity setting of
// 1 is 10.24 units per second squared, earth gravity with one unit a metre;
// the default life of 20 ticks is 1.25 seconds, a birth rate of 5 per tick
// is 80 particles a second, and the 100-tick clamp of one frame's births is
// about six seconds of stall. The elapsed count (GetElapsedTicks) is in
// milliseconds, as the system's tick counter: the water simulation steps
// every 20 of them, 50 times a second.
#pragma once

#include "orn_channel.h"

#include <chrono>
#include <cstdint>

class Vel_TimeSourceChannel : public Orn_Channel {
 public:
  // Frame ticks in one second.
  static constexpr float kTicksPerSecond = 16.0f;
  // Units of the elapsed count in one second.
  static constexpr double kMillisecondsPerSecond = 1000.0;

  Vel_TimeSourceChannel();
  ~Vel_TimeSourceChannel() override;

  // Ticks elapsed between the previous frame and this one: the same value for
  // every call within one engine frame (a frame is one tree count), 0 in the
  // first frame the instance sees. Never negative.
  virtual float GetFrameTime();
  // Whole milliseconds elapsed since the previous call, counted at frame
  // resolution; the fraction left over is carried to the next call, so no
  // time is lost. 0 at the first call.
  virtual unsigned GetElapsedTicks();

  // Process-wide: every frame lasts `ticks` frame ticks instead of the wall-clock time
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
  double totalTicks;         // frame ticks summed over every frame seen
  double countedMilliseconds;  // whole milliseconds handed out by GetElapsedTicks
};
