// The particle system in motion with a fixed frame time of one tick: positions
// after n frames against the motion equations, the billboards drawn where and
// in the colour the equations give, the live count bounded by the capacity,
// reset, explode passes, and what it does without emitter, clock or a usable
// camera.
#include "particle_fixture.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace vel_test {
namespace {

TEST_F(ParticleTest, PositionsFollowTheMotionEquationsAndBillboardsAreDrawnThere) {
  FlatSetup();
  const D3DXVECTOR3 points[3] = {{0.3f, 0.4f, 0}, {0, 2, 0}, {0, 0, 0.5f}};
  auto* system = System(Emitter({points[0], points[1], points[2]}));
  ASSERT_NE(system, nullptr);
  system->SetBirthRate(3);
  system->SetVelocity(0.05f);
  system->SetVelocityRandomize(0);
  system->SetGravity(0.1f);
  system->SetParticleLifeTime(1000);
  system->SetParticleStartSize(0.25f);
  system->SetParticleEndSize(0.25f);
  system->SetStartColor(D3DXVECTOR3(1, 0, 0));
  system->SetEndColor(D3DXVECTOR3(1, 0, 0));
  Vel_FloatChannel* alive = Value(system, kAliveSlot, -1);
  // Particles start at the world position of their vertex.
  D3DXMATRIX world;
  D3DXMatrixTranslation(&world, 0.1f, -0.2f, 0);
  D3DDevice()->SetTransform(D3DTS_WORLD, &world);

  // The first frame has no elapsed time; all three are born in the second and
  // move one tick in it.
  const int frames = 9;
  RunFrames(system, frames);
  ASSERT_EQ(system->GetParticleCount(), 3);
  EXPECT_EQ(alive->GetFloat(), 3.0f);
  const float t = static_cast<float>(frames - 1);
  for (int i = 0; i < 3; ++i) {
    const ParticlesExplodeInfo* p = system->GetParticle(i);
    ASSERT_NE(p, nullptr);
    ASSERT_TRUE(p->born);
    D3DXVECTOR3 direction;
    D3DXVec3Normalize(&direction, &points[i]);
    const D3DXVECTOR3 origin = points[i] + D3DXVECTOR3(0.1f, -0.2f, 0);
    const D3DXVECTOR3 want = origin + direction * (0.05f * t) + D3DXVECTOR3(0, -0.02f * 0.1f, 0) * (t * t);
    EXPECT_NEAR(p->age, t, 1e-5f);
    EXPECT_NEAR(p->position.x, want.x, 1e-4f) << i;
    EXPECT_NEAR(p->position.y, want.y, 1e-4f) << i;
    EXPECT_NEAR(p->position.z, want.z, 1e-4f) << i;
  }

  // The third particle, drawn alone: a red square of half-size 0.25 around
  // its position facing the (identity) camera.
  system->SetBirthRate(0);
  system->SetParticleBorn(0, false);
  system->SetParticleBorn(1, false);
  // The frame's pass moves it on by one tick before drawing.
  const float u = t + 1;
  const D3DXVECTOR3 drawn = points[2] + D3DXVECTOR3(0.1f, -0.2f, 0) + D3DXVECTOR3(0, 0, 0.05f * u) +
                            D3DXVECTOR3(0, -0.002f, 0) * (u * u);
  Image image = DrawFrame(system);
  EXPECT_EQ(system->GetLiveCount(), 1);
  EXPECT_RGB_NEAR(At(image, drawn.x, drawn.y), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, drawn.x + 0.2f, drawn.y - 0.2f), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, drawn.x + 0.35f, drawn.y), 0, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, drawn.x, drawn.y + 0.35f), 0, 0, 0, 1);
}

TEST_F(ParticleTest, LiveCountStaysWithinTheCapacityAndResetEmpties) {
  // More emitter vertices than 16-bit indices can draw: the capacity is capped.
  auto* system = System(Emitter({}, 20000));
  ASSERT_NE(system, nullptr);
  Vel_FloatChannel* rate = Value(system, kBirthRateSlot, 1e9f);
  Value(system, kLifeTimeSlot, 3);
  Vel_FloatChannel* alive = Value(system, kAliveSlot, 0);
  Vel_FloatChannel* reset = Value(system, kResetSlot, 0);
  for (int frame = 0; frame < 6; ++frame) {
    Frame(system);
    ASSERT_EQ(system->GetParticleCount(), Vel_DX8_ParticleObject::kMaxParticles);
    ASSERT_LE(alive->GetFloat(), Vel_DX8_ParticleObject::kMaxParticles);
    ASSERT_LE(system->GetLiveCount(), Vel_DX8_ParticleObject::kMaxParticles);
  }
  EXPECT_EQ(system->GetLiveCount(), Vel_DX8_ParticleObject::kMaxParticles);
  EXPECT_EQ(system->GetParticle(Vel_DX8_ParticleObject::kMaxParticles), nullptr);
  EXPECT_EQ(system->GetParticle(-1), nullptr);

  // Reset with no births (a NaN rate counts as none): nothing is left, and
  // the reset child goes back to 0.
  rate->SetFloat(std::numeric_limits<float>::quiet_NaN());
  reset->SetFloat(1);
  Frame(system);
  EXPECT_EQ(reset->GetFloat(), 0.0f);
  EXPECT_EQ(alive->GetFloat(), 0.0f);
  EXPECT_EQ(system->GetLiveCount(), 0);
  EXPECT_EQ(system->GetBirthRate(), 0.0f);
}

