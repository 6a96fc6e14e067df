// The time source: one value per frame, frame ticks of 1/16 second, whole
// milliseconds elapsed with the fraction carried, the fixed frame time, and
// the clock's units.
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

TEST_F(TimeSourceTest, FixedFrameTimeIsOneValuePerFrameAndMillisecondsCarryTheFraction) {
  Vel_TimeSourceChannel::SetFixedFrameTime(0.3f);
  auto* time = Create<Vel_TimeSourceChannel>(vel::kTimeSourceType);
  ASSERT_NE(time, nullptr);
  EXPECT_EQ(time->GetFrameTime(), 0.0f) << "no previous frame";
  EXPECT_EQ(time->GetElapsedTicks(), 0u);

  // 0.3 ticks of 62.5 ms are 18.75 ms a frame: whole milliseconds come out
  // as 18, 19, 19, 19 per four frames (18.75, 37.5, 56.25, 75 in all).
  unsigned handedOut = 0;
  const unsigned expected[] = {18, 19, 19, 19, 18, 19, 19, 19};
  for (unsigned want : expected) {
    NextFrame();
    EXPECT_EQ(time->GetFrameTime(), 0.3f);
    const unsigned milliseconds = time->GetElapsedTicks();
    EXPECT_EQ(milliseconds, want);
    handedOut += milliseconds;
    // Within the frame the value stays, and no more time is handed out.
    EXPECT_EQ(time->GetFrameTime(), 0.3f);
    EXPECT_EQ(time->GetElapsedTicks(), 0u);
  }
  EXPECT_EQ(handedOut, 150u);

  // A second of frames (16 ticks) is 1000 milliseconds.
  Vel_TimeSourceChannel::SetFixedFrameTime(16.0f);
  NextFrame();
  EXPECT_EQ(time->GetElapsedTicks(), 1000u);

  // Unusable settings return to the clock.
  for (float bad : {-1.0f, std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    Vel_TimeSourceChannel::SetFixedFrameTime(bad);
    EXPECT_EQ(Vel_TimeSourceChannel::GetFixedFrameTime(), 0.0f);
  }
}

TEST_F(TimeSourceTest, ClockCountsSixteenTicksAndAThousandMillisecondsASecond) {
  auto* time = Create<Vel_TimeSourceChannel>(vel::kTimeSourceType);
  ASSERT_NE(time, nullptr);
  time->GetFrameTime();
  NextFrame();
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  const float ticks = time->GetFrameTime();
  // At least the 1.92 ticks slept; the upper bound only catches a wrong unit.
  EXPECT_GE(ticks, 1.92f);
  EXPECT_LT(ticks, 19.2f);
  const unsigned milliseconds = time->GetElapsedTicks();
  EXPECT_GE(milliseconds, 120u);
  EXPECT_NEAR(milliseconds, ticks * 62.5, 1.0);
}

}  // namespace
}  // namespace vel_test
