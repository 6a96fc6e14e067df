// The light channel: the light record built from its settings, switching on
// and off through the light manager, the colour it gives a lit face, and its
// record.
#include "channel_harness.h"
#include "floatvalue/vel_float_channel.h"
#include "foreign_child.h"
#include "light/vel_dx8_light_instance_channel.h"
#include "lightmanager/light_manager_channel.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "record_bytes.h"
#include "vectorvalue/vel_vector_channel.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace vel_test {
namespace {

using Light = Vel_DX8_LightInstanceChannel;

class LightTest : public ChannelHarness {
 protected:
  void SetUp() override {
    ChannelHarness::SetUp();
    ASSERT_NE(D3DDevice(), nullptr);
    manager = vel::As<LightManagerChannel>(engine->GetUniqueChannel(vel::kLightManagerType, nullptr),
                                           vel::kLightManagerType);
    ASSERT_NE(manager, nullptr);
  }
  Light* NewLight(bool withChildren) { return Create<Light>(vel::kLightType, withChildren); }
  D3DLIGHT8 DeviceLight(Light* light) {
    D3DLIGHT8 record{};
    EXPECT_GE(light->GetLightID(), 0);
    D3DDevice()->GetLight(static_cast<DWORD>(light->GetLightID()), &record);
    return record;
  }
  bool DeviceEnabled(int index) {
    BOOL on = FALSE;
    D3DDevice()->GetLightEnable(static_cast<DWORD>(index), &on);
    return on != FALSE;
  }
  // The number at the end of a debug text slot.
  int DebugCount(int slot) {
    std::string text = engine->ext->GetDebug(slot);
    return std::atoi(text.substr(text.rfind(' ') + 1).c_str());
  }
  Vel_MatrixChannel* Placement(Light* light, const D3DXMATRIX& m) {
    auto* placement = Create<Vel_MatrixChannel>(vel::kMatrixType);
    placement->SetMatrix(m);
    light->RemoveChild(Light::kPlacementSlot);
    EXPECT_TRUE(Link(light, placement, Light::kPlacementSlot));
    return placement;
  }

  LightManagerChannel* manager = nullptr;
};

TEST_F(LightTest, NewLightShinesWhiteAlongPlusZAndCallsAlternate) {
  Light* light = NewLight(true);
  ASSERT_NE(light, nullptr);
  auto* state = Create<Vel_FloatChannel>(vel::kFloatType);
  ASSERT_TRUE(Link(light, state, Light::kStateSlot));
  EXPECT_EQ(light->GetChild(Light::kSpecularSlot), light->GetChild(Light::kDiffuseSlot)) << "one shared colour";

  Frame(light);
  D3DLIGHT8 on = DeviceLight(light);
  EXPECT_EQ(on.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_FLOAT_EQ(on.Direction.z, 1.0f);
  EXPECT_FLOAT_EQ(on.Diffuse.r, 1.0f);
  EXPECT_FLOAT_EQ(on.Specular.b, 1.0f);
  EXPECT_FLOAT_EQ(on.Ambient.g, 0.0f);
  EXPECT_FLOAT_EQ(on.Attenuation0, 1.0f);
  EXPECT_FLOAT_EQ(on.Attenuation1, 0.0f);
  EXPECT_FLOAT_EQ(on.Range, 10000.0f);
  EXPECT_FLOAT_EQ(on.Theta, 1.0f);
  EXPECT_FLOAT_EQ(on.Phi, 2.0f);
  int index = light->GetLightID();
  EXPECT_TRUE(DeviceEnabled(index));
  EXPECT_FLOAT_EQ(state->GetFloat(), 1.0f);

  light->CallChannel();  // the second call of the frame switches it off
  EXPECT_FALSE(DeviceEnabled(index));
  EXPECT_FLOAT_EQ(state->GetFloat(), 0.0f);
  EXPECT_EQ(manager->GetEnabledLightCount(), 0);
}

TEST_F(LightTest, SwitchingTwiceIsCountedAndChangesNothing) {
  Light* light = NewLight(false);
  engine->ext->IncreaseTreeCount();
  light->EnableLight();
  light->EnableLight();
  int first = DebugCount(5);
  EXPECT_NE(std::string(engine->ext->GetDebug(5)).find("ERROR LIGHT IS ENABLED TWICE!!"), std::string::npos);
  light->EnableLight();
  EXPECT_EQ(DebugCount(5), first + 1);
  EXPECT_EQ(manager->GetEnabledLightCount(), 1);
  light->DisableLight();
  light->DisableLight();
  EXPECT_NE(std::string(engine->ext->GetDebug(2)).find("ERROR LIGHT IS DISABLED TWICE!!"), std::string::npos);
  EXPECT_EQ(manager->GetEnabledLightCount(), 0);
}

TEST_F(LightTest, FallbacksMakeAPointLightThatMovesAndBadValuesNeverReachTheDevice) {
  Light* light = NewLight(false);
  light->SetLightType(2);
  light->SetLightColor(0x000000FF);
  light->SetChannelValue(std::nanf(""), Light::kRangeSlot);
  D3DXMATRIX m;
  D3DXMatrixTranslation(&m, 2, 0, 0);
  Vel_MatrixChannel* placement = Placement(light, m);
  Frame(light);
  D3DLIGHT8 on = DeviceLight(light);
  EXPECT_EQ(on.Type, D3DLIGHT_POINT);
  EXPECT_FLOAT_EQ(on.Diffuse.r, 1.0f);
  EXPECT_FLOAT_EQ(on.Diffuse.g, 0.0f);
  EXPECT_FLOAT_EQ(on.Position.x, 2.0f);
  EXPECT_FLOAT_EQ(on.Range, 10000.0f) << "a NaN range reads as the default";
  EXPECT_FLOAT_EQ(light->GetDeltaMovement().x, 0.0f);
  light->CallChannel();

  D3DXMatrixTranslation(&m, 3, 0, 0);
  placement->SetMatrix(m);
  light->SetLightType(7);  // no such type: the point light stays
  Frame(light);
  EXPECT_FLOAT_EQ(light->GetDeltaMovement().x, 1.0f);
  EXPECT_FLOAT_EQ(light->GetPosition().x, 3.0f);
  EXPECT_EQ(DeviceLight(light).Type, D3DLIGHT_POINT);
  light->CallChannel();

  // A float where the placement belongs: the light sits at the origin.
  ASSERT_TRUE(PlaceForeignChild(light, Light::kPlacementSlot, Create(vel::kFloatType)));
  Frame(light);
  EXPECT_FLOAT_EQ(DeviceLight(light).Position.x, 0.0f);
}

TEST_F(LightTest, DirectionalLightColoursAFaceByTheAngle) {
  Light* light = NewLight(false);
  light->SetVectorValue(Light::kDiffuseSlot, D3DXVECTOR3(1.0f, 0.5f, 0.25f));
  // +z turned 60 degrees about x: the light meets the face's normal at 60 degrees.
  D3DXMATRIX turn;
  D3DXMatrixRotationX(&turn, 3.14159265f / 3.0f);
  Placement(light, turn);

  IDirect3DDevice8* device = D3DDevice();
  D3DMATERIAL8 material{};
  material.Diffuse = {1, 1, 1, 1};
  device->SetMaterial(&material);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_AMBIENT, 0);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  Frame(light);
  struct Vertex {
    float x, y, z, nx, ny, nz;
  } v[4] = {{-5, 5, 5, 0, 0, -1}, {5, 5, 5, 0, 0, -1}, {-5, -5, 5, 0, 0, -1}, {5, -5, 5, 0, 0, -1}};
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_NORMAL);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0]);
  light->CallChannel();
  // Colour = light diffuse x material diffuse x cos 60.
  EXPECT_RGB_NEAR(PresentAndCapture().At(kWidth / 2, kHeight / 2), Byte(0.5f), Byte(0.25f), Byte(0.125f), 3);
}

