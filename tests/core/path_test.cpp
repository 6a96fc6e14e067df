// File paths relative to a group file, in POSIX form, and found again when
// written with other separators or in another letter case.
#include "file_path_find.h"
#include "test_engine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class PathTest : public ::testing::Test {
 protected:
  void SetUp() override { find.SetSourcePath("/proj/groups/main.grp"); }
  MessageLog log;
  TestEngine engine;
  FilePathFind find;
};

TEST_F(PathTest, AbsoluteTargetsBecomeRelativeToTheSource) {
  EXPECT_STREQ(find.GetValidRelativeDir("/proj/shared/lib.grp"), "../shared/lib.grp");
  EXPECT_STREQ(find.GetValidRelativeDir("/proj/groups/sub/x.grp"), "./sub/x.grp");
  EXPECT_STREQ(find.GetValidRelativeDir("/proj/groups/lib.grp"), "./lib.grp");
  EXPECT_STREQ(find.GetValidRelativeDir("/proj/lib.grp"), "../lib.grp");
  EXPECT_STREQ(find.GetValidRelativeDir("/other/deep/y.grp"), "../../other/deep/y.grp");
  EXPECT_STREQ(find.GetValidRelativeDir("/PROJ/Shared/lib.grp"), "../Shared/lib.grp");  // directories ignore case
  EXPECT_TRUE(log.messages.empty());
}

TEST_F(PathTest, TargetOnAnotherDriveStaysAsItIs) {
  const char* target = "D:\\x\\y.grp";
  EXPECT_EQ(find.GetValidRelativeDir(target), target);
  EXPECT_TRUE(log.Has("Autoload group is on different drive"));
}

TEST_F(PathTest, StoredPathsBecomeAbsolute) {
  EXPECT_STREQ(find.GetCompleteFilePath("../shared/lib.grp"), "/proj/shared/lib.grp");
  EXPECT_STREQ(find.GetCompleteFilePath("lib.grp"), "/proj/groups/lib.grp");
  EXPECT_STREQ(find.GetCompleteFilePath("./sub/x.grp"), "/proj/groups/sub/x.grp");
  EXPECT_STREQ(find.GetCompleteFilePath("..\\shared\\lib.grp"), "/proj/shared/lib.grp");
  EXPECT_STREQ(find.GetCompleteFilePath(".\\sub\\x.grp"), "/proj/groups/sub/x.grp");
  EXPECT_STREQ(find.GetCompleteFilePath("\\sub\\x.grp"), "/proj/groups/sub/x.grp");  // Windows root-relative
  EXPECT_STREQ(find.GetCompleteFilePath("../../../../x.grp"), "/x.grp");              // not above the root
  EXPECT_STREQ(find.GetCompleteFilePath("/elsewhere/x.grp"), "/elsewhere/x.grp");
  EXPECT_EQ(find.GetCompleteFilePath(nullptr), nullptr);
}

TEST_F(PathTest, RelativeAndCompleteAreInverse) {
  for (const char* target : {"/proj/shared/lib.grp", "/proj/groups/a/b/c.grp", "/z/y.grp", "/proj/groups/m.grp"}) {
    std::string relative = find.GetValidRelativeDir(target);
    EXPECT_STREQ(find.GetCompleteFilePath(relative.c_str()), target) << relative;
  }
}

TEST_F(PathTest, ValidPathsUseOneSeparatorStyle) {
  char mixed[FilePathFind::kPathMax + 1] = "c:/a//b\\\\c";
  find.CreateValidFilePath(mixed, "/base");
  EXPECT_STREQ(mixed, "c:/a/b/c");
  char network[FilePathFind::kPathMax + 1] = "\\\\server\\share\\\\x";
  find.CreateValidFilePath(network, "/base");
  EXPECT_STREQ(network, "//server/share/x");
  char dotted[FilePathFind::kPathMax + 1] = ".\\x\\y.grp";
  find.CreateValidFilePath(dotted, "/base/dir");
  EXPECT_STREQ(dotted, "/base/dir/x/y.grp");
  char lone[FilePathFind::kPathMax + 1] = ".";
  find.CreateValidFilePath(lone, "/base/dir");
  EXPECT_STREQ(lone, "/base/dir");
  char up[FilePathFind::kPathMax + 1] = "../x.grp";
  find.CreateValidFilePath(up, "/base/dir");
  EXPECT_STREQ(up, "/base/x.grp");
}

