// The demo browser user: made in a scratch folder and scratch registry
// keys, then found by the program's own discovery, and its files held to
// the layouts the program's readers depend on.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "demo_profile.h"
#include "discovery_fixture.h"
#include "nsreg/nsreg.h"

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::string StripCr(std::string line) {
  while (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::vector<std::string> Split(const std::string& text, char sep) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(sep, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::string Slurp(const std::string& path) {
  std::string bytes;
  EXPECT_TRUE(ReadFileBytes(path, bytes)) << path;
  return bytes;
}

// Plain files of a folder, as the cache and news listings see them.
std::vector<std::string> PlainFiles(const std::string& dir, const char* pattern = "*.*") {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((dir + "\\" + pattern).c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)))
      names.push_back(fd.cFileName);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return names;
}

int CountContaining(const std::string& text, const std::string& what) {
  int n = 0;
  for (const std::string& line : SplitLines(text))
    if (line.find(what) != std::string::npos) ++n;
  return n;
}

bool IsFolder(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

class DemoProfileTest : public DiscoveryTest {
 protected:
  DemoOptions Options(bool communicator, bool navigator3, int cacheFiles = 40) const {
    DemoOptions o = DemoHere(cacheFiles);
    o.communicator = communicator;
    o.navigator3 = navigator3;
    return o;
  }

  DemoDescription Make(const DemoOptions& o) {
    std::string error;
    std::vector<std::string> log;
    EXPECT_TRUE(MakeDemoProfile(o, &log, &error)) << error;
    EXPECT_FALSE(log.empty());
    return DescribeDemo(o);
  }

  // What mopwell does at start.
  void Discover() {
    CheckNSReg();
    getIt();
  }
};

// ---- found by discovery ----

TEST_F(DemoProfileTest, DiscoveryFindsTheCommunicatorProfileOnAnUpgradedMachine) {
  DemoDescription d = Make(Options(true, true));
  const DemoGeneration& c = d.communicator;
  Discover();

  EXPECT_EQ(std::string(CurrentUser), d.profileName);
  EXPECT_EQ(std::string(RegProfileDir), c.folder + "\\");
  EXPECT_EQ(std::string(User40), d.profileName);
  EXPECT_EQ(std::string(DirRoot), c.folder);
  EXPECT_EQ(OSV, 2);
  EXPECT_EQ(std::string(PrefsFile), c.folder + "\\prefs.js");
  EXPECT_EQ(std::string(szCacheLoc), c.cacheDir);
  EXPECT_EQ(std::string(szCookieLoc), c.cookieFile);
  EXPECT_EQ(std::string(HistLoc), c.historyFile);
  EXPECT_EQ(std::string(szBookmarkLoc), c.bookmarkFile);
  EXPECT_EQ(std::string(szMail), c.mailDir);
  EXPECT_EQ(std::string(NewsPrefjs), c.newsDir);
  // The Communicator identity wins over the Navigator 3 one still in the
  // user's registry.
  EXPECT_EQ(std::string(Udata4), c.userName);
  EXPECT_EQ(std::string(Udata3), c.email);
  EXPECT_EQ(std::string(Udata2), c.organization);
  EXPECT_NE(c.email, d.navigator3.email);
  // Twelve typed addresses: entry 1 must not pick up entry 10's line.
  ASSERT_EQ(c.typedUrls.size(), 12u);
  for (int i = 1; i <= 12; ++i) EXPECT_EQ(std::string(TypedUrl(i)), c.typedUrls[i - 1]) << "URL" << i;
  EXPECT_EQ(std::string(URL13), "");
  EXPECT_TRUE(fake->boxes.empty()) << fake->boxes.front().title;

  // Every place discovery names holds what the pages will show.
  EXPECT_EQ(PlainFiles(szCacheLoc).size(), static_cast<size_t>(c.cacheFiles) + 1);
  EXPECT_TRUE(IsFile(szCookieLoc));
  EXPECT_NE(Slurp(HistLoc).find(URL1), std::string::npos);
  EXPECT_TRUE(IsFile(szBookmarkLoc));
  EXPECT_TRUE(IsFile(std::string(szMail) + "\\Inbox"));
  EXPECT_TRUE(IsFile(std::string(NewsPrefjs) + "\\FAT"));
  EXPECT_TRUE(IsFolder(std::string(RegProfileDir) + "archive"));

  // The Navigator 3 installation is still there beside it.
  std::string install;
  ASSERT_TRUE(GetRegText(fake->hkcu, "Software\\Netscape\\Netscape Navigator\\Main", "Install Directory", install));
  EXPECT_EQ(install, d.navigator3.folder);
  EXPECT_TRUE(IsFile(d.navigator3.cookieFile));
}

TEST_F(DemoProfileTest, DiscoveryFindsNavigator3FromTheRegistryAlone) {
  DemoDescription d = Make(Options(false, true));
  const DemoGeneration& n = d.navigator3;
  EXPECT_FALSE(FileExists(d.nsregFile));
  Discover();

  EXPECT_EQ(std::string(MainDir), n.folder);
  EXPECT_EQ(OSV, 1);
  EXPECT_EQ(std::string(CurrentUser), "");
  EXPECT_EQ(std::string(szCacheLoc), n.cacheDir);
  EXPECT_EQ(std::string(szCookieLoc), n.cookieFile);
  EXPECT_EQ(std::string(HistLoc), n.historyFile);
  EXPECT_EQ(std::string(szBookmarkLoc), n.bookmarkFile);
  EXPECT_EQ(std::string(szMail), n.mailDir);
  EXPECT_EQ(std::string(szNewsLoc), n.newsDir);
  ASSERT_GE(n.typedUrls.size(), 2u);
  EXPECT_EQ(std::string(URL1), n.typedUrls[0]);
  EXPECT_EQ(std::string(URL2), n.typedUrls[1]);
  EXPECT_EQ(std::string(TypedUrl(static_cast<int>(n.typedUrls.size()) + 1)), "");
  EXPECT_EQ(std::string(Udata4), n.userName);
  EXPECT_EQ(std::string(Udata3), n.email);
  EXPECT_EQ(std::string(Udata2), n.organization);
  EXPECT_EQ(std::string(Udata1), n.signatureFile);
  EXPECT_EQ(std::string(Udata5), n.replyTo);

  EXPECT_EQ(PlainFiles(szCacheLoc).size(), static_cast<size_t>(n.cacheFiles) + 1);
  EXPECT_NE(Slurp(HistLoc).find(URL1), std::string::npos);
  EXPECT_TRUE(IsFile(std::string(szNewsLoc) + "\\FAT"));
}

// ---- the files' layouts ----

TEST_F(DemoProfileTest, CookieFilesHaveTheBrowsersLayout) {
  DemoDescription d = Make(Options(true, true));
  for (const DemoGeneration* g : {&d.communicator, &d.navigator3}) {
    std::string text = Slurp(g->cookieFile);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    std::vector<std::string> lines = SplitLines(text);
    ASSERT_GT(lines.size(), 4u);
    EXPECT_EQ(lines[0], "# Netscape HTTP Cookie File\r\r");
    EXPECT_EQ(lines[1].rfind("# http://", 0), 0u);
    EXPECT_EQ(lines[2], "# This is a generated file!  Do not edit.\r\r");
    EXPECT_EQ(lines[3], "\r\r");
    int cookies = 0;
    for (size_t i = 4; i < lines.size(); ++i) {
      std::vector<std::string> f = Split(StripCr(lines[i]), '\t');
      ASSERT_EQ(f.size(), 7u) << lines[i];
      // Only a domain that starts with a dot is sent to all its hosts.
      EXPECT_EQ(f[1], f[0][0] == '.' ? "TRUE" : "FALSE") << lines[i];
      EXPECT_EQ(f[2].rfind('/', 0), 0u) << lines[i];
      EXPECT_TRUE(f[3] == "TRUE" || f[3] == "FALSE") << lines[i];
      EXPECT_FALSE(f[4].empty());
      EXPECT_EQ(f[4].find_first_not_of("0123456789"), std::string::npos) << lines[i];
      EXPECT_FALSE(f[5].empty());
      EXPECT_NE(f[0].find("example"), std::string::npos) << lines[i];
      ++cookies;
    }
    EXPECT_EQ(cookies, g->cookies);
  }
}

TEST_F(DemoProfileTest, PrefsFileHasTheBrowsersLineFormat) {
  DemoDescription d = Make(Options(true, false));
  std::string text = Slurp(d.communicator.folder + "\\prefs.js");
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare line feed at " << i;
    }
    if (text[i] == '\r') {
      ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare return at " << i;
    }
  }
  const std::regex pref("user_pref\\(\"([A-Za-z0-9_.]+)\", (\"([^\"]*)\"|true|false|-?[0-9]+)\\);");
  int urls = 0;
  std::string cacheValue;
  for (const std::string& raw : SplitLines(text)) {
    std::string line = StripCr(raw);
    if (line.empty() || line.rfind("//", 0) == 0) continue;
    std::smatch m;
    ASSERT_TRUE(std::regex_match(line, m, pref)) << line;
    std::string value = m[3];
    // Backslashes come in pairs, as the browser stores them.
    for (size_t at = value.find('\\'); at != std::string::npos; at = value.find('\\', at + 2))
      ASSERT_TRUE(at + 1 < value.size() && value[at + 1] == '\\') << line;
    if (m[1].str().rfind("browser.url_history.URL_", 0) == 0) {
      ++urls;
      EXPECT_LE(value.size(), 90u) << line;
    }
    if (m[1] == "browser.cache.directory") cacheValue = value;
  }
  EXPECT_EQ(urls, static_cast<int>(d.communicator.typedUrls.size()));
  std::string single;
  for (size_t i = 0; i < cacheValue.size(); ++i) {
    single += cacheValue[i];
    if (cacheValue[i] == '\\') ++i;
  }
  EXPECT_EQ(single, d.communicator.cacheDir);
}

