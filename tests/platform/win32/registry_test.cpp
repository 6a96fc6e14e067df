#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "registry_store.h"
#include "test_support.h"
#include "win32/win32.h"

namespace {

using win32test::ReadWholeFile;
using win32test::ScopedEnv;
using win32test::TempDir;
using win32test::WriteWholeFile;

const char kViewerKey[] = "SOFTWARE\\Ondrel\\Kelvane Viewers\\1.20.000";

class Registry : public ::testing::Test {
 protected:
  Registry() : store_(dir_.File("registry")), env_("KELVANE_REGISTRY", store_.c_str()) {}

  HKEY Create(HKEY root, const char* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                              disposition),
              ERROR_SUCCESS);
    return key;
  }

  // Stores a string the way the engine does: its characters without the zero.
  LSTATUS SetString(HKEY key, const char* name, const std::string& value) {
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.data()),
                          static_cast<DWORD>(value.size()));
  }

  // Reads a value through a 1200-byte buffer, as the engine does.
  std::string GetString(HKEY key, const char* name, LSTATUS* status = nullptr, DWORD* type = nullptr) {
    BYTE buffer[1200];
    std::memset(buffer, 'x', sizeof(buffer));
    DWORD size = sizeof(buffer);
    DWORD kind = 0;
    LSTATUS result = RegQueryValueExA(key, name, nullptr, &kind, buffer, &size);
    if (status) *status = result;
    if (type) *type = kind;
    if (result != ERROR_SUCCESS) return "<missing>";
    return std::string(reinterpret_cast<char*>(buffer), size);
  }

  TempDir dir_;
  std::string store_;
  ScopedEnv env_;
};

TEST_F(Registry, StringRoundTripWithTerminationAndSizes) {
  DWORD disposition = 0;
  HKEY key = Create(HKEY_CURRENT_USER, kViewerKey, &disposition);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  ASSERT_EQ(SetString(key, "WriteErrorLog", "No"), ERROR_SUCCESS);

  BYTE buffer[1200];
  std::memset(buffer, 'x', sizeof(buffer));
  DWORD size = sizeof(buffer), type = 0;
  ASSERT_EQ(RegQueryValueExA(key, "WriteErrorLog", nullptr, &type, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 2u) << "the stored size";
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "No") << "terminated although stored without a zero";

  size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "WriteErrorLog", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 2u);
  size = 1;
  EXPECT_EQ(RegQueryValueExA(key, "WriteErrorLog", nullptr, nullptr, buffer, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 2u);

  DWORD number = 0xDEADBEEF, readBack = 0;
  ASSERT_EQ(RegSetValueExA(key, "Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number)),
            ERROR_SUCCESS);
  size = sizeof(readBack);
  ASSERT_EQ(RegQueryValueExA(key, "Count", nullptr, &type, reinterpret_cast<BYTE*>(&readBack), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(readBack, number);

  ASSERT_EQ(SetString(key, nullptr, "default"), ERROR_SUCCESS);
  EXPECT_EQ(GetString(key, ""), "default");
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, PathsAndNamesIgnoreCaseAndMissingThingsAreNotFound) {
  HKEY key = Create(HKEY_CURRENT_USER, kViewerKey);
  SetString(key, "Install_Path", "/opt/kelvane");
  RegCloseKey(key);

  HKEY other = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\ONDREL\\kelvane viewers\\1.20.000", 0, KEY_READ, &other),
            ERROR_SUCCESS);
  EXPECT_EQ(GetString(other, "install_path"), "/opt/kelvane");
  LSTATUS status;
  GetString(other, "NoSuchValue", &status);
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
  RegCloseKey(other);

  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Ondrel\\Kelvane\\1.20.000", 0, KEY_READ, &other),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kViewerKey, 0, KEY_READ, &other), ERROR_FILE_NOT_FOUND)
      << "the roots are separate";
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Ondrel", 0, KEY_READ, &other), ERROR_SUCCESS)
      << "keys above a created key exist";
  RegCloseKey(other);
}

TEST_F(Registry, WritesPersistAndOtherHandlesSeeThem) {
  HKEY writer = Create(HKEY_CURRENT_USER, kViewerKey);
  HKEY reader = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kViewerKey, 0, KEY_READ, &reader), ERROR_SUCCESS);
  SetString(writer, "KlvCrCCheck", "No");
  EXPECT_EQ(GetString(reader, "KlvCrCCheck"), "No");
  SetString(writer, "KlvCrCCheck", "Yes");
  EXPECT_EQ(GetString(reader, "KlvCrCCheck"), "Yes");
  EXPECT_EQ(RegDeleteValueA(writer, "KlvCrCCheck"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(writer, "KlvCrCCheck"), ERROR_FILE_NOT_FOUND);
  SetString(writer, "WriteErrorLog", "Yes");
  RegCloseKey(writer);
  RegCloseKey(reader);

  // What a later process finds: only the file.
  EXPECT_TRUE(std::filesystem::exists(store_));
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  // The lock file that serialises writers stays; no temporary file does.
  EXPECT_EQ(files, (std::vector<std::string>{"registry", "registry.lock"})) << "no temporary file is left behind";
  win32plat::RegistryStore store = win32plat::LoadRegistryStore(store_);
  ASSERT_EQ(store.keys.count(win32plat::LowerAscii(std::string("HKEY_CURRENT_USER\\") + kViewerKey)), 1u);

  HKEY again = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kViewerKey, 0, KEY_READ, &again), ERROR_SUCCESS);
  EXPECT_EQ(GetString(again, "WriteErrorLog"), "Yes");
  LSTATUS status;
  GetString(again, "KlvCrCCheck", &status);
  EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
  RegCloseKey(again);
}

