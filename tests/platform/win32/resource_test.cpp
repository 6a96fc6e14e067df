// Resources built from folders of files into a library and into the test
// program, found per module by type and name.
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"
#include "win32/win32.h"

namespace {

std::string Source(const std::string& relative) {
  return win32test::ReadWholeFile(std::string(WIN32_RESOURCE_DIR) + "/" + relative);
}

// The bytes of a resource as a program reads them.
std::string Read(HMODULE module, const char* name, const char* type) {
  HRSRC found = FindResourceA(module, name, type);
  if (!found) return "<missing>";
  HGLOBAL loaded = LoadResource(module, found);
  const char* bytes = static_cast<const char*>(LockResource(loaded));
  DWORD size = SizeofResource(module, found);
  if (!bytes) return "<unloaded>";
  EXPECT_EQ(bytes[size], '\0') << "a zero byte follows the data";
  return std::string(bytes, size);
}

TEST(Resources, FilesOfAFolderByTypeAndNameIgnoringCase) {
  HMODULE library = LoadLibraryA(WIN32_TESTLIB_DIR "/w32resources.so");
  ASSERT_NE(library, nullptr) << Win32_GetLoaderErrorText();
  EXPECT_EQ(Read(library, "BUMPEFFECT.TXT", "EFFECTS"), Source("effects/BUMPEFFECT.TXT"));
  EXPECT_EQ(Read(library, "filterblit.NVV", "Effects"), Source("effects/FilterBlit.nvv"));
  EXPECT_EQ(Read(library, "bytes.bin", "data"), Source("binary/bytes.bin")) << "bytes kept exactly";
  HRSRC empty = FindResourceA(library, "empty.nvp", "EFFECTS");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SizeofResource(library, empty), 0u);

  EXPECT_EQ(FindResourceA(library, ".editor-swap", "EFFECTS"), nullptr) << "hidden files are left out";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceA(library, "bytes.bin", "EFFECTS"), nullptr) << "the type is part of the key";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceA(library, "BUMPEFFECT.TXT", "SHADERS"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(FindResourceA(library, MAKEINTRESOURCEA(1), "EFFECTS"), nullptr);

  // Each module has its own: the program's are not the library's.
  EXPECT_EQ(Read(nullptr, "BYTES.BIN", "own"), Source("binary/bytes.bin"));
  EXPECT_EQ(FindResourceA(nullptr, "BUMPEFFECT.TXT", "EFFECTS"), nullptr);
  EXPECT_EQ(FindResourceA(library, "bytes.bin", "OWN"), nullptr);
  HMODULE plain = LoadLibraryA(WIN32_TESTLIB_DIR "/w32plain.so");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(FindResourceA(plain, "BUMPEFFECT.TXT", "EFFECTS"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND)) << "a library without resources";
  FreeLibrary(plain);

  // Unloading takes the table away; loading again brings it back.
  HRSRC stale = FindResourceA(library, "BUMPEFFECT.TXT", "EFFECTS");
  ASSERT_TRUE(FreeLibrary(library));
  EXPECT_EQ(LoadResource(library, stale), nullptr);
  EXPECT_EQ(SizeofResource(library, stale), 0u);
  EXPECT_EQ(FindResourceA(library, "BUMPEFFECT.TXT", "EFFECTS"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  library = LoadLibraryA(WIN32_TESTLIB_DIR "/w32resources.so");
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(Read(library, "BUMPEFFECT.TXT", "EFFECTS"), Source("effects/BUMPEFFECT.TXT"));
  FreeLibrary(library);
}

}  // namespace
