// The saver channel writing files: the target is replaced whole or not at all,
// and every failure is visible to the caller.
#include "test_support.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace {

std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

const std::vector<char> kOld = {'O', 'L', 'D', '!'};

class SaverFile : public ::testing::Test {
 protected:
  void WriteChunk(Vel_ChunkFileSaver& s) {
    s.SaveTag("CLCC");
    s.SaveBlockSize(4);
    int32_t n = 2;
    s.SaveDataToFile(&n, 4);
  }

  ScratchDir dir;
  Vel_ChunkFileSaver saver;
};

TEST_F(SaverFile, TargetAppearsOnlyWhenClosed) {
  std::string path = dir.File("channel.lst");
  WriteAll(path, kOld);
  ASSERT_TRUE(saver.OpenSaveFile(path.c_str(), false));
  EXPECT_STREQ(saver.GetSaveingFileName(), path.c_str());
  WriteChunk(saver);
  EXPECT_EQ(ReadAll(path), kOld) << "the old file stays whole while the new one is written";
  saver.CloseSaveFile();
  EXPECT_STREQ(saver.GetSaveingFileName(), path.c_str());
  EXPECT_EQ(ReadAll(path).size(), 12u);
  EXPECT_EQ(Names(dir.path), std::vector<std::string>{"channel.lst"}) << "no temporary file is left";
}

TEST_F(SaverFile, AbandonedSaveLeavesTheOldFile) {
  std::string path = dir.File("group.grp");
  WriteAll(path, kOld);
  {
    Vel_ChunkFileSaver unfinished;
    ASSERT_TRUE(unfinished.OpenSaveFile(path.c_str(), false));
    WriteChunk(unfinished);
  }
  EXPECT_EQ(ReadAll(path), kOld);
  // Opening another file before closing also abandons the first.
  ASSERT_TRUE(saver.OpenSaveFile(path.c_str(), false));
  WriteChunk(saver);
  ASSERT_TRUE(saver.OpenSaveFile(dir.File("other.grp").c_str(), false));
  saver.CloseSaveFile();
  EXPECT_EQ(ReadAll(path), kOld);
  EXPECT_EQ(Names(dir.path), (std::vector<std::string>{"group.grp", "other.grp"}));
}

TEST_F(SaverFile, MissingDirectoryIsReported) {
  std::string path = dir.File("no/such/dir/channel.lst");
  EXPECT_FALSE(saver.OpenSaveFile(path.c_str(), false));
  EXPECT_EQ(saver.GetSaveingFileName(), nullptr);
  EXPECT_EQ(saver.SaveTag("CLCC"), 0);
  EXPECT_EQ(saver.SaveBlockSize(4), 0);
  saver.CloseSaveFile();
  EXPECT_EQ(saver.GetSaveingFileName(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SaverFile, PathThroughAFileOrOntoADirectoryIsReported) {
  std::string file = dir.File("plain");
  WriteAll(file, kOld);
  EXPECT_FALSE(saver.OpenSaveFile((file + "/x.grp").c_str(), false));
  std::filesystem::create_directory(dir.File("sub"));
  EXPECT_FALSE(saver.OpenSaveFile(dir.File("sub").c_str(), false));
  EXPECT_FALSE(saver.OpenSaveFile(nullptr, false));
  EXPECT_FALSE(saver.OpenSaveFile("", false));
  EXPECT_EQ(ReadAll(file), kOld);
}

TEST_F(SaverFile, ReadOnlyDirectoryIsReportedAndTheFileKept) {
  std::string sub = dir.File("ro");
  std::filesystem::create_directory(sub);
  std::string path = sub + "/channel.lst";
  WriteAll(path, kOld);
  chmod(dir.path.c_str(), 0755);
  chmod(sub.c_str(), 0555);
  auto refused = [&path]() {
    Vel_ChunkFileSaver attempt;
    return !attempt.OpenSaveFile(path.c_str(), false) && attempt.GetSaveingFileName() == nullptr;
  };
  bool wasRefused = false;
  if (geteuid() == 0) {
    // The superuser writes anywhere: try as an ordinary user instead.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
      _exit(refused() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 2) {
      chmod(sub.c_str(), 0755);
      GTEST_SKIP() << "cannot act as an ordinary user here";
    }
    wasRefused = WEXITSTATUS(status) == 0;
  } else {
    wasRefused = refused();
  }
  chmod(sub.c_str(), 0755);
  EXPECT_TRUE(wasRefused);
  EXPECT_EQ(ReadAll(path), kOld);
  EXPECT_EQ(Names(sub), std::vector<std::string>{"channel.lst"});
}

// A write that fails part-way (here: the file-size limit) spoils the save:
// close reports it, the log names the file and the cause once, and the old
// file is kept.
TEST_F(SaverFile, FailedWriteIsReportedAndTheFileKept) {
  CapturedMessages messages;
  std::string path = dir.File("big.grp");
  WriteAll(path, kOld);
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);
  struct rlimit small = saved;
  small.rlim_cur = 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);

  bool opened = saver.OpenSaveFile(path.c_str(), false);
  std::vector<char> data(64 * 1024, 'd');
  saver.SaveTag("KCAF");
  saver.SaveBlockSize(data.size());
  saver.SaveDataToFile(data.data(), data.size());
  saver.SaveDataToFile(data.data(), data.size());
  saver.CloseSaveFile();

  setrlimit(RLIMIT_FSIZE, &saved);
  sigaction(SIGXFSZ, &previous, nullptr);
  ASSERT_TRUE(opened);
  EXPECT_EQ(saver.GetSaveingFileName(), nullptr);
  EXPECT_EQ(ReadAll(path), kOld);
  EXPECT_EQ(Names(dir.path), std::vector<std::string>{"big.grp"});
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Vel_ChunkFileSaver: could not save " + path + ": File too large"});
  EXPECT_EQ(messages.messages.at(0).first, kMessageError);
}

