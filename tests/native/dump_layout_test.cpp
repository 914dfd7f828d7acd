#include "dump/layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr std::uint64_t kFiveGiB = 5ull << 30;

std::string Line(const std::string& bytes) {
  char out[dump::kLineWidth + 8];
  std::size_t n = dump::FormatLine(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out);
  return std::string(out, n);
}

// The metrics the display font has under Wine: 9 wide, 16 high, no leading.
const dump::FontMetrics kFont{9, 16, 16};

dump::View Shown(std::uint64_t length, int width, int height) {
  dump::View v;
  v.lineCount = static_cast<std::int64_t>(dump::LineCount(length));
  v.lineWidth = dump::kLineWidth;
  v.clientWidth = width;
  v.clientHeight = dump::RoundedHeight(height, kFont.charHeight);
  dump::RecomputeRanges(v, kFont);
  return v;
}

}  // namespace

TEST(DumpLayout, LineCountKeepsAnEmptyLastLine) {
  EXPECT_EQ(dump::LineCount(0), 1u);  // an empty file shows one empty line
  EXPECT_EQ(dump::LineCount(1), 2u);
  EXPECT_EQ(dump::LineCount(77), 2u);
  EXPECT_EQ(dump::LineCount(78), 2u);  // one full line and the empty one
  EXPECT_EQ(dump::LineCount(79), 3u);
  EXPECT_EQ(dump::LineCount(156), 3u);
  // A file over 4 GiB counts every line; near 2^64 the count does not wrap.
  EXPECT_EQ(dump::LineCount(kFiveGiB), (kFiveGiB + 77) / 78 + 1);
  EXPECT_GT(dump::LineCount(kFiveGiB), 0xFFFFFFFFull / 78);
  EXPECT_EQ(dump::LineCount(UINT64_MAX), UINT64_MAX / 78 + 2);
  EXPECT_EQ(dump::LineOffset(dump::LineCount(kFiveGiB) - 2), (kFiveGiB / 78) * 78);
}

TEST(DumpLayout, DisplayLineIsTheBytesWithEveryUnprintableByteBlank) {
  EXPECT_EQ(Line(""), "");
  EXPECT_EQ(Line("abc"), "abc");  // the last line holds only what remains
  EXPECT_EQ(Line(" ~"), " ~");
  // Tabs and the file's own line breaks play no part: they are blanks.
  EXPECT_EQ(Line("a\tb\nc\rd"), "a b c d");
  EXPECT_EQ(Line(std::string("x\0y", 3)), "x y");
  EXPECT_EQ(Line("\x1f\x7f\x80\xff"), "    ");
  for (int b = 0; b < 256; ++b) {
    char c = dump::Shown(static_cast<unsigned char>(b));
    if (b >= 0x20 && b <= 0x7E) EXPECT_EQ(c, char(b)) << b;
    else EXPECT_EQ(c, ' ') << b;
  }
  // Never more than 78 columns, whatever is available.
  std::string long_bytes(200, 'q');
  long_bytes[77] = 'L';
  std::string line = Line(long_bytes);
  EXPECT_EQ(line.size(), 78u);
  EXPECT_EQ(line.back(), 'L');
}

TEST(DumpLayout, HeightIsRoundedUpToTheNextWholeCharacterHeight) {
  EXPECT_EQ(dump::RoundedHeight(100, 16), 112);
  EXPECT_EQ(dump::RoundedHeight(96, 16), 112);  // an exact multiple gains one more
  EXPECT_EQ(dump::RoundedHeight(0, 16), 16);
  EXPECT_EQ(dump::RoundedHeight(5, 0), 6);      // a font not measured yet divides by nothing
}

