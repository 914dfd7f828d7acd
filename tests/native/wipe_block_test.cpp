#include "wipe/wipe_block.h"

#include "wipe_marker.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

TEST(WipeBlock, LayoutIsMarkerTerminatorThenFullStops) {
  ASSERT_EQ(wipe::kBlockSize, 65535u);
  std::vector<unsigned char> block(wipe::kBlockSize, 0xAA);
  wipe::FillBlock(block.data());
  ASSERT_EQ(wipe::kMarkerLen, 50u);
  EXPECT_EQ(0, std::memcmp(block.data(), "This file was Mopwelled for your protection.  Moo!", 50));
  EXPECT_EQ(block[50], 0);
  for (std::size_t i = 51; i < wipe::kBlockSize; ++i) ASSERT_EQ(block[i], '.') << "at " << i;
  // The same bytes as the Windows tests expect in every destroyed file.
  EXPECT_TRUE(std::string(block.begin(), block.end()) == wipe_marker::Block());
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

// The tests' own check of destroyed files accepts whole copies of the
// block only, so a short, long or altered overwrite cannot pass it.
TEST(WipeBlock, RecognisesOnlyWholeCopiesOfTheBlock) {
  std::vector<unsigned char> raw(2 * wipe::kBlockSize);
  wipe::FillBlock(raw.data());
  wipe::FillBlock(raw.data() + wipe::kBlockSize);
  std::string data(raw.begin(), raw.end());
  EXPECT_TRUE(wipe_marker::IsWholeBlocks(data));
  EXPECT_FALSE(wipe_marker::IsWholeBlocks(data.substr(0, data.size() - 1)));
  EXPECT_FALSE(wipe_marker::IsWholeBlocks(data + "."));
  EXPECT_FALSE(wipe_marker::IsWholeBlocks(std::string()));
  data[wipe::kBlockSize + 70] = 'x';
  EXPECT_FALSE(wipe_marker::IsWholeBlocks(data));
}
