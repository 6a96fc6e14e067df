// Programs for draws with a vertex shader, a pixel shader or both, compiled
// once per combination of shaders and fixed-function key and kept until one
// of their shaders is deleted.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "ffp_key.h"
#include "program_cache.h"
#include "shader_code.h"
#include "vertex_declaration.h"

namespace d3d8 {

struct VertexShaderObject {
  uint32_t serial = 0;
  VertexDeclaration declaration;
  ShaderCode code;
};

struct PixelShaderObject {
  uint32_t serial = 0;
  ShaderCode code;
  unsigned stages = 0;  // stages whose texture or coordinates the shader reads
};

struct ShaderDrawKey {
  FfpKey ffp;
  uint32_t vertexSerial = 0;  // 0: the fixed-function vertex program
  uint32_t pixelSerial = 0;   // 0: the fixed-function texture stages
  TextureKind kinds[4] = {};  // what the pixel shader's stages have bound

  bool operator==(const ShaderDrawKey& o) const {
    return ffp == o.ffp && vertexSerial == o.vertexSerial && pixelSerial == o.pixelSerial &&
           std::memcmp(kinds, o.kinds, sizeof kinds) == 0;
  }
};

struct ShaderDrawKeyHash {
  size_t operator()(const ShaderDrawKey& k) const;
};

class ShaderProgramCache {
 public:
  ShaderProgramCache() = default;
  ~ShaderProgramCache();  // the device's context must be current
  ShaderProgramCache(const ShaderProgramCache&) = delete;
  ShaderProgramCache& operator=(const ShaderProgramCache&) = delete;

  // NULL when the program failed to compile (reported on stderr once).
  FfpProgram* Get(const ShaderDrawKey& key, const VertexShaderObject* vs, const PixelShaderObject* ps);
  // Drops the programs made with the shader of this serial.
  void Forget(uint32_t serial);
  uint64_t compileCount() const { return compiles_; }

 private:
  std::unordered_map<ShaderDrawKey, std::unique_ptr<FfpProgram>, ShaderDrawKeyHash> programs_;
  uint64_t compiles_ = 0;
};

}  // namespace d3d8
