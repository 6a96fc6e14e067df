// The scene benchmark compares like with like only while its plain OpenGL
// program draws what the engine draws for the "scene" demo: the same mesh
// triangles in one draw per object, a fountain of as many live particles,
// and a caption of as many characters. A demo that grows without the plain
// program following fails here.
#include "engine_scene.h"
#include "gl_scene.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

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
  const float engineTriangles = engine.TrianglesPerFrame(true);
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

}  // namespace
