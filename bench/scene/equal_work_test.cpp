// The scene benchmark compares like with like only while its plain OpenGL
// program draws what the engine draws: for the "scene" demo the same mesh
// triangles in one draw per object, a fountain of as many live particles,
// and a caption of as many characters; for the boxes as many triangles
// covering as many pixels. A workload that grows on one side without the
// other following fails here.
#include "engine_scene.h"
#include "gl_scene.h"
#include "workloads.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Pixels of a BGRA frame that are not the clear colour 0x8CA6BF.
int CoveredPixels(const std::vector<uint8_t>& bgra) {
  int covered = 0;
  for (size_t i = 0; i + 3 < bgra.size(); i += 4)
    covered += bgra[i] != 0xBF || bgra[i + 1] != 0xA6 || bgra[i + 2] != 0x8C ? 1 : 0;
  return covered;
}

TEST(SceneBenchWork, PlainProgramDrawsWhatTheEngineDrawsForTheDemo) {
  scenebench::EngineScene engine;
  ASSERT_TRUE(engine.Init());
  engine.DemoFrame();
  scenebench::GlScene gl;
  ASSERT_TRUE(gl.Init(engine.Projection(), engine.Device()));

  // Both run past a particle's life (13 ticks of 1/16 s) so that births and
  // deaths balance: 8 a tick for 13 ticks, about 104 alive.
  const auto start = Clock::now();
  float seconds = 0;
  while (seconds < 1.5f) {
    engine.DemoFrame();
    gl.DemoFrame(seconds);
    seconds = std::chrono::duration<float>(Clock::now() - start).count();
  }
  const float engineTriangles = engine.TrianglesPerFrame(scenebench::Work::kDemo);
  gl.DemoFrame(seconds);
  const scenebench::GlScene::DemoWork& w = gl.LastDemoWork();

  // Floor 60 x 60 squares, four crates and three beacons of 12, a ball of
  // 24 slices and 12 stacks, a two-sided pane, and the shapes at complexity
  // 16: sphere 32 x 16, torus 16 x 32, cylinder and cone 16 slices of 4
  // stacks with their caps. The engine counts a third of its indices, to
  // four places.
  const int shapes = 32 * 30 + 2 * 16 * 32 + 2 * (16 * 2 * 4 + 2 * 16);
  EXPECT_EQ(w.meshTriangles, 60 * 60 * 2 + 7 * 12 + 24 * 11 * 2 + 4 + shapes);
  EXPECT_NEAR(engineTriangles, static_cast<float>(w.meshTriangles), 0.001f * static_cast<float>(w.meshTriangles));
  EXPECT_EQ(w.meshDraws, 1 + 4 + 1 + 4 + 3 + 1);

  const int engineLive = engine.LiveParticles();
  EXPECT_NEAR(engineLive, 104, 20);
  EXPECT_NEAR(w.particles, 104, 20);
  EXPECT_EQ(w.particleBytes, static_cast<size_t>(w.particles) * 4 * 32);

  // "Kelvane scene" and "Fog ends at 26.00": 30 quads of 6 vertices of 28
  // bytes, fewer than the 49 characters that make a second draw.
  EXPECT_EQ(engine.CaptionCharacters(), 30);
  EXPECT_EQ(w.characters, 30);
  EXPECT_EQ(w.captionDraws, 1);
  EXPECT_EQ(w.captionBytes, 30u * 6 * 28);

  gl.Shutdown();
  engine.Shutdown();
}

TEST(SceneBenchWork, PlainProgramCoversWhatTheEngineCoversWithTheBoxes) {
  scenebench::EngineScene engine;
  ASSERT_TRUE(engine.Init());
  engine.BoxesFrame();
  scenebench::GlScene gl;
  ASSERT_TRUE(gl.Init(engine.Projection(), engine.Device()));

  // 2,000 boxes of 6 faces of 2 triangles each.
  EXPECT_NEAR(engine.TrianglesPerFrame(scenebench::Work::kBoxes), 2000 * 12, 0.001f * 2000 * 12);
  gl.BoxesFrame();
  EXPECT_EQ(gl.FieldTriangles(), 2000 * 12);

  // From 89.5 units above the tops the whole field is in view, each box a
  // small square of about a dozen pixels: both pictures cover the same
  // pixels to within the rasterisers' edge rules (boxes of 1.4 units
  // instead of 1 cover a fifth more).
  std::vector<uint8_t> engineFrame;
  int width = 0, height = 0;
  ASSERT_TRUE(engine.PresentedFrame(&engineFrame, &width, &height));
  ASSERT_EQ(width, scenebench::kSize);
  ASSERT_EQ(height, scenebench::kSize);
  const int engineCovered = CoveredPixels(engineFrame), plainCovered = CoveredPixels(gl.Presented());
  EXPECT_GT(engineCovered, 2000 * 3);
  EXPECT_LT(engineCovered, scenebench::kSize * scenebench::kSize);
  EXPECT_NEAR(plainCovered, engineCovered, engineCovered / 50);

  gl.Shutdown();
  engine.Shutdown();
}

TEST(SceneBenchWork, PlainProgramCoversWhatTheEngineCoversWithTheSpheres) {
  scenebench::EngineScene engine;
  ASSERT_TRUE(engine.Init(true));
  engine.SpheresFrame();
  scenebench::GlScene gl;
  ASSERT_TRUE(gl.Init(engine.Projection(), engine.Device(), scenebench::kSphereWidth, scenebench::kSphereHeight));

  // 50 spheres of 25 slices and 21 stacks: one triangle per slice at each
  // pole's stack, two in each of the 19 between, 1,000 a sphere.
  EXPECT_NEAR(engine.TrianglesPerFrame(scenebench::Work::kSpheres), 50 * 1000, 0.001f * 50 * 1000);
  gl.SpheresFrame();
  EXPECT_EQ(gl.FieldTriangles(), 50 * 1000);

  // The spheres fill most of the 640 by 480 frame, the same pixels on both
  // sides.
  std::vector<uint8_t> engineFrame;
  int width = 0, height = 0;
  ASSERT_TRUE(engine.PresentedFrame(&engineFrame, &width, &height));
  ASSERT_EQ(width, 640);
  ASSERT_EQ(height, 480);
  const int engineCovered = CoveredPixels(engineFrame), plainCovered = CoveredPixels(gl.Presented());
  EXPECT_GT(engineCovered, 640 * 480 / 2);
  EXPECT_NEAR(plainCovered, engineCovered, engineCovered / 100);

  gl.Shutdown();
  engine.Shutdown();
}

}  // namespace
