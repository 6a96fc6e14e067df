// GLSL 3.30 source of the fixed-function pipeline for one state key: vertex
// transformation, lighting, fog, texture-coordinate generation and transforms,
// the texture-stage cascade, alpha test and fog blending.
#pragma once

#include <string>

#include "ffp_key.h"

namespace d3d8 {

struct FfpSources {
  std::string vertex;
  std::string geometry;  // empty unless texture wrapping needs whole triangles
  std::string fragment;
};

// With `instances` above 0 the object's transforms come from the uniform
// block "uInstances", `instances` sets of them, one per instance drawn.
FfpSources GenerateFfpSources(const FfpKey& key, int instances = 0);
// Rows of the transform array the vertex program of `key` declares (and an
// instance's share of the block): 4 (world-view-projection), 8 (and
// world-view) or 11 (and the normals' matrix). OpenGL may report fewer when
// the program leaves some unread; the layout is this one.
int FfpTransformRows(const FfpKey& key);

// The varyings between the vertex and fragment programs of `key`, declared
// as outputs or inputs (names "vDiffuse", "vSpecular", "vFog", "vEyeW",
// "vDepthZ", "vTc<stage>").
std::string FfpVaryingDeclarations(const FfpKey& key, bool output);
// The end of a fragment program that leaves its colour in `color`: alpha
// test and fog blending; and the uniforms it needs.
std::string FfpFragmentTailDeclarations(const FfpKey& key);
std::string FfpFragmentTail(const FfpKey& key);

}  // namespace d3d8
