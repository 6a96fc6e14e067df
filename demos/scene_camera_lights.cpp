// The scene's camera on its circular path with fog, and its two lights: a
// low warm sun and an orange lamp between the ball and the crates.
#include "camera/vel_dx8_camera_channel.h"
#include "light/vel_dx8_light_instance_channel.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "motion/vel_dx8_motion_channel.h"
#include "orbit/orbit_path_channel.h"

#include <cstdio>
#include "scene/vel_scene_channel.h"
#include "scene_demo.h"
#include "vectorvalue/vel_vector_channel.h"
#include "vel_type_guids.h"

namespace demos {

namespace {
const GUID kOrbitPathType = GuidLiteral("5B2A43FC-4685-42A5-8BE0-8C71BA7C4170");
}

void AddCameraOnPath(SceneDemo& demo) {
  auto* camera = demo.Make<Vel_DX8_CameraChannel>(vel::kCameraType, "Camera");
  auto* motion = demo.Make<Vel_DX8_MotionChannel>(vel::kMotionType, "Camera Motion", true);
  auto* path = demo.Make<OrbitPathChannel>(kOrbitPathType, "Camera Path");
  auto* target = demo.Make<Vel_MatrixChannel>(vel::kMatrixType, "Camera Target");
  if (!camera || !motion || !path || !target) return;
  path->SetPath({9.0f, 3.2f, 40.0f, -1.9f});
  demo.Link(motion, path, Vel_DX8_MotionChannel::kPositionSlot);
  D3DXMATRIX at;
  D3DXMatrixTranslation(&at, 0.0f, 0.7f, 0.0f);
  target->SetMatrix(at);
  demo.Link(motion, target, Vel_DX8_MotionChannel::kLookAtSlot);
  demo.Link(camera, motion, Vel_DX8_CameraChannel::kCameraMatrixSlot);
  if (motion->GetPosition() != static_cast<Vel_VectorChannel*>(path)) {
    std::fprintf(stderr, "make_demos: the camera path did not take the position slot\n");
    demo.ok = false;
  }

  // Linear fog in the sky's colour from 9 to 26 units away.
  camera->SetUseFog(true);
  camera->SetFogMode(0);
  camera->SetFogStart(9.0f);
  camera->SetFogEnd(26.0f);
  camera->SetFogColor(((kSkyColor >> 16) & 0xFF) | (kSkyColor & 0xFF00) | ((kSkyColor & 0xFF) << 16));
  demo.Link(demo.scene, camera, Vel_SceneChannel::kChildrenSlot);
}

namespace {

Vel_DX8_LightInstanceChannel* AddLight(SceneDemo& demo, const char* name, int type, D3DXVECTOR3 diffuse) {
  auto* light = demo.Make<Vel_DX8_LightInstanceChannel>(vel::kLightType, name, true);
  if (!light) return nullptr;
  light->SetLightType(type);
  light->SetVectorValue(Vel_DX8_LightInstanceChannel::kDiffuseSlot, diffuse);
  demo.Link(demo.scene, light, Vel_SceneChannel::kChildrenSlot);
  demo.lights.push_back(light);
  return light;
}

Vel_DX8_MotionChannel* Placement(Vel_DX8_LightInstanceChannel* light) {
  return vel::ChildAs<Vel_DX8_MotionChannel>(light, Vel_DX8_LightInstanceChannel::kPlacementSlot, vel::kMotionType);
}

}  // namespace

void AddLights(SceneDemo& demo) {
  // The sun: a directional light turned down and to the side (yaw, pitch),
  // which also brings the scene's ambient light.
  Vel_DX8_LightInstanceChannel* sun = AddLight(demo, "Sun", 0, {0.66f, 0.61f, 0.52f});
  Vel_DX8_MotionChannel* sunPlace = sun ? Placement(sun) : nullptr;
  if (!sunPlace || !sunPlace->GetRotation()) {
    demo.ok = false;
    return;
  }
  sunPlace->GetRotation()->SetVector({0.7f, -0.85f, 0.0f});
  sun->SetVectorValue(Vel_DX8_LightInstanceChannel::kAmbientSlot, {0.20f, 0.22f, 0.28f});

  // The lamp: an orange point light between the crates, fading with distance.
  Vel_DX8_LightInstanceChannel* lamp = AddLight(demo, "Lamp", 2, {1.0f, 0.50f, 0.15f});
  Vel_DX8_MotionChannel* lampPlace = lamp ? Placement(lamp) : nullptr;
  if (!lampPlace || !lampPlace->GetPosition()) {
    demo.ok = false;
    return;
  }
  lampPlace->GetPosition()->SetVector({-1.5f, 0.6f, -0.9f});
  lamp->SetVectorValue(Vel_DX8_LightInstanceChannel::kAttenuationSlot, {0.05f, 0.3f, 0.2f});
  lamp->SetChannelValue(12.0f, Vel_DX8_LightInstanceChannel::kRangeSlot);
}

}  // namespace demos
