#include "program_cache.h"

#include <cstdio>
#include <string>

#include "ffp_shader_gen.h"

namespace d3d8 {
namespace {

struct UniformName {
  const char* name;
  UniformGroup group;
};

const UniformName kUniforms[kUniformCount] = {
    {"uXf", kGroupTransform},
    {"uViewportRHW", kGroupViewport}, {"uDepthRHW", kGroupViewport},      {"uGlobalAmbient", kGroupLights},
    {"uLightDiffuse", kGroupLights},  {"uLightSpecular", kGroupLights},   {"uLightAmbient", kGroupLights},
    {"uLightPos", kGroupLights},      {"uLightDir", kGroupLights},        {"uLightAtt", kGroupLights},
    {"uLightSpot", kGroupLights},     {"uMatDiffuse", kGroupMaterial},    {"uMatAmbient", kGroupMaterial},
    {"uMatSpecular", kGroupMaterial}, {"uMatEmissive", kGroupMaterial},   {"uMatPower", kGroupMaterial},
    {"uFogParams", kGroupFog},        {"uFogColor", kGroupFog},           {"uTexMat", kGroupTexMatrix},
    {"uTFactor", kGroupPixel},        {"uBumpMat", kGroupPixel},          {"uBumpLum", kGroupPixel},
    {"uAlphaRef", kGroupPixel},       {"uPointParams", kGroupPoint},      {"uPointScale", kGroupPoint},
    {"uClipFix", kGroupViewport},     {"uC", kGroupVsConst},              {"uPC", kGroupPsConst},
};

GLuint CompileShader(GLenum type, const std::string& source) {
  GLuint shader = glCreateShader(type);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "d3d8: shader failed to compile:\n%s\n%s\n", log, text);
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

}  // namespace

UniformGroup GroupOf(UniformId id) { return kUniforms[id].group; }

ProgramCache::~ProgramCache() {
  for (auto& entry : programs_) {
    if (!entry.second) continue;
    if (entry.second->program) glDeleteProgram(entry.second->program);
    if (entry.second->instanced) glDeleteProgram(entry.second->instanced->program);
  }
}

FfpProgram* ProgramCache::Instanced(FfpProgram* program, const FfpKey& key) {
  if (program->instancedTried) return program->instanced.get();
  program->instancedTried = true;
  const int capacity = kInstanceBlockBytes / (16 * program->transformRows);
  std::unique_ptr<FfpProgram> instanced = LinkProgram(GenerateFfpSources(key, capacity));
  if (!instanced) return nullptr;
  const GLuint block = glGetUniformBlockIndex(instanced->program, "uInstances");
  if (block == GL_INVALID_INDEX) {
    glDeleteProgram(instanced->program);
    return nullptr;
  }
  glUniformBlockBinding(instanced->program, block, kInstanceBlockBinding);
  instanced->instanceCapacity = capacity;
  program->instanced = std::move(instanced);
  return program->instanced.get();
}

FfpProgram* ProgramCache::Get(const FfpKey& key) {
  auto it = programs_.find(key);
  if (it != programs_.end()) return it->second.get();
  ++compiles_;
  std::unique_ptr<FfpProgram> program = LinkProgram(GenerateFfpSources(key));
  if (program) program->transformRows = FfpTransformRows(key);
  // A failure is remembered too, so the key is not compiled again every draw.
  FfpProgram* result = program.get();
  programs_.emplace(key, std::move(program));
  return result;
}

std::unique_ptr<FfpProgram> LinkProgram(const FfpSources& src) {
  auto prog = std::make_unique<FfpProgram>();
  GLuint vs = CompileShader(GL_VERTEX_SHADER, src.vertex);
  GLuint gs = src.geometry.empty() ? 0 : CompileShader(GL_GEOMETRY_SHADER, src.geometry);
  GLuint fs = CompileShader(GL_FRAGMENT_SHADER, src.fragment);
  bool ok = vs && fs && (src.geometry.empty() || gs);
  if (ok) {
    GLuint p = glCreateProgram();
    glAttachShader(p, vs);
    if (gs) glAttachShader(p, gs);
    glAttachShader(p, fs);
    glLinkProgram(p);
    GLint linked = GL_FALSE;
    glGetProgramiv(p, GL_LINK_STATUS, &linked);
    if (!linked) {
      char log[2048] = {};
      glGetProgramInfoLog(p, sizeof log, nullptr, log);
      std::fprintf(stderr, "d3d8: program failed to link:\n%s\n", log);
      glDeleteProgram(p);
      ok = false;
    } else {
      prog->program = p;
    }
  }
  if (vs) glDeleteShader(vs);
  if (gs) glDeleteShader(gs);
  if (fs) glDeleteShader(fs);
  if (!ok) return nullptr;
  for (int i = 0; i < kUniformCount; ++i) {
    prog->location[i] = glGetUniformLocation(prog->program, kUniforms[i].name);
    if (prog->location[i] < 0) {
      // Arrays may report their first element only.
      std::string first = std::string(kUniforms[i].name) + "[0]";
      prog->location[i] = glGetUniformLocation(prog->program, first.c_str());
    }
    if (prog->location[i] >= 0) prog->groups |= 1u << kUniforms[i].group;
  }
  for (int g = 0; g < kGroupCount; ++g) prog->seen[g] = ~0ull;
  glUseProgram(prog->program);
  for (int s = 0; s < kStageCount; ++s) {
    std::string name = "uTex" + std::to_string(s);
    GLint loc = glGetUniformLocation(prog->program, name.c_str());
    if (loc >= 0) glUniform1i(loc, s);
  }
  return prog;
}

}  // namespace d3d8
