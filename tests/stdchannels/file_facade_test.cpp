// The OrnFileLoader and OrnFileSaver facades: creation of their channel,
// the report when there is none, and the checked helpers.
#include "dll_interface.h"
#include "file_loader.h"
#include "file_saver.h"
#include "test_support.h"

#include <cstring>

namespace {

void ExpectLoaderInert(OrnFileLoader& loader, const std::string& existingFile) {
  char buffer[8] = "abcdefg";
  EXPECT_EQ(loader.GetLoaderChannel(), nullptr);
  EXPECT_FALSE(loader.LoadFile(existingFile.c_str()));
  loader.SetBuffer(buffer, 8, true);
  loader.SetBlockSize(10);
  EXPECT_FALSE(loader.GetInfoIfTag("abcd"));
  EXPECT_FALSE(loader.CheckHeader("abcd", false));
  EXPECT_FALSE(loader.GotoTag("abcd", 0));
  EXPECT_EQ(loader.GetTagData(), nullptr);
  loader.CopyTagDataToPointer(buffer);
  EXPECT_FALSE(loader.CopyTagData(buffer, 4));
  EXPECT_FALSE(loader.ReadChunk("abcd", buffer, 4));
  EXPECT_EQ(loader.GetSizeDataBlock(true), 0u);
  EXPECT_EQ(loader.GetBuffer(), nullptr);
  EXPECT_EQ(loader.GetBufferSize(), 0);
  loader.AddBufferPos(3);
  loader.ResetPosition();
  EXPECT_FALSE(loader.GetIfEndOfFile());
  EXPECT_FALSE(loader.SkipCurrentTag());
  loader.SetURL("u");
  EXPECT_FALSE(loader.CheckULRCache("u"));
  EXPECT_EQ(loader.GetChacheFileNameFromURL("u"), nullptr);
  loader.SaveURLToCache("u");
  loader.SetBufferChar(0, 'x');
  loader.StopLoading();
  EXPECT_EQ(loader.GetCRC(), 0);
  EXPECT_STREQ(buffer, "abcdefg");
}

void ExpectSaverInert(OrnFileSaver& saver, const std::string& path) {
  EXPECT_FALSE(saver.OpenSaveFile(path.c_str(), false));
  EXPECT_EQ(saver.SaveTag("ORNG"), 0);
  EXPECT_EQ(saver.SaveBlockSize(4), 0);
  EXPECT_EQ(saver.SaveDataToFile("abcd", 4), 0);
  saver.SaveChunk("CHCO", "abcd", 4);
  saver.CloseSaveFile();
  EXPECT_EQ(saver.GetSaveingFileName(), nullptr);
  saver.OpenMemory();
  saver.CloseMemory();
  EXPECT_EQ(saver.GetBuffer(), nullptr);
  EXPECT_EQ(saver.GetBufferSize(), 0u);
}

class FileFacade : public ::testing::Test {
 protected:
  void SetUp() override {
    savedEngine = globalEngine;
    existing = dir.File("present.bin");
    WriteAll(existing, {'O', 'R', 'N', 'G'});
  }
  void TearDown() override { globalEngine = savedEngine; }

