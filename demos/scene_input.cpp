// Steering the scene's camera and picking with the mouse: W, S, A and D move
// the camera along and across its view, the mouse turns it while the right
// button is held; three beacons light up while the mouse cursor is over
// them. The keys and buttons are user-input channels on the engine's input
// channel; each beacon has a picking channel that feeds its material's
// emissive colour.
#include "camera/vel_dx8_camera_channel.h"
#include "demo_meshes.h"
#include "highlight/pick_highlight_channel.h"
#include "material/material_channel.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "mousepick/vel_dx8_detect_mouse_collision.h"
#include "object/vel_dx8_object_channel.h"
#include "scene_demo.h"
#include "steer/steered_placement_channel.h"
#include "userinput/vel_dx8_user_input.h"
#include "vel_type_guids.h"

#include <cstdio>

namespace demos {

namespace {
const GUID kSteeredPlacementType = GuidLiteral("9C3E5A71-2B8D-4F16-A0C4-6D7E19B3F258");
const GUID kPickHighlightType = GuidLiteral("E4A17C36-58B2-4D09-9F3A-2C6B81D07E45");

// DirectInput key codes.
constexpr int kKeyW = 0x11;
constexpr int kKeyS = 0x1F;
constexpr int kKeyA = 0x1E;
constexpr int kKeyD = 0x20;

Vel_DX8_UserInput* AddUserInput(SceneDemo& demo, const char* name, int type, int value) {
  auto* input = demo.Make<Vel_DX8_UserInput>(vel::kUserInputType, name);
  if (!input) return nullptr;
  input->SetInfoType(type);
  input->SetInfoValue(value);
  return input;
}
}  // namespace

void AddCameraSteering(SceneDemo& demo) {
  auto* camera = vel::As<Vel_DX8_CameraChannel>(demo.group->GetChannel("Camera"), vel::kCameraType);
  auto* path = camera ? vel::ChildAs<Vel_MatrixChannel>(camera, Vel_DX8_CameraChannel::kCameraMatrixSlot,
                                                        vel::kMatrixType)
                      : nullptr;
  auto* steering = demo.Make<SteeredPlacementChannel>(kSteeredPlacementType, "Camera Steering");
  if (!camera || !path || !steering) {
    std::fprintf(stderr, "make_demos: no camera on a path to steer\n");
    demo.ok = false;
    return;
  }
  using UI = Vel_DX8_UserInput;
  const struct {
    int slot;
    const char* name;
    int type, value;
  } inputs[] = {{SteeredPlacementChannel::kForwardSlot, "Key W", UI::kKeyboard, kKeyW},
                {SteeredPlacementChannel::kBackSlot, "Key S", UI::kKeyboard, kKeyS},
                {SteeredPlacementChannel::kLeftSlot, "Key A", UI::kKeyboard, kKeyA},
                {SteeredPlacementChannel::kRightSlot, "Key D", UI::kKeyboard, kKeyD},
                {SteeredPlacementChannel::kLookSlot, "Right Button", UI::kMouse, 1},
                {SteeredPlacementChannel::kTurnSlot, "Mouse X", UI::kMouse, 2},
                {SteeredPlacementChannel::kTiltSlot, "Mouse Y", UI::kMouse, 3}};
  for (const auto& in : inputs) demo.Link(steering, AddUserInput(demo, in.name, in.type, in.value), in.slot);
  // The path becomes the parent of the steering, which takes its place.
  demo.Link(steering, path, SteeredPlacementChannel::kParentSlot);
  camera->RemoveChild(Vel_DX8_CameraChannel::kCameraMatrixSlot);
  demo.Link(camera, steering, Vel_DX8_CameraChannel::kCameraMatrixSlot);
}

void AddPickedBeacons(SceneDemo& demo) {
  Vel_DX8_ObjectDataChannel* mesh = demo.AddMesh("Beacon Mesh", Box(0.5f, 0.5f, 0.5f));
  const D3DXVECTOR3 spots[] = {{3.2f, 0.25f, 1.6f}, {3.9f, 0.25f, 0.6f}, {-1.2f, 0.25f, 1.9f}};
  for (const D3DXVECTOR3& at : spots) {
    D3DXMATRIX placement;
    D3DXMatrixTranslation(&placement, at.x, at.y, at.z);
    Vel_DX8_ObjectChannel* beacon = demo.AddObject("Beacon", placement);
    MaterialChannel* material = demo.AddMaterial("Beacon", {0.25f, 0.35f, 0.9f, 1}, {0, 0, 0, 1});
    auto* pick = demo.Make<Vel_DX8_DetectMouseCollision>(vel::kMousePickType, "Beacon Picked");
    auto* glow = demo.Make<PickHighlightChannel>(kPickHighlightType, "Beacon Glow");
    if (!beacon || !material || !pick || !glow) return;
    glow->SetVector({1.0f, 0.85f, 0.2f});
    demo.Link(pick, beacon, Vel_DX8_DetectMouseCollision::kObjectSlot);
    demo.Link(glow, pick, PickHighlightChannel::kPickedSlot);
    demo.Link(material, glow, MaterialChannel::kEmissive);
    demo.AddSurface(beacon, mesh, material, nullptr);
  }
}

}  // namespace demos