TEST_F(ParticleTest, ExplodeCountEmitsOnePassAndFractionalBirthsCarry) {
  auto* system = System(Emitter({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 0}}));
  ASSERT_NE(system, nullptr);
  system->SetExplodeCount(1);
  system->SetParticleLifeTime(2);
  system->SetBirthRate(0.3f);
  // 0.3 a tick: births at the frames where the carried sum passes a whole.
  int births = 0;
  int emittedFrames = 0;
  for (int frame = 0; frame < 40; ++frame) {
    Frame(system);
    int fresh = 0;
    for (int i = 0; i < 4; ++i) {
      const ParticlesExplodeInfo* p = system->GetParticle(i);
      if (p && p->born && p->age == 1.0f) ++fresh;
    }
    births += fresh;
    emittedFrames += fresh > 0;
  }
  // One pass over the four vertices, then nothing until a reset.
  EXPECT_EQ(births, 4);
  EXPECT_EQ(emittedFrames, 4);
  EXPECT_EQ(system->GetLiveCount(), 0);
}

// Without its time source: the clock is gone.
class NoClockParticles : public Vel_DX8_ParticleObject {
 public:
  NoClockParticles() {
    delete timeSource_;
    timeSource_ = nullptr;
  }
  using Vel_DX8_ParticleObject::billboards_;
};

TEST_F(ParticleTest, MissingEmitterIsSilentMissingClockReportedOnceSingularCameraHarmless) {
  // Without an emitter the frame is skipped and nothing is written to the log.
  messages.Clear();
  auto* lonely = System(nullptr);
  RunFrames(lonely, 3);
  EXPECT_TRUE(messages.messages.empty()) << messages.Texts()[0];
  EXPECT_EQ(lonely->GetLiveCount(), 0);

  auto* frozen = Adopt<NoClockParticles>();
  frozen->OneTimeInitialize();
  ASSERT_TRUE(Link(frozen, Emitter({{0, 1, 0}}), 0));
  frozen->SetBirthRate(5);
  RunFrames(frozen, 3);
  EXPECT_EQ(messages.Count("Vel_DX8_ParticleObject: No time source, particles stand still"), 1);
  EXPECT_EQ(frozen->GetLiveCount(), 0) << "no time, no births";

  // A born particle under a singular camera matrix: the squares stay finite.
  frozen->SetParticleBorn(0, true);
  frozen->SetParticleBorn(-1, true);
  frozen->SetParticleBorn(1, true);
  D3DXMATRIX singular;
  std::memset(&singular, 0, sizeof singular);
  D3DDevice()->SetTransform(D3DTS_VIEW, &singular);
  Frame(frozen);
  EXPECT_EQ(frozen->GetLiveCount(), 1);
  for (int k = 0; k < 4; ++k) {
    const ParticleVertex& v = frozen->billboards_[k];
    EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) << k;
  }
}

TEST_F(ParticleTest, CollisionReflectsOrKills) {
  auto* system = System(Emitter({{0, 1, 0}, {1, 0, 0}}));
  ASSERT_NE(system, nullptr);
  system->SetParticleLifeTime(100);
  system->SetBirthRate(2);
  RunFrames(system, 3);
  ParticlesExplodeInfo* p = system->GetParticle(0);
  ASSERT_TRUE(p && p->born);
  // Falling onto the floor at one unit a tick.
  p->previousPosition = D3DXVECTOR3(0, 1, 0);
  p->position = D3DXVECTOR3(0, 0, 0);
  p->previousAge = p->age - 1;
  system->CollideInNormal(0, D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(2, 0, 0), 0.5f);
  EXPECT_EQ(p->age, 0.0f);
  EXPECT_EQ(p->origin, D3DXVECTOR3(2, 0, 0));
  EXPECT_NEAR(p->velocity.x, 0, 1e-6f);
  EXPECT_NEAR(p->velocity.y, 0.5f, 1e-6f);  // up again at half the speed
  system->CollideInNormal(1, D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 0), 0);
  EXPECT_FALSE(system->GetParticle(1)->born);
  system->CollideInNormal(2, D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 0), 1);  // out of range: nothing
  system->CollideInNormal(-1, D3DXVECTOR3(0, 1, 0), D3DXVECTOR3(0, 0, 0), 1);
}

}  // namespace
}  // namespace vel_test

namespace vel_test {
namespace {

TEST(ParticleRandomTest, SameSequenceOnEveryPlatform) {
  // The sequence of the C standard's portable example generator, seed 1.
  ParticleRandom random(1);
  for (int want : {16838, 5758, 10113, 17515, 31051}) EXPECT_EQ(random.Next(), want);
  random.Seed(1);
  EXPECT_EQ(random.Next(), 16838);
  for (int i = 0; i < 1000; ++i) {
    const float r = random.Signed();
    ASSERT_TRUE(r >= -1.0f && r <= 1.0f);
  }
}

}  // namespace
}  // namespace vel_test
