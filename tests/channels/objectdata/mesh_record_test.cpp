// The mesh's arrays and its saved record: bounded arrays that grow when a
// write lands past their end, byte-identical round trips (also of an empty
// mesh and of odd flag combinations), loading over an existing mesh, and
// damaged records.
#include "file_loader.h"
#include "mesh_fixture.h"

#include <cstring>
#include <string>

namespace vel_test {
namespace {

using Bytes = std::vector<char>;

// The offset of the first chunk tagged `tag` after `from`, or -1.
long Find(const Bytes& bytes, const char* tag, size_t from = 0) {
  for (size_t i = from; i + 4 <= bytes.size(); ++i)
    if (std::memcmp(&bytes[i], tag, 4) == 0) return static_cast<long>(i);
  return -1;
}

void PutInt(Bytes& bytes, long at, int32_t value) { std::memcpy(&bytes[static_cast<size_t>(at)], &value, 4); }

class MeshRecordTest : public MeshTest {
 protected:
  // A mesh with every attribute: 3 vertices, both UV sets with adjustments,
  // colours, 3 indices, line strip, mapping modes 2 and 7.
  Vel_DX8_ObjectDataChannel* FullMesh() {
    Vel_DX8_ObjectDataChannel* mesh = NewMesh();
    mesh->SetVertexCount(3);
    mesh->SetVertexPositionUse(true);
    mesh->SetVertexNormalUse(true);
    mesh->SetVertexTUUse(true);
    mesh->SetVertexTU2Use(true);
    mesh->SetVertexColorUse(true);
    for (int i = 0; i < 3; ++i) {
      const float f = static_cast<float>(i);
      mesh->SetVertexPosition(VertPos{f, f + 0.5f, -f}, i);
      mesh->SetVertexNormal(VertNormal{0, f, 1}, i);
      mesh->SetVertexTUCoord(VertTUV{f * 0.25f, 1 - f}, i);
      mesh->SetVertexTU2Coord(VertTUV{f, f * 2}, i);
      mesh->SetVertexColor(VertColor{0xFF102030u + static_cast<uint32_t>(i)}, i);
    }
    mesh->SetIndexCount(3);
    for (int i = 0; i < 3; ++i) mesh->SetIndex(static_cast<unsigned short>(2 - i), i);
    mesh->SetPolygonType(3);
    mesh->MapTexture(0, 2, false);
    mesh->MapTexture(1, 7, false);
    return mesh;
  }

  Vel_DX8_ObjectDataChannel* Reload(const Bytes& record, bool* loaded) {
    return vel::As<Vel_DX8_ObjectDataChannel>(LoadRecord(vel::kObjectDataType, record, loaded), vel::kObjectDataType);
  }