  CapturedMessages messages;
  ScratchDir dir;
  std::string existing;
  EngineInterface* savedEngine = nullptr;
};

TEST_F(FileFacade, WithoutEngineReportsAndAnswersNothing) {
  globalEngine = nullptr;
  {
    OrnFileLoader loader;
    ExpectLoaderInert(loader, existing);
    OrnFileSaver saver;
    ExpectSaverInert(saver, dir.File("out.bin"));
  }
  {
    OrnFileLoader loader(nullptr);
    OrnFileSaver saver(nullptr);
  }
  EXPECT_TRUE(messages.Has(kMessageError, "File loader class not found"));
  EXPECT_TRUE(messages.Has(kMessageError, "OrnFileLoader::OrnFileLoader: File loader class not found"));
  EXPECT_TRUE(messages.Has(kMessageError, "OrnFileSaver::OrnFileSaver: File loader class not found"));
  EXPECT_EQ(messages.messages.size(), 4u) << "one report per facade";
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.bin")));
}

TEST_F(FileFacade, EngineWithoutTheChannelsReportsOnce) {
  InProcessEngine engine;
  engine.hasLoader = false;
  engine.hasSaver = false;
  OrnFileLoader loader(&engine);
  OrnFileSaver saver(&engine);
  ExpectLoaderInert(loader, existing);
  ExpectSaverInert(saver, dir.File("out.bin"));
  ASSERT_EQ(messages.messages.size(), 2u);
  EXPECT_EQ(messages.messages[0].second, "OrnFileLoader::OrnFileLoader: File loader class not found");
  EXPECT_EQ(messages.messages[1].second, "OrnFileSaver::OrnFileSaver: File loader class not found");
}

TEST_F(FileFacade, DefaultConstructorsUseTheGlobalEngine) {
  InProcessEngine engine;
  globalEngine = &engine;
  OrnFileLoader loader;
  OrnFileSaver saver;
  EXPECT_NE(loader.GetLoaderChannel(), nullptr);
  EXPECT_EQ(engine.created, 2);
  EXPECT_TRUE(loader.LoadFile(existing.c_str()));
  EXPECT_TRUE(loader.GetInfoIfTag("ORNG"));
  EXPECT_TRUE(messages.messages.empty());
  engine.hasLoader = false;
  OrnFileLoader without;
  EXPECT_TRUE(messages.Has(kMessageError, "File loader class not found"));
}

TEST_F(FileFacade, ChannelOfTheWrongClassIsNotUsed) {
  InProcessEngine engine;
  engine.swapClasses = true;
  OrnFileLoader loader(&engine);
  OrnFileSaver saver(&engine);
  ExpectLoaderInert(loader, existing);
  ExpectSaverInert(saver, dir.File("out.bin"));
  EXPECT_EQ(messages.messages.size(), 2u);
}

class ReadChunkHelper : public ::testing::Test {
 protected:
  InProcessEngine engine;
  CapturedMessages messages;
  OrnFileLoader loader{&engine};
  OrnFileSaver saver{&engine};
};

TEST_F(ReadChunkHelper, ReadsTheRecordOfTheRightSize) {
  int64_t value = 0x1122334455667788;
  saver.OpenMemory();
  saver.SaveChunk("CHUL", &value, sizeof value);
  saver.CloseMemory();
  loader.SetBuffer(saver.GetBuffer(), static_cast<int>(saver.GetBufferSize()), false);
  int64_t read = 0;
  EXPECT_FALSE(loader.ReadChunk("CHLI", &read, sizeof read));
  EXPECT_TRUE(loader.ReadChunk("CHUL", &read, sizeof read));
  EXPECT_EQ(read, value);
}

// A chunk whose block is not the expected record counts as missing; the reader
// goes on with the next chunk.
TEST_F(ReadChunkHelper, SkipsABlockOfAnotherSize) {
  int32_t small = 5;
  int64_t next = 99;
  saver.OpenMemory();
  saver.SaveChunk("CHIT", &small, sizeof small);
  saver.SaveChunk("CHLC", &next, sizeof next);
  saver.CloseMemory();
  loader.SetBuffer(saver.GetBuffer(), static_cast<int>(saver.GetBufferSize()), true);
  int64_t wide = -1;
  EXPECT_FALSE(loader.ReadChunk("CHIT", &wide, sizeof wide));
  EXPECT_EQ(wide, -1);
  EXPECT_TRUE(loader.ReadChunk("CHLC", &wide, sizeof wide));
  EXPECT_EQ(wide, 99);
}

TEST_F(ReadChunkHelper, TruncatedBlockIsRefused) {
  std::vector<char> bytes;
  PutText(&bytes, "CHIT");
  PutSize(&bytes, 8);
  PutText(&bytes, "1234");
  loader.SetBuffer(bytes.data(), static_cast<int>(bytes.size()), false);
  char dst[8] = {};
  EXPECT_FALSE(loader.ReadChunk("CHIT", dst, sizeof dst));
  EXPECT_EQ(dst[0], 0);
  EXPECT_EQ(loader.GetBufferSize(), 8) << "the tag is consumed, the damaged block left";
}

}  // namespace
