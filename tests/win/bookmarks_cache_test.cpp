// The bookmark, cache and archive, and recent-documents steps of the clean
// run, on a real clean page: what they ask, the files they destroy and the
// ones they must leave, their captions, keys and trace; then the whole page
// driven through OK.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cleaners.h"
#include "discovery_fixture.h"
#include "folder_link.h"
#include "folder_walk.h"
#include "held_file.h"
#include "mopwell.h"
#include "wipe.h"

using std::string;

namespace {

const string kIndent(14, ' ');

// What the wipe saw: each path at the moment it was overwritten, and the
// caption of the watched box at that moment.
struct WipeLog {
  HWND page = nullptr;
  int box = 0;
  std::vector<string> paths;
  std::vector<string> captions;
  std::function<void(const string&)> also;
};

void Observe(const char* path, void* context) {
  WipeLog* log = static_cast<WipeLog*>(context);
  log->paths.push_back(path);
  char caption[512] = "";
  if (log->page) GetDlgItemTextA(log->page, log->box, caption, sizeof caption);
  log->captions.push_back(caption);
  if (log->also) log->also(path);
}

class StepFixture : public DiscoveryTest {
 protected:
  void SetUp() override {
    DiscoveryTest::SetUp();
    CurrentPage = 0;
    szFixBookmark[0] = '\0';
    SetWipeObserver(Observe, &wiped);
  }
  void TearDown() override {
    SetWipeObserver(nullptr, nullptr);
    if (page) DestroyWindow(page);
    if (holder) DestroyWindow(holder);
    QuitPosted();
    DiscoveryTest::TearDown();
  }

  // A real clean page; its set-up has run. Diagnostics on unless told.
  // The page is a child window, so it gets a plain window to live in.
  HWND Open(bool diagnostics = true) {
    holder = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 480, 360, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(100), holder, DlgProc1, 0);
    EXPECT_NE(page, nullptr) << GetLastError();
    if (diagnostics) lstrcpyA(szCommand, "moo");
    wiped.page = page;
    return page;
  }
  void Watch(int box) { wiped.box = box; }
  string Text(int box) const {
    char buf[512] = "";
    GetDlgItemTextA(page, box, buf, sizeof buf);
    return buf;
  }
  void PressOk() {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDOK)));
  }
  bool QuitPosted() {
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) quit = quit || msg.message == WM_QUIT;
    return quit;
  }
  bool WaitedThreeSeconds() const {
    return std::find(fake->sleeps.begin(), fake->sleeps.end(), 3000u) != fake->sleeps.end();
  }

  // A folder (with its parents) under the scratch root.
  string Folder(const string& relative) const { return fake->Folder(relative); }
  static string Put(const string& path, const string& bytes) {
    EXPECT_TRUE(WriteFileBytes(path, bytes)) << path;
    return path;
  }
  static std::vector<string> PutFiles(const string& folder, int count, const string& stem = "f") {
    std::vector<string> paths;
    for (int i = 0; i < count; ++i)
      paths.push_back(Put(folder + "\\" + stem + std::to_string(i) + ".dat", "data " + std::to_string(i)));
    return paths;
  }
  static string Content(const string& path) {
    string bytes;
    return ReadFileBytes(path, bytes) ? bytes : string("<missing>");
  }
  static int Entries(const string& folder) { return static_cast<int>(NamesIn(folder).size()); }
  string Trace(const char* key) const { return Ini("Diagnostics", key); }
  const ShownBox* LastBox() const { return fake->boxes.empty() ? nullptr : &fake->boxes.back(); }

  HWND holder = nullptr;
  HWND page = nullptr;
  WipeLog wiped;
};

class BookmarkStepTest : public StepFixture {
 protected:
  void SetUp() override {
    StepFixture::SetUp();
    Open();
    bookmarks = Put(Folder("Netscape") + "\\bookmark.htm", "<old bookmarks of the user>");
    lstrcpyA(szBookmarkLoc, bookmarks.c_str());
    templ = fake->InProgram("MOPWELL.BKM");
    lstrcpyA(szFixBookmark, templ.c_str());
  }
  string bookmarks, templ;
};

class CacheStepTest : public StepFixture {
 protected:
  void SetUp() override {
    StepFixture::SetUp();
    Open();
    Watch(113);
    // The guard looks at the whole path: the scratch root must not pass it.
    ASSERT_EQ(fake->root.find("ache"), string::npos) << fake->root;
    ASSERT_EQ(fake->root.find("ecent"), string::npos) << fake->root;
  }
  void UseCache(const string& folder) { lstrcpyA(szCacheLoc, folder.c_str()); }
};
using ArchiveStepTest = CacheStepTest;
using RecentDocsStepTest = CacheStepTest;

