// A unit box as 24 vertices (four per face, each with the face's normal and
// its own texture corner) and 12 triangles wound clockwise seen from outside.
#pragma once

#include <cstdint>

struct BoxVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};

constexpr int kBoxVertexCount = 24;
constexpr int kBoxIndexCount = 36;

void BuildBox(float halfSize, BoxVertex vertices[kBoxVertexCount], uint16_t indices[kBoxIndexCount]);
