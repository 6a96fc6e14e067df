// The motion channel's matrix: composition from position, rotation and size,
// the look-at turn, the parent and the begin matrix, once per frame.
#include "channel_harness.h"
#include "foreign_child.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "motion/vel_dx8_motion_channel.h"
#include "vectorvalue/vel_vector_channel.h"

#include <cmath>
#include <cstring>

namespace vel_test {
namespace {

constexpr float kPi = 3.14159265f;

class MotionTest : public ChannelHarness {
 protected:
  void SetUp() override {
    ChannelHarness::SetUp();
    motion = Create<Vel_DX8_MotionChannel>(vel::kMotionType, true);
    ASSERT_NE(motion, nullptr);
    ASSERT_NE(motion->GetPosition(), nullptr);
  }
  void Set(Vel_VectorChannel* v, float x, float y, float z) { v->SetVector(D3DXVECTOR3(x, y, z)); }
  Vel_MatrixChannel* MatrixChild(int slot, const D3DXMATRIX& m) {
    auto* child = Create<Vel_MatrixChannel>(vel::kMatrixType);
    child->SetMatrix(m);
    EXPECT_TRUE(Link(motion, child, slot));
    return child;
  }
  // The matrix of the next frame.
  D3DXMATRIX Next() {
    engine->ext->IncreaseTreeCount();
    return motion->GetMatrix();
  }
  // Where the local +z axis points under m.
  static D3DXVECTOR3 ZAxis(const D3DXMATRIX& m) {
    D3DXVECTOR3 z(0, 0, 1), o(0, 0, 0);
    D3DXVec3TransformCoord(&z, &z, &m);
    D3DXVec3TransformCoord(&o, &o, &m);
    return z - o;
  }