// The page as the user finds it: set up, a template named in "CopyMe"
// "which" (present or not), the three boxes checked, diagnostics on.
class BookmarkCacheRunTest : public StepFixture {
 protected:
  void Prepare(bool withTemplate, const string& cacheFolder, const string& docsFolder) {
    templ = fake->InProgram("MOPWELL.BKM");
    if (withTemplate) Put(templ, "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n");
    SetIni("Options", "NT", "1");
    SetIni("CopyMe", "which", templ.c_str());
    SetIni("Options", "cow", "moo");
    bookmarks = Put(Folder("Netscape") + "\\bookmark.htm", "old");
    cache = cacheFolder;
    docs = docsFolder;
    lstrcpyA(szBookmarkLoc, bookmarks.c_str());
    lstrcpyA(szCacheIn, cache.c_str());  // set-up restores szCacheLoc from it
    lstrcpyA(szDocDir, docs.c_str());
    Open(false);
    for (int box : {112, 113, 153}) CheckDlgButton(page, box, BST_CHECKED);
  }
  string templ, bookmarks, cache, docs;
};

// Every byte value, zero bytes, lone carriage returns, lines longer than a
// piece and lines of exactly a piece, and no line feed at the very end.
string AwkwardTemplate() {
  string t = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n";
  t += string(500, 'L') + "\r\n";
  t += string(215, 'a') + "\n";  // 216 with its line feed
  t += string(216, 'b') + "\n";  // the line feed starts the next piece
  t += string(217, 'c') + "\r\n";
  for (int i = 0; i < 256; ++i) t += static_cast<char>(i);
  t += string("\n\n\r\r\0\0\n", 7);
  unsigned seed = 12345;
  for (int i = 0; i < 70000; ++i) {
    seed = seed * 1103515245u + 12345u;
    t += static_cast<char>(seed >> 16);
  }
  t += "</DL><p>";
  return t;
}

}  // namespace

// ---- Bookmarks ----

TEST_F(BookmarkStepTest, YesRebuildsTheFileFromTheTemplateByteForByte) {
  const string awkward = AwkwardTemplate();
  Put(templ, awkward);
  ASSERT_TRUE(CleanBookmarks(page));

  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].text,
            "You have asked Mopwell to kill all your bookmarks.\n\nDo you REALLY want to remove them all?");
  EXPECT_EQ(fake->boxes[0].title, "WARNING!");
  EXPECT_EQ(fake->boxes[0].type, UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(fake->boxes[0].owner, nullptr);

  ASSERT_EQ(wiped.paths.size(), 1u) << "the old file is wiped before the new one is written";
  EXPECT_EQ(wiped.paths[0], bookmarks);
  string now = Content(bookmarks);
  ASSERT_EQ(now.size(), awkward.size());
  EXPECT_TRUE(now == awkward);
  EXPECT_TRUE(Content(templ) == awkward) << "the template is only read";
  EXPECT_EQ(Ini("Options", "bookmarks"), "1");
  EXPECT_EQ(Trace("Bookill"), bookmarks);
  EXPECT_EQ(Text(112), "Done!     Bookmarks cleaned.");
}

TEST_F(BookmarkStepTest, NoLeavesTheFileTheKeysAndTheBackupAlone) {
  Put(templ, "template");
  SetIni("Prefs", "BookBack", "1");
  fake->answers.push_back(IDNO);
  EXPECT_TRUE(CleanBookmarks(page)) << "the run goes on";
  EXPECT_EQ(Content(bookmarks), "<old bookmarks of the user>");
  EXPECT_TRUE(wiped.paths.empty());
  EXPECT_EQ(Text(112), kLeftAlone);
  EXPECT_EQ(Ini("Options", "bookmarks"), "<absent>");
  EXPECT_EQ(Ini("Prefs", "BookBack"), "1");
  EXPECT_FALSE(FileExists(fake->InProgram("bookmark.bak")));
  EXPECT_EQ(Trace("Bookill"), "<absent>");
}

// Nothing is destroyed before what replaces it is in hand: without a
// template the bookmark file stays whole.
TEST_F(BookmarkStepTest, MissingTemplateStopsTheRunBeforeTheFileIsTouched) {
  // Named but absent, named but a folder, and never named at all (no
  // "CopyMe" "which").
  for (int how : {0, 1, 2}) {
    SCOPED_TRACE(how);
    Put(bookmarks, "<old bookmarks of the user>");
    fake->boxes.clear();
    if (how == 0) {
      lstrcpyA(szFixBookmark, (fake->programDir + "\\NOPE.BKM").c_str());
    } else if (how == 1) {
      lstrcpyA(szFixBookmark, Folder("program\\BKM.d").c_str());
    } else {
      ReadBookmarkTemplatePath();
      EXPECT_STREQ(szFixBookmark, "");
    }
    EXPECT_FALSE(CleanBookmarks(page));
    EXPECT_EQ(Content(bookmarks), "<old bookmarks of the user>");
    EXPECT_TRUE(wiped.paths.empty());
    ASSERT_EQ(fake->boxes.size(), 2u);
    EXPECT_EQ(fake->boxes[1].text, "Bookmark control file not found.");
    EXPECT_EQ(fake->boxes[1].title, "Error!");
    EXPECT_EQ(fake->boxes[1].type, UINT(MB_ICONEXCLAMATION));
    EXPECT_EQ(Trace("Bookma1"), "Bookmark source NOT found");
    EXPECT_EQ(Text(112), bookmarks) << "no Done! caption";
  }
}

