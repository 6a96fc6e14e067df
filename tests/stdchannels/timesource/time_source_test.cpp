// The time source: one value per frame, whole ticks with the fraction
// carried, the fixed frame time, and the clock's unit.
#include "channel_harness.h"
#include "timesource/vel_time_source_channel.h"

#include <chrono>
#include <cmath>
#include <limits>
#include <thread>

namespace vel_test {
namespace {

class TimeSourceTest : public ChannelHarness {
 protected:
  void TearDown() override {
    Vel_TimeSourceChannel::SetFixedFrameTime(0.0f);
    ChannelHarness::TearDown();
  }
  void NextFrame() { engine->ext->IncreaseTreeCount(); }
};

TEST_F(TimeSourceTest, FixedFrameTimeIsOneValuePerFrameAndTicksCarryTheFraction) {
  Vel_TimeSourceChannel::SetFixedFrameTime(0.75f);
  auto* time = Create<Vel_TimeSourceChannel>(vel::kTimeSourceType);
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->GetFrameTime(), 0.0f) << "no previous frame";
  EXPECT_EQ(time->GetElapsedTicks(), 0u);

  // 0.75 ticks a frame: whole ticks come out as 0,1,1,1 per four frames and
  // sum to the truncated total.
  unsigned handedOut = 0;
  const unsigned expected[] = {0, 1, 1, 1, 0, 1, 1, 1};
  for (unsigned want : expected) {
    NextFrame();
    EXPECT_EQ(time->GetFrameTime(), 0.75f);
    const unsigned ticks = time->GetElapsedTicks();
    EXPECT_EQ(ticks, want);
    handedOut += ticks;
    // Within the frame the value stays, and no more ticks are handed out.
    EXPECT_EQ(time->GetFrameTime(), 0.75f);
    EXPECT_EQ(time->GetElapsedTicks(), 0u);
  }
  EXPECT_EQ(handedOut, 6u);

  // Unusable settings return to the clock.
  for (float bad : {-1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    Vel_TimeSourceChannel::SetFixedFrameTime(bad);
    EXPECT_EQ(Vel_TimeSourceChannel::GetFixedFrameTime(), 0.0f);
  }
}

TEST_F(TimeSourceTest, ClockCountsSixteenTicksASecond) {
  auto* time = Create<Vel_TimeSourceChannel>(vel::kTimeSourceType);
  ASSERT_NE(time, nullptr);
  time->GetFrameTime();
  NextFrame();
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  const float ticks = time->GetFrameTime();
  // At least the 1.92 ticks slept; the upper bound only catches a wrong unit.
  EXPECT_GE(ticks, 1.92f);
  EXPECT_LT(ticks, 19.2f);
  EXPECT_EQ(time->GetElapsedTicks(), static_cast<unsigned>(std::floor(ticks)));
}

}  // namespace
}  // namespace vel_test
