// The scene both renderers draw: one 1,000-triangle mesh drawn 1,000 times a
// frame with a new world matrix, material colour, texture and cull mode
// before each draw, lit by one directional light and textured.
#pragma once

#include <cstdint>
#include <vector>

namespace bench {

constexpr int kTargetSize = 256;
constexpr int kDrawsPerFrame = 1000;
constexpr int kGridX = 25, kGridY = 20;  // 25 x 20 quads = 1,000 triangles
constexpr int kTextureSize = 64;

struct Vertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};

struct Mesh {
  std::vector<Vertex> vertices;
  std::vector<uint16_t> indices;
};

// A gently curved grid in [-1, 1] facing -z, indexed as a triangle list.
Mesh BuildMesh();

// Texels (B, G, R, A bytes) of one of the two checker textures.
std::vector<uint8_t> BuildTexture(int variant);

// The per-draw changes: a world matrix (row-major, row vectors), a material
// colour, which texture and whether to cull.
struct DrawState {
  float world[16];
  float color[4];
  int texture;
  bool cull;
};
DrawState StateForDraw(int draw);

// The fixed camera: view x projection, row-major.
void ViewProjection(float out[16]);

}  // namespace bench
