#include "bench_scene.h"

#include <cmath>
#include <cstring>

namespace bench {

Mesh BuildMesh() {
  Mesh m;
  for (int y = 0; y <= kGridY; ++y)
    for (int x = 0; x <= kGridX; ++x) {
      float fx = -1.0f + 2.0f * x / kGridX, fy = 1.0f - 2.0f * y / kGridY;
      float z = 0.1f * (fx * fx + fy * fy);
      float nx = 0.2f * fx, ny = 0.2f * fy, nz = -1.0f;
      float len = std::sqrt(nx * nx + ny * ny + nz * nz);
      m.vertices.push_back({fx, fy, z, nx / len, ny / len, nz / len, static_cast<float>(x) / kGridX,
                            static_cast<float>(y) / kGridY});
    }
  for (int y = 0; y < kGridY; ++y)
    for (int x = 0; x < kGridX; ++x) {
      uint16_t a = static_cast<uint16_t>(y * (kGridX + 1) + x), b = static_cast<uint16_t>(a + 1);
      uint16_t c = static_cast<uint16_t>(a + kGridX + 1), d = static_cast<uint16_t>(c + 1);
      m.indices.insert(m.indices.end(), {a, b, c, c, b, d});
    }
  return m;
}

std::vector<uint8_t> BuildTexture(int variant) {
  std::vector<uint8_t> t(kTextureSize * kTextureSize * 4);
  for (int y = 0; y < kTextureSize; ++y)
    for (int x = 0; x < kTextureSize; ++x) {
      bool on = ((x / 8) + (y / 8)) % 2 == 0;
      uint8_t* p = &t[(y * kTextureSize + x) * 4];
      p[0] = on ? 255 : 40;
      p[1] = on ? (variant ? 128 : 255) : 40;
      p[2] = on ? (variant ? 255 : 128) : 40;
      p[3] = 255;
    }
  return t;
}

DrawState StateForDraw(int draw) {
  DrawState s{};
  const float scale = 0.08f;
  const int col = draw % 40, row = draw / 40;
  std::memset(s.world, 0, sizeof s.world);
  s.world[0] = s.world[5] = s.world[10] = scale;
  s.world[12] = -1.9f + col * 0.095f;
  s.world[13] = 1.9f - row * 0.15f;
  s.world[14] = 3.0f + 0.001f * draw;
  s.world[15] = 1.0f;
  s.color[0] = 0.5f + 0.5f * ((draw * 7) % 11) / 10.0f;
  s.color[1] = 0.5f + 0.5f * ((draw * 3) % 7) / 6.0f;
  s.color[2] = 0.5f + 0.5f * ((draw * 5) % 13) / 12.0f;
  s.color[3] = 1.0f;
  s.texture = draw & 1;
  s.cull = (draw & 2) != 0;
  return s;
}

void ViewProjection(float out[16]) {
  // Identity view; a left-handed perspective with a 90-degree field of view,
  // near 1, far 100.
  std::memset(out, 0, 16 * sizeof(float));
  const float zn = 1.0f, zf = 100.0f;
  out[0] = 1.0f;
  out[5] = 1.0f;
  out[10] = zf / (zf - zn);
  out[11] = 1.0f;
  out[14] = -zn * zf / (zf - zn);
}

}  // namespace bench
