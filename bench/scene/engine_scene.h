// The benchmarks' workloads run by the engine: an engine on the build's
// installation with an off-screen window, and either the "scene" demo loaded
// from its group file with the field of boxes, or the spheres. A field is a
// group of channels: a scene, a camera with fog, a sun, and per object a 3D
// object with its own matrix and surface over one shared mesh, material and
// texture.
#pragma once

#include "engine_interface.h"
#include "orn_channel_group.h"

#include <d3d8/d3d8.h>
#include <d3dx8/d3dx8math.h>

#include <cstdint>
#include <vector>

namespace scenebench {

enum class Work { kDemo, kBoxes, kSpheres };

class EngineScene {
 public:
  // The demo and the boxes at kSize by kSize, or the spheres alone at
  // their own size.
  bool Init(bool spheres = false);
  void Shutdown();
  // One engine frame of a workload: the tree count advanced and the group's
  // start channel (its scene) called.
  void DemoFrame();
  void BoxesFrame();
  void SpheresFrame();
  void FrameOf(Work work);
  // Triangles the engine's meshes drew in one frame of a workload.
  float TrianglesPerFrame(Work work);
  // The last presented frame, BGRA top row first; false when it cannot be
  // read.
  bool PresentedFrame(std::vector<uint8_t>* bgra, int* width, int* height);
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
  struct Field;
  Orn_ChannelGroup* BuildField(const Field& field);
  void Frame(Orn_ChannelGroup* group);

  EngineInterface* engine_ = nullptr;
  void* window_ = nullptr;
  Orn_ChannelGroup* demo_ = nullptr;
  Orn_ChannelGroup* boxes_ = nullptr;
  Orn_ChannelGroup* spheres_ = nullptr;
  int width_ = 0, height_ = 0;
};

}  // namespace scenebench
