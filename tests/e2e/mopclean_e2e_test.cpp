// The real mopclean.exe in its own process on the demo browser user: its
// usage, its preview, its run with and without /yes-bookmarks, and a run
// that meets a read-only cookie file and a missing news map. Exit codes and
// printed lines are checked, and the files afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "demo_profile.h"
#include "e2e_support.h"

namespace {

struct Result {
  DWORD code = 99;
  std::string out;
};

// Runs mopclean.exe with `args`, its output (standard output and error)
// caught through a pipe, and waits for it to end.
Result RunMopclean(const std::string& args) {
  Result r;
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &sa, 0)) return r;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = write;
  si.hStdError = write;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  std::string exe = WindowsPath(MOPCLEAN_EXE);
  std::string cmd = "\"" + exe + "\" " + args;
  BOOL started = CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                &si, &pi);
  CloseHandle(write);
  if (started) {
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(read, buf, sizeof buf, &got, nullptr) && got) r.out.append(buf, got);
    WaitForSingleObject(pi.hProcess, 120000);
    GetExitCodeProcess(pi.hProcess, &r.code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  CloseHandle(read);
  return r;
}

void Ini(const char* section, const char* key, const char* value) {
  WritePrivateProfileStringA(section, key, value, (WindowsDir() + "\\MOPWELL.INI").c_str());
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The demo user with Communicator 4, set up, and the choices of these
// tests: history, cookies, bookmarks and cache.
struct DemoForMopclean {
  DemoForMopclean() : cleanup(Root()) {
    DemoOptions options;
    options.windowsDir = WindowsDir();
    options.root = Root();
    options.cacheFiles = 12;
    options.replaceOthers = true;
    CreateDirectoryA(options.root.c_str(), nullptr);
    std::string error;
    made = MakeDemoProfile(options, nullptr, &error);
    EXPECT_TRUE(made) << error;
    c4 = DescribeDemo(options).communicator;
    Ini("Options", "NT", "2");
    for (const char* key : {"userID", "newsrc", "news-subs", "mail", "urlwin", "docs"}) Ini("Options", key, "0");
    for (const char* key : {"websites", "cookies", "bookmarks", "cache"}) Ini("Options", key, "1");
    std::string program = WindowsPath(MOPCLEAN_EXE);
    templ = Read(program.substr(0, program.find_last_of('\\')) + "\\MOPWELL.BKM");
    EXPECT_NE(templ, "<missing>");
  }
  static std::string Root() {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + "mopwell-e2e-mopclean";
  }
  PrefixCleanup cleanup;
  bool made = false;
  DemoGeneration c4;
  std::string templ;
};

}  // namespace

TEST(EndToEnd, MopcleanUsage) {
  Result help = RunMopclean("/help");
  EXPECT_EQ(help.code, 0u);
  EXPECT_TRUE(Has(help.out, "mopclean /run [/yes-bookmarks]")) << help.out;
  Result none = RunMopclean("");
  EXPECT_EQ(none.code, 2u);
  EXPECT_TRUE(Has(none.out, "give one of /preview, /run and /help")) << none.out;
  Result unknown = RunMopclean("/run /now");
  EXPECT_EQ(unknown.code, 2u);
  EXPECT_TRUE(Has(unknown.out, "unknown argument \"/now\"")) << unknown.out;
  EXPECT_EQ(RunMopclean("/preview /run").code, 2u);
}

TEST(EndToEnd, MopcleanPreviewListsAndRunCleansWithTheBookmarkFlag) {
  DemoForMopclean demo;
  ASSERT_TRUE(demo.made);
  const DemoGeneration& c4 = demo.c4;
  const std::string& templ = demo.templ;
  const std::string bookmarks = Read(c4.bookmarkFile);
  Result preview = RunMopclean("/preview");
  EXPECT_EQ(preview.code, 0u) << preview.out;
  EXPECT_TRUE(Has(preview.out, "destroy   " + c4.historyFile)) << preview.out;
  EXPECT_TRUE(Has(preview.out, "not asked \"You have asked Mopwell to kill all your bookmarks.")) << preview.out;
  EXPECT_TRUE(Has(preview.out, "bytes) would be destroyed")) << preview.out;
  EXPECT_TRUE(Exists(c4.historyFile)) << "a preview changes nothing";
  EXPECT_EQ(Read(c4.bookmarkFile), bookmarks);

  // Without the flag the bookmark step is left, and says so: exit code 1.
  Result run = RunMopclean("/run");
  EXPECT_EQ(run.code, 1u) << run.out;
  EXPECT_TRUE(Has(run.out, "Remove your history database: done: Done!     History DB cleaned.")) << run.out;
  EXPECT_TRUE(Has(run.out, "Remove all bookmark settings: REFUSED: Left alone.")) << run.out;
  // The twelve entries and the cache's index file.
  EXPECT_TRUE(Has(run.out, "Remove caches and databases: done: Done!     Cache dir cleaned. (13 files")) << run.out;
  EXPECT_FALSE(Exists(c4.historyFile));
  EXPECT_FALSE(Exists(c4.cookieFile));
  EXPECT_EQ(Read(c4.bookmarkFile), bookmarks);

  // With it every chosen step completes.
  Result yes = RunMopclean("/run /yes-bookmarks");
  EXPECT_EQ(yes.code, 0u) << yes.out;
  EXPECT_TRUE(Has(yes.out, "Remove all bookmark settings: done: Done!     Bookmarks cleaned.")) << yes.out;
  EXPECT_TRUE(Read(c4.bookmarkFile) == templ);
  char key[8] = "";
  GetPrivateProfileStringA("Options", "bookmarks", "", key, sizeof key, (WindowsDir() + "\\MOPWELL.INI").c_str());
  EXPECT_STREQ(key, "1") << "the same keys as mopwell.exe writes";
}

