#include "chunk_file_loader.h"

#include "chunk_encoding.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

namespace {
constexpr size_t kDefaultBlockSize = 64 * 1024;

const GUID& LoaderGuid() { return kFileLoaderChannelType; }
}  // namespace

ChannelType Vel_ChunkFileLoader::TypeRecord() {
  ChannelType record(LoaderGuid());
  record.baseType = LoaderGuid();
  record.SetName("File Loader");
  return record;
}

Vel_ChunkFileLoader::Vel_ChunkFileLoader() : data(nullptr), size(0), position(0), blockSize(kDefaultBlockSize) {}

Vel_ChunkFileLoader::~Vel_ChunkFileLoader() = default;

ChannelType Vel_ChunkFileLoader::GetChannelType() { return TypeRecord(); }

void Vel_ChunkFileLoader::Clear() {
  std::vector<char>().swap(owned);
  data = nullptr;
  size = 0;
  position = 0;
}

bool Vel_ChunkFileLoader::LoadFile(const char* path) {
  Clear();
  if (!path || !*path) return false;
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
      static_cast<unsigned long long>(st.st_size) > static_cast<unsigned long long>(INT_MAX)) {
    close(fd);
    return false;
  }
  std::vector<char> bytes;
  std::vector<char> piece;
  try {
    bytes.reserve(static_cast<size_t>(st.st_size));
    piece.resize(blockSize);
  } catch (const std::bad_alloc&) {
    close(fd);
    return false;
  }
  for (;;) {
    ssize_t got = read(fd, piece.data(), piece.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      close(fd);
      return false;
    }
    if (got == 0) break;
    if (bytes.size() + static_cast<size_t>(got) > static_cast<size_t>(INT_MAX)) {
      close(fd);
      return false;
    }
    try {
      bytes.insert(bytes.end(), piece.data(), piece.data() + got);
    } catch (const std::bad_alloc&) {
      close(fd);
      return false;
    }
  }
  close(fd);
  owned.swap(bytes);
  data = owned.empty() ? nullptr : owned.data();
  size = owned.size();
  position = 0;
  return true;
}

void Vel_ChunkFileLoader::SetBlockSize(unsigned long value) {
  blockSize = value == 0 ? kDefaultBlockSize : static_cast<size_t>(value);
  if (blockSize > (16u << 20)) blockSize = 16u << 20;
}

void Vel_ChunkFileLoader::SetBuffer(char* source, int length, bool copy) {
  if (!source || length <= 0) {
    Clear();
    return;
  }
  size_t n = static_cast<size_t>(length);
  // The caller may hand back memory of this loader (its own GetBuffer): take a
  // copy before the old storage is released, whatever the flag says.
  bool insideOwn = !owned.empty() && source >= owned.data() && source < owned.data() + owned.size();
  if (copy || insideOwn) {
    if (insideOwn && n > static_cast<size_t>(owned.data() + owned.size() - source))
      n = static_cast<size_t>(owned.data() + owned.size() - source);
    std::vector<char> bytes;
    try {
      bytes.assign(source, source + n);
    } catch (const std::bad_alloc&) {
      Clear();
      return;
    }
    owned.swap(bytes);
    data = owned.data();
  } else {
    std::vector<char>().swap(owned);
    data = source;
  }
  size = n;
  position = 0;
}

bool Vel_ChunkFileLoader::BlockAt(size_t* out) const {
  if (Remaining() < chunk::kSizeFieldSize) return false;
  size_t n = chunk::ReadSize(data + position);
  if (n > Remaining() - chunk::kSizeFieldSize) return false;
  *out = n;
  return true;
}

bool Vel_ChunkFileLoader::TagAt(const char tag[4]) const {
  if (!tag || Remaining() < chunk::kTagSize) return false;
  return std::memcmp(data + position, tag, chunk::kTagSize) == 0;
}

