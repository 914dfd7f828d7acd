// Cookie files in the browser's text layout, as the cookie keeper page
// reads and writes them: one cookie per line, fields separated by tabs,
// a few header lines at the top. No file is touched here.
//
// A line is held raw: its bytes as read, its line end (LF, CR LF, or the
// CR CR LF this program writes) included; only the last line of a file
// may lack one. Lines are cut at LF alone, and a line of any length is
// one line. What the page stores, compares and writes is always the raw
// line; the text a list shows is made from it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cookies {

// The keep file's header, byte for byte: four lines ended by CR CR LF.
constexpr char kKeepHeader[] =
    "# Netscape HTTP Cookie File\r\r\n"
    "# http://www.netscape.com/newsref/std/cookie_spec.html\r\r\n"
    "# This is a generated file!  Do not edit.\r\r\n"
    "\r\r\n";
constexpr std::size_t kHeaderLines = 4;

// Newer programs write a cookie that scripts may not read with this prefix
// in front of its domain. Such a line looks like a comment but is a cookie.
constexpr char kHttpOnlyPrefix[] = "#HttpOnly_";

// A line that holds nothing but blanks, tabs and line-end characters.
bool IsBlankLine(std::string_view line);
// A comment: a line starting with "#" that is no "#HttpOnly_" cookie (the
// prefix in any letter case).
bool IsCommentLine(std::string_view line);
// A line that may be a cookie: neither blank nor a comment.
bool IsCookieLine(std::string_view line);

// A file's bytes cut into raw lines. `header` is the file's header: its
// first four lines, except that the header ends early at a line that is a
// cookie (files written by hand or by other programs may have a shorter
// header, and a cookie there must not vanish). `lines` is everything after
// the header, one raw line each. header + lines, joined, are the bytes.
struct SplitFile {
  std::vector<std::string> header;
  std::vector<std::string> lines;
};
SplitFile Split(std::string_view bytes);

// The cookies of a file: the lines after its header that are cookies.
// Comment lines and blank lines further down are no cookies and are left
// out; the page never lists them, so the clean run's copy of the keep
// file leaves them out too.
std::vector<std::string> CookieLines(std::string_view bytes);

// Counts the cookies of a file that arrives in pieces (a file read in
// chunks, however large), exactly as CookieLines counts them: a header
// line is never a cookie, so every line that is a cookie counts. Memory
// stays the same whatever the length of a line.
class CookieCounter {
 public:
  void Feed(std::string_view piece);
  // The cookies seen so far, an unended last line included.
  std::size_t Count() const { return count_ + (open_ && OpenIsCookie() ? 1 : 0); }

 private:
  bool OpenIsCookie() const;
  std::string head_;  // the open line's first bytes, as many as tell a comment
  bool blank_ = true;  // the open line holds blanks, tabs and line ends only
  bool open_ = false;  // a line has begun and not ended
  std::size_t count_ = 0;
};

// The keep file for `entries` in their order: kKeepHeader, then every
// entry exactly as held. An entry without a line end (a file's unended
// last line) gets CR LF, so no two cookies ever share a line.
std::string BuildKeepFile(const std::vector<std::string>& entries);

// The line without the CR and LF characters it ends with.
std::string_view WithoutLineEnd(std::string_view line);

// Whether two lines hold the same cookie: the same text, letter case
// (ASCII) aside, whatever line end each has. A cookie kept from a CR LF
// file is the same cookie as in a browser file with LF ends.
bool SameCookie(std::string_view a, std::string_view b);

// The collected cookies that are not kept already, in their order: every
// entry that is SameCookie with some kept entry is left out.
std::vector<std::string> NotKept(const std::vector<std::string>& collected,
                                 const std::vector<std::string>& kept);

// The text a list shows for a line: without its line end, and with any
// other CR (which a list would draw as a glyph) shown as a blank. Tabs
// stay: the lists expand them to columns.
std::string DisplayText(std::string_view line);

// The line's tab-separated fields, line end left out.
std::vector<std::string_view> Fields(std::string_view line);

// Tab stops that line the fields of all rows up in columns. widths[r][f]
// is the width of field f of row r. Each stop is where a column starts:
// the previous column's start plus its widest field (at most `widest`)
// plus `gap`. One stop per column boundary present in any row, strictly
// increasing; empty when no row has a tab. At most kMaxColumns stops (a
// cookie has seven fields; tabs past the last stop are the list's own
// business); gap and widest count as at most kMaxColumnWidth.
constexpr std::size_t kMaxColumns = 16;
constexpr int kMaxColumnWidth = 100000;
std::vector<int> ColumnStops(const std::vector<std::vector<int>>& widths, int gap, int widest);

}  // namespace cookies
