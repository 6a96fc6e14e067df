// The channel heap: blocks of mixed sizes never overlap, are aligned to a
// cache line, keep what is written into them, and a freed block serves the
// next request of its size. Blocks too large for it come from the general
// heap.
#include "channel_heap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace {

TEST(ChannelHeapTest, BlocksAreDistinctAlignedAndReused) {
  struct Block {
    unsigned char* at;
    std::size_t size;
  };
  const bool kOwnPages = channel_heap::OwnsPages();
  std::vector<Block> blocks;
  for (int i = 0; i < 3000; ++i) {
    const std::size_t size = 24 + static_cast<std::size_t>(i * 37) % 1500;
    auto* at = static_cast<unsigned char*>(channel_heap::Allocate(size));
    ASSERT_NE(at, nullptr);
    if (kOwnPages) {
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(at) % 64, 0u);
    }
    std::memset(at, i & 0xFF, size);
    blocks.push_back({at, size});
  }
  std::map<unsigned char*, std::size_t> byAddress;
  for (const Block& b : blocks) byAddress[b.at] = b.size;
  for (auto it = byAddress.begin(); std::next(it) != byAddress.end(); ++it)
    EXPECT_LE(it->first + it->second, std::next(it)->first);
  for (std::size_t i = 0; i < blocks.size(); ++i)
    ASSERT_EQ(blocks[i].at[blocks[i].size - 1], static_cast<unsigned char>(i & 0xFF));

  channel_heap::Free(blocks[100].at, blocks[100].size);
  void* again = channel_heap::Allocate(blocks[100].size);
  if (kOwnPages) {
    EXPECT_EQ(again, blocks[100].at);
  }
  blocks[100].at = static_cast<unsigned char*>(again);
  for (const Block& b : blocks) channel_heap::Free(b.at, b.size);

  void* large = channel_heap::Allocate(1 << 20);
  ASSERT_NE(large, nullptr);
  std::memset(large, 0, 1 << 20);
  channel_heap::Free(large, 1 << 20);
}

}  // namespace
