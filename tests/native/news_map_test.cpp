// The news reader's map file: the text built from the server folders, and
// the subscription-file paths read back out of a map's text, including
// maps that were damaged or written to lead the wipe elsewhere.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "news/fat_map.h"
#include "text/paths.h"

namespace {

using Paths = std::vector<std::string>;

constexpr char kNewsDir[] = "C:\\Netscape\\Users\\mary\\news";

// The map text the way the viewer reads it: line ends left out.
std::string WithoutLineEnds(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != '\r' && c != '\n') out += c;
  return out;
}

// Every way the program reads a map must give the same paths.
void ExpectPathsEveryWay(const std::string& map, const Paths& expected) {
  EXPECT_EQ(news::FatMapPaths(map), expected) << "as written";
  EXPECT_EQ(news::FatMapPaths(" " + map), expected) << "with the cleaner's leading blank";
  EXPECT_EQ(news::FatMapPaths(WithoutLineEnds(map)), expected) << "without CR and LF";
  EXPECT_EQ(news::FatMapPaths(" " + WithoutLineEnds(map)), expected) << "both";
}

}  // namespace

TEST(NewsMapBuild, TwoServerFoldersInListingOrderByteForByte) {
  // Listing order is kept even where it is not alphabetical.
  const std::string map = news::BuildFatMap(kNewsDir, {"host-news.zeta.org", "host-news.alpha.com"});
  EXPECT_EQ(map,
            "netscape-newsrc-map-file\r\n"
            "newsrc-news.zeta.org\tC:\\Netscape\\Users\\mary\\news\\news.rc\tFALSE\r\n"
            "newsrc-news.alpha.com\tC:\\Netscape\\Users\\mary\\news\\news1.rc\tFALSE\r\n"
            "\r\n");
}

TEST(NewsMapBuild, ServerIsTheTextAfterTheFirstDash) {
  EXPECT_EQ(news::ServerOf("host-news"), "news");
  EXPECT_EQ(news::ServerOf("host-news-2.example.com"), "news-2.example.com");
  EXPECT_EQ(news::ServerOf("-news"), "news");
  EXPECT_EQ(news::ServerOf("host-"), "");
  // A folder without a dash stands for a server of its own name.
  EXPECT_EQ(news::ServerOf("localnews"), "localnews");
  EXPECT_EQ(news::ServerOf(""), "");

  EXPECT_EQ(news::BuildFatMap("D:\\n", {"localnews", "host-news"}),
            "netscape-newsrc-map-file\r\n"
            "newsrc-localnews\tD:\\n\\news.rc\tFALSE\r\n"
            "newsrc-news\tD:\\n\\news1.rc\tFALSE\r\n"
            "\r\n");
}

TEST(NewsMapBuild, NoServerFoldersGiveTheHeaderAndTheEmptyLine) {
  const std::string map = news::BuildFatMap(kNewsDir, {});
  EXPECT_EQ(map, "netscape-newsrc-map-file\r\n\r\n");
  ExpectPathsEveryWay(map, {});
}

