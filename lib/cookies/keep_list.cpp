#include "cookies/keep_list.h"

#include <algorithm>

namespace cookies {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

}  // namespace

bool IsBlankLine(std::string_view line) {
  return line.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

bool IsCommentLine(std::string_view line) {
  if (line.empty() || line[0] != '#') return false;
  // The prefix in any letter case, as kept cookies are matched.
  constexpr std::size_t n = sizeof kHttpOnlyPrefix - 1;
  return !(line.size() >= n && SameCookie(line.substr(0, n), kHttpOnlyPrefix));
}

bool IsCookieLine(std::string_view line) { return !IsBlankLine(line) && !IsCommentLine(line); }

SplitFile Split(std::string_view bytes) {
  SplitFile file;
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t end = bytes.find('\n', at);
    end = end == std::string_view::npos ? bytes.size() : end + 1;
    std::string_view line = bytes.substr(at, end - at);
    if (file.lines.empty() && file.header.size() < kHeaderLines && !IsCookieLine(line))
      file.header.emplace_back(line);
    else
      file.lines.emplace_back(line);
    at = end;
  }
  return file;
}

std::vector<std::string> CookieLines(std::string_view bytes) {
  std::vector<std::string> lines = Split(bytes).lines;
  lines.erase(std::remove_if(lines.begin(), lines.end(), [](const std::string& l) { return !IsCookieLine(l); }),
              lines.end());
  return lines;
}

bool CookieCounter::OpenIsCookie() const { return !blank_ && !IsCommentLine(head_); }

void CookieCounter::Feed(std::string_view piece) {
  constexpr std::size_t kHead = sizeof kHttpOnlyPrefix - 1;
  for (std::size_t at = 0; at < piece.size();) {
    std::size_t end = piece.find('\n', at);
    std::string_view part = piece.substr(at, (end == std::string_view::npos ? piece.size() : end) - at);
    if (!part.empty()) open_ = true;
    if (head_.size() < kHead) head_.append(part.substr(0, kHead - head_.size()));
    if (blank_ && !IsBlankLine(part)) blank_ = false;
    if (end == std::string_view::npos) break;
    // The line ends here, its LF included.
    if (OpenIsCookie()) ++count_;
    head_.clear();
    blank_ = true;
    open_ = false;
    at = end + 1;
  }
}

std::string BuildKeepFile(const std::vector<std::string>& entries) {
  std::string bytes = kKeepHeader;
  for (const std::string& e : entries) {
    bytes += e;
    if (e.empty() || e.back() != '\n') bytes += "\r\n";
  }
  return bytes;
}

std::string_view WithoutLineEnd(std::string_view line) {
  std::size_t keep = line.find_last_not_of("\r\n");
  return line.substr(0, keep == std::string_view::npos ? 0 : keep + 1);
}

bool SameCookie(std::string_view a, std::string_view b) {
  a = WithoutLineEnd(a);
  b = WithoutLineEnd(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  return true;
}

std::vector<std::string> NotKept(const std::vector<std::string>& collected, const std::vector<std::string>& kept) {
  // Keyed by the folded text, so a long list is not compared pair by pair.
  std::vector<std::string> keys;
  keys.reserve(kept.size());
  for (const std::string& k : kept) {
    std::string key(WithoutLineEnd(k));
    for (char& c : key) c = AsciiLower(c);
    keys.push_back(std::move(key));
  }
  std::sort(keys.begin(), keys.end());
  std::vector<std::string> left;
  for (const std::string& c : collected) {
    std::string key(WithoutLineEnd(c));
    for (char& ch : key) ch = AsciiLower(ch);
    if (!std::binary_search(keys.begin(), keys.end(), key)) left.push_back(c);
  }
  return left;
}

std::string DisplayText(std::string_view line) {
  std::string text(WithoutLineEnd(line));
  std::replace(text.begin(), text.end(), '\r', ' ');
  return text;
}

std::vector<std::string_view> Fields(std::string_view line) {
  line = WithoutLineEnd(line);
  std::vector<std::string_view> fields;
  for (std::size_t at = 0;;) {
    std::size_t tab = line.find('\t', at);
    fields.push_back(line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
    if (tab == std::string_view::npos) return fields;
    at = tab + 1;
  }
}

std::vector<int> ColumnStops(const std::vector<std::vector<int>>& widths, int gap, int widest) {
  gap = std::clamp(gap, 1, kMaxColumnWidth);
  widest = std::clamp(widest, 0, kMaxColumnWidth);
  // A column boundary follows every field but a row's last.
  std::vector<int> column;
  for (const std::vector<int>& row : widths)
    for (std::size_t f = 0; f + 1 < row.size() && f < kMaxColumns; ++f) {
      if (column.size() <= f) column.push_back(0);
      column[f] = std::max(column[f], std::min(std::max(row[f], 0), widest));
    }
  std::vector<int> stops;
  int at = 0;
  for (int w : column) {
    at += w + gap;
    stops.push_back(at);
  }
  return stops;
}

}  // namespace cookies
