// Hostile profiles against the clean run: places named in ways the gate's
// comparisons may not see through (another drive letter for the same
// folder), cache entries that Windows names but a walk may miss (names
// that differ only in case, Unix names Windows cannot write), stores of
// the browser that no list keeps, and a preview held the way mopclean
// holds it. Each case checks the files themselves against what was there
// before, and the step's result.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "clean_engine.h"
#include "clean_preview.h"
#include "demo_profile.h"
#include "discovery_fixture.h"
#include "engine.h"
#include "folder_link.h"
#include "places.h"
#include "prefs_file.h"
#include "step_settings.h"
#include "unix_program.h"

using std::string;

namespace {

class Recorder : public CleanReport {
 public:
  explicit Recorder(bool preview = false) : preview_(preview) {}
  bool Preview() const override { return preview_; }
  bool Ask(CleanStep, const CleanQuestion&) override { return true; }
  void File(CleanStep, const FileEvent& e) override {
    if (e.kind == FileEvent::Left) left.push_back(e.path + ": " + e.note);
    if (e.kind == FileEvent::Destroyed || e.kind == FileEvent::NameRemoved) destroyed.push_back(e.path);
  }
  void Setting(CleanStep, const SettingEvent& e) override { settings.push_back(e.where + " [" + e.section + "] " + e.name + "=" + e.value); }
  void StepFinished(CleanStep step, const string& s, StepResult r) override {
    statuses[static_cast<int>(step)] = s;
    results[static_cast<int>(step)] = r;
  }
  StepResult result(CleanStep s) const { return results[static_cast<int>(s)]; }
  const string& status(CleanStep s) const { return statuses[static_cast<int>(s)]; }
  std::vector<string> left, destroyed, settings;
  string statuses[kCleanSteps];
  StepResult results[kCleanSteps] = {};

 private:
  bool preview_;
};

// The same folder through Wine's drive Z: (the Unix root), which no link
// leads through: a second name of the place, as a substituted drive is on
// Windows.
string OtherDriveName(const string& path) {
  string unix = UnixName(path);
  if (unix.empty() || unix[0] != '/') return string();
  // Wine names drive C: through its link dosdevices/c:; the folder it
  // leads to is named without any link.
  std::size_t link = unix.find("/dosdevices/c:/");
  if (link != string::npos) unix.replace(link, 15, "/drive_c/");
  string z = "Z:" + unix;
  for (char& c : z)
    if (c == '/') c = '\\';
  return z;
}

// Every file below a folder by its Unix name, with its bytes: what Win32
// listings may not show (names that differ only in case) is seen here.
std::map<string, string> UnixWorld(const string& folder) {
  std::map<string, string> world;
  string unix = UnixName(folder);
  string list = UnixName(folder + "\\..") + "/probe-list-" + std::to_string(GetCurrentProcessId());
  if (unix.empty()) return world;
  const string failed = RunUnixShell("cd '" + unix + "' && find . -type f -exec md5sum {} + > '" + list + "'");
  if (!failed.empty()) {
    ADD_FAILURE() << "the listing of " << folder << " did not finish: " << failed;
    return world;
  }
  string winList;
  // The list lies beside the folder.
  string listWin = folder + "\\..\\probe-list-" + std::to_string(GetCurrentProcessId());
  HANDLE h = CreateFileA(listWin.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) winList.append(buf, got);
    CloseHandle(h);
  }
  DeleteFileA(listWin.c_str());
  std::size_t at = 0;
  while (at < winList.size()) {
    std::size_t end = winList.find('\n', at);
    if (end == string::npos) end = winList.size();
    string line = winList.substr(at, end - at);
    at = end + 1;
    if (line.size() > 34) world[line.substr(34)] = line.substr(0, 32);
  }
  return world;
}

