// The loader channel on damaged, truncated and random data: every read stays
// inside the bytes it holds, and nothing moves when a read is refused.
#include "test_support.h"

#include <zlib.h>

#include <cstring>
#include <memory>
#include <random>

namespace {

class LoaderBounds : public ::testing::Test {
 protected:
  // The bytes are held in a heap block of exactly their size, referenced by
  // the loader, so that a read past the end is caught by the sanitizers.
  void Hold(const std::vector<char>& bytes) {
    block.reset(new char[bytes.empty() ? 1 : bytes.size()]);
    if (!bytes.empty()) std::memcpy(block.get(), bytes.data(), bytes.size());
    loader.SetBuffer(block.get(), static_cast<int>(bytes.size()), false);
  }

  Vel_ChunkFileLoader loader;
  std::unique_ptr<char[]> block;
  ScratchDir dir;
};

TEST_F(LoaderBounds, SizeFieldCutShortCopiesNothing) {
  std::vector<char> bytes;
  PutText(&bytes, "CHCO");
  bytes.push_back(4);
  bytes.push_back(0);
  Hold(bytes);
  ASSERT_TRUE(loader.GetInfoIfTag("CHCO"));
  int32_t value = -7;
  loader.CopyTagDataToPointer(&value);
  EXPECT_EQ(value, -7);
  EXPECT_FALSE(loader.CopyTagDataChecked(&value, sizeof value));
  EXPECT_EQ(loader.GetSizeDataBlock(true), 0u);
  EXPECT_EQ(loader.GetTagData(), nullptr);
  EXPECT_FALSE(loader.SkipCurrentTag());
  EXPECT_EQ(loader.GetBufferSize(), 2);
}

TEST_F(LoaderBounds, BlockLongerThanTheRestIsRefused) {
  for (uint32_t claimed : {11u, 100u, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    std::vector<char> bytes;
    PutText(&bytes, "KCAF");
    PutSize(&bytes, claimed);
    bytes.insert(bytes.end(), 10, 'q');
    Hold(bytes);
    ASSERT_TRUE(loader.GetInfoIfTag("KCAF"));
    std::vector<char> dst(256, '\x5A');
    loader.CopyTagDataToPointer(dst.data());
    EXPECT_EQ(dst, std::vector<char>(256, '\x5A')) << claimed;
    EXPECT_FALSE(loader.CopyTagDataChecked(dst.data(), claimed));
    EXPECT_EQ(loader.GetSizeDataBlock(false), 0u);
    EXPECT_EQ(loader.GetSizeDataBlock(true), 0u);
    EXPECT_EQ(loader.GetBufferSize(), 14) << "nothing may move";
  }
}

TEST_F(LoaderBounds, CheckedCopyWantsTheExactRecordSize) {
  std::vector<char> bytes;
  PutText(&bytes, "CHIT");
  PutSize(&bytes, 8);
  PutText(&bytes, "12345678");
  Hold(bytes);
  ASSERT_TRUE(loader.GetInfoIfTag("CHIT"));
  char small[4] = {'-', '-', '-', '-'};
  EXPECT_FALSE(loader.CopyTagDataChecked(small, sizeof small));
  EXPECT_EQ(small[0], '-');
  char big[16];
  EXPECT_FALSE(loader.CopyTagDataChecked(big, sizeof big));
  char exact[8];
  EXPECT_TRUE(loader.CopyTagDataChecked(exact, sizeof exact));
  EXPECT_EQ(std::string(exact, 8), "12345678");
  EXPECT_TRUE(loader.GetIfEndOfFile());
}

TEST_F(LoaderBounds, AddBufferPosStopsAtTheEnd) {
  Hold(std::vector<char>(10, 'x'));
  loader.AddBufferPos(-3);
  EXPECT_EQ(loader.GetBufferSize(), 10);
  loader.AddBufferPos(4);
  EXPECT_EQ(loader.GetBufferSize(), 6);
  loader.AddBufferPos(1000);
  EXPECT_EQ(loader.GetBufferSize(), 0);
  EXPECT_TRUE(loader.GetIfEndOfFile());
  EXPECT_EQ(loader.GetBuffer(), block.get() + 10);
  loader.AddBufferPos(0x7FFFFFFF);
  EXPECT_EQ(loader.GetBufferSize(), 0);
}

TEST_F(LoaderBounds, TagTestsOnFewerThanFourBytes) {
  std::vector<char> bytes;
  PutText(&bytes, "ORN");
  Hold(bytes);
  EXPECT_FALSE(loader.GetInfoIfTag("ORNG"));
  EXPECT_FALSE(loader.CheckHeader("ORNG", true));
  EXPECT_FALSE(loader.GotoTag("ORNG", 0));
  EXPECT_FALSE(loader.GetIfEndOfFile());
  EXPECT_EQ(loader.GetBufferSize(), 3);
}

TEST_F(LoaderBounds, SetBufferCharStaysInsideTheView) {
  Hold(std::vector<char>{'a', 'b', 'c', 'd'});
  loader.SetBufferChar(-1, 'X');
  loader.SetBufferChar(4, 'X');
  loader.SetBufferChar(0, 'A');
  loader.AddBufferPos(2);
  loader.SetBufferChar(1, 'D');  // indexes the view from the read position
  loader.SetBufferChar(2, 'X');
  EXPECT_EQ(std::string(block.get(), 4), "AbcD");
}

TEST_F(LoaderBounds, RandomBytesAndRandomCallsStayInside) {
  std::mt19937 random(20240601);
  const char* tags[] = {"ORNG", "CHCO", "KNDB", "\0\0\0\0", "\x01\x00\x00\x00"};
  for (int round = 0; round < 3000; ++round) {
    size_t n = random() % 48;
    std::vector<char> bytes(n);
    for (char& c : bytes) {
      // Mostly small values, so that size fields often describe blocks that fit.
      c = static_cast<char>(random() % 4 == 0 ? random() % 256 : random() % 12);
    }
    if (n >= 4 && random() % 2) std::memcpy(bytes.data(), tags[random() % 3], 4);
    Hold(bytes);
    char dst[64];
    for (int step = 0; step < 20; ++step) {
      const char* tag = tags[random() % 5];
      switch (random() % 11) {
        case 0: loader.GetInfoIfTag(tag); break;
        case 1: loader.CopyTagDataToPointer(dst); break;
        case 2: loader.CopyTagDataChecked(dst, random() % 8); break;
        case 3: loader.GetSizeDataBlock(random() % 2); break;
        case 4: loader.AddBufferPos(static_cast<int>(random() % 20) - 5); break;
        case 5: loader.SkipCurrentTag(); break;
        case 6: loader.GotoTag(tag, 0); break;
        case 7: {
          const char* data = loader.GetTagData();
          if (data) dst[0] = data[0];
          break;
        }
        case 8: loader.SetBufferChar(static_cast<int>(random() % 50) - 2, 'z'); break;
        case 9: loader.CheckHeader(tag, random() % 2); break;
        default: {
          int left = loader.GetBufferSize();
          const char* at = loader.GetBuffer();
          for (int i = 0; i < left; ++i) dst[i % 64] = at[i];
          break;
        }
      }
      int left = loader.GetBufferSize();
      ASSERT_GE(left, 0);
      ASSERT_LE(static_cast<size_t>(left), n);
      if (n) {
        ASSERT_EQ(loader.GetBuffer() + left, block.get() + n);
      }
      ASSERT_EQ(loader.GetIfEndOfFile(), left == 0);
    }
  }
}

TEST_F(LoaderBounds, RandomFileIsWalkedToItsEnd) {
  std::mt19937 random(77);
  std::vector<char> bytes(4096);
  for (char& c : bytes) c = static_cast<char>(random());
  std::string path = dir.File("random.bin");
  WriteAll(path, bytes);
  ASSERT_TRUE(loader.LoadFile(path.c_str()));
  int steps = 0;
  while (!loader.GetIfEndOfFile() && steps < 10000) {
    if (!loader.SkipCurrentTag()) loader.AddBufferPos(1);
    ++steps;
  }
  EXPECT_TRUE(loader.GetIfEndOfFile());
}

TEST_F(LoaderBounds, UnreadablePathsLoadNothing) {
  std::string path = dir.File("data.bin");
  WriteAll(path, {'A', 'B', 'C', 'D'});
  ASSERT_TRUE(loader.LoadFile(path.c_str()));
  EXPECT_EQ(loader.GetBufferSize(), 4);

  EXPECT_FALSE(loader.LoadFile(dir.File("missing.bin").c_str()));
  EXPECT_EQ(loader.GetBufferSize(), 0);
  EXPECT_EQ(loader.GetBuffer(), nullptr);
  EXPECT_FALSE(loader.GetInfoIfTag("ABCD"));
  EXPECT_FALSE(loader.LoadFile(dir.path.c_str()));
  EXPECT_FALSE(loader.LoadFile(nullptr));
  EXPECT_FALSE(loader.LoadFile(""));
}

TEST_F(LoaderBounds, EmptyFileLoadsAsNoChunks) {
  std::string path = dir.File("empty.bin");
  WriteAll(path, {});
  ASSERT_TRUE(loader.LoadFile(path.c_str()));
  EXPECT_TRUE(loader.GetIfEndOfFile());
  EXPECT_FALSE(loader.GetInfoIfTag("ORNG"));
  EXPECT_EQ(loader.GetCRC(), 0);
}

TEST_F(LoaderBounds, SmallBlockSizeStillReadsWholeFile) {
  std::vector<char> bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  std::string path = dir.File("pieces.bin");
  WriteAll(path, bytes);
  loader.SetBlockSize(3);
  ASSERT_TRUE(loader.LoadFile(path.c_str()));
  ASSERT_EQ(loader.GetBufferSize(), 1000);
  EXPECT_EQ(0, std::memcmp(loader.GetBuffer(), bytes.data(), bytes.size()));
}

TEST(LoaderBuffer, CopyIsIndependentReferenceIsNot) {
  char memory[8] = {'C', 'H', 'C', 'O', 0, 0, 0, 0};
  Vel_ChunkFileLoader copied;
  copied.SetBuffer(memory, 8, true);
  Vel_ChunkFileLoader referenced;
  referenced.SetBuffer(memory, 8, false);
  memory[0] = 'X';
  EXPECT_TRUE(copied.CheckHeader("CHCO", false));
  EXPECT_FALSE(referenced.CheckHeader("CHCO", false));
  EXPECT_EQ(referenced.GetBuffer(), memory);
  referenced.SetBufferChar(0, 'C');
  EXPECT_EQ(memory[0], 'C');
  copied.SetBufferChar(1, 'Z');
  EXPECT_EQ(memory[1], 'H');
}

TEST(LoaderBuffer, OwnBytesCanBeHandedBack) {
  for (bool copy : {true, false}) {
    Vel_ChunkFileLoader loader;
    char bytes[12] = {'O', 'N', 'D', 'F', 'K', 'S', 'P', 'T', 1, 2, 3, 4};
    loader.SetBuffer(bytes, 12, true);
    loader.AddBufferPos(4);
    loader.SetBuffer(const_cast<char*>(loader.GetBuffer()), loader.GetBufferSize(), copy);
    ASSERT_EQ(loader.GetBufferSize(), 8);
    EXPECT_TRUE(loader.CheckHeader("KSPT", true));
    EXPECT_EQ(loader.GetBuffer()[3], 4);
    // Oversized claims about the loader's own bytes are cut to what it holds.
    loader.ResetPosition();
    loader.SetBuffer(const_cast<char*>(loader.GetBuffer()), 1000, copy);
    EXPECT_EQ(loader.GetBufferSize(), 8);
  }
}

TEST(LoaderBuffer, NoDataMeansAnEmptyBuffer) {
  Vel_ChunkFileLoader loader;
  char bytes[4] = {'A', 'B', 'C', 'D'};
  loader.SetBuffer(bytes, 4, true);
  loader.SetBuffer(nullptr, 4, true);
  EXPECT_EQ(loader.GetBufferSize(), 0);
  loader.SetBuffer(bytes, -1, false);
  EXPECT_EQ(loader.GetBufferSize(), 0);
  EXPECT_EQ(loader.GetBuffer(), nullptr);
  EXPECT_TRUE(loader.GetIfEndOfFile());
}

TEST(LoaderChecksum, IsZlibCrc32OfAllTheData) {
  ScratchDir dir;
  std::vector<char> bytes(5000);
  std::mt19937 random(5);
  for (char& c : bytes) c = static_cast<char>(random());
  std::string path = dir.File("lib.so");
  WriteAll(path, bytes);
  uLong expected = crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));