TEST_F(BookmarkStepTest, AFileThatCannotBeWrittenStopsTheRunAndKeepsWhatIsThere) {
  Put(templ, "template");
  auto expectWriteFailure = [&]() {
    ASSERT_FALSE(CleanBookmarks(page));
    ASSERT_NE(LastBox(), nullptr);
    EXPECT_EQ(LastBox()->text, "Cannot write new Bookmark file!");
    EXPECT_EQ(LastBox()->title, "ERROR! ERROR! ERROR!");
    EXPECT_EQ(LastBox()->type, UINT(MB_ICONEXCLAMATION));
    EXPECT_EQ(Trace("Bookma2"), "Bookmark write failure");
  };
  {
    SCOPED_TRACE("a folder where the file belongs");
    string folder = Folder("Netscape\\bookmark.htm.d");
    Put(folder + "\\inside.htm", "inside");
    lstrcpyA(szBookmarkLoc, folder.c_str());
    expectWriteFailure();
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(Content(folder + "\\inside.htm"), "inside");
  }
  {
    SCOPED_TRACE("a read-only bookmark file");
    WritePrivateProfileStringA("Diagnostics", nullptr, nullptr, fake->IniPath().c_str());
    lstrcpyA(szBookmarkLoc, bookmarks.c_str());
    ASSERT_TRUE(SetFileAttributesA(bookmarks.c_str(), FILE_ATTRIBUTE_READONLY));
    expectWriteFailure();
    EXPECT_EQ(Content(bookmarks), "<old bookmarks of the user>");
    EXPECT_TRUE(GetFileAttributesA(bookmarks.c_str()) & FILE_ATTRIBUTE_READONLY);
  }
}

TEST_F(BookmarkStepTest, BookBackKeepsOneCopyAndIsThenSwitchedOff) {
  Put(templ, "template");
  string backup = fake->InProgram("bookmark.bak");  // the working directory
  Put(backup, "an earlier backup");
  SetIni("Prefs", "BookBack", "1");
  ASSERT_TRUE(CleanBookmarks(page));
  EXPECT_EQ(Content(backup), "<old bookmarks of the user>");
  EXPECT_EQ(Ini("Prefs", "BookBack"), "0");
  EXPECT_EQ(Content(bookmarks), "template");

  Put(bookmarks, "bookmarks after the first run");
  ASSERT_TRUE(CleanBookmarks(page));
  EXPECT_EQ(Content(backup), "<old bookmarks of the user>") << "one backup per request";
}

// A bookmark file that is a second name of another document: only the name
// goes, and the new bookmarks are written to a file of their own.
TEST_F(BookmarkStepTest, ABookmarkFileWithASecondNameLeavesTheOtherFileWhole) {
  Put(templ, "template");
  string document = Put(Folder("Documents") + "\\saved.htm", "<the user's saved page>");
  ASSERT_TRUE(DeleteFileA(bookmarks.c_str()));
  ASSERT_TRUE(CreateHardLinkA(bookmarks.c_str(), document.c_str(), nullptr)) << GetLastError();
  ASSERT_TRUE(CleanBookmarks(page));
  EXPECT_EQ(Content(document), "<the user's saved page>");
  EXPECT_EQ(Content(bookmarks), "template");
  EXPECT_TRUE(wiped.paths.empty()) << "nothing was overwritten";
}

// The backup name in the program folder is a second name of a document:
// the backup must not be written into that document.
TEST_F(BookmarkStepTest, ABackupNameSharedWithADocumentLeavesTheDocumentWhole) {
  Put(templ, "template");
  string document = Put(Folder("Documents") + "\\report.doc", "<the user's report>");
  string backup = fake->InProgram("bookmark.bak");
  ASSERT_TRUE(CreateHardLinkA(backup.c_str(), document.c_str(), nullptr)) << GetLastError();
  SetIni("Prefs", "BookBack", "1");
  ASSERT_TRUE(CleanBookmarks(page));
  EXPECT_EQ(Content(document), "<the user's report>");
  EXPECT_EQ(Content(backup), "<old bookmarks of the user>") << "the backup is a file of its own";
}

// ---- Cache ----

TEST_F(CacheStepTest, EveryFileIsShownIndentedAndWiped) {
  string cache = Folder("Netscape\\Users\\default\\cache");
  std::vector<string> files = PutFiles(cache, 3);
  UseCache(cache);
  CleanCache(page);
  EXPECT_EQ(Entries(cache), 0);
  ASSERT_EQ(wiped.paths.size(), 3u);
  std::vector<string> shown;
  for (size_t i = 0; i < wiped.paths.size(); ++i) {
    string name = wiped.paths[i].substr(cache.size() + 1);
    EXPECT_EQ(wiped.paths[i], cache + "\\" + name);
    shown.push_back(kIndent + name);
  }
  EXPECT_TRUE(ShowsProgress(wiped.captions, shown));
  EXPECT_EQ(Text(113), "Done!     Cache dir cleaned.");
  EXPECT_TRUE(fake->boxes.empty());
  EXPECT_EQ(Trace("CachFil"), cache);
  EXPECT_EQ(Trace("CachLoc"), cache + "\\*.*");
  EXPECT_EQ(Trace("Archive Dir NOT selected"), "unchecked");
  EXPECT_EQ(string(szCacheLoc), cache) << "the path stays the folder";
}

