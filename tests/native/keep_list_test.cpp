// Cookie files as the keeper page reads and writes them: lines cut with
// their own ends, the header told from the cookies in files of this
// program, of the browser and of other programs, the keep file byte for
// byte, kept cookies matched, and what the lists show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cookies/keep_list.h"

namespace {

using Lines = std::vector<std::string>;
using cookies::CookieLines;
using cookies::Split;

const std::string kBrowserHeader =
    "# Netscape HTTP Cookie File\r\n# http://www.netscape.com/newsref/std/cookie_spec.html\r\n"
    "# This is a generated file!  Do not edit.\r\n\r\n";
const std::string kBank = ".bank.example\tTRUE\t/\tFALSE\t946684799\tsession\tb41\r\n";
const std::string kNews = ".news.example\tTRUE\t/\tFALSE\t946684799\tuser\tn22\r\n";

std::string Joined(const Lines& a, const Lines& b = {}) {
  std::string out;
  for (const std::string& l : a) out += l;
  for (const std::string& l : b) out += l;
  return out;
}

}  // namespace

TEST(KeepListSplit, BrowserFileDropsItsFourHeaderLinesAndKeepsEachLineEnd) {
  const std::string file = kBrowserHeader + kBank + kNews + ".shop.example\tTRUE\t/\tFALSE\t0\tcart\ts73";
  cookies::SplitFile split = Split(file);
  ASSERT_EQ(split.header.size(), 4u);
  EXPECT_EQ(split.header[3], "\r\n");
  EXPECT_EQ(split.lines, (Lines{kBank, kNews, ".shop.example\tTRUE\t/\tFALSE\t0\tcart\ts73"}));
  EXPECT_EQ(Joined(split.header, split.lines), file);

  // A line far past the old 1639-character limit is one cookie.
  const std::string longLine = ".big.example\tTRUE\t/\tFALSE\t0\tblob\t" + std::string(5000, 'x') + "\n";
  EXPECT_EQ(CookieLines(kBrowserHeader + longLine + kNews), (Lines{longLine, kNews}));
}

TEST(KeepListSplit, EmptyFilesAndHeadersOnly) {
  EXPECT_TRUE(Split("").header.empty());
  EXPECT_TRUE(Split("").lines.empty());
  EXPECT_TRUE(CookieLines(kBrowserHeader).empty());
  EXPECT_TRUE(CookieLines("# Netscape HTTP Cookie File\n").empty());
  EXPECT_TRUE(CookieLines("# Netscape HTTP Cookie File\n\n").empty());
  EXPECT_TRUE(CookieLines("# Netscape HTTP Cookie File").empty()) << "unended header line";
  EXPECT_TRUE(CookieLines(cookies::kKeepHeader).empty());
}

// Files other programs write: LF ends, a header of their own, cookies that
// scripts may not read marked "#HttpOnly_", comments further down.
TEST(KeepListSplit, FileOfAnotherProgram) {
  const std::string httpOnly = "#HttpOnly_.example.com\tFALSE\t/\tTRUE\t0\tname\tvalue\n";
  const std::string plain = "www.example.org\tFALSE\t/docs\tFALSE\t2147483647\tlang\ten\n";
  const std::string file =
      "# Netscape HTTP Cookie File\n"
      "# Written by a command-line transfer tool. Edit at your own risk.\n"
      "\n" +
      httpOnly +  // fourth line: a cookie, not header
      "# a comment between cookies\n" + plain + "\n" + "   \t\n" + httpOnly.substr(0, httpOnly.size() - 1);
  cookies::SplitFile split = Split(file);
  EXPECT_EQ(split.header.size(), 3u) << "the header ends at the first cookie";
  EXPECT_EQ(Joined(split.header, split.lines), file);
  EXPECT_EQ(CookieLines(file),
            (Lines{httpOnly, plain, httpOnly.substr(0, httpOnly.size() - 1)}))
      << "comments and blank lines are no cookies";

  EXPECT_EQ(CookieLines(std::string("#HTTPONLY_.example.com\tFALSE\t/\tTRUE\t0\tn\tv\n#HttpOnly\n#HttpOnly_")),
            (Lines{"#HTTPONLY_.example.com\tFALSE\t/\tTRUE\t0\tn\tv\n", "#HttpOnly_"}))
      << "the mark in any case; without its underscore it is a comment";
  // No header at all: the first line is a cookie all the same.
  EXPECT_EQ(CookieLines(plain + httpOnly), (Lines{plain, httpOnly}));
  // A fifth comment-like header line (a keep file written by hand) is no cookie.
  EXPECT_EQ(CookieLines(std::string(cookies::kKeepHeader) + "\r\r\n# note\r\n" + kBank), Lines{kBank});
}