TEST_F(SaverFile, ReplacedFileKeepsItsPermissions) {
  std::string path = dir.File("lib.so");
  WriteAll(path, kOld);
  chmod(path.c_str(), 0751);
  ASSERT_TRUE(saver.OpenSaveFile(path.c_str(), false));
  saver.SaveDataToFile("new", 3);
  saver.CloseSaveFile();
  struct stat st;
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0751u);
  EXPECT_EQ(ReadAll(path), (std::vector<char>{'n', 'e', 'w'}));
}

TEST_F(SaverFile, AppendKeepsTheExistingBytes) {
  std::string path = dir.File("log.bin");
  WriteAll(path, kOld);
  ASSERT_TRUE(saver.OpenSaveFile(path.c_str(), true));
  saver.SaveTag("ORNG");
  saver.CloseSaveFile();
  EXPECT_EQ(ReadAll(path), (std::vector<char>{'O', 'L', 'D', '!', 'O', 'R', 'N', 'G'}));
  ASSERT_TRUE(saver.OpenSaveFile(dir.File("fresh.bin").c_str(), true));
  saver.SaveTag("ORNG");
  saver.CloseSaveFile();
  EXPECT_EQ(ReadAll(dir.File("fresh.bin")).size(), 4u);
}

TEST_F(SaverFile, UndescribableBlockSpoilsTheSave) {
  std::string path = dir.File("huge.bin");
  ASSERT_TRUE(saver.OpenSaveFile(path.c_str(), false));
  saver.SaveTag("KCAF");
  EXPECT_EQ(saver.SaveBlockSize(0x100000000ul), 0);
  EXPECT_EQ(saver.GetSaveingFileName(), nullptr);
  saver.CloseSaveFile();
  EXPECT_EQ(saver.GetSaveingFileName(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(SaverFile, MissingDataSpoilsTheSave) {
  std::string path = dir.File("hole.bin");
  ASSERT_TRUE(saver.OpenSaveFile(path.c_str(), false));
  saver.SaveTag("CHNA");
  saver.SaveBlockSize(5);
  EXPECT_EQ(saver.SaveDataToFile(nullptr, 5), 0);
  saver.CloseSaveFile();
  EXPECT_EQ(saver.GetSaveingFileName(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(SaverMemory, BufferLivesUntilTheNextOpen) {
  Vel_ChunkFileSaver saver;
  EXPECT_EQ(saver.SaveTag("ORNG"), 0) << "nothing is open";
  saver.OpenMemory();
  saver.SaveTag("ORNG");
  saver.CloseMemory();
  EXPECT_EQ(saver.SaveTag("CHCO"), 0) << "closed";
  ASSERT_EQ(saver.GetBufferSize(), 4u);
  EXPECT_EQ(std::string(saver.GetBuffer(), 4), "ORNG");
  saver.OpenMemory();
  EXPECT_EQ(saver.GetBufferSize(), 0u);
  EXPECT_EQ(saver.GetBuffer(), nullptr);
  // A tag shorter than four characters is padded with zero bytes.
  EXPECT_EQ(saver.SaveTag("AB"), 4);
  EXPECT_EQ(std::string(saver.GetBuffer(), 4), std::string("AB\0\0", 4));
}

}  // namespace
