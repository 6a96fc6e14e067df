// What a texture stage samples: nothing, a 2D texture or a cube texture. The
// draw path chooses each stage's sampler type (sampler2D or samplerCube) and
// coordinate count by it.
#pragma once

#include <cstdint>

namespace d3d8 {

enum class TextureKind : uint8_t { None = 0, Planar = 1, Cube = 2 };

}  // namespace d3d8
