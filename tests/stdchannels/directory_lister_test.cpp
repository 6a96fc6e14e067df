// The directory-listing channel as the channel-list scan uses it.
#include "directory_lister.h"
#include "test_support.h"

#include <filesystem>

namespace {

std::vector<std::string> Files(Vel_DirectoryLister& lister) {
  std::vector<std::string> names;
  for (int i = 0; i < lister.GetFileCount(); ++i) names.push_back(lister.GetFileName(i));
  return names;
}

std::vector<std::string> Dirs(Vel_DirectoryLister& lister) {
  std::vector<std::string> names;
  for (int i = 0; i < lister.GetDirectoryCount(); ++i) names.push_back(lister.GetDirectoryName(i));
  return names;
}

class DirectoryListing : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"b.so", "A.SO", "notes.txt", "archive.so.bak", "so", "c.So"})
      WriteAll(dir.File(name), {'x'});
    std::filesystem::create_directory(dir.File("sub"));
    std::filesystem::create_directory(dir.File("lib.so"));  // a directory, not a file
    WriteAll(dir.File("sub/inner.so"), {'x'});
    std::filesystem::create_symlink(dir.File("gone.so"), dir.File("dangling.so"));
  }

  ScratchDir dir;
  Vel_DirectoryLister lister;
};

TEST_F(DirectoryListing, LibraryFilterKeepsSharedObjectsIgnoringCase) {
  lister.SetFileFilter("DLL");
  ASSERT_TRUE(lister.SetPath((dir.path + "/*.*").c_str()));
  EXPECT_EQ(Files(lister), (std::vector<std::string>{"A.SO", "b.so", "c.So"}));
  EXPECT_EQ(Dirs(lister), (std::vector<std::string>{"lib.so", "sub"}));
}

TEST_F(DirectoryListing, FilterMayFollowThePath) {
  ASSERT_TRUE(lister.SetPath((dir.path + "/*.*").c_str()));
  EXPECT_EQ(lister.GetFileCount(), 6);
  lister.SetFileFilter("txt");
  EXPECT_EQ(Files(lister), std::vector<std::string>{"notes.txt"});
  lister.SetFileFilter("");
  EXPECT_EQ(lister.GetFileCount(), 6);
}

TEST_F(DirectoryListing, NamePatternSelectsFiles) {
  ASSERT_TRUE(lister.SetPath((dir.path + "/*.txt").c_str()));
  EXPECT_EQ(Files(lister), std::vector<std::string>{"notes.txt"});
  EXPECT_EQ(Dirs(lister), (std::vector<std::string>{"lib.so", "sub"}));
  ASSERT_TRUE(lister.SetPath(dir.File("sub").c_str()));
  EXPECT_EQ(Files(lister), std::vector<std::string>{"inner.so"});
}

TEST_F(DirectoryListing, MissingDirectoryListsNothing) {
  lister.SetFileFilter("DLL");
  ASSERT_TRUE(lister.SetPath((dir.path + "/*.*").c_str()));
  EXPECT_FALSE(lister.SetPath((dir.path + "/nothing/*.*").c_str()));
  EXPECT_EQ(lister.GetFileCount(), 0);
  EXPECT_EQ(lister.GetDirectoryCount(), 0);
  EXPECT_EQ(lister.GetFileName(0), nullptr);
  EXPECT_EQ(lister.GetDirectoryName(-1), nullptr);
  EXPECT_FALSE(lister.SetPath(nullptr));
}

}  // namespace
