// A quad mesh for the drawing tests.
#pragma once

#include "objectdata/vel_dx8_object_data_channel.h"

#include <optional>

namespace vel_test {

// Makes `mesh` an axis-aligned quad from (x0, y0) to (x1, y1) at depth z: its
// corners from the top left round clockwise, two triangles (0 1 2, 0 2 3).
// Without `color` the quad faces the viewer with normal (0, 0, -1) and
// texture coordinates 0..1 from its top left; with one, every vertex has that
// colour instead. No buffers are built yet.
inline void SetQuad(Vel_DX8_ObjectDataChannel* mesh, float x0, float y0, float x1, float y1, float z,
                    std::optional<D3DCOLOR> color = std::nullopt) {
  mesh->SetVertexCount(4);
  mesh->SetVertexPositionUse(true);
  if (color) {
    mesh->SetVertexColorUse(true);
  } else {
    mesh->SetVertexNormalUse(true);
    mesh->SetVertexTUUse(true);
  }
  const VertPos corners[4] = {{x0, y1, z}, {x1, y1, z}, {x1, y0, z}, {x0, y0, z}};
  const VertTUV uv[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; ++i) {
    mesh->SetVertexPosition(corners[i], i);
    if (color) {
      mesh->SetVertexColor(VertColor{*color}, i);
    } else {
      mesh->SetVertexNormal(VertNormal{0, 0, -1}, i);
      mesh->SetVertexTUCoord(uv[i], i);
    }
  }
  mesh->SetIndexCount(6);
  unsigned short indices[6] = {0, 1, 2, 0, 2, 3};
  mesh->SetIndexes(indices);
}

}  // namespace vel_test
