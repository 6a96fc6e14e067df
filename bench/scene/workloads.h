// The two workloads of the scene benchmark, described once for both
// renderers: the "scene" demo (its meshes, images, lights, fog and camera
// path) and a field of boxes, each its own object with its own matrix.
#pragma once

#include <d3dx8/d3dx8math.h>

#include <vector>

namespace scenebench {

constexpr int kSize = 256;  // the back buffer, both workloads
constexpr int kBoxColumns = 50, kBoxRows = 40;
constexpr int kBoxCount = kBoxColumns * kBoxRows;  // 2,000

// Where box i stands (its world matrix) and the camera that sees them all.
D3DXMATRIX BoxWorld(int i);
D3DXMATRIX BoxView();

// The demo camera at `seconds` on its path, looking at its target.
D3DXMATRIX DemoView(float seconds);

}  // namespace scenebench
