// libFuzzer target: registry stores from arbitrary bytes. Decoding refuses
// anything but an intact store; what decodes encodes to a store that decodes
// to the same keys and values. The same bytes as the store file must leave the
// registry functions working: a write replaces a damaged store with a good one.
#include "registry_store.h"
#include "win32/win32.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "registry store: %s\n", what);
  std::abort();
}

// A store file of its own in a directory removed at exit; in memory where
// there is a memory file system, since every write syncs the store.
class PrivateStore {
 public:
  PrivateStore() {
    std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    pattern += "/kelvane-registry-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    dir = pattern;
    path = dir + "/registry";
    setenv("KELVANE_REGISTRY", path.c_str(), 1);
  }
  ~PrivateStore() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  std::string dir;
  std::string path;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  win32plat::RegistryStore store;
  if (win32plat::DecodeRegistryStore(bytes, &store)) {
    std::string encoded = win32plat::EncodeRegistryStore(store);
    win32plat::RegistryStore again;
    Check(win32plat::DecodeRegistryStore(encoded, &again), "an encoded store does not decode");
    Check(win32plat::EncodeRegistryStore(again) == encoded, "a decoded store encodes differently");
  }

  static PrivateStore privateStore;
  const std::string& path = privateStore.path;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Fuzz", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return 0;
  char value[64] = {};
  DWORD length = sizeof value;
  RegQueryValueExA(key, "Value", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &length);
  const BYTE written[] = "written";
  Check(RegSetValueExA(key, "Value", 0, REG_SZ, written, sizeof written) == ERROR_SUCCESS, "a write failed");
  length = sizeof value;
  Check(RegQueryValueExA(key, "Value", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &length) == ERROR_SUCCESS &&
            std::string(value) == "written",
        "a written value was not read back");
  RegCloseKey(key);
  return 0;
}
