// Chunk streams written by the saver and read by the loader, through the
// OrnFileSaver and OrnFileLoader facades, in files and in memory.
#include "file_loader.h"
#include "file_saver.h"
#include "test_support.h"

#include <cstring>

namespace {

struct Record {
  int32_t a;
  float b;
  char name[8];
};

class ChunkStream : public ::testing::Test {
 protected:
  // A record as a channel would save it: an optional chunk, a bare tag, a
  // chunk with three blocks and a fixed-size record.
  void WriteSample(OrnFileSaver& saver) {
    saver.SaveTag("ORNG");
    int32_t count = 3;
    saver.SaveChunk("CHCO", &count, sizeof count);
    char guid[16], versions[12], crc[4];
    for (int i = 0; i < 16; ++i) guid[i] = static_cast<char>(i + 1);
    for (int i = 0; i < 12; ++i) versions[i] = static_cast<char>(0x40 + i);
    for (int i = 0; i < 4; ++i) crc[i] = static_cast<char>(0xF0 + i);
    saver.SaveTag("KNDB");
    saver.SaveBlockSize(16);
    saver.SaveDataToFile(guid, 16);
    saver.SaveBlockSize(12);
    saver.SaveDataToFile(versions, 12);
    saver.SaveBlockSize(4);
    saver.SaveDataToFile(crc, 4);
    Record r{7, 2.5f, "seven"};
    saver.SaveChunk("CREC", &r, sizeof r);
    saver.SaveChunk("CEMP", nullptr, 0);
  }

  void ReadSample(OrnFileLoader& loader) {
    EXPECT_TRUE(loader.GetInfoIfTag("ORNG"));
    EXPECT_FALSE(loader.GetInfoIfTag("CHIC"));
    ASSERT_TRUE(loader.GetInfoIfTag("CHCO"));
    int32_t count = 0;
    loader.CopyTagDataToPointer(&count);
    EXPECT_EQ(count, 3);
    ASSERT_TRUE(loader.GetInfoIfTag("KNDB"));
    char guid[16] = {}, versions[12] = {}, crc[4] = {};
    loader.CopyTagDataToPointer(guid);
    loader.CopyTagDataToPointer(versions);
    loader.CopyTagDataToPointer(crc);
    EXPECT_EQ(guid[0], 1);
    EXPECT_EQ(guid[15], 16);
    EXPECT_EQ(versions[11], 0x4B);
    EXPECT_EQ(static_cast<unsigned char>(crc[3]), 0xF3);
    Record r{};
    EXPECT_TRUE(loader.ReadChunk("CREC", &r, sizeof r));
    EXPECT_EQ(r.a, 7);
    EXPECT_EQ(r.b, 2.5f);
    EXPECT_STREQ(r.name, "seven");
    ASSERT_TRUE(loader.GetInfoIfTag("CEMP"));
    EXPECT_EQ(loader.GetSizeDataBlock(true), 0u);
    EXPECT_TRUE(loader.GetIfEndOfFile());
  }