  Vel_DX8_MotionChannel* motion = nullptr;
};

#define EXPECT_VEC_NEAR(v, X, Y, Z)   \
  do {                                \
    const D3DXVECTOR3 v_ = (v);       \
    EXPECT_NEAR(v_.x, (X), 1e-5f);    \
    EXPECT_NEAR(v_.y, (Y), 1e-5f);    \
    EXPECT_NEAR(v_.z, (Z), 1e-5f);    \
  } while (0)

TEST_F(MotionTest, ComposesSizeRotationAndPosition) {
  D3DXMATRIX first = Next();
  EXPECT_TRUE(D3DXMatrixIsIdentity(&first)) << "the created children start at size 1, position and rotation 0";

  Set(motion->GetPosition(), 1, 2, 3);
  Set(motion->GetScale(), 2, 2, 2);
  D3DXMATRIX m = Next();
  EXPECT_FLOAT_EQ(m._11, 2);
  EXPECT_FLOAT_EQ(m._22, 2);
  EXPECT_FLOAT_EQ(m._33, 2);
  EXPECT_FLOAT_EQ(m._44, 1);
  EXPECT_VEC_NEAR(D3DXVECTOR3(m._41, m._42, m._43), 1, 2, 3);

  Set(motion->GetScale(), 1, 1, 1);
  Set(motion->GetRotation(), kPi / 2, 0, 0);  // yaw turns +z toward -x
  EXPECT_VEC_NEAR(ZAxis(Next()), -1, 0, 0);
  Set(motion->GetRotation(), 0, kPi / 2, 0);  // pitch turns +z toward +y
  EXPECT_VEC_NEAR(ZAxis(Next()), 0, 1, 0);
  // Roll turns +x toward -y.
  Set(motion->GetRotation(), 0, 0, kPi / 2);
  D3DXVECTOR3 x(1, 0, 0);
  D3DXMATRIX rolled = Next();
  D3DXVec3TransformNormal(&x, &x, &rolled);
  EXPECT_VEC_NEAR(x, 0, -1, 0);
}

TEST_F(MotionTest, ComputesOncePerFrame) {
  Set(motion->GetPosition(), 1, 0, 0);
  EXPECT_FLOAT_EQ(Next()._41, 1);
  Set(motion->GetPosition(), 5, 0, 0);
  EXPECT_FLOAT_EQ(motion->GetMatrix()._41, 1) << "the same frame keeps its matrix";
  EXPECT_FLOAT_EQ(Next()._41, 5);
}

TEST_F(MotionTest, LookAtTurnsPlusZTowardTheTarget) {
  D3DXMATRIX target;
  D3DXMatrixTranslation(&target, 7, 0, 0);
  Vel_MatrixChannel* lookAt = MatrixChild(Vel_DX8_MotionChannel::kLookAtSlot, target);
  Set(motion->GetRotation(), 1, 1, 0);  // yaw and pitch are replaced by the turn
  EXPECT_VEC_NEAR(ZAxis(Next()), 1, 0, 0);
  D3DXMatrixTranslation(&target, 0, 0, -3);
  lookAt->SetMatrix(target);
  EXPECT_VEC_NEAR(ZAxis(Next()), 0, 0, -1);
  D3DXMatrixTranslation(&target, 0, 4, 0);  // straight above
  lookAt->SetMatrix(target);
  EXPECT_VEC_NEAR(ZAxis(Next()), 0, 1, 0);
  D3DXMatrixTranslation(&target, 3, 0, 4);  // yaw = acos(0.6) - pi/2
  lookAt->SetMatrix(target);
  EXPECT_VEC_NEAR(ZAxis(Next()), 0.6f, 0, 0.8f);
  // A target on the position itself has no direction: no turn, no NaN.
  D3DXMatrixIdentity(&target);
  lookAt->SetMatrix(target);
  EXPECT_VEC_NEAR(ZAxis(Next()), 0, 0, 1);
}

TEST_F(MotionTest, LookAtTargetIsTakenIntoTheParentSpace) {
  D3DXMATRIX parent, target;
  D3DXMatrixTranslation(&parent, 10, 0, 0);
  D3DXMatrixTranslation(&target, 10, 0, 5);
  MatrixChild(Vel_DX8_MotionChannel::kParentSlot, parent);
  MatrixChild(Vel_DX8_MotionChannel::kLookAtSlot, target);
  D3DXMATRIX m = Next();
  EXPECT_VEC_NEAR(ZAxis(m), 0, 0, 1);
  EXPECT_VEC_NEAR(D3DXVECTOR3(m._41, m._42, m._43), 10, 0, 0);
}

TEST_F(MotionTest, BeginMatrixComesFirstAndBadInputsKeepTheLastMatrix) {
  D3DXMATRIX begin;
  D3DXMatrixTranslation(&begin, 0, 0, 1);
  motion->SetBeginMatrix(begin);
  Set(motion->GetRotation(), kPi / 2, 0, 0);
  D3DXMATRIX m = Next();
  // (0, 0, 1) is turned by the yaw after the begin matrix moved it.
  EXPECT_VEC_NEAR(D3DXVECTOR3(m._41, m._42, m._43), -1, 0, 0);

  Set(motion->GetPosition(), std::nanf(""), 0, 0);
  D3DXMATRIX kept = Next();
  EXPECT_EQ(0, std::memcmp(&kept, &m, sizeof m)) << "a NaN position keeps the last good matrix";

  // A parent without an inverse leaves a look-at target where it is.
  Set(motion->GetPosition(), 0, 0, 0);
  D3DXMATRIX flat, target;
  D3DXMatrixScaling(&flat, 0, 0, 0);
  D3DXMatrixTranslation(&target, 1, 0, 0);
  MatrixChild(Vel_DX8_MotionChannel::kParentSlot, flat);
  MatrixChild(Vel_DX8_MotionChannel::kLookAtSlot, target);
  for (float v : Next().m[0]) EXPECT_TRUE(std::isfinite(v));
}

TEST_F(MotionTest, ChildrenOfAnotherTypeAreNotRead) {
  // A float channel in the position slot and a vector in the parent slot.
  Orn_Channel* value = Create(vel::kFloatType);
  auto* vector = Create<Vel_VectorChannel>(vel::kVectorType);
  vector->SetVector(D3DXVECTOR3(5, 5, 5));
  ASSERT_TRUE(PlaceForeignChild(motion, Vel_DX8_MotionChannel::kPositionSlot, value));
  ASSERT_TRUE(PlaceForeignChild(motion, Vel_DX8_MotionChannel::kParentSlot, vector));
  EXPECT_EQ(motion->GetPosition(), nullptr);
  D3DXMATRIX m = Next();
  EXPECT_TRUE(D3DXMatrixIsIdentity(&m));
}

}  // namespace
}  // namespace vel_test
