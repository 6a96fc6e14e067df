// Bounds-checked little-endian reads from a block of bytes; every read says
// whether the bytes were there.
#pragma once

#include <cstddef>
#include <cstdint>

namespace d3dx8 {

class ByteReader {
 public:
  ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  const uint8_t* Data() const { return data_; }
  size_t Size() const { return size_; }

  // True when [offset, offset + length) lies inside the block.
  bool Has(uint64_t offset, uint64_t length) const { return offset <= size_ && length <= size_ - offset; }

  bool U8(uint64_t offset, uint32_t* v) const {
    if (!Has(offset, 1)) return false;
    *v = data_[offset];
    return true;
  }
  bool U16(uint64_t offset, uint32_t* v) const {
    if (!Has(offset, 2)) return false;
    *v = uint32_t(data_[offset]) | (uint32_t(data_[offset + 1]) << 8);
    return true;
  }
  bool U32(uint64_t offset, uint32_t* v) const {
    if (!Has(offset, 4)) return false;
    *v = uint32_t(data_[offset]) | (uint32_t(data_[offset + 1]) << 8) | (uint32_t(data_[offset + 2]) << 16) |
         (uint32_t(data_[offset + 3]) << 24);
    return true;
  }
  bool S32(uint64_t offset, int32_t* v) const {
    uint32_t u;
    if (!U32(offset, &u)) return false;
    *v = static_cast<int32_t>(u);
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

}  // namespace d3dx8
