// The news and mail steps of the clean run on a real clean page: the
// subscription files a news map names (and only those inside the news
// folder in use), the server-folder databases, the mail folders for each
// choice of the user, and the page run that calls them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaners.h"
#include "discovery_fixture.h"
#include "folder_link.h"
#include "mopwell.h"
#include "page_fixture.h"
#include "wipe.h"

using std::string;

namespace {

const char kNewsDone[] = "Done!     News data cleaned.";
const char kSubsDone[] = "Done!     Subs+folders cleaned.";
const char kMailDone[] = "Done!     Email cleaned.  ";
const char kNoMap[] = "No FAT file!  News data left alone.";
const char kRefusedNews[] = "Error!    News data left alone!";
const char kRefusedServers[] = "Error!    News folders left alone!";

// A folder at the root of drive C: for the tests that need a drive's root
// to hold something; removed again however the test ends.
struct RootFolder {
  explicit RootFolder(string at) : path(std::move(at)) {
    RemoveTree(path);
    CreateDirectoryA(path.c_str(), nullptr);
  }
  ~RootFolder() { RemoveTree(path); }
  string path;
};

struct WipeLog {
  HWND page = nullptr;
  int box = 0;
  std::vector<string> paths;
  std::vector<string> captions;  // of the watched box when the file was wiped
  void Clear() {
    paths.clear();
    captions.clear();
  }
};

void Observe(const char* path, void* context) {
  WipeLog* log = static_cast<WipeLog*>(context);
  log->paths.push_back(path);
  char caption[512] = "";
  GetDlgItemTextA(log->page, log->box, caption, sizeof caption);
  log->captions.push_back(caption);
}

bool SameNoCase(const string& a, const string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// A map as the browser writes it, naming `files` in order.
string MapOf(const std::vector<string>& files) {
  string map = "netscape-newsrc-map-file\r\n";
  int n = 0;
  for (const string& f : files) map += "newsrc-server" + std::to_string(++n) + ".example\t" + f + "\tFALSE\r\n";
  return map + "\r\n";
}

class NewsMailTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    OpenCleanPage();
    if (HasFatalFailure()) return;
    wiped.page = page;
    SetWipeObserver(Observe, &wiped);
    news = Folder("Users\\me\\news");
    lstrcpyA(szNewsLoc, news.c_str());
  }
  void TearDown() override {
    SetWipeObserver(nullptr, nullptr);
    PageTest::TearDown();
  }

  string Folder(const string& relative) const { return fake->Folder(relative); }
  static string Put(const string& path, const string& bytes = "data") {
    EXPECT_TRUE(WriteFileBytes(path, bytes)) << path;
    return path;
  }
  static string Content(const string& path) {
    string bytes;
    return ReadFileBytes(path, bytes) ? bytes : string("<missing>");
  }
  string Trace(const char* key) const { return Ini("Diagnostics", key); }
  void PressOk() {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDOK)));
  }
  void ClearTrace() { WritePrivateProfileStringA("Diagnostics", nullptr, nullptr, fake->IniPath().c_str()); }
  int BoxesTitled(const string& title) const {
    int n = 0;
    for (const ShownBox& b : fake->boxes) n += b.title == title;
    return n;
  }
  bool Wiped(const string& path) const {
    for (const string& p : wiped.paths)
      if (SameNoCase(p, path)) return true;
    return false;
  }

  WipeLog wiped;
  string news;
};

}  // namespace

// ---- News tracks (box 107) ----

