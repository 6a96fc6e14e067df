// The camera channel: fog states from its settings, the projection from its
// zoom or projection child, the view as the inverse of its camera matrix, the
// singleton that silences cameras of loaded groups, and its record.
#include "camera/vel_dx8_camera_channel.h"
#include "channel_harness.h"
#include "floatvalue/vel_float_channel.h"
#include "foreign_child.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "projection/projection_channel.h"
#include "record_bytes.h"

#include <cmath>
#include <cstring>

namespace vel_test {
namespace {

using Camera = Vel_DX8_CameraChannel;

class CameraTest : public ChannelHarness {
 protected:
  void SetUp() override {
    ChannelHarness::SetUp();
    device = Device();
    ASSERT_NE(device, nullptr);
    ASSERT_NE(D3DDevice(), nullptr);
    camera = Create<Camera>(vel::kCameraType);
    ASSERT_NE(camera, nullptr);
  }
  DWORD State(D3DRENDERSTATETYPE state) {
    DWORD value = 0;
    D3DDevice()->GetRenderState(state, &value);
    return value;
  }
  static bool IsIdentity(D3DXMATRIX m) { return D3DXMatrixIsIdentity(&m); }
  static float AsFloat(DWORD bits) {
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
  }
  Vel_MatrixChannel* MatrixChild(int slot, const D3DXMATRIX& m) {
    auto* child = Create<Vel_MatrixChannel>(vel::kMatrixType);
    child->SetMatrix(m);
    EXPECT_TRUE(Link(camera, child, slot));
    return child;
  }
  // A red quad across the view at eye depth z, drawn unlit.
  void DrawRedQuadAtDepth(float z) {
    struct Vertex {
      float x, y, z;
      D3DCOLOR color;
    } v[4] = {{-z, z, z, 0xFFFF0000}, {z, z, z, 0xFFFF0000}, {-z, -z, z, 0xFFFF0000}, {z, -z, z, 0xFFFF0000}};
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    D3DDevice()->SetTransform(D3DTS_WORLD, &identity);
    D3DDevice()->SetRenderState(D3DRS_LIGHTING, FALSE);
    D3DDevice()->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    D3DDevice()->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof v[0]);
  }

