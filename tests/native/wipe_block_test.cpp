#include "wipe/wipe_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

TEST(WipeBlock, LayoutIsMarkerTerminatorThenFullStops) {
  std::vector<unsigned char> block(wipe::kBlockSize, 0xAA);
  wipe::FillBlock(block.data());
  ASSERT_EQ(wipe::kMarkerLen, 50u);
  EXPECT_EQ(0, std::memcmp(block.data(), "This file was Mopwelled for your protection.  Moo!", 50));
  EXPECT_EQ(block[50], 0);
  for (std::size_t i = 51; i < wipe::kBlockSize; ++i) ASSERT_EQ(block[i], '.') << "at " << i;
}

TEST(WipeBlock, CoverageIsWholeBlocksAndNeverZero) {
  EXPECT_EQ(wipe::BlocksToCover(0), 1u);
  EXPECT_EQ(wipe::BlocksToCover(10), 1u);
  EXPECT_EQ(wipe::BlocksToCover(65535), 1u);
  EXPECT_EQ(wipe::BlocksToCover(65536), 2u);
  EXPECT_EQ(wipe::CoveredLength(10), 65535u);
  EXPECT_EQ(wipe::CoveredLength(3 * 65535 + 1), 4u * 65535u);
  // Beyond 4 GiB nothing may wrap around a 32-bit count.
  const std::uint64_t five_gib = 5ull << 30;
  EXPECT_GE(wipe::CoveredLength(five_gib), five_gib);
  EXPECT_LT(wipe::CoveredLength(five_gib) - five_gib, 65535u);
  EXPECT_EQ(wipe::CoveredLength(five_gib) % 65535u, 0u);
}

TEST(WipeBlock, RecognisesOnlyWholeCopiesOfTheBlock) {
  std::vector<unsigned char> data(2 * wipe::kBlockSize);
  wipe::FillBlock(data.data());
  wipe::FillBlock(data.data() + wipe::kBlockSize);
  EXPECT_TRUE(wipe::IsWipedContent(data.data(), data.size()));
  EXPECT_FALSE(wipe::IsWipedContent(data.data(), data.size() - 1));
  EXPECT_FALSE(wipe::IsWipedContent(data.data(), 0));
  data[wipe::kBlockSize + 70] = 'x';
  EXPECT_FALSE(wipe::IsWipedContent(data.data(), data.size()));
}
