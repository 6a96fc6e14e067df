// The bundled project "scene": a camera circling on a path, a directional
// and a point light, fog, textured 3D objects and a glass pane, made from the
// engine's own channels and saved as group files. Each part of the scene is
// added by its own function over SceneDemo; a further part takes the same
// form (its own file, one call in MakeSceneDemo).
#pragma once

#include "engine_interface.h"
#include "orn_channel.h"
#include "orn_channel_group.h"
#include "vel_child_access.h"

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8math.h>

#include <filesystem>
#include <vector>

class MaterialChannel;
class Vel_DX8_ObjectChannel;
class Vel_DX8_ObjectDataChannel;
class Vel_DX8_SurfaceChannel;
class Vel_DX8_Texture;
class Vel_SceneChannel;

namespace demos {

struct MeshData;

// The project being built and the helpers its parts share.
struct SceneDemo {
  EngineInterface* engine = nullptr;
  Orn_ChannelGroup* group = nullptr;
  Vel_SceneChannel* scene = nullptr;
  std::filesystem::path dir;          // where the project's files go
  std::vector<GUID> types;            // channel libraries the project names
  std::vector<Orn_Channel*> lights;   // switched off again after the objects
  bool ok = true;                     // false once anything failed

  // A channel of `type` in the group; records the type for the project file.
  Orn_Channel* Make(const GUID& type, const char* name, bool withChildren = false);
  template <class T>
  T* Make(const GUID& type, const char* name, bool withChildren = false);
  // Links and records a failure.
  void Link(Orn_Channel* parent, Orn_Channel* child, int slot);

  // A 3D object drawn by the scene, placed by a matrix channel.
  Vel_DX8_ObjectChannel* AddObject(const char* name, const D3DXMATRIX& placement);
  Vel_DX8_ObjectDataChannel* AddMesh(const char* name, const MeshData& data);
  // The nozzles a particle system emits from: `jets` points spread evenly
  // over a disc of `radius` about `centre`, in the plane of the unit axes
  // `across` and `along`.
  Vel_DX8_ObjectDataChannel* AddNozzle(const char* name, int jets, float radius, const D3DXVECTOR3& centre,
                                       const D3DXVECTOR3& across, const D3DXVECTOR3& along);
  // A surface of `object` drawing `mesh` with `material` and `texture` (each
  // may be null).
  Vel_DX8_SurfaceChannel* AddSurface(Vel_DX8_ObjectChannel* object, Vel_DX8_ObjectDataChannel* mesh,
                                     MaterialChannel* material, Vel_DX8_Texture* texture);
  MaterialChannel* AddMaterial(const char* name, D3DCOLORVALUE diffuse, D3DCOLORVALUE emissive);
  // A texture holding the bytes of an image file.
  Vel_DX8_Texture* AddTexture(const char* name, const std::filesystem::path& imageFile);
};

// The colour of the sky, the clear colour and the fog colour.
inline constexpr D3DCOLOR kSkyColor = 0xFF8CA6BF;

void AddCameraOnPath(SceneDemo& demo);
void AddLights(SceneDemo& demo);
void AddTexturedObjects(SceneDemo& demo);
void AddGlassPane(SceneDemo& demo);
void AddPrimitives(SceneDemo& demo);
void AddFountain(SceneDemo& demo);
void AddCameraSteering(SceneDemo& demo);
void AddPickedBeacons(SceneDemo& demo);
void AddCaption(SceneDemo& demo);

template <class T>
T* SceneDemo::Make(const GUID& type, const char* name, bool withChildren) {
  T* channel = vel::As<T>(Make(type, name, withChildren), type);
  if (!channel) ok = false;
  return channel;
}

// Makes `dir`/start.grp and `dir`/scene.klv.
bool MakeSceneDemo(EngineInterface* engine, const std::filesystem::path& dir);

}  // namespace demos
