// The news map repair (FixFat) and the choice of the news server folder
// (FixSubs), against scratch news folders, a scratch registry and scripted
// answers: what is asked, what is started and waited for, the folders and
// registry values made for a profile without news, and the map written.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery_fixture.h"
#include "folder_link.h"
#include "news_map.h"

using std::string;

namespace {

const char kNav[] = "Software\\Netscape\\Netscape Navigator\\";
const char kAskTitle[] = "FAT file error";
const char kAskText[] =
    "The Netscape \"FAT\" file for newsgroups was not found.\nAre you using the \"standalone "
    "browser\" (Navigator, not Communicator) or\nsomething other than Netscape for newsgroups?";
const char kFinderTitle[] = "Mopwell FAT finder";
const char kFinderText[] =
    " The FAT file used by Netscape to point to usenet news\nlocations was not found. The first "
    "thing we want to do is\nsee if Netscape will make one.  Please do the following:\n\n 1. "
    "Click the OK button below.\n 2. Netscape will run. Wait for it.\n 3. Click OK on any "
    "NETSCAPE error messages.\n 4. Exit news reader then exit Netscape.\n\n If something other "
    "than Netscape runs, that's why the\nproblem. You're not using Netscape for news.";
const char kWaitTitle[] = "DO NOT CLICK OK UNTIL NETSCAPE IS SHUT DOWN!!!";
const char kWaitText[] = "SHUT DOWN ALL OF NETSCAPE FIRST!\n\nPress the OK button to see if FAT file was made.";

// Also remembers the owner window of every shell start.
class OwnerRecordingPlatform : public FakePlatform {
 public:
  HINSTANCE ShellOpen(HWND owner, const char* verb, const char* file, const char* params, const char* dir,
                      INT show) override {
    shellOwners.push_back(owner);
    return FakePlatform::ShellOpen(owner, verb, file, params, dir, show);
  }
  std::vector<HWND> shellOwners;
};

class NewsMapTest : public DiscoveryTest {
 protected:
  void SetUp() override {
    DiscoveryTest::SetUp();
    fake.reset();
    recorder = new OwnerRecordingPlatform;
    fake.reset(recorder);
    SetCurrentDirectoryA(fake->programDir.c_str());
    savedOwner = ShellOwner;
    tab = CreateWindowExA(0, "STATIC", "tabs", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    ShellOwner = tab;
    lstrcpyA(szCommand, "moo");
    news = Folder("profile\\news");
    lstrcpyA(szNewsLoc, news.c_str());
  }
  void TearDown() override {
    ShellOwner = savedOwner;
    DestroyWindow(tab);
    DiscoveryTest::TearDown();
  }

  string Folder(const string& relative) const { return fake->Folder(relative); }
  static string Content(const string& path) {
    string bytes;
    return ReadFileBytes(path, bytes) ? bytes : string("<missing>");
  }
  string Trace(const char* key) const { return Ini("Diagnostics", key); }
  std::vector<string> Titles() const {
    std::vector<string> titles;
    for (const ShownBox& b : fake->boxes) titles.push_back(b.title);
    return titles;
  }
  // The folders a listing of `folder` returns, in its order, whatever
  // their attributes.
  static std::vector<string> ListedFolders(const string& folder) {
    std::vector<string> names;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      string name = fd.cFileName;
      if (name != "." && name != ".." && (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        names.push_back(name);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    return names;
  }
  static string Line(const string& server, const string& folder, const string& file) {
    return "newsrc-" + server + "\t" + folder + "\\" + file + "\tFALSE\r\n";
  }

  OwnerRecordingPlatform* recorder = nullptr;
  HWND savedOwner = nullptr;
  HWND tab = nullptr;
  string news;
};

const char kHeader[] = "netscape-newsrc-map-file\r\n";

}  // namespace

// ---- The map built ----

TEST_F(NewsMapTest, TheMapNamesTheServerFoldersInListingOrder) {
  Folder("profile\\news\\host-news");
  Folder("profile\\news\\x-alpha-one.example");
  WriteFileBytes(news + "\\news.rc", "subscriptions");
  WriteFileBytes(news + "\\readme-first", "a file, not a server folder");
  FixFat();

  std::vector<string> order = ListedFolders(news);
  ASSERT_EQ(order.size(), 2u);
  // "host-news" stands for "news"; only the first "-" divides.
  auto server = [](const string& name) {
    return name == "host-news" ? string("news") : string("alpha-one.example");
  };
  string expected =
      kHeader + Line(server(order[0]), news, "news.rc") + Line(server(order[1]), news, "news1.rc") + "\r\n";
  string map = Content(news + "\\FAT");
  EXPECT_EQ(map, expected);

  ASSERT_EQ(Titles(), (std::vector<string>{kAskTitle, "Failed."}));
  EXPECT_EQ(fake->boxes[1].text, "Mopwell will build a FAT file for you.");
  EXPECT_EQ(fake->boxes[1].type, UINT(MB_ICONINFORMATION));
  EXPECT_EQ(fake->boxes[1].owner, nullptr);
  EXPECT_TRUE(fake->launches.empty());
  EXPECT_EQ(string(szNewsPlace), news + "\\FAT");
  EXPECT_EQ(string(szCacheFile), news);
  EXPECT_EQ(string(szNewsLoc), news) << "an existing news folder is kept";
  EXPECT_EQ(Trace("FATbyMopwell"), news + "\\FAT");
  EXPECT_EQ(Trace("FATbyNetscape"), "<absent>");
}

TEST_F(NewsMapTest, OnlyPlainFoldersCountAndANameWithoutDashIsItsOwnServer) {
  string hidden = Folder("profile\\news\\h-hidden");
  string system = Folder("profile\\news\\s-system");
  Folder("profile\\news\\.dotted");  // Wine shows dot-names as hidden
  ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(SetFileAttributesA(system.c_str(), FILE_ATTRIBUTE_SYSTEM));
  // Wine keeps neither read-only nor archive on a folder; hidden and system
  // it keeps, and those are what can be shown here.
  ASSERT_EQ(GetFileAttributesA(hidden.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  ASSERT_EQ(GetFileAttributesA(system.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM));
  string elsewhere = Folder("elsewhere-srv");
  FolderLink link(news + "\\l-link", elsewhere);
  EXPECT_TRUE(link.ok()) << "a folder link could not be made";
  Folder("profile\\news\\plain");

  FixFat();
  EXPECT_EQ(Content(news + "\\FAT"), kHeader + Line("plain", news, "news.rc") + "\r\n");
  EXPECT_EQ(ListServerFolders(news), std::vector<string>{"plain"});
}

TEST_F(NewsMapTest, ANewsFolderWithoutServersGetsTheHeaderAndTheEmptyLine) {
  WriteFileBytes(news + "\\news.rc", "x");
  FixFat();
  EXPECT_EQ(Content(news + "\\FAT"), string(kHeader) + "\r\n");
}

TEST_F(NewsMapTest, EveryServerFolderIsWrittenHoweverMany) {
  const int count = 180;
  for (int i = 0; i < count; ++i)
    Folder("profile\\news\\host-server-number-" + std::to_string(i) + "." + string(60, 'n') + ".example.com");
  FixFat();
  std::vector<string> order = ListedFolders(news);
  ASSERT_EQ(order.size(), size_t(count));
  string expected = kHeader;
  for (int i = 0; i < count; ++i)
    expected += Line(order[i].substr(5), news, i == 0 ? string("news.rc") : "news" + std::to_string(i) + ".rc");
  expected += "\r\n";
  string map = Content(news + "\\FAT");
  EXPECT_GT(map.size(), 20000u);
  EXPECT_TRUE(map == expected) << "sizes " << map.size() << " and " << expected.size();
}

// ---- What is asked and started ----

TEST_F(NewsMapTest, YesNeverStartsTheBrowser) {
  fake->answers = {IDYES};
  FixFat();
  ASSERT_GE(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].title, kAskTitle);
  EXPECT_EQ(fake->boxes[0].text, kAskText);
  EXPECT_EQ(fake->boxes[0].type, UINT(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(fake->boxes[0].owner, nullptr);
  EXPECT_EQ(Titles(), (std::vector<string>{kAskTitle, "Failed."}));
  EXPECT_TRUE(fake->launches.empty());
  EXPECT_TRUE(fake->sleeps.empty());
}

TEST_F(NewsMapTest, NoWithAShellThatFailsDoesNotWait) {
  for (INT_PTR result : {0, 2, 31, 32}) {
    SCOPED_TRACE(result);
    fake->boxes.clear();
    fake->launches.clear();
    recorder->shellOwners.clear();
    DeleteFileA((news + "\\FAT").c_str());
    fake->shellExecuteResult = result;
    fake->answers = {IDNO};
    FixFat();
    ASSERT_EQ(Titles(), (std::vector<string>{kAskTitle, kFinderTitle, "Failed."}));
    EXPECT_EQ(fake->boxes[1].text, kFinderText);
    EXPECT_EQ(fake->boxes[1].type, UINT(MB_ICONEXCLAMATION));
    EXPECT_EQ(fake->boxes[1].owner, nullptr);
    ASSERT_EQ(fake->launches.size(), 1u);
    EXPECT_EQ(fake->launches[0].how, "ShellExecute:") << "the default action";
    EXPECT_EQ(fake->launches[0].what, "news:alt.alt");
    EXPECT_EQ(fake->launches[0].params, "");
    EXPECT_EQ(fake->launches[0].show, SW_SHOWNORMAL);
    ASSERT_EQ(recorder->shellOwners.size(), 1u);
    EXPECT_EQ(recorder->shellOwners[0], tab);
    EXPECT_TRUE(fake->sleeps.empty());
  }
}

TEST_F(NewsMapTest, NoWithAShellThatStartsWaitsTwentySecondsThenAsksForTheBrowserToClose) {
  for (INT_PTR result : {33, 42}) {
    SCOPED_TRACE(result);
    fake->boxes.clear();
    fake->sleeps.clear();
    DeleteFileA((news + "\\FAT").c_str());
    fake->shellExecuteResult = result;
    fake->answers = {IDNO};
    FixFat();
    ASSERT_EQ(Titles(), (std::vector<string>{kAskTitle, kFinderTitle, kWaitTitle, "Failed."}));
    EXPECT_EQ(fake->boxes[2].text, kWaitText);
    EXPECT_EQ(fake->boxes[2].type, UINT(MB_ICONINFORMATION));
    EXPECT_EQ(fake->boxes[2].owner, nullptr);
    EXPECT_EQ(fake->sleeps, std::vector<DWORD>{20000});
    EXPECT_EQ(Content(news + "\\FAT"), string(kHeader) + "\r\n") << "no map came: one is built";
  }
}

TEST_F(NewsMapTest, AMapTheBrowserWroteIsKept) {
  Folder("profile\\news\\host-news");
  const string browserMap = kHeader + Line("news", news, "browser.rc") + "\r\n";
  fake->answers = {IDNO};
  fake->onBox = [&](const ShownBox& box) {
    if (box.title == kWaitTitle) WriteFileBytes(news + "\\FAT", browserMap);
  };
  FixFat();
  ASSERT_EQ(Titles(), (std::vector<string>{kAskTitle, kFinderTitle, kWaitTitle, "Success!"}));
  EXPECT_EQ(fake->boxes[3].text, "Netscape created the FAT file.");
  EXPECT_EQ(fake->boxes[3].type, UINT(MB_ICONINFORMATION));
  EXPECT_EQ(Content(news + "\\FAT"), browserMap);
  EXPECT_EQ(Trace("FATbyNetscape"), news + "\\FAT");
  EXPECT_EQ(Trace("FATbyMopwell"), "<absent>");

  // Answered Yes, a map already there is found the same way.
  fake->boxes.clear();
  fake->onBox = nullptr;
  fake->answers = {IDYES};
  FixFat();
  EXPECT_EQ(Titles(), (std::vector<string>{kAskTitle, "Success!"}));
  EXPECT_EQ(Content(news + "\\FAT"), browserMap);
}

// ---- A profile without news or mail folders ----

TEST_F(NewsMapTest, AProfileWithoutNewsGetsFoldersRegistryValuesAndTheirTrace) {
  string profile = Folder("user\\profile");
  lstrcpyA(ProfileDir, profile.c_str());
  lstrcpyA(regit, kNav);
  lstrcpyA(szNewsLoc, news.c_str());  // what discovery found before
  szCommand[0] = '\0';                 // diagnostics off
  FixFat();

  const string madeNews = profile + "\\news", host = madeNews + "\\host-news", mail = profile + "\\mail";
  EXPECT_EQ(GetFileAttributesA(host.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(GetFileAttributesA(mail.c_str()), DWORD(FILE_ATTRIBUTE_DIRECTORY));
  EXPECT_EQ(string(szNewsLoc), madeNews);
  string value;
  ASSERT_TRUE(GetRegText(fake->hkcu, (string(kNav) + "News").c_str(), "News Directory", value));
  EXPECT_EQ(value, host);
  ASSERT_TRUE(GetRegText(fake->hkcu, (string(kNav) + "Mail").c_str(), "Mail Directory", value));
  EXPECT_EQ(value, mail);
  EXPECT_EQ(Trace("MadeNewsDir"), host);
  EXPECT_EQ(Trace("WriteRegNews"), host);
  EXPECT_EQ(Trace("MadeMailDir"), mail);
  EXPECT_EQ(Trace("WriteRegMail"), mail);
  EXPECT_EQ(Trace("FATbyMopwell"), "<absent>") << "the ordinary trace follows the switch";
  EXPECT_EQ(Content(madeNews + "\\FAT"), kHeader + Line("news", madeNews, "news.rc") + "\r\n");
  EXPECT_EQ(Content(news + "\\FAT"), "<missing>");
}

TEST_F(NewsMapTest, FoldersThatExistAreLeftAsTheyAre) {
  string profile = Folder("user\\profile");
  lstrcpyA(ProfileDir, profile.c_str());
  lstrcpyA(regit, kNav);
  Folder("user\\profile\\mail");
  FixFat();
  EXPECT_EQ(string(szNewsLoc), profile + "\\news");
  EXPECT_EQ(Trace("MadeNewsDir"), profile + "\\news\\host-news");
  EXPECT_EQ(Trace("MadeMailDir"), "<absent>");
  EXPECT_EQ(Trace("WriteRegMail"), "<absent>");
  string value;
  EXPECT_FALSE(GetRegText(fake->hkcu, (string(kNav) + "Mail").c_str(), "Mail Directory", value));

  // Second call: the news folder exists now, nothing more is made.
  WritePrivateProfileStringA("Diagnostics", nullptr, nullptr, fake->IniPath().c_str());
  lstrcpyA(szNewsLoc, news.c_str());
  FixFat();
  EXPECT_EQ(string(szNewsLoc), news);
  EXPECT_EQ(Trace("MadeNewsDir"), "<absent>");
  EXPECT_EQ(Trace("WriteRegNews"), "<absent>");
  EXPECT_EQ(Content(news + "\\FAT"), string(kHeader) + "\r\n");
}

TEST_F(NewsMapTest, WithoutTheBrowserKeyNoRegistryValueIsWritten) {
  string profile = Folder("user\\profile");
  lstrcpyA(ProfileDir, profile.c_str());
  regit[0] = '\0';
  FixFat();
  EXPECT_EQ(Trace("MadeNewsDir"), profile + "\\news\\host-news");
  EXPECT_EQ(Trace("MadeMailDir"), profile + "\\mail");
  EXPECT_EQ(Trace("WriteRegNews"), "<absent>");
  EXPECT_EQ(Trace("WriteRegMail"), "<absent>");
  HKEY key;
  for (const char* leaf : {"News", "Mail"}) {
    EXPECT_NE(RegOpenKeyExA(fake->hkcu, leaf, 0, KEY_READ, &key), ERROR_SUCCESS) << leaf;
  }
  DWORD subkeys = 1, values = 1;
  RegQueryInfoKeyA(fake->hkcu, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  EXPECT_EQ(subkeys, 0u);
  EXPECT_EQ(values, 0u);
}

TEST_F(NewsMapTest, NoNewsFolderMeansNoMapAnywhere) {
  // No folder known at all: neither the working directory nor the root of
  // its drive receives a map.
  bool rootHadMap = FileExists("\\FAT");
  ProfileDir[0] = '\0';
  szNewsLoc[0] = '\0';
  FixFat();
  EXPECT_FALSE(FileExists(fake->programDir + "\\FAT"));
  if (!rootHadMap) {
    EXPECT_FALSE(FileExists("\\FAT"));
  }
  EXPECT_EQ(Trace("FATbyMopwell"), "<absent>");

  // A news folder that does not exist is not made by the map repair.
  string gone = fake->root + "\\gone\\news";
  lstrcpyA(szNewsLoc, gone.c_str());
  FixFat();
  EXPECT_FALSE(FileExists(fake->root + "\\gone"));
  EXPECT_EQ(Trace("FATbyMopwell"), "<absent>");
  EXPECT_EQ(string(szNewsLoc), gone);
}

// ---- FixSubs ----

TEST_F(NewsMapTest, TheLastServerFolderIsChosenAndEachIsCounted) {
  Folder("profile\\news\\host-alpha");
  Folder("profile\\news\\beta.example");  // no "-" needed here
  string hidden = Folder("profile\\news\\zz-hidden");
  SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
  WriteFileBytes(news + "\\zz-file", "a file");
  FixSubs();

  std::vector<string> order = ListServerFolders(news);
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(Trace("1-host"), order[0]);
  EXPECT_EQ(Trace("2-host"), order[1]);
  EXPECT_EQ(Trace("3-host"), "<absent>");
  EXPECT_EQ(Ini("customs", "subs"), order[1]);
  EXPECT_EQ(Trace("NewshostMod"), order[1]);
  EXPECT_EQ(string(szCacheFile), news);

  WritePrivateProfileStringA("Diagnostics", nullptr, nullptr, fake->IniPath().c_str());
  WritePrivateProfileStringA("customs", "subs", nullptr, fake->IniPath().c_str());
  szCommand[0] = '\0';
  FixSubs();
  EXPECT_EQ(Ini("customs", "subs"), order[1]);
  EXPECT_EQ(Trace("1-host"), "<absent>");
  EXPECT_EQ(Trace("NewshostMod"), "<absent>");
}

TEST_F(NewsMapTest, NamesOfFourCharactersOrFewerGiveHostNews) {
  struct Case {
    const char* folder;  // nullptr: no server folder
    const char* chosen;
  } cases[] = {{nullptr, "host-news"}, {"news", "host-news"}, {"a-b", "host-news"},
               {"abcde", "abcde"},     {"x-srv", "x-srv"}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder ? c.folder : "none");
    string folder = Folder("n" + std::to_string(++n));
    if (c.folder) Folder("n" + std::to_string(n) + "\\" + c.folder);
    lstrcpyA(szNewsLoc, folder.c_str());
    FixSubs();
    EXPECT_EQ(Ini("customs", "subs"), c.chosen);
    EXPECT_EQ(Trace("NewshostMod"), c.chosen);
  }
  lstrcpyA(szNewsLoc, (fake->root + "\\no-such-news").c_str());
  FixSubs();
  EXPECT_EQ(Ini("customs", "subs"), "host-news");
}
