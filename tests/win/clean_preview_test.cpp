// The preview of the clean run on the demo browser user: it changes
// nothing (profile folder, MOPWELL.INI and the browser's registry keys
// compared byte for byte before and after), and what it lists is exactly
// what the real run then does to the files.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "clean_engine.h"
#include "clean_preview.h"
#include "cleaners.h"
#include "places.h"
#include "demo_profile.h"
#include "held_file.h"
#include "page_fixture.h"
#include "prefs/line_table.h"
#include "preview_window.h"

namespace {

struct FileFacts {
  DWORD attributes;
  std::string bytes;
  FILETIME written;
  bool operator==(const FileFacts& o) const {
    return attributes == o.attributes && bytes == o.bytes && CompareFileTime(&written, &o.written) == 0;
  }
};

// Every file and folder below `dir`, with its attributes, bytes and
// last-write time.
void Snap(const std::string& dir, std::map<std::string, FileFacts>& out) {
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = fd.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = dir + "\\" + name;
    FileFacts facts{fd.dwFileAttributes, "", fd.ftLastWriteTime};
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      facts.written = FILETIME{};  // a listing inside is not a change
      out[path] = facts;
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) Snap(path, out);
    } else {
      ReadFileBytes(path, facts.bytes);
      out[path] = facts;
    }
  } while (FindNextFileA(find, &fd));
  FindClose(find);
}

// Every key and value below `key`, as "path\name=type:bytes" lines.
void SnapKey(HKEY key, const std::string& path, std::set<std::string>& out) {
  char name[512];
  BYTE data[4096];
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    out.insert(path + "\\" + name + "=" + std::to_string(type) + ":" +
               std::string(reinterpret_cast<char*>(data), dataSize));
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = sizeof name;
    if (RegEnumKeyExA(key, i, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    out.insert(path + "\\" + name + "\\");
    HKEY sub;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) == ERROR_SUCCESS) {
      SnapKey(sub, path + "\\" + name, out);
      RegCloseKey(sub);
    }
  }
}

// Everything the run may touch.
struct World {
  std::map<std::string, FileFacts> files;
  std::string ini;
  std::set<std::string> registry;
};

// What a run reported, in the order it came.
class Recorder : public CleanReport {
 public:
  bool Ask(CleanStep, const CleanQuestion&) override { return true; }
  void File(CleanStep, const FileEvent& e) override { files.push_back(e); }
  void Setting(CleanStep, const SettingEvent& e) override { settings.push_back(e.where + "|" + e.name + "=" + e.value); }
  void PrefsLine(CleanStep, const std::string& a, const std::string& b) override { prefs.push_back(a + " => " + b); }
  void StepFinished(CleanStep step, const std::string& status, StepResult result) override {
    results[static_cast<int>(step)] = result;
    statuses[static_cast<int>(step)] = status;
  }
  StepResult results[kCleanSteps] = {};
  std::string statuses[kCleanSteps];
  std::vector<FileEvent> files;
  std::vector<std::string> settings, prefs;
};