TEST_F(DemoProfileTest, BookmarkFilesStartWithTheDoctypeAndNestProperly) {
  DemoDescription d = Make(Options(true, true));
  for (const DemoGeneration* g : {&d.communicator, &d.navigator3}) {
    std::string text = Slurp(g->bookmarkFile);
    EXPECT_EQ(text.rfind("<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n", 0), 0u);
    EXPECT_NE(text.find("<TITLE>"), std::string::npos);
    EXPECT_EQ(CountContaining(text, "HREF"), g->bookmarks);
    EXPECT_EQ(CountContaining(text, "<H3"), g->bookmarkFolders);
    int depth = 0;
    for (const std::string& line : SplitLines(text)) {
      if (line.find("<DL>") != std::string::npos) ++depth;
      if (line.find("</DL>") != std::string::npos) --depth;
      ASSERT_GE(depth, 0) << "a list closed that was never opened";
    }
    EXPECT_EQ(depth, 0);
  }
}

TEST_F(DemoProfileTest, NewsMapNamesEachServerFolderAndSubscriptionFile) {
  DemoDescription d = Make(Options(true, true));
  for (const DemoGeneration* g : {&d.communicator, &d.navigator3}) {
    std::string map = Slurp(g->newsDir + "\\FAT");
    EXPECT_EQ(map.rfind("netscape-newsrc-map-file\r\n", 0), 0u);
    EXPECT_EQ(map.substr(map.size() - 4), "\r\n\r\n");
    std::vector<std::string> lines = SplitLines(map);
    ASSERT_EQ(lines.size(), g->newsServers.size() + 2);
    int groups = 0, databases = 0;
    for (size_t i = 0; i < g->newsServers.size(); ++i) {
      std::vector<std::string> f = Split(StripCr(lines[i + 1]), '\t');
      ASSERT_EQ(f.size(), 3u) << lines[i + 1];
      EXPECT_EQ(f[0], "newsrc-" + g->newsServers[i]);
      EXPECT_EQ(f[1], g->newsDir + "\\" + g->newsrcFiles[i]);
      EXPECT_EQ(f[2], "FALSE");
      ASSERT_TRUE(IsFile(f[1]));
      groups += static_cast<int>(SplitLines(Slurp(f[1])).size());
      // The news steps count only folders whose attributes are exactly
      // "directory"; the server is the text after the first "-".
      std::string server = g->newsDir + "\\host-" + g->newsServers[i];
      EXPECT_EQ(GetFileAttributesA(server.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY)) << server;
      EXPECT_TRUE(IsFile(server + "\\hostinfo.dat"));
      databases += static_cast<int>(PlainFiles(server, "*.snm").size());
    }
    EXPECT_EQ(groups, g->newsgroups);
    EXPECT_EQ(databases, g->newsDatabases);
  }
}

