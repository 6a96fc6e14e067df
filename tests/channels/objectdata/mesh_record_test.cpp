// The mesh's arrays and its saved record: bounded arrays that grow when a
// write lands past their end, byte-identical round trips, hand-written
// records (attributes without data, no vertices, the UV set 2 pair of a mesh
// without UV set 1), loading over an existing mesh, and damaged records.
#include "file_loader.h"
#include "mesh_fixture.h"
#include "orn_channel_group.h"
#include "record_bytes.h"

#include <array>
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

}

// Hand-written records: the mesh-data chunks after the channel record of a
// new mesh, in the order of the chunk table.
class HandRecordTest : public MeshRecordTest {
 protected:
  void SetUp() override {
    MeshRecordTest::SetUp();
    // The device and its start-up report come first; the log is then empty.
    Device();
    messages.Clear();
  }
  Bytes Start(int32_t count, uint32_t format) {
    Bytes record = RecordBefore(SaveRecord(NewMesh()), "VRCO");
    AppendChunk(record, "VRCO", count);
    AppendChunk(record, "VRFL", format);
    return record;
  }
  // A quad from (x0, y0) to (x1, y1) at depth 0.5, corners from the top left
  // round clockwise.
  static void Positions(Bytes& record, float x0, float y0, float x1, float y1) {
    const float corners[12] = {x0, y1, 0.5f, x1, y1, 0.5f, x1, y0, 0.5f, x0, y0, 0.5f};
    AppendChunk(record, "VPDA", corners, sizeof corners);
  }
  // Two triangles (0 1 2, 0 2 3), a triangle list, mapping modes 0 and 0.
  static void Finish(Bytes& record) {
    const uint16_t indices[6] = {0, 1, 2, 0, 2, 3};
    const int32_t modes[2] = {0, 0};
    AppendChunk(record, "POCO", int32_t{6});
    AppendChunk(record, "PODA", indices, sizeof indices);
    AppendChunk(record, "POTY", int32_t{4});
    AppendChunk(record, "POTM", modes, sizeof modes);
  }
};

TEST_F(HandRecordTest, AttributesWithoutTheirDataChunkLoadAsZeroRecords) {
  // Positions, normals and colours in the format; only the positions are
  // written. The normals and colours are in use and zero.
  Bytes record = Start(4, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE);
  Positions(record, 0.2f, 0.1f, 0.8f, 0.7f);
  Finish(record);
  bool loaded = false;
  Vel_DX8_ObjectDataChannel* mesh = Reload(record, &loaded);
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(messages.messages.empty()) << messages.Texts()[0];
  EXPECT_EQ(mesh->GetVertexCount(), 4);
  EXPECT_TRUE(mesh->GetVertexNormalUse());
  EXPECT_TRUE(mesh->GetVertexColorUse());
  EXPECT_EQ(mesh->GetVertexPosition(2).x, 0.8f);
  EXPECT_EQ(mesh->GetVertexPosition(2).y, 0.1f);
  for (unsigned long i = 0; i < 4; ++i) {
    EXPECT_EQ(mesh->GetVertexNormals(i).z, 0.0f);
    EXPECT_EQ(mesh->GetVertexColor(i).color, 0u);
  }
  // Saved back, the zero records are written out: 4 x 12 and 4 x 4 bytes.
  const Bytes saved = SaveRecord(mesh);
  ASSERT_GE(Find(saved, "VNDA"), 0);
  ASSERT_GE(Find(saved, "VCDA"), 0);
  uint32_t size = 0;
  std::memcpy(&size, &saved[static_cast<size_t>(Find(saved, "VNDA")) + 4], 4);
  EXPECT_EQ(size, 48u);
  std::memcpy(&size, &saved[static_cast<size_t>(Find(saved, "VCDA")) + 4], 4);
  EXPECT_EQ(size, 16u);

  // Normals alone, four of them and no data at all: four zero normals.
  Bytes normals = Start(4, D3DFVF_NORMAL);
  Finish(normals);
  Vel_DX8_ObjectDataChannel* bare = Reload(normals, &loaded);
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(bare->GetVertexNormalUse());
  EXPECT_EQ(bare->GetVertexNormals(3).x, 0.0f);
  EXPECT_EQ(bare->GetIndexes(5), 3);

  // In a group: a group file holding such a record loads as a whole.
  Bytes file = {'O', 'R', 'N', 'G'};
  AppendChunk(file, "ENVR", int32_t{1});
  AppendChunk(file, "CHCO", int32_t{1});
  AppendChunk(file, "CHIX", int32_t{0});
  AppendChunk(file, "CHID", vel::kObjectDataType);
  file.insert(file.end(), record.begin(), record.end());
  AppendChunk(file, "CHSC", int32_t{0});
  AppendChunk(file, "CGIC", int32_t{0});
  Orn_ChannelGroup* loadedGroup = engine->CreateNewGroup("Hand", false, 0);
  ASSERT_NE(loadedGroup, nullptr);
  OrnFileLoader loader(engine);
  loader.SetBuffer(file.data(), static_cast<int>(file.size()), true);
  ASSERT_TRUE(loadedGroup->LoadChannelGroup(loader, false)) << messages.Texts()[0];
  auto* inGroup = vel::As<Vel_DX8_ObjectDataChannel>(loadedGroup->GetChannel(0), vel::kObjectDataType);
  ASSERT_NE(inGroup, nullptr);
  EXPECT_TRUE(inGroup->GetVertexNormalUse());
}

