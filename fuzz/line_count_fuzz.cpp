// libFuzzer target: any text fed to the line counter in pieces of any sizes
// gives the counts of the whole text read at once, by a plain reading of
// the rule (lines end at LF, an unended last line counts, a matching line
// holds the needle anywhere).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/line_count.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  // The first byte picks the needle's length, the second the piece sizes.
  std::size_t needleLength = data[0] % 6;
  unsigned pieceSeed = data[1];
  std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
  std::string needle(rest.substr(0, needleLength));
  if (needle.find('\n') != std::string::npos) needle.clear();
  std::string_view text = rest.substr(std::min(needleLength, rest.size()));

  std::uint64_t lines = 0, matching = 0;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t lf = text.find('\n', at);
    std::size_t end = lf == std::string_view::npos ? text.size() : lf;
    std::string_view line = text.substr(at, end - at);
    ++lines;
    if (needle.empty() || line.find(needle) != std::string_view::npos) ++matching;
    at = lf == std::string_view::npos ? text.size() : lf + 1;
    if (lf != std::string_view::npos && at == text.size()) break;
  }
  text::LineCounter whole(needle), pieces(needle);
  whole.Feed(text);
  for (std::size_t at = 0, n = 0; at < text.size(); ++n) {
    std::size_t step = 1 + (pieceSeed * 31 + n * 17) % 13;
    pieces.Feed(text.substr(at, step));
    at += step;
  }
  Check(whole.Lines() == lines);
  Check(whole.Matching() == matching);
  Check(pieces.Lines() == lines && pieces.Matching() == matching);
  Check(whole.Matching() <= whole.Lines());
  return 0;
}
