// The water effect and its simulation (effect 5), stepped directly: still
// water stays flat, one drop spreads with the four-fold symmetry of the
// passes' sampling, a device reset leaves nothing behind and starts the
// water again from its mask, the time source's milliseconds pace the steps,
// a target that cannot be made leaves the device drawing into its own, and
// only particles whose path crosses the water make drops.
#include "image_effect_fixture.h"
#include "particle/vel_dx8_particle_object.h"
#include "timesource/vel_time_source_channel.h"
#include "water_effect.h"
#include "water_simulation.h"

#include <d3d8/d3d8debug.h>

#include <algorithm>
#include <cmath>

namespace vel_test {
namespace {

class WaterTest : public ImageEffectTest {
 protected:
  // False while the device runs no shaders.
  bool Start(int width, int height) {
    if (!StartWater(width, height)) return false;
    simulation = water->GetSimulation();
    EXPECT_TRUE(simulation && simulation->IsReady());
    return simulation && simulation->IsReady();
  }
  void Steps(int n) {
    D3DDevice()->BeginScene();
    for (int i = 0; i < n; ++i) ASSERT_TRUE(simulation->Advance(WaterSimulation::kUnitsPerStep));
    D3DDevice()->EndScene();
  }
  void TearDown() override {
    Vel_TimeSourceChannel::SetFixedFrameTime(0);
    D3D8Debug_FailCreateTexture(D3D_OK, 0, 0);
    ImageEffectTest::TearDown();
  }
  Texels Height() { return ReadTexels(simulation->GetHeightMap()); }
  Texels Normals() { return ReadTexels(simulation->GetNormalMap()); }

  WaterSimulation* simulation = nullptr;
};

TEST_F(WaterTest, StillWaterStaysFlatForAThousandSteps) {
  if (!Start(64, 32)) GTEST_SKIP() << "the graphics layer runs no shaders";
  // Drops of no strength, or none that is finite, stamp nothing.
  simulation->AddDrop(0.5f, 0.5f, 0);
  simulation->AddDrop(0.5f, 0.5f, std::nanf(""));
  Steps(1000);
  EXPECT_EQ(simulation->Drops().size(), 0u);
  EXPECT_TRUE(TexelsNear(Height(), Texels(64 * 32, Grey(0x80)), 1));
  EXPECT_TRUE(TexelsNear(Normals(), Texels(64 * 32, 0xFF8080FFu), 1));
  // The diagonal neighbours of the first force pass lie two texels along
  // each axis also on a target that is not square.
  float offset[4] = {};
  ASSERT_EQ(D3DDevice()->GetVertexShaderConstant(8 + 5 * 3 + 1, offset, 1), D3D_OK);
  EXPECT_FLOAT_EQ(offset[0], 2.0f / 64);
  EXPECT_FLOAT_EQ(offset[1], 2.0f / 32);
}

TEST_F(WaterTest, OneDropSpreadsSymmetrically) {
  if (!Start(kSize, kSize)) GTEST_SKIP() << "the graphics layer runs no shaders";
  simulation->AddDrop(0.5f, 0.5f, 8);
  Steps(1);
  EXPECT_EQ(simulation->Drops().size(), 0u);
  // The stamp: 8 x 8 texels about the corner between texels 31 and 32.
  Texels h = Height();
  ASSERT_EQ(h.size(), static_cast<size_t>(kSize * kSize));
  auto at = [&](int x, int y) { return Channel(h[y * kSize + x], 1); };
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) ASSERT_EQ(at(x, y), at(63 - x, 63 - y)) << x << ", " << y;
  EXPECT_GT(at(31, 31), 0x80);
  EXPECT_EQ(at(20, 31), 0x80);

  // The passes sample alike under a quarter turn about the drop's centre,
  // (x, y) to (63 - y, x); the 8-bit targets and the sampler's sub-texel
  // weights leave the spreading wave a few levels off that symmetry, and
  // its weight stays where the drop fell.
  Steps(9);
  h = Height();
  int asymmetry = 0;
  double x0 = 0, y0 = 0, weight = 0;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      asymmetry = std::max({asymmetry, std::abs(at(x, y) - at(63 - y, x)), std::abs(at(x, y) - at(63 - x, 63 - y))});
      const double d = at(x, y) - 0x80;
      x0 += d * x;
      y0 += d * y;
      weight += d;
    }
  EXPECT_LE(asymmetry, 8);
  EXPECT_NEAR(x0 / weight, 31.5, 0.25);
  EXPECT_NEAR(y0 / weight, 31.5, 0.25);
  // The wave left the stamp: texels 10 away from it moved.
  EXPECT_NE(at(18, 31), 0x80);
  EXPECT_NE(at(31, 45), 0x80);
}

TEST_F(WaterTest, ADeviceResetReleasesEverythingAndStartsFromTheMask) {
  if (!Start(kSize, kSize)) GTEST_SKIP() << "the graphics layer runs no shaders";
  simulation->AddDrop(0.5f, 0.5f, 8);
  Steps(3);
  const Texels waves = Height();
  const unsigned held = LiveReferences();
  water->InvalidateDeviceObjects();
  EXPECT_FALSE(simulation->IsReady());
  EXPECT_EQ(simulation->GetNormalMap(), nullptr);
  EXPECT_LT(LiveReferences(), held);
  LoseDevice();
  WaterFrame();
  ASSERT_TRUE(simulation->IsReady());
  simulation->AddDrop(0.5f, 0.5f, 8);
  Steps(3);
  EXPECT_TRUE(TexelsNear(Height(), waves, 0));
  ExpectNoLayerError();
  EXPECT_EQ(LiveReferences(), held);
}