  Vel_DX8_DirectGraphicsChannel* device = nullptr;
  Camera* camera = nullptr;
};

TEST_F(CameraTest, EmptyCameraSetsTheDefaultProjectionAndNoFog) {
  device->SetProjectionMatrix(1.0f, 10.0f, 2.0f, 3.0f);
  Frame(camera);
  EXPECT_EQ(State(D3DRS_FOGENABLE), 0u);
  ProjectionInfo info = device->GetProjectionInformation();
  EXPECT_FLOAT_EQ(info.nearPlane, 0.4f);
  EXPECT_FLOAT_EQ(info.farPlane, 4000.0f);
  EXPECT_FLOAT_EQ(info.scale, 2.0f);
  EXPECT_FLOAT_EQ(info.zoom, 1.0f);
  EXPECT_TRUE(IsIdentity(device->GetCameraMatrix()));
}

TEST_F(CameraTest, ViewIsTheInverseOfTheCameraMatrixAndNeverFlips) {
  D3DXMATRIX placement;
  D3DXMatrixTranslation(&placement, 0, 0, -10);
  MatrixChild(Camera::kCameraMatrixSlot, placement);
  Frame(camera);
  EXPECT_FLOAT_EQ(device->GetCameraMatrix()._43, 10.0f);
  // Unlinked, the camera keeps the view of its last camera matrix, frame
  // after frame.
  camera->RemoveChild(Camera::kCameraMatrixSlot);
  for (int i = 0; i < 3; ++i) {
    Frame(camera);
    EXPECT_FLOAT_EQ(device->GetCameraMatrix()._43, 10.0f) << "frame " << i;
  }
  // A camera matrix without an inverse keeps the last view, reported once.
  D3DXMATRIX flat;
  D3DXMatrixScaling(&flat, 1, 0, 1);
  MatrixChild(Camera::kCameraMatrixSlot, flat);
  messages.Clear();
  RunFrames(camera, 3);
  EXPECT_FLOAT_EQ(device->GetCameraMatrix()._43, 10.0f);
  EXPECT_EQ(messages.Count("Vel_DX8_CameraChannel: camera matrix has no inverse, keeping the previous view"), 1);
}

TEST_F(CameraTest, FogStatesFollowTheSettings) {
  camera->SetChannelValue(Camera::kFogOnSlot, 0.999f);
  Frame(camera);
  EXPECT_EQ(State(D3DRS_FOGENABLE), 0u);
  camera->SetChannelValue(Camera::kFogOnSlot, 1.0f);
  camera->SetChannelValue(Camera::kFogModeSlot, 2.0f);
  camera->SetChannelValue(Camera::kFogStartSlot, 3.0f);
  camera->SetChannelValue(Camera::kFogDensitySlot, std::nanf(""));
  camera->SetChannelValue(Camera::kFogRedSlot, 1.0f);
  camera->SetChannelValue(Camera::kFogGreenSlot, 0.5f);
  camera->SetChannelValue(Camera::kFogBlueSlot, 0.0f);
  Frame(camera);
  EXPECT_EQ(State(D3DRS_FOGENABLE), 1u);
  EXPECT_EQ(State(D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_EXP2));
  EXPECT_FLOAT_EQ(AsFloat(State(D3DRS_FOGSTART)), 3.0f);
  EXPECT_FLOAT_EQ(AsFloat(State(D3DRS_FOGEND)), 20.0f);
  EXPECT_FLOAT_EQ(AsFloat(State(D3DRS_FOGDENSITY)), 1.0f) << "a NaN density falls back to the default";
  EXPECT_EQ(State(D3DRS_FOGCOLOR), 0x00FF7F00u);
  EXPECT_EQ(camera->GetRGBFogColor(), 0x00007FFFu);

  // Out-of-range values saturate: a colour above 1 is full, a huge mode is
  // no mode (the previous one stays).
  camera->SetChannelValue(Camera::kFogRedSlot, 1.5f);
  camera->SetChannelValue(Camera::kFogGreenSlot, -3.0f);
  camera->SetChannelValue(Camera::kFogModeSlot, 1e20f);
  Frame(camera);
  EXPECT_EQ(State(D3DRS_FOGCOLOR), 0x00FF0000u);
  EXPECT_EQ(camera->GetFogMode(), INT32_MAX);
  EXPECT_EQ(State(D3DRS_FOGTABLEMODE), static_cast<DWORD>(D3DFOG_EXP2));

  // SetFogColor takes red in the low byte and writes the sources.
  camera->SetFogColor(0x000000FF);
  EXPECT_FLOAT_EQ(camera->GetChannelValue(Camera::kFogRedSlot), 1.0f);
  EXPECT_EQ(camera->GetFogColor(), 0x00FF0000u);
}

TEST_F(CameraTest, SettingsGoToFloatChildrenAndForeignChildrenReadZero) {
  auto* fogOn = Create<Vel_FloatChannel>(vel::kFloatType);
  ASSERT_TRUE(Link(camera, fogOn, Camera::kFogOnSlot));
  camera->SetUseFog(true);
  EXPECT_FLOAT_EQ(fogOn->GetFloat(), 1.0f);
  // A matrix channel where a float belongs is neither read nor written.
  auto* matrix = Create<Vel_MatrixChannel>(vel::kMatrixType);
  ASSERT_TRUE(PlaceForeignChild(camera, Camera::kFogEndSlot, matrix));
  camera->SetFogEnd(50.0f);
  EXPECT_FLOAT_EQ(camera->GetChannelValue(Camera::kFogEndSlot), 0.0f);
  ASSERT_TRUE(PlaceForeignChild(camera, Camera::kCameraMatrixSlot, fogOn));
  Frame(camera);
  EXPECT_TRUE(IsIdentity(device->GetCameraMatrix()));
}

TEST_F(CameraTest, LinearFogColoursAFaceByItsDepth) {
  camera->SetUseFog(true);
  camera->SetFogMode(0);
  camera->SetFogStart(2.0f);
  camera->SetFogEnd(8.0f);
  camera->SetChannelValue(Camera::kFogBlueSlot, 1.0f);
  D3DDevice()->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  Frame(camera);
  DrawRedQuadAtDepth(5.0f);
  // f = (end - z) / (end - start); colour = f x red + (1 - f) x fog blue.
  EXPECT_RGB_NEAR(PresentAndCapture().At(kWidth / 2, kHeight / 2), Byte(0.5f), 0, Byte(0.5f), 3);
  DrawRedQuadAtDepth(3.5f);
  EXPECT_RGB_NEAR(PresentAndCapture().At(kWidth / 2, kHeight / 2), Byte(0.75f), 0, Byte(0.25f), 3);
}

TEST_F(CameraTest, ProjectionComesFromTheZoomOrTheProjectionChild) {
  camera->SetZoomFactor(2.0f);
  Frame(camera);
  // _11 = near x scale / (2 w) with the half width w = 0.21543333 / zoom.
  EXPECT_NEAR(device->GetProjectionMatrix()._11, 0.4f * 2.0f / (2.0f * 0.21543333f / 2.0f), 1e-4f);

  auto* projection = Create<ProjectionChannel>(vel::kProjectionType);
  projection->SetNearPlane(1.0f);
  projection->SetFarPlane(100.0f);
  projection->SetZoomFactor(4.0f);
  ASSERT_TRUE(Link(camera, projection, Camera::kProjectionSlot));
  Frame(camera);
  ProjectionInfo info = device->GetProjectionInformation();
  EXPECT_FLOAT_EQ(info.nearPlane, 1.0f);
  EXPECT_FLOAT_EQ(info.farPlane, 100.0f);
  EXPECT_FLOAT_EQ(info.zoom, 4.0f);
  EXPECT_FLOAT_EQ(camera->GetZoomFactor(), 4.0f);
  EXPECT_NEAR(device->GetProjectionMatrix()._33, 100.0f / 99.0f, 1e-5f);

  // Any other matrix child is the projection itself; the zoom is the camera's own.
  camera->RemoveChild(Camera::kProjectionSlot);
  D3DXMATRIX custom;
  D3DXMatrixScaling(&custom, 3, 3, 1);
  MatrixChild(Camera::kProjectionSlot, custom);
  Frame(camera);
  EXPECT_FLOAT_EQ(device->GetProjectionMatrix()._11, 3.0f);
  EXPECT_FLOAT_EQ(camera->GetZoomFactor(), 2.0f);
}

TEST_F(CameraTest, SingletonSilencesCamerasOfLoadedGroupsButPlanesFollowTheView) {
  auto* singleton = vel::As<Vel_FloatChannel>(engine->GetUniqueChannel(vel::kFloatType, Camera::kSingletonName),
                                              vel::kFloatType);
  ASSERT_NE(singleton, nullptr);
  singleton->SetFloat(1.0f);
  camera->SetUseFog(true);
  D3DXMATRIX placement, far;
  D3DXMatrixTranslation(&placement, 0, 0, -10);
  MatrixChild(Camera::kCameraMatrixSlot, placement);
  D3DXMatrixTranslation(&far, 0, 0, 50000);
  D3DDevice()->SetTransform(D3DTS_VIEW, &far);
  Frame(camera);
  EXPECT_EQ(State(D3DRS_FOGENABLE), 0u);
  EXPECT_FLOAT_EQ(device->GetCameraMatrix()._43, 50000.0f) << "no view set";
  D3DXVECTOR3 lo(-1, -1, -1), hi(1, 1, 1);
  EXPECT_FALSE(device->CheckAABBVisible(lo, hi)) << "planes recomputed from the view in force";

  // A camera outside any group always applies.
  Orn_Channel* loose = engine->InitChannelFromType(vel::kCameraType, nullptr, false);
  ASSERT_NE(loose, nullptr);
  loose->CallChannel();
  EXPECT_TRUE(IsIdentity(device->GetCameraMatrix()));
  delete loose;
}

TEST_F(CameraTest, RecordLoadsBackAndADamagedChunkKeepsTheDefaults) {
  camera->SetFogStart(3.0f);
  camera->SetFogColor(0x00336699);
  camera->SetZoomFactor(1.5f);
  std::vector<char> record = SaveRecord(camera);
  bool loaded = false;
  auto* copy = vel::As<Camera>(LoadRecord(vel::kCameraType, record, &loaded), vel::kCameraType);
  ASSERT_TRUE(loaded);
  EXPECT_FLOAT_EQ(copy->GetChannelValue(Camera::kFogStartSlot), 3.0f);
  EXPECT_EQ(SaveRecord(copy), record);

  messages.Clear();
  auto* damaged = vel::As<Camera>(LoadRecord(vel::kCameraType, WithBlock(record, "CASE", std::vector<char>(36)), &loaded),
                                  vel::kCameraType);
  EXPECT_TRUE(loaded);
  EXPECT_FLOAT_EQ(damaged->GetChannelValue(Camera::kFogEndSlot), 20.0f);
  EXPECT_TRUE(messages.Has("Vel_DX8_CameraChannel::LoadChannel: Corrupt chunk CASE"));
  ExpectCutRecordsHandled(vel::kCameraType, record);
}

}  // namespace
}  // namespace vel_test
