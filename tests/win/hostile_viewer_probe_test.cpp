// Hostile profiles against the viewer's counts and the news map's reach:
// a map far past any real map's size, which both the count pass and the
// clean run read only up to a limit.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaners.h"
#include "demo_profile.h"
#include "discovery_fixture.h"
#include "page_fixture.h"
#include "resource.h"
#include "wipe.h"

using std::string;

namespace {

constexpr std::size_t kMapLimit = 32u << 20;  // what of a news map is read

// A news map of `head` and filler that the read limit cuts right after
// `path`, inside the entry naming `path` + ".rc": read to the limit, it
// seems to name `path` itself.
string MapCutInsideAnEntry(const string& head, const string& path) {
  const string entryHead = "newsrc-cut.example\t" + path;
  string map = head;
  map.reserve(kMapLimit + 64);
  while (map.size() + 4002 + entryHead.size() < kMapLimit) map += "# " + string(3998, '#') + "\r\n";
  map += string(kMapLimit - entryHead.size() - map.size() - 2, '#') + "\r\n";
  map += entryHead;
  EXPECT_EQ(map.size(), kMapLimit);
  return map + ".rc\tFALSE\r\n";
}

// The viewer page over the demo browser user, as the program opens it.
class HostileViewerProbe : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    demo = StartOnDemo(3);
  }
  void Open() { OpenPage(IDD_VIEWER, DlgProc2); }
  DemoGeneration demo;
};

}  // namespace

// A map far past its size is read only to a limit, and the path that
// limit cuts in two is no path the map names: the viewer may not count a
// file it only names by that cut.
TEST_F(HostileViewerProbe, TheViewerCountsNoFileNamedOnlyByTheCutOfAnOversizedMap) {
  const string mapPath = demo.newsDir + "\\FAT";
  const string notes = demo.newsDir + "\\notes.txt";
  string lines;
  for (int i = 0; i < 50; ++i) lines += "my own note " + std::to_string(i) + "\r\n";
  ASSERT_TRUE(WriteFileBytes(notes, lines));
  ASSERT_TRUE(WriteFileBytes(notes + ".rc", "alt.one: 1\r\n"));
  ASSERT_TRUE(WriteFileBytes(mapPath, MapCutInsideAnEntry("", notes)));
  Open();
  // The map names notes.txt.rc (one group); notes.txt is named by no entry.
  EXPECT_EQ(Text(IDC_VIEWER_NEWSGROUPS_TEXT),
            "You've visited 0 newsgroups, or more: the news map is too large to read whole.")
      << "the lines of a file the map never named were counted";
}

namespace {

// The news step of the clean run on a real clean page, as its own tests
// drive it.
class HostileNewsMapProbe : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    OpenCleanPage();
    news = fake->Folder("Users\\me\\news");
    lstrcpyA(szNewsLoc, news.c_str());
  }
  string Content(const string& path) {
    string bytes;
    return ReadFileBytes(path, bytes) ? bytes : string("<missing>");
  }
  string news;
};

}  // namespace

// The clean run reads an oversized map only to its limit. The path that
// limit cuts in two names another file than the map does: that file must
// not be destroyed.
TEST_F(HostileNewsMapProbe, AFileNamedOnlyByTheCutOfAnOversizedMapIsNotDestroyed) {
  const string notes = news + "\\notes.txt";
  ASSERT_TRUE(WriteFileBytes(notes, "my own notes, in the news folder"));
  ASSERT_TRUE(WriteFileBytes(notes + ".rc", "alt.one: 1\r\n"));
  ASSERT_TRUE(WriteFileBytes(news + "\\FAT", MapCutInsideAnEntry("netscape-newsrc-map-file\r\n", notes)));
  CleanNewsTracks(page);
  EXPECT_EQ(Content(notes), "my own notes, in the news folder") << "a file no map entry names was destroyed";
  // What the map names past the limit stays, so the step did not do all it
  // was meant to: it fails rather than say the news data is clean.
  EXPECT_EQ(Content(notes + ".rc"), "alt.one: 1\r\n");
  char caption[100] = "";
  GetDlgItemTextA(page, 107, caption, sizeof caption);
  EXPECT_STREQ(caption, "Error!    News map too large to read whole!");
}