const char* Vel_ChunkFileLoader::GetTagData() {
  size_t n;
  if (!BlockAt(&n)) return nullptr;
  return data + position + chunk::kSizeFieldSize;
}

void Vel_ChunkFileLoader::CopyTagDataToPointer(void* dst) {
  size_t n;
  if (!dst || !BlockAt(&n)) return;
  if (n) std::memcpy(dst, data + position + chunk::kSizeFieldSize, n);
  position += chunk::kSizeFieldSize + n;
}

bool Vel_ChunkFileLoader::CopyTagDataChecked(void* dst, unsigned long dstSize) {
  size_t n;
  if (!BlockAt(&n) || n != dstSize) return false;
  if (n) {
    if (!dst) return false;
    std::memcpy(dst, data + position + chunk::kSizeFieldSize, n);
  }
  position += chunk::kSizeFieldSize + n;
  return true;
}

bool Vel_ChunkFileLoader::CheckHeader(const char tag[4], bool consume) {
  if (!TagAt(tag)) return false;
  if (consume) position += chunk::kTagSize;
  return true;
}

bool Vel_ChunkFileLoader::GotoTag(const char tag[4], int) {
  if (!tag || Remaining() < chunk::kTagSize) return false;
  for (size_t at = position; at + chunk::kTagSize <= size; ++at) {
    if (std::memcmp(data + at, tag, chunk::kTagSize) == 0) {
      position = at + chunk::kTagSize;
      return true;
    }
  }
  return false;
}

bool Vel_ChunkFileLoader::GetInfoIfTag(const char tag[4]) { return CheckHeader(tag, true); }

unsigned long Vel_ChunkFileLoader::GetSizeDataBlock(bool consume) {
  size_t n;
  if (!BlockAt(&n)) return 0;
  if (consume) position += chunk::kSizeFieldSize;
  return static_cast<unsigned long>(n);
}

void Vel_ChunkFileLoader::ResetPosition() { position = 0; }

const char* Vel_ChunkFileLoader::GetBuffer() { return data ? data + position : nullptr; }

int Vel_ChunkFileLoader::GetBufferSize() { return static_cast<int>(Remaining()); }

void Vel_ChunkFileLoader::AddBufferPos(int n) {
  if (n <= 0) return;
  size_t step = static_cast<size_t>(n);
  position = step >= Remaining() ? size : position + step;
}

bool Vel_ChunkFileLoader::GetIfEndOfFile() { return position >= size; }

bool Vel_ChunkFileLoader::SkipCurrentTag() {
  if (Remaining() < chunk::kTagSize) return false;
  size_t saved = position;
  position += chunk::kTagSize;
  size_t n;
  if (!BlockAt(&n)) {
    position = saved;
    return false;
  }
  position += chunk::kSizeFieldSize + n;
  return true;
}

void Vel_ChunkFileLoader::SetURL(const char* value) { url = value ? value : ""; }

bool Vel_ChunkFileLoader::CheckULRCache(const char*) { return false; }

const char* Vel_ChunkFileLoader::GetChacheFileNameFromURL(const char*) { return ""; }

void Vel_ChunkFileLoader::SaveURLToCache(const char*) {}

void Vel_ChunkFileLoader::SetBufferChar(int pos, char value) {
  if (pos < 0 || static_cast<size_t>(pos) >= Remaining()) return;
  data[position + static_cast<size_t>(pos)] = value;
}

void Vel_ChunkFileLoader::StopLoading() {}

int Vel_ChunkFileLoader::GetCRC() {
  uLong crc = crc32(0L, Z_NULL, 0);
  const Bytef* bytes = reinterpret_cast<const Bytef*>(data);
  size_t left = size;
  while (left > 0) {
    uInt piece = left > (1u << 30) ? (1u << 30) : static_cast<uInt>(left);
    crc = crc32(crc, bytes, piece);
    bytes += piece;
    left -= piece;
  }
  return static_cast<int>(static_cast<uint32_t>(crc));
}