TEST_F(PathTest, DirectoriesOfAPath) {
  const char* path = "/proj/Groups/sub/main.grp";
  EXPECT_EQ(find.GetDirCount(path), 3);
  char name[FilePathFind::kPathMax + 1];
  EXPECT_STREQ(find.GetDirName(name, path, 1), "Groups");
  EXPECT_EQ(find.GetDirName(name, path, 3), nullptr);
  EXPECT_EQ(find.GetDirShareCount(path, "/PROJ/groups/other/x.grp"), 2);
  EXPECT_EQ(find.GetRelativeDirCount("/proj/Groups/x.grp", path), -1);
  EXPECT_EQ(find.GetBackDirCount("../..\\a/b.grp"), -2);
  EXPECT_EQ(find.GetDirCountFromBackDir("../../a/b/c.grp"), 2);
  EXPECT_STREQ(find.GetDirNameFromBackDir(name, "../a/b/c.grp", 1), "b");
  char file[] = "/proj/x\\main.grp";
  EXPECT_STREQ(find.GetFileName(file), "main.grp");
  char dir[] = "/proj/groups/main.grp";
  EXPECT_STREQ(find.GetFilePath(dir), "/proj/groups");
  char root[] = "/main.grp";
  EXPECT_STREQ(find.GetFilePath(root), "/");
  EXPECT_TRUE(find.CheckValidDrive("/a", "\\b"));
  EXPECT_FALSE(find.CheckValidDrive("./a", "/b"));
  EXPECT_FALSE(find.CheckValidDrive("C:/a", "/b"));
}

TEST_F(PathTest, RelativeSourceIsTakenFromTheCurrentDirectory) {
  ScratchDirectory dir;
  char saved[4096];
  ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
  ASSERT_EQ(chdir(dir.path.c_str()), 0);
  FilePathFind relative;
  relative.SetSourcePath("./groups/main.grp");
  std::string expected = std::filesystem::current_path().string() + "/groups/lib.grp";
  EXPECT_EQ(std::string(relative.GetCompleteFilePath("lib.grp")), expected);
  FilePathFind bare;
  bare.SetSourcePath("groups/main.grp");
  EXPECT_EQ(std::string(bare.GetCompleteFilePath("lib.grp")), expected);
  ASSERT_EQ(chdir(saved), 0);
}

TEST_F(PathTest, FilesAreFoundInAnotherLetterCase) {
  ScratchDirectory dir;
  std::filesystem::create_directories(dir.File("Project/Groups"));
  std::filesystem::create_directories(dir.File("Project/Shared Files"));
  std::ofstream(dir.File("Project/Shared Files/Lib.GRP")) << "x";
  FilePathFind project;
  project.SetSourcePath(dir.File("Project/Groups/main.grp").c_str());
  EXPECT_EQ(std::string(project.GetCompleteFilePath("..\\shared files\\lib.grp")),
            dir.File("Project/Shared Files/Lib.GRP"));
  // Not there in any case: the path as computed.
  EXPECT_EQ(std::string(project.GetCompleteFilePath("..\\nothing\\lib.grp")), dir.File("Project/nothing/lib.grp"));
  char out[8];
  EXPECT_FALSE(FilePathFind::FindPathIgnoringCase(dir.File("project/shared files/lib.grp").c_str(), out, sizeof out));
}

TEST_F(PathTest, OverlongPathsAreCut) {
  std::string deep = "/" + std::string(400, 'd') + "/x.grp";
  const char* relative = find.GetValidRelativeDir(deep.c_str());
  ASSERT_NE(relative, nullptr);
  EXPECT_LT(std::string(relative).size(), static_cast<size_t>(FilePathFind::kResultSize));
  EXPECT_LT(std::string(find.GetCompleteFilePath(deep.c_str())).size(), static_cast<size_t>(FilePathFind::kResultSize));
}

}  // namespace