TEST_F(Registry, ReadOnlyHandleCannotWrite) {
  RegCloseKey(Create(HKEY_CURRENT_USER, kViewerKey));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kViewerKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(SetString(key, "WriteErrorLog", "No"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(key, "WriteErrorLog"), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  EXPECT_EQ(RegQueryValueExA(nullptr, "x", nullptr, nullptr, nullptr, nullptr), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, ValuesWithOddCharactersSurvive) {
  HKEY key = Create(HKEY_CURRENT_USER, "Software\\odd = [key] \"quoted\"\\next.level");
  const std::string binary("a\0b\r\n\"\\=\xff\x01", 10);
  std::vector<std::pair<std::string, std::string>> values = {
      {"back\\slash name", "C:\\Program Files\\Kelvane"},
      {"[section]=", "line one\nline two\r\n"},
      {"empty", ""},
      {"nul inside", binary},
      {"\xc3\xa9t\xc3\xa9", "\xe2\x82\xac 100"},
  };
  for (const auto& value : values) ASSERT_EQ(SetString(key, value.first.c_str(), value.second), ERROR_SUCCESS);
  RegCloseKey(key);

  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "software\\ODD = [KEY] \"QUOTED\"\\Next.Level", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  for (const auto& value : values) EXPECT_EQ(GetString(key, value.first.c_str()), value.second) << value.first;
  RegCloseKey(key);
}

TEST_F(Registry, RandomBytesReadAsEmptyAndAreThenReplaced) {
  std::mt19937 random(12345);
  std::string garbage(4096, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  WriteWholeFile(store_, garbage);

  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kViewerKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  key = Create(HKEY_CURRENT_USER, kViewerKey);
  ASSERT_EQ(SetString(key, "WriteErrorLog", "No"), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_NE(ReadWholeFile(store_), garbage);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kViewerKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(GetString(key, "WriteErrorLog"), "No");
  RegCloseKey(key);
}

TEST_F(Registry, TruncatedOrAlteredStoresReadAsEmpty) {
  HKEY key = Create(HKEY_CURRENT_USER, kViewerKey);
  SetString(key, "Install_Path", "/opt/kelvane");
  RegCloseKey(key);
  const std::string good = ReadWholeFile(store_);
  ASSERT_GT(good.size(), 16u);

  for (size_t cut : {size_t(0), size_t(3), size_t(16), good.size() / 2, good.size() - 1}) {
    WriteWholeFile(store_, good.substr(0, cut));
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kViewerKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND) << cut;
  }
  std::string flipped = good;
  flipped[flipped.size() - 3] ^= 0x20;
  WriteWholeFile(store_, flipped);
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kViewerKey, 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  WriteWholeFile(store_, good);
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kViewerKey, 0, KEY_READ, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

uint32_t Crc32(const std::string& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
  }
  return ~crc;
}

std::string U32(uint32_t value) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
  return out;
}

std::string Sealed(const std::string& payload) {
  return std::string("KLVREG01") + U32(static_cast<uint32_t>(payload.size())) + U32(Crc32(payload)) + payload;
}

TEST(RegistryStoreFormat, LyingLengthsBehindAValidChecksumAreRefused) {
  win32plat::RegistryStore store;
  EXPECT_TRUE(win32plat::DecodeRegistryStore(Sealed(U32(0)), &store));
  const std::vector<std::string> payloads = {
      U32(0xFFFFFFFFu),                                       // more keys than bytes
      U32(1) + U32(0xFFFFFFF0u) + "abc",                      // path longer than the file
      U32(1) + U32(3) + "abc" + U32(0x7FFFFFFFu),             // more values than bytes
      U32(1) + U32(3) + "abc" + U32(1) + U32(1) + "n" + U32(1) + U32(0xFFFFFFFFu),  // data too long
      U32(0) + "trailing",                                    // bytes after the last key
  };
  for (const std::string& payload : payloads) {
    store.keys["x"].path = "x";
    EXPECT_FALSE(win32plat::DecodeRegistryStore(Sealed(payload), &store));
    EXPECT_TRUE(store.keys.empty());
  }
}

TEST_F(Registry, FailedWriteIsReportedAndChangesNothing) {
  HKEY key = Create(HKEY_CURRENT_USER, kViewerKey);
  SetString(key, "WriteErrorLog", "No");
  {
    ScopedEnv unwritable("KELVANE_REGISTRY", "/proc/kelvane-no-such-dir/registry");
    EXPECT_NE(SetString(key, "WriteErrorLog", "Yes"), ERROR_SUCCESS);
    HKEY created = nullptr;
    EXPECT_NE(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                              nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(created, nullptr);
  }
  EXPECT_EQ(GetString(key, "WriteErrorLog"), "No");
  RegCloseKey(key);
}

TEST_F(Registry, ConcurrentWritersInOneProcessLoseNothing) {
  HKEY key = Create(HKEY_CURRENT_USER, kViewerKey);
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([this, key, t] {
      for (int i = 0; i < 10; ++i) {
        std::string name = "v" + std::to_string(t) + "_" + std::to_string(i);
        EXPECT_EQ(SetString(key, name.c_str(), name), ERROR_SUCCESS);
      }
    });
  for (auto& writer : writers) writer.join();
  for (int t = 0; t < 4; ++t)
    for (int i = 0; i < 10; ++i) {
      std::string name = "v" + std::to_string(t) + "_" + std::to_string(i);
      EXPECT_EQ(GetString(key, name.c_str()), name);
    }
  RegCloseKey(key);
}

TEST_F(Registry, WritersInTwentyProcessesLoseNothing) {
  HKEY key = Create(HKEY_CURRENT_USER, kViewerKey);
  // Every child waits until all are started, then writes one value at once.
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  std::vector<pid_t> children;
  for (int i = 0; i < 20; ++i) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(start[1]);
      char c;
      while (read(start[0], &c, 1) < 0 && errno == EINTR) {
      }
      std::string name = "process" + std::to_string(i);
      _exit(SetString(key, name.c_str(), name) == ERROR_SUCCESS ? 0 : 1);
    }
    children.push_back(pid);
  }
  close(start[0]);
  close(start[1]);
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer reported a failure";
  }
  for (int i = 0; i < 20; ++i) {
    std::string name = "process" + std::to_string(i);
    EXPECT_EQ(GetString(key, name.c_str()), name);
  }
  RegCloseKey(key);
}

TEST(RegistryLocation, DefaultsToTheUserConfigDirectory) {
  TempDir dir;
  ScopedEnv noOverride("KELVANE_REGISTRY", nullptr);
  ScopedEnv config("XDG_CONFIG_HOME", dir.path().c_str());
  EXPECT_EQ(win32plat::RegistryStorePath(), dir.path() + "/kelvane/registry");
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_TRUE(std::filesystem::exists(dir.path() + "/kelvane/registry"));

  ScopedEnv home("HOME", "/home/someone");
  ScopedEnv relative("XDG_CONFIG_HOME", "relative/dir");
  EXPECT_EQ(win32plat::RegistryStorePath(), "/home/someone/.config/kelvane/registry");
}

}  // namespace
