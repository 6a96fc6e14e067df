#include "timesource/vel_time_source_channel.h"

#include "vel_child_slots.h"
#include "vel_type_guids.h"

#include <atomic>
#include <cmath>
#include <new>

namespace {
std::atomic<float> fixedFrameTime{0.0f};

ChannelType& TypeRecord() {
  static ChannelType type = vel::MakeTypeRecord("Time Source", vel::kTimeSourceType, vel::kTimeSourceType);
  return type;
}
}  // namespace

Vel_TimeSourceChannel::Vel_TimeSourceChannel()
    : sampled(false), lastTreeCount(0), frameTime(0.0f), totalTicks(0.0), countedMilliseconds(0.0) {
  SetChannelName("Time Source");
}

Vel_TimeSourceChannel::~Vel_TimeSourceChannel() = default;

void Vel_TimeSourceChannel::SetFixedFrameTime(float ticks) {
  fixedFrameTime = (std::isfinite(ticks) && ticks > 0.0f) ? ticks : 0.0f;
}

float Vel_TimeSourceChannel::GetFixedFrameTime() { return fixedFrameTime; }

void Vel_TimeSourceChannel::Sample() {
  const int tree = engine ? engine->GetTreeCalculateCount() : 0;
  if (sampled && engine && tree == lastTreeCount) return;
  const Clock::time_point now = Clock::now();
  if (!sampled) {
    frameTime = 0.0f;
  } else if (const float fixed = fixedFrameTime; fixed > 0.0f) {
    frameTime = fixed;
  } else {
    const std::chrono::duration<double> seconds = now - lastSample;
    frameTime = static_cast<float>(seconds.count() * kTicksPerSecond);
    if (!(frameTime >= 0.0f)) frameTime = 0.0f;
  }
  sampled = true;
  lastTreeCount = tree;
  lastSample = now;
  totalTicks += frameTime;
}

float Vel_TimeSourceChannel::GetFrameTime() {
  Sample();
  return frameTime;
}

unsigned Vel_TimeSourceChannel::GetElapsedTicks() {
  Sample();
  const double milliseconds = totalTicks * (kMillisecondsPerSecond / kTicksPerSecond);
  // A stall longer than the counter can hold hands out the most it can.
  const double whole = std::fmin(std::floor(milliseconds - countedMilliseconds), 4294967295.0);
  countedMilliseconds += whole;
  return static_cast<unsigned>(whole);
}

extern "C" ChannelType* GetType() { return &TypeRecord(); }
extern "C" Orn_Channel* InitDLL() { return new (std::nothrow) Vel_TimeSourceChannel; }