TEST(KeepListKeepFile, HeaderThenEntriesAsHeldAndAnUnendedOneGetsItsEnd) {
  EXPECT_EQ(cookies::BuildKeepFile({}),
            "# Netscape HTTP Cookie File\r\r\n"
            "# http://www.netscape.com/newsref/std/cookie_spec.html\r\r\n"
            "# This is a generated file!  Do not edit.\r\r\n"
            "\r\r\n");
  const std::string lfOnly = "a.example\tFALSE\t/\tFALSE\t0\tk\tv\n";
  const std::string unended = "b.example\tFALSE\t/\tFALSE\t0\tk\tv";
  const std::string bytes = cookies::BuildKeepFile({unended, kBank, lfOnly, unended + "\r"});
  EXPECT_EQ(bytes, std::string(cookies::kKeepHeader) + unended + "\r\n" + kBank + lfOnly + unended + "\r\r\n");
  // Read back, the page lists the same cookies.
  EXPECT_EQ(CookieLines(bytes), (Lines{unended + "\r\n", kBank, lfOnly, unended + "\r\r\n"}));
}

// Kept and collected cookies are the same cookie whatever their letter
// case and line ends; other texts are not.
TEST(KeepListMatch, KeptCookiesAreNotOfferedAgain) {
  const std::string bankLf = ".bank.example\tTRUE\t/\tFALSE\t946684799\tsession\tb41\n";
  const std::string bankUpper = ".BANK.EXAMPLE\tTRUE\t/\tFALSE\t946684799\tSESSION\tB41";
  EXPECT_TRUE(cookies::SameCookie(kBank, bankLf));
  EXPECT_TRUE(cookies::SameCookie(bankUpper, kBank));
  EXPECT_TRUE(cookies::SameCookie(kBank + "\r", bankLf)) << "the keep file's CR CR LF";
  EXPECT_FALSE(cookies::SameCookie(kBank, ".bank.example\tTRUE\t/\tFALSE\t946684799\tsession\tb4\r\n"));
  EXPECT_FALSE(cookies::SameCookie(kBank, " " + kBank));
  EXPECT_FALSE(cookies::SameCookie("\xC4\n", "\xE4\n")) << "only ASCII letters fold";

  // Every copy of a kept cookie goes; the rest stay in order.
  EXPECT_EQ(cookies::NotKept({kNews, bankLf, bankUpper, kNews}, {kBank}), (Lines{kNews, kNews}));
  EXPECT_EQ(cookies::NotKept({kNews, kBank}, {}), (Lines{kNews, kBank}));
}

TEST(KeepListDisplay, NoLineEndsTabsStayFieldsAndColumns) {
  EXPECT_EQ(cookies::DisplayText(kBank), ".bank.example\tTRUE\t/\tFALSE\t946684799\tsession\tb41");
  EXPECT_EQ(cookies::DisplayText("a\rb\tc\r\r\n"), "a b\tc");
  EXPECT_EQ(cookies::DisplayText("\r\n"), "");
  EXPECT_EQ(cookies::Fields(kBank).size(), 7u);
  EXPECT_EQ(cookies::Fields(kBank)[6], "b41");
  EXPECT_EQ(cookies::Fields("a\t\tb\n"), (std::vector<std::string_view>{"a", "", "b"}));

  // Columns as wide as their widest field (up to the limit) plus the gap;
  // a row's last field makes no column.
  EXPECT_EQ(cookies::ColumnStops({{10, 4, 99}, {30, 6}, {500, 2, 7, 1}}, 5, 100),
            (std::vector<int>{105, 114, 126}));
  EXPECT_TRUE(cookies::ColumnStops({{10}, {20}}, 5, 100).empty());
  std::vector<std::vector<int>> wide(1, std::vector<int>(100, 1));
  EXPECT_EQ(cookies::ColumnStops(wide, 0, -1).size(), cookies::kMaxColumns) << "gap at least 1";
}

// Counting in pieces gives what the whole file gives, wherever the pieces
// are cut: inside "#HttpOnly_", between a CR and its LF, in a blank line.
TEST(KeepList, CookiesCountedInPiecesAsInWholeFiles) {
  const std::string files[] = {
      "",
      std::string(cookies::kKeepHeader) + "a.example\tFALSE\t/\tFALSE\t0\tk\tv\r\r\n",
      "# Netscape HTTP Cookie File\n#HttpOnly_b.example\tTRUE\t/\tFALSE\t0\tk\tv\n \t\n# note\nlast\tline",
      "#httponly_c.example\tx\r\n#Http\n\n\n\nd.example\tx\n   \r\n#HttpOnly_\n",
  };
  for (const std::string& file : files) {
    const std::size_t whole = cookies::CookieLines(file).size();
    for (std::size_t cut = 1; cut <= file.size() + 1; ++cut) {
      cookies::CookieCounter counter;
      for (std::size_t at = 0; at < file.size(); at += cut) counter.Feed(std::string_view(file).substr(at, cut));
      EXPECT_EQ(counter.Count(), whole) << "pieces of " << cut << " in:\n" << file;
    }
  }
}
