#include "box_mesh.h"

namespace {

struct Face {
  float n[3];  // outward normal
  float u[3];  // right, seen from outside
  float v[3];  // down, seen from outside
};

// Each face seen from outside: right x down = inward for a left-handed
// system, so the corners top-left, top-right, bottom-left, bottom-right wind
// clockwise on screen.
const Face kFaces[6] = {
    {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}},  // front (-z)
    {{0, 0, 1}, {-1, 0, 0}, {0, -1, 0}},  // back
    {{-1, 0, 0}, {0, 0, -1}, {0, -1, 0}},  // left
    {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}},   // right
    {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},   // top
    {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},   // bottom
};

}  // namespace

void BuildBox(float h, BoxVertex vertices[kBoxVertexCount], uint16_t indices[kBoxIndexCount]) {
  for (int f = 0; f < 6; ++f) {
    const Face& face = kFaces[f];
    for (int c = 0; c < 4; ++c) {
      const float su = (c & 1) ? 1.0f : -1.0f;  // right or left
      const float sv = (c & 2) ? 1.0f : -1.0f;  // down or up
      BoxVertex& v = vertices[f * 4 + c];
      v.x = h * (face.n[0] + su * face.u[0] + sv * face.v[0]);
      v.y = h * (face.n[1] + su * face.u[1] + sv * face.v[1]);
      v.z = h * (face.n[2] + su * face.u[2] + sv * face.v[2]);
      v.nx = face.n[0];
      v.ny = face.n[1];
      v.nz = face.n[2];
      v.u = (c & 1) ? 1.0f : 0.0f;
      v.v = (c & 2) ? 1.0f : 0.0f;
    }
    const uint16_t b = static_cast<uint16_t>(f * 4);
    const uint16_t tri[6] = {b, static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + 2),
                             static_cast<uint16_t>(b + 2), static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + 3)};
    for (int i = 0; i < 6; ++i) indices[f * 6 + i] = tri[i];
  }
}
