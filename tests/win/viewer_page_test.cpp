// The viewer page on a real dialog over the demo browser user: every count
// against what the profile holds, every button with its box, chooser, dump
// file and viewer start, the trace, and files other programs wrote.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "demo_profile.h"
#include "held_file.h"
#include "page_fixture.h"
#include "resource.h"
#include "store_tally.h"
#include "wipe.h"

using std::string;

namespace {

constexpr DWORD kChooserFlags = 0x4500F;

using store_tally::LinesHolding;
using store_tally::Tally;
using store_tally::Walk;

class ViewerPageTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    demo = StartOnDemo(25);
    if (HasFatalFailure()) return;
    recent = fake->windowsDir + "\\RECENT";
    CreateDirectoryA(recent.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(recent + "\\Budget 1999.xls.lnk", "lnk-one"));
    ASSERT_TRUE(WriteFileBytes(recent + "\\letter.doc.lnk", "lnk-two!"));
  }
  void TearDown() override {
    for (int i = 0; i < 7; ++i) SetFileAttributesA(DumpFilePath(i).c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesA(demo.cookieFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    PageTest::TearDown();
  }
  void Open() { OpenPage(IDD_VIEWER, DlgProc2); }
  // The button's result as the dialog procedure returns it.
  INT_PTR Click(int id) {
    INT_PTR r = DlgProc2(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    Pump();
    return r;
  }
  string Dump(const char* name) {
    string bytes;
    return ReadFileBytes(fake->InProgram(name), bytes) ? bytes : string("<missing>");
  }
  string Bytes(const string& path) {
    string bytes;
    return ReadFileBytes(path, bytes) ? bytes : string("<missing>");
  }
  string LastLaunch() const { return fake->launches.empty() ? string() : fake->launches.back().what; }

  DemoGeneration demo;
  string recent;
};

}  // namespace

// Every count is what the demo profile holds, in plain decimal.
TEST_F(ViewerPageTest, CountsAreWhatTheProfileHolds) {
  SetIni("Prefs", "DoSent", "1");
  SetIni("Prefs", "DoInbox", "1");
  Open();
  EXPECT_EQ(Text(IDC_VIEWER_USERID_TEXT), "You are " + demo.userName + ".");
  EXPECT_EQ(Text(IDC_VIEWER_NEWSGROUPS_TEXT), "You've visited " + std::to_string(demo.newsgroups) + " newsgroups.");
  Tally snm;
  for (const string& server : demo.newsServers) {
    Tally t = Walk(demo.newsDir + "\\host-" + server, "*.snm");
    snm.files += t.files;
    snm.bytes += t.bytes;
  }
  ASSERT_EQ(snm.files, static_cast<unsigned long long>(demo.newsDatabases));
  EXPECT_EQ(Text(IDC_VIEWER_NEWSDB_TEXT),
            std::to_string(snm.files) + " databases, " + std::to_string(snm.bytes) + " bytes.");
  int messages = 0;
  for (const char* box : {"Trash", "Sent", "Inbox", "Unsent Messages"})
    messages += LinesHolding(Bytes(demo.mailDir + "\\" + box), "Message-ID");
  EXPECT_EQ(messages, 3 + 4 + 8 + 1) << "the demo's own numbers";
  EXPECT_EQ(Text(IDC_VIEWER_EMAIL_TEXT), std::to_string(messages) + " email msgs of concern.");
  EXPECT_EQ(Text(IDC_VIEWER_HISTORY_TEXT),
            "History database is " + std::to_string(Bytes(demo.historyFile).size()) + " bytes.");
  EXPECT_EQ(Text(IDC_VIEWER_URLWIN_TEXT), "You have " + std::to_string(demo.typedUrls.size()) + " URL's in your window.");
  EXPECT_EQ(Text(IDC_VIEWER_COOKIES_TEXT), "You have " + std::to_string(demo.cookies) + " cookies stored.");
  EXPECT_EQ(Text(IDC_VIEWER_BOOKMARKS_TEXT), "You have " + std::to_string(demo.bookmarks) + " bookmarks.");
  Tally cache = Walk(demo.cacheDir, "*.*");
  EXPECT_EQ(cache.files, 25u + 1) << "the entries and the index";
  EXPECT_EQ(Text(IDC_VIEWER_CACHES_TEXT),
            std::to_string(cache.files) + " files total, " + std::to_string(cache.bytes) + " bytes.");
  EXPECT_EQ(Text(IDC_VIEWER_DOCS_TEXT), "2 files total, 15 bytes.");
  EXPECT_EQ(Text(IDC_VIEWER_NEWSGROUPS), "Show me");
  EXPECT_TRUE(fake->boxes.empty());
  EXPECT_EQ(Ini("Diagnostics", "Newschk"), "<absent>") << "no trace while diagnostics are off";
  EXPECT_TRUE(fake->launches.empty());
}

// While diagnostics are on, the pass leaves its trace keys.
TEST_F(ViewerPageTest, TraceKeysWhileDiagnosticsAreOn) {
  SetIni("Options", "cow", "moo");
  ReadDiagnosticsSwitch();
  Open();
  EXPECT_EQ(Ini("Diagnostics", "Newschk"), "using FAT");
  EXPECT_EQ(Ini("Diagnostics", "Newsreg"), demo.newsDir + "\\FAT");
  EXPECT_EQ(Ini("Diagnostics", "NewsOp1"), "FAT Newsdata found");
  EXPECT_NE(Ini("Diagnostics", "Newsrc1"), "<absent>");
  EXPECT_EQ(Ini("Diagnostics", "Newsrcg"), "0 rcg's skipped");
  EXPECT_EQ(Ini("Diagnostics", "Newsubs#"), std::to_string(demo.newsDatabases));
  EXPECT_EQ(Ini("Diagnostics", "Caches#"), "26");
  EXPECT_EQ(Ini("Diagnostics", "Docs#"), "2");
}

// History, cookies and bookmarks: the dump is the store's bytes as they
// were, the viewer is started on it by name; a read-only cookie file
// leaves no read-only copy; a missing store says so and starts nothing.
TEST_F(ViewerPageTest, StoresAreShownThroughTheirDumpFiles) {
  const string history = Bytes(demo.historyFile), cookies = Bytes(demo.cookieFile),
               bookmarks = Bytes(demo.bookmarkFile);
  SetFileAttributesA(demo.cookieFile.c_str(), FILE_ATTRIBUTE_READONLY);
  Open();
  EXPECT_EQ(Click(IDC_VIEWER_HISTORY), TRUE);
  EXPECT_EQ(Dump("History.Database"), history);
  EXPECT_EQ(LastLaunch(), "GLIMSO History.Database");
  EXPECT_EQ(fake->launches.back().how, "WinExec");
  EXPECT_EQ(fake->launches.back().show, SW_SHOWMAXIMIZED);
  Click(IDC_VIEWER_COOKIES);
  EXPECT_EQ(Dump("Cookies.Database"), cookies);
  EXPECT_EQ(GetFileAttributesA(fake->InProgram("Cookies.Database").c_str()), DWORD(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_EQ(LastLaunch(), "GLIMSO Cookies.Database");
  Click(IDC_VIEWER_COOKIES);  // over the copy made before
  EXPECT_EQ(Dump("Cookies.Database"), cookies);
  Click(IDC_VIEWER_BOOKMARKS);
  EXPECT_EQ(Dump("Bookmarks.Database"), bookmarks);
  EXPECT_EQ(LastLaunch(), "GLIMSO Bookmarks.Database");
  EXPECT_TRUE(fake->boxes.empty());
  EXPECT_EQ(Bytes(demo.cookieFile), cookies) << "the store itself is never written";

  const size_t launches = fake->launches.size();
  lstrcpyA(HistLoc, (fake->root + "\\none.hst").c_str());
  lstrcpyA(szCookieLoc, (fake->root + "\\none.txt").c_str());
  szBookmarkLoc[0] = '\0';
  Click(IDC_VIEWER_HISTORY);
  Click(IDC_VIEWER_COOKIES);
  Click(IDC_VIEWER_BOOKMARKS);
  ASSERT_EQ(fake->boxes.size(), 3u);
  EXPECT_EQ(fake->boxes[0].text, "History database is empty.");
  EXPECT_EQ(fake->boxes[0].title, "History database");
  EXPECT_EQ(fake->boxes[1].text, "Cookie database is empty");
  EXPECT_EQ(fake->boxes[1].title, "Cookie database");
  EXPECT_EQ(fake->boxes[2].text, "Bookmarks database is empty.");
  EXPECT_EQ(fake->boxes[2].title, "Bookmarks database");
  for (const ShownBox& b : fake->boxes) {
    EXPECT_EQ(b.type, UINT(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(b.owner, nullptr);
  }
  EXPECT_EQ(fake->launches.size(), launches);
  Press(IDC_VIEWER_HISTORY);
  Pump();
  EXPECT_EQ(Text(IDC_VIEWER_HISTORY_TEXT), "History database is " + std::to_string(history.size()) + " bytes.")
      << "the texts change only with the next pass";
}

// The four choosers as the page asks for them; a chosen file is copied and
// viewed, a cancelled chooser (or a title too short) copies and starts
// nothing and the command reports itself not handled.
TEST_F(ViewerPageTest, ChoosersAskAsTheyShouldAndCancelDoesNothing) {
  Open();
  const string rc = demo.newsrcFiles.empty() ? string() : demo.newsDir + "\\" + demo.newsrcFiles[0];
  const string snm = demo.newsDir + "\\host-" + demo.newsServers[0];
  Tally snms = Walk(snm, "*.snm");
  ASSERT_GT(snms.files, 0u);
  WIN32_FIND_DATAA fd;
  HANDLE f = FindFirstFileA((snm + "\\*.snm").c_str(), &fd);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  FindClose(f);
  const string database = snm + "\\" + fd.cFileName;
  const string cacheFile = demo.cacheDir + "\\FAT.DB";
  const string inbox = demo.mailDir + "\\Inbox";
  const string picked[] = {rc, database, inbox, cacheFile};
  const string before[] = {Bytes(rc), Bytes(database), Bytes(inbox), Bytes(cacheFile)};
  const int buttons[] = {IDC_VIEWER_NEWSGROUPS, IDC_VIEWER_NEWSDB, IDC_VIEWER_EMAIL, IDC_VIEWER_CACHES};
  const char* dumps[] = {"Newsgroups", "News.Database", "Mail.Database", "Cache.Database"};
  // Up to the pair of NULs that ends the list.
  const string filters[] = {string("Newsgroups lists\0*.rc\0All Files (*.*)\0*.*\0\0", 43),
                            string("News databases\0*.snm\0All Files (*.*)\0*.*\0\0", 42),
                            string("Email_databases\0\0", 17), string("Cache databases\0\0", 17)};
  const char* titles[] = {"Choose newsgroup list to view:", "Choose news database to view:",
                          "Choose mail database to view:", "Choose cache file to view:"};
  const string dirs[] = {szNewsLoc, NewsPrefjs, string(szMail) + "\\", szCacheIn};

  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(dumps[i]);
    fake->picks = {picked[i]};
    EXPECT_EQ(Click(buttons[i]), TRUE);
    ASSERT_EQ(fake->choosers.size(), static_cast<size_t>(i) + 1);
    const ShownChooser& c = fake->choosers.back();
    EXPECT_EQ(c.owner, page);
    EXPECT_EQ(c.filter, filters[i]);
    EXPECT_EQ(c.title, titles[i]);
    EXPECT_EQ(c.initialDir, dirs[i]);
    EXPECT_EQ(c.flags, kChooserFlags);
    EXPECT_EQ(c.filterIndex, 1u);
    EXPECT_EQ(c.fileSize, 256u);
    EXPECT_EQ(c.titleSize, 200u);
    EXPECT_TRUE(c.fileEmptied && c.titleEmptied);
    EXPECT_FALSE(c.defaultExtension);
    EXPECT_EQ(LastLaunch(), string("GLIMSO ") + dumps[i]);
    // The newsgroup list is the last subscription file the pass met.
    if (i > 0) {
      EXPECT_EQ(Dump(dumps[i]), before[i]);
    }
  }
  EXPECT_FALSE(Dump("Newsgroups").empty());

  // Cancelled: nothing copied, nothing started.
  for (int i = 0; i < 4; ++i) DeleteFileA(fake->InProgram(dumps[i]).c_str());
  const size_t launches = fake->launches.size();
  for (int i = 0; i < 4; ++i) {
    fake->picks = {""};
    EXPECT_EQ(Click(buttons[i]), FALSE) << dumps[i];
    EXPECT_EQ(Dump(dumps[i]), "<missing>");
  }
  // A three-letter title is enough for news files, too short for mail and cache.
  const string shortMail = demo.mailDir + "\\abc";
  const string shortCache = demo.cacheDir + "\\xyz";
  ASSERT_TRUE(WriteFileBytes(shortMail, "mail"));
  ASSERT_TRUE(WriteFileBytes(shortCache, "cache"));
  fake->picks = {shortMail};
  EXPECT_EQ(Click(IDC_VIEWER_EMAIL), FALSE);
  fake->picks = {shortCache};
  EXPECT_EQ(Click(IDC_VIEWER_CACHES), FALSE);
  EXPECT_EQ(fake->launches.size(), launches);
  const string shortRc = demo.newsDir + "\\abc";
  ASSERT_TRUE(WriteFileBytes(shortRc, "alt.three: 1-3\r\n"));
  fake->picks = {shortRc};
  EXPECT_EQ(Click(IDC_VIEWER_NEWSGROUPS), TRUE);
  EXPECT_EQ(fake->launches.size(), launches + 1);
}

// The short lists in message boxes: the identity (or the guest's), the
// typed addresses (none when the first is empty, whatever follows), the
// recent documents.
TEST_F(ViewerPageTest, ShortListsInMessageBoxes) {
  Open();
  Click(IDC_VIEWER_USERID);
  Click(IDC_VIEWER_URLWIN);
  Click(IDC_VIEWER_DOCS);
  ASSERT_EQ(fake->boxes.size(), 3u);
  EXPECT_EQ(fake->boxes[0].title, "User ID information");
  EXPECT_EQ(fake->boxes[0].text, "Username:\t" + string(Udata4) + "\nAddress :\t\t" + Udata3 + "\nUser Org:\t\t" +
                                     Udata2 + "\nReply to:\t\t" + Udata5 + "\nSig File:\t\t" + Udata1);
  string urls;
  for (int i = 1; i <= 15; ++i) urls += string(TypedUrl(i)) + "\n";
  EXPECT_EQ(fake->boxes[1].text, urls);
  EXPECT_EQ(fake->boxes[1].title, "URL Window contents");
  EXPECT_EQ(fake->boxes[2].text, "Budget 1999\nletter\n");
  EXPECT_EQ(fake->boxes[2].title, "Recent Documents seen:");

  fake->boxes.clear();
  lstrcpyA(CurrentUser, "guest_us");
  URL1[0] = '\0';
  lstrcpyA(URL3, "http://later.example/");
  DeleteFileA((recent + "\\Budget 1999.xls.lnk").c_str());
  DeleteFileA((recent + "\\letter.doc.lnk").c_str());
  Press(IDC_VIEWER_USERID);  // the guest's box
  DlgProc2(page, WM_PAGEREFRESH, 0, 0);
  EXPECT_EQ(Text(IDC_VIEWER_USERID_TEXT), "Guest user has no identity.");
  EXPECT_NE(Text(IDC_VIEWER_URLWIN_TEXT), "You have 0 URL's in your window.");
  Click(IDC_VIEWER_URLWIN);
  Click(IDC_VIEWER_DOCS);
  ASSERT_EQ(fake->boxes.size(), 3u);
  EXPECT_EQ(fake->boxes[0].text,
            "Username:\tGuest User\nAddress :\t\t(none)\nUser Org:\t\t(none)\nReply to:\t\t(none)\nSig File:\t\t(none)");
  EXPECT_EQ(fake->boxes[1].text, "There are no URL's recorded at this time.");
  EXPECT_EQ(fake->boxes[2].text, "Recent documents database is empty.");
  EXPECT_EQ(fake->boxes[2].title, "Recent documents");
}

// A news folder that cannot be made: the map repair is tried a bounded
// number of times, button 120 stays at "ERROR!", the text says the map is
// missing and the other counts go on; the news-database chooser is not
// opened when no folder can be found.
TEST_F(ViewerPageTest, RepairsThatCannotSucceedEnd) {
  const string blocker = fake->root + "\\a-file";
  ASSERT_TRUE(WriteFileBytes(blocker, "no folder can be made below a file"));
  lstrcpyA(szNewsLoc, (blocker + "\\news").c_str());
  NewsPrefjs[0] = '\0';
  Open();
  EXPECT_EQ(Text(IDC_VIEWER_NEWSGROUPS), "ERROR!");
  EXPECT_EQ(Text(IDC_VIEWER_NEWSGROUPS_TEXT), "The news map (FAT) is missing: nothing counted.");
  EXPECT_EQ(Text(IDC_VIEWER_COOKIES_TEXT), "You have " + std::to_string(demo.cookies) + " cookies stored.");
  fake->picks = {demo.cookieFile};
  EXPECT_EQ(Click(IDC_VIEWER_NEWSDB), FALSE);
  EXPECT_TRUE(fake->choosers.empty());
  EXPECT_TRUE(fake->launches.empty());
}

// Files other programs write are counted right: a cookie file as a current
// command-line client writes it (LF only, its own header, "#HttpOnly_"
// lines) and a bookmark file a current browser exports (one link per line,
// icons making lines far longer than a read piece).
TEST_F(ViewerPageTest, FilesOfOtherProgramsAreCountedRight) {
  ASSERT_TRUE(WriteFileBytes(demo.cookieFile,
                             "# Netscape HTTP Cookie File\n"
                             "# https://client.example/docs/http-cookies.html\n"
                             "# This file was generated by a client! Edit at your own risk.\n\n"
                             "#HttpOnly_.shop.example\tTRUE\t/\tTRUE\t0\tsid\tabc\n"
                             "news.example\tFALSE\t/\tFALSE\t1893456000\tlang\ten\n"
                             "#HttpOnly_bank.example\tFALSE\t/login\tTRUE\t1893456000\ttok\tz9\n"));
  string icon = "data:image/png;base64," + string(4000, 'A');
  string exported = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks Menu</H1>\n<DL><p>\n";
  for (int i = 0; i < 7; ++i)
    exported += "    <DT><A HREF=\"https://site" + std::to_string(i) + ".example/\" ADD_DATE=\"1700000000\" ICON=\"" +
                icon + "\">Site " + std::to_string(i) + "</A>\n";
  exported += "    <DT><H3 ADD_DATE=\"1700000000\">Folder</H3>\n</DL>\n";
  ASSERT_TRUE(WriteFileBytes(demo.bookmarkFile, exported));
  Open();
  EXPECT_EQ(Text(IDC_VIEWER_COOKIES_TEXT), "You have 3 cookies stored.");
  EXPECT_EQ(Text(IDC_VIEWER_BOOKMARKS_TEXT), "You have 7 bookmarks.");

  // The browser's own: CR LF, its own header; a header-only file has none.
  ASSERT_TRUE(WriteFileBytes(demo.cookieFile,
                             "# Netscape HTTP Cookie File\r\n# http://www.netscape.com/newsref/std/cookie_spec.html\r\n"
                             "# This is a generated file!  Do not edit.\r\n\r\n"
                             ".a.example\tTRUE\t/\tFALSE\t946684799\tx\t1\r\n"
                             ".b.example\tTRUE\t/\tFALSE\t946684799\ty\t2\r\n"));
  DlgProc2(page, WM_PAGEREFRESH, 0, 0);
  EXPECT_EQ(Text(IDC_VIEWER_COOKIES_TEXT), "You have 2 cookies stored.");
  ASSERT_TRUE(WriteFileBytes(demo.cookieFile, "# Netscape HTTP Cookie File\r\n# x\r\n# y\r\n\r\n"));
  DlgProc2(page, WM_PAGEREFRESH, 0, 0);
  EXPECT_EQ(Text(IDC_VIEWER_COOKIES_TEXT), "You have 0 cookies stored.");
}

// Enter and Escape end the whole program; a button's command without its
// control does nothing.
TEST_F(ViewerPageTest, EnterAndEscapeEndTheProgram) {
  Open();
  for (int id : {IDOK, IDCANCEL}) {
    EXPECT_EQ(DlgProc2(page, WM_COMMAND, MAKEWPARAM(id, 0), 0), TRUE);
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) quit = quit || msg.message == WM_QUIT;
    EXPECT_TRUE(quit) << id;
  }
  EXPECT_EQ(DlgProc2(page, WM_COMMAND, MAKEWPARAM(IDC_VIEWER_HISTORY, BN_CLICKED), 0), FALSE) << "no control";
  EXPECT_TRUE(fake->launches.empty());
  EXPECT_EQ(Dump("History.Database"), "<missing>");
}

// The dump files are copies of private data: a copy replaced is destroyed
// first, a dump name shared with another file is never written through
// (nor is that file's read-only mark touched), and a store the browser
// holds open for writing, sharing reading only, is still copied.
TEST_F(ViewerPageTest, DumpFilesAreReplacedSafely) {
  Open();
  std::vector<string> wiped;
  SetWipeObserver([](const char* path, void* seen) { static_cast<std::vector<string>*>(seen)->push_back(path); },
                  &wiped);
  const string cookies = Bytes(demo.cookieFile);
  Click(IDC_VIEWER_COOKIES);
  EXPECT_TRUE(wiped.empty());
  Click(IDC_VIEWER_COOKIES);
  SetWipeObserver(nullptr, nullptr);
  EXPECT_EQ(wiped, std::vector<string>{fake->InProgram("Cookies.Database")}) << "the first copy, destroyed";
  EXPECT_EQ(Dump("Cookies.Database"), cookies);

  const string will = fake->root + "\\will.doc";
  ASSERT_TRUE(WriteFileBytes(will, "my last will"));
  ASSERT_TRUE(CreateHardLinkA(fake->InProgram("History.Database").c_str(), will.c_str(), nullptr));
  SetFileAttributesA(will.c_str(), FILE_ATTRIBUTE_READONLY);
  Click(IDC_VIEWER_HISTORY);
  EXPECT_EQ(Bytes(will), "my last will");
  EXPECT_TRUE(GetFileAttributesA(will.c_str()) & FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA(will.c_str(), FILE_ATTRIBUTE_NORMAL);
  Click(IDC_VIEWER_HISTORY);  // the name is its own again now
  EXPECT_EQ(Dump("History.Database"), Bytes(demo.historyFile));
  EXPECT_EQ(Bytes(will), "my last will");

  const string bookmarks = Bytes(demo.bookmarkFile);
  {
    HeldFile browser(demo.bookmarkFile, "r");
    ASSERT_TRUE(browser.ok());
    Click(IDC_VIEWER_BOOKMARKS);
  }
  EXPECT_EQ(Dump("Bookmarks.Database"), bookmarks);
}

// A file-open dialog that moves the working directory leaves it where the
// program keeps it; the file chosen is the one copied, wherever it lies.
TEST_F(ViewerPageTest, ChoosersKeepTheWorkingDirectoryAndTakeTheFileChosen) {
  Open();
  const string elsewhere = fake->Folder("elsewhere");
  const string letter = elsewhere + "\\Letter";
  ASSERT_TRUE(WriteFileBytes(letter, "From: someone\r\nMessage-ID: <1@x>\r\n"));
  fake->chooserMovesTo = elsewhere;
  fake->picks = {letter};
  EXPECT_EQ(Click(IDC_VIEWER_EMAIL), TRUE);
  char cwd[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  EXPECT_EQ(lstrcmpiA(cwd, fake->programDir.c_str()), 0) << cwd;
  EXPECT_EQ(Dump("Mail.Database"), Bytes(letter));
  EXPECT_EQ(LastLaunch(), "GLIMSO Mail.Database");
}

// The news map is read for files of the news folder only; ".rcg" files are
// not counted; with "customs" "news" set to a file, nothing is.
TEST_F(ViewerPageTest, NewsgroupsComeFromTheNewsFolderOnly) {
  SetIni("Options", "cow", "moo");
  ReadDiagnosticsSwitch();
  const string outside = fake->root + "\\diary.txt";
  ASSERT_TRUE(WriteFileBytes(outside, "one\ntwo\nthree\nfour\n"));
  const string rcg = demo.newsDir + "\\extra.rcg";
  ASSERT_TRUE(WriteFileBytes(rcg, "alt.a: 1\nalt.b: 2\n"));
  string map = Bytes(demo.newsDir + "\\FAT");
  map += "newsrc-outside.example\t" + outside + "\tFALSE\r\nnewsrc-rcg.example\t" + rcg + "\tFALSE\r\n";
  ASSERT_TRUE(WriteFileBytes(demo.newsDir + "\\FAT", map));
  Open();
  EXPECT_EQ(Text(IDC_VIEWER_NEWSGROUPS_TEXT), "You've visited " + std::to_string(demo.newsgroups) + " newsgroups.");
  EXPECT_EQ(Ini("Diagnostics", "NewsOutside1"), outside);
  EXPECT_EQ(Ini("Diagnostics", "Newsrcg"), "1 rcg's skipped");
  fake->picks = {demo.newsDir + "\\" + demo.newsrcFiles[0]};
  Click(IDC_VIEWER_NEWSGROUPS);
  EXPECT_NE(Dump("Newsgroups"), Bytes(outside));

  // With an empty map, the list chosen is the list shown: no second source
  // that cannot be opened takes its place.
  const string chosen = demo.newsDir + "\\" + demo.newsrcFiles[0];
  ASSERT_TRUE(WriteFileBytes(demo.newsDir + "\\FAT", ""));
  DlgProc2(page, WM_PAGEREFRESH, 0, 0);
  fake->picks = {chosen};
  Click(IDC_VIEWER_NEWSGROUPS);
  EXPECT_EQ(Dump("Newsgroups"), Bytes(chosen));
  EXPECT_EQ(LastLaunch(), "GLIMSO Newsgroups");

  SetIni("customs", "news", "C:\\news.ini");
  DlgProc2(page, WM_PAGEREFRESH, 0, 0);
  EXPECT_EQ(Text(IDC_VIEWER_NEWSGROUPS_TEXT), "You've visited 0 newsgroups.");
  EXPECT_EQ(Ini("Diagnostics", "NewsINI"), "C:\\news.ini");
}

// A store the browser holds without sharing is in use, not empty: its
// length is still told, and what must be read says it was not.
TEST_F(ViewerPageTest, StoresHeldByTheBrowserAreNotCalledEmpty) {
  const size_t history = Bytes(demo.historyFile).size();
  HeldFile h(demo.historyFile, ""), c(demo.cookieFile, ""), b(demo.bookmarkFile, "");
  ASSERT_TRUE(h.ok() && c.ok() && b.ok());
  Open();
  EXPECT_EQ(Text(IDC_VIEWER_HISTORY_TEXT), "History database is " + std::to_string(history) + " bytes.");
  EXPECT_EQ(Text(IDC_VIEWER_COOKIES_TEXT), "In use by Netscape: not counted.");
  EXPECT_EQ(Text(IDC_VIEWER_BOOKMARKS_TEXT), "In use by Netscape: not counted.");
  // Show me says what the row says, never that the store is empty.
  const string inUse = "In use by Netscape: not shown. Close Netscape to see it.";
  Click(IDC_VIEWER_HISTORY);
  Click(IDC_VIEWER_COOKIES);
  Click(IDC_VIEWER_BOOKMARKS);
  ASSERT_EQ(fake->boxes.size(), 3u);
  EXPECT_EQ(fake->boxes[0].text, inUse);
  EXPECT_EQ(fake->boxes[0].title, "History database");
  EXPECT_EQ(fake->boxes[1].text, inUse);
  EXPECT_EQ(fake->boxes[1].title, "Cookie database");
  EXPECT_EQ(fake->boxes[2].text, inUse);
  EXPECT_EQ(fake->boxes[2].title, "Bookmarks database");
  EXPECT_TRUE(fake->launches.empty());
}

// Counts take whole files however large, in one pass of pieces: a cookie
// file of many megabytes, a news map of more than a thousand entries and
// more than a megabyte. A map too large to be one says its count is a
// floor.
TEST_F(ViewerPageTest, CountsTakeWholeFilesOrSayTheyDidNot) {
  string jar = "# Netscape HTTP Cookie File\r\n# http://www.netscape.com/newsref/std/cookie_spec.html\r\n\r\n";
  for (int i = 0; i < 60000; ++i)
    jar += ".site" + std::to_string(i) + ".example\tTRUE\t/\tFALSE\t1893456000\tvisitor\t" + string(60, 'v') + "\r\n";
  ASSERT_GT(jar.size(), 5u << 20);
  ASSERT_TRUE(WriteFileBytes(demo.cookieFile, jar));

  constexpr int kServers = 1100;
  string map;
  for (int i = 0; i < kServers; ++i) {
    const string rc = demo.newsDir + "\\news" + std::to_string(i) + ".rc";
    ASSERT_TRUE(WriteFileBytes(rc, "alt.server" + std::to_string(i) + ".chat: 1-9\r\n"));
    map += "newsrc-" + string(900, 'h') + std::to_string(i) + ".example\t" + rc + "\tFALSE\r\n";
  }
  ASSERT_GT(map.size(), 1u << 20);
  ASSERT_TRUE(WriteFileBytes(demo.newsDir + "\\FAT", map));
  Open();
  EXPECT_EQ(Text(IDC_VIEWER_COOKIES_TEXT), "You have 60000 cookies stored.");
  EXPECT_EQ(Text(IDC_VIEWER_NEWSGROUPS_TEXT), "You've visited " + std::to_string(kServers) + " newsgroups.");

  // No news map is 32 MiB: only its start is read, and the row says so.
  const string start = map;
  while (map.size() <= (32u << 20)) map += "# " + string(4000, '#') + "\r\n";
  ASSERT_TRUE(WriteFileBytes(demo.newsDir + "\\FAT", map));
  DlgProc2(page, WM_PAGEREFRESH, 0, 0);
  EXPECT_EQ(Text(IDC_VIEWER_NEWSGROUPS_TEXT), "You've visited " + std::to_string(kServers) +
                                                  " newsgroups, or more: the news map is too large to read whole.");
}