TEST_F(DemoProfileTest, MailFoldersHoldTheirMessagesAndSummaries) {
  DemoDescription d = Make(Options(true, true));
  for (const DemoGeneration* g : {&d.communicator, &d.navigator3}) {
    ASSERT_EQ(g->mailFolders.size(), g->mailMessages.size());
    int total = 0;
    for (size_t i = 0; i < g->mailFolders.size(); ++i) {
      std::string folder = g->mailDir + "\\" + g->mailFolders[i];
      std::string box = Slurp(folder);
      EXPECT_TRUE(IsFile(folder + ".snm")) << folder;
      EXPECT_EQ(CountContaining(box, "Message-ID"), g->mailMessages[i]) << folder;
      int starts = 0;
      for (const std::string& line : SplitLines(box))
        if (line.rfind("From ", 0) == 0) ++starts;
      EXPECT_EQ(starts, g->mailMessages[i]) << folder;
      if (!box.empty()) {
        EXPECT_EQ(box.rfind("From - ", 0), 0u) << folder;
      }
      total += g->mailMessages[i];
    }
    EXPECT_GT(total, 0);
    // The mail steps name the folders in lower case.
    EXPECT_TRUE(IsFile(g->mailDir + "\\inbox"));
    EXPECT_TRUE(IsFile(g->mailDir + "\\trash.snm"));
    EXPECT_TRUE(IsFile(g->mailDir + "\\sent"));
  }
}

