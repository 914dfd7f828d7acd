// The dump viewer's layout and scroll arithmetic: how a file is cut into
// display lines, how many lines there are, how far the view may scroll and
// by how much each scroll request moves it, and how a line position is
// carried by a scroll bar whose range is a plain int. No window is touched
// here; glimso feeds these with what its window reports.
//
// Lengths, offsets and line positions are 64-bit: a file over 4 GiB is
// shown whole and scrolls to its end.
#pragma once
#include <cstddef>
#include <cstdint>

namespace dump {

// Bytes per display line, and columns of a shown file.
constexpr int kLineWidth = 78;

// Scroll requests, numbered as the scroll bar messages number them
// (SB_LINEUP ... SB_BOTTOM). Any other number asks for nothing.
enum Request : int {
  kLineUp = 0,
  kLineDown = 1,
  kPageUp = 2,
  kPageDown = 3,
  kThumbPosition = 4,
  kThumbTrack = 5,
  kTop = 6,
  kBottom = 7,
};

// Columns a horizontal page request moves.
constexpr int kColumnPage = 8;

// Display lines of a file of `length` bytes: (length + 77) / 78 + 1, the
// last one always empty. Never wraps, whatever the length.
std::uint64_t LineCount(std::uint64_t length);

// Offset of the first byte of display line `line` (line * 78).
std::uint64_t LineOffset(std::uint64_t line);

// How one byte is shown: 0x20 to 0x7E stand for themselves, every other
// byte (controls, NUL, 0x7F and all bytes above) is a blank.
char Shown(unsigned char byte);

// Writes the display line of the first min(available, 78) bytes into out
// (room for 78 characters, no terminator) and returns how many it wrote.
std::size_t FormatLine(const unsigned char* bytes, std::size_t available, char* out);

// What the window's display font measures, in pixels.
struct FontMetrics {
  int charWidth = 0;   // average character width
  int charHeight = 0;  // character height
  int lineHeight = 0;  // character height plus external leading
};

// The client height as kept: the new height rounded up to the next whole
// multiple of the character height, always above it (an exact multiple
// gains one more character height).
int RoundedHeight(int height, int charHeight);

// The view of one file in one window.
struct View {
  std::int64_t lineCount = 0;  // 0 while no file is shown
  int lineWidth = 0;           // 78 while a file is shown, else 0
  int clientWidth = 0;
  int clientHeight = 0;        // rounded up, see RoundedHeight
  std::int64_t firstLine = 0;
  std::int64_t lastFirstLine = 0;
  int firstColumn = 0;
  int lastFirstColumn = 0;
  std::int64_t visibleLines = 0;  // lines one paint draws
};

// Recomputes the largest first line and column for the client size, pulls
// the first line and column back within them, and the visible lines.
// Metrics of 0 (a font not measured yet) count as 1 pixel.
void RecomputeRanges(View& view, const FontMetrics& metrics);

// The step that keeps position + step within 0 ... last:
// max(-position, min(step, last - position)).
std::int64_t ClampStep(std::int64_t step, std::int64_t position, std::int64_t last);

// The unclamped step of a vertical or horizontal scroll request. `thumb` is
// the thumb's position as a line (vertical) or column (horizontal), used by
// kThumbPosition and kThumbTrack only.
std::int64_t VerticalStep(int request, const View& view, const FontMetrics& metrics, std::int64_t thumb);
std::int64_t HorizontalStep(int request, const View& view, std::int64_t thumb);

// ---- scroll bar positions ----
//
// A scroll bar's range and positions are ints, and its thumb arithmetic
// multiplies them by pixel distances. Up to kBarLimit a line position is
// its own bar position; beyond it the range 0 ... last is spread evenly
// over 0 ... kBarLimit. The mapping is monotonic, FromBar(ToBar-position)
// lands within one bar step of the position, ToBar(FromBar(bar)) == bar,
// and both ends meet: 0 <-> 0, last <-> BarMax(last).
constexpr int kBarLimit = 1 << 20;

// The bar's maximum for a largest position `last` (0 when last <= 0).
int BarMax(std::int64_t last);
// The bar position that shows `position` (clamped to 0 ... last).
int ToBar(std::int64_t position, std::int64_t last);
// The position a bar position (clamped to 0 ... BarMax) stands for.
std::int64_t FromBar(int bar, std::int64_t last);

// The pixel distance of a scroll by `step` units of `unit` pixels, for a
// window `clientExtent` pixels high (or wide); 0 when the step moves the
// whole client area out of sight, which is then drawn afresh instead.
int ScrollPixels(std::int64_t step, int unit, int clientExtent);

}  // namespace dump
