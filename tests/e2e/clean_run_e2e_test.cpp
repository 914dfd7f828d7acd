// A whole clean run of the real mopwell.exe on the demo browser user,
// driven from outside the way a user would drive it, and checked from
// outside afterwards.
#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>

#include "demo_profile.h"
#include "e2e_support.h"
#include "folder_link.h"
#include "window_probe.h"

namespace {

int PlainFiles(const std::string& folder) {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return n;
}

void Ini(const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value, (WindowsDir() + "\\MOPWELL.INI").c_str());
}

constexpr DWORD kPatience = 60000;

}  // namespace

TEST(EndToEnd, AliasRunOnTheDemoUserDestroysTheChosenTracesOnly) {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  std::string root = std::string(temp) + "mopwell-e2e-browser";
  PrefixCleanup cleanup(root);
  DemoOptions options;
  options.windowsDir = WindowsDir();
  options.root = root;
  options.cacheFiles = 40;
  options.replaceOthers = true;
  CreateDirectoryA(root.c_str(), nullptr);
  std::string error;
  ASSERT_TRUE(MakeDemoProfile(options, nullptr, &error)) << error;
  DemoDescription demo = DescribeDemo(options);
  const DemoGeneration& c4 = demo.communicator;

  // Outside the cache folder, reachable through a link planted inside it.
  std::string outside = root + "\\outside";
  CreateDirectoryA(outside.c_str(), nullptr);
  Write(outside + "\\precious.txt", "must survive");
  FolderLink link(c4.cacheDir + "\\linked", outside);
  ASSERT_TRUE(link.ok());
  Write(c4.folder + "\\notes.txt", "a file that is no trace");
  // The news map also names a subscription file kept by preference, and a
  // file outside the news folder that a damaged map must not lead to.
  std::string rcg = c4.newsDir + "\\news2.rcg";
  Write(rcg, "alt.kept: 1-10\r\n");
  std::string map = Read(c4.newsDir + "\\FAT");
  map.resize(map.size() - 2);  // before the final empty line
  map += "newsrc-rcg.example\t" + rcg + "\tFALSE\r\n";
  map += "newsrc-evil.example\t" + c4.newsDir + "\\..\\notes.txt\tFALSE\r\n\r\n";
  Write(c4.newsDir + "\\FAT", map);

  Ini("Options", "NT", "2");
  Ini("Options", "cow", "moo");
  // All ten boxes checked.
  for (const char* key : {"userID", "newsrc", "news-subs", "mail", "websites", "urlwin", "cookies", "bookmarks",
                          "cache", "docs"})
    Ini("Options", key, "1");
  // Keep .rcg subscriptions, host information, drafts; wipe sent, inbox, outbox.
  for (const char* key : {"NewsRCGs", "NewsHost", "DoDraft"}) Ini("Prefs", key, "0");
  for (const char* key : {"DoSent", "DoInbox", "DoOutBx"}) Ini("Prefs", key, "1");
  Ini("Alias", "User", "Ghost Writer");
  Ini("Alias", "User_Addr", "ghost@nowhere.example");
  Ini("Alias", "User_Organization", "None");
  Ini("Alias", "Sig_File", "");
  Ini("Alias", "Reply_To", "ghost@nowhere.example");

  // The template's bytes before the run: the bookmark file is compared
  // with these, not with whatever the run left in the template.
  std::string programDir = WindowsPath(MOPWELL_EXE);
  programDir = programDir.substr(0, programDir.find_last_of('\\'));
  const std::string bookmarkTemplate = Read(programDir + "\\MOPWELL.BKM");
  ASSERT_NE(bookmarkTemplate, "<missing>");

  Program mopwell;
  ASSERT_TRUE(mopwell.Start());

  HWND main = probe::WaitForWindow("Mopwell", "Mopwell", kPatience);
  ASSERT_NE(main, nullptr);
  HWND tab = probe::FindChildByClass(main, "SysTabControl32");
  ASSERT_NE(tab, nullptr);
  HWND page = probe::FindChildByClass(tab, "#32770");
  ASSERT_NE(page, nullptr);
  probe::PressButton(page, IDOK);

  HWND question = probe::WaitForMessageBox("WARNING!", kPatience);
  ASSERT_NE(question, nullptr) << "the bookmark question";
  EXPECT_NE(probe::MessageBoxText(question).find("kill all your bookmarks"), std::string::npos);
  probe::PressButton(question, IDYES);
  DWORD answered = GetTickCount();
  ASSERT_EQ(probe::WaitForExit(mopwell.process(), kPatience), 0);
  DWORD took = GetTickCount() - answered;
  EXPECT_GE(took, 2900u) << "the run waits three seconds so the captions can be read";
  EXPECT_LT(took, 30000u);

  // Gone: history, cookies (no keep file beside the program), every cache file.
  EXPECT_FALSE(Exists(c4.historyFile));
  EXPECT_FALSE(Exists(c4.cookieFile));
  EXPECT_EQ(PlainFiles(c4.cacheDir), 0);
  // Rebuilt from the template shipped beside the program, which stays.
  EXPECT_TRUE(Read(c4.bookmarkFile) == bookmarkTemplate);
  EXPECT_TRUE(Read(programDir + "\\MOPWELL.BKM") == bookmarkTemplate);
  // News: the subscription files the map names and the server folders'
  // databases are gone; the map, the .rcg file and host information stay.
  for (const std::string& file : c4.newsrcFiles) EXPECT_FALSE(Exists(c4.newsDir + "\\" + file)) << file;
  EXPECT_TRUE(Exists(c4.newsDir + "\\FAT"));
  EXPECT_TRUE(Exists(rcg)) << "NewsRCGs is 0";
  for (const std::string& server : c4.newsServers) {
    std::string folder = c4.newsDir + "\\host-" + server;
    EXPECT_TRUE(Exists(folder + "\\hostinfo.dat")) << server;
    EXPECT_EQ(PlainFiles(folder), 1) << server << ": only hostinfo.dat is left";
  }
  // Mail: trash always, then the folders chosen; drafts and templates stay.
  for (const char* gone : {"Trash", "Sent", "Inbox", "Unsent Messages"}) {
    EXPECT_FALSE(Exists(c4.mailDir + "\\" + gone)) << gone;
    EXPECT_FALSE(Exists(c4.mailDir + "\\" + gone + ".snm")) << gone;
  }
  for (const char* kept : {"Drafts", "Templates"}) {
    EXPECT_TRUE(Exists(c4.mailDir + "\\" + kept)) << kept;
    EXPECT_TRUE(Exists(c4.mailDir + "\\" + kept + ".snm")) << kept;
  }
  char outsideKey[MAX_PATH] = "";
  GetPrivateProfileStringA("Diagnostics", "NewsOutside1", "", outsideKey, sizeof outsideKey,
                           (WindowsDir() + "\\MOPWELL.INI").c_str());
  EXPECT_NE(std::string(outsideKey).find("notes.txt"), std::string::npos) << "the planted path is traced";

  // Untouched: files that are no trace, and whatever lies behind a link.
  EXPECT_EQ(Read(c4.folder + "\\notes.txt"), "a file that is no trace");
  EXPECT_EQ(Read(outside + "\\precious.txt"), "must survive") << "through the link";
  // The browser now presents the alias.
  std::string prefs = Read(c4.folder + "\\prefs.js");
  EXPECT_NE(prefs.find("user_pref(\"mail.identity.username\", \"Ghost Writer\");"), std::string::npos);
  EXPECT_EQ(prefs.find("user_pref(\"mail.identity.username\", \"" + c4.userName + "\");"), std::string::npos);
  for (int i = 1; i <= 12; ++i) {
    std::string entry = "user_pref(\"browser.url_history.URL_" + std::to_string(i) + "\", \"\");";
    EXPECT_NE(prefs.find(entry), std::string::npos) << "typed address " << i << " is emptied";
  }
  char name[128] = "";
  DWORD size = sizeof name;
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Netscape\\Netscape Navigator\\User", 0, KEY_READ, &key),
            ERROR_SUCCESS);
  RegQueryValueExA(key, "User_Name", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size);
  RegCloseKey(key);
  EXPECT_STREQ(name, "Ghost Writer");
}
