// Compiled fixed-function programs, one per state key, kept for the life of
// the device so that no key is compiled twice.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "ffp_key.h"
#include "gl.h"

namespace d3d8 {

// Groups of uniforms that change together; the device counts a version per
// group and a program uploads a group only when its version moved on.
enum UniformGroup : int {
  kGroupTransform,
  kGroupViewport,
  kGroupLights,
  kGroupMaterial,
  kGroupFog,
  kGroupTexMatrix,
  kGroupPixel,
  kGroupPoint,
  kGroupVsConst,
  kGroupPsConst,
  kGroupCount
};

enum UniformId : int {
  kUTransforms,  // uXf: world-view-projection, world-view, normals' matrix
  kUViewportRHW,
  kUDepthRHW,
  kUGlobalAmbient,
  kULightDiffuse,
  kULightSpecular,
  kULightAmbient,
  kULightPos,
  kULightDir,
  kULightAtt,
  kULightSpot,
  kUMatDiffuse,
  kUMatAmbient,
  kUMatSpecular,
  kUMatEmissive,
  kUMatPower,
  kUFogParams,
  kUFogColor,
  kUTexMat,
  kUTFactor,
  kUBumpMat,
  kUBumpLum,
  kUAlphaRef,
  kUPointParams,
  kUPointScale,
  kUClipFix,
  kUVsConst,
  kUPsConst,
  kUniformCount
};

struct FfpProgram {
  GLuint program = 0;
  GLint location[kUniformCount];
  uint32_t groups = 0;  // groups with at least one active uniform
  int transformRows = 4;  // rows of uXf the program declares (FfpTransformRows)
  uint64_t seen[kGroupCount];
  // The same pipeline drawing several objects in one call, each with its
  // own transforms (made on first need; NULL when that failed), and how
  // many objects one call can take.
  std::unique_ptr<FfpProgram> instanced;
  bool instancedTried = false;
  int instanceCapacity = 0;
};

// Bytes of the instanced programs' transform block (the least every OpenGL
// 3.3 implementation offers), and its binding point.
constexpr int kInstanceBlockBytes = 16384;
constexpr GLuint kInstanceBlockBinding = 0;

class ProgramCache {
 public:
  ProgramCache() = default;
  ~ProgramCache();  // the device's context must be current
  ProgramCache(const ProgramCache&) = delete;
  ProgramCache& operator=(const ProgramCache&) = delete;

  // The program for `key`, compiled on first use; NULL when compiling failed
  // (the reason is written to stderr once).
  FfpProgram* Get(const FfpKey& key);
  // The instanced form of `program`, which was made for `key`; NULL when it
  // cannot be made. Leaves the program made current when it makes one.
  FfpProgram* Instanced(FfpProgram* program, const FfpKey& key);
  size_t size() const { return programs_.size(); }
  uint64_t compileCount() const { return compiles_; }

 private:
  std::unordered_map<FfpKey, std::unique_ptr<FfpProgram>, FfpKeyHash> programs_;
  uint64_t compiles_ = 0;
};

UniformGroup GroupOf(UniformId id);

struct FfpSources;
// Compiles and links the sources and looks up the uniforms; NULL when that
// fails (the reason is written to stderr).
std::unique_ptr<FfpProgram> LinkProgram(const FfpSources& src);

}  // namespace d3d8
