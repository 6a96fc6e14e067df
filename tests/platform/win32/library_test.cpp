#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "test_support.h"
#include "win32/win32.h"

namespace {

using win32test::ScopedEnv;
using win32test::TempDir;

const std::string kLibDir = WIN32_TESTLIB_DIR;

std::string PathWith(const std::string& dir) {
  const char* old = getenv("PATH");
  return dir + ":" + (old ? old : "");
}

// Whether the loader still holds a library, without changing its count.
bool IsLoaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (!handle) return false;
  dlclose(handle);
  return true;
}

typedef int (*AnswerFunction)();

TEST(LibraryFileName, DllBecomesSoAndBareNamesGetTheExtension) {
  EXPECT_EQ(Win32_LibraryFileName("varnel.dll"), "varnel.so");
  EXPECT_EQ(Win32_LibraryFileName("DDRAW.DLL"), "DDRAW.so");
  EXPECT_EQ(Win32_LibraryFileName("/opt/k/channels/Directory.Dll"), "/opt/k/channels/Directory.so");
  EXPECT_EQ(Win32_LibraryFileName("varnel"), "varnel.so");
  EXPECT_EQ(Win32_LibraryFileName("dir.d/varnel"), "dir.d/varnel.so");
  EXPECT_EQ(Win32_LibraryFileName("varnel."), "varnel");
  EXPECT_EQ(Win32_LibraryFileName("libm.so.6"), "libm.so.6");
  EXPECT_EQ(Win32_LibraryFileName("A17B3E96-F20C-4D85-B3C9-6E41D2A0F857.so"),
            "A17B3E96-F20C-4D85-B3C9-6E41D2A0F857.so");
}

TEST(LibraryLoading, FindsBareNameInDirectoryAddedToPathAtRunTime) {
  ASSERT_EQ(LoadLibraryA("w32probe.dll"), nullptr) << "must not be found before PATH names its directory";
  ScopedEnv path("PATH", PathWith(kLibDir).c_str());
  for (const char* name : {"w32probe.dll", "w32probe.DLL", "w32probe", "w32probe.so"}) {
    HMODULE module = LoadLibraryA(name);
    ASSERT_NE(module, nullptr) << name << ": " << Win32_GetLoaderErrorText();
    auto answer = reinterpret_cast<AnswerFunction>(GetProcAddress(module, "ProbeAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_TRUE(FreeLibrary(module));
  }
}

TEST(LibraryLoading, EarlierPathDirectoryWins) {
  TempDir shadow;
  std::filesystem::copy_file(kLibDir + "/w32plain.so", shadow.File("w32probe.so"));
  ScopedEnv path("PATH", (shadow.path() + ":" + kLibDir).c_str());
  HMODULE module = LoadLibraryA("w32probe.dll");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, "ProbeAnswer"), nullptr);
  char file[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(module, file, MAX_PATH), 0u);
  EXPECT_EQ(std::string(file), shadow.File("w32probe.so"));
  FreeLibrary(module);
}

TEST(LibraryLoading, PathWithSlashIsNotSearched) {
  ScopedEnv path("PATH", PathWith(kLibDir).c_str());
  EXPECT_EQ(LoadLibraryA("./w32probe.dll"), nullptr);
  HMODULE module = LoadLibraryA((kLibDir + "/w32probe.dll").c_str());
  ASSERT_NE(module, nullptr);
  FreeLibrary(module);
}

TEST(LibraryLoading, EachLoadCountsAndTheLastFreeUnloads) {
  std::string file = kLibDir + "/w32probe.so";
  ASSERT_FALSE(IsLoaded(file));
  HMODULE first = LoadLibraryA(file.c_str());
  HMODULE second = LoadLibraryA(file.c_str());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second) << "one module handle per library";
  auto* loads = reinterpret_cast<int*>(GetProcAddress(first, "probeLoads"));
  ASSERT_NE(loads, nullptr);
  EXPECT_EQ(*loads, 1) << "the library was initialised once";

  EXPECT_TRUE(FreeLibrary(first));
  EXPECT_TRUE(IsLoaded(file));
  EXPECT_NE(GetProcAddress(second, "ProbeAnswer"), nullptr);
  EXPECT_TRUE(FreeLibrary(second));
  EXPECT_FALSE(IsLoaded(file));

  SetLastError(0);
  EXPECT_FALSE(FreeLibrary(first)) << "a handle freed to zero is no longer valid";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_EQ(GetProcAddress(first, "ProbeAnswer"), nullptr);
}

TEST(LibraryLoading, MissingLibraryFailsWithCodeAndText) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("no-such-library.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_NE(std::strstr(Win32_GetLoaderErrorText(), "no-such-library.so"), nullptr) << Win32_GetLoaderErrorText();
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(LoadLibraryA(""), nullptr);
}

TEST(LibraryLoading, FileThatIsNoLibraryFailsWithLoaderText) {
  TempDir dir;
  win32test::WriteWholeFile(dir.File("broken.so"), "this is not an ELF file at all");
  ScopedEnv path("PATH", PathWith(dir.path()).c_str());
  EXPECT_EQ(LoadLibraryA("broken.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
  EXPECT_NE(std::strstr(Win32_GetLoaderErrorText(), "broken.so"), nullptr) << Win32_GetLoaderErrorText();
}

TEST(LibraryExports, MissingExportIsNull) {
  HMODULE module = LoadLibraryA((kLibDir + "/w32plain.so").c_str());
  ASSERT_NE(module, nullptr);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(module, "ProbeAnswer"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_STRNE(Win32_GetLoaderErrorText(), "");
  EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);
  FreeLibrary(module);
}

TEST(LibraryExports, OnlyTheModulesOwnExportsAreFound) {
  HMODULE module = LoadLibraryA((kLibDir + "/w32dependent.so").c_str());
  ASSERT_NE(module, nullptr) << Win32_GetLoaderErrorText();
  auto answer = reinterpret_cast<AnswerFunction>(GetProcAddress(module, "DependentAnswer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 43);
  EXPECT_EQ(GetProcAddress(module, "ProbeAnswer"), nullptr) << "exported by a library it depends on, not by it";
  FreeLibrary(module);
}

TEST(ModuleInfo, FileNamesOfProgramAndLibrary) {
  char file[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, file, MAX_PATH);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(length, std::strlen(file));
  EXPECT_EQ(std::filesystem::path(file).filename(), "win32plat_tests");

  char small[5];
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof(small)), sizeof(small));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::strlen(small), 4u);

  HMODULE module = LoadLibraryA((kLibDir + "/w32probe.dll").c_str());
  ASSERT_NE(module, nullptr);
  ASSERT_GT(GetModuleFileNameA(module, file, MAX_PATH), 0u);
  EXPECT_EQ(std::string(file), kLibDir + "/w32probe.so");
  FreeLibrary(module);
}

TEST(ModuleInfo, ModuleOfAnAddress) {
  HMODULE module = LoadLibraryA((kLibDir + "/w32probe.so").c_str());
  ASSERT_NE(module, nullptr);
  FARPROC answer = GetProcAddress(module, "ProbeAnswer");
  HMODULE found = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 reinterpret_cast<LPCSTR>(answer), &found));
  EXPECT_EQ(found, module);
  EXPECT_EQ(GetModuleHandleA("w32probe.dll"), module);

  HMODULE program = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                 reinterpret_cast<LPCSTR>(&IsLoaded), &program));
  EXPECT_EQ(program, GetModuleHandleA(nullptr));
  EXPECT_TRUE(FreeLibrary(module));
  EXPECT_EQ(GetModuleHandleA("w32probe.dll"), nullptr);
}

}  // namespace
