// The scene demo's generated shapes as the primitive channel makes them at
// complexity 16 (a sphere, a torus, a cylinder and a cone), built by the
// extension library's shape builders on the graphics layer's device and
// copied out as plain vertex and index arrays for the plain program.
#pragma once

#include <d3d8/d3d8.h>

#include "demo_meshes.h"

#include <vector>

namespace scenebench {

constexpr int kShapeComplexity = 16;

// In the demo's order: sphere, torus, cylinder, cone; empty when the device
// cannot build them. Texture coordinates are left 0 (the shapes are not
// textured). The builders' calls make the layer's context current.
std::vector<demos::MeshData> DemoShapes(IDirect3DDevice8* device);

}  // namespace scenebench
