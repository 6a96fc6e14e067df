// Writes registry stores into a directory, as the registry fuzz target's seed
// corpus: an empty store and one with the engine's keys and values.
//   make_registry_seeds <directory>
#include "registry_store.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_registry_seeds <directory>\n");
    return 2;
  }
  std::filesystem::create_directories(argv[1]);
  auto write = [&](const char* name, const win32plat::RegistryStore& store) {
    std::ofstream(std::filesystem::path(argv[1]) / name, std::ios::binary) << win32plat::EncodeRegistryStore(store);
  };
  win32plat::RegistryStore store;
  store.keys["hkey_current_user"].path = "HKEY_CURRENT_USER";
  write("empty.reg", store);
  const char* viewer = "HKEY_CURRENT_USER\\SOFTWARE\\Ondrel\\Kelvane Viewers\\1.20.000";
  win32plat::RegistryKey& key = store.keys[win32plat::LowerAscii(viewer)];
  key.path = viewer;
  key.values.push_back({"WriteErrorLog", 1, "Yes"});
  key.values.push_back({"KlvCrCCheck", 1, "No"});
  key.values.push_back({"Install_Path", 1, std::string("/opt/kelvane\0", 13)});
  store.keys["hkey_current_user\\software\\fuzz"].path = "HKEY_CURRENT_USER\\Software\\Fuzz";
  write("values.reg", store);
  return 0;
}
