#include "chunk_file_saver.h"

#include "chunk_encoding.h"
#include "messages.h"
#include "temp_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <system_error>

namespace {
// Creates a new, empty file beside path whose name no other save uses.
int CreateTempBeside(const std::string& path, std::string* tempPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = TempFileNameBeside(path);
    int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      *tempPath = candidate;
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// The byte count a write answers (blocks up to 4 GiB - 1 do not fit an int).
int Count(size_t n) { return n > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(n); }
}  // namespace

ChannelType Vel_ChunkFileSaver::TypeRecord() {
  ChannelType record(kFileSaverChannelType);
  record.baseType = kFileSaverChannelType;
  record.SetName("File Saver");
  return record;
}

Vel_ChunkFileSaver::Vel_ChunkFileSaver()
    : target(Target::kNone), file(nullptr), fileOk(false), haveFileName(false), reported(false) {}

Vel_ChunkFileSaver::~Vel_ChunkFileSaver() {
  if (target == Target::kFile) AbandonFile();
}

ChannelType Vel_ChunkFileSaver::GetChannelType() { return TypeRecord(); }

void Vel_ChunkFileSaver::AbandonFile() {
  if (file) std::fclose(file);
  file = nullptr;
  if (!tempPath.empty()) unlink(tempPath.c_str());
  tempPath.clear();
  target = Target::kNone;
  haveFileName = false;
}

void Vel_ChunkFileSaver::Fail(const std::string& path, const std::string& cause) {
  fileOk = false;
  if (reported) return;
  reported = true;
  ShowErrorMessage report;
  report(("Vel_ChunkFileSaver: could not save " + path + ": " + cause).c_str());
}

void Vel_ChunkFileSaver::Fail(const std::string& path, int error) {
  Fail(path, std::generic_category().message(error));
}

bool Vel_ChunkFileSaver::CopyExisting(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    if (errno == ENOENT) return true;  // nothing to append to
    Fail(path, errno);
    return false;
  }
  struct stat st;
  bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (!ok) Fail(path, "not a regular file");
  char piece[64 * 1024];
  while (ok) {
    ssize_t got = read(fd, piece, sizeof piece);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      if (got < 0) Fail(path, errno);
      ok = got == 0;
      break;
    }
    if (std::fwrite(piece, 1, static_cast<size_t>(got), file) != static_cast<size_t>(got)) {
      Fail(path, errno);
      ok = false;
    }
  }
  close(fd);
  return ok;
}

bool Vel_ChunkFileSaver::OpenSaveFile(const char* path, bool append) {
  if (target == Target::kFile) AbandonFile();
  if (target == Target::kMemory) CloseMemory();
  haveFileName = false;
  if (!path || !*path) return false;
  std::string wanted(path);
  struct stat existing;
  bool exists = stat(path, &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) return false;

  reported = false;
  int fd = CreateTempBeside(wanted, &tempPath);
  if (fd < 0) {
    Fail(wanted, errno);
    tempPath.clear();
    return false;
  }
  // A replaced file keeps its permissions (a restored library stays loadable).
  if (exists) fchmod(fd, existing.st_mode & 07777);
  file = fdopen(fd, "wb");
  if (!file) {
    Fail(wanted, errno);
    close(fd);
    unlink(tempPath.c_str());
    tempPath.clear();
    return false;
  }
  target = Target::kFile;
  filePath = wanted;
  fileOk = true;
  haveFileName = true;
  if (append && exists && !CopyExisting(wanted)) {
    AbandonFile();
    return false;
  }
  return true;
}

int Vel_ChunkFileSaver::Write(const void* bytes, size_t n) {
  if (n == 0) return 0;
  if (target == Target::kFile) {
    if (!fileOk) return 0;
    if (std::fwrite(bytes, 1, n, file) != n) {
      Fail(filePath, errno);
      return 0;
    }
    return Count(n);
  }
  if (target == Target::kMemory) {
    try {
      const char* b = static_cast<const char*>(bytes);
      memory.insert(memory.end(), b, b + n);
    } catch (const std::bad_alloc&) {
      return 0;
    } catch (const std::length_error&) {
      return 0;
    }
    return Count(n);
  }
  return 0;
}

int Vel_ChunkFileSaver::SaveTag(const char* tag) {
  if (!tag) return 0;
  char bytes[chunk::kTagSize] = {};
  std::memcpy(bytes, tag, strnlen(tag, chunk::kTagSize));
  return Write(bytes, chunk::kTagSize);
}

int Vel_ChunkFileSaver::SaveBlockSize(unsigned long size) {
  if (size > UINT32_MAX) {
    // The stream cannot describe such a block: the save is spoilt.
    if (target == Target::kFile) Fail(filePath, "a block larger than a chunk can describe");
    return 0;
  }
  char bytes[chunk::kSizeFieldSize];
  chunk::WriteSize(static_cast<uint32_t>(size), bytes);
  return Write(bytes, chunk::kSizeFieldSize);
}

int Vel_ChunkFileSaver::SaveDataToFile(const void* data, unsigned long size) {
  if (size == 0) return 0;
  if (!data || size > UINT32_MAX) {
    if (target == Target::kFile) Fail(filePath, data ? "a block larger than a chunk can describe" : "no data given");
    return 0;
  }
  return Write(data, static_cast<size_t>(size));
}

void Vel_ChunkFileSaver::CloseSaveFile() {
  if (target != Target::kFile) return;
  if (fileOk && std::fflush(file) != 0) Fail(filePath, errno);
  if (fileOk && std::ferror(file)) Fail(filePath, "a write failed");
  if (fileOk && fsync(fileno(file)) != 0) Fail(filePath, errno);
  if (std::fclose(file) != 0 && fileOk) Fail(filePath, errno);
  file = nullptr;
  if (fileOk && std::rename(tempPath.c_str(), filePath.c_str()) != 0) Fail(filePath, errno);
  bool ok = fileOk;
  if (!ok) unlink(tempPath.c_str());
  tempPath.clear();
  target = Target::kNone;
  haveFileName = ok;
}

const char* Vel_ChunkFileSaver::GetSaveingFileName() {
  if (!haveFileName) return nullptr;
  if (target == Target::kFile && !fileOk) return nullptr;
  return filePath.c_str();
}

void Vel_ChunkFileSaver::OpenMemory() {
  if (target == Target::kFile) AbandonFile();
  std::vector<char>().swap(memory);
  target = Target::kMemory;
}

void Vel_ChunkFileSaver::CloseMemory() {
  if (target == Target::kMemory) target = Target::kNone;
}

char* Vel_ChunkFileSaver::GetBuffer() { return memory.empty() ? nullptr : memory.data(); }

unsigned long Vel_ChunkFileSaver::GetBufferSize() { return static_cast<unsigned long>(memory.size()); }
