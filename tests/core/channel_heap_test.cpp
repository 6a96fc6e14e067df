// The channel heap: blocks of mixed sizes never overlap, are aligned to a
// cache line (blocks of 32 bytes or fewer to half of one, two to a line),
// keep what is written into them, and a freed block serves the next request
// of its size. Blocks too large for it come from the general heap.
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
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(at) % (size <= 32 ? 32 : 64), 0u);
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

TEST(ChannelHeapTest, SmallRecordsMadeOneAfterAnotherShareALineAndComeBack) {
  if (!channel_heap::OwnsPages()) GTEST_SKIP() << "blocks come from the general heap in this build";
  // Link records are 32 bytes: two made in a row lie in one line, and the
  // blocks around them stay aligned to whole lines.
  void* before = channel_heap::Allocate(100);
  void* first = channel_heap::Allocate(32);
  void* second = channel_heap::Allocate(20);
  void* after = channel_heap::Allocate(64);
  const auto line = [](void* p) { return reinterpret_cast<std::uintptr_t>(p) / 64; };
  EXPECT_EQ(line(first), line(second));
  EXPECT_NE(first, second);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(before) % 64, 0u);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(after) % 64, 0u);
  EXPECT_NE(line(after), line(first));
  std::memset(first, 0xAA, 32);
  std::memset(second, 0x55, 20);
  EXPECT_EQ(static_cast<unsigned char*>(first)[31], 0xAA);
  // A freed half serves the next small request, not a request of a line.
  channel_heap::Free(second, 20);
  void* line64 = channel_heap::Allocate(64);
  EXPECT_NE(line(line64), line(second));
  void* again = channel_heap::Allocate(24);
  EXPECT_EQ(again, second);
  for (auto [p, n] : {std::pair{before, 100}, {first, 32}, {again, 24}, {after, 64}, {line64, 64}})
    channel_heap::Free(p, static_cast<std::size_t>(n));
}

TEST(ChannelHeapTest, RarelyUsedPartsAreKeptApartFromTheChannels) {
  if (!channel_heap::OwnsPages()) GTEST_SKIP() << "blocks come from the general heap in this build";
  // A channel's rarely used part and the channel itself never share memory,
  // and a freed block goes back to the heap it came from.
  void* channel = channel_heap::Allocate(576);
  void* cold = channel_heap::AllocateCold(576);
  ASSERT_NE(cold, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(cold) % 64, 0u);
  const auto at = [](void* p) { return reinterpret_cast<std::uintptr_t>(p); };
  EXPECT_TRUE(at(cold) + 576 <= at(channel) || at(channel) + 576 <= at(cold));
  std::memset(cold, 0x3C, 576);
  channel_heap::FreeCold(cold, 576);
  void* plain = channel_heap::Allocate(576);
  EXPECT_NE(plain, cold);
  void* coldAgain = channel_heap::AllocateCold(576);
  EXPECT_EQ(coldAgain, cold);
  channel_heap::FreeCold(coldAgain, 576);
  channel_heap::Free(plain, 576);
  channel_heap::Free(channel, 576);
}

}  // namespace