  InProcessEngine engine;
  CapturedMessages messages;
  ScratchDir dir;
};

TEST_F(ChunkStream, RoundTripThroughFile) {
  std::string path = dir.File("sample.grp");
  OrnFileSaver saver(&engine);
  ASSERT_TRUE(saver.OpenSaveFile(path.c_str(), false));
  WriteSample(saver);
  saver.CloseSaveFile();
  ASSERT_NE(saver.GetSaveingFileName(), nullptr);
  EXPECT_STREQ(saver.GetSaveingFileName(), path.c_str());

  OrnFileLoader loader(&engine);
  ASSERT_TRUE(loader.LoadFile(path.c_str()));
  ReadSample(loader);
  EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ChunkStream, RoundTripThroughMemory) {
  OrnFileSaver saver(&engine);
  saver.OpenMemory();
  WriteSample(saver);
  saver.CloseMemory();
  ASSERT_NE(saver.GetBuffer(), nullptr);

  OrnFileLoader loader(&engine);
  loader.SetBuffer(saver.GetBuffer(), static_cast<int>(saver.GetBufferSize()), true);
  ReadSample(loader);
}

TEST_F(ChunkStream, FileAndMemoryHoldTheSameBytes) {
  std::string path = dir.File("same.bin");
  OrnFileSaver toFile(&engine);
  ASSERT_TRUE(toFile.OpenSaveFile(path.c_str(), false));
  WriteSample(toFile);
  toFile.CloseSaveFile();
  OrnFileSaver toMemory(&engine);
  toMemory.OpenMemory();
  WriteSample(toMemory);
  toMemory.CloseMemory();
  std::vector<char> file = ReadAll(path);
  ASSERT_EQ(file.size(), toMemory.GetBufferSize());
  EXPECT_EQ(0, std::memcmp(file.data(), toMemory.GetBuffer(), file.size()));
}

TEST_F(ChunkStream, EncodingIsTagLittleEndianSizeAndData) {
  OrnFileSaver saver(&engine);
  saver.OpenMemory();
  EXPECT_EQ(saver.SaveTag("ORNG"), 4);
  EXPECT_EQ(saver.SaveTag("CHCO"), 4);
  EXPECT_EQ(saver.SaveBlockSize(0x01020304), 4);
  EXPECT_EQ(saver.SaveDataToFile("xyz", 3), 3);
  saver.CloseMemory();
  const char expected[] = {'O', 'R', 'N', 'G', 'C', 'H', 'C', 'O', 4, 3, 2, 1, 'x', 'y', 'z'};
  ASSERT_EQ(saver.GetBufferSize(), sizeof expected);
  EXPECT_EQ(0, std::memcmp(saver.GetBuffer(), expected, sizeof expected));
}

// The reader's contract on bytes made by hand, independent of the saver.
class HandMadeStream : public ::testing::Test {
 protected:
  void Load(const std::vector<char>& bytes) {
    data = bytes;
    loader.SetBuffer(data.data(), static_cast<int>(data.size()), false);
  }

  InProcessEngine engine;
  CapturedMessages messages;
  OrnFileLoader loader{&engine};
  std::vector<char> data;
};

TEST_F(HandMadeStream, BareTagIsConsumedByItsTestAlone) {
  std::vector<char> bytes;
  PutText(&bytes, "ORNG");
  PutText(&bytes, "CHCO");
  PutSize(&bytes, 4);
  PutSize(&bytes, 5);  // the int32 value 5
  Load(bytes);
  EXPECT_FALSE(loader.GetInfoIfTag("CHCO"));
  EXPECT_TRUE(loader.GetInfoIfTag("ORNG"));
  EXPECT_FALSE(loader.GetInfoIfTag("ORNG"));
  EXPECT_TRUE(loader.GetInfoIfTag("CHCO"));
  int32_t count = 0;
  EXPECT_TRUE(loader.CopyTagData(&count, sizeof count));
  EXPECT_EQ(count, 5);
}

TEST_F(HandMadeStream, OneTagFollowedByThreeBlocks) {
  std::vector<char> bytes;
  PutText(&bytes, "KNDB");
  const uint32_t sizes[3] = {16, 12, 4};
  for (int b = 0; b < 3; ++b) {
    PutSize(&bytes, sizes[b]);
    for (uint32_t i = 0; i < sizes[b]; ++i) bytes.push_back(static_cast<char>(b * 50 + i));
  }
  PutText(&bytes, "KCAN");
  Load(bytes);

  ASSERT_TRUE(loader.GetInfoIfTag("KNDB"));
  unsigned char guid[16], versions[12], crc[4];
  std::memset(guid, 0xEE, sizeof guid);
  loader.CopyTagDataToPointer(guid);
  loader.CopyTagDataToPointer(versions);
  loader.CopyTagDataToPointer(crc);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(guid[i], i);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(versions[i], 50 + i);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(crc[i], 100 + i);
  EXPECT_TRUE(loader.GetInfoIfTag("KCAN"));
  EXPECT_TRUE(loader.GetIfEndOfFile());
}

TEST_F(HandMadeStream, AbsentOptionalTagLeavesThePosition) {
  std::vector<char> bytes;
  PutText(&bytes, "CHNA");
  PutSize(&bytes, 6);
  PutText(&bytes, "name1");
  bytes.push_back('\0');
  Load(bytes);
  EXPECT_FALSE(loader.CheckHeader("CHIC", false));
  EXPECT_FALSE(loader.GetInfoIfTag("CHIC"));
  EXPECT_EQ(loader.GetBufferSize(), static_cast<int>(bytes.size()));
  ASSERT_TRUE(loader.GetInfoIfTag("CHNA"));
  char name[6];
  EXPECT_TRUE(loader.CopyTagData(name, sizeof name));
  EXPECT_STREQ(name, "name1");
}

TEST_F(HandMadeStream, CheckHeaderMovesOnlyWhenAsked) {
  std::vector<char> bytes;
  PutText(&bytes, "ONDFKSPT");
  Load(bytes);
  EXPECT_TRUE(loader.CheckHeader("ONDF", false));
  EXPECT_TRUE(loader.CheckHeader("ONDF", false));
  EXPECT_TRUE(loader.CheckHeader("ONDF", true));
  EXPECT_FALSE(loader.CheckHeader("ONDF", false));
  EXPECT_TRUE(loader.CheckHeader("KSPT", false));
}

TEST_F(HandMadeStream, BlockReadInPlaceThroughSizeBufferAndAddBufferPos) {
  std::vector<char> bytes;
  PutText(&bytes, "CGII");
  PutSize(&bytes, 8);
  for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>('a' + i));
  PutText(&bytes, "CINA");
  Load(bytes);
  ASSERT_TRUE(loader.GetInfoIfTag("CGII"));
  EXPECT_EQ(loader.GetSizeDataBlock(false), 8u);
  EXPECT_EQ(loader.GetSizeDataBlock(true), 8u);
  const char* at = loader.GetBuffer();
  ASSERT_NE(at, nullptr);
  EXPECT_EQ(at[0], 'a');
  EXPECT_EQ(loader.GetBufferSize(), 12);
  loader.AddBufferPos(4);
  EXPECT_EQ(loader.GetBuffer()[0], 'e');
  loader.AddBufferPos(4);
  EXPECT_TRUE(loader.GetInfoIfTag("CINA"));
}

