// Particle systems on the harness engine with a fixed frame time: an emitter
// mesh of given points, parameter children and a flat drawing setup.
#pragma once

#include "floatvalue/vel_float_channel.h"
#include "mesh_fixture.h"
#include "particle/vel_dx8_particle_object.h"
#include "timesource/vel_time_source_channel.h"

#include <initializer_list>

namespace vel_test {

// Child slots of the particle channel's parameters.
enum ParticleSlot { kBirthRateSlot = 1, kLifeTimeSlot = 3, kAliveSlot = 9, kResetSlot = 13 };

class ParticleTest : public MeshTest {
 protected:
  void SetUp() override {
    MeshTest::SetUp();
    ASSERT_NE(D3DDevice(), nullptr);
    Vel_TimeSourceChannel::SetFixedFrameTime(1.0f);
  }
  void TearDown() override {
    Vel_TimeSourceChannel::SetFixedFrameTime(0.0f);
    MeshTest::TearDown();
  }

  // A mesh of `points` (positions only) or of `count` points at the origin.
  Vel_DX8_ObjectDataChannel* Emitter(std::initializer_list<D3DXVECTOR3> points, int count = 0) {
    Vel_DX8_ObjectDataChannel* mesh = NewMesh();
    const int n = count > 0 ? count : static_cast<int>(points.size());
    mesh->SetVertexCount(n);
    mesh->SetVertexPositionUse(true);
    int i = 0;
    for (const D3DXVECTOR3& p : points) mesh->SetVertexPosition(p, i++);
    return mesh;
  }

  Vel_DX8_ParticleObject* System(Vel_DX8_ObjectDataChannel* emitter) {
    auto* system = Create<Vel_DX8_ParticleObject>(vel::kParticleType);
    EXPECT_NE(system, nullptr);
    if (system && emitter) {
      EXPECT_TRUE(Link(system, emitter, 0));
    }
    return system;
  }

  Vel_FloatChannel* Value(Orn_Channel* parent, int slot, float v) {
    auto* value = Create<Vel_FloatChannel>(vel::kFloatType);
    value->SetFloat(v);
    EXPECT_TRUE(Link(parent, value, slot));
    return value;
  }
};

}  // namespace vel_test
