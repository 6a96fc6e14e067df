// Resources: the tables modules enter while they are loaded, searched by
// the module an entry's bytes live in.
#include "win32/resource.h"

#include <dlfcn.h>
#include <link.h>

#include <mutex>
#include <vector>

#include "module_internal.h"
#include "win32/errors.h"
#include "win32/misc.h"

namespace {

struct TableList {
  std::mutex mutex;
  std::vector<std::pair<const Win32Resource*, size_t>> tables;
};

TableList& Tables() {
  static TableList* list = new TableList;  // lives until the process ends
  return *list;
}

void* LinkMapOf(const void* address) {
  Dl_info info;
  struct link_map* map = nullptr;
  if (dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0) return nullptr;
  return map;
}

// A resource some table holds; NULL with ERROR_INVALID_HANDLE otherwise.
const Win32Resource* Known(HRSRC resource) {
  TableList& list = Tables();
  std::lock_guard<std::mutex> lock(list.mutex);
  for (const auto& [entries, count] : list.tables)
    if (resource >= entries && resource < entries + count) return resource;
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

}  // namespace

Win32ResourceTable::Win32ResourceTable(const Win32Resource* entries, size_t count) : entries_(entries), count_(count) {
  TableList& list = Tables();
  std::lock_guard<std::mutex> lock(list.mutex);
  list.tables.emplace_back(entries, count);
}

Win32ResourceTable::~Win32ResourceTable() {
  TableList& list = Tables();
  std::lock_guard<std::mutex> lock(list.mutex);
  std::erase(list.tables, std::make_pair(entries_, count_));
}

extern "C" {

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  void* map = win32plat::ModuleLinkMap(module);
  if (!map) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  bool numbered = IS_INTRESOURCE(name) || IS_INTRESOURCE(type);
  bool anyTable = false;
  bool anyOfType = false;
  TableList& list = Tables();
  std::lock_guard<std::mutex> lock(list.mutex);
  for (const auto& [entries, count] : list.tables) {
    if (count == 0 || LinkMapOf(entries) != map) continue;
    anyTable = true;
    for (size_t i = 0; i < count && !numbered; ++i) {
      const Win32Resource& entry = entries[i];
      if (lstrcmpiA(entry.type, type) != 0) continue;
      anyOfType = true;
      if (lstrcmpiA(entry.name, name) == 0) return const_cast<Win32Resource*>(&entry);
    }
  }
  SetLastError(!anyTable ? ERROR_RESOURCE_DATA_NOT_FOUND
                         : (anyOfType ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_RESOURCE_TYPE_NOT_FOUND));
  return nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) {
  const Win32Resource* entry = Known(resource);
  return entry ? reinterpret_cast<HGLOBAL>(const_cast<BYTE*>(entry->data)) : nullptr;
}

LPVOID LockResource(HGLOBAL data) { return data; }

DWORD SizeofResource(HMODULE, HRSRC resource) {
  const Win32Resource* entry = Known(resource);
  return entry ? entry->size : 0;
}

}