TEST(EndToEnd, MopcleanRunWithAReadOnlyCookieFileAndNoNewsMap) {
  DemoForMopclean demo;
  ASSERT_TRUE(demo.made);
  const DemoGeneration& c4 = demo.c4;
  Ini("Options", "bookmarks", "0");
  Ini("Options", "newsrc", "1");
  ASSERT_TRUE(DeleteFileA((c4.newsDir + "\\FAT").c_str()));
  ASSERT_TRUE(SetFileAttributesA(c4.cookieFile.c_str(), FILE_ATTRIBUTE_READONLY));
  Result run = RunMopclean("/run");
  EXPECT_EQ(run.code, 1u) << run.out;
  // The map is not repaired (that asks): news data stays, with the reason.
  EXPECT_TRUE(Has(run.out, "no map file: news data left alone")) << run.out;
  EXPECT_TRUE(Has(run.out, "Remove your newsgroup tracks: REFUSED: No FAT file!  News data left alone.")) << run.out;
  for (const std::string& file : c4.newsrcFiles) EXPECT_TRUE(Exists(c4.newsDir + "\\" + file)) << file;
  EXPECT_FALSE(Exists(c4.newsDir + "\\FAT")) << "no map made";
  // A read-only cookie file is the cookie blocker's: its mark is cleared
  // and the file destroyed, as the clean page does.
  EXPECT_TRUE(Has(run.out, "Remove your unwanted cookies: done: Done!     Cookie file cleaned.")) << run.out;
  EXPECT_FALSE(Exists(c4.cookieFile));
  // Everything else chosen still ran.
  EXPECT_FALSE(Exists(c4.historyFile));
  EXPECT_FALSE(Has(run.out, "message   ")) << "no message box shown or printed: " << run.out;
}

TEST(EndToEnd, MopcleanPreviewLeavesMopwellIniPrefsAndTheProfileRegistryByteForByte) {
  DemoForMopclean demo;
  ASSERT_TRUE(demo.made);
  const std::string iniPath = WindowsDir() + "\\MOPWELL.INI";
  const std::string prefsPath = demo.c4.folder + "\\prefs.js";
  const std::string nsregPath = WindowsDir() + "\\nsreg.dat";
  // Discovery records the bookmark template's name each time it runs: with
  // the key gone, a run would write it back. It also adds the typed-address
  // placeholder lines prefs.js lacks, and the profile registry's header
  // would be set right to a file that grew after it.
  Ini("CopyMe", "which", nullptr);
  const std::string before = Read(iniPath);
  ASSERT_NE(before, "<missing>");
  ASSERT_EQ(before.find("which="), std::string::npos);
  const std::string prefsBefore = Read(prefsPath);
  ASSERT_EQ(prefsBefore.find("URL_16"), std::string::npos);
  std::string nsreg = Read(nsregPath);
  ASSERT_NE(nsreg, "<missing>");
  nsreg += std::string(32, '\x5a');
  {
    HANDLE f = CreateFileA(nsregPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD wrote = 0;
    WriteFile(f, nsreg.data(), static_cast<DWORD>(nsreg.size()), &wrote, nullptr);
    CloseHandle(f);
  }

  Result preview = RunMopclean("/preview /yes-bookmarks");
  EXPECT_EQ(preview.code, 0u) << preview.out;
  // The preview still read what discovery found, as the run would: the
  // bookmark file would be replaced by the template.
  std::size_t line = preview.out.find("with the template ");
  ASSERT_NE(line, std::string::npos) << preview.out;
  EXPECT_TRUE(Has(preview.out.substr(line, preview.out.find('\n', line) - line), "\\MOPWELL.BKM")) << preview.out;
  EXPECT_EQ(Read(iniPath), before) << "a preview writes nothing to MOPWELL.INI";
  EXPECT_TRUE(Read(prefsPath) == prefsBefore) << "nor to prefs.js";
  EXPECT_TRUE(Read(nsregPath) == nsreg) << "nor to the browser's profile registry";
  // What discovery would record is listed first.
  std::size_t first = preview.out.find("[Before the steps");
  ASSERT_NE(first, std::string::npos) << preview.out;
  EXPECT_LT(first, preview.out.find("[Use anonymous User ID online]"));
  EXPECT_TRUE(Has(preview.out, "[CopyMe] which = \"")) << preview.out;
  EXPECT_TRUE(Has(preview.out, "            + user_pref(\"browser.url_history.URL_16\"")) << preview.out;

  // The same discovery in a run does write: the comparison above is not
  // one that holds whatever mopclean does.
  Result run = RunMopclean("/run /yes-bookmarks");
  EXPECT_EQ(run.code, 0u) << run.out;
  char which[MAX_PATH] = "";
  GetPrivateProfileStringA("CopyMe", "which", "", which, sizeof which, iniPath.c_str());
  EXPECT_TRUE(Has(which, "MOPWELL.BKM")) << which;
  EXPECT_TRUE(Has(Read(prefsPath), "browser.url_history.URL_16"));
  EXPECT_FALSE(Read(nsregPath) == nsreg);
}

namespace {

// Every file below `folder` with its bytes, captured before a run.
void Snapshot(const std::string& folder, std::vector<std::pair<std::string, std::string>>& out) {
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &f);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = f.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name;
    if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      Snapshot(path, out);
    else
      out.emplace_back(path, Read(path));
  } while (FindNextFileA(h, &f));
  FindClose(h);
}

}  // namespace

