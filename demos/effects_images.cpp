#include "effects_images.h"

#include "cubetexture/vel_dx8_cube_texture.h"
#include "demo_images.h"
#include "scene_demo.h"
#include "texture/vel_dx8_texture.h"
#include "vel_type_guids.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace demos {

namespace {

uint32_t Argb(float a, float r, float g, float b) {
  auto byte = [](float v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
  return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

Picture Made(unsigned width, unsigned height, const std::function<uint32_t(unsigned, unsigned)>& texel,
             bool withAlpha = false) {
  Picture p{width, height, {}, withAlpha};
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x) p.texels.push_back(texel(x, y));
  return p;
}

// Height of the bump pattern at (x, y) of a 64-texel tile: a grid of round
// domes, 8 across.
float Dome(float x, float y) {
  const float fx = std::fmod(x, 8.0f) - 4.0f, fy = std::fmod(y, 8.0f) - 4.0f;
  const float d = std::sqrt(fx * fx + fy * fy) / 3.5f;
  return d < 1 ? std::sqrt(1 - d * d) : 0.0f;
}

uint32_t NormalTexel(unsigned x, unsigned y) {
  const float fx = static_cast<float>(x) + 0.5f, fy = static_cast<float>(y) + 0.5f;
  const float dx = (Dome(fx + 1, fy) - Dome(fx - 1, fy)) * 1.5f, dy = (Dome(fx, fy + 1) - Dome(fx, fy - 1)) * 1.5f;
  const float length = std::sqrt(dx * dx + dy * dy + 1);
  return Argb(1, 0.5f - 0.5f * dx / length, 0.5f - 0.5f * dy / length, 0.5f + 0.5f / length);
}

uint32_t SkyTexel(unsigned x, unsigned y) {
  // Light sky over a dark sea, with darker vertical stripes that show how a
  // reflection bends.
  const float v = static_cast<float>(y) / 63.0f;
  const bool stripe = (x / 8) % 2 == 0;
  const float shade = stripe ? 0.7f : 1.0f;
  if (v < 0.5f) return Argb(1, (0.55f + 0.4f * v) * shade, (0.75f + 0.3f * v) * shade, 1.0f * shade);
  return Argb(1, 0.1f * shade, (0.25f + 0.2f * (1 - v)) * shade, (0.35f + 0.2f * (1 - v)) * shade);
}

uint32_t BurstTexel(unsigned x, unsigned y) {
  const float dx = static_cast<float>(x) - 31.5f, dy = static_cast<float>(y) - 31.5f;
  const float r = std::sqrt(dx * dx + dy * dy);
  // A white ring about the centre and a yellow dot in it.
  if (r < 3) return Argb(1, 1, 0.9f, 0.2f);
  if (r > 7 && r < 10) return Argb(1, 1, 1, 1);
  // Coloured squares scattered over a dark blue ground.
  const unsigned cell = (x / 8) * 5 + (y / 8) * 3;
  const bool mark = (x % 8) >= 2 && (x % 8) < 5 && (y % 8) >= 2 && (y % 8) < 5 && cell % 3 != 0;
  if (!mark) return Argb(1, 0.05f, 0.08f, 0.2f);
  const uint32_t colours[3] = {0xFFFF6040u, 0xFF40E0FFu, 0xFFFFE040u};
  return colours[cell % 3];
}

}  // namespace

bool MakeEffectImages(SceneDemo& demo, EffectImages* out) {
  const struct {
    const char* file;
    Picture picture;
  } images[] = {
      {"ramp.png", Made(4, 1, [](unsigned x, unsigned) {
         const uint32_t steps[4] = {0xFF20305A, 0xFF3C6EB4, 0xFF78B4F0, 0xFFF0F8FF};
         return steps[x];
       })},
      {"edge.png", Made(4, 1, [](unsigned x, unsigned) { return x == 0 ? 0xFF000000u : 0xFFFFFFFFu; })},
      {"gradient.png",
       Made(32, 1, [](unsigned x, unsigned) { return 0xFF0000C0u | (x * 8) << 16 | (255 - x * 8) << 8; })},
      {"strands.png", Made(32, 1,
                           [](unsigned x, unsigned) {
                             const float u = static_cast<float>(x) / 31.0f;
                             return Argb(u, 0.45f + 0.5f * u, 0.3f + 0.45f * u, 0.1f + 0.2f * u);
                           },
                           true)},
      {"checker.png",
       Made(64, 64, [](unsigned x, unsigned y) { return (x / 8 + y / 8) % 2 ? 0xFFE0E0E0u : 0xFF304080u; })},
      {"normals.png", Made(64, 64, NormalTexel)},
      {"lighting.png", Made(64, 64,
                            [](unsigned x, unsigned y) {
                              const float diffuse = 0.15f + 0.85f * static_cast<float>(x) / 63.0f;
                              const float specular = std::pow(static_cast<float>(y) / 63.0f, 24.0f);
                              return Argb(specular, diffuse, diffuse, diffuse);
                            },
                            true)},
      {"fur.png", Made(64, 64,
                       [](unsigned x, unsigned y) {
                         // One hair in three texels, scattered.
                         uint32_t h = x * 374761393u + y * 668265263u;
                         h = (h ^ (h >> 13)) * 1274126177u;
                         return ((h ^ (h >> 16)) % 3 == 0) ? 0xFFB08050u : 0x00B08050u;
                       },
                       true)},
      {"pool.png", Made(64, 64,
                        [](unsigned x, unsigned y) {
                          const bool rim = x < 2 || y < 2 || x > 61 || y > 61;
                          return rim ? 0xFF808080u : 0x00808080u;
                        },
                        true)},
      {"drop.png", Made(16, 16,
                        [](unsigned x, unsigned y) {
                          const float dx = static_cast<float>(x) - 7.5f, dy = static_cast<float>(y) - 7.5f;
                          const float h = std::max(0.0f, 1 - std::sqrt(dx * dx + dy * dy) / 7.5f);
                          return Argb(1, h, h, h);
                        })},
      {"burst.png", Made(64, 64, BurstTexel)},
      {"sky.png", Made(64, 64, SkyTexel)},
  };
  for (const auto& image : images) {
    if (!WritePngFile(demo.dir / image.file, image.picture)) {
      std::fprintf(stderr, "make_demos: could not write %s\n", image.file);
      return false;
    }
  }
  out->ramp = demo.AddTexture("Ramp", demo.dir / "ramp.png");
  out->edge = demo.AddTexture("Edge", demo.dir / "edge.png");
  out->gradient = demo.AddTexture("Gradient", demo.dir / "gradient.png");
  out->strands = demo.AddTexture("Strands", demo.dir / "strands.png");
  out->checker = demo.AddTexture("Checker", demo.dir / "checker.png");
  out->normals = demo.AddTexture("Normals", demo.dir / "normals.png");
  out->lighting = demo.AddTexture("Lighting", demo.dir / "lighting.png");
  out->fur = demo.AddTexture("Fur", demo.dir / "fur.png");
  out->pool = demo.AddTexture("Pool", demo.dir / "pool.png");
  out->drop = demo.AddTexture("Drop", demo.dir / "drop.png");
  out->burst = demo.AddTexture("Burst", demo.dir / "burst.png");
  out->sky = demo.Make<Vel_DX8_CubeTexture>(vel::kCubeTextureType, "Sky");
  if (out->sky) {
    const std::vector<char> bytes = ReadFileBytes(demo.dir / "sky.png");
    out->sky->LoadTextureFromMemoryAndCopyBuffer(bytes.data(), static_cast<int>(bytes.size()));
  }
  return demo.ok;
}

}  // namespace demos
