// The demos' own channels that move by time: the elapsed-time value adds a
// frame's seconds of the time source once a frame, at its rate; the steered
// placement moves 1.5 units a second at an input of 1, however many frames
// those seconds take, and no more than a tenth of a second's way in one.
#include "channel_harness.h"
#include "clock/elapsed_time_channel.h"
#include "floatvalue/vel_float_channel.h"
#include "guid_util.h"
#include "steer/steered_placement_channel.h"
#include "timesource/vel_time_source_channel.h"

namespace vel_test {
namespace {

const GUID kElapsedTimeType = GuidLiteral("4D7B2E90-A1C3-4F58-9E26-B803C5D14A7F");
const GUID kSteeredPlacementType = GuidLiteral("9C3E5A71-2B8D-4F16-A0C4-6D7E19B3F258");

class DemoChannelTest : public ChannelHarness {
 protected:
  void TearDown() override {
    Vel_TimeSourceChannel::SetFixedFrameTime(0);
    ChannelHarness::TearDown();
  }
  // Frames of `seconds` each (16 ticks a second).
  static void FrameSeconds(float seconds) { Vel_TimeSourceChannel::SetFixedFrameTime(seconds * 16); }
  void NextFrame() { engine->ext->IncreaseTreeCount(); }
};

TEST_F(DemoChannelTest, ElapsedTimeAddsEachFramesSecondsOnceAtItsRate) {
  FrameSeconds(0.25f);
  auto* time = Create<ElapsedTimeChannel>(kElapsedTimeType);
  ASSERT_NE(time, nullptr);
  time->SetFloat(10);
  time->SetRate(2);
  NextFrame();
  EXPECT_FLOAT_EQ(time->GetFloat(), 10) << "the first frame has no time before it";
  for (int frame = 1; frame <= 4; ++frame) {
    NextFrame();
    EXPECT_FLOAT_EQ(time->GetFloat(), 10 + 0.5f * static_cast<float>(frame));
    EXPECT_FLOAT_EQ(time->GetFloat(), 10 + 0.5f * static_cast<float>(frame)) << "read again in the same frame";
  }
}

TEST_F(DemoChannelTest, SteeringMovesByTimeNotByFrames) {
  // Forward held for 1.5 seconds: 2.25 units along +z, at 60 or at 30
  // frames a second.
  for (const auto& [frames, seconds] : {std::pair{90, 1.0f / 60}, std::pair{45, 1.0f / 30}}) {
    FrameSeconds(seconds);
    auto* steering = Create<SteeredPlacementChannel>(kSteeredPlacementType, true);
    auto* forward = Create<Vel_FloatChannel>(vel::kFloatType);
    ASSERT_NE(steering, nullptr);
    forward->SetFloat(1);
    ASSERT_TRUE(Link(steering, forward, SteeredPlacementChannel::kForwardSlot));
    NextFrame();
    steering->GetMatrix();  // the clock's first frame
    for (int i = 0; i < frames; ++i) {
      NextFrame();
      steering->GetMatrix();
    }
    const D3DXMATRIX m = steering->GetMatrix();
    EXPECT_NEAR(m._43, 2.25f, 1e-3) << frames << " frames";
    EXPECT_NEAR(m._41, 0.0f, 1e-6);
  }

  // A stall of two seconds moves a tenth of a second's way: 0.15 units
  // sideways (D).
  FrameSeconds(2);
  auto* steering = Create<SteeredPlacementChannel>(kSteeredPlacementType, true);
  auto* right = Create<Vel_FloatChannel>(vel::kFloatType);
  right->SetFloat(1);
  ASSERT_TRUE(Link(steering, right, SteeredPlacementChannel::kRightSlot));
  NextFrame();
  steering->GetMatrix();
  NextFrame();
  EXPECT_NEAR(steering->GetMatrix()._41, 0.15f, 1e-5);
}

}  // namespace
}  // namespace vel_test