TEST_F(CacheStepTest, GuardTakesExactlyThreeSpellings) {
  const char* accepted[] = {"CACHE", "cache", "Cache"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(accepted[i]);
    // Separate parents: the file system does not tell these names apart.
    string cache = Folder("p" + std::to_string(i) + "\\" + accepted[i]);
    PutFiles(cache, 2);
    UseCache(cache);
    CleanCache(page);
    EXPECT_EQ(Entries(cache), 0);
    EXPECT_EQ(Text(113), "Done!     Cache dir cleaned.");
  }
  EXPECT_TRUE(fake->boxes.empty());

  string odd = Folder("Netscape\\CaChE");
  std::vector<string> files = PutFiles(odd, 2);
  UseCache(odd);
  CleanCache(page);
  for (const string& f : files) EXPECT_TRUE(FileExists(f)) << f;
  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].text, "Cache files not in a folder named CACHE.");
  EXPECT_EQ(fake->boxes[0].title, "Protection triggered!");
  EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONEXCLAMATION));
  EXPECT_EQ(fake->boxes[0].owner, nullptr);
  EXPECT_EQ(Text(113), "Error!    Cache left alone!");
  EXPECT_EQ(Trace("BADcachefileLOC-PROT-TRIG"), odd);
}

TEST_F(CacheStepTest, FatDBSwitchesTheGuardOff) {
  string temp = Folder("Temp");
  std::vector<string> files = PutFiles(temp, 3);
  UseCache(temp);
  CleanCache(page);
  EXPECT_EQ(Entries(temp), 3);
  EXPECT_EQ(fake->boxes.size(), 1u);

  SetIni("Prefs", "FatDB", "1");
  CleanCache(page);
  EXPECT_EQ(Entries(temp), 0);
  EXPECT_EQ(fake->boxes.size(), 1u) << "no second message";
  EXPECT_EQ(Text(113), "Done!     Cache dir cleaned.");
}

TEST_F(CacheStepTest, OnlyOrdinaryFilesGo) {
  string cache = Folder("Netscape\\cache");
  string plain = Put(cache + "\\plain.moz", "plain");
  string hidden = Put(cache + "\\hidden.moz", "hidden");
  string system = Put(cache + "\\system.moz", "system");
  string readOnly = Put(cache + "\\readonly.moz", "read-only");
  string sub = Folder("Netscape\\cache\\sub");
  string inSub = Put(sub + "\\deep.moz", "deep");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  std::vector<string> listed = ListPlainFiles(cache);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<string>{"plain.moz", "readonly.moz"})) << "read-only is left to the wipe";
  UseCache(cache);
  CleanCache(page);

  EXPECT_FALSE(FileExists(plain));
  EXPECT_EQ(Content(hidden), "hidden");
  EXPECT_EQ(Content(system), "system");
  EXPECT_EQ(Content(readOnly), "read-only");
  EXPECT_EQ(Content(inSub), "deep");
  EXPECT_EQ(wiped.paths, std::vector<string>{plain});
  EXPECT_EQ(Text(113), "Error!    1 file could not be wiped!") << "the read-only file is still there";
}

TEST_F(CacheStepTest, AFolderLinkInTheCacheLeadsNowhere) {
  string outside = Folder("Documents");
  std::vector<string> precious = PutFiles(outside, 3, "letter");
  string cache = Folder("Netscape\\cache");
  FolderLink link(cache + "\\elsewhere", outside);
  ASSERT_TRUE(link.ok()) << "a folder link is needed for this test";
  Put(cache + "\\cached.moz", "cached");
  EXPECT_EQ(ListPlainFiles(cache), std::vector<string>{"cached.moz"});
  UseCache(cache);
  CleanCache(page);
  EXPECT_FALSE(FileExists(cache + "\\cached.moz"));
  for (size_t i = 0; i < precious.size(); ++i) EXPECT_EQ(Content(precious[i]), "data " + std::to_string(i));
  EXPECT_EQ(Entries(outside), 3);
  EXPECT_EQ(wiped.paths.size(), 1u);
}

TEST_F(CacheStepTest, NoFolderMeansNoFiles) {
  UseCache(fake->root + "\\Netscape\\no-such\\cache");
  CleanCache(page);
  EXPECT_EQ(Text(113), "Done!     Cache dir cleaned.");
  EXPECT_TRUE(fake->boxes.empty());

  // An empty path with the guard off must not mean the working directory.
  std::vector<string> program = PutFiles(fake->programDir, 2, "program");
  SetIni("Prefs", "FatDB", "1");
  UseCache("");
  CleanCache(page);
  for (const string& f : program) EXPECT_TRUE(FileExists(f)) << f;
  EXPECT_TRUE(wiped.paths.empty());
}