TEST_F(LightTest, TheManagerRefusesANinthLightOnceAndForgetsADestroyedOne) {
  std::vector<Light*> lights;
  for (int i = 0; i < 9; ++i) lights.push_back(NewLight(false));
  messages.Clear();
  for (int frame = 0; frame < 3; ++frame) {
    engine->ext->IncreaseTreeCount();
    for (Light* light : lights) light->CallChannel();
    EXPECT_EQ(manager->GetEnabledLightCount(), LightManagerChannel::kMaxLights);
    EXPECT_EQ(lights.back()->GetLightID(), -1);
    for (Light* light : lights) light->CallChannel();
  }
  EXPECT_EQ(messages.Count("LightManagerChannel::EnableLight: no free light index, the light stays off"), 1);

  lights[0]->CallChannel();
  EXPECT_EQ(manager->GetEnabledLightCount(), 1);
  Destroy(lights[0]);
  EXPECT_EQ(manager->GetEnabledLightCount(), 0);
}

TEST_F(LightTest, RecordLoadsBackAndADamagedChunkIsPassedOver) {
  Light* light = NewLight(false);
  light->SetChannelValue(55.0f, Light::kRangeSlot);
  light->SetVectorValue(Light::kAmbientSlot, D3DXVECTOR3(0.1f, 0.2f, 0.3f));
  std::vector<char> record = SaveRecord(light);
  bool loaded = false;
  auto* copy = vel::As<Light>(LoadRecord(vel::kLightType, record, &loaded), vel::kLightType);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(SaveRecord(copy), record);

  messages.Clear();
  auto* damaged = vel::As<Light>(LoadRecord(vel::kLightType, WithBlock(record, "LIVI", std::vector<char>(40)), &loaded),
                                 vel::kLightType);
  EXPECT_TRUE(loaded);
  EXPECT_TRUE(messages.Has("Vel_DX8_LightInstanceChannel::LoadChannel: Corrupt chunk LIVI"));
  EXPECT_FLOAT_EQ(damaged->GetChannelValue(Light::kRangeSlot), 10000.0f);
  EXPECT_FLOAT_EQ(damaged->GetVectorValue(Light::kAmbientSlot, 2), 0.3f) << "the chunk after it is still read";
  ExpectCutRecordsHandled(vel::kLightType, record);
}

}  // namespace
}  // namespace vel_test
