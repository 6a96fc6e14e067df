#include "scene_demo.h"

#include "demo_images.h"
#include "demo_meshes.h"
#include "demo_project.h"
#include "channel_list.h"
#include "guid_util.h"
#include "material/material_channel.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "object/vel_dx8_object_channel.h"
#include "objectdata/vel_dx8_object_data_channel.h"
#include "scene/vel_scene_channel.h"
#include "surface/vel_dx8_surface_channel.h"
#include "texture/vel_dx8_texture.h"
#include "vel_child_access.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace demos {

Orn_Channel* SceneDemo::Make(const GUID& type, const char* name, bool withChildren) {
  Orn_Channel* channel = MakeChannel(engine, group, type, name, withChildren);
  if (!channel) {
    std::fprintf(stderr, "make_demos: no channel of type %s\n", GuidToString(type).c_str());
    ok = false;
    return nullptr;
  }
  const GUID made = channel->GetChannelType().type;
  if (std::find(types.begin(), types.end(), made) == types.end()) types.push_back(made);
  return channel;
}

void SceneDemo::Link(Orn_Channel* parent, Orn_Channel* child, int slot) {
  if (!demos::Link(parent, child, slot)) {
    std::fprintf(stderr, "make_demos: could not link %s into %s\n", child ? child->GetChannelName() : "(none)",
                 parent ? parent->GetChannelName() : "(none)");
    ok = false;
  }
}

Vel_DX8_ObjectChannel* SceneDemo::AddObject(const char* name, const D3DXMATRIX& placement) {
  auto* object = Make<Vel_DX8_ObjectChannel>(vel::kObjectType, name);
  auto* matrix = Make<Vel_MatrixChannel>(vel::kMatrixType, "Placement");
  if (!object || !matrix) return nullptr;
  matrix->SetMatrix(placement);
  Link(object, matrix, 0);
  Link(scene, object, Vel_SceneChannel::kChildrenSlot);
  return object;
}

Vel_DX8_ObjectDataChannel* SceneDemo::AddMesh(const char* name, const MeshData& data) {
  auto* mesh = Make<Vel_DX8_ObjectDataChannel>(vel::kObjectDataType, name);
  if (mesh) FillMesh(mesh, data);
  return mesh;
}

Vel_DX8_ObjectDataChannel* SceneDemo::AddNozzle(const char* name, int jets, float radius, const D3DXVECTOR3& centre,
                                                 const D3DXVECTOR3& across, const D3DXVECTOR3& along) {
  auto* nozzle = Make<Vel_DX8_ObjectDataChannel>(vel::kObjectDataType, name);
  if (!nozzle) return nullptr;
  nozzle->SetVertexCount(jets);
  nozzle->SetVertexPositionUse(true);
  for (int i = 0; i < jets; ++i) {
    // Each point a golden angle round from the one before, at the radius
    // that gives every point the same share of the disc.
    const float around = 2.399963f * static_cast<float>(i);
    const float spread = radius * std::sqrt((static_cast<float>(i) + 0.5f) / static_cast<float>(jets));
    nozzle->SetVertexPosition(centre + across * (spread * std::cos(around)) + along * (spread * std::sin(around)), i);
  }
  return nozzle;
}

Vel_DX8_SurfaceChannel* SceneDemo::AddSurface(Vel_DX8_ObjectChannel* object, Vel_DX8_ObjectDataChannel* mesh,
                                              MaterialChannel* material, Vel_DX8_Texture* texture) {
  auto* surface = Make<Vel_DX8_SurfaceChannel>(vel::kSurfaceType, "Surface");
  if (!surface) return nullptr;
  Link(surface, mesh, Vel_DX8_SurfaceChannel::kObjectDataSlot);
  if (material) Link(surface, material, Vel_DX8_SurfaceChannel::kMaterialSlot);
  if (texture) Link(surface, texture, Vel_DX8_SurfaceChannel::kTexturesSlot);
  Link(object, surface, 2);
  return surface;
}

MaterialChannel* SceneDemo::AddMaterial(const char* name, D3DCOLORVALUE diffuse, D3DCOLORVALUE emissive) {
  auto* material = Make<MaterialChannel>(vel::kMaterialType, name);
  if (!material) return nullptr;
  D3DMATERIAL8 m{};
  m.Diffuse = diffuse;
  m.Ambient = {diffuse.r, diffuse.g, diffuse.b, diffuse.a};
  m.Specular = {0, 0, 0, diffuse.a};
  m.Emissive = emissive;
  material->SetMaterial(m);
  return material;
}

Vel_DX8_Texture* SceneDemo::AddTexture(const char* name, const std::filesystem::path& imageFile) {
  auto* texture = Make<Vel_DX8_Texture>(vel::kTextureType, name);
  if (!texture) return nullptr;
  std::vector<char> bytes = ReadFileBytes(imageFile);
  // The bytes are kept whether or not a device can make the texture now.
  texture->LoadTextureFromMemoryAndCopyBuffer(bytes.data(), static_cast<int>(bytes.size()));
  if (texture->GetBufferSize() != static_cast<int>(bytes.size()) || bytes.empty()) {
    std::fprintf(stderr, "make_demos: the texture did not keep %s\n", imageFile.c_str());
    ok = false;
  }
  return texture;
}

bool MakeSceneDemo(EngineInterface* engine, const std::filesystem::path& dir) {
  std::filesystem::create_directories(dir);
  SceneDemo demo;
  demo.engine = engine;
  demo.dir = dir;
  demo.group = engine->CreateNewGroup("Scene", false, -1);
  if (!demo.group) return false;
  demo.scene = demo.Make<Vel_SceneChannel>(vel::kSceneType, "Scene");
  if (!demo.scene) return false;
  demo.scene->SetClearColor(kSkyColor);

  AddCameraOnPath(demo);
  AddLights(demo);
  AddTexturedObjects(demo);
  AddPrimitives(demo);
  AddFountain(demo);
  AddGlassPane(demo);
  AddCameraSteering(demo);
  AddPickedBeacons(demo);
  AddCaption(demo);

  // Each light is called once more after everything it lights: off again.
  for (Orn_Channel* light : demo.lights) demo.Link(demo.scene, light, Vel_SceneChannel::kChildrenSlot);
  if (!demo.ok) return false;
  demo.group->SetStartChannel(demo.scene->GetChannelIDIndexNr());
  if (!demo.group->SaveChannelGroup((dir / "start.grp").c_str())) return false;

  // The unique channels the project's channels ask the engine for.
  ChannelList* list = engine->ext->GetChannelList();
  for (const GUID& type :
       {vel::kDeviceType, vel::kDeviceUseType, vel::kLightManagerType, vel::kTextureManagerType, vel::kInputType})
    if (list->GetItem(type) && std::find(demo.types.begin(), demo.types.end(), type) == demo.types.end())
      demo.types.push_back(type);
  return WriteProject(engine, dir / "scene.klv", "start.grp", demo.types);
}

}  // namespace demos
