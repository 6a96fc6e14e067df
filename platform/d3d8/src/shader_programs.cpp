#include "shader_programs.h"

#include "ffp_shader_gen.h"
#include "shader_glsl.h"

namespace d3d8 {

size_t ShaderDrawKeyHash::operator()(const ShaderDrawKey& k) const {
  size_t h = FfpKeyHash()(k.ffp);
  h ^= (static_cast<size_t>(k.vertexSerial) * 0x9E3779B97F4A7C15ull) + (h << 6) + (h >> 2);
  h ^= (static_cast<size_t>(k.pixelSerial) * 0xC2B2AE3D27D4EB4Full) + (h << 6) + (h >> 2);
  for (TextureKind kind : k.kinds) h = h * 31 + static_cast<size_t>(kind);
  return h;
}

ShaderProgramCache::~ShaderProgramCache() {
  for (auto& entry : programs_)
    if (entry.second && entry.second->program) glDeleteProgram(entry.second->program);
}

FfpProgram* ShaderProgramCache::Get(const ShaderDrawKey& key, const VertexShaderObject* vs,
                                    const PixelShaderObject* ps) {
  auto it = programs_.find(key);
  if (it != programs_.end()) return it->second.get();
  ++compiles_;
  FfpSources src;
  if (!vs || !ps) src = GenerateFfpSources(key.ffp);
  src.geometry.clear();
  if (vs) src.vertex = TranslateVertexShader(vs->code, vs->declaration, key.ffp);
  if (ps) src.fragment = TranslatePixelShader(ps->code, key.ffp, key.kinds);
  std::unique_ptr<FfpProgram> program = LinkProgram(src);
  if (program && !vs) program->transformRows = FfpTransformRows(key.ffp);
  FfpProgram* result = program.get();
  programs_.emplace(key, std::move(program));
  return result;
}

void ShaderProgramCache::Forget(uint32_t serial) {
  for (auto it = programs_.begin(); it != programs_.end();) {
    if (it->first.vertexSerial == serial || it->first.pixelSerial == serial) {
      if (it->second && it->second->program) glDeleteProgram(it->second->program);
      it = programs_.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace d3d8