TEST_F(WaterTest, TheWaterStepsOnceEveryTwentyMillisecondsOfTheTimeSource) {
  if (!Start(16, 16)) GTEST_SKIP() << "the graphics layer runs no shaders";
  // Frames of 1/32 tick, 1.953125 ms: a second of the time source is 512
  // frames. A step takes 20 whole milliseconds gathered and drops the rest,
  // so each takes 20 or 21 of them: 48 to 50 steps in the second. A pending
  // drop is used up by the step that draws it, which marks the frames that
  // stepped.
  Vel_TimeSourceChannel::SetFixedFrameTime(1.0f / 32);
  engine->ext->IncreaseTreeCount();
  simulation->Tick();  // gathers what the frames so far left
  int steps = 0;
  D3DDevice()->BeginScene();
  for (int frame = 0; frame < 512; ++frame) {
    engine->ext->IncreaseTreeCount();
    simulation->AddDrop(0.5f, 0.5f, 0);
    simulation->Tick();
    if (simulation->Drops().empty()) ++steps;
  }
  D3DDevice()->EndScene();
  EXPECT_GE(steps, 47);
  EXPECT_LE(steps, 50);
}

TEST_F(WaterTest, ATargetThatCannotBeMadeLeavesTheDeviceDrawingIntoItsOwn) {
  if (!Start(kSize, kSize)) GTEST_SKIP() << "the graphics layer runs no shaders";
  const unsigned held = LiveReferences();
  IDirect3DSurface8* own = nullptr;
  ASSERT_EQ(D3DDevice()->GetRenderTarget(&own), D3D_OK);
  // The third of the six targets fails, after two were made the device's
  // render target in turn.
  D3D8Debug_FailCreateTexture(E_OUTOFMEMORY, 2, 1);
  EXPECT_EQ(simulation->CreateTargets(), E_FAIL);
  IDirect3DSurface8* bound = nullptr;
  ASSERT_EQ(D3DDevice()->GetRenderTarget(&bound), D3D_OK);
  EXPECT_EQ(bound, own);
  bound->Release();
  // The same during a whole restore of the simulation.
  D3D8Debug_FailCreateTexture(E_OUTOFMEMORY, 4, 1);
  simulation->Initialise();
  ASSERT_EQ(D3DDevice()->GetRenderTarget(&bound), D3D_OK);
  EXPECT_EQ(bound, own);
  bound->Release();
  own->Release();
  EXPECT_EQ(messages.Count("Can't CreateTexture!\n"), 2);
  // Restored over itself once more, now without a failure, the simulation
  // holds one set of targets and one quad, as before: nothing made by the
  // earlier restores is kept alive.
  D3D8Debug_FailCreateTexture(D3D_OK, 0, 0);
  EXPECT_TRUE(simulation->Initialise());
  EXPECT_EQ(LiveReferences(), held);
}

TEST_F(WaterTest, AParticleCrossingFromTheFrontMakesAMirroredDropAndBounces) {
  // The pixel-aligned quad at depth 0.5 faces the viewer (normal -z); u and
  // v are 0.25 at (-0.5 - h, 0.5 + h).
  Vel_DX8_PixelShaderSurface* surface = PixelSurface(-1);
  auto* emitter = Create<Vel_DX8_ObjectDataChannel>(vel::kObjectDataType);
  emitter->SetVertexCount(4);
  emitter->SetVertexPositionUse(true);
  auto* particles = Create<Vel_DX8_ParticleObject>(vel::kParticleType);
  ASSERT_TRUE(Link(particles, emitter, 0));
  particles->CreateParticleObject();
  ASSERT_EQ(particles->GetParticleCount(), 4);
  const float h = 1.0f / kSize, x = -0.5f - h, y = 0.5f + h;
  // Into the front face; out through it from behind; beside the quad;
  // behind the quad moving away from it, whose line (not path) meets it.
  const D3DXVECTOR3 paths[4][2] = {{{x, y, 0.4f}, {x, y, 0.6f}},
                                   {{x, y, 0.6f}, {x, y, 0.4f}},
                                   {{3, y, 0.4f}, {3, y, 0.6f}},
                                   {{x, y, 0.55f}, {x, y, 0.7f}}};
  for (int i = 0; i < 4; ++i) {
    ParticlesExplodeInfo* p = particles->GetParticle(i);
    p->born = true;
    p->previousPosition = paths[i][0];
    p->position = paths[i][1];
  }
  const D3DXVECTOR3 untouched = particles->GetParticle(1)->origin, away = particles->GetParticle(3)->origin;
  WaterSimulation simulation;
  simulation.engine = engine;
  simulation.SetSurface(surface);
  simulation.SetDeviceChannel(Device());
  simulation.CollideParticles(0, particles);
  ASSERT_EQ(simulation.Drops().size(), 1u);
  EXPECT_NEAR(simulation.Drops()[0].x, 0.75f, 1e-4);
  EXPECT_NEAR(simulation.Drops()[0].y, 0.25f, 1e-4);
  EXPECT_FLOAT_EQ(simulation.Drops()[0].strength, 10.0f);
  // The particle that made it starts again where it hit, heading back out
  // of the water; the others were not touched.
  EXPECT_NEAR(particles->GetParticle(0)->origin.z, 0.5f, 1e-4);
  EXPECT_LT(particles->GetParticle(0)->velocity.z, 0);
  EXPECT_EQ(particles->GetParticle(1)->origin, untouched);
  EXPECT_EQ(particles->GetParticle(3)->origin, away);
}

}  // namespace
}  // namespace vel_test
