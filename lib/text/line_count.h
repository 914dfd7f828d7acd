// Counting the lines of a text that arrives in pieces (a file read in
// chunks): every line, and the lines holding a given text. A line ends at
// LF (so CR LF ends it too); a last line without an end counts as well; a
// line of any length counts once, and a text split between two pieces is
// still found.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace text {

class LineCounter {
 public:
  // `needle` is the text a matching line holds (letter case matters); an
  // empty one is held by every line.
  explicit LineCounter(std::string needle = std::string());

  void Feed(std::string_view piece);

  // Lines seen so far, an unended last one included.
  std::uint64_t Lines() const { return ended_ + (open_ ? 1 : 0); }
  // Those of them that hold the needle.
  std::uint64_t Matching() const { return matched_ + (open_ && openMatched_ ? 1 : 0); }

 private:
  void Take(std::string_view segment);  // part of one line, without its LF

  std::string needle_;
  std::string tail_;  // the open line's last needle-size - 1 bytes
  std::uint64_t ended_ = 0, matched_ = 0;
  bool open_ = false;         // a line has begun and not ended
  bool openMatched_ = false;  // and holds the needle
};

}  // namespace text
