// The material channel: the material it sets on the device from its own
// values and its children, and its saved record.
#include "channel_harness.h"
#include "floatvalue/vel_float_channel.h"
#include "material/material_channel.h"
#include "vectorvalue/vel_vector_channel.h"

#include <cmath>
#include <cstring>

namespace vel_test {
namespace {

class MaterialChannelTest : public ChannelHarness {
 protected:
  D3DMATERIAL8 DeviceMaterial() {
    D3DMATERIAL8 m{};
    D3DDevice()->GetMaterial(&m);
    return m;
  }
};

void ExpectColor(const D3DCOLORVALUE& c, float r, float g, float b, float a) {
  EXPECT_FLOAT_EQ(c.r, r);
  EXPECT_FLOAT_EQ(c.g, g);
  EXPECT_FLOAT_EQ(c.b, b);
  EXPECT_FLOAT_EQ(c.a, a);
}

TEST_F(MaterialChannelTest, AppliesItsOwnValuesWithLinkedChildrenInTheirPlace) {
  auto* material = Create<MaterialChannel>(vel::kMaterialType);
  ASSERT_NE(material, nullptr);
  ASSERT_NE(D3DDevice(), nullptr);
  material->ApplyMaterial();
  ExpectColor(DeviceMaterial().Diffuse, 1, 1, 1, 1);
  ExpectColor(DeviceMaterial().Ambient, 1, 1, 1, 1);
  ExpectColor(DeviceMaterial().Specular, 0, 0, 0, 1);

  D3DMATERIAL8 own{};
  own.Diffuse = {0.5f, 0.25f, 0.125f, 0.75f};
  own.Specular = {1, 1, 1, 1};
  own.Power = 8;
  material->SetMaterial(own);
  auto* diffuse = Create<Vel_VectorChannel>(vel::kVectorType);
  auto* alpha = Create<Vel_FloatChannel>(vel::kFloatType);
  auto* power = Create<Vel_FloatChannel>(vel::kFloatType);
  ASSERT_TRUE(Link(material, diffuse, MaterialChannel::kDiffuse));
  ASSERT_TRUE(Link(material, alpha, MaterialChannel::kAlpha));
  ASSERT_TRUE(Link(material, power, MaterialChannel::kPower));
  diffuse->SetVector({0.0f, 1.0f, 0.0f});
  alpha->SetFloat(0.5f);
  power->SetFloat(std::nanf(""));  // not a number: the own power stays
  material->ApplyMaterial();
  D3DMATERIAL8 m = DeviceMaterial();
  ExpectColor(m.Diffuse, 0, 1, 0, 0.5f);
  ExpectColor(m.Specular, 1, 1, 1, 0.5f);
  EXPECT_FLOAT_EQ(m.Power, 8.0f);
  EXPECT_FLOAT_EQ(material->GetMaterialValue(MaterialChannel::kAlphaValue), 0.5f);
  EXPECT_FLOAT_EQ(material->GetMaterialValue(16), 8.0f);
  EXPECT_FLOAT_EQ(material->GetMaterialValue(17), 0.0f);
  EXPECT_FLOAT_EQ(material->GetMaterialValue(-1), 0.0f);

  // Unlinked, the own value is back.
  Destroy(diffuse);
  material->ApplyMaterial();
  ExpectColor(DeviceMaterial().Diffuse, 0.5f, 0.25f, 0.125f, 0.5f);
}

TEST_F(MaterialChannelTest, RecordLoadsBackByteForByteAndADamagedOneKeepsTheDefaults) {
  auto* material = Create<MaterialChannel>(vel::kMaterialType);
  D3DMATERIAL8 own{};
  own.Diffuse = {0.1f, 0.2f, 0.3f, 0.4f};
  own.Ambient = {0.0f, 0.0f, 0.0f, 0.4f};
  own.Specular = {0.0f, 0.0f, 0.0f, 0.4f};
  own.Emissive = {0.5f, 0.6f, 0.7f, 0.4f};
  own.Power = 12.5f;
  material->SetMaterial(own);
  std::vector<char> record = SaveRecord(material);
  bool loaded = false;
  Orn_Channel* copy = LoadRecord(vel::kMaterialType, record, &loaded);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(SaveRecord(copy), record);
  D3DMATERIAL8 back = vel::As<MaterialChannel>(copy, vel::kMaterialType)->GetOwnMaterial();
  EXPECT_EQ(std::memcmp(&back, &own, sizeof own), 0);

  ExpectCutRecordsHandled(vel::kMaterialType, record);
  // A material that is not a number is reported and not taken.
  std::vector<char> bad = record;
  const float nan = std::nanf("");
  std::memcpy(bad.data() + bad.size() - 4, &nan, 4);
  messages.Clear();
  auto* damaged = vel::As<MaterialChannel>(LoadRecord(vel::kMaterialType, bad, &loaded), vel::kMaterialType);
  EXPECT_TRUE(messages.Has(kMessageError, "MaterialChannel::LoadChannel: Corrupt chunk MATE"));
  EXPECT_FLOAT_EQ(damaged->GetOwnMaterial().Diffuse.r, 1.0f);
  EXPECT_FLOAT_EQ(damaged->GetOwnMaterial().Power, 0.0f);
}

}  // namespace
}  // namespace vel_test