TEST(DumpLayout, RangesFollowTheFileAndTheClientSize) {
  // 1000 bytes: 14 lines. A client of 100 pixels keeps 112, 7 lines of 16.
  dump::View v = Shown(1000, 900, 100);
  EXPECT_EQ(v.lineCount, 14);
  EXPECT_EQ(v.visibleLines, 7);
  EXPECT_EQ(v.lastFirstLine, 7);
  EXPECT_EQ(v.lastFirstColumn, 0);  // 100 columns fit: no horizontal scrolling
  // A narrow window scrolls 78 - 300/9 = 45 columns.
  v.clientWidth = 300;
  dump::RecomputeRanges(v, kFont);
  EXPECT_EQ(v.lastFirstColumn, 45);
  // Growing the window pulls the first line and column back within range.
  v.firstLine = 7;
  v.firstColumn = 45;
  v.clientWidth = 702;  // exactly 78 columns
  v.clientHeight = dump::RoundedHeight(400, 16);
  dump::RecomputeRanges(v, kFont);
  EXPECT_EQ(v.lastFirstLine, 0);
  EXPECT_EQ(v.firstLine, 0);
  EXPECT_EQ(v.firstColumn, 0);
  EXPECT_EQ(v.visibleLines, 14);  // never more lines than the file has
  // No file: everything empty.
  dump::View none;
  none.clientWidth = 900;
  none.clientHeight = 112;
  dump::RecomputeRanges(none, kFont);
  EXPECT_EQ(none.lastFirstLine, 0);
  EXPECT_EQ(none.lastFirstColumn, 0);
  EXPECT_EQ(none.visibleLines, 0);
}

TEST(DumpLayout, StepsFollowTheTableAndAreClampedToTheRange) {
  dump::View v = Shown(78 * 100, 300, 100);  // 101 lines, 7 on show, last first line 94
  ASSERT_EQ(v.lastFirstLine, 94);
  auto move = [&](int request, std::int64_t thumb = 0) {
    std::int64_t step = dump::ClampStep(dump::VerticalStep(request, v, kFont, thumb), v.firstLine, v.lastFirstLine);
    v.firstLine += step;
    return step;
  };
  EXPECT_EQ(move(dump::kLineUp), 0);  // already at the top
  EXPECT_EQ(move(dump::kLineDown), 1);
  EXPECT_EQ(move(dump::kPageDown), 7);  // whole lines in the rounded-up height
  EXPECT_EQ(move(dump::kPageUp), -7);
  EXPECT_EQ(move(dump::kBottom), 93);
  EXPECT_EQ(move(dump::kPageDown), 0);  // at the end nothing moves
  EXPECT_EQ(move(dump::kTop), -94);
  EXPECT_EQ(move(dump::kThumbTrack, 50), 50);
  EXPECT_EQ(move(dump::kThumbPosition, 500), 44);  // a thumb past the end stops at it
  EXPECT_EQ(move(8 /* SB_ENDSCROLL */), 0);
  // A thumb anywhere at all stays within the range, with no overflow.
  EXPECT_EQ(move(dump::kThumbTrack, INT64_MIN), -94);
  EXPECT_EQ(move(dump::kThumbTrack, INT64_MAX), 94);
  EXPECT_EQ(dump::HorizontalStep(dump::kThumbTrack, v, INT64_MIN), 0);
  // A page is at least one line, even in a window lower than a line.
  dump::View tiny = Shown(78 * 100, 300, 0);
  tiny.clientHeight = 0;
  EXPECT_EQ(dump::VerticalStep(dump::kPageDown, tiny, kFont, 0), 1);

  // Columns: Left and Right page by 8; top and bottom mean nothing here.
  ASSERT_EQ(v.lastFirstColumn, 45);
  EXPECT_EQ(dump::HorizontalStep(dump::kPageDown, v, 0), 8);
  EXPECT_EQ(dump::HorizontalStep(dump::kPageUp, v, 0), -8);
  EXPECT_EQ(dump::HorizontalStep(dump::kTop, v, 0), 0);
  EXPECT_EQ(dump::HorizontalStep(dump::kBottom, v, 0), 0);
  EXPECT_EQ(dump::ClampStep(8, 40, 45), 5);
  EXPECT_EQ(dump::ClampStep(-8, 3, 45), -3);
}

