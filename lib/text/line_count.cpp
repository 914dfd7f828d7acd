#include "text/line_count.h"

#include <utility>

namespace text {

LineCounter::LineCounter(std::string needle) : needle_(std::move(needle)) {}

void LineCounter::Take(std::string_view segment) {
  if (segment.empty()) return;
  open_ = true;
  if (openMatched_) return;
  if (needle_.empty()) {
    openMatched_ = true;
    return;
  }
  // Across the seam with what came before, then within the segment.
  std::size_t keep = needle_.size() - 1;
  std::string seam = tail_;
  seam.append(segment.substr(0, keep));
  if (seam.find(needle_) != std::string::npos || segment.find(needle_) != std::string_view::npos) {
    openMatched_ = true;
    return;
  }
  tail_.append(segment.size() > keep ? segment.substr(segment.size() - keep) : segment);
  if (tail_.size() > keep) tail_.erase(0, tail_.size() - keep);
}

void LineCounter::Feed(std::string_view piece) {
  while (!piece.empty()) {
    std::size_t lf = piece.find('\n');
    if (lf == std::string_view::npos) {
      Take(piece);
      return;
    }
    Take(piece.substr(0, lf));
    ++ended_;
    if (openMatched_ || needle_.empty()) ++matched_;
    open_ = openMatched_ = false;
    tail_.clear();
    piece.remove_prefix(lf + 1);
  }
}

}  // namespace text
