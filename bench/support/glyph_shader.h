// The fragment shader of the benchmarks' plain text programs: a glyph
// atlas texel times the vertex colour, nearly clear texels dropped as the
// text output's alpha test (reference 8, greater or equal) drops them.
#pragma once

namespace bench {

inline constexpr const char* kGlyphFragmentShader = R"(#version 330 core
in vec4 vColor;
in vec2 vUv;
uniform sampler2D uAtlas;
out vec4 oColor;
void main() {
  vec4 c = texture(uAtlas, vUv) * vColor;
  if (c.a < 8.0 / 255.0) discard;
  oColor = c;
}
)";

}  // namespace bench