// File names compare without regard to case: a step names "trash" what
// the browser wrote as "Trash".
std::string Upper(std::string s) {
  if (!s.empty()) CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

std::set<std::string> PathsOf(const std::vector<FileEvent>& events, FileEvent::Kind kind) {
  std::set<std::string> paths;
  for (const FileEvent& e : events)
    if (e.kind == kind) paths.insert(Upper(e.path));
  return paths;
}

class CleanPreviewTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    CurrentPage = 0;
    DemoOptions o = DemoHere(30);
    std::string error;
    ASSERT_TRUE(MakeDemoProfile(o, nullptr, &error)) << error;
    demo = DescribeDemo(o).communicator;
    root = o.root;
    // The bookmark template beside the program, as shipped.
    ASSERT_TRUE(WriteFileBytes(fake->InProgram("MOPWELL.BKM"), "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"));
    CheckNSReg();
    getIt();
    lstrcpynA(szCacheIn, szCacheLoc, sizeof szCacheIn);

    SetIni("Options", "NT", "2");
    SetIni("Options", "cow", "moo");  // diagnostics on: the preview must not trace either
    for (int i = 0; i < kCleanSteps; ++i) SetIni("Options", StepKey(static_cast<CleanStep>(i)), "1");
    SetIni("Prefs", "NewsMsgs", "1");
    SetIni("Prefs", "DoSent", "1");
    SetIni("Prefs", "JavaDesired", "1");
    SetIni("Prefs", "BookBack", "1");
    SetIni("Alias", "User", "Ghost Writer");
    SetIni("Alias", "User_Addr", "ghost@nowhere.example");
    SetIni("Alias", "User_Organization", "None");
    SetIni("Alias", "Reply_To", "ghost@nowhere.example");
    SetIni("Alias", "Sig_File", "");
    // A cache file the wipe must leave, and a planted news map entry
    // outside the news folder.
    readOnly = demo.cacheDir + "\\KEEPME.MOZ";
    WriteFileBytes(readOnly, "read-only cache entry");
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    std::string map;
    ReadFileBytes(demo.newsDir + "\\FAT", map);
    outside = demo.folder + "\\notes.txt";
    WriteFileBytes(outside, "no trace");
    map += "evil.example\t" + outside + "\tFALSE\r\n";
    WriteFileBytes(demo.newsDir + "\\FAT", map);
    LoadRunSettings();
  }
  void TearDown() override {
    SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    PageTest::TearDown();
  }
  World Look() {
    World w;
    Snap(fake->root, w.files);
    ReadFileBytes(fake->IniPath(), w.ini);
    SnapKey(fake->hkcu, "HKCU", w.registry);
    SnapKey(fake->hklm, "HKLM", w.registry);
    return w;
  }
  DemoGeneration demo;
  std::string root, readOnly, outside;
};

}  // namespace

