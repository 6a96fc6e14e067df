#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "test_support.h"
#include "win32/win32.h"

namespace {

using win32test::ReadWholeFile;
using win32test::TempDir;
using win32test::WriteWholeFile;

TEST(Files, CreateWriteSeekAppendAndRead) {
  TempDir dir;
  std::string path = dir.File("error.log");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "the file was new";
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "first\r\n", 7, &written, nullptr));
  EXPECT_EQ(written, 7u);
  CloseHandle(file);

  // The error log's pattern: open, move to the end, append, close.
  file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_END), 7u);
  EXPECT_TRUE(WriteFile(file, "second\r\n", 8, &written, nullptr));
  EXPECT_EQ(GetFileSize(file, nullptr), 15u);
  CloseHandle(file);
  EXPECT_EQ(ReadWholeFile(path), "first\r\nsecond\r\n");

  file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char buffer[32] = {};
  DWORD read = 0;
  EXPECT_EQ(SetFilePointer(file, 7, nullptr, FILE_BEGIN), 7u);
  EXPECT_TRUE(ReadFile(file, buffer, sizeof(buffer), &read, nullptr));
  EXPECT_EQ(read, 8u);
  EXPECT_EQ(std::string(buffer, read), "second\r\n");
  EXPECT_TRUE(ReadFile(file, buffer, sizeof(buffer), &read, nullptr));
  EXPECT_EQ(read, 0u) << "end of file";
  EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_CURRENT), 13u);
  EXPECT_EQ(SetFilePointer(file, -100, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
  SetLastError(0);
  EXPECT_FALSE(WriteFile(file, "x", 1, &written, nullptr)) << "opened for reading only";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(file);
}

TEST(Files, DispositionsOnExistingAndMissingFiles) {
  TempDir dir;
  std::string path = dir.File("data.bin");
  EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(CreateFileA(dir.File("no/such/dir/x").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  WriteWholeFile(path, "old contents");
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  EXPECT_EQ(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(GetFileSize(file, nullptr), 0u) << "CREATE_ALWAYS truncates";
  CloseHandle(file);

  EXPECT_EQ(CreateFileA(dir.path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE)
      << "a directory is not a file";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(Files, SeekBeyondFourGigabytesUsesTheHighHalf) {
  TempDir dir;
  HANDLE file = CreateFileA(dir.File("sparse").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(file, 16, &high, FILE_BEGIN), 16u);
  EXPECT_EQ(high, 1);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "z", 1, &written, nullptr));
  DWORD sizeHigh = 0;
  EXPECT_EQ(GetFileSize(file, &sizeHigh), 17u);
  EXPECT_EQ(sizeHigh, 1u);
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER)
      << "the position does not fit a 32-bit result";
  CloseHandle(file);
}

TEST(Files, AttributesDeleteRenameAndDirectories) {
  TempDir dir;
  std::string sub = dir.File("channels");
  EXPECT_EQ(GetFileAttributesA(sub.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(sub.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryA(dir.File("a/b").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesA(sub.c_str()), FILE_ATTRIBUTE_DIRECTORY);

  std::string a = dir.File("a.tmp");
  std::string b = dir.File("b.so");
  WriteWholeFile(a, "new");
  WriteWholeFile(b, "old");
  EXPECT_EQ(GetFileAttributesA(a.c_str()), FILE_ATTRIBUTE_NORMAL);
  EXPECT_FALSE(MoveFileExA(a.c_str(), b.c_str(), 0)) << "no replacing without the flag";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadWholeFile(b), "old");
  EXPECT_TRUE(MoveFileExA(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(ReadWholeFile(b), "new");
  EXPECT_EQ(GetFileAttributesA(a.c_str()), INVALID_FILE_ATTRIBUTES);

  EXPECT_FALSE(DeleteFileA(sub.c_str())) << "directories are not deleted as files";
  EXPECT_TRUE(DeleteFileA(b.c_str()));
  EXPECT_FALSE(DeleteFileA(b.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(Files, CurrentDirectoryFollowsWindowsLengthRules) {
  TempDir dir;
  char saved[4096];
  ASSERT_GT(GetCurrentDirectoryA(sizeof(saved), saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(dir.path().c_str()));
  std::string expected = std::filesystem::canonical(dir.path()).string();
  char buffer[4096];
  EXPECT_EQ(GetCurrentDirectoryA(sizeof(buffer), buffer), expected.size());
  EXPECT_EQ(std::string(buffer), expected);
  char tiny[3] = {'x', 'x', 'x'};
  EXPECT_EQ(GetCurrentDirectoryA(sizeof(tiny), tiny), expected.size() + 1) << "size needed, zero included";
  EXPECT_EQ(tiny[0], 'x');
  EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), expected.size() + 1);
  EXPECT_FALSE(SetCurrentDirectoryA(dir.File("missing").c_str()));
  ASSERT_TRUE(SetCurrentDirectoryA(saved));
}

std::vector<std::string> List(const std::string& pattern, std::set<std::string>* directories = nullptr) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA(pattern.c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(data.cFileName);
    if (directories && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) directories->insert(data.cFileName);
  } while (FindNextFileA(search, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
  EXPECT_TRUE(FindClose(search));
  return names;
}

TEST(DirectoryListing, MasksMatchLikeWindowsInNameOrder) {
  TempDir dir;
  WriteWholeFile(dir.File("b.so"), "12345");
  WriteWholeFile(dir.File("a.SO"), "");
  WriteWholeFile(dir.File("noext"), "");
  WriteWholeFile(dir.File("c.txt"), "");
  CreateDirectoryA(dir.File("sub").c_str(), nullptr);

  std::set<std::string> directories;
  EXPECT_EQ(List(dir.path() + "/*", &directories),
            (std::vector<std::string>{".", "..", "a.SO", "b.so", "c.txt", "noext", "sub"}));
  EXPECT_EQ(directories, (std::set<std::string>{".", "..", "sub"}));
  EXPECT_EQ(List(dir.path() + "/*.*").size(), 7u) << "*.* also matches names without a dot";
  EXPECT_EQ(List(dir.path() + "/*.so"), (std::vector<std::string>{"a.SO", "b.so"}));
  EXPECT_EQ(List(dir.path() + "/?.txt"), (std::vector<std::string>{"c.txt"}));

  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((dir.path() + "/b.so").c_str(), &data);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
  FindClose(search);

  EXPECT_EQ(FindFirstFileA((dir.path() + "/*.dll").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstFileA((dir.path() + "/missing/*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