string Differences(const std::map<string, string>& before, const std::map<string, string>& after) {
  string out;
  for (const auto& [path, sum] : before) {
    auto it = after.find(path);
    if (it == after.end())
      out += "  gone: " + path + "\n";
    else if (it->second != sum)
      out += "  changed: " + path + "\n";
  }
  for (const auto& [path, sum] : after)
    if (!before.count(path)) out += "  new: " + path + "\n";
  return out;
}

// What a step reported of its files, for failure messages.
string Events(const Recorder& r) {
  string out = "reported destroyed:\n";
  for (const string& d : r.destroyed) out += "  " + d + "\n";
  out += "reported left:\n";
  for (const string& l : r.left) out += "  " + l + "\n";
  out += "settings:\n";
  for (const string& l : r.settings) out += "  " + l + "\n";
  return out;
}

// The demo user (Communicator 4 profile and the Navigator 3 installation
// it came from), found by discovery as the program finds it.
class HostileProbe : public DiscoveryTest {
 public:
  void SetUp() override {
    DiscoveryTest::SetUp();
    SetUp_World();
  }
  // The demo user and the user's own files, in this test's scratch world.
  void SetUp_World() {
    DemoOptions o = DemoHere(5);
    string error;
    ASSERT_TRUE(MakeDemoProfile(o, nullptr, &error)) << error;
    DemoDescription d = DescribeDemo(o);
    demo = d.communicator;
    nav3 = d.navigator3;
    root = o.root;
    ASSERT_TRUE(WriteFileBytes(fake->InProgram("MOPWELL.BKM"), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"));
    ASSERT_TRUE(WriteFileBytes(fake->InProgram("mopwell.exe"), "MZ mopwell"));
    windowsFile = fake->windowsDir + "\\notepad.exe";
    ASSERT_TRUE(WriteFileBytes(windowsFile, "MZ notepad"));
    documents = fake->Folder("My Documents");
    ASSERT_TRUE(WriteFileBytes(documents + "\\letter.txt", "the user's letter"));
    SetUser(kShellFolders, "Personal", documents);
    SetIni("Options", "NT", "2");
  }

  // A new demo world in place of this one.
  void Fresh() {
    TearDown();
    SetUp();
  }
  // prefs.js with one more preference line; discovery then runs again.
  void AddPref(const string& key, const string& value) {
    string prefs;
    ASSERT_TRUE(ReadFileBytes(demo.folder + "\\prefs.js", prefs));
    const string line = "user_pref(\"" + key + "\", \"" + PrefsPath(value) + "\");";
    // In place of the browser's own line for the key, if it has one.
    std::size_t at = prefs.find("user_pref(\"" + key + "\"");
    if (at == string::npos) {
      prefs += line + "\r\n";
    } else {
      std::size_t end = prefs.find_first_of("\r\n", at);
      prefs.replace(at, (end == string::npos ? prefs.size() : end) - at, line);
    }
    ASSERT_TRUE(WriteFileBytes(demo.folder + "\\prefs.js", prefs));
  }
  void Discover() {
    ClearProfileLocations();
    lstrcpyA(RegProfileDir, "\\");
    CheckNSReg();
    getIt();
    lstrcpynA(szCacheIn, szCacheLoc, sizeof szCacheIn);
    LoadRunSettings();
  }
  // The cache step in a preview and then for real.
  void RunCache(Recorder& preview, Recorder& run) {
    {
      CleanRun r(preview, CleanStep::Cache);
      CacheStep(r);
      r.End();
    }
    CleanRun r(run, CleanStep::Cache);
    CacheStep(r);
    r.End();
  }

  DemoGeneration demo, nav3;
  string root, documents, windowsFile;
};

// ---- One place, other names ----
//
// The gate compares path texts: a cache setting that names a kept place
// by another name must still be refused. Wine's drive Z: is the Unix
// root, so every folder of drive C: has a second name there that no link
// leads through (on Windows a substituted or mapped drive letter does the
// same); short names, other letter case, forward slashes and a trailing
// dot are other spellings of the same path. The name rule is off (FatDB),
// as in the gate's own table: the rest of the rule must hold.
TEST_F(HostileProbe, ACacheSettingNamingAKeptFolderByAnotherNameIsRefused) {
  struct Place {
    const char* what;
    std::function<string()> folder;  // in this row's world
  };
  const Place places[] = {
      {"the profile folder", [this] { return demo.folder; }},
      {"the Windows folder", [this] { return fake->windowsDir; }},
      {"this program's folder", [this] { return fake->programDir; }},
      {"the user's documents", [this] { return documents; }},
      {"the mail folder", [this] { return demo.mailDir; }},
  };
  struct Name {
    const char* what;
    string (*form)(const string&);
  };
  const Name names[] = {
      {"through drive Z:", [](const string& p) { return OtherDriveName(p); }},
      {"short form",
       [](const string& p) {
         char s[MAX_PATH] = "";
         DWORD n = GetShortPathNameA(p.c_str(), s, sizeof s);
         if (n == 0 || n >= sizeof s) return string();
         // Wine hashes short names: a like-named sibling may share one.
         char back[MAX_PATH] = "";
         n = GetLongPathNameA(s, back, sizeof back);
         EXPECT_TRUE(n > 0 && n < sizeof back && lstrcmpiA(back, p.c_str()) == 0)
             << "the short name " << s << " leads to " << back << ", not to " << p;
         return string(s);
       }},
      {"upper case",
       [](const string& p) {
         string u = p;
         CharUpperBuffA(&u[0], static_cast<DWORD>(u.size()));
         return u;
       }},
      {"forward slashes",
       [](const string& p) {
         string f = p;
         for (std::size_t i = 2; i < f.size(); ++i)
           if (f[i] == '\\') f[i] = '/';
         return f;
       }},
      {"a trailing dot", [](const string& p) { return p + "."; }},
  };
  bool first = true;
  int judged = 0;
  for (const Name& name : names) {
    for (const Place& place : places) {
      SCOPED_TRACE(string(place.what) + ", " + name.what);
      if (!first) Fresh();
      first = false;
      string named = name.form(place.folder());
      const DWORD error = GetLastError();
      if (named.empty()) {
        ADD_FAILURE() << "no such name here (error " << error << ") for " << place.folder();
        continue;
      }
      ASSERT_LT(named.size(), 190u) << "the test's folders lie too deep for a setting";
      SetIni("Prefs", "FatDB", "1");
      AddPref("browser.cache.directory", named);
      Discover();
      if (!szCacheLoc[0] || SamePlace(szCacheLoc, demo.cacheDir)) continue;  // not taken: nothing to judge
      ++judged;
      std::map<string, string> before = UnixWorld(fake->root);
      Recorder preview(true), run;
      RunCache(preview, run);
      EXPECT_EQ(Differences(before, UnixWorld(fake->root)), "") << "the cache setting read " << szCacheLoc;
      EXPECT_EQ(run.result(CleanStep::Cache), StepResult::Refused) << run.status(CleanStep::Cache);
      EXPECT_EQ(preview.result(CleanStep::Cache), StepResult::Refused) << preview.status(CleanStep::Cache);
    }
  }
  EXPECT_EQ(judged, 25) << "every name was taken by discovery and judged";
}

// ---- Names a walk may pass over ----
//
// A cache folder on a Unix file system (a Wine user's, or a folder with
// case-sensitive names on Windows) can hold names that differ only in
// case, or that Windows cannot write as they are. Each either goes, or the
// step says it stayed: never "Done!" with the file still there.
TEST_F(HostileProbe, CacheEntriesWindowsNamesOddlyGoOrTheStepSaysTheyStayed) {
  ASSERT_FALSE(UnixName(demo.cacheDir).empty()) << "this test makes its names through Wine's Unix side";
  struct Row {
    const char* what;
    std::vector<const char*> names;  // Unix names made in the cache
  };
  const Row rows[] = {
      {"two names that differ only in case", {"Twin.moz", "TWIN.MOZ"}},
      {"three names that differ only in case", {"m1.db", "M1.db", "M1.DB"}},
      {"a trailing dot", {"dot."}},
      {"a trailing dot beside the plain name", {"pair", "pair."}},
      {"a trailing blank", {"blank "}},
      {"a colon", {"a:b.moz"}},
      {"a byte that is no UTF-8", {"\\377bad.moz"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (&row != &rows[0]) Fresh();
    Discover();
    string cache = UnixName(demo.cacheDir);
    string script = "cd '" + cache + "'";
    for (const char* name : row.names) script += " && printf 'a page' > \\\"$(printf '" + string(name) + "')\\\"";
    ASSERT_EQ(RunUnixShell(script), "");
    std::map<string, string> before = UnixWorld(demo.cacheDir);
    ASSERT_GE(before.size(), row.names.size() + 5) << "the odd names were made";
    Recorder preview(true), run;
    RunCache(preview, run);
    std::map<string, string> after = UnixWorld(demo.cacheDir);
    bool done = run.result(CleanStep::Cache) == StepResult::Done;
    if (done) {
      EXPECT_TRUE(after.empty()) << "\"" << run.status(CleanStep::Cache) << "\" while these stay:\n"
                                         << Differences(std::map<string, string>(), after) << Events(run);
    }
    EXPECT_EQ(static_cast<int>(preview.result(CleanStep::Cache)), static_cast<int>(run.result(CleanStep::Cache)))
        << "the preview foresees how the step ends";
  }
}

// ---- Stores no list keeps ----
//
// The browser keeps stores outside the profile the run works on: the
// Navigator 3 installation's mail and news (the demo user upgraded from
// it; the registry names them), another Communicator profile of the same
// machine. A cache setting naming one of them (name rule off) is refused.
TEST_F(HostileProbe, ACacheSettingNamingAnotherStoreOfTheBrowserIsRefused) {
  SetIni("Prefs", "FatDB", "1");
  struct Row {
    const char* what;
    std::function<string()> folder;  // in this row's world
    bool secondProfile;
  };
  const Row rows[] = {
      {"Navigator 3's mail folder (named in the registry)", [this] { return nav3.mailDir; }, false},
      {"Navigator 3's news folder (named in the registry)", [this] { return nav3.newsDir; }, false},
      {"another Communicator profile", [this] { return root + "\\Users\\bob"; }, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (&row != &rows[0]) Fresh();
    SetIni("Prefs", "FatDB", "1");
    const string folder = row.folder();
    if (row.secondProfile) {
      fake->Folder("Program Files\\Netscape\\Users\\bob");
      ASSERT_TRUE(WriteFileBytes(folder + "\\prefs.js", "user_pref(\"mail.identity.username\", \"Bob\");\r\n"));
      ASSERT_TRUE(WriteFileBytes(folder + "\\bookmark.htm", "<bob's bookmarks>"));
      ASSERT_TRUE(WriteFileBytes(folder + "\\cookies.txt", "# bob's cookies"));
      SetMachine(kPlain + "Users\\bob", "DirRoot", folder);
    }
    AddPref("browser.cache.directory", folder);
    Discover();
    ASSERT_EQ(string(szCacheLoc), folder);
    std::map<string, string> before = UnixWorld(fake->root);
    Recorder preview(true), run;
    RunCache(preview, run);
    EXPECT_EQ(Differences(before, UnixWorld(fake->root)), "");
    EXPECT_EQ(run.result(CleanStep::Cache), StepResult::Refused) << run.status(CleanStep::Cache);
  }
}

// ---- The preview as mopclean runs it ----
//
// mopclean /preview holds every INI write in memory from the start (so
// that discovery records nothing). A settings file the run must write
// (MPW-ID.INI, the browser's settings file) that is read-only must still
// be foreseen: the preview ends the step as the run then does.
TEST_F(HostileProbe, APreviewHeldAsMopcleanHoldsItForeseesAReadOnlySettingsFile) {
  Discover();
  SetIni("Alias", "User", "Ghost Writer");
  SetIni("Alias", "User_Addr", "ghost@nowhere.example");
  const string settings = root + "\\netscape-settings.ini";
  ASSERT_TRUE(WriteFileBytes(settings, "[Netscape Settings]\r\nUser\\User_Name=Dana\r\n"));
  SetIni("customs", "Vnet", settings.c_str());
  const string idFile = string(RegProfileDir) + "MPW-ID.INI";
  struct Row {
    const char* what;
    string file;
  };
  const Row rows[] = {{"the browser's settings file", settings}, {"MPW-ID.INI", idFile}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    // Something to change there: the real identity in force.
    ASSERT_TRUE(WriteFileBytes(settings, "[Netscape Settings]\r\nUser\\User_Name=Dana\r\n"));
    ASSERT_TRUE(WriteFileBytes(idFile, "[Options]\r\nuserID=0\r\n"));
    ASSERT_TRUE(SetFileAttributesA(row.file.c_str(), FILE_ATTRIBUTE_READONLY));
    LoadRunSettings();
    CleanChoices choices;
    choices[CleanStep::Identity] = true;
    HoldAllWrites(true);  // as mopclean /preview does
    PreviewList list(false, false);
    RunClean(choices, list);
    HoldAllWrites(false);
    Recorder run;
    RunClean(choices, run);
    EXPECT_EQ(static_cast<int>(run.result(CleanStep::Identity)), static_cast<int>(StepResult::Failed))
        << run.status(CleanStep::Identity) << "\n" << Events(run) << GetFileAttributesA(row.file.c_str());
    EXPECT_EQ(static_cast<int>(list.results[static_cast<int>(CleanStep::Identity)]),
              static_cast<int>(run.result(CleanStep::Identity)))
        << "preview:\n" << list.Text();
    SetFileAttributesA(row.file.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

// ---- Bytes another name keeps ----
//
// A store file that has a second name (a hard link made by another
// program): the run removes this name only and leaves the bytes, as it
// must not destroy what the other name stands for. The user's history,
// cookies or cached pages are then still on the disk, whole: the step
// does not say it cleaned them.
TEST_F(HostileProbe, AStoreWhoseBytesAnotherNameKeepsIsNotClaimedCleaned) {
  struct Row {
    const char* what;
    CleanStep step;
    std::function<string()> file;
    void (*clean)(CleanRun&);
  };
  const Row rows[] = {
      {"history", CleanStep::History, [this] { return demo.historyFile; }, HistoryStep},
      {"cookies", CleanStep::Cookies, [this] { return demo.cookieFile; }, CookiesStep},
      {"a cached page", CleanStep::Cache, [this] { return demo.cacheDir + "\\page.htm"; }, CacheStep},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (&row != &rows[0]) Fresh();
    Discover();
    const string file = row.file();
    if (!FileExists(file)) {
      ASSERT_TRUE(WriteFileBytes(file, "<a page the user saw>"));
    }
    string bytes;
    ASSERT_TRUE(ReadFileBytes(file, bytes));
    const string copy = fake->root + "\\elsewhere.bin";
    ASSERT_TRUE(CreateHardLinkA(copy.c_str(), file.c_str(), nullptr));
    Recorder run;
    CleanRun r(run, row.step);
    row.clean(r);
    r.End();
    string after;
    bool stays = ReadFileBytes(copy, after) && after == bytes;
    if (stays) {
      EXPECT_NE(static_cast<int>(run.result(row.step)), static_cast<int>(StepResult::Done))
          << "\"" << run.status(row.step) << "\" while its bytes stay whole in " << copy << "\n" << Events(run);
    }
  }
}

// ---- Swapped while the walk works ----
//
// A program that renames the cache folder away while its first file is
// being overwritten, and puts a link to the user's documents in its place
// (or renames a folder above it): the folders the walk works in are held,
// so neither rename gets through and nothing of the documents goes.
class SwapPlatform : public FakePlatform {
 public:
  std::function<void()> onFirstWrite;
  BOOL WriteBytes(HANDLE file, const void* data, DWORD size, DWORD* written) override {
    if (onFirstWrite) {
      auto swap = std::move(onFirstWrite);
      onFirstWrite = nullptr;
      swap();
    }
    return FakePlatform::WriteBytes(file, data, size, written);
  }
};

TEST_F(HostileProbe, AFolderSwappedForALinkWhileTheCacheIsEmptiedLeadsNowhere) {
  struct Row {
    const char* what;
    std::function<string()> renamed;  // the folder renamed away
  };
  const Row rows[] = {
      {"the cache folder", [this] { return demo.cacheDir; }},
      {"the profile folder above it", [this] { return demo.folder; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TearDown();
    DiscoveryTest::SetUp();
    fake.reset();
    auto swapping = std::make_unique<SwapPlatform>();
    SwapPlatform* platform = swapping.get();
    fake = std::move(swapping);
    SetCurrentDirectoryA(fake->programDir.c_str());
    lstrcpyA(RegProfileDir, "\\");
    SetUp_World();
    Discover();
    const string folder = row.renamed();
    std::unique_ptr<FolderLink> link;
    bool moved = false, fired = false;
    platform->onFirstWrite = [&] {
      fired = true;
      moved = MoveFileA(folder.c_str(), (folder + "-moved").c_str()) != 0;
      if (moved) link = std::make_unique<FolderLink>(folder, documents);
    };
    std::map<string, string> before = UnixWorld(documents);
    Recorder run;
    CleanRun r(run, CleanStep::Cache);
    CacheStep(r);
    r.End();
    ASSERT_TRUE(fired) << "the walk overwrote no file";
    EXPECT_FALSE(moved) << "a held folder was renamed during the walk";
    EXPECT_EQ(Differences(before, UnixWorld(documents)), "");
    link.reset();
    if (moved) MoveFileA((folder + "-moved").c_str(), folder.c_str());
  }
}

// ---- The browser's own folder ----
//
// A Navigator 3 user (no Communicator profile) keeps the summary files in
// the installation folder, which the registry names as both the browser's
// folder and its install folder: the mail step may take them there, and a
// step that is the user's choice on the user's own browser is not refused.
TEST_F(HostileProbe, ANavigator3UsersSummaryFilesAreTakenFromTheInstallFolder) {
  TearDown();
  DiscoveryTest::SetUp();
  DemoOptions o = DemoHere(5);
  o.communicator = false;
  string error;
  ASSERT_TRUE(MakeDemoProfile(o, nullptr, &error)) << error;
  nav3 = DescribeDemo(o).navigator3;
  ASSERT_TRUE(WriteFileBytes(fake->InProgram("MOPWELL.BKM"), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"));
  SetIni("Options", "NT", "2");
  const string summary = nav3.folder + "\\summary.dat";
  ASSERT_TRUE(WriteFileBytes(summary, "the browser's mail summary"));
  Discover();
  ASSERT_EQ(string(MainDir), nav3.folder);
  Recorder run;
  CleanRun r(run, CleanStep::Mail);
  MailStep(r);
  r.End();
  EXPECT_NE(static_cast<int>(run.result(CleanStep::Mail)), static_cast<int>(StepResult::Refused))
      << run.status(CleanStep::Mail) << "\n" << (run.left.empty() ? "" : run.left[0]);
  EXPECT_FALSE(FileExists(summary));
}

}  // namespace