TEST_F(HandRecordTest, AZeroVertexRecordKeepsOnlyThePositionFlag) {
  // No vertices: the normal, coordinate and colour bits are not taken; their
  // empty data chunks are read past. Saved back the format is 0x002.
  Bytes record = Start(0, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1 | D3DFVF_DIFFUSE);
  const VertTUVOffset adjustment = {0.25f, 0, 0, 0, 2, 2};
  AppendChunk(record, "VPDA", nullptr, 0);
  AppendChunk(record, "VNDA", nullptr, 0);
  AppendChunk(record, "VTDA", nullptr, 0);
  AppendChunk(record, "VTOP", adjustment);
  AppendChunk(record, "VCDA", nullptr, 0);
  AppendChunk(record, "POCO", int32_t{0});
  AppendChunk(record, "PODA", nullptr, 0);
  AppendChunk(record, "POTY", int32_t{4});
  bool loaded = false;
  Vel_DX8_ObjectDataChannel* mesh = Reload(record, &loaded);
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(messages.messages.empty()) << messages.Texts()[0];
  EXPECT_TRUE(mesh->GetVertexPositionUse());
  EXPECT_FALSE(mesh->GetVertexNormalUse());
  EXPECT_FALSE(mesh->GetVertexTUUse());
  EXPECT_FALSE(mesh->GetVertexColorUse());
  EXPECT_EQ(mesh->GetTUVOffSet(0).shiftU, 0.25f);

  Bytes expected = Start(0, D3DFVF_XYZ);
  AppendChunk(expected, "VPDA", nullptr, 0);
  AppendChunk(expected, "POCO", int32_t{0});
  AppendChunk(expected, "PODA", nullptr, 0);
  AppendChunk(expected, "POTY", int32_t{4});
  AppendChunk(expected, "POTM", std::array<int32_t, 2>{0, 0});
  EXPECT_EQ(SaveRecord(mesh), expected);
}

TEST_F(HandRecordTest, TheUVSet2PairOfAMeshWithoutUVSet1IsIgnoredAndTheMeshDraws) {
  // A mesh that used only UV set 2: positions and colours in the format, no
  // texture bits, and set 2's VTDA and VTOP between the positions and the
  // colours.
  Bytes record = Start(4, D3DFVF_XYZ | D3DFVF_DIFFUSE);
  Positions(record, 0.2f, 0.1f, 0.8f, 0.7f);
  const float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
  const VertTUVOffset adjustment = {0, 0, 0.5f, 0.5f, 3, 3};
  AppendChunk(record, "VTDA", uv, sizeof uv);
  AppendChunk(record, "VTOP", adjustment);
  const uint32_t red[4] = {0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u, 0xFFFF0000u};
  AppendChunk(record, "VCDA", red, sizeof red);
  Finish(record);

  bool loaded = false;
  Vel_DX8_ObjectDataChannel* mesh = Reload(record, &loaded);
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(messages.messages.empty()) << messages.Texts()[0];
  EXPECT_FALSE(mesh->GetVertexTUUse());
  EXPECT_FALSE(mesh->GetVertexTU2Use());
  EXPECT_EQ(mesh->GetVertexTUV2(2).u, 0.0f);
  EXPECT_EQ(mesh->GetTUVOffSet(1).scaleU, 1.0f);
  EXPECT_EQ(mesh->GetVertexColor(3).color, 0xFFFF0000u);
  EXPECT_EQ(mesh->GetIndexCount(), 6);

  // It draws: red over its square, black around it.
  ASSERT_NE(D3DDevice(), nullptr);
  FlatSetup();
  const Image image = DrawFrame(mesh);
  ASSERT_FALSE(image.Empty());
  EXPECT_RGB_NEAR(At(image, 0.5f, 0.4f), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0.25f, 0.65f), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0.75f, 0.15f), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, -0.5f, 0.4f), 0, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0.5f, -0.3f), 0, 0, 0, 1);
  EXPECT_RGB_NEAR(At(image, 0.9f, 0.9f), 0, 0, 0, 1);

  // Saved back it is the same record without the pair.
  Bytes expected = Start(4, D3DFVF_XYZ | D3DFVF_DIFFUSE);
  Positions(expected, 0.2f, 0.1f, 0.8f, 0.7f);
  AppendChunk(expected, "VCDA", red, sizeof red);
  Finish(expected);
  EXPECT_EQ(SaveRecord(mesh), expected);
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

  // Attributes whose data chunks are absent start as zero records; a count
  // no chunk holds sizes them only up to what 16-bit indices address.
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
