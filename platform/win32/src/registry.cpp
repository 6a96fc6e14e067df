#include "win32/registry.h"

#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "path_list.h"
#include "registry_store.h"

struct Win32Key {
  std::string path;  // full path, root included
  REGSAM access = 0;
};

using namespace win32plat;

namespace {

struct KeyTable {
  // Serialises every read-modify-write of the store within the process.
  std::mutex mutex;
  std::unordered_set<Win32Key*> live;
};

KeyTable& Keys() {
  static KeyTable* table = new KeyTable;  // lives until the process ends
  return *table;
}

const char* RootName(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
  if (key == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  if (key == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  if (key == HKEY_USERS) return "HKEY_USERS";
  return nullptr;
}

bool IsRootPath(const std::string& path) { return path.find('\\') == std::string::npos; }

// The full path of an open key or root; false for an unknown handle. Called
// with the table locked.
bool BasePath(KeyTable& table, HKEY key, std::string* path, REGSAM* access) {
  if (const char* root = RootName(key)) {
    *path = root;
    *access = KEY_ALL_ACCESS;
    return true;
  }
  if (!key || !table.live.count(key)) return false;
  *path = key->path;
  *access = key->access;
  return true;
}

// The key names of a key path separated by backslashes.
std::vector<std::string> SplitSubKey(LPCSTR subKey) { return SplitList(subKey, '\\'); }

HKEY NewHandle(KeyTable& table, const std::string& path, REGSAM access) {
  Win32Key* key = new Win32Key;
  key->path = path;
  key->access = access;
  table.live.insert(key);
  return key;
}

bool KeyExists(const RegistryStore& store, const std::string& path) {
  return IsRootPath(path) || store.keys.count(LowerAscii(path)) != 0;
}

RegistryValue* FindValue(RegistryKey& key, LPCSTR name) {
  std::string wanted = LowerAscii(name ? name : "");
  for (RegistryValue& value : key.values)
    if (LowerAscii(value.name) == wanted) return &value;
  return nullptr;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The key record of a path in a loaded store; roots get a record on demand
// (they always exist, even when the store has nothing under them).
RegistryKey* KeyRecord(RegistryStore& store, const std::string& path, bool create) {
  std::string id = LowerAscii(path);
  auto it = store.keys.find(id);
  if (it != store.keys.end()) return &it->second;
  if (!create && !IsRootPath(path)) return nullptr;
  RegistryKey& key = store.keys[id];
  key.path = path;
  return &key;
}

// Runs `use` on the store's record of an open key with the process's table
// locked; the key must have been opened with `needed`. To set values the
// store is read under the writers' lock and saved when `use` answers
// ERROR_SUCCESS.
template <class Use>
LSTATUS WithKeyRecord(HKEY key, REGSAM needed, Use use) {
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> lock(table.mutex);
  std::string path;
  REGSAM access;
  if (!BasePath(table, key, &path, &access)) return ERROR_INVALID_HANDLE;
  if (!(access & needed)) return ERROR_ACCESS_DENIED;
  const std::string storePath = RegistryStorePath();
  const bool writes = needed == KEY_SET_VALUE;
  std::optional<RegistryStoreLock> writer;
  if (writes) writer.emplace(storePath);
  RegistryStore store = LoadRegistryStore(storePath);
  RegistryKey* record = KeyRecord(store, path, false);
  if (!record) return ERROR_KEY_DELETED;
  const LSTATUS status = use(*record);
  if (!writes || status != ERROR_SUCCESS) return status;
  return static_cast<LSTATUS>(SaveRegistryStore(storePath, store));
}

}  // namespace

extern "C" {

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> lock(table.mutex);
  std::string path;
  REGSAM baseAccess;
  if (!BasePath(table, key, &path, &baseAccess)) return ERROR_INVALID_HANDLE;
  RegistryStore store = LoadRegistryStore(RegistryStorePath());
  if (!KeyExists(store, path)) return ERROR_KEY_DELETED;
  for (const std::string& part : SplitSubKey(subKey)) {
    path += "\\" + part;
    auto it = store.keys.find(LowerAscii(path));
    if (it == store.keys.end()) return ERROR_FILE_NOT_FOUND;
    path = it->second.path;
  }
  *result = NewHandle(table, path, access);
  return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access,
                        LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> lock(table.mutex);
  std::string path;
  REGSAM baseAccess;
  if (!BasePath(table, key, &path, &baseAccess)) return ERROR_INVALID_HANDLE;
  std::string storePath = RegistryStorePath();
  RegistryStoreLock writer(storePath);
  RegistryStore store = LoadRegistryStore(storePath);
  if (!KeyExists(store, path)) return ERROR_KEY_DELETED;
  bool created = false;
  for (const std::string& part : SplitSubKey(subKey)) {
    path += "\\" + part;
    std::string id = LowerAscii(path);
    auto it = store.keys.find(id);
    if (it == store.keys.end()) {
      RegistryKey& added = store.keys[id];
      added.path = path;
      created = true;
    } else {
      path = it->second.path;
    }
  }
  if (created) {
    DWORD error = SaveRegistryStore(storePath, store);
    if (error != ERROR_SUCCESS) return static_cast<LSTATUS>(error);
  }
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *result = NewHandle(table, path, access);
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize) {
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  return WithKeyRecord(key, KEY_QUERY_VALUE, [&](RegistryKey& record) -> LSTATUS {
    const RegistryValue* value = FindValue(record, valueName);
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->type;
    DWORD size = static_cast<DWORD>(value->data.size());
    if (!dataSize) return ERROR_SUCCESS;
    if (!data) {
      *dataSize = size;
      return ERROR_SUCCESS;
    }
    if (*dataSize < size) {
      *dataSize = size;
      return ERROR_MORE_DATA;
    }
    std::memcpy(data, value->data.data(), size);
    if (IsStringType(value->type) && size < *dataSize && (size == 0 || data[size - 1] != '\0'))
      data[size] = '\0';
    *dataSize = size;
    return ERROR_SUCCESS;
  });
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  if (!data && dataSize > 0) return ERROR_INVALID_PARAMETER;
  return WithKeyRecord(key, KEY_SET_VALUE, [&](RegistryKey& record) -> LSTATUS {
    RegistryValue* value = FindValue(record, valueName);
    if (!value) {
      record.values.emplace_back();
      value = &record.values.back();
      value->name = valueName ? valueName : "";
    }
    value->type = type;
    value->data.assign(reinterpret_cast<const char*>(data), data ? dataSize : 0);
    return ERROR_SUCCESS;
  });
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName) {
  return WithKeyRecord(key, KEY_SET_VALUE, [&](RegistryKey& record) -> LSTATUS {
    RegistryValue* value = FindValue(record, valueName);
    if (!value) return ERROR_FILE_NOT_FOUND;
    record.values.erase(record.values.begin() + (value - record.values.data()));
    return ERROR_SUCCESS;
  });
}

LSTATUS RegCloseKey(HKEY key) {
  if (RootName(key)) return ERROR_SUCCESS;
  KeyTable& table = Keys();
  std::lock_guard<std::mutex> lock(table.mutex);
  if (!key || !table.live.erase(key)) return ERROR_INVALID_HANDLE;
  delete key;
  return ERROR_SUCCESS;
}

}
