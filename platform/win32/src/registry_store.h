// The registry's store file: its location, its format and its safe
// replacement.
//
// Format (all integers 32-bit little-endian):
//   "KLVREG01"  magic, 8 bytes
//   payload size, CRC-32 of the payload
//   payload: key count, then per key: path (length + bytes), value count,
//            then per value: name (length + bytes), type, data (length + bytes)
// A key path is the full path including its root ("HKEY_CURRENT_USER\...").
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "win32/types.h"

namespace win32plat {

struct RegistryValue {
  std::string name;
  DWORD type = 0;
  std::string data;
};

struct RegistryKey {
  std::string path;  // as first created
  std::vector<RegistryValue> values;
};

struct RegistryStore {
  // Keyed by the lower-case path.
  std::map<std::string, RegistryKey> keys;
};

// The largest store that is read or written.
constexpr size_t kRegistryStoreLimit = 64u << 20;

std::string RegistryStorePath();

std::string EncodeRegistryStore(const RegistryStore& store);

// Decodes a store; false (and an empty store) for anything that is not a
// complete, intact store.
bool DecodeRegistryStore(const std::string& bytes, RegistryStore* store);

// Reads the store file; missing, unreadable or damaged files give an empty
// store.
RegistryStore LoadRegistryStore(const std::string& path);

// Replaces the store file; ERROR_SUCCESS or the system error code.
DWORD SaveRegistryStore(const std::string& path, const RegistryStore& store);

std::string LowerAscii(std::string text);

// Serialises the writers of one store across processes: an advisory lock on
// a lock file beside the store, held from the read through the rename, so no
// process rewrites the store from a copy that another has changed meanwhile.
// Readers need no lock: the store is replaced whole by a rename.
class RegistryStoreLock {
 public:
  explicit RegistryStoreLock(const std::string& storePath);
  ~RegistryStoreLock();
  RegistryStoreLock(const RegistryStoreLock&) = delete;
  RegistryStoreLock& operator=(const RegistryStoreLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace win32plat