TEST_F(CleanPreviewTest, ChangesNothingAndListsExactlyWhatTheRunThenDoes) {
  World before = Look();
  std::string table = PrefsLines.Serialize();
  PreviewList list = PreviewClean(SavedChoices());
  World after = Look();

  // Nothing changed: not a file, not a byte of MOPWELL.INI (no trace
  // either), not a registry value; nor the program's own prefs.js table.
  EXPECT_TRUE(before.files == after.files);
  for (const auto& f : before.files)
    if (!after.files.count(f.first) || !(after.files.at(f.first) == f.second)) ADD_FAILURE() << "changed: " << f.first;
  EXPECT_EQ(before.ini, after.ini);
  EXPECT_EQ(before.registry, after.registry);
  EXPECT_EQ(PrefsLines.Serialize(), table);

  // The list names the guards as the run treats them.
  std::string text = list.Text();
  EXPECT_NE(text.find("left      " + readOnly + ": read-only"), std::string::npos) << text;
  EXPECT_NE(text.find(outside + ": outside the news folder"), std::string::npos);
  EXPECT_NE(text.find("question  \"You have asked Mopwell to kill all your bookmarks."), std::string::npos);
  // A value that is there is listed with what it holds now.
  std::string userName;
  ASSERT_TRUE(GetRegText(fake->hkcu, (std::string(regit) + "User").c_str(), "User_Name", userName));
  EXPECT_NE(text.find("User_Name = \"Ghost Writer\"  (now \"" + userName + "\")"), std::string::npos) << text;
  EXPECT_NE(text.find("+ user_pref(\"mail.identity.username\", \"Ghost Writer\");"), std::string::npos);
  EXPECT_NE(text.find("+ user_pref(\"javascript.enabled\", false);"), std::string::npos);
  EXPECT_NE(text.find("[Options] cache = \"1\""), std::string::npos);
  std::set<std::string> listed = PathsOf(list.files, FileEvent::Destroyed);
  ASSERT_GE(listed.size(), 30u) << "the cache alone holds 30 files";
  EXPECT_TRUE(listed.count(Upper(demo.historyFile)));
  EXPECT_TRUE(listed.count(Upper(demo.cookieFile)));
  std::map<std::string, std::string> bytesOf;
  for (const auto& f : before.files) bytesOf[Upper(f.first)] = f.second.bytes;
  std::uint64_t bytes = 0;
  for (const FileEvent& e : list.files) {
    if (e.kind != FileEvent::Destroyed) continue;
    auto known = bytesOf.find(Upper(e.path));
    if (known == bytesOf.end()) {
      ADD_FAILURE() << "listed by another name than the folder's: " << e.path;
      continue;
    }
    bytes += known->second.size();
  }
  EXPECT_EQ(list.destroyedBytes(), bytes) << "each file listed with its size";
  EXPECT_EQ(list.destroyedFiles(), listed.size());
  EXPECT_NE(list.Totals().find(Grouped(bytes) + " bytes"), std::string::npos);

  // The real run.
  Recorder run;
  ASSERT_TRUE(RunClean(SavedChoices(), run));
  World done = Look();
  // Every file listed for destruction is gone; every other file that was
  // there is still there (replaced ones rewritten in place).
  for (const auto& f : before.files) {
    if (f.second.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    bool gone = !done.files.count(f.first);
    EXPECT_EQ(gone, listed.count(Upper(f.first)) == 1) << f.first;
  }
  EXPECT_EQ(PathsOf(run.files, FileEvent::Destroyed), listed);
  EXPECT_EQ(PathsOf(run.files, FileEvent::Replaced), PathsOf(list.files, FileEvent::Replaced));
  EXPECT_TRUE(PathsOf(list.files, FileEvent::Replaced).count(Upper(demo.bookmarkFile)));
  EXPECT_EQ(PathsOf(run.files, FileEvent::Left), PathsOf(list.files, FileEvent::Left));
  EXPECT_TRUE(FileExists(readOnly));
  EXPECT_TRUE(FileExists(outside));
  // The same settings and prefs.js lines, in the same order.
  std::vector<std::string> previewed;
  for (const SettingEvent& e : list.settings) previewed.push_back(e.where + "|" + e.name + "=" + e.value);
  EXPECT_EQ(run.settings, previewed);
  std::vector<std::string> lines;
  for (const auto& p : list.prefsLines) lines.push_back(p.first + " => " + p.second);
  EXPECT_EQ(run.prefs, lines);
}

TEST_F(CleanPreviewTest, AnswerNoListsNothingOfTheBookmarkStep) {
  PreviewList list;
  list.answer = false;
  RunClean(SavedChoices(), list);
  EXPECT_FALSE(PathsOf(list.files, FileEvent::Replaced).count(Upper(demo.bookmarkFile)));
  EXPECT_NE(list.Text().find("on No:  the bookmark file is left as it is"), std::string::npos);
}

TEST_F(CleanPreviewTest, WithoutAMapNothingIsRepairedAndNewsDataIsLeft) {
  DeleteFileA((demo.newsDir + "\\FAT").c_str());
  World before = Look();
  PreviewList list(false, false);  // as mopclean would run
  RunClean(SavedChoices(), list);
  EXPECT_EQ(Look().registry, before.registry);
  EXPECT_TRUE(Look().files == before.files) << "no folder, map or key made by a repair";
  EXPECT_TRUE(fake->boxes.empty()) << "the repair's questions are not asked";
  EXPECT_NE(list.Text().find("no map file: news data left alone"), std::string::npos);
  EXPECT_NE(list.Text().find("=> refused: No FAT file!  News data left alone."), std::string::npos);
  EXPECT_NE(list.Text().find("not asked \"You have asked Mopwell"), std::string::npos);
}

TEST_F(CleanPreviewTest, PreviewButtonShowsTheListAndLeavesThePageAsItWas) {
  OpenPage(100, DlgProc1);
  CheckDlgButton(page, 112, BST_UNCHECKED);  // as checked now, not as saved
  World before = Look();
  std::string caption = Text(113);
  Press(135);
  EXPECT_EQ(Look().ini, before.ini);
  EXPECT_TRUE(Look().files == before.files);
  EXPECT_EQ(Text(113), caption);
  EXPECT_TRUE(fake->boxes.empty()) << "no guard or question box in a preview";
  HWND shown = FindWindowA(kPreviewWindowClass, nullptr);
  ASSERT_NE(shown, nullptr);
  char buf[256] = "";
  GetDlgItemTextA(shown, 101, buf, sizeof buf);
  EXPECT_NE(std::string(buf).find("bytes) would be destroyed"), std::string::npos) << buf;
  int length = GetWindowTextLengthA(GetDlgItem(shown, 100));
  std::string list(length + 1, '\0');
  GetDlgItemTextA(shown, 100, &list[0], length + 1);
  EXPECT_NE(list.find(demo.historyFile), std::string::npos);
  EXPECT_EQ(list.find("kill all your bookmarks"), std::string::npos) << "box 112 is not checked";
  EXPECT_TRUE(GetWindowLongA(GetDlgItem(shown, 100), GWL_STYLE) & WS_VSCROLL);
  DestroyWindow(shown);
  // OK still runs afterwards, from what discovery found.
  Press(IDOK);
  EXPECT_FALSE(FileExists(demo.historyFile));
  EXPECT_TRUE(FileExists(demo.bookmarkFile));
}

// What a hostile or busy profile does to the run, foreseen by the preview
// exactly: the same files destroyed, replaced and left, and every step
// ending as the preview said it would.
void ExpectRunAsPreviewed(const PreviewList& list, const Recorder& run) {
  for (FileEvent::Kind kind : {FileEvent::Destroyed, FileEvent::NameRemoved, FileEvent::Replaced, FileEvent::Left})
    EXPECT_EQ(PathsOf(run.files, kind), PathsOf(list.files, kind)) << "kind " << kind << "\n" << list.Text();
  for (int i = 0; i < kCleanSteps; ++i)
    EXPECT_EQ(static_cast<int>(run.results[i]), static_cast<int>(list.results[i])) << StepTitle(static_cast<CleanStep>(i));
}

TEST_F(CleanPreviewTest, HeldFilesAndRepeatedNamesAreForeseenAsTheRunMeetsThem) {
  // The browser holds the cookie file for itself while a keep file waits
  // to replace it, and holds prefs.js shut as well; the news map names one
  // subscription file twice, once in other letters.
  ASSERT_TRUE(WriteFileBytes(fake->InProgram("hookies.txt"), "kept.example\tTRUE\t/\tFALSE\t0\tk\tv\n"));
  SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::string map;
  ReadFileBytes(demo.newsDir + "\\FAT", map);
  std::string twice = demo.newsDir + "\\" + demo.newsrcFiles.at(0);
  std::string upper = Upper(twice);
  map += "again.example\t" + upper + "\tFALSE\r\n";
  WriteFileBytes(demo.newsDir + "\\FAT", map);
  std::string cookies, prefsBytes;
  ASSERT_TRUE(ReadFileBytes(demo.cookieFile, cookies));
  ASSERT_TRUE(ReadFileBytes((demo.folder + "\\prefs.js"), prefsBytes));
  HeldFile cookieHolder(demo.cookieFile, "r");
  HeldFile prefsHolder((demo.folder + "\\prefs.js"), "r");
  ASSERT_TRUE(cookieHolder.ok() && prefsHolder.ok());

  PreviewList list;
  RunClean(SavedChoices(), list);
  std::string text = list.Text();
  EXPECT_NE(text.find("left      " + demo.cookieFile + ": held open by another program"), std::string::npos) << text;
  EXPECT_NE(text.find(": prefs.js cannot be written now (held open by another program)"), std::string::npos) << text;
  EXPECT_EQ(list.results[static_cast<int>(CleanStep::TypedUrls)], StepResult::Failed);
  std::size_t listedTwice = 0;
  for (const FileEvent& e : list.files) listedTwice += e.kind == FileEvent::Destroyed && Upper(e.path) == upper;
  EXPECT_EQ(listedTwice, 1u) << "a file is destroyed once, however often it is named\n" << text;

  Recorder run;
  RunClean(SavedChoices(), run);
  ExpectRunAsPreviewed(list, run);
  EXPECT_EQ(run.statuses[static_cast<int>(CleanStep::TypedUrls)], "Error!    prefs.js could not be written!")
      << "not \"URL listings cleaned\" while the addresses stay in prefs.js";
  std::uint64_t bytes = 0;
  for (const FileEvent& e : run.files) bytes += e.kind == FileEvent::Destroyed ? e.size : 0;
  EXPECT_EQ(list.destroyedBytes(), bytes);
  std::string after;
  ASSERT_TRUE(ReadFileBytes(demo.cookieFile, after));
  EXPECT_EQ(after, cookies);
  ASSERT_TRUE(ReadFileBytes((demo.folder + "\\prefs.js"), after));
  EXPECT_EQ(after, prefsBytes);
}

TEST_F(CleanPreviewTest, ABlockedCookieFileKeepsItsMarkWhenTheWipeCannotTakeIt) {
  // The cookie blocker's mark from an earlier run, no keep file.
  DeleteFileA(fake->InProgram("hookies.txt").c_str());
  ASSERT_TRUE(SetFileAttributesA(demo.cookieFile.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
  {
    HeldFile browser(demo.cookieFile, "r");
    ASSERT_TRUE(browser.ok());
    PreviewList list;
    RunClean(SavedChoices(), list);
    EXPECT_NE(list.Text().find("left      " + demo.cookieFile + ": held open by another program"), std::string::npos)
        << list.Text();
    Recorder run;
    RunClean(SavedChoices(), run);
    ExpectRunAsPreviewed(list, run);
    EXPECT_EQ(run.results[static_cast<int>(CleanStep::Cookies)], StepResult::Failed);
  }
  EXPECT_TRUE(GetFileAttributesA(demo.cookieFile.c_str()) & FILE_ATTRIBUTE_READONLY) << "the blocker still holds";

  // A second name of the blocked file: the mark is the other name's too.
  std::string other = demo.folder + "\\cookies-too.txt";
  ASSERT_TRUE(CreateHardLinkA(other.c_str(), demo.cookieFile.c_str(), nullptr));
  PreviewList list;
  RunClean(SavedChoices(), list);
  EXPECT_NE(list.Text().find("read-only, and another name shares the file"), std::string::npos) << list.Text();
  Recorder run;
  RunClean(SavedChoices(), run);
  ExpectRunAsPreviewed(list, run);
  EXPECT_TRUE(FileExists(demo.cookieFile));
  EXPECT_TRUE(GetFileAttributesA(other.c_str()) & FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA(demo.cookieFile.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CleanPreviewTest, ABookmarkFileWhoseFolderIsGoneStopsThePreviewWhereItStopsTheRun) {
  lstrcpynA(szBookmarkLoc, (demo.folder + "\\gone\\bookmark.htm").c_str(), sizeof szBookmarkLoc);
  PreviewList list;
  EXPECT_FALSE(RunClean(SavedChoices(), list));
  EXPECT_EQ(list.results[static_cast<int>(CleanStep::Bookmarks)], StepResult::Failed);
  EXPECT_EQ(list.Text().find("[" + std::string(StepTitle(CleanStep::Cache)) + "]"), std::string::npos)
      << "no step after the bookmark step is listed";
  Recorder run;
  EXPECT_FALSE(RunClean(SavedChoices(), run));
  ExpectRunAsPreviewed(list, run);
  // No bookmark file, so no backup copy either.
  EXPECT_TRUE(PathsOf(run.files, FileEvent::Left).count(Upper(FullLongPath("bookmark.bak"))));
}

TEST_F(CleanPreviewTest, APreviewBeforeOkKeepsWhatTheBrowserWroteMeanwhile) {
  // The browser writes prefs.js after discovery read it.
  std::string prefsBytes;
  ASSERT_TRUE(ReadFileBytes((demo.folder + "\\prefs.js"), prefsBytes));
  const std::string added = "user_pref(\"browser.written.meanwhile\", \"kept\");";
  Sleep(20);
  ASSERT_TRUE(WriteFileBytes((demo.folder + "\\prefs.js"), prefsBytes + added + "\n"));
  PreviewList list;
  RunClean(SavedChoices(), list);
  Recorder run;
  ASSERT_TRUE(RunClean(SavedChoices(), run));
  std::string after;
  ASSERT_TRUE(ReadFileBytes((demo.folder + "\\prefs.js"), after));
  EXPECT_NE(after.find(added), std::string::npos) << "the run wrote the table of before the browser's change";
}

// A write the run needs is tried for writing in the preview, changing
// nothing: prefs.js or the browser's settings file held by a program that
// shares reading and deleting but not writing, and a read-only settings
// file (judged as Windows judges it, also when Wine runs as root). The
// preview ends each step that writes there as the run then does.
TEST_F(CleanPreviewTest, AWriteTheRunNeedsIsTriedInThePreview) {
  const std::string prefsPath = demo.folder + "\\prefs.js";
  const std::string settings = root + "\\netscape-settings.ini";
  const std::string settingsBytes =
      "[Netscape Settings]\r\nUser\\User_Name=Dana\r\nURL History\\URL_1=http://a.example/\r\n";
  SetIni("customs", "Vnet", settings.c_str());
  LoadRunSettings();
  struct Case {
    const char* name;
    std::string file;
    const char* sharing;  // held so by another program; null: read-only
    std::vector<CleanStep> failing;
  };
  const Case cases[] = {
      {"prefs.js held", prefsPath, "rd", {CleanStep::Identity, CleanStep::TypedUrls, CleanStep::Cookies}},
      {"settings file held", settings, "rd", {CleanStep::Identity, CleanStep::TypedUrls}},
      {"settings file read-only", settings, nullptr, {CleanStep::Identity, CleanStep::TypedUrls}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Something to change there each time: the name and a typed address.
    ASSERT_TRUE(WriteFileBytes(settings, settingsBytes));
    std::string before;
    ASSERT_TRUE(ReadFileBytes(c.file, before));
    std::unique_ptr<HeldFile> holder;
    if (c.sharing) {
      holder = std::make_unique<HeldFile>(c.file, c.sharing);
      ASSERT_TRUE(holder->ok());
    } else {
      ASSERT_TRUE(SetFileAttributesA(c.file.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    PreviewList list(true, false);
    RunClean(SavedChoices(), list);
    for (CleanStep step : c.failing)
      EXPECT_EQ(list.results[static_cast<int>(step)], StepResult::Failed) << StepTitle(step) << "\n" << list.Text();
    // The run meets what the preview foresaw, and leaves the file whole.
    Recorder run;
    RunClean(SavedChoices(), run);
    for (int i = 0; i < kCleanSteps; ++i) {
      if (i == static_cast<int>(CleanStep::Bookmarks)) continue;
      EXPECT_EQ(static_cast<int>(run.results[i]), static_cast<int>(list.results[i])) << StepTitle(static_cast<CleanStep>(i));
    }
    holder.reset();
    SetFileAttributesA(c.file.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::string after;
    ASSERT_TRUE(ReadFileBytes(c.file, after));
    EXPECT_TRUE(after == before) << "left whole";
  }
}