// The guard judges the folder the listing really reaches: a path that
// climbs out of a "cache" folder, a relative one, and a cache folder that
// is itself a link are refused unless where they lead is a cache folder.
TEST_F(CacheStepTest, TheGuardJudgesWhereThePathReallyLeads) {
  string precious = Folder("pr\\Precious");
  std::vector<string> letters = PutFiles(precious, 2, "letter");
  Folder("pr\\cache");
  string outsideCache = Folder("elsewhere\\othercache");
  std::vector<string> cached = PutFiles(outsideCache, 2, "cached");
  FolderLink toPrecious(Folder("linked") + "\\cache", precious);
  FolderLink toCache(Folder("moved") + "\\cache", outsideCache);
  ASSERT_TRUE(toPrecious.ok() && toCache.ok()) << "folder links are needed for this test";
  std::vector<string> program = PutFiles(fake->programDir, 2, "program");

  for (const string& named : {fake->root + "\\pr\\cache\\..\\Precious", fake->root + "\\linked\\cache",
                              string("Cache\\.."), string("cache"), string("C:\\"), string("C:\\cache\\..")}) {
    SCOPED_TRACE(named);
    fake->boxes.clear();
    UseCache(named);
    CleanCache(page);
    ASSERT_EQ(fake->boxes.size(), 1u);
    EXPECT_EQ(fake->boxes[0].title, "Protection triggered!");
    EXPECT_EQ(Text(113), "Error!    Cache left alone!");
    EXPECT_NE(Trace("BADcachefileLOC-PROT-TRIG"), "<absent>");
  }
  for (size_t i = 0; i < letters.size(); ++i) EXPECT_EQ(Content(letters[i]), "data " + std::to_string(i));
  for (const string& f : program) EXPECT_TRUE(FileExists(f)) << f;
  EXPECT_TRUE(wiped.paths.empty());

  // A cache folder that is a link leads where its name does not say, even
  // to another folder named as a cache: it is refused, and the folder
  // behind it keeps every file.
  fake->boxes.clear();
  UseCache(fake->root + "\\moved\\cache");
  CleanCache(page);
  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].text,
            "The cache folder was left alone: it is a link or mount point, or lies behind one.");
  EXPECT_EQ(Entries(outsideCache), 2);
  EXPECT_EQ(Trace("CachFil"), fake->root + "\\moved\\cache");
  EXPECT_EQ(Text(113), "Error!    Cache left alone!");
  EXPECT_TRUE(FileExists(fake->root + "\\moved\\cache"));
}

// A cache file that is a second name of a document keeps the document's
// bytes; a file the browser holds without write sharing stays whole, and
// the caption does not claim the folder was cleaned: neither the held file
// nor the bytes the second name keeps are gone.
TEST_F(CacheStepTest, SharedAndHeldFilesAreNeverDestroyedNorCountedAsCleaned) {
  string cache = Folder("Netscape\\cache");
  string document = Put(Folder("Documents") + "\\letter.txt", "the user's letter");
  ASSERT_TRUE(CreateHardLinkA((cache + "\\linked.moz").c_str(), document.c_str(), nullptr));
  string held = Put(cache + "\\held.moz", "held by the browser");
  string plain = Put(cache + "\\plain.moz", "cached page");
  UseCache(cache);
  {
    HeldFile browser(held, "rd");
    ASSERT_TRUE(browser.ok());
    CleanCache(page);
    EXPECT_EQ(Text(113), "Error!    2 files could not be wiped!");
  }
  EXPECT_EQ(Content(document), "the user's letter");
  EXPECT_FALSE(FileExists(cache + "\\linked.moz"));
  EXPECT_EQ(Content(held), "held by the browser");
  EXPECT_FALSE(FileExists(plain));
  EXPECT_EQ(wiped.paths, std::vector<string>{plain});
  EXPECT_EQ(Trace("NotWiped"), held);
}