TEST_F(DemoProfileTest, CacheHoldsTheAskedNumberOfFilesBehindTheGuardsName) {
  DemoDescription d = Make(Options(true, true, 37));
  for (const DemoGeneration* g : {&d.communicator, &d.navigator3}) {
    // The cache step refuses folders without one of these in the path.
    EXPECT_TRUE(g->cacheDir.find("CACHE") != std::string::npos ||
                g->cacheDir.find("cache") != std::string::npos || g->cacheDir.find("Cache") != std::string::npos);
    std::vector<std::string> files = PlainFiles(g->cacheDir);
    EXPECT_EQ(files.size(), static_cast<size_t>(g->cacheFiles) + 1) << g->cacheDir;
    EXPECT_NE(std::find(files.begin(), files.end(), "FAT.DB"), files.end());
    std::regex name("M[0-9A-V]{7}\\.(GIF|JPG|HTM|JS)");
    for (const std::string& f : files) {
      if (f != "FAT.DB") {
        EXPECT_TRUE(std::regex_match(f, name)) << f;
      }
    }
  }
  EXPECT_EQ(d.communicator.cacheFiles, 37);

  // A smaller demo made over it leaves no file of the larger one behind.
  DemoDescription smaller = Make(Options(true, true, 5));
  EXPECT_EQ(PlainFiles(smaller.communicator.cacheDir).size(), 6u);
}

// ---- running it again, and other people's settings ----

TEST_F(DemoProfileTest, RunningAgainRemakesTheSameDemo) {
  DemoOptions o = Options(true, true);
  DemoDescription d = Make(o);
  std::string prefs = Slurp(d.communicator.folder + "\\prefs.js");
  std::string cookies = Slurp(d.communicator.cookieFile);
  // A cookie blocker leaves the cookie file read-only; the demo still remakes it.
  SetFileAttributesA(d.communicator.cookieFile.c_str(), FILE_ATTRIBUTE_READONLY);
  WriteFileBytes(d.communicator.folder + "\\prefs.js", "// emptied\r\n");

  Make(o);
  EXPECT_EQ(Slurp(d.communicator.folder + "\\prefs.js"), prefs);
  EXPECT_EQ(Slurp(d.communicator.cookieFile), cookies);
  ClearProfileLocations();
  lstrcpyA(RegProfileDir, "\\");
  Discover();
  EXPECT_EQ(std::string(CurrentUser), d.profileName);
}