TEST(NewsMapBuild, ManyLongFoldersAreNumberedOnAndHeldWhole) {
  EXPECT_EQ(news::SubscriptionFileName(0), "news.rc");
  EXPECT_EQ(news::SubscriptionFileName(1), "news1.rc");
  EXPECT_EQ(news::SubscriptionFileName(9), "news9.rc");
  EXPECT_EQ(news::SubscriptionFileName(10), "news10.rc");
  EXPECT_EQ(news::SubscriptionFileName(11), "news11.rc");
  EXPECT_EQ(news::SubscriptionFileName(1234), "news1234.rc");

  const std::string dir = "\\\\fileserver\\profiles\\" + std::string(200, 'd') + "\\news";
  std::vector<std::string> folders;
  for (int i = 0; i < 1500; ++i) folders.push_back("host-" + std::to_string(i) + std::string(240, 's'));
  const std::string map = news::BuildFatMap(dir, folders);

  // Line by line: nothing cut, nothing left out, each line ended by CR LF.
  std::vector<std::string> lines;
  std::string::size_type start = 0, end;
  while ((end = map.find("\r\n", start)) != std::string::npos) {
    lines.push_back(map.substr(start, end - start));
    start = end + 2;
  }
  EXPECT_EQ(start, map.size()) << "text after the last line end";
  ASSERT_EQ(lines.size(), folders.size() + 2);
  EXPECT_EQ(lines.front(), "netscape-newsrc-map-file");
  EXPECT_EQ(lines.back(), "");
  for (std::size_t i = 0; i < folders.size(); ++i) {
    ASSERT_EQ(lines[i + 1], "newsrc-" + news::ServerOf(folders[i]) + "\t" + dir + "\\" +
                                news::SubscriptionFileName(i) + "\tFALSE")
        << "line of folder " << i;
  }
  EXPECT_NE(lines[11].find("\\news10.rc\t"), std::string::npos);
  EXPECT_NE(lines[1500].find("\\news1499.rc\t"), std::string::npos);
}

TEST(NewsMapRead, BuiltMapsGiveTheirPathsBackInOrder) {
  std::vector<std::string> folders = {"host-news.example.com", "localnews", "host-", "a-b-c",
                                      "host-news with spaces"};
  for (int i = 0; i < 10; ++i) folders.push_back("host-more" + std::to_string(i));
  for (const std::string& dir : {std::string(kNewsDir), std::string("\\\\server\\share\\my news"),
                                std::string("C:\\"), std::string("")}) {
    SCOPED_TRACE(dir);
    Paths expected;
    for (std::size_t i = 0; i < folders.size(); ++i)
      expected.push_back(dir + "\\" + news::SubscriptionFileName(i));
    ExpectPathsEveryWay(news::BuildFatMap(dir, folders), expected);
  }
}

TEST(NewsMapRead, MapsWrittenByTheBrowserOrByHand) {
  // LF line ends only, and no final empty line.
  ExpectPathsEveryWay(
      "netscape-newsrc-map-file\n"
      "newsrc-news.a.com\tC:\\n\\news.rc\tFALSE\n"
      "newsrc-news.b.com\tC:\\n\\news3.rc\tTRUE\n",
      {"C:\\n\\news.rc", "C:\\n\\news3.rc"});
  // Cut off after the last path.
  ExpectPathsEveryWay("netscape-newsrc-map-file\r\nnewsrc-x\tC:\\n\\news.rc",
                      {"C:\\n\\news.rc"});
  // Cut off right after a tab: the empty piece names no file.
  ExpectPathsEveryWay("netscape-newsrc-map-file\r\nnewsrc-x\tC:\\n\\news.rc\tFALSE\r\nnewsrc-y\t",
                      {"C:\\n\\news.rc"});
}

TEST(NewsMapRead, TextsWithoutPathsGiveNone) {
  for (const std::string& text : {std::string(""), std::string(" "), std::string("\r\n"),
                                 std::string("netscape-newsrc-map-file\r\n\r\n"),
                                 std::string("no tab anywhere in this line"),
                                 std::string("\t"), std::string("\t\t\t\t\t\t\t"),
                                 std::string("first piece only\t"), std::string(100000, '\t')}) {
    SCOPED_TRACE(text.substr(0, 40));
    ExpectPathsEveryWay(text, {});
  }
}

TEST(NewsMapRead, NoPathIsEverEmpty) {
  for (const std::string& text : {std::string("a\t\tb\t\tc\t\t"), std::string("\t\tx\t\t\ty\t"),
                                 std::string("\r\n\t\r\n\t\r\n\t")}) {
    for (const std::string& path : news::FatMapPaths(text)) EXPECT_FALSE(path.empty());
    for (const std::string& path : news::FatMapPaths(" " + text)) EXPECT_FALSE(path.empty());
  }
}