  Vel_ChunkFileLoader loader;
  ASSERT_TRUE(loader.LoadFile(path.c_str()));
  EXPECT_EQ(static_cast<uint32_t>(loader.GetCRC()), expected);
  loader.AddBufferPos(100);
  EXPECT_EQ(static_cast<uint32_t>(loader.GetCRC()), expected) << "independent of the read position";

  Vel_ChunkFileLoader fromMemory;
  fromMemory.SetBuffer(bytes.data(), static_cast<int>(bytes.size()), false);
  EXPECT_EQ(static_cast<uint32_t>(fromMemory.GetCRC()), expected);
  // The well-known check value of CRC-32.
  char check[] = "123456789";
  fromMemory.SetBuffer(check, 9, true);
  EXPECT_EQ(static_cast<uint32_t>(fromMemory.GetCRC()), 0xCBF43926u);
}

TEST(LoaderUrl, NothingIsEverCached) {
  Vel_ChunkFileLoader loader;
  loader.SetURL("http://example.invalid/a.klv");
  loader.SetURL(nullptr);
  EXPECT_FALSE(loader.CheckULRCache("http://example.invalid/a.klv"));
  EXPECT_FALSE(loader.CheckULRCache(nullptr));
  const char* name = loader.GetChacheFileNameFromURL("http://example.invalid/a.klv");
  ASSERT_NE(name, nullptr);
  EXPECT_STREQ(name, "");
  loader.SaveURLToCache("http://example.invalid/a.klv");
  loader.SaveURLToCache(nullptr);
  loader.StopLoading();
}

}  // namespace
