// libFuzzer target: the input is a cookie file, as the keeper page reads
// it from the browser or from the keep file. Checked:
//   - the header and the lines after it, joined, are the input; the header
//     is at most four lines, none of them a cookie, and it is shorter only
//     when the file ends or a cookie follows; every line but the file's
//     last ends with its only LF;
//   - the cookies are exactly the lines after the header that are neither
//     blank nor comments;
//   - the keep file built from the cookies starts with exactly the four
//     header lines, has one line end per header line and cookie (no two
//     cookies share a line), and read back gives every cookie whole, an
//     unended one with the CR LF it was given; the same with the cookies'
//     line ends taken off by the input's first byte as a mask;
//   - a kept cookie is never offered again and nothing else is taken away,
//     whatever its case and line end;
//   - a list's text has no CR or LF, and is the line without its end.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cookies/keep_list.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

std::size_t CountLf(std::string_view s) {
  std::size_t n = 0;
  for (char c : s) n += c == '\n';
  return n;
}

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return s;
}

void CheckSplit(const std::string& input, const cookies::SplitFile& split) {
  std::string joined;
  for (const std::string& l : split.header) joined += l;
  for (const std::string& l : split.lines) joined += l;
  Check(joined == input);
  Check(split.header.size() <= cookies::kHeaderLines);
  for (const std::string& l : split.header) Check(!cookies::IsCookieLine(l));
  if (split.header.size() < cookies::kHeaderLines && !split.lines.empty())
    Check(cookies::IsCookieLine(split.lines.front()));
  std::vector<const std::string*> all;
  for (const std::string& l : split.header) all.push_back(&l);
  for (const std::string& l : split.lines) all.push_back(&l);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const std::string& l = *all[i];
    Check(!l.empty());
    Check(l.find('\n') == (i + 1 == all.size() && l.back() != '\n' ? std::string::npos : l.size() - 1));
  }
}

void CheckKeepFile(const std::vector<std::string>& entries) {
  const std::string keep = cookies::BuildKeepFile(entries);
  const std::string header = cookies::kKeepHeader;
  Check(keep.compare(0, header.size(), header) == 0);
  Check(CountLf(keep) == cookies::kHeaderLines + entries.size());
  Check(!keep.empty() && keep.back() == '\n');
  cookies::SplitFile back = cookies::Split(keep);
  Check(back.header.size() == cookies::kHeaderLines);
  std::string headerBack;
  for (const std::string& l : back.header) headerBack += l;
  Check(headerBack == header);
  Check(back.lines.size() == entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::string& e = entries[i];
    const bool ended = !e.empty() && e.back() == '\n';
    Check(back.lines[i] == (ended ? e : e + "\r\n"));
    Check(cookies::SameCookie(back.lines[i], e));
  }
  Check(cookies::CookieLines(keep) == back.lines);
}

void CheckNotKept(const std::vector<std::string>& lines) {
  // Keep every other cookie, in upper case and without its line end.
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < lines.size(); i += 2)
    kept.push_back(Upper(std::string(cookies::WithoutLineEnd(lines[i]))));
  const std::vector<std::string> left = cookies::NotKept(lines, kept);
  std::size_t at = 0;
  for (const std::string& l : lines) {
    bool isKept = false;
    for (const std::string& k : kept) isKept = isKept || cookies::SameCookie(l, k);
    if (isKept) continue;
    Check(at < left.size() && left[at] == l);
    ++at;
  }
  Check(at == left.size());
  for (std::size_t i = 0; i < lines.size(); i += 2) Check(cookies::SameCookie(lines[i], kept[i / 2]));
  Check(cookies::NotKept(lines, lines).empty());
  Check(cookies::NotKept(lines, {}) == lines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const cookies::SplitFile split = cookies::Split(input);
  CheckSplit(input, split);

  std::vector<std::string> expected;
  for (const std::string& l : split.lines)
    if (!cookies::IsBlankLine(l) && !cookies::IsCommentLine(l)) expected.push_back(l);
  const std::vector<std::string> lines = cookies::CookieLines(input);
  Check(lines == expected);

  // Counted in pieces (cut where the input's own bytes say), the count is
  // the same as the whole file's.
  cookies::CookieCounter counter;
  std::size_t step = size ? 1 + data[size - 1] % 7 : 1;
  for (std::size_t at = 0; at < input.size(); at += step)
    counter.Feed(std::string_view(input).substr(at, step));
  Check(counter.Count() == lines.size());

  CheckKeepFile(lines);
  // Entries whose line ends are gone (one bit of the first byte per entry).
  const unsigned mask = size ? data[0] : 0;
  std::vector<std::string> bare = lines;
  for (std::size_t i = 0; i < bare.size(); ++i)
    if (mask & (1u << (i % 8))) bare[i] = std::string(cookies::WithoutLineEnd(bare[i]));
  CheckKeepFile(bare);

  // Pair by pair below: a few hundred cookies are what a browser holds.
  CheckNotKept(std::vector<std::string>(lines.begin(), lines.begin() + std::min<std::size_t>(lines.size(), 256)));

  for (const std::string& l : split.lines) {
    const std::string text = cookies::DisplayText(l);
    Check(text.find_first_of("\r\n") == std::string::npos);
    Check(text.size() == cookies::WithoutLineEnd(l).size());
    const std::vector<std::string_view> fields = cookies::Fields(l);
    std::size_t total = fields.size() - 1;
    for (std::string_view f : fields) total += f.size();
    Check(total == text.size());
  }
  return 0;
}
