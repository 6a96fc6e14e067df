// The records of the projection and group-buffer channels: saved and loaded
// back byte for byte, damaged ones reported with the defaults kept.
#include "channel_harness.h"
#include "groupbuffer/group_buffer_channel.h"
#include "projection/projection_channel.h"
#include "record_bytes.h"

namespace vel_test {
namespace {

class SceneValueRecordsTest : public ChannelHarness {};

TEST_F(SceneValueRecordsTest, ProjectionRecord) {
  auto* projection = Create<ProjectionChannel>(vel::kProjectionType);
  ASSERT_NE(projection, nullptr);
  EXPECT_EQ(projection->GetChannelType().baseType, vel::kMatrixType) << "it links where a matrix does";
  projection->SetNearPlane(2.0f);
  projection->SetFarPlane(50.0f);
  projection->SetZoomFactor(3.0f);
  std::vector<char> record = SaveRecord(projection);
  bool loaded = false;
  auto* copy = vel::As<ProjectionChannel>(LoadRecord(vel::kProjectionType, record, &loaded), vel::kProjectionType);
  ASSERT_TRUE(loaded);
  EXPECT_FLOAT_EQ(copy->GetFarPlane(), 50.0f);
  EXPECT_EQ(SaveRecord(copy), record);

  auto* damaged = vel::As<ProjectionChannel>(
      LoadRecord(vel::kProjectionType, CutInside(record, "PRJV", 6), &loaded), vel::kProjectionType);
  EXPECT_TRUE(loaded);
  EXPECT_TRUE(messages.Has("ProjectionChannel::LoadChannel: Corrupt chunk PRJV"));
  EXPECT_FLOAT_EQ(damaged->GetNearPlane(), 0.4f);
  EXPECT_FLOAT_EQ(damaged->GetZoomFactor(), 1.0f);
  ExpectCutRecordsHandled(vel::kProjectionType, record);
}

TEST_F(SceneValueRecordsTest, GroupBufferRecordAndStamp) {
  auto* buffer = Create<GroupBufferChannel>(vel::kGroupBufferType);
  ASSERT_NE(buffer, nullptr);
  unsigned long stamp = buffer->GetTimeStamp();
  ASSERT_TRUE(buffer->SetData("image bytes", 11));
  EXPECT_NE(buffer->GetTimeStamp(), stamp) << "a change is marked";
  EXPECT_FALSE(buffer->SetData(nullptr, 5));
  EXPECT_EQ(buffer->GetDataSize(), 11);
  std::vector<char> record = SaveRecord(buffer);
  bool loaded = false;
  auto* copy = vel::As<GroupBufferChannel>(LoadRecord(vel::kGroupBufferType, record, &loaded),
                                           vel::kGroupBufferType);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(std::string(copy->GetData(), 11), "image bytes");
  EXPECT_EQ(SaveRecord(copy), record);

  auto* damaged = vel::As<GroupBufferChannel>(
      LoadRecord(vel::kGroupBufferType, CutInside(record, "GBDA", 4), &loaded), vel::kGroupBufferType);
  EXPECT_TRUE(loaded);
  EXPECT_TRUE(messages.Has("GroupBufferChannel::LoadChannel: Corrupt chunk GBDA"));
  EXPECT_EQ(damaged->GetData(), nullptr);
  ExpectCutRecordsHandled(vel::kGroupBufferType, record);
}

}  // namespace
}  // namespace vel_test
