// The float, vector and matrix value channels: what the drawing plug-ins and
// the classes derived from them rely on.
#include "channel_harness.h"
#include "floatvalue/vel_float_channel.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "vectorvalue/vel_vector_channel.h"

#include <cstring>

namespace vel_test {
namespace {

// Classes that compute once per frame on top of the value channels, as the
// user-input and motion channels do.
class OncePerFrameFloat : public Vel_FloatChannel {
 public:
  void CallChannel() override {
    Vel_FloatChannel::CallChannel();
    if (CheckRenderCount()) value = static_cast<float>(++computed);
  }
  int computed = 0;
};

class OncePerFrameMatrix : public Vel_MatrixChannel {
 public:
  void CallChannel() override {
    Vel_MatrixChannel::CallChannel();
    if (!CheckRenderCount()) return;
    ++computed;
    D3DXMatrixTranslation(&matrix, static_cast<float>(computed), 0, 0);
  }
  int computed = 0;
};

class ValueChannelsTest : public ChannelHarness {};

TEST_F(ValueChannelsTest, NewValuesAndNamedUniqueFloats) {
  auto* f = Create<Vel_FloatChannel>(vel::kFloatType);
  auto* v = Create<Vel_VectorChannel>(vel::kVectorType);
  auto* m = Create<Vel_MatrixChannel>(vel::kMatrixType);
  ASSERT_TRUE(f && v && m);
  EXPECT_EQ(f->GetFloat(), 0.0f);
  EXPECT_EQ(v->GetVector(), D3DXVECTOR3(0, 0, 0));
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  EXPECT_EQ(m->GetMatrix(), identity);
  f->SetFloat(2.5f);
  f->SetFloat(-1.0f);
  EXPECT_EQ(f->GetOldFloat(), 2.5f);

  // One engine-wide float per name.
  Orn_Channel* vertices = engine->GetUniqueChannel(vel::kFloatType, "Vel_ObjectData_VertexCount");
  ASSERT_NE(vertices, nullptr);
  EXPECT_EQ(engine->GetUniqueChannel(vel::kFloatType, "Vel_ObjectData_VertexCount"), vertices);
  EXPECT_NE(engine->GetUniqueChannel(vel::kFloatType, "Vel_ObjectData_PolyCount"), vertices);
}

TEST_F(ValueChannelsTest, InheritedCallChannelLeavesTheFrameToTheDerivedClass) {
  auto* f = Adopt<OncePerFrameFloat>();
  auto* m = Adopt<OncePerFrameMatrix>();
  for (int frame = 1; frame <= 3; ++frame) {
    engine->ext->IncreaseTreeCount();
    for (int call = 0; call < 2; ++call) {
      f->CallChannel();
      m->CallChannel();
    }
    EXPECT_EQ(f->computed, frame);
    EXPECT_EQ(m->computed, frame);
  }
  // The inherited operations work on what the derived class wrote.
  EXPECT_EQ(f->GetFloat(), 3.0f);
  EXPECT_FLOAT_EQ(m->GetMatrix()._41, 3.0f);
}

TEST_F(ValueChannelsTest, RecordsLoadBackByteForByteAndCutOnesAreHandled) {
  auto* f = Create<Vel_FloatChannel>(vel::kFloatType);
  auto* v = Create<Vel_VectorChannel>(vel::kVectorType);
  auto* m = Create<Vel_MatrixChannel>(vel::kMatrixType);
  f->SetFloat(0.75f);
  v->SetVector({-1, 0.5f, 8});
  D3DXMATRIX r;
  D3DXMatrixRotationY(&r, 0.3f);
  m->SetMatrix(r);
  const std::pair<Orn_Channel*, GUID> channels[] = {
      {f, vel::kFloatType}, {v, vel::kVectorType}, {m, vel::kMatrixType}};
  for (const auto& [channel, type] : channels) {
    std::vector<char> record = SaveRecord(channel);
    bool loaded = false;
    Orn_Channel* copy = LoadRecord(type, record, &loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(SaveRecord(copy), record);
    ExpectCutRecordsHandled(type, record);
  }
  EXPECT_EQ(vel::As<Vel_FloatChannel>(LoadRecord(vel::kFloatType, SaveRecord(f)), vel::kFloatType)->GetFloat(),
            0.75f);
}

}  // namespace
}  // namespace vel_test