  // Loads `record` into `mesh` (over what it holds).
  bool LoadInto(Vel_DX8_ObjectDataChannel* mesh, Bytes record) {
    OrnFileLoader loader(engine);
    loader.SetBuffer(record.data(), static_cast<int>(record.size()), true);
    return mesh->LoadChannel(loader, group);
  }
};

TEST_F(MeshRecordTest, WritesPastAnArrayGrowItAndReadsStayInside) {
  Vel_DX8_ObjectDataChannel* mesh = NewMesh();
  mesh->SetVertexCount(2);
  mesh->SetVertexNormalUse(true);
  mesh->SetVertexNormal(VertNormal{1, 2, 3}, 1);  // makes a zero-filled array of 2
  EXPECT_EQ(mesh->GetVertexNormals(0).x, 0.0f);
  mesh->SetVertexCount(4);  // the normals keep their 2 records
  mesh->SetVertexNormal(VertNormal{4, 5, 6}, 3);
  EXPECT_EQ(mesh->GetVertexNormals(1).y, 2.0f);
  EXPECT_EQ(mesh->GetVertexNormals(2).z, 0.0f);
  EXPECT_EQ(mesh->GetVertexNormals(3).z, 6.0f);
  EXPECT_EQ(mesh->GetVertexNormals(4).z, 0.0f);

  // Positions follow the count: leading ones kept, new ones zero.
  mesh->SetVertexPosition(VertPos{7, 7, 7}, 1);
  mesh->SetVertexCount(2);
  mesh->SetVertexCount(3);
  EXPECT_EQ(mesh->GetVertexPosition(1).x, 7.0f);
  EXPECT_EQ(mesh->GetVertexPosition(2).x, 0.0f);

  // An index count raised after the indices were set: writes below it grow
  // the index array, writes at or past it are refused and reported.
  mesh->SetIndexCount(2);
  unsigned short two[2] = {1, 2};
  EXPECT_TRUE(mesh->SetIndexes(two));
  mesh->SetIndexCount(5);
  EXPECT_EQ(mesh->GetIndexes(3), 0);
  EXPECT_TRUE(mesh->SetIndex(9, 4));
  EXPECT_EQ(mesh->GetIndexes(1), 2);
  EXPECT_EQ(mesh->GetIndexes(4), 9);
  EXPECT_FALSE(mesh->SetIndex(1, 5));
  EXPECT_TRUE(messages.HasPart("SetIndex index our of range!!"));
  EXPECT_EQ(mesh->GetIndexes(5), 0);
  unsigned char copied[10];
  mesh->CopyIndexBufferInBuffer(copied);
  EXPECT_EQ(copied[8], 9);

  // The record pads every array to the count.
  Bytes record = SaveRecord(mesh);
  long vnda = Find(record, "VNDA");
  ASSERT_GE(vnda, 0);
  uint32_t size;
  std::memcpy(&size, &record[static_cast<size_t>(vnda) + 4], 4);
  EXPECT_EQ(size, 3u * 12u);
}

TEST_F(MeshRecordTest, RecordsLoadBackByteIdentical) {
  Vel_DX8_ObjectDataChannel* full = FullMesh();
  const Bytes record = SaveRecord(full);
  // Both texture sets write their own VTDA/VTOP pair, set 1 first.
  const long first = Find(record, "VTDA");
  ASSERT_GE(first, 0);
  EXPECT_GE(Find(record, "VTDA", static_cast<size_t>(first) + 4), 0);
  bool loaded = false;
  Vel_DX8_ObjectDataChannel* copy = Reload(record, &loaded);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(SaveRecord(copy), record);
  EXPECT_EQ(copy->GetVertexTUV2(2).v, 4.0f);
  EXPECT_EQ(copy->GetTextureMapping(1), 7);
  EXPECT_EQ(copy->GetIndexes(0), 2);

  // An empty mesh with attributes in use keeps them: zero-size data chunks.
  messages.Clear();
  Vel_DX8_ObjectDataChannel* empty = NewMesh();
  empty->SetVertexPositionUse(true);
  empty->SetVertexNormalUse(true);
  empty->SetVertexTUUse(true);
  empty->SetVertexColorUse(true);
  const Bytes emptyRecord = SaveRecord(empty);
  Vel_DX8_ObjectDataChannel* emptyCopy = Reload(emptyRecord, &loaded);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(SaveRecord(emptyCopy), emptyRecord);
  EXPECT_TRUE(emptyCopy->GetVertexNormalUse());
  EXPECT_TRUE(messages.messages.empty()) << messages.Texts()[0];

  // UV set 2 without set 1: no texture bits in the format, set 2's pair after
  // the normals; it loads back into set 2.
  Vel_DX8_ObjectDataChannel* odd = NewMesh();
  odd->SetVertexCount(1);
  odd->SetVertexPositionUse(true);
  odd->SetVertexTU2Use(true);
  odd->SetVertexTU2Coord(VertTUV{0.5f, 0.25f}, 0);
  const Bytes oddRecord = SaveRecord(odd);
  EXPECT_EQ(odd->GetFVFlags(), static_cast<unsigned long>(D3DFVF_XYZ));
  Vel_DX8_ObjectDataChannel* oddCopy = Reload(oddRecord, &loaded);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(SaveRecord(oddCopy), oddRecord);
  EXPECT_FALSE(oddCopy->GetVertexTUUse());
  EXPECT_EQ(oddCopy->GetVertexTUV2(0).v, 0.25f);
}

TEST_F(MeshRecordTest, LoadingReplacesTheMeshItHolds) {
  Vel_DX8_ObjectDataChannel* mesh = FullMesh();
  Vel_DX8_ObjectDataChannel* small = NewMesh();
  small->SetVertexCount(1);
  small->SetVertexPositionUse(true);
  small->SetVertexPosition(VertPos{9, 9, 9}, 0);
  const Bytes smallRecord = SaveRecord(small);
  ASSERT_TRUE(LoadInto(mesh, smallRecord));
  EXPECT_EQ(mesh->GetVertexCount(), 1);
  EXPECT_FALSE(mesh->GetVertexNormalUse());
  EXPECT_EQ(mesh->GetVertexNormals(0).z, 0.0f);
  EXPECT_EQ(mesh->GetVertexColor(0).color, 0u);
  EXPECT_EQ(mesh->GetIndexCount(), 0);
  EXPECT_EQ(SaveRecord(mesh), smallRecord);

  // Without "VRCO" the channel keeps no mesh and the group goes on.
  Bytes bare = SaveRecord(NewMesh());
  bare.resize(static_cast<size_t>(Find(bare, "VRCO")));
  EXPECT_TRUE(LoadInto(mesh, bare));
  EXPECT_TRUE(messages.Has(kMessageError, "Couldn't find VRCO header"));
  EXPECT_EQ(mesh->GetVertexCount(), 0);
  EXPECT_FALSE(mesh->GetVertexPositionUse());
}

TEST_F(MeshRecordTest, DamagedRecordsAreRefusedOrReported) {
  const Bytes record = SaveRecord(FullMesh());
  const long potm = Find(record, "POTM");
  ASSERT_GT(potm, 0);
  // Every truncation before the last, optional chunk is refused or reported;
  // none reads past the data (the sanitizer build checks).
  Vel_DX8_ObjectDataChannel* mesh = NewMesh();
  for (size_t length = 0; length < static_cast<size_t>(potm); ++length) {
    messages.Clear();
    const bool loaded = LoadInto(mesh, Bytes(record.begin(), record.begin() + static_cast<long>(length)));
    EXPECT_TRUE(!loaded || !messages.messages.empty()) << "cut at " << length;
  }

  auto refused = [&](Bytes damaged, const std::string& text) {
    messages.Clear();
    EXPECT_FALSE(LoadInto(mesh, damaged)) << text;
    EXPECT_TRUE(messages.HasPart(text)) << text;
  };
  // A vertex count the data does not hold.
  Bytes huge = record;
  PutInt(huge, Find(huge, "VRCO") + 8, 0x7FFFFFFF);
  refused(huge, "Corrupt chunk");
  // A data block of the wrong size.
  Bytes shortBlock = record;
  PutInt(shortBlock, Find(shortBlock, "VPDA") + 4, 24);
  refused(shortBlock, "Corrupt chunk");
  // An index count past the bytes present.
  Bytes indices = record;
  PutInt(indices, Find(indices, "POCO") + 8, 1 << 30);
  refused(indices, "Corrupt chunk");
  // Positions in the format but no "VPDA".
  Bytes noPositions = record;
  std::memcpy(&noPositions[static_cast<size_t>(Find(noPositions, "VPDA"))], "XXXX", 4);
  refused(noPositions, "Couldn't find VPDA header");

  // Attributes whose data chunks are absent start as zero records, but only
  // for a count some chunk holds; a bare count never sizes memory.
  Vel_DX8_ObjectDataChannel* normalsOnly = NewMesh();
  normalsOnly->SetVertexCount(2);
  normalsOnly->SetVertexNormalUse(true);
  Bytes unbacked = SaveRecord(normalsOnly);
  std::memcpy(&unbacked[static_cast<size_t>(Find(unbacked, "VNDA"))], "XXXX", 4);
  const long vnda = Find(unbacked, "XXXX");
  unbacked.erase(unbacked.begin() + vnda, unbacked.begin() + vnda + 8 + 24);
  PutInt(unbacked, Find(unbacked, "VRCO") + 8, 100000000);
  refused(unbacked, "No vertex data for the vertex count");
}

}  // namespace
}  // namespace vel_test
