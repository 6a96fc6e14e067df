#include "handle_table.h"

#include <cerrno>
#include <mutex>
#include <unordered_map>

#include "win32/errors.h"
#include "win32/handle.h"

namespace win32plat {
namespace {

struct Table {
  std::mutex mutex;
  std::unordered_map<HANDLE, std::shared_ptr<HandleObject>> objects;
};

Table& GetTable() {
  // Never destroyed: handles may still be closed while the process exits.
  static Table* table = new Table;
  return *table;
}

}  // namespace

DWORD HandleObject::Wait(DWORD) {
  SetLastError(ERROR_INVALID_HANDLE);
  return WAIT_FAILED;
}

HANDLE RegisterHandle(std::shared_ptr<HandleObject> object) {
  HANDLE handle = object.get();
  Table& table = GetTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  table.objects[handle] = std::move(object);
  return handle;
}

std::shared_ptr<HandleObject> LookupHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  Table& table = GetTable();
  std::lock_guard<std::mutex> lock(table.mutex);
  auto it = table.objects.find(handle);
  if (it == table.objects.end()) return nullptr;
  return it->second;
}

bool UnregisterHandle(HANDLE handle) {
  std::shared_ptr<HandleObject> released;
  Table& table = GetTable();
  {
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.objects.find(handle);
    if (it == table.objects.end()) return false;
    released = std::move(it->second);
    table.objects.erase(it);
  }
  // The object is destroyed here, outside the lock, unless another thread
  // still holds it.
  return true;
}

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
    case ETXTBSY: return ERROR_ACCESS_DENIED;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EBUSY: return ERROR_BUSY;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    case ENOTSUP: return ERROR_NOT_SUPPORTED;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    default: return ERROR_GEN_FAILURE;
  }
}

}  // namespace win32plat

extern "C" {

BOOL CloseHandle(HANDLE object) {
  if (!win32plat::UnregisterHandle(object)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  std::shared_ptr<win32plat::HandleObject> target = win32plat::LookupHandle(object);
  if (!target) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return target->Wait(milliseconds);
}

}