// What a hostile profile tries from the command line: a run before setup,
// a cache setting in prefs.js that climbs back into the profile folder
// (with the cache's name rule switched off), and a news map that names the
// bookmark file. Nothing outside the user's choice
// changes, every printed line says what was refused, and the exit code is 1.
TEST(EndToEnd, MopcleanRefusesWhatTheUserNeverChose) {
  DemoForMopclean demo;
  ASSERT_TRUE(demo.made);
  const DemoGeneration& c4 = demo.c4;
  const std::string iniPath = WindowsDir() + "\\MOPWELL.INI";

  // Before setup: nothing at all is written, MOPWELL.INI included.
  Ini("Options", "NT", "0");
  const std::string ini = Read(iniPath);
  Result early = RunMopclean("/run /yes-bookmarks");
  EXPECT_EQ(early.code, 1u) << early.out;
  EXPECT_TRUE(Has(early.out, "REFUSED: Mopwell is not properly configured yet.")) << early.out;
  EXPECT_EQ(Read(iniPath), ini) << "a refused run records nothing";
  EXPECT_TRUE(Exists(c4.historyFile));

  // The cache named as the profile folder itself, through "..".
  Ini("Options", "NT", "2");
  Ini("Prefs", "FatDB", "1");
  Ini("Options", "newsrc", "1");
  Ini("Options", "bookmarks", "0");
  std::string prefs = Read(c4.folder + "\\prefs.js");
  std::string key = "\"browser.cache.directory\", \"";
  std::size_t at = prefs.find(key);
  ASSERT_NE(at, std::string::npos);
  std::size_t end = prefs.find('"', at + key.size());
  std::string climbing = c4.folder + "\\cache\\..";
  std::string escaped;
  for (char c : climbing) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  prefs.replace(at + key.size(), end - at - key.size(), escaped);
  ASSERT_TRUE(Write(c4.folder + "\\prefs.js", prefs));
  // A planted line in the news map names the bookmark file.
  std::string map = Read(c4.newsDir + "\\FAT");
  ASSERT_NE(map, "<missing>");
  map += "planted.example\t" + c4.bookmarkFile + "\tFALSE\r\n";
  ASSERT_TRUE(Write(c4.newsDir + "\\FAT", map));
  // What the run may take or change: the history and cookie files, the
  // news files the map names inside the news folder, and the identity and
  // Java lines it writes (prefs.js, MPW-ID.INI). Everything else stays.
  std::vector<std::pair<std::string, std::string>> before;
  Snapshot(c4.folder, before);
  Result run = RunMopclean("/run");
  EXPECT_EQ(run.code, 1u) << run.out;
  EXPECT_TRUE(Has(run.out, "Remove caches and databases: REFUSED: Error!    Cache left alone!")) << run.out;
  EXPECT_TRUE(Has(run.out, "refused: it is the profile folder")) << run.out;
  EXPECT_TRUE(Has(run.out, "Remove your newsgroup tracks: FAILED: Error!")) << run.out;
  EXPECT_TRUE(Has(run.out, "left      " + c4.bookmarkFile + ": outside the news folder")) << run.out;
  for (const auto& [path, bytes] : before) {
    bool chosen = path == c4.historyFile || path == c4.cookieFile || path.rfind(c4.newsDir + "\\", 0) == 0 ||
                  path == c4.folder + "\\prefs.js" || path == c4.folder + "\\MPW-ID.INI";
    if (chosen) continue;
    EXPECT_TRUE(Read(path) == bytes) << path;
  }
  EXPECT_FALSE(Exists(c4.historyFile)) << "what the user chose still goes";
}