TEST_F(NewsMailTest, SubscriptionFilesGoAndRcgFilesFollowTheirPreference) {
  wiped.box = 107;
  for (int rcgs : {0, 1}) {
    SCOPED_TRACE(rcgs);
    wiped.Clear();
    ClearTrace();
    SetIni("Prefs", "NewsRCGs", rcgs ? "1" : "0");
    const string rc1 = Put(news + "\\news.rc"), rcg1 = Put(news + "\\srv2.rcg");
    const string rc2 = Put(news + "\\news2.rc"), rcg2 = Put(news + "\\SRV4.RCG");
    Put(news + "\\FAT", MapOf({rc1, rcg1, rc2, rcg2}));
    CleanNewsTracks(page);

    EXPECT_FALSE(FileExists(rc1));
    EXPECT_FALSE(FileExists(rc2));
    EXPECT_EQ(FileExists(rcg1), rcgs == 0) << "a lower-case .rcg is an .rcg too";
    EXPECT_EQ(FileExists(rcg2), rcgs == 0);
    std::vector<string> expected{rc1, rc2};
    if (rcgs) expected = {rc1, rcg1, rc2, rcg2};
    ASSERT_EQ(wiped.paths.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      EXPECT_TRUE(SameNoCase(wiped.paths[i], expected[i])) << wiped.paths[i];
    EXPECT_TRUE(SameNoCase(wiped.captions[0], rc1)) << "each subscription file is shown";
    EXPECT_TRUE(SameNoCase(Trace("Newsrc1"), rc1));
    EXPECT_TRUE(SameNoCase(Trace("Newsrc2"), rc2));
    EXPECT_EQ(Trace("Newsrc3"), "<absent>") << ".rcg files are not in the running count";
    EXPECT_EQ(Trace("Newsrcg"), "2 rcg's skipped");
    EXPECT_TRUE(SameNoCase(Trace("Newsdid"), rcg2)) << "the last path";
    EXPECT_EQ(Trace("Newschk"), "using FAT");
    EXPECT_EQ(Trace("Newsreg"), news + "\\FAT");
    EXPECT_EQ(Trace("FatOPEN"), "FAT Newsdata read OK");
    EXPECT_EQ(Trace("FatFILE"), "<absent>");
    EXPECT_EQ(Text(107), kNewsDone);
  }
  EXPECT_TRUE(fake->boxes.empty());
  EXPECT_EQ(Content(news + "\\FAT"), MapOf({news + "\\news.rc", news + "\\srv2.rcg", news + "\\news2.rc",
                                            news + "\\SRV4.RCG"}))
      << "the map itself stays";
}

TEST_F(NewsMailTest, AMapOfAnyLengthIsReadWhole) {
  std::vector<string> files;
  for (int i = 0; i < 60; ++i)
    files.push_back(Put(news + "\\subscriptions-of-server-number-" + std::to_string(i) + ".rc"));
  Put(news + "\\FAT", MapOf(files));
  ASSERT_GT(Content(news + "\\FAT").size(), 5000u);
  CleanNewsTracks(page);
  for (const string& f : files) EXPECT_FALSE(FileExists(f)) << f;
  EXPECT_EQ(wiped.paths.size(), files.size());
  EXPECT_TRUE(SameNoCase(Trace("Newsrc60"), files.back()));
  EXPECT_EQ(Trace("Newsrc61"), "<absent>");
  EXPECT_EQ(Trace("Newsrcg"), "0 rcg's skipped");
  EXPECT_EQ(Text(107), kNewsDone);
}

TEST_F(NewsMailTest, TheCustomsOverridesChooseTheNewsFolder) {
  const string a = Folder("A\\news"), b = Folder("B\\news");
  const string inA = Put(a + "\\news.rc"), inB = Put(b + "\\news.rc"), inNews = Put(news + "\\news.rc");
  Put(a + "\\FAT", MapOf({inA}));
  Put(b + "\\FAT", MapOf({inB, inA}));  // A's file is not in B
  Put(news + "\\FAT", MapOf({inNews}));

  // "fat" is applied after "news" and wins.
  SetIni("customs", "news", a.c_str());
  SetIni("customs", "fat", b.c_str());
  SetIni("customs", "subs", "host-example");
  CleanNewsTracks(page);
  EXPECT_EQ(string(szNewsLoc), b);
  EXPECT_EQ(string(szNewsPlace), b + "\\FAT");
  EXPECT_EQ(string(newsit), "host-example");
  EXPECT_EQ(string(NewsSub), b + "\\host-example");
  EXPECT_FALSE(FileExists(inB));
  EXPECT_TRUE(FileExists(inA)) << "outside the folder in use";
  EXPECT_EQ(Trace("NewsOutside1"), inA);
  EXPECT_EQ(Trace("Newsreg"), b + "\\FAT");

  // A value holding "*" anywhere overrides nothing.
  lstrcpyA(szNewsLoc, news.c_str());
  SetIni("customs", "fat", "C:\\*");
  CleanNewsTracks(page);
  EXPECT_EQ(string(szNewsLoc), a);
  EXPECT_FALSE(FileExists(inA));

  // An empty value names no folder and overrides nothing either; nor does
  // one too long for the field, which cut short would name a parent folder.
  const string again = Put(news + "\\news.rc");
  lstrcpyA(szNewsLoc, news.c_str());
  SetIni("customs", "news", "");
  SetIni("customs", "fat", (a + "\\" + string(250 - a.size(), 'x')).c_str());
  CleanNewsTracks(page);
  EXPECT_EQ(string(szNewsLoc), news);
  EXPECT_FALSE(FileExists(again));

  lstrcpyA(szNewsLoc, news.c_str());
  Put(news + "\\news.rc");
  SetIni("customs", "news", "*");
  SetIni("customs", "fat", nullptr);
  SetIni("customs", "subs", nullptr);
  CleanNewsTracks(page);
  EXPECT_EQ(string(szNewsLoc), news);
  EXPECT_EQ(string(NewsSub), news + "\\host-news");
  EXPECT_FALSE(FileExists(inNews));
  EXPECT_EQ(Text(107), kNewsDone);
}

// The map comes from outside the program: only files inside the news folder
// in use may be wiped, however the path is written.
TEST_F(NewsMailTest, OnlyFilesInsideTheNewsFolderAreWiped) {
  const string docs = Folder("Users\\me\\Documents");
  const string news2 = Folder("Users\\me\\news2");
  Folder("Users\\me\\news\\host-news");
  const string letter = Put(docs + "\\letter.rc", "a letter");
  const string letterRcg = Put(docs + "\\other.rcg", "another");
  const string parentFile = Put(fake->root + "\\Users\\me\\secret.rc", "secret");
  const string sibling = Put(news2 + "\\x.rc", "sibling");
  const string relative = Put(news + "\\rel.rc");
  const string climbing = Put(news + "\\news1.rc");
  const string upper = Put(news + "\\upper.rc");
  const string slashed = Put(news + "\\slashed.rc");
  std::vector<string> outside = {letter, "..\\secret.rc", news2 + "\\x.rc", news + "\\..\\secret.rc", letterRcg,
                                 news + "\\.."};
  std::vector<string> map = {letter,  "rel.rc", "..\\secret.rc", news + "\\host-news\\..\\news1.rc",
                             news2 + "\\x.rc"};
  string upperForm = upper;
  CharUpperBuffA(&upperForm[0], static_cast<DWORD>(upperForm.size()));
  string slashedForm = slashed;
  for (char& c : slashedForm)
    if (c == '\\') c = '/';
  map.push_back(upperForm);
  map.push_back(news + "\\..\\secret.rc");
  map.push_back(slashedForm);
  map.push_back(letterRcg);
  map.push_back(news + "\\..");
  Put(news + "\\FAT", MapOf(map));
  CleanNewsTracks(page);

  EXPECT_EQ(Content(letter), "a letter");
  EXPECT_EQ(Content(letterRcg), "another");
  EXPECT_EQ(Content(parentFile), "secret");
  EXPECT_EQ(Content(sibling), "sibling") << "news2 is not inside news";
  for (const string& f : {relative, climbing, upper, slashed}) EXPECT_FALSE(FileExists(f)) << f;
  ASSERT_EQ(wiped.paths.size(), 4u);
  EXPECT_TRUE(SameNoCase(wiped.paths[0], relative)) << "a relative path is taken in the news folder";
  EXPECT_TRUE(SameNoCase(wiped.paths[1], climbing));
  EXPECT_TRUE(SameNoCase(wiped.paths[2], upper));
  EXPECT_TRUE(SameNoCase(wiped.paths[3], slashed));
  for (size_t i = 0; i < outside.size(); ++i)
    EXPECT_EQ(Trace(("NewsOutside" + std::to_string(i + 1)).c_str()), outside[i]) << i;
  EXPECT_EQ(Trace("NewsOutside7"), "<absent>");
  EXPECT_EQ(Trace("Newsrc5"), "<absent>") << "skipped paths are not counted";
  EXPECT_TRUE(SameNoCase(Trace("Newsrc4"), slashedForm));
  EXPECT_EQ(Trace("Newsrcg"), "0 rcg's skipped") << "nor counted as .rcg";
  EXPECT_EQ(Text(107), "Error!    6 files could not be wiped!") << "a step that leaves what its map names fails";
}

TEST_F(NewsMailTest, ShortAndLongNamesOfTheSameFileAreAlike) {
  const string longNews = Folder("Users\\me\\Netscape News Folder");
  const string server = Folder("Users\\me\\Netscape News Folder\\host-news.example.com");
  const string nextDoor = Folder("Users\\me\\Netscape News Folder Two");
  const string first = Put(server + "\\subscriptions long name.rc");
  const string second = Put(server + "\\another long name.rc");
  const string outside = Put(nextDoor + "\\subscriptions long name.rc", "next door");
  auto shortOf = [](const string& path) {
    char buf[MAX_PATH] = "";
    DWORD n = GetShortPathNameA(path.c_str(), buf, sizeof buf);
    return n > 0 && n < sizeof buf ? string(buf) : string();
  };
  const string shortFirst = shortOf(first), shortNews = shortOf(longNews), shortOutside = shortOf(outside);
  ASSERT_FALSE(shortFirst.empty());
  ASSERT_FALSE(SameNoCase(shortFirst, first)) << "short names are needed for this test: " << shortFirst;
  ASSERT_NE(shortOutside.find('~'), string::npos) << shortOutside;

  // The map names the short form; the news folder is known by its long one.
  lstrcpyA(szNewsLoc, longNews.c_str());
  Put(longNews + "\\FAT", MapOf({shortFirst, shortOutside}));
  CleanNewsTracks(page);
  EXPECT_FALSE(FileExists(first));
  ASSERT_EQ(wiped.paths.size(), 1u);
  EXPECT_TRUE(SameNoCase(wiped.paths[0], first)) << wiped.paths[0];
  EXPECT_EQ(Content(outside), "next door");
  EXPECT_EQ(Trace("NewsOutside1"), shortOutside);

  // The other way round.
  wiped.Clear();
  lstrcpyA(szNewsLoc, shortNews.c_str());
  Put(longNews + "\\FAT", MapOf({second, outside}));
  CleanNewsTracks(page);
  EXPECT_FALSE(FileExists(second));
  EXPECT_EQ(wiped.paths.size(), 1u);
  EXPECT_EQ(Content(outside), "next door");
  EXPECT_EQ(Text(107), "Error!    1 file could not be wiped!") << "the file next door is named, and left";
}

TEST_F(NewsMailTest, AFolderLinkInTheNewsFolderLeadsNowhere) {
  const string docs = Folder("Users\\me\\Documents");
  const string letter = Put(docs + "\\letter.rc", "a letter");
  const string link = news + "\\host-news";
  FolderLink made(link, docs);
  ASSERT_TRUE(made.ok()) << "a folder link is needed for this test";
  Put(news + "\\FAT", MapOf({link + "\\letter.rc", "host-news\\letter.rc"}));
  CleanNewsTracks(page);
  EXPECT_EQ(Content(letter), "a letter");
  EXPECT_TRUE(wiped.paths.empty());
  EXPECT_EQ(Trace("NewsOutside1"), link + "\\letter.rc");
  EXPECT_EQ(Trace("NewsOutside2"), "host-news\\letter.rc");
}

TEST_F(NewsMailTest, AMissingMapIsBuiltFromTheServerFoldersAndUsed) {
  Folder("Users\\me\\news\\host-news");
  Folder("Users\\me\\news\\x-other");
  const string rc0 = Put(news + "\\news.rc"), rc1 = Put(news + "\\news1.rc"), rc2 = Put(news + "\\news2.rc");
  CleanNewsTracks(page);
  EXPECT_EQ(BoxesTitled("FAT file error"), 1);
  EXPECT_EQ(Trace("FatFILE"), "NOT found!");
  EXPECT_FALSE(FileExists(rc0));
  EXPECT_FALSE(FileExists(rc1));
  EXPECT_TRUE(FileExists(rc2)) << "not in the map";
  EXPECT_TRUE(SameNoCase(Trace("Newsrc1"), rc0));
  EXPECT_EQ(Text(107), kNewsDone);

  // A profile without a news folder gets one, and the step goes on there.
  fake->boxes.clear();
  const string profile = Folder("Users\\me\\profile");
  lstrcpyA(ProfileDir, profile.c_str());
  lstrcpyA(szNewsLoc, (profile + "\\news").c_str());
  CleanNewsTracks(page);
  EXPECT_EQ(BoxesTitled("FAT file error"), 1);
  EXPECT_TRUE(FileExists(profile + "\\news\\host-news"));
  EXPECT_TRUE(SameNoCase(Trace("Newsrc1"), profile + "\\news\\news.rc"));
  EXPECT_EQ(Text(107), kNewsDone);
}

TEST_F(NewsMailTest, TheMapRepairIsTriedABoundedNumberOfTimes) {
  const string gone = fake->root + "\\gone\\news";
  // A folder named "FAT" where the map belongs: it can be neither read nor
  // replaced.
  Folder("Users\\me\\news\\FAT");
  struct Case {
    const char* name;
    string folder;
    int answer;
  } cases[] = {{"missing folder, Yes", gone, IDYES},
               {"missing folder, No, browser started", gone, IDNO},
               {"no folder known", "", IDYES},
               {"a folder in place of the map", news, IDYES}};
  fake->shellExecuteResult = 42;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake->boxes.clear();
    fake->sleeps.clear();
    fake->answers.assign(10, c.answer);
    ClearTrace();
    ProfileDir[0] = '\0';
    lstrcpyA(szNewsLoc, c.folder.c_str());
    lstrcpyA(NewsKill, "earlier");
    CleanNewsTracks(page);
    int repairs = BoxesTitled("FAT file error");
    EXPECT_EQ(repairs, 2);
    EXPECT_EQ(BoxesTitled("Failed."), repairs) << "each repair ran to its end";
    EXPECT_EQ(fake->sleeps, std::vector<DWORD>(c.answer == IDNO ? 2 : 0, 20000));
    EXPECT_EQ(Text(107), kNoMap);
    EXPECT_EQ(Trace("FatFILE"), "NOT found!");
    EXPECT_EQ(Trace("FatOPEN"), "<absent>");
    EXPECT_EQ(Trace("Newsrcg"), "<absent>");
    EXPECT_EQ(Trace("Newsdid"), "<absent>");
    EXPECT_TRUE(wiped.paths.empty());
    EXPECT_FALSE(FileExists(fake->root + "\\gone"));
    EXPECT_FALSE(FileExists(fake->programDir + "\\FAT"));
  }
}

