// Extraction of a colour channel described by a bit mask (BMP bit fields,
// DDS pixel formats), scaled to 8 bits.
#pragma once

#include <cstdint>

namespace d3dx8 {

class ChannelMask {
 public:
  ChannelMask() = default;
  explicit ChannelMask(uint32_t mask) : mask_(mask) {
    if (mask_ == 0) return;
    while (((mask_ >> shift_) & 1u) == 0) ++shift_;
    max_ = mask_ >> shift_;
  }

  bool Present() const { return mask_ != 0; }

  // The channel of a pixel value, scaled to 0..255 (absent channels give
  // absentValue).
  uint32_t Extract(uint32_t pixel, uint32_t absentValue) const {
    if (mask_ == 0) return absentValue;
    uint64_t v = (pixel & mask_) >> shift_;
    return static_cast<uint32_t>((v * 255 + max_ / 2) / max_);
  }

 private:
  uint32_t mask_ = 0;
  uint32_t shift_ = 0;
  uint64_t max_ = 1;
};

}  // namespace d3dx8
