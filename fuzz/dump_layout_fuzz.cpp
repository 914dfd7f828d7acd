// libFuzzer target: the dump viewer's layout and scroll arithmetic.
//
// The first 40 bytes choose a file length, a client size, font metrics, a
// first line and column, a scroll request and a bar position; the rest are
// the file's bytes. Checked:
//   - a display line has min(n, 78) characters, each printable ASCII, each
//     the byte itself when printable and a blank otherwise;
//   - the line count covers the file exactly: one line more than the lines
//     the bytes fill, the last of them holding the final bytes;
//   - recomputed ranges keep 0 <= first <= last for lines and columns, and
//     the visible lines within the client height and the line count;
//   - a clamped step of any request keeps the position within 0 ... last;
//   - bar positions stay within 0 ... BarMax <= kBarLimit, the mapping is
//     monotonic, a bar position maps back onto itself and the ends meet;
//   - a scroll distance is either 0 (draw afresh) or less than the client.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "dump/layout.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

template <typename T>
T Take(const std::uint8_t*& data, std::size_t& size) {
  T v{};
  std::size_t n = std::min(sizeof v, size);
  std::memcpy(&v, data, n);
  data += n;
  size -= n;
  return v;
}

void CheckLine(const std::uint8_t* bytes, std::size_t size) {
  char out[dump::kLineWidth];
  std::size_t n = dump::FormatLine(bytes, size, out);
  Check(n == std::min<std::size_t>(size, dump::kLineWidth));
  for (std::size_t i = 0; i < n; ++i) {
    Check(out[i] >= 0x20 && out[i] <= 0x7E);
    bool printable = bytes[i] >= 0x20 && bytes[i] <= 0x7E;
    Check(out[i] == (printable ? char(bytes[i]) : ' '));
  }
}

void CheckCount(std::uint64_t length) {
  std::uint64_t lines = dump::LineCount(length);
  Check(lines >= 1);
  // Lines 0 ... lines-2 hold the bytes, the last line is empty.
  std::uint64_t filled = lines - 1;
  Check(length == 0 ? filled == 0 : filled == (length - 1) / 78 + 1);
  if (length < UINT64_MAX) Check(dump::LineCount(length + 1) >= lines);
}

void CheckBar(std::int64_t last, std::int64_t position, int bar) {
  int max = dump::BarMax(last);
  Check(max >= 0 && max <= dump::kBarLimit);
  Check(max == (last <= 0 ? 0 : std::min<std::int64_t>(last, dump::kBarLimit)));
  int b = dump::ToBar(position, last);
  Check(b >= 0 && b <= max);
  std::int64_t l = dump::FromBar(bar, last);
  Check(l >= 0 && l <= std::max<std::int64_t>(last, 0));
  if (last <= 0) return;
  Check(dump::ToBar(0, last) == 0 && dump::ToBar(last, last) == max);
  Check(dump::FromBar(0, last) == 0 && dump::FromBar(max, last) == last);
  int clampedBar = std::clamp(bar, 0, max);
  Check(dump::ToBar(l, last) == clampedBar);
  std::int64_t p = std::clamp<std::int64_t>(position, 0, last);
  if (p < last) Check(dump::ToBar(p + 1, last) >= b);
  if (clampedBar < max) Check(dump::FromBar(clampedBar + 1, last) > l);
  // Back and forth lands on the position or before it, never past it.
  Check(dump::FromBar(b, last) <= p);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint64_t length = Take<std::uint64_t>(data, size);
  std::uint16_t width = Take<std::uint16_t>(data, size);
  std::uint16_t height = Take<std::uint16_t>(data, size);
  std::int8_t charWidth = Take<std::int8_t>(data, size);
  std::int8_t charHeight = Take<std::int8_t>(data, size);
  std::int8_t leading = Take<std::int8_t>(data, size);
  std::uint8_t request = Take<std::uint8_t>(data, size);
  std::uint64_t first = Take<std::uint64_t>(data, size);
  std::uint8_t column = Take<std::uint8_t>(data, size);
  std::int32_t bar = Take<std::int32_t>(data, size);
  std::int64_t thumb = Take<std::int64_t>(data, size);
  std::uint8_t shift = Take<std::uint8_t>(data, size);

  CheckLine(data, size);
  CheckCount(length >> (shift % 64));
  CheckCount(size);

  dump::FontMetrics font{charWidth, charHeight, charHeight + leading};
  dump::View v;
  v.lineCount = static_cast<std::int64_t>(dump::LineCount(length >> 8));  // up to 2^56 bytes
  v.lineWidth = dump::kLineWidth;
  v.clientWidth = width;
  v.clientHeight = dump::RoundedHeight(height, charHeight);
  Check(v.clientHeight > height);
  v.firstLine = static_cast<std::int64_t>(first >> 2);
  v.firstColumn = column;
  dump::RecomputeRanges(v, font);
  // A client lower than one line shows none: the last first line is then
  // the line count itself.
  Check(v.lastFirstLine >= 0 && v.lastFirstLine <= v.lineCount);
  Check(v.firstLine >= 0 && v.firstLine <= v.lastFirstLine);
  Check(v.lastFirstColumn >= 0 && v.lastFirstColumn <= dump::kLineWidth);
  Check(v.firstColumn >= 0 && v.firstColumn <= v.lastFirstColumn);
  Check(v.visibleLines >= 0 && v.visibleLines <= v.lineCount);
  Check(v.visibleLines * std::max(1, int(font.lineHeight)) <= v.clientHeight);

  std::int64_t vstep = dump::ClampStep(dump::VerticalStep(request % 10, v, font, thumb), v.firstLine, v.lastFirstLine);
  Check(v.firstLine + vstep >= 0 && v.firstLine + vstep <= v.lastFirstLine);
  std::int64_t hstep = dump::ClampStep(dump::HorizontalStep(request % 10, v, thumb % 200), v.firstColumn,
                                       v.lastFirstColumn);
  Check(v.firstColumn + hstep >= 0 && v.firstColumn + hstep <= v.lastFirstColumn);
  int pixels = dump::ScrollPixels(vstep, font.lineHeight, v.clientHeight);
  Check(pixels == 0 || (pixels < v.clientHeight && -pixels < v.clientHeight));
  if (pixels != 0) Check(pixels == -vstep * std::max(1, int(font.lineHeight)));

  CheckBar(v.lastFirstLine, v.firstLine + vstep, bar);
  CheckBar(static_cast<std::int64_t>(first >> (shift % 64)), thumb, bar);
  return 0;
}
