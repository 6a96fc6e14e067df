#include "engine_scene.h"

#include "camera/vel_dx8_camera_channel.h"
#include "demo_images.h"
#include "demo_meshes.h"
#include "device/vel_dx8_direct_graphics_channel.h"
#include "floatvalue/vel_float_channel.h"
#include "light/vel_dx8_light_instance_channel.h"
#include "material/material_channel.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "object/vel_dx8_object_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "particle/vel_dx8_particle_object.h"
#include "scene/vel_scene_channel.h"
#include "surface/vel_dx8_surface_channel.h"
#include "text/text_channel.h"
#include "texture/vel_dx8_texture.h"
#include "vel_child_access.h"
#include "vel_type_guids.h"
#include "win32/window.h"

#include <d3d8/d3d8debug.h>
#include "workloads.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace scenebench {
namespace {

constexpr const char* kWindowClass = "KelvaneSceneBench";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

template <class T>
T* Make(EngineInterface* engine, Orn_ChannelGroup* group, const GUID& type) {
  return vel::As<T>(engine->InitChannelFromType(type, group, false), type);
}

}  // namespace

// A field of objects over one mesh: where each stands, the camera and its
// fog.
struct EngineScene::Field {
  const char* name;
  demos::MeshData mesh;
  int count;
  D3DXMATRIX (*world)(int);
  D3DXMATRIX view;
  float fogStart, fogEnd;
};

bool EngineScene::Init(bool spheres) {
  width_ = spheres ? kSphereWidth : kSize;
  height_ = spheres ? kSphereHeight : kSize;
  const std::string registry = (std::filesystem::temp_directory_path() / "kelvane-bench-registry").string();
  setenv("KELVANE_REGISTRY", registry.c_str(), 1);
  WNDCLASSEXA c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = WindowProc;
  c.hInstance = GetModuleHandleA(nullptr);
  c.lpszClassName = kWindowClass;
  RegisterClassExA(&c);
  HWND window = CreateWindowExA(0, kWindowClass, "Kelvane scene benchmark", WS_POPUP, 0, 0, width_, height_, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!window) return false;
  ShowWindow(window, SW_SHOW);
  window_ = window;
  // Each frame is read back when presented, as the plain program reads its
  // frame back: both end a frame with the same work.
  D3D8Debug_ForceReadBackPresent(TRUE);

  engine_ = new EngineInterface;
  engine_->ext->SetInstallDir(KELVANE_DIST_DIR);
  engine_->ext->SetKelvaneRegKey("Software\\KelvaneBench");
  if (!engine_->ext->InitEngine(GetModuleHandleA(nullptr), kWindowClass)) return false;
  engine_->ext->SetWindowHandle(window);
  if (spheres) {
    spheres_ = BuildField({"Spheres", demos::Ball(kSphereRadius, kSphereSlices, kSphereStacks), kSphereCount,
                           SphereWorld, SphereView(), kSphereFogStart, kSphereFogEnd});
    return spheres_ != nullptr;
  }
  const std::string demo = std::string(KELVANE_DIST_DIR) + "/demos/scene/start.grp";
  demo_ = engine_->LoadChannelGroup(demo.c_str(), "Demo");
  if (!demo_) return false;
  boxes_ = BuildField({"Boxes", demos::Box(kBoxEdge, kBoxEdge, kBoxEdge), BoxCount(), BoxWorld, BoxView(),
                       BoxFogStart(), BoxFogEnd()});
  return boxes_ != nullptr;
}

Orn_ChannelGroup* EngineScene::BuildField(const Field& field) {
  EngineInterface* e = engine_;
  Orn_ChannelGroup* group = e->CreateNewGroup(field.name, false, 0);
  auto* scene = Make<Vel_SceneChannel>(e, group, vel::kSceneType);
  auto* camera = Make<Vel_DX8_CameraChannel>(e, group, vel::kCameraType);
  auto* placement = Make<Vel_MatrixChannel>(e, group, vel::kMatrixType);
  auto* sun = Make<Vel_DX8_LightInstanceChannel>(e, group, vel::kLightType);
  auto* sunPlacement = Make<Vel_MatrixChannel>(e, group, vel::kMatrixType);
  auto* mesh = Make<Vel_DX8_ObjectDataChannel>(e, group, vel::kObjectDataType);
  auto* material = Make<MaterialChannel>(e, group, vel::kMaterialType);
  auto* texture = Make<Vel_DX8_Texture>(e, group, vel::kTextureType);
  if (!scene || !camera || !placement || !sun || !sunPlacement || !mesh || !material || !texture) return nullptr;
  scene->SetClearColor(0xFF8CA6BF);

  // The camera placed where the field's view looks from, with fog.
  D3DXMATRIX cameraMatrix;
  D3DXMatrixInverse(&cameraMatrix, nullptr, &field.view);
  placement->SetMatrix(cameraMatrix);
  camera->SetChild(placement, -1, Vel_DX8_CameraChannel::kCameraMatrixSlot);
  camera->SetUseFog(true);
  camera->SetFogStart(field.fogStart);
  camera->SetFogEnd(field.fogEnd);
  camera->SetFogColor(0xBFA68C);
  scene->SetChild(camera, -1, Vel_SceneChannel::kChildrenSlot);

  // The demo's sun, without the lamp.
  D3DXMATRIX pitch, yaw;
  D3DXMatrixRotationX(&pitch, 0.85f);
  D3DXMatrixRotationY(&yaw, -0.7f);
  sunPlacement->SetMatrix(pitch * yaw);
  sun->SetChild(sunPlacement, -1, Vel_DX8_LightInstanceChannel::kPlacementSlot);
  sun->SetVectorValue(Vel_DX8_LightInstanceChannel::kDiffuseSlot, {0.66f, 0.61f, 0.52f});
  sun->SetVectorValue(Vel_DX8_LightInstanceChannel::kAmbientSlot, {0.20f, 0.22f, 0.28f});
  scene->SetChild(sun, -1, Vel_SceneChannel::kChildrenSlot);

  demos::FillMesh(mesh, field.mesh);
  D3DMATERIAL8 m{};
  m.Diffuse = m.Ambient = {1, 1, 1, 1};
  material->SetMaterial(m);
  const std::vector<char> crate = demos::ReadFileBytes(std::string(KELVANE_DIST_DIR) + "/demos/scene/crate.jpg");
  texture->LoadTextureFromMemoryAndCopyBuffer(crate.data(), static_cast<int>(crate.size()));

  for (int i = 0; i < field.count; ++i) {
    auto* object = Make<Vel_DX8_ObjectChannel>(e, group, vel::kObjectType);
    auto* matrix = Make<Vel_MatrixChannel>(e, group, vel::kMatrixType);
    auto* surface = Make<Vel_DX8_SurfaceChannel>(e, group, vel::kSurfaceType);
    if (!object || !matrix || !surface) return nullptr;
    matrix->SetMatrix(field.world(i));
    object->SetChild(matrix, -1, 0);
    surface->SetChild(mesh, -1, Vel_DX8_SurfaceChannel::kObjectDataSlot);
    surface->SetChild(material, -1, Vel_DX8_SurfaceChannel::kMaterialSlot);
    surface->SetChild(texture, -1, Vel_DX8_SurfaceChannel::kTexturesSlot);
    object->SetChild(surface, -1, 2);
    scene->SetChild(object, -1, Vel_SceneChannel::kChildrenSlot);
  }
  scene->SetChild(sun, -1, Vel_SceneChannel::kChildrenSlot);
  group->SetStartChannel(scene->GetChannelIDIndexNr());
  return group;
}