TEST_F(HandMadeStream, GotoTagFindsTheNextOccurrenceFurtherOn) {
  std::vector<char> bytes;
  PutText(&bytes, "AAAACHSC");
  PutSize(&bytes, 1);
  bytes.push_back('z');
  PutText(&bytes, "CHSCBBBB");
  Load(bytes);
  EXPECT_TRUE(loader.GotoTag("CHSC", 0));
  EXPECT_EQ(loader.GetSizeDataBlock(false), 1u);
  char z = 0;
  loader.CopyTagDataToPointer(&z);
  EXPECT_EQ(z, 'z');
  EXPECT_TRUE(loader.GotoTag("CHSC", 0));
  EXPECT_TRUE(loader.CheckHeader("BBBB", false));
  EXPECT_FALSE(loader.GotoTag("CHSC", 0));
  EXPECT_FALSE(loader.GotoTag("AAAA", 0));  // only further on
  EXPECT_TRUE(loader.CheckHeader("BBBB", false));
  loader.ResetPosition();
  EXPECT_TRUE(loader.GotoTag("AAAA", 0));
}

TEST_F(HandMadeStream, SkipCurrentTagPassesOneWholeChunk) {
  std::vector<char> bytes;
  PutText(&bytes, "CHLC");
  PutSize(&bytes, 3);
  PutText(&bytes, "abcCHLI");
  Load(bytes);
  EXPECT_TRUE(loader.SkipCurrentTag());
  EXPECT_TRUE(loader.CheckHeader("CHLI", false));
  EXPECT_FALSE(loader.SkipCurrentTag());  // a bare tag at the end: no size follows
  EXPECT_TRUE(loader.CheckHeader("CHLI", false));
}

TEST_F(HandMadeStream, GetTagDataPointsAtTheBlockWithoutMoving) {
  std::vector<char> bytes;
  PutText(&bytes, "CHFN");
  PutSize(&bytes, 4);
  PutText(&bytes, "a.so");
  Load(bytes);
  ASSERT_TRUE(loader.GetInfoIfTag("CHFN"));
  const char* block = loader.GetTagData();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(std::string(block, 4), "a.so");
  EXPECT_EQ(loader.GetSizeDataBlock(false), 4u);
}

}  // namespace