// ---- News server folders (box 108) ----

TEST_F(NewsMailTest, ServerFolderFilesGoAndHostinfoFollowsItsPreference) {
  wiped.box = 108;
  lstrcpyA(NewsPrefjs, news.c_str());
  for (int host : {0, 1}) {
    SCOPED_TRACE(host);
    wiped.Clear();
    SetIni("Prefs", "NewsHost", host ? "1" : "0");
    const string s1 = Folder("Users\\me\\news\\host-news"), s2 = Folder("Users\\me\\news\\x-other");
    const string hidden = Folder("Users\\me\\news\\h-hidden");
    SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const string deeper = Folder("Users\\me\\news\\host-news\\deeper");
    const string snm1 = Put(s1 + "\\alt-test.snm"), info1 = Put(s1 + "\\hostinfo.dat", "host 1");
    const string snm2 = Put(s2 + "\\alt.other.snm"), info2 = Put(s2 + "\\HostInfo.DAT", "host 2");
    const string hiddenFile = Put(s1 + "\\hidden.snm", "hidden");
    SetFileAttributesA(hiddenFile.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const string inHidden = Put(hidden + "\\kept.snm", "kept"), deep = Put(deeper + "\\deep.snm", "deep");
    const string direct = Put(news + "\\news.rc", "direct"), map = Put(news + "\\FAT", "map");
    CleanNewsDatabases(page);

    EXPECT_FALSE(FileExists(snm1));
    EXPECT_FALSE(FileExists(snm2));
    EXPECT_EQ(FileExists(info1), host == 0);
    EXPECT_EQ(FileExists(info2), host == 0) << "hostinfo.dat in any case";
    for (const string& f : {hiddenFile, inHidden, deep, direct, map}) EXPECT_TRUE(FileExists(f)) << f;
    ASSERT_EQ(wiped.paths.size(), host ? 4u : 2u);
    std::vector<string> shown;
    for (const string& path : wiped.paths) shown.push_back(path.substr(path.rfind('\\') + 1));
    EXPECT_TRUE(ShowsProgress(wiped.captions, shown)) << "the file name";
    EXPECT_EQ(Text(108), kSubsDone);
    EXPECT_EQ(string(NewsSub), news);
  }
  EXPECT_TRUE(fake->boxes.empty());
}

TEST_F(NewsMailTest, TheWalkIsOverTheNewsFolderNotTheOneNamedInPrefs) {
  const string prefsNews = Folder("Users\\me\\prefs-news");
  const string kept = Put(Folder("Users\\me\\prefs-news\\host-news") + "\\kept.snm");
  const string gone = Put(Folder("Users\\me\\news\\host-news") + "\\gone.snm");
  lstrcpyA(NewsPrefjs, prefsNews.c_str());
  CleanNewsDatabases(page);
  EXPECT_TRUE(FileExists(kept));
  EXPECT_FALSE(FileExists(gone));
  EXPECT_EQ(string(NewsSub), prefsNews);
  EXPECT_EQ(string(szNewsLoc), news);
}

TEST_F(NewsMailTest, WithoutTheFolderFromPrefsTheProfileNewsFolderIsWalked) {
  const string profile = Folder("Users\\me\\profile");
  const string profileNews = Folder("Users\\me\\profile\\news");
  const string gone = Put(Folder("Users\\me\\profile\\news\\host-x") + "\\gone.snm");
  const string kept = Put(Folder("Users\\me\\news\\host-news") + "\\kept.snm");
  lstrcpyA(ProfileDir, profile.c_str());
  lstrcpyA(NewsPrefjs, (fake->root + "\\no-such-news").c_str());
  CleanNewsDatabases(page);
  EXPECT_FALSE(FileExists(gone));
  EXPECT_TRUE(FileExists(kept));
  EXPECT_EQ(string(szNewsLoc), profileNews);
  EXPECT_EQ(string(newsit), "host-news");
  EXPECT_EQ(string(NewsSub), profileNews + "\\host-news");

  // A file in place of the folder is no folder either; "subfix" and "subs"
  // make up the subscription folder.
  lstrcpyA(NewsPrefjs, gone.c_str());
  Put(NewsPrefjs, "a file");
  SetIni("customs", "subfix", "D:\\elsewhere");
  SetIni("customs", "subs", "host-y");
  CleanNewsDatabases(page);
  EXPECT_EQ(string(NewsSub), "D:\\elsewhere\\host-y");
  EXPECT_EQ(Text(108), kSubsDone);
}

TEST_F(NewsMailTest, NoProfileOrNoFullNewsFolderMeansNoWalk) {
  const string kept = Put(Folder("Users\\me\\news\\host-news") + "\\kept.snm");
  // The working directory holds a server folder too: an empty or relative
  // news folder must not lead there.
  const string inCwd = Put(Folder("program\\host-news") + "\\cwd.snm");
  ProfileDir[0] = '\0';
  NewsPrefjs[0] = '\0';
  CleanNewsDatabases(page);
  EXPECT_TRUE(FileExists(kept));
  EXPECT_EQ(Text(108), kSubsDone);

  // A drive's root would have every folder of the drive emptied one level
  // down: a server folder there holds a file that must stay.
  RootFolder atRoot("C:\\mopwell-test-server-" + std::to_string(GetCurrentProcessId()));
  const string rootFile = Put(atRoot.path + "\\root.snm", "at the root");
  lstrcpyA(NewsPrefjs, news.c_str());
  for (const char* folder : {"", "C:", ".", "C:\\", "C:\\.", "C:\\mopwell-test-none\\.."}) {
    SCOPED_TRACE(folder);
    lstrcpyA(szNewsLoc, folder);
    CleanNewsDatabases(page);
    EXPECT_TRUE(FileExists(inCwd));
    EXPECT_EQ(Text(108), kRefusedServers);
  }
  EXPECT_EQ(Content(rootFile), "at the root");
  EXPECT_TRUE(wiped.paths.empty());
}

// "customs" "fat" naming the profile folder made the server-folder walk
// empty the mail folders one level down: a news folder that is, or holds,
// a folder the user keeps other things in is left alone by both steps.
TEST_F(NewsMailTest, ANewsFolderHoldingOtherStoresIsLeftAlone) {
  const string profile = Folder("Users\\me\\profile");
  const string mail = Folder("Users\\me\\profile\\mail");
  const string inbox = Put(Folder("Users\\me\\profile\\mail\\Inbox") + "\\msg.snm", "a letter");
  const string sent = Put(Folder("Users\\me\\profile\\mail\\Sent") + "\\msg.snm", "a reply");
  const string own = Put(Folder("program\\host-news") + "\\own.snm", "program data");
  const string windows = Put(Folder("windows\\system") + "\\sys.snm", "system data");
  Put(profile + "\\FAT", MapOf({inbox, sent}));
  lstrcpyA(ProfileDir, profile.c_str());
  lstrcpyA(szMail, mail.c_str());
  lstrcpyA(NewsPrefjs, news.c_str());
  SetIni("customs", "fat", profile.c_str());
  CleanNewsTracks(page);
  EXPECT_EQ(Text(107), kRefusedNews);
  EXPECT_EQ(Trace("BADnewsLOC-PROT-TRIG"), profile);
  EXPECT_EQ(string(szNewsLoc), profile);
  CleanNewsDatabases(page);
  EXPECT_EQ(Text(108), kRefusedServers);

  for (const string& folder : {mail, fake->programDir, fake->windowsDir, fake->root + "\\Users"}) {
    SCOPED_TRACE(folder);
    lstrcpyA(szNewsLoc, folder.c_str());
    CleanNewsDatabases(page);
    EXPECT_EQ(Text(108), kRefusedServers);
    SetIni("customs", "fat", folder.c_str());
    CleanNewsTracks(page);
    EXPECT_EQ(Text(107), kRefusedNews);
  }
  EXPECT_EQ(Content(inbox), "a letter");
  EXPECT_EQ(Content(sent), "a reply");
  EXPECT_EQ(Content(own), "program data");
  EXPECT_EQ(Content(windows), "system data");
  EXPECT_TRUE(wiped.paths.empty());
}

// A news folder at a drive's root would make every file of the drive count
// as inside it; a news folder that is a link is judged by where it leads.
TEST_F(NewsMailTest, ANewsFolderAtADriveRootOrLinkedOutIsLeftAlone) {
  RootFolder atRoot("C:\\mopwell-test-victim-" + std::to_string(GetCurrentProcessId()));
  const string victim = Put(atRoot.path + "\\victim.rc", "not news");
  for (const char* folder : {"C:\\", "C:\\.", "C:\\mopwell-test-none\\.."}) {
    SCOPED_TRACE(folder);
    SetIni("customs", "news", folder);
    Put(news + "\\FAT", MapOf({victim}));
    lstrcpyA(szNewsLoc, news.c_str());
    CleanNewsTracks(page);
    EXPECT_EQ(Text(107), kRefusedNews);
  }
  SetIni("customs", "news", nullptr);

  // Linked to the profile folder: the profile's files are no news.
  const string profile = Folder("Users\\me\\profile");
  const string prefs = Put(profile + "\\prefs.js", "user_pref(\"a\", 1);");
  lstrcpyA(ProfileDir, profile.c_str());
  FolderLink linked(Folder("Users\\me\\linked") + "\\news", profile);
  ASSERT_TRUE(linked.ok()) << "a folder link is needed for this test";
  Put(profile + "\\FAT", MapOf({prefs}));
  lstrcpyA(szNewsLoc, (fake->root + "\\Users\\me\\linked\\news").c_str());
  CleanNewsTracks(page);
  EXPECT_EQ(Text(107), kRefusedNews);
  EXPECT_EQ(Content(prefs), "user_pref(\"a\", 1);");
  EXPECT_EQ(Content(victim), "not news");
  EXPECT_TRUE(wiped.paths.empty());
}

// ---- Mail folders (box 150) ----

namespace {

struct MailRow {
  int flag;  // -1: always; else the bit of DoSent, DoDraft, DoInbox, DoOutBx
  bool inMain;
  const char* file;
  const char* status;
};
const MailRow kRows[] = {
    {-1, true, "summary.dat", nullptr},       {-1, true, "summary2.dat", "summary database"},
    {-1, false, "trash", "trash folder"},     {-1, false, "trash.snm", "trash database"},
    {0, false, "sent", "sent"},               {0, false, "sent.snm", "sent database"},
    {1, false, "drafts", "drafts"},           {1, false, "drafts.snm", "draft database"},
    {2, false, "inbox", "inbox"},             {2, false, "inbox.snm", "inbox database"},
    {3, false, "outbox", "outbox"},           {3, false, "outbox.snm", "outbox database"},
    {3, false, "Unsent Messages", "Unsent folder"}, {3, false, "Unsent Messages.snm", "Unsent database"}};
const char* kMailKeys[] = {"DoSent", "DoDraft", "DoInbox", "DoOutBx"};

}  // namespace

TEST_F(NewsMailTest, EachChoiceOfMailFoldersWipesItsRowsInOrder) {
  wiped.box = 150;
  const string main = Folder("Users\\me\\Netscape"), mail = Folder("Users\\me\\Netscape\\mail");
  lstrcpyA(MainDir, main.c_str());
  lstrcpyA(szMail, mail.c_str());
  for (int mask = 0; mask < 16; ++mask) {
    SCOPED_TRACE(mask);
    wiped.Clear();
    for (int bit = 0; bit < 4; ++bit) SetIni("Prefs", kMailKeys[bit], (mask >> bit) & 1 ? "1" : "0");
    std::vector<const MailRow*> chosen;
    for (const MailRow& row : kRows) {
      Put((row.inMain ? main : mail) + "\\" + row.file, row.file);
      if (row.flag < 0 || ((mask >> row.flag) & 1)) chosen.push_back(&row);
    }
    CleanMail(page);

    ASSERT_EQ(wiped.paths.size(), chosen.size());
    for (size_t i = 0; i < chosen.size(); ++i) {
      EXPECT_TRUE(SameNoCase(wiped.paths[i], (chosen[i]->inMain ? main : mail) + "\\" + chosen[i]->file))
          << wiped.paths[i];
      // Each row's text is on show when the next row's file goes.
      if (i >= 2) {
        EXPECT_EQ(wiped.captions[i], chosen[i - 1]->status) << chosen[i]->file;
      }
    }
    for (const MailRow& row : kRows) {
      bool wanted = row.flag < 0 || ((mask >> row.flag) & 1);
      EXPECT_EQ(FileExists((row.inMain ? main : mail) + "\\" + row.file), !wanted) << row.file;
    }
    EXPECT_EQ(Text(150), kMailDone);
    EXPECT_EQ(Ini("Options", "mail"), "1");
  }
  EXPECT_TRUE(fake->boxes.empty());
}

TEST_F(NewsMailTest, TheUnsentFolderIsFoundByEitherName) {
  const string mail = Folder("Users\\me\\mail");
  lstrcpyA(szMail, mail.c_str());
  SetIni("Prefs", "DoOutBx", "1");
  // Only the short names: those are wiped.
  const string shortFolder = Put(mail + "\\unsent~1"), shortSummary = Put(mail + "\\Unsent~1.snm");
  CleanMail(page);
  EXPECT_FALSE(FileExists(shortFolder));
  EXPECT_FALSE(FileExists(shortSummary));

  // The long names present: they are the folder, the short ones stay.
  Put(shortFolder, "short");
  Put(shortSummary, "short");
  const string longFolder = Put(mail + "\\Unsent Messages"), longSummary = Put(mail + "\\Unsent Messages.snm");
  CleanMail(page);
  EXPECT_FALSE(FileExists(longFolder));
  EXPECT_FALSE(FileExists(longSummary));
  EXPECT_EQ(Content(shortFolder), "short");
  EXPECT_EQ(Text(150), kMailDone);
}

TEST_F(NewsMailTest, UnknownMailFoldersLeaveTheWorkingDirectoryAlone) {
  std::vector<string> inCwd;
  for (const MailRow& row : kRows) inCwd.push_back(Put(fake->InProgram(row.file), row.file));
  for (const char* key : kMailKeys) SetIni("Prefs", key, "1");
  MainDir[0] = '\0';
  szMail[0] = '\0';
  CleanMail(page);
  for (const string& f : inCwd) EXPECT_TRUE(FileExists(f)) << f;
  EXPECT_TRUE(wiped.paths.empty());
  EXPECT_EQ(Text(150), kMailDone);
}

// ---- Through the page ----

TEST_F(NewsMailTest, OkRunsTheThreeStepsWithTheirKeys) {
  const string rc = Put(news + "\\news.rc");
  Put(news + "\\FAT", MapOf({rc}));
  const string snm = Put(Folder("Users\\me\\news\\host-news") + "\\alt.test.snm");
  const string mail = Folder("Users\\me\\mail");
  const string trash = Put(mail + "\\trash");
  lstrcpyA(NewsPrefjs, news.c_str());
  lstrcpyA(szMail, mail.c_str());
  lstrcpyA(MainDir, Folder("Users\\me").c_str());
  for (int box : {107, 108, 150}) CheckDlgButton(page, box, BST_CHECKED);
  PressOk();

  for (const string& f : {rc, snm, trash}) EXPECT_FALSE(FileExists(f)) << f;
  EXPECT_EQ(Text(107), kNewsDone);
  EXPECT_EQ(Text(108), kSubsDone);
  EXPECT_EQ(Text(150), kMailDone);
  for (const char* key : {"newsrc", "news-subs", "mail"}) EXPECT_EQ(Ini("Options", key), "1") << key;
  EXPECT_EQ(Trace("Newschk"), "using FAT");
  ASSERT_FALSE(fake->sleeps.empty());
  EXPECT_EQ(fake->sleeps.back(), 3000u);
}

TEST_F(NewsMailTest, ARunWithoutAMapGoesOnAfterTheNewsStep) {
  ProfileDir[0] = '\0';
  lstrcpyA(szNewsLoc, (fake->root + "\\gone\\news").c_str());
  const string mail = Folder("Users\\me\\mail");
  const string trash = Put(mail + "\\trash");
  lstrcpyA(szMail, mail.c_str());
  for (int box : {107, 150}) CheckDlgButton(page, box, BST_CHECKED);
  CheckDlgButton(page, 108, BST_UNCHECKED);
  PressOk();
  EXPECT_EQ(Text(107), kNoMap);
  EXPECT_EQ(Ini("Options", "newsrc"), "1");
  EXPECT_EQ(Text(108), "              Left alone.");
  EXPECT_EQ(Ini("Options", "news-subs"), "0");
  EXPECT_FALSE(FileExists(trash));
  EXPECT_EQ(Text(150), kMailDone);
  ASSERT_FALSE(fake->sleeps.empty());
  EXPECT_EQ(fake->sleeps.back(), 3000u) << "the run ended normally";
}

// A news folder named inside this program's folder: its "server folders"
// are the program's own. (A folder inside the Windows directory is not
// refused: profiles of older systems live there.)
TEST_F(NewsMailTest, ANewsFolderInsideTheProgramFolderIsLeftAlone) {
  const string helper = Put(Folder("program\\tools\\bin") + "\\tool.dll", "a program part");
  for (const string& folder : {fake->programDir + "\\tools", fake->programDir + "\\tools\\bin"}) {
    SCOPED_TRACE(folder);
    lstrcpyA(szNewsLoc, folder.c_str());
    lstrcpyA(NewsPrefjs, folder.c_str());
    CleanNewsDatabases(page);
    EXPECT_EQ(Text(108), kRefusedServers);
  }
  EXPECT_EQ(Content(helper), "a program part");
  EXPECT_TRUE(wiped.paths.empty());
}