namespace {

// A plain file at the root of drive C:, removed again however the test ends.
struct FileAtDriveRoot {
  FileAtDriveRoot() : path("C:\\mopwell-victim-" + std::to_string(GetCurrentProcessId()) + ".txt") {
    EXPECT_TRUE(WriteFileBytes(path, "at the root"));
  }
  ~FileAtDriveRoot() {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
  string path;
};

}  // namespace

// With the name guard switched off, a cache folder that is a link to a
// drive's root is still no place to empty.
TEST_F(CacheStepTest, ACacheLinkedToADriveRootIsLeftAloneEvenWithTheGuardOff) {
  FileAtDriveRoot victim;
  FolderLink link(Folder("Netscape") + "\\cache", "C:\\");
  ASSERT_TRUE(link.ok()) << "a folder link is needed for this test";
  SetIni("Prefs", "FatDB", "1");
  UseCache(fake->root + "\\Netscape\\cache");
  CleanCache(page);
  EXPECT_EQ(Content(victim.path), "at the root");
  EXPECT_TRUE(wiped.paths.empty());
  EXPECT_EQ(Text(113), "Error!    Cache left alone!");
}

// The cache folder is swapped for a link to the user's documents while the
// walk is under way (after its guard and its listing): no document whose
// name was in the listing may be overwritten or deleted through the link.
TEST_F(CacheStepTest, ACacheSwappedForALinkDuringTheWalkDestroysNothingBehindIt) {
  string cache = Folder("Netscape\\cache");
  std::vector<string> cached = PutFiles(cache, 3);
  string documents = Folder("Documents");
  std::vector<string> letters = PutFiles(documents, 3);
  for (const string& letter : letters) Put(letter, "the user's letter");
  // The swap is tried after the first wipe, on the folder and on its
  // parent: the walk holds both, so neither may be moved away.
  bool tried = false;
  std::unique_ptr<FolderLink> swapped;
  wiped.also = [&](const string&) {
    if (tried) return;
    tried = true;
    for (const string& from : {cache, fake->root + "\\Netscape"}) {
      if (!MoveFileA(from.c_str(), (from + "-moved").c_str())) continue;
      swapped = std::make_unique<FolderLink>(from, documents);
      break;
    }
  };
  UseCache(cache);
  CleanCache(page);
  ASSERT_TRUE(tried) << "the walk wiped nothing";
  EXPECT_FALSE(swapped) << "a folder of the walk was moved away under it";
  for (const string& letter : letters) EXPECT_EQ(Content(letter), "the user's letter") << letter;
  EXPECT_EQ(Entries(cache), 0) << "the cache itself is emptied";
}

// Every name the cache holds is reached: names Windows would not open as
// written (a device, a trailing dot or blank), a name outside the ANSI code
// page and one whose path is longer than MAX_PATH are taken by their
// "\\\\?\\" form and destroyed, never opened as the printer port or
// another file, never passed by while the step says "Done!".
TEST_F(CacheStepTest, EveryNameTheFolderHoldsIsReached) {
  string cache = Folder("Netscape\\cache");
  string plain = Put(cache + "\\plain.moz", "cached");
  std::wstring wideCache = L"\\\\?\\" + std::wstring(cache.begin(), cache.end());
  const std::wstring odd[] = {L"NUL", L"COM1.txt", L"aux.htm", L"x.", L"y ", L"\u4e2d\u6587.moz",
                              L"long" + std::wstring(240, L'n') + L".moz"};
  for (const std::wstring& name : odd) {
    HANDLE h = CreateFileW((wideCache + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "name " << (&name - odd);
    DWORD wrote = 0;
    WriteFile(h, "odd", 3, &wrote, nullptr);
    CloseHandle(h);
  }
  ASSERT_GT(cache.size() + 1 + odd[6].size(), size_t(MAX_PATH));
  UseCache(cache);
  CleanCache(page);
  EXPECT_EQ(wiped.paths.size(), std::size(odd) + 1);
  WIN32_FIND_DATAW f;
  HANDLE find = FindFirstFileW((wideCache + L"\\*").c_str(), &f);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  int left = 0;
  do left += wcscmp(f.cFileName, L".") != 0 && wcscmp(f.cFileName, L"..") != 0;
  while (FindNextFileW(find, &f));
  FindClose(find);
  EXPECT_EQ(left, 0) << "every name is gone";
  EXPECT_EQ(Text(113), "Done!     Cache dir cleaned.");
}

// A folder whose listing is refused, or breaks off, holds files nobody can
// name: the step fails and claims nothing, and no file goes.
TEST_F(CacheStepTest, AFolderThatCannotBeListedFailsTheStepAndKeepsEveryFile) {
  string cache = Folder("Netscape\\cache");
  std::vector<string> files = PutFiles(cache, 4);
  UseCache(cache);
  for (int after : {0, 3}) {
    SCOPED_TRACE(after);
    fake->listingFailsAfter = after;
    CleanCache(page);
    fake->listingFailsAfter = -1;
    EXPECT_EQ(Text(113), "Error!    Folder could not be read!");
    for (const string& f : files) EXPECT_EQ(Content(f).substr(0, 5), "data ") << f;
    EXPECT_TRUE(wiped.paths.empty());
  }
}

// ---- Archive ----

TEST_F(ArchiveStepTest, EmptiedWhenChosenEvenAfterTheCacheGuardRefused) {
  string temp = Folder("Temp");
  std::vector<string> cacheFiles = PutFiles(temp, 2);
  string main = Folder("Netscape\\Users\\default");
  string archive = Folder("Netscape\\Users\\default\\archive");
  PutFiles(archive, 4, "arc");
  lstrcpyA(MainDir, main.c_str());
  UseCache(temp);
  CleanCache(page);
  EXPECT_EQ(Entries(archive), 4) << "not chosen";
  EXPECT_EQ(Trace("Archive Dir NOT selected"), "unchecked");
  EXPECT_EQ(Trace("Archive Dir was done"), "<absent>");

  SetIni("Prefs", "NewsMsgs", "1");
  CleanCache(page);
  for (const string& f : cacheFiles) EXPECT_TRUE(FileExists(f)) << f;
  EXPECT_EQ(Entries(archive), 0);
  ASSERT_EQ(wiped.paths.size(), 4u);
  std::vector<string> shown;
  for (const string& path : wiped.paths) shown.push_back(path.substr(archive.size() + 1));
  EXPECT_TRUE(ShowsProgress(wiped.captions, shown)) << "the bare name";
  EXPECT_EQ(fake->boxes.size(), 2u) << "the guard message, once per run";
  EXPECT_EQ(Text(113), "Error!    Cache left alone!") << "a refused step never says Done!";
  EXPECT_EQ(Trace("Archive Dir was done"), archive + "\\*.*");
}

TEST_F(ArchiveStepTest, EachFileIsWipedOnceAndLateArrivalsAreTakenToo) {
  string cache = Folder("Netscape\\cache");
  string main = Folder("Netscape\\main");
  string archive = Folder("Netscape\\main\\archive");
  PutFiles(archive, 5, "arc");
  string held = Put(archive + "\\held.arc", "the browser holds this");
  string readOnly = Put(archive + "\\kept.arc", "read-only");
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  string late = archive + "\\late.arc";
  wiped.also = [&](const string&) {
    if (!FileExists(late) && wiped.paths.size() == 1) Put(late, "arrived during the walk");
  };
  lstrcpyA(MainDir, main.c_str());
  SetIni("Prefs", "NewsMsgs", "1");
  UseCache(cache);
  HeldFile browser(held, "rw");  // overwritten, but cannot be deleted
  ASSERT_TRUE(browser.ok());
  CleanCache(page);

  int heldWipes = 0, lateWipes = 0;
  for (const string& p : wiped.paths) {
    heldWipes += p == held;
    lateWipes += p == late;
  }
  EXPECT_EQ(heldWipes, 1) << "a survivor is not wiped again";
  EXPECT_EQ(lateWipes, 1);
  EXPECT_EQ(wiped.paths.size(), 7u);
  EXPECT_FALSE(FileExists(late));
  EXPECT_TRUE(FileExists(held));
  EXPECT_EQ(Content(readOnly), "read-only");
  EXPECT_EQ(Entries(archive), 2);
}

// The archive is emptied without a name to check. An "archive" that is a
// link to the browser folder itself, to a folder that holds the profile,
// to Windows, to this program's folder or to a drive's root is left alone.
TEST_F(ArchiveStepTest, AnArchiveLinkedToAFolderThatHoldsOtherThingsIsLeftAlone) {
  FileAtDriveRoot victim;
  string main = Folder("Netscape\\main");
  string profile = Folder("Users\\me\\profile");
  lstrcpyA(MainDir, main.c_str());
  lstrcpyA(ProfileDir, profile.c_str());
  std::vector<string> kept = {Put(main + "\\netscape.exe", "the browser"),
                              Put(profile + "\\prefs.js", "user_pref(\"a\", 1);"),
                              Put(fake->windowsDir + "\\win.ini", "[windows]"),
                              Put(fake->programDir + "\\mopwell.exe", "this program")};
  SetIni("Prefs", "NewsMsgs", "1");
  UseCache(Folder("Netscape\\cache"));
  for (const string& target : {main, profile, fake->root + "\\Users", fake->windowsDir, fake->programDir,
                               string("C:\\")}) {
    SCOPED_TRACE(target);
    FolderLink link(main + "\\archive", target);
    ASSERT_TRUE(link.ok()) << "a folder link is needed for this test";
    CleanCache(page);
    EXPECT_EQ(Text(113), "Error!    Archive left alone!");
    EXPECT_NE(Trace("BADarchiveLOC-PROT-TRIG"), "<absent>");
  }
  for (const string& f : kept) EXPECT_NE(Content(f), "<missing>") << f;
  EXPECT_EQ(Content(victim.path), "at the root");
  EXPECT_TRUE(wiped.paths.empty());
}

// ---- Recent documents ----

TEST_F(RecentDocsStepTest, TheRecentFolderIsEmptied) {
  const char* spellings[] = {"Recent", "RECENT", "recent"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(spellings[i]);
    wiped.paths.clear();
    wiped.captions.clear();
    Watch(153);
    string recent = Folder("w" + std::to_string(i) + "\\WINDOWS\\" + spellings[i]);
    PutFiles(recent, 3, "doc");
    string sub = Folder("w" + std::to_string(i) + "\\WINDOWS\\" + spellings[i] + "\\sub");
    string inSub = Put(sub + "\\deep.lnk", "deep");
    string hidden = Put(recent + "\\desktop.ini", "hidden");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    lstrcpyA(szDocDir, recent.c_str());
    CleanRecentDocuments(page);
    EXPECT_EQ(Entries(recent), 2) << "the subfolder and the hidden file";
    EXPECT_EQ(Content(inSub), "deep");
    EXPECT_EQ(Content(hidden), "hidden");
    ASSERT_EQ(wiped.paths.size(), 3u);
    std::vector<string> shown;
    for (const string& path : wiped.paths) shown.push_back(path.substr(recent.size() + 1));
    EXPECT_TRUE(ShowsProgress(wiped.captions, shown));
    EXPECT_EQ(Text(153), "Done!     Recent docs cleaned.");
    EXPECT_EQ(Trace("Docfile"), recent + "\\*.*");
  }
  EXPECT_TRUE(fake->boxes.empty());
}

TEST_F(RecentDocsStepTest, AnyOtherFolderIsRefused) {
  for (const char* name : {"Docs", "ReCeNt"}) {
    SCOPED_TRACE(name);
    fake->boxes.clear();
    string docs = Folder(string("WINDOWS\\") + name);
    std::vector<string> files = PutFiles(docs, 2, "doc");
    lstrcpyA(szDocDir, docs.c_str());
    CleanRecentDocuments(page);
    for (const string& f : files) EXPECT_TRUE(FileExists(f)) << f;
    ASSERT_EQ(fake->boxes.size(), 1u);
    EXPECT_EQ(fake->boxes[0].text, "Recent documents were not found.");
    EXPECT_EQ(fake->boxes[0].title, "Protection triggered!");
    EXPECT_EQ(fake->boxes[0].type, UINT(MB_ICONEXCLAMATION));
    EXPECT_EQ(Text(153), "Error!    Recent Docs left alone!");
    EXPECT_EQ(lstrcmpiA(Trace("BADrecentdocsfileLOC-PROT-TRIG").c_str(), docs.c_str()), 0)
        << Trace("BADrecentdocsfileLOC-PROT-TRIG");
  }
  EXPECT_TRUE(wiped.paths.empty());
}

TEST_F(RecentDocsStepTest, AFolderThatClimbsOutOfRecentIsRefused) {
  string precious = Folder("WINDOWS\\Precious3");
  std::vector<string> files = PutFiles(precious, 2, "doc");
  Folder("WINDOWS\\Recent");
  for (const string& named : {fake->root + "\\WINDOWS\\Recent\\..\\Precious3", string("Recent"), string("")}) {
    SCOPED_TRACE(named);
    fake->boxes.clear();
    lstrcpyA(szDocDir, named.c_str());
    CleanRecentDocuments(page);
    ASSERT_EQ(fake->boxes.size(), 1u);
    EXPECT_EQ(Text(153), "Error!    Recent Docs left alone!");
  }
  for (size_t i = 0; i < files.size(); ++i) EXPECT_EQ(Content(files[i]), "data " + std::to_string(i));
  EXPECT_TRUE(wiped.paths.empty());
}

// ---- The whole page ----

TEST_F(BookmarkCacheRunTest, OkRunsTheStepsAndEndsTheProgram) {
  Prepare(true, Folder("Netscape\\cache"), Folder("WINDOWS\\Recent"));
  PutFiles(cache, 3);
  PutFiles(docs, 3, "doc");
  PressOk();

  // The template's bytes as written above, not as the run left it.
  EXPECT_EQ(Content(bookmarks), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n");
  EXPECT_EQ(Content(templ), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n");
  EXPECT_EQ(Entries(cache), 0);
  EXPECT_EQ(Entries(docs), 0);
  EXPECT_EQ(Text(112), "Done!     Bookmarks cleaned.");
  EXPECT_EQ(Text(113), "Done!     Cache dir cleaned.");
  EXPECT_EQ(Text(153), "Done!     Recent docs cleaned.");
  for (const char* key : {"bookmarks", "cache", "docs"}) EXPECT_EQ(Ini("Options", key), "1") << key;
  EXPECT_EQ(Trace("Bookill"), bookmarks);
  EXPECT_TRUE(WaitedThreeSeconds());
  EXPECT_TRUE(QuitPosted());
}

TEST_F(BookmarkCacheRunTest, ABookmarkErrorStopsTheRunButNotTheProgram) {
  Prepare(false, Folder("Netscape\\cache"), Folder("WINDOWS\\Recent"));
  std::vector<string> kept = PutFiles(cache, 2);
  for (const string& f : PutFiles(docs, 2, "doc")) kept.push_back(f);
  PressOk();

  EXPECT_EQ(Content(bookmarks), "old") << "nothing is destroyed before its replacement is in hand";
  ASSERT_EQ(fake->boxes.size(), 2u);
  EXPECT_EQ(fake->boxes[1].text, "Bookmark control file not found.");
  EXPECT_EQ(Text(113), "Remove caches and databases");
  EXPECT_EQ(Text(153), "Remove start button documents");
  for (const string& f : kept) EXPECT_TRUE(FileExists(f)) << f;
  EXPECT_EQ(Ini("Options", "cache"), "<absent>");
  EXPECT_EQ(Ini("Options", "docs"), "<absent>");
  EXPECT_FALSE(WaitedThreeSeconds());
  EXPECT_FALSE(QuitPosted());
  EXPECT_TRUE(IsWindow(page));
}

TEST_F(BookmarkCacheRunTest, NoAndGuardRefusalsLetTheRunEndNormally) {
  Prepare(true, Folder("Temp"), Folder("WINDOWS\\Docs"));
  std::vector<string> kept = PutFiles(cache, 2);
  for (const string& f : PutFiles(docs, 2, "doc")) kept.push_back(f);
  string archive = Folder("Netscape\\archive");
  PutFiles(archive, 3, "arc");
  lstrcpyA(MainDir, Folder("Netscape").c_str());
  SetIni("Prefs", "NewsMsgs", "1");
  fake->answers.push_back(IDNO);
  PressOk();

  EXPECT_EQ(Content(bookmarks), "old");
  EXPECT_EQ(Ini("Options", "bookmarks"), "<absent>");
  EXPECT_EQ(Text(112), kLeftAlone);
  ASSERT_EQ(fake->boxes.size(), 3u);
  EXPECT_EQ(fake->boxes[1].text, "Cache files not in a folder named CACHE.");
  EXPECT_EQ(fake->boxes[2].text, "Recent documents were not found.");
  for (const string& f : kept) EXPECT_TRUE(FileExists(f)) << f;
  EXPECT_EQ(Entries(archive), 0);
  EXPECT_EQ(Text(113), "Error!    Cache left alone!");
  EXPECT_EQ(Text(153), "Error!    Recent Docs left alone!");
  EXPECT_TRUE(WaitedThreeSeconds());
  EXPECT_TRUE(QuitPosted());
}
