// The benchmark's workloads run by the engine: an engine on the build's
// installation with an off-screen window, the "scene" demo loaded from its
// group file, and the field of boxes made as a group of channels (a scene, a
// camera with fog, a sun, and per box a 3D object with its own matrix and
// surface over one shared box mesh, material and texture).
#pragma once

#include "engine_interface.h"
#include "orn_channel_group.h"

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8math.h>

namespace scenebench {

class EngineScene {
 public:
  bool Init();
  void Shutdown();
  // One engine frame of the demo or of the boxes: the tree count advanced
  // and the group's start channel (its scene) called.
  void DemoFrame();
  void BoxesFrame();
  // Triangles the engine's meshes drew in one frame of a workload.
  float TrianglesPerFrame(bool demo);
  // The projection the cameras set (valid after a frame).
  D3DXMATRIX Projection();
  // The graphics layer's device, for making geometry at set-up time (its
  // calls make the layer's own context current).
  IDirect3DDevice8* Device();
  // What the demo drew beside its meshes in the last frame: the fountain's
  // live particles and the caption's characters (one quad each).
  int LiveParticles();
  int CaptionCharacters();

 private:
  bool BuildBoxes();
  void Frame(Orn_ChannelGroup* group);

  EngineInterface* engine_ = nullptr;
  void* window_ = nullptr;
  Orn_ChannelGroup* demo_ = nullptr;
  Orn_ChannelGroup* boxes_ = nullptr;
};

}  // namespace scenebench
