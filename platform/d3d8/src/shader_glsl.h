// GLSL 3.30 for translated shaders. A translated vertex shader writes the
// same varyings as the fixed-function vertex program of the draw's key, so
// either kind of vertex program meets either kind of pixel program.
#pragma once

#include <string>

#include "ffp_key.h"
#include "shader_code.h"
#include "texture_kind.h"
#include "vertex_declaration.h"

namespace d3d8 {

// `key`: the draw's fixed-function key, which names the varyings the
// fragment side reads (sampled stages and their coordinate sets, fog).
std::string TranslateVertexShader(const ShaderCode& code, const VertexDeclaration& decl, const FfpKey& key);

// `kinds[s]`: what stage s has bound; a stage without a texture reads
// opaque white, as in the fixed-function stages.
std::string TranslatePixelShader(const ShaderCode& code, const FfpKey& key, const TextureKind kinds[4]);

// Stages whose texture or texture coordinates the pixel shader reads (bit
// per stage).
unsigned PixelShaderStages(const ShaderCode& code);

// The source operand as a GLSL vec4 expression (swizzle and modifier
// applied); shared by both translators.
std::string SourceExpr(const ShaderSrc& s, bool pixel);

}  // namespace d3d8
