// The 3D object: its matrix from the object and offset children, the
// movement it tracks between frames, its saved record, its boxes, and what
// it hands the device when it draws.
#include "channel_harness.h"
#include "file_loader.h"
#include "matrixvalue/vel_matrix_channel.h"
#include "object/vel_dx8_object_channel.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace vel_test {
namespace {

class ObjectChannelTest : public ChannelHarness {
 protected:
  Vel_DX8_ObjectChannel* NewObject() { return Create<Vel_DX8_ObjectChannel>(vel::kObjectType); }
  Vel_MatrixChannel* NewMatrix(const D3DXMATRIX& m) {
    auto* matrix = Create<Vel_MatrixChannel>(vel::kMatrixType);
    matrix->SetMatrix(m);
    return matrix;
  }
  static D3DXMATRIX Translation(float x, float y, float z) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, x, y, z);
    return m;
  }
  // Advances the tree count without calling anything.
  void NextFrame() { engine->ext->IncreaseTreeCount(); }
};

TEST_F(ObjectChannelTest, TypeAndSlots) {
  Vel_DX8_ObjectChannel* object = NewObject();
  ASSERT_NE(object, nullptr);
  EXPECT_STREQ(object->GetChannelType().name, "DX8 3D Object");
  EXPECT_STREQ(object->GetChannelName(), "DX8 3D Object");
  EXPECT_EQ(object->GetSurfaceCount(), 0);
  EXPECT_EQ(object->GetOrientation(), nullptr);
  // The surface slot takes surfaces only: a matrix goes to the first matrix
  // slot instead.
  Orn_Channel* matrix = Create(vel::kMatrixType);
  Link(object, matrix, 2);
  EXPECT_EQ(object->GetSurfaceCount(), 0);
  EXPECT_EQ(object->GetOrientation(), matrix);
}

TEST_F(ObjectChannelTest, RecordLoadsBackByteIdenticalAndADamagedChunkIsReported) {
  Vel_DX8_ObjectChannel* object = NewObject();
  object->SetUseFullObjectCulling(true);
  // Box from the record, rotated 45 degrees about y into world space.
  std::vector<char> record = SaveRecord(object);
  const D3DXVECTOR3 lo(-1, -1, -1), hi(1, 1, 1);
  for (size_t i = 0; i + 4 <= record.size(); ++i) {
    if (std::memcmp(&record[i], "OBMI", 4) == 0) std::memcpy(&record[i + 8], &lo, 12);
    if (std::memcmp(&record[i], "OBMA", 4) == 0) std::memcpy(&record[i + 8], &hi, 12);
  }
  bool loaded = false;
  auto* copy = vel::As<Vel_DX8_ObjectChannel>(LoadRecord(vel::kObjectType, record, &loaded), vel::kObjectType);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(SaveRecord(copy), record);
  EXPECT_TRUE(copy->GetUseFullObjectCulling());

  // Without surfaces the object box stays as loaded.
  D3DXMATRIX turn;
  D3DXMatrixRotationY(&turn, static_cast<float>(M_PI / 4));
  D3DXVECTOR3 min, max;
  ASSERT_TRUE(Link(copy, NewMatrix(turn), 0));
  NextFrame();
  copy->GetBoundingBoxMinMax(&min, &max);
  EXPECT_NEAR(max.x, std::sqrt(2.0f), 1e-5);
  EXPECT_NEAR(min.z, -std::sqrt(2.0f), 1e-5);
  EXPECT_NEAR(max.y, 1, 1e-5);

  // A block of the wrong size.
  for (size_t i = 0; i + 4 <= record.size(); ++i)
    if (std::memcmp(&record[i], "OBMA", 4) == 0) record[i + 4] = 8;
  copy = vel::As<Vel_DX8_ObjectChannel>(LoadRecord(vel::kObjectType, record, &loaded), vel::kObjectType);
  EXPECT_TRUE(loaded);
  EXPECT_TRUE(messages.HasPart("Vel_DX8_ObjectChannel::LoadChannel: Corrupt chunk OBMA"));
  // The damaged chunk leaves its default; the others are read.
  NextFrame();
  copy->GetBoundingBoxMinMax(&min, &max);
  EXPECT_EQ(min, lo);
  EXPECT_EQ(max, D3DXVECTOR3(0, 0, 0));
}

TEST_F(ObjectChannelTest, DrawingSetsTheWorldTransformUnlessTheMatrixIsNotFinite) {
  Vel_DX8_ObjectChannel* object = NewObject();
  Vel_MatrixChannel* placement = NewMatrix(Translation(1, 2, 3));
  ASSERT_TRUE(Link(object, placement, 0));
  IDirect3DDevice8* device = D3DDevice();
  ASSERT_NE(device, nullptr);
  NextFrame();
  object->DrawSurfaces();
  D3DMATRIX world;
  device->GetTransform(D3DTS_WORLD, &world);
  EXPECT_EQ(world._42, 2.0f);

  D3DXMATRIX broken = Translation(5, 5, 5);
  broken._41 = std::numeric_limits<float>::infinity();
  placement->SetMatrix(broken);
  NextFrame();
  object->DrawTransparentSurfaces();
  device->GetTransform(D3DTS_WORLD, &world);
  EXPECT_EQ(world._42, 2.0f);
}

}  // namespace
}  // namespace vel_test
