// The line chain of type 7 drawn on the device through its vector children in
// link order, and the primitive's saved record.
#include "d3d8/d3d8debug.h"
#include "mesh_fixture.h"
#include "primitive/vel_dx8_primitive.h"
#include "record_bytes.h"
#include "vectorvalue/vel_vector_channel.h"

#include <cstring>

namespace vel_test {
namespace {

using P = Vel_DX8_Primitive;

class PrimitiveLinesTest : public MeshTest {
 protected:
  Vel_VectorChannel* Point(float x, float y) {
    auto* v = Create<Vel_VectorChannel>(vel::kVectorType);
    v->SetVector(D3DXVECTOR3(x, y, 0.5f));
    return v;
  }
  static bool Lit(const Rgba& px) { return px.r > 128 && px.g > 128 && px.b > 128; }
  // A lit pixel within one pixel of (x, y): a one-pixel line may land on
  // either side of a pixel edge.
  static bool LitNear(const Image& image, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (Lit(image.At(x + dx, y + dy))) return true;
    return false;
  }
};

TEST_F(PrimitiveLinesTest, LinesJoinTheVectorChildrenInLinkOrder) {
  ASSERT_NE(D3DDevice(), nullptr);
  FlatSetup();
  auto* lines = Create<P>(vel::kPrimitiveType);
  ASSERT_NE(lines, nullptr);
  lines->SetPrimitiveType(P::kLines);
  Vel_VectorChannel* topLeft = Point(-0.5f, 0.5f);
  Vel_VectorChannel* topRight = Point(0.5f, 0.5f);
  Vel_VectorChannel* bottomRight = Point(0.5f, -0.5f);

  // One vector: nothing to join.
  ASSERT_TRUE(Link(lines, topLeft, 3));
  Image one = DrawFrame(lines);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) ASSERT_FALSE(Lit(one.At(x, y))) << x << "," << y;

  // Linked top left, bottom right, top right: the diagonal and the right
  // edge, not the top edge.
  ASSERT_TRUE(Link(lines, bottomRight, 3));
  ASSERT_TRUE(Link(lines, topRight, 3));
  Image chain = DrawFrame(lines);
  EXPECT_TRUE(LitNear(chain, 32, 32)) << "diagonal";
  EXPECT_TRUE(LitNear(chain, 48, 40)) << "right edge";
  EXPECT_FALSE(LitNear(chain, 32, 16)) << "top edge";
  EXPECT_FALSE(LitNear(chain, 16, 48));

  // Without a device (a reset that failed) the chain draws nothing and
  // touches no device.
  D3D8Debug_FailReset(D3DERR_NOTAVAILABLE, -1);
  Device()->ResetDevice();
  EXPECT_EQ(Device()->GetDirect3dDevice(), nullptr);
  Frame(lines);
  lines->DrawLine(D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(1, 1, 0));
  D3D8Debug_FailReset(D3D_OK, 0);
}

TEST_F(PrimitiveLinesTest, RecordRoundTripsAndDamagedRecordsAreReported) {
  auto* shape = Create<P>(vel::kPrimitiveType);
  ASSERT_NE(shape, nullptr);
  shape->SetPrimitiveType(P::kTorus);
  shape->SetPolygonFlip(true);
  shape->MapTexture(0, 3, false);
  shape->MapTexture(1, 4, false);
  shape->SetTUVOffSet(0, VertTUVOffset{0.25f, 0.5f, 0, 0, 2, 3});
  const std::vector<char> record = SaveRecord(shape);

  // The chunks in their order with their sizes, after the channel base.
  long at = FindChunk(record, "PRST");
  ASSERT_GT(at, 0);
  const struct {
    const char* tag;
    uint32_t size;
  } chunks[] = {{"PRST", 4}, {"PRFP", 1}, {"PRT1", 24}, {"PRT2", 24}, {"PRTM", 8}, {"PRUT", 1}, {"PRU2", 1}};
  for (const auto& chunk : chunks) {
    ASSERT_EQ(std::memcmp(&record[at], chunk.tag, 4), 0) << chunk.tag;
    uint32_t size = 0;
    std::memcpy(&size, &record[at + 4], 4);
    EXPECT_EQ(size, chunk.size) << chunk.tag;
    at += 8 + size;
  }
  EXPECT_EQ(at, static_cast<long>(record.size()));

  bool loaded = false;
  auto* copy = vel::As<P>(LoadRecord(vel::kPrimitiveType, record, &loaded), vel::kPrimitiveType);
  ASSERT_TRUE(loaded && copy);
  EXPECT_EQ(copy->GetPrimitiveType(), P::kTorus);
  EXPECT_TRUE(copy->GetPolygonFlip());
  EXPECT_EQ(copy->GetTextureMapping(1), 4);
  EXPECT_EQ(copy->GetTUVOffSet(0).scaleV, 3.0f);
  EXPECT_EQ(SaveRecord(copy), record);

  // A flag byte other than 0 or 1 is read as set.
  auto* odd = vel::As<P>(LoadRecord(vel::kPrimitiveType, WithBlock(record, "PRFP", {7}), &loaded),
                         vel::kPrimitiveType);
  ASSERT_TRUE(loaded && odd);
  EXPECT_TRUE(odd->GetPolygonFlip());

  // A chunk of the wrong size is reported and leaves the default.
  messages.Clear();
  auto* wrong = vel::As<P>(LoadRecord(vel::kPrimitiveType, WithBlock(record, "PRST", {1, 0}), &loaded),
                           vel::kPrimitiveType);
  ASSERT_NE(wrong, nullptr);
  EXPECT_EQ(wrong->GetPrimitiveType(), P::kBox);
  EXPECT_TRUE(messages.Contains("Corrupt chunk"));
  ExpectCutRecordsHandled(vel::kPrimitiveType, record);
}

}  // namespace
}  // namespace vel_test
