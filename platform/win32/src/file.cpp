#include "win32/file.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "handle_table.h"
#include "win32/errors.h"

namespace win32plat {
namespace {

class FileHandle : public HandleObject {
 public:
  explicit FileHandle(int fd) : HandleObject(Kind::File), fd(fd) {}
  ~FileHandle() override { close(fd); }
  const int fd;
};

struct FoundEntry {
  std::string name;
  struct stat info;
};

class FindHandle : public HandleObject {
 public:
  FindHandle() : HandleObject(Kind::FindSearch) {}
  std::mutex mutex;
  std::vector<FoundEntry> entries;
  size_t next = 0;
};

std::shared_ptr<FileHandle> LookupFile(HANDLE handle) {
  auto file = LookupHandleAs<FileHandle>(handle, HandleObject::Kind::File);
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

// ENOENT means a missing file when the parent directory exists, else a
// missing path.
DWORD MissingError(const char* path) {
  std::string parent(path);
  size_t slash = parent.rfind('/');
  if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
  parent.resize(slash == 0 ? 1 : slash);
  struct stat info;
  if (stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return ERROR_FILE_NOT_FOUND;
  return ERROR_PATH_NOT_FOUND;
}

DWORD PathError(int error, const char* path) {
  if (error == ENOENT) return MissingError(path);
  return ErrorFromErrno(error);
}

bool ValidPath(LPCSTR path) {
  if (!path || !path[0]) {
    SetLastError(path ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

FILETIME ToFileTime(const struct timespec& time) {
  // 100-ns intervals between 1601-01-01 and 1970-01-01.
  const uint64_t epochOffset = 116444736000000000ull;
  uint64_t value = epochOffset;
  if (time.tv_sec >= 0)
    value += static_cast<uint64_t>(time.tv_sec) * 10000000ull + static_cast<uint64_t>(time.tv_nsec) / 100u;
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(value);
  result.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return result;
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Wildcard match of a whole name: '*' any run, '?' one character, case
// ignored.
bool MatchMask(const char* mask, const char* name) {
  const char* starMask = nullptr;
  const char* starName = nullptr;
  while (*name) {
    if (*mask == '*') {
      starMask = ++mask;
      starName = name;
    } else if (*mask == '?' || (*mask && Lower(*mask) == Lower(*name))) {
      ++mask;
      ++name;
    } else if (starMask) {
      mask = starMask;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (*mask == '*') ++mask;
  return *mask == '\0';
}

bool MatchPattern(const std::string& mask, const std::string& name) {
  // "*.*" means every name, with or without a dot.
  if (mask == "*.*") return true;
  return MatchMask(mask.c_str(), name.c_str());
}

void FillFindData(const FoundEntry& entry, LPWIN32_FIND_DATAA data) {
  std::memset(data, 0, sizeof(*data));
  data->dwFileAttributes = S_ISDIR(entry.info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  data->ftCreationTime = ToFileTime(entry.info.st_ctim);
  data->ftLastAccessTime = ToFileTime(entry.info.st_atim);
  data->ftLastWriteTime = ToFileTime(entry.info.st_mtim);
  uint64_t size = S_ISDIR(entry.info.st_mode) ? 0 : static_cast<uint64_t>(entry.info.st_size);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size);
  std::memcpy(data->cFileName, entry.name.c_str(), entry.name.size() + 1);
}

}  // namespace
}  // namespace win32plat

using namespace win32plat;

extern "C" {

HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition,
                   DWORD flagsAndAttributes, HANDLE) {
  if (!ValidPath(fileName)) return INVALID_HANDLE_VALUE;
  bool read = (access & (GENERIC_READ | GENERIC_ALL)) != 0;
  bool write = (access & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA)) != 0;
  bool appendOnly = !write && (access & FILE_APPEND_DATA) != 0;
  write = write || appendOnly;
  int flags = O_CLOEXEC;
  if (appendOnly) flags |= O_APPEND;
  if (read && write) flags |= O_RDWR;
  else if (write) flags |= O_WRONLY;
  else flags |= O_RDONLY;
  if (flagsAndAttributes & FILE_FLAG_WRITE_THROUGH) flags |= O_DSYNC;

  struct stat before;
  bool existed = stat(fileName, &before) == 0;
  switch (disposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING:
      if (!write) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
      }
      flags |= O_TRUNC;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  if (existed && S_ISDIR(before.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  int fd = open(fileName, flags, 0666);
  if (fd < 0) {
    int error = errno;
    SetLastError(error == EEXIST ? ERROR_FILE_EXISTS : PathError(error, fileName));
    return INVALID_HANDLE_VALUE;
  }
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  HANDLE handle = RegisterHandle(std::make_shared<FileHandle>(fd));
  bool reportExisting = existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
  SetLastError(reportExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  if (read) *read = 0;
  auto handle = LookupFile(file);
  if (!handle) return FALSE;
  if (!buffer && toRead > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD total = 0;
  char* out = static_cast<char*>(buffer);
  while (total < toRead) {
    ssize_t n = ::read(handle->fd, out + total, toRead - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      if (read) *read = total;
      SetLastError(error == EBADF ? ERROR_ACCESS_DENIED : ErrorFromErrno(error));
      return FALSE;
    }
    if (n == 0) break;
    total += static_cast<DWORD>(n);
  }
  if (read) *read = total;
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
  if (written) *written = 0;
  auto handle = LookupFile(file);
  if (!handle) return FALSE;
  if (!buffer && toWrite > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD total = 0;
  const char* in = static_cast<const char*>(buffer);
  while (total < toWrite) {
    ssize_t n = ::write(handle->fd, in + total, toWrite - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      if (written) *written = total;
      SetLastError(error == EBADF ? ERROR_ACCESS_DENIED : ErrorFromErrno(error));
      return FALSE;
    }
    total += static_cast<DWORD>(n);
  }
  if (written) *written = total;
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  auto handle = LookupFile(file);
  if (!handle) return INVALID_FILE_SIZE;
  struct stat info;
  if (fstat(handle->fd, &info) != 0) {
    SetLastError(ErrorFromErrno(errno));
    return INVALID_FILE_SIZE;
  }
  uint64_t size = static_cast<uint64_t>(info.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod) {
  auto handle = LookupFile(file);
  if (!handle) return INVALID_SET_FILE_POINTER;
  int64_t move = distanceHigh
                     ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                            static_cast<DWORD>(distance))
                     : static_cast<int64_t>(distance);
  int whence;
  switch (moveMethod) {
    case FILE_BEGIN: whence = SEEK_SET; break;
    case FILE_CURRENT: whence = SEEK_CUR; break;
    case FILE_END: whence = SEEK_END; break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_SET_FILE_POINTER;
  }
  off_t position = lseek(handle->fd, static_cast<off_t>(move), whence);
  if (position < 0) {
    SetLastError(errno == EINVAL ? ERROR_NEGATIVE_SEEK : ErrorFromErrno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  uint64_t now = static_cast<uint64_t>(position);
  if (distanceHigh) {
    *distanceHigh = static_cast<LONG>(static_cast<DWORD>(now >> 32));
  } else if ((now >> 32) != 0) {
    // The position does not fit the 32-bit result; it has moved all the same.
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(now);
}

BOOL FlushFileBuffers(HANDLE file) {
  auto handle = LookupFile(file);
  if (!handle) return FALSE;
  if (fsync(handle->fd) != 0) {
    SetLastError(ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

DWORD GetFileAttributesA(LPCSTR fileName) {
  if (!ValidPath(fileName)) return INVALID_FILE_ATTRIBUTES;
  struct stat info;
  if (stat(fileName, &info) != 0) {
    SetLastError(PathError(errno, fileName));
    return INVALID_FILE_ATTRIBUTES;
  }
  return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

BOOL DeleteFileA(LPCSTR fileName) {
  if (!ValidPath(fileName)) return FALSE;
  struct stat info;
  if (lstat(fileName, &info) == 0 && S_ISDIR(info.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (unlink(fileName) != 0) {
    SetLastError(PathError(errno, fileName));
    return FALSE;
  }
  return TRUE;
}

BOOL MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  if (!ValidPath(existingFileName) || !ValidPath(newFileName)) return FALSE;
  int result;
  if (flags & MOVEFILE_REPLACE_EXISTING) {
    struct stat target;
    if (stat(newFileName, &target) == 0 && S_ISDIR(target.st_mode)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    result = rename(existingFileName, newFileName);
  } else {
    result = renameat2(AT_FDCWD, existingFileName, AT_FDCWD, newFileName, RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
      // File systems without the no-replace rename: check, then rename.
      struct stat target;
      if (lstat(newFileName, &target) == 0) {
        errno = EEXIST;
      } else {
        result = rename(existingFileName, newFileName);
      }
    }
  }
  if (result != 0) {
    int error = errno;
    SetLastError(error == ENOENT ? PathError(error, existingFileName) : ErrorFromErrno(error));
    return FALSE;
  }
  if (flags & MOVEFILE_WRITE_THROUGH) {
    std::string dir(newFileName);
    size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash == 0 ? 1 : slash);
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
      fsync(fd);
      close(fd);
    }
  }
  return TRUE;
}

BOOL MoveFileA(LPCSTR existingFileName, LPCSTR newFileName) {
  return MoveFileExA(existingFileName, newFileName, 0);
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
  if (!ValidPath(pathName)) return FALSE;
  if (mkdir(pathName, 0777) != 0) {
    int error = errno;
    SetLastError(error == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(error));
    return FALSE;
  }
  return TRUE;
}

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  std::vector<char> path(4096);
  while (!getcwd(path.data(), path.size())) {
    if (errno != ERANGE || path.size() >= (1u << 20)) {
      SetLastError(ErrorFromErrno(errno));
      return 0;
    }
    path.resize(path.size() * 2);
  }
  size_t length = std::strlen(path.data());
  if (!buffer || length >= size) return static_cast<DWORD>(length + 1);
  std::memcpy(buffer, path.data(), length + 1);
  return static_cast<DWORD>(length);
}

BOOL SetCurrentDirectoryA(LPCSTR pathName) {
  if (!ValidPath(pathName)) return FALSE;
  if (chdir(pathName) != 0) {
    int error = errno;
    SetLastError(error == ENOENT ? MissingError(pathName) : ErrorFromErrno(error));
    return FALSE;
  }
  return TRUE;
}

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  if (!pattern || !data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string text(pattern);
  size_t slash = text.rfind('/');
  std::string dir = slash == std::string::npos ? std::string(".") : text.substr(0, slash == 0 ? 1 : slash);
  std::string mask = slash == std::string::npos ? text : text.substr(slash + 1);
  if (mask.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  DIR* listing = opendir(dir.c_str());
  if (!listing) {
    int error = errno;
    SetLastError(error == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(error));
    return INVALID_HANDLE_VALUE;
  }
  auto search = std::make_shared<FindHandle>();
  while (struct dirent* entry = readdir(listing)) {
    std::string name(entry->d_name);
    if (name.size() >= MAX_PATH || !MatchPattern(mask, name)) continue;
    FoundEntry found;
    found.name = name;
    if (fstatat(dirfd(listing), entry->d_name, &found.info, 0) != 0 &&
        fstatat(dirfd(listing), entry->d_name, &found.info, AT_SYMLINK_NOFOLLOW) != 0)
      continue;  // vanished meanwhile
    search->entries.push_back(std::move(found));
  }
  closedir(listing);
  if (search->entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::sort(search->entries.begin(), search->entries.end(),
            [](const FoundEntry& a, const FoundEntry& b) { return a.name < b.name; });
  FillFindData(search->entries[0], data);
  search->next = 1;
  return RegisterHandle(search);
}

BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA data) {
  auto handle = LookupHandleAs<FindHandle>(search, HandleObject::Kind::FindSearch);
  if (!handle || !data) {
    SetLastError(handle ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(handle->mutex);
  if (handle->next >= handle->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  FillFindData(handle->entries[handle->next++], data);
  return TRUE;
}

BOOL FindClose(HANDLE search) {
  if (!LookupHandleAs<FindHandle>(search, HandleObject::Kind::FindSearch)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return CloseHandle(search);
}

}
