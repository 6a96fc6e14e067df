#include "water_reference.h"

#include <cmath>

namespace water_reference {

namespace {
int Wrap(int i, int n) { return ((i % n) + n) % n; }
}  // namespace

float Grid::Sample(float x, float y) const {
  const float fx = x - 0.5f, fy = y - 0.5f;
  const float x0 = std::floor(fx), y0 = std::floor(fy);
  const float ax = fx - x0, ay = fy - y0;
  const int i = static_cast<int>(x0), j = static_cast<int>(y0);
  const int i0 = Wrap(i, width), i1 = Wrap(i + 1, width), j0 = Wrap(j, height), j1 = Wrap(j + 1, height);
  const float top = At(i0, j0) + ax * (At(i1, j0) - At(i0, j0));
  const float bottom = At(i0, j1) + ax * (At(i1, j1) - At(i0, j1));
  return top + ay * (bottom - top);
}

Water::Water(int width, int height)
    : height(width, height, 0.5f),
      velocity(width, height, 0.5f),
      partialForce(width, height, 0.5f),
      force(width, height, 0.5f),
      newHeight(width, height, 0.5f),
      normals(static_cast<size_t>(width) * height * 3, 0.0f) {}

void Water::Step() {
  const int w = height.width, h = height.height;
  // Force: the 2 x 2 blocks diagonally around each texel and the pull to rest.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float t0 = height.At(x, y);
      const float t1 = height.Sample(x - 1.0f, y - 1.0f), t2 = height.Sample(x + 2.0f, y - 1.0f);
      const float t3 = height.Sample(x + 2.0f, y + 2.0f);
      partialForce.At(x, y) = (t1 - t0) + (t2 - t0) + (t3 - t0) + restoration * (0.5f - t0) + 0.5f;
    }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float t0 = height.At(x, y), t1 = height.Sample(x - 1.0f, y + 2.0f);
      force.At(x, y) = (t1 - t0) + partialForce.At(x, y);
    }
  for (size_t i = 0; i < velocity.texels.size(); ++i)
    velocity.texels[i] += (force.texels[i] - 0.5f) * waveSpeed;
  for (size_t i = 0; i < height.texels.size(); ++i)
    newHeight.texels[i] = height.texels[i] + (velocity.texels[i] - 0.5f) * waterSpeed;
  // Smoothing with the fall-off pinwheel.
  const float targets[4][2] = {{0, -0.5f}, {1.5f, 0}, {1.0f, 1.5f}, {-0.5f, 1.0f}};
  float offsets[4][2];
  for (int k = 0; k < 4; ++k)
    for (int a = 0; a < 2; ++a) offsets[k][a] = 0.5f + fallOff * (targets[k][a] - 0.5f);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float sum = 0;
      for (const auto& o : offsets) sum += newHeight.Sample(x + o[0], y + o[1]);
      height.At(x, y) = 0.25f * sum;
    }
  // Normal map from the axis neighbours.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const float s = 4 * (height.At(Wrap(x - 1, w), y) - height.At(Wrap(x + 1, w), y)) * normalScale;
      const float t = 4 * (height.At(x, Wrap(y - 1, h)) - height.At(x, Wrap(y + 1, h))) * normalScale;
      float* n = &normals[(static_cast<size_t>(y) * w + x) * 3];
      n[0] = s + 0.5f;
      n[1] = t + 0.5f;
      n[2] = 1 - s * s - t * t;
    }
}

}  // namespace water_reference