void EngineScene::Frame(Orn_ChannelGroup* group) {
  engine_->ext->IncreaseTreeCount();
  group->CallStartChannel();
}

void EngineScene::DemoFrame() { Frame(demo_); }
void EngineScene::BoxesFrame() { Frame(boxes_); }
void EngineScene::SpheresFrame() { Frame(spheres_); }

void EngineScene::FrameOf(Work work) {
  switch (work) {
    case Work::kDemo: DemoFrame(); break;
    case Work::kBoxes: BoxesFrame(); break;
    case Work::kSpheres: SpheresFrame(); break;
  }
}

float EngineScene::TrianglesPerFrame(Work work) {
  auto* count = vel::As<Vel_FloatChannel>(engine_->GetUniqueChannel(vel::kFloatType, "Vel_ObjectData_PolyCount"),
                                          vel::kFloatType);
  if (!count) return 0;
  const float before = count->GetFloat();
  FrameOf(work);
  return count->GetFloat() - before;
}

bool EngineScene::PresentedFrame(std::vector<uint8_t>* bgra, int* width, int* height) {
  IDirect3DDevice8* device = Device();
  IDirect3DSurface8* image = nullptr;
  if (!device || device->CreateImageSurface(width_, height_, D3DFMT_A8R8G8B8, &image) != D3D_OK) return false;
  D3DLOCKED_RECT locked{};
  bool read = device->GetFrontBuffer(image) == D3D_OK && image->LockRect(&locked, nullptr, D3DLOCK_READONLY) == D3D_OK;
  if (read) {
    bgra->resize(static_cast<size_t>(width_) * height_ * 4);
    for (int y = 0; y < height_; ++y)
      std::memcpy(bgra->data() + static_cast<size_t>(y) * width_ * 4,
                  static_cast<const uint8_t*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch,
                  static_cast<size_t>(width_) * 4);
    image->UnlockRect();
  }
  image->Release();
  *width = width_;
  *height = height_;
  return read;
}

D3DXMATRIX EngineScene::Projection() {
  auto* device = vel::As<Vel_DX8_DirectGraphicsChannel>(engine_->GetUniqueChannel(vel::kDeviceType, nullptr),
                                                        vel::kDeviceType);
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  return device ? device->GetProjectionMatrix() : m;
}

IDirect3DDevice8* EngineScene::Device() {
  auto* device = vel::As<Vel_DX8_DirectGraphicsChannel>(engine_->GetUniqueChannel(vel::kDeviceType, nullptr),
                                                        vel::kDeviceType);
  return device ? device->GetDirect3dDevice() : nullptr;
}

int EngineScene::LiveParticles() {
  int live = 0;
  if (!demo_) return 0;
  for (int c = 0; c < demo_->GetChannelCount(); ++c) {
    auto* fountain = vel::As<Vel_DX8_ParticleObject>(demo_->GetChannel(c), vel::kParticleType);
    for (int i = 0; fountain && i < fountain->GetParticleCount(); ++i) live += fountain->GetParticle(i)->born ? 1 : 0;
  }
  return live;
}

int EngineScene::CaptionCharacters() {
  int characters = 0;
  if (!demo_) return 0;
  for (int c = 0; c < demo_->GetChannelCount(); ++c) {
    auto* text = vel::As<TextChannel>(demo_->GetChannel(c), vel::kTextType);
    for (const char* p = text ? text->GetString() : ""; p && *p; ++p) characters += *p >= 32 && *p < 127 ? 1 : 0;
  }
  return characters;
}

void EngineScene::Shutdown() {
  if (engine_) {
    engine_->ext->Release();
    delete engine_;
    engine_ = nullptr;
  }
  if (window_) DestroyWindow(static_cast<HWND>(window_));
  window_ = nullptr;
}

}  // namespace scenebench
