#include "dump/layout.h"

#include <algorithm>
#include <climits>

namespace dump {

namespace {

// The products below can pass 64 bits (a line position of a huge file
// times a bar position), and the 32-bit builds have no 128-bit integer:
// a product is carried as two 64-bit halves.
struct Wide {
  std::uint64_t hi;
  std::uint64_t lo;
};

Wide Multiply(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t mask = 0xFFFFFFFFu;
  std::uint64_t a0 = a & mask, a1 = a >> 32, b0 = b & mask, b1 = b >> 32;
  std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  std::uint64_t mid = (p00 >> 32) + (p01 & mask) + (p10 & mask);
  return {p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (p00 & mask) | (mid << 32)};
}

// a * b / c, rounded down or up; the quotient must fit 64 bits (it does
// here: one factor over the divisor is at most 1).
std::uint64_t MulDiv(std::uint64_t a, std::uint64_t b, std::uint64_t c, bool roundUp) {
  Wide n = Multiply(a, b);
  std::uint64_t rem = n.hi, lo = n.lo, q = 0;
  for (int i = 0; i < 64; ++i) {
    bool carry = (rem >> 63) != 0;
    rem = (rem << 1) | (lo >> 63);
    lo <<= 1;
    q <<= 1;
    if (carry || rem >= c) {
      rem -= c;
      q |= 1;
    }
  }
  return (roundUp && rem != 0) ? q + 1 : q;
}

int AtLeastOne(int v) { return v < 1 ? 1 : v; }

}  // namespace

std::uint64_t LineCount(std::uint64_t length) {
  // (length + 77) / 78 + 1, without the sum wrapping near 2^64.
  return length / kLineWidth + (length % kLineWidth != 0 ? 1 : 0) + 1;
}

std::uint64_t LineOffset(std::uint64_t line) { return line * kLineWidth; }

char Shown(unsigned char byte) { return (byte >= 0x20 && byte <= 0x7E) ? static_cast<char>(byte) : ' '; }

std::size_t FormatLine(const unsigned char* bytes, std::size_t available, char* out) {
  std::size_t n = std::min<std::size_t>(available, kLineWidth);
  for (std::size_t i = 0; i < n; ++i) out[i] = Shown(bytes[i]);
  return n;
}

int RoundedHeight(int height, int charHeight) {
  std::int64_t ch = AtLeastOne(charHeight);
  std::int64_t rounded = ch * (std::int64_t(height) / ch + 1);
  return static_cast<int>(std::min<std::int64_t>(rounded, INT_MAX));
}

void RecomputeRanges(View& view, const FontMetrics& metrics) {
  std::int64_t rows = view.clientHeight / AtLeastOne(metrics.lineHeight);
  view.lastFirstLine = std::max<std::int64_t>(view.lineCount - rows, 0);
  view.firstLine = std::min(view.firstLine, view.lastFirstLine);
  int columns = view.clientWidth / AtLeastOne(metrics.charWidth);
  view.lastFirstColumn = std::max(view.lineWidth - columns, 0);
  view.firstColumn = std::min(view.firstColumn, view.lastFirstColumn);
  view.visibleLines = std::min(rows, view.lineCount);
}

std::int64_t ClampStep(std::int64_t step, std::int64_t position, std::int64_t last) {
  return std::max(-position, std::min(step, last - position));
}

std::int64_t VerticalStep(int request, const View& view, const FontMetrics& metrics, std::int64_t thumb) {
  std::int64_t page = std::max<std::int64_t>(view.clientHeight / AtLeastOne(metrics.lineHeight), 1);
  switch (request) {
    case kLineUp: return -1;
    case kLineDown: return 1;
    case kPageUp: return -page;
    case kPageDown: return page;
    case kThumbPosition:
    case kThumbTrack: return std::clamp<std::int64_t>(thumb, 0, std::max<std::int64_t>(view.lastFirstLine, 0)) - view.firstLine;
    case kTop: return -view.firstLine;
    case kBottom: return view.lastFirstLine - view.firstLine;
    default: return 0;
  }
}

std::int64_t HorizontalStep(int request, const View& view, std::int64_t thumb) {
  switch (request) {
    case kLineUp: return -1;
    case kLineDown: return 1;
    case kPageUp: return -kColumnPage;
    case kPageDown: return kColumnPage;
    case kThumbPosition:
    case kThumbTrack: return std::clamp<std::int64_t>(thumb, 0, std::max<std::int64_t>(view.lastFirstColumn, 0)) - view.firstColumn;
    default: return 0;  // the horizontal bar has no top and bottom
  }
}

int BarMax(std::int64_t last) {
  if (last <= 0) return 0;
  return static_cast<int>(std::min<std::int64_t>(last, kBarLimit));
}

int ToBar(std::int64_t position, std::int64_t last) {
  if (last <= 0) return 0;
  position = std::clamp<std::int64_t>(position, 0, last);
  if (last <= kBarLimit) return static_cast<int>(position);
  return static_cast<int>(MulDiv(std::uint64_t(position), kBarLimit, std::uint64_t(last), false));
}

std::int64_t FromBar(int bar, std::int64_t last) {
  if (last <= 0) return 0;
  std::int64_t b = std::clamp<std::int64_t>(bar, 0, BarMax(last));
  if (last <= kBarLimit) return b;
  // Rounded up, so that the line found maps back onto the same bar position.
  return static_cast<std::int64_t>(MulDiv(std::uint64_t(b), std::uint64_t(last), kBarLimit, true));
}

int ScrollPixels(std::int64_t step, int unit, int clientExtent) {
  // A unit is at least one pixel: a step of the client's extent or more
  // moves everything out of sight (and may be far too large to multiply).
  if (step >= clientExtent || -step >= clientExtent) return 0;
  std::int64_t distance = step * std::int64_t(AtLeastOne(unit));
  if (distance >= clientExtent || -distance >= clientExtent) return 0;
  return static_cast<int>(-distance);
}

}  // namespace dump
