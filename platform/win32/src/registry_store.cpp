#include "registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "handle_table.h"
#include "win32/errors.h"

namespace win32plat {
namespace {

const char kMagic[8] = {'K', 'L', 'V', 'R', 'E', 'G', '0', '1'};
constexpr size_t kHeaderSize = 16;

uint32_t Crc32(const std::string& bytes, size_t from) {
  static uint32_t table[256];
  static bool ready = [] {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
    return true;
  }();
  (void)ready;
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = from; i < bytes.size(); ++i)
    crc = table[(crc ^ static_cast<unsigned char>(bytes[i])) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void PutU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void PutText(std::string& out, const std::string& text) {
  PutU32(out, static_cast<uint32_t>(text.size()));
  out += text;
}

class Reader {
 public:
  Reader(const std::string& bytes, size_t position) : bytes_(bytes), position_(position) {}

  bool U32(uint32_t* value) {
    if (bytes_.size() - position_ < 4) return false;
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<unsigned char>(bytes_[position_ + i])) << (8 * i);
    position_ += 4;
    *value = v;
    return true;
  }

  // Every length is checked against the bytes that are left before anything
  // is allocated.
  bool Text(std::string* text) {
    uint32_t length;
    if (!U32(&length) || length > bytes_.size() - position_) return false;
    text->assign(bytes_, position_, length);
    position_ += length;
    return true;
  }

  size_t left() const { return bytes_.size() - position_; }

 private:
  const std::string& bytes_;
  size_t position_;
};

std::string HomeDirectory() {
  const char* home = getenv("HOME");
  if (home && home[0]) return home;
  struct passwd* entry = getpwuid(getuid());
  if (entry && entry->pw_dir) return entry->pw_dir;
  return "/tmp";
}

// Creates every missing directory of a path (not the last component).
void MakeParentDirectories(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    mkdir(path.substr(0, slash).c_str(), 0700);
}

}  // namespace

std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string RegistryStorePath() {
  const char* override = getenv("KELVANE_REGISTRY");
  if (override && override[0]) return override;
  const char* config = getenv("XDG_CONFIG_HOME");
  std::string base = (config && config[0] == '/') ? std::string(config) : HomeDirectory() + "/.config";
  return base + "/kelvane/registry";
}

std::string EncodeRegistryStore(const RegistryStore& store) {
  std::string payload;
  PutU32(payload, static_cast<uint32_t>(store.keys.size()));
  for (const auto& entry : store.keys) {
    const RegistryKey& key = entry.second;
    PutText(payload, key.path);
    PutU32(payload, static_cast<uint32_t>(key.values.size()));
    for (const RegistryValue& value : key.values) {
      PutText(payload, value.name);
      PutU32(payload, value.type);
      PutText(payload, value.data);
    }
  }
  std::string out(kMagic, sizeof(kMagic));
  PutU32(out, static_cast<uint32_t>(payload.size()));
  PutU32(out, Crc32(payload, 0));
  out += payload;
  return out;
}

bool DecodeRegistryStore(const std::string& bytes, RegistryStore* store) {
  store->keys.clear();
  if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0) return false;
  Reader header(bytes, sizeof(kMagic));
  uint32_t size, crc;
  if (!header.U32(&size) || !header.U32(&crc) || size != bytes.size() - kHeaderSize ||
      crc != Crc32(bytes, kHeaderSize))
    return false;

  Reader in(bytes, kHeaderSize);
  uint32_t keyCount;
  if (!in.U32(&keyCount)) return false;
  RegistryStore decoded;
  for (uint32_t k = 0; k < keyCount; ++k) {
    RegistryKey key;
    uint32_t valueCount;
    if (!in.Text(&key.path) || !in.U32(&valueCount)) return false;
    for (uint32_t v = 0; v < valueCount; ++v) {
      RegistryValue value;
      if (!in.Text(&value.name) || !in.U32(&value.type) || !in.Text(&value.data)) return false;
      key.values.push_back(std::move(value));
    }
    std::string id = LowerAscii(key.path);
    decoded.keys[id] = std::move(key);
  }
  if (in.left() != 0) return false;
  *store = std::move(decoded);
  return true;
}

RegistryStore LoadRegistryStore(const std::string& path) {
  RegistryStore store;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return store;
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
      static_cast<uint64_t>(info.st_size) > kRegistryStoreLimit) {
    close(fd);
    return store;
  }
  std::string bytes(static_cast<size_t>(info.st_size), '\0');
  size_t total = 0;
  while (total < bytes.size()) {
    ssize_t n = read(fd, &bytes[total], bytes.size() - total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    total += static_cast<size_t>(n);
  }
  close(fd);
  bytes.resize(total);
  DecodeRegistryStore(bytes, &store);
  return store;
}

DWORD SaveRegistryStore(const std::string& path, const RegistryStore& store) {
  std::string bytes = EncodeRegistryStore(store);
  if (bytes.size() > kRegistryStoreLimit) return ERROR_NOT_ENOUGH_MEMORY;
  MakeParentDirectories(path);
  std::string temp = path + ".XXXXXX";
  int fd = mkostemp(&temp[0], O_CLOEXEC);
  if (fd < 0) return ErrorFromErrno(errno);
  size_t total = 0;
  int error = 0;
  while (total < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + total, bytes.size() - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = errno;
      break;
    }
    total += static_cast<size_t>(n);
  }
  if (!error && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && !error) error = errno;
  if (!error && rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error) {
    unlink(temp.c_str());
    return ErrorFromErrno(error);
  }
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
  int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return ERROR_SUCCESS;
}

RegistryStoreLock::RegistryStoreLock(const std::string& storePath) {
  MakeParentDirectories(storePath);
  fd_ = open((storePath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // Without a lock file (a read-only directory) the write that follows fails
  // on its own.
  if (fd_ < 0) return;
  while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

RegistryStoreLock::~RegistryStoreLock() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace win32plat
