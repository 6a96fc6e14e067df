// The workloads of the scene benchmarks, described once for both renderers:
// the "scene" demo (its meshes, images, lights, fog and camera path), a
// field of boxes, each its own object with its own matrix (bound by the
// work per draw), and a few large spheres at a larger size (bound by the
// work per pixel). Both programs draw the same meshes from the same
// numbers here.
#pragma once

#include <d3dx8/d3dx8math.h>

#include <vector>

namespace scenebench {

constexpr int kSize = 256;  // the back buffer, both workloads
constexpr int kBoxColumns = 50, kBoxRows = 40;
constexpr int kBoxCount = kBoxColumns * kBoxRows;  // 2,000
constexpr float kBoxEdge = 1.0f;                   // every box is a cube of this edge
constexpr float kBoxFogStart = 60.0f, kBoxFogEnd = 140.0f;

// The box field at `scale` times the columns and rows (scale 4: 32,000
// boxes), seen from `scale` times as high with the fog as far: each box
// covers 1/scale^2 of the pixels. Chosen before either program is made.
void SetBoxFieldScale(int scale);
int BoxFieldScale();
int BoxCount();
float BoxFogStart();
float BoxFogEnd();

// The spheres: 10 by 5 of them, each of 25 slices and 21 stacks (1,000
// triangles), textured, lit and fogged, at 640 by 480.
constexpr int kSphereWidth = 640, kSphereHeight = 480;
constexpr int kSphereColumns = 10, kSphereRows = 5;
constexpr int kSphereCount = kSphereColumns * kSphereRows;  // 50
constexpr int kSphereSlices = 25, kSphereStacks = 21;
constexpr float kSphereRadius = 1.0f;
constexpr float kSphereFogStart = 8.0f, kSphereFogEnd = 30.0f;

// Where box i stands (its world matrix) and the camera that sees them all.
D3DXMATRIX BoxWorld(int i);
D3DXMATRIX BoxView();

// Where sphere i stands and the camera that sees them all.
D3DXMATRIX SphereWorld(int i);
D3DXMATRIX SphereView();

// The demo camera at `seconds` on its path, looking at its target.
D3DXMATRIX DemoView(float seconds);

}  // namespace scenebench
