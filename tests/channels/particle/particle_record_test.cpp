// The particle channel's saved record: the parameter record byte for byte,
// odd flag bytes and values that cannot be used, and damaged records.
#include "particle_fixture.h"
#include "record_bytes.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace vel_test {
namespace {

TEST_F(ParticleTest, RecordRoundTripsByteForByteAndBadValuesAreMadeSafe) {
  auto* system = System(nullptr);
  ASSERT_NE(system, nullptr);
  system->SetBirthRate(7.5f);
  system->SetGravity(2);
  system->SetStartColor(D3DXVECTOR3(0.25f, 0.5f, 0.75f));
  system->SetExplodeCount(3);
  system->SetUsesNormalize(0);
  const std::vector<char> record = SaveRecord(system);

  // "PARI" with the 64-byte record, last in the channel's record.
  const long at = FindChunk(record, "PARI");
  ASSERT_GT(at, 0);
  ASSERT_EQ(record.size(), static_cast<size_t>(at + 8 + 64));
  uint32_t size = 0;
  std::memcpy(&size, &record[at + 4], 4);
  EXPECT_EQ(size, 64u);
  auto floatAt = [&](int offset) {
    float v;
    std::memcpy(&v, &record[at + 8 + offset], 4);
    return v;
  };
  EXPECT_EQ(floatAt(0), 7.5f);     // birth rate
  EXPECT_EQ(floatAt(8), 20.0f);    // life time default
  EXPECT_EQ(floatAt(16), 0.5f);    // start colour green
  EXPECT_EQ(floatAt(44), 2.0f);    // gravity
  EXPECT_EQ(floatAt(56), 3.0f);    // explode count
  EXPECT_EQ(record[at + 8 + 60], 0);  // normalize

  bool loaded = false;
  auto* copy = vel::As<Vel_DX8_ParticleObject>(LoadRecord(vel::kParticleType, record, &loaded), vel::kParticleType);
  ASSERT_TRUE(loaded && copy);
  EXPECT_EQ(SaveRecord(copy), record);

  // A normalize byte of 7 is set; NaN and negative rates, times and colours
  // are made usable.
  std::vector<char> block(record.begin() + at + 8, record.end());
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float minusOne = -1.0f;
  std::memcpy(&block[0], &minusOne, 4);
  std::memcpy(&block[8], &nan, 4);
  std::memcpy(&block[12], &nan, 4);
  block[60] = 7;
  auto* odd = vel::As<Vel_DX8_ParticleObject>(
      LoadRecord(vel::kParticleType, WithBlock(record, "PARI", block), &loaded), vel::kParticleType);
  ASSERT_TRUE(loaded && odd);
  EXPECT_TRUE(odd->GetUsesNormalize());
  EXPECT_EQ(odd->GetBirthRate(), 0.0f);
  EXPECT_EQ(odd->GetParticleLifeTime(), 0.0f);
  EXPECT_EQ(odd->GetStartColor().x, 0.0f);

  // Damaged records: a short block is reported and keeps the defaults.
  messages.Clear();
  auto* shortBlock = vel::As<Vel_DX8_ParticleObject>(
      LoadRecord(vel::kParticleType, WithBlock(record, "PARI", std::vector<char>(60, 0)), &loaded),
      vel::kParticleType);
  ASSERT_NE(shortBlock, nullptr);
  EXPECT_TRUE(messages.Contains("Corrupt chunk"));
  EXPECT_EQ(shortBlock->GetBirthRate(), 5.0f);
  ExpectCutRecordsHandled(vel::kParticleType, record);
}

}  // namespace
}  // namespace vel_test
