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

FfpSources GenerateFfpSources(const FfpKey& key);

}  // namespace d3d8
