// The surface channel's settings and its saved record.
#include "channel_harness.h"
#include "surface/vel_dx8_surface_channel.h"

#include <cstring>

namespace vel_test {
namespace {

class SurfaceRecordTest : public ChannelHarness {};

TEST_F(SurfaceRecordTest, SettingsRoundTripThroughTheRecord) {
  auto* surface = Create<Vel_DX8_SurfaceChannel>(vel::kSurfaceType);
  ASSERT_NE(surface, nullptr);
  EXPECT_STREQ(surface->GetChannelType().name, "DX8 Surface");
  // Opaque, visible and depth-tested when new.
  EXPECT_FALSE(surface->GetTransparentSurface());
  EXPECT_TRUE(surface->GetVisible());
  EXPECT_TRUE(surface->GetCheckDepthBuffer());
  EXPECT_TRUE(surface->GetWriteDepthBuffer());
  EXPECT_EQ(surface->GetColorOp(0), static_cast<DWORD>(D3DTOP_MODULATE));
  EXPECT_EQ(surface->GetObjectData(), nullptr);

  surface->SetTransparentSurface(true);
  surface->SetWriteDepthBuffer(false);
  surface->SetAlphaRejectValue(100);
  surface->SetZBias(3);
  surface->SetColorOp(D3DTOP_ADD, 7);
  surface->SetCoordIndex(1, 2);
  surface->SetTillingMode(D3DTADDRESS_CLAMP, 4);
  surface->SetAlphaArg2(D3DTA_TEXTURE, 0);
  // Stages outside 0..7 are neither written nor read.
  surface->SetColorOp(D3DTOP_ADD, 8);
  surface->SetColorOp(D3DTOP_ADD, -1);
  EXPECT_EQ(surface->GetColorOp(8), 0u);
  EXPECT_EQ(surface->GetTillingMode(-1), 0u);

  std::vector<char> record = SaveRecord(surface);
  bool loaded = false;
  auto* copy = vel::As<Vel_DX8_SurfaceChannel>(LoadRecord(vel::kSurfaceType, record, &loaded), vel::kSurfaceType);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(SaveRecord(copy), record);
  EXPECT_TRUE(copy->GetTransparentSurface());
  EXPECT_FALSE(copy->GetWriteDepthBuffer());
  EXPECT_EQ(copy->GetAlphaRejectValue(), 100u);
  EXPECT_EQ(copy->GetZBias(), 3u);
  EXPECT_EQ(copy->GetColorOp(7), static_cast<DWORD>(D3DTOP_ADD));
  EXPECT_EQ(copy->GetCoordIndex(2), 1u);
  EXPECT_EQ(copy->GetTillingMode(4), static_cast<DWORD>(D3DTADDRESS_CLAMP));
  EXPECT_EQ(copy->GetAlphaArg2(0), static_cast<DWORD>(D3DTA_TEXTURE));

  ExpectCutRecordsHandled(vel::kSurfaceType, record);
}

}  // namespace
}  // namespace vel_test