TEST_F(DemoProfileTest, LeavesAnotherUsersProfileRegistryAlone) {
  DemoOptions o = Options(true, false);
  DemoDescription d = DescribeDemo(o);
  ASSERT_TRUE(WriteFileBytes(d.nsregFile, ""));
  HREG reg = nullptr;
  ASSERT_EQ(NR_RegOpen(d.nsregFile.c_str(), &reg), REGERR_OK);
  RKEY manager = 0, user = 0;
  ASSERT_EQ(NR_RegAddKey(reg, ROOTKEY_COMMON, "Netscape/ProfileManager", &manager), REGERR_OK);
  ASSERT_EQ(NR_RegSetEntryString(reg, manager, "LastNetscapeUser", "pat"), REGERR_OK);
  ASSERT_EQ(NR_RegAddKey(reg, ROOTKEY_USERS, "pat", &user), REGERR_OK);
  ASSERT_EQ(NR_RegSetEntryString(reg, user, "ProfileLocation", "D:\\Profiles\\pat"), REGERR_OK);
  ASSERT_EQ(NR_RegClose(reg), REGERR_OK);
  std::string before = Slurp(d.nsregFile);

  std::string error;
  EXPECT_FALSE(MakeDemoProfile(o, nullptr, &error));
  EXPECT_NE(error.find("pat"), std::string::npos) << error;
  EXPECT_EQ(Slurp(d.nsregFile), before);
  EXPECT_FALSE(FileExists(d.communicator.folder));

  // Told to replace it, the demo becomes the last profile and pat's stays.
  o.replaceOthers = true;
  ASSERT_TRUE(MakeDemoProfile(o, nullptr, &error)) << error;
  ASSERT_EQ(NR_RegOpen(d.nsregFile.c_str(), &reg), REGERR_OK);
  char last[256] = "", location[256] = "";
  ASSERT_EQ(NR_RegGetKey(reg, ROOTKEY_COMMON, "Netscape/ProfileManager", &manager), REGERR_OK);
  EXPECT_EQ(NR_RegGetEntryString(reg, manager, "LastNetscapeUser", last, sizeof last), REGERR_OK);
  EXPECT_EQ(std::string(last), d.profileName);
  ASSERT_EQ(NR_RegGetKey(reg, ROOTKEY_USERS, "pat", &user), REGERR_OK);
  EXPECT_EQ(NR_RegGetEntryString(reg, user, "ProfileLocation", location, sizeof location), REGERR_OK);
  EXPECT_EQ(std::string(location), "D:\\Profiles\\pat");
  NR_RegClose(reg);
}

TEST_F(DemoProfileTest, LeavesAnotherNavigatorInstallationAlone) {
  const char* mainKey = "Software\\Netscape\\Netscape Navigator\\Main";
  SetRegText(fake->hkcu, mainKey, "Install Directory", "D:\\Netscape\\Navigator");
  DemoOptions o = Options(false, true);
  std::string error;
  EXPECT_FALSE(MakeDemoProfile(o, nullptr, &error));
  EXPECT_NE(error.find("D:\\Netscape\\Navigator"), std::string::npos) << error;
  std::string install, cache;
  ASSERT_TRUE(GetRegText(fake->hkcu, mainKey, "Install Directory", install));
  EXPECT_EQ(install, "D:\\Netscape\\Navigator");
  EXPECT_FALSE(GetRegText(fake->hkcu, "Software\\Netscape\\Netscape Navigator\\Cache", "Cache Dir", cache));
  EXPECT_FALSE(FileExists(DescribeDemo(o).navigator3.folder));
}

TEST_F(DemoProfileTest, RefusesARootThatIsNotAFullPath) {
  DemoOptions o = Options(true, true);
  o.root = "Netscape";
  std::string error;
  EXPECT_FALSE(MakeDemoProfile(o, nullptr, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(FileExists(DescribeDemo(o).nsregFile));
}

}  // namespace