TEST(DumpLayout, AFiveGibFileScrollsToItsEnd) {
  dump::View v = Shown(kFiveGiB, 1280, 900);
  std::int64_t lines = static_cast<std::int64_t>(dump::LineCount(kFiveGiB));
  EXPECT_EQ(v.lastFirstLine, lines - 57);  // 912 / 16 = 57 lines on show
  std::int64_t step = dump::ClampStep(dump::VerticalStep(dump::kBottom, v, kFont, 0), v.firstLine, v.lastFirstLine);
  EXPECT_EQ(step, v.lastFirstLine);
  v.firstLine += step;
  // The last page starts past 4 GiB and ends with the file's last bytes.
  EXPECT_GT(dump::LineOffset(v.firstLine), 0xFFFFFFFFull);
  EXPECT_GE(dump::LineOffset(v.firstLine + v.visibleLines), kFiveGiB);
  // Such a step moves everything out of sight: the window is drawn afresh
  // rather than scrolled by a pixel distance that does not fit an int.
  EXPECT_EQ(dump::ScrollPixels(step, 16, v.clientHeight), 0);
  EXPECT_EQ(dump::ScrollPixels(INT64_MIN + 1, 16, v.clientHeight), 0);
  EXPECT_EQ(dump::ScrollPixels(3, 16, v.clientHeight), -48);
  EXPECT_EQ(dump::ScrollPixels(-3, 16, v.clientHeight), 48);
  EXPECT_EQ(dump::ScrollPixels(57, 16, 912), 0);
}

TEST(DumpLayout, ScrollBarCarriesEveryLinePositionWithinItsIntRange) {
  // Small ranges are the bar's own positions.
  EXPECT_EQ(dump::BarMax(0), 0);
  EXPECT_EQ(dump::BarMax(-5), 0);
  EXPECT_EQ(dump::BarMax(94), 94);
  EXPECT_EQ(dump::ToBar(50, 94), 50);
  EXPECT_EQ(dump::FromBar(50, 94), 50);
  EXPECT_EQ(dump::FromBar(500, 94), 94);
  EXPECT_EQ(dump::FromBar(-1, 94), 0);
  // Past 65,535 lines the 16 bits a scroll message carries are not enough;
  // the bar still takes the position whole.
  EXPECT_EQ(dump::ToBar(70000, 100000), 70000);
  EXPECT_EQ(dump::FromBar(70000, 100000), 70000);

  // A 5 GiB file and one whose line count passes the signed 32-bit range:
  // spread over the bar, ends meeting ends, the middle in the middle.
  for (std::int64_t last : {std::int64_t(dump::LineCount(kFiveGiB)) - 57, std::int64_t(1) << 40,
                            INT64_MAX / 2}) {
    SCOPED_TRACE(last);
    int max = dump::BarMax(last);
    EXPECT_EQ(max, dump::kBarLimit);
    EXPECT_EQ(dump::ToBar(0, last), 0);
    EXPECT_EQ(dump::ToBar(last, last), max);
    EXPECT_EQ(dump::FromBar(0, last), 0);
    EXPECT_EQ(dump::FromBar(max, last), last);
    std::int64_t middle = dump::FromBar(max / 2, last);
    EXPECT_NEAR(double(middle) / double(last), 0.5, 1e-6);
    // Every bar position leads to a line that shows it again, and one line
    // further on does not go back.
    for (int bar : {1, 2, max / 3, max / 2, max - 1}) {
      std::int64_t line = dump::FromBar(bar, last);
      EXPECT_EQ(dump::ToBar(line, last), bar);
      EXPECT_GE(dump::ToBar(line + 1, last), bar);
      EXPECT_EQ(dump::ToBar(line - 1, last), bar - 1);
    }
  }
}