TEST(NewsMapRead, HugeTextsAreReadWhole) {
  // Many megabytes without a tab: one piece, no path.
  EXPECT_TRUE(news::FatMapPaths(std::string(16u << 20, 'x')).empty());

  // A map far larger than any real one: every path comes out, the last too.
  const std::string dir = "C:\\" + std::string(100, 'n');
  std::vector<std::string> folders(200000, "host-news");
  const std::string map = news::BuildFatMap(dir, folders);
  const Paths got = news::FatMapPaths(" " + map);
  ASSERT_EQ(got.size(), folders.size());
  EXPECT_EQ(got.front(), dir + "\\news.rc");
  EXPECT_EQ(got[10], dir + "\\news10.rc");
  EXPECT_EQ(got.back(), dir + "\\news199999.rc");

  // A single path of a megabyte is not cut.
  const std::string longPath = "C:\\" + std::string(1u << 20, 'p');
  EXPECT_EQ(news::FatMapPaths("h\t" + longPath + "\tFALSE\r\n"), Paths{longPath});
}

TEST(NewsMapRead, OnlyFilesInsideTheNewsFolderSurviveAPlantedMap) {
  // What the clean run does with a map's paths: anything not below the
  // news folder is passed over.
  const std::string map =
      " netscape-newsrc-map-file\r\n"
      "newsrc-a\tC:\\Netscape\\Users\\mary\\news\\news.rc\tFALSE\r\n"
      "newsrc-b\tC:\\WINDOWS\\win.ini\tFALSE\r\n"
      "newsrc-c\tC:\\Netscape\\Users\\mary\\news\\..\\prefs.js\tFALSE\r\n"
      "newsrc-d\tC:\\Netscape\\Users\\mary\\news2\\news.rc\tFALSE\r\n"
      "newsrc-e\tC:\\Netscape\\Users\\mary\\news\\news.rc:hidden\tFALSE\r\n"
      "newsrc-f\tnews1.rc\tFALSE\r\n"
      "newsrc-g\t\\\\evil\\share\\news.rc\tFALSE\r\n"
      "newsrc-h\tC:\\Netscape\\Users\\mary\\news\\..\\..\\..\\..\\..\\autoexec.bat\tFALSE\r\n"
      "newsrc-i\tc:/netscape/users/MARY/NEWS/host-x/news.rcg\tFALSE\r\n"
      "newsrc-j\tC:\\Netscape\\Users\\mary\\news\tFALSE\r\n"
      "\r\n";
  Paths inside;
  for (const std::string& path : news::FatMapPaths(map))
    if (paths::IsInside(kNewsDir, path)) inside.push_back(path);
  EXPECT_EQ(inside, (Paths{"C:\\Netscape\\Users\\mary\\news\\news.rc",
                           "c:/netscape/users/MARY/NEWS/host-x/news.rcg"}));
}

// A map read in part keeps its whole lines only: the piece of a line at the
// cut would name another file ("notes.txt" of "notes.txt.rc").
TEST(NewsMapRead, APartReadKeepsItsWholeLinesOnly) {
  struct Row {
    const char* what;
    std::string text;
    std::size_t whole;
  } rows[] = {
      {"nothing", "", 0},
      {"no line ended", "news-a\tC:\\news\\notes.txt", 0},
      {"cut inside a path", "header\r\nnews-a\tC:\\news\\a.rc\tFALSE\r\nnews-b\tC:\\news\\notes.txt", 35},
      {"cut between CR and LF", "header\r\nnews-a\tC:\\news\\a.rc\tFALSE\r", 34},
      {"ends with a line end", "header\nnews-a\tC:\\news\\a.rc\tFALSE\n", 33},
      {"CR alone ends a line", "header\rnews-b\tC:\\x", 7},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(news::WholeLinesLength(row.text), row.whole) << row.what;
    const Paths kept = news::FatMapPaths(row.text.substr(0, news::WholeLinesLength(row.text)));
    for (const std::string& path : kept) EXPECT_EQ(path.find("notes.txt"), std::string::npos) << row.what;
  }
}
