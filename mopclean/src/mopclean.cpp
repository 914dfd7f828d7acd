// mopclean: runs (or previews) the clean run with the choices saved in
// MOPWELL.INI, without any window.
//
//   mopclean /preview [/yes-bookmarks]   what /run would do; changes nothing
//   mopclean /run [/yes-bookmarks]       the clean run
//   mopclean /help                       the usage
//
// Exit codes: 0 every chosen step completed (and always for /preview and
// /help), 1 a step was refused or failed, or the run stopped, 2 a usage
// error.
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "clean_engine.h"
#include "clean_preview.h"
#include "clean_report.h"
#include "config/names.h"
#include "engine.h"
#include "ini.h"
#include "platform.h"
#include "prefs_file.h"
#include "text/bounded.h"
#include "text/paths.h"
#include "wipe.h"

namespace {

constexpr int kCompleted = 0, kNotCompleted = 1, kUsage = 2;

const char kUsageText[] =
    "mopclean: the Mopwell clean run without a window, with the choices saved in MOPWELL.INI.\n"
    "\n"
    "  mopclean /preview [/yes-bookmarks]  list what /run would destroy, replace and change;\n"
    "                                      nothing is changed\n"
    "  mopclean /run [/yes-bookmarks]      clean; the bookmark file is rebuilt only with\n"
    "                                      /yes-bookmarks (mopwell asks first)\n"
    "  mopclean /help                      this text\n"
    "\n"
    "Exit code: 0 when every chosen step completed, 1 when a step was refused or failed\n"
    "(the reason is printed), 2 for a usage error.\n";

// Nothing may wait for a person: a message discovery or a step would show
// is printed instead, and a question gets No.
class ConsolePlatform : public plat::Platform {
 public:
  int Prompt(HWND, const char* text, const char* title, UINT type) override {
    std::string flat = text ? text : "";
    for (char& c : flat)
      if (c == '\n' || c == '\r') c = ' ';
    std::printf("  message   %s: %s\n", title ? title : "", flat.c_str());
    switch (type & MB_TYPEMASK) {
      case MB_YESNO:
      case MB_YESNOCANCEL: return IDNO;
      case MB_OKCANCEL:
      case MB_RETRYCANCEL: return IDCANCEL;
      default: return IDOK;
    }
  }
  UINT Exec(const char*, UINT) override { return 0; }
  HINSTANCE ShellOpen(HWND, const char*, const char*, const char*, const char*, INT) override {
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(31));  // no program for it
  }
  BOOL Help(HWND, const char*, UINT, ULONG_PTR) override { return FALSE; }
  BOOL ChooseFile(OPENFILENAMEA*) override { return FALSE; }
};

// The run as printed lines: each step's result, every file it left or
// replaced, and why.
class ConsoleReport : public CleanReport {
 public:
  explicit ConsoleReport(bool yesBookmarks) : yesBookmarks_(yesBookmarks) {}
  bool CanAsk() const override { return false; }
  bool Ask(CleanStep, const CleanQuestion&) override {
    if (!yesBookmarks_) std::printf("  not asked: without /yes-bookmarks the bookmark file is left as it is\n");
    return yesBookmarks_;
  }
  void StepStarted(CleanStep) override {
    files_ = 0;
    bytes_ = 0;
  }
  void File(CleanStep, const FileEvent& e) override {
    switch (e.kind) {
      case FileEvent::Destroyed:
        ++files_;
        bytes_ += e.size;
        break;
      case FileEvent::NameRemoved: std::printf("  unlinked  %s (%s)\n", e.path.c_str(), e.note.c_str()); break;
      case FileEvent::Replaced: std::printf("  replaced  %s with %s\n", e.path.c_str(), e.note.c_str()); break;
      case FileEvent::Left: std::printf("  left      %s: %s\n", e.path.c_str(), e.note.c_str()); break;
    }
  }
  void Notice(CleanStep, const char* text, const char* title) override {
    std::printf("  message   %s: %s\n", title, text);
  }
  void StepFinished(CleanStep step, const std::string& status, StepResult result) override {
    const char* how = result == StepResult::Done        ? "done"
                      : result == StepResult::Unchecked ? "not chosen"
                      : result == StepResult::Refused   ? "REFUSED"
                                                        : "FAILED";
    std::string trimmed = status;
    while (!trimmed.empty() && trimmed.front() == ' ') trimmed.erase(0, 1);
    while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
    std::printf("%s: %s: %s", StepTitle(step), how, trimmed.c_str());
    if (files_)
      std::printf(" (%s %s, %s bytes destroyed)", Grouped(files_).c_str(), files_ == 1 ? "file" : "files",
                  Grouped(bytes_).c_str());
    std::printf("\n");
    std::fflush(stdout);
    if (result == StepResult::Refused || result == StepResult::Failed) failed_ = true;
  }
  bool failed() const { return failed_; }

 private:
  bool yesBookmarks_;
  bool failed_ = false;
  std::size_t files_ = 0;
  std::uint64_t bytes_ = 0;
};

bool Is(const char* arg, const char* name) {
  return (arg[0] == '/' || arg[0] == '-') && lstrcmpiA(arg + 1, name) == 0;
}

// What mopwell.exe does when its window is made, without the window: the
// program's folder becomes the working folder (the keep file and the
// bookmark template are found there), then the profile registry lookup and
// discovery.
void Discover() {
  std::string programDir = plat::Get().ProgramDirectory();
  if (!programDir.empty()) SetCurrentDirectoryA(programDir.c_str());
  FormDumpFilePaths(programDir);
  OSV = ini::GetInt(szIniFile, kSecOptions, kKeyNT, 0);
  CheckNSReg();
  getIt();
  text::CopyCut(szCacheIn, szCacheLoc);
  LoadRunSettings();
}

}  // namespace

int main(int argc, char** argv) {
  bool preview = false, run = false, help = false, yesBookmarks = false;
  for (int i = 1; i < argc; ++i) {
    if (Is(argv[i], "preview"))
      preview = true;
    else if (Is(argv[i], "run"))
      run = true;
    else if (Is(argv[i], "help") || Is(argv[i], "?"))
      help = true;
    else if (Is(argv[i], "yes-bookmarks"))
      yesBookmarks = true;
    else {
      std::fprintf(stderr, "mopclean: unknown argument \"%s\"\n\n%s", argv[i], kUsageText);
      return kUsage;
    }
  }
  if (help && !preview && !run) {
    std::printf("%s", kUsageText);
    return kCompleted;
  }
  if (preview + run + help != 1) {
    std::fprintf(stderr, "mopclean: give one of /preview, /run and /help\n\n%s", kUsageText);
    return kUsage;
  }

  // Nobody is there to answer Windows' own boxes either (a drive without
  // its disk): the call fails instead.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  ConsolePlatform platform;
  plat::Install(&platform);
  // A preview changes nothing, MOPWELL.INI, prefs.js and the browser's
  // profile registry included: what discovery records (the template's
  // name, the profile folder it found, its trace, prefs.js placeholder
  // lines) is kept in memory for the rest of the preview only.
  if (preview) HoldAllWrites(true);
  // The clean page refuses to clean until setup is done; so does this,
  // before finding the browser's files records anything.
  if (run && ini::GetInt(szIniFile, kSecOptions, kKeyNT, 0) == 0) {
    std::printf("REFUSED: Mopwell is not properly configured yet. Cleanup cannot occur until you have done "
                "your Settings and Preferences in mopwell and saved them.\n");
    plat::Install(nullptr);
    return kNotCompleted;
  }
  Discover();
  CleanChoices choices = SavedChoices();

  if (preview) {
    PreviewList list(false, yesBookmarks);
    // prefs.js lines discovery added: the table against the file.
    std::vector<std::pair<std::string, std::string>> added;
    std::string bytes;
    if (PrefsWritesPending() && ReadSmallFile(PrefsFile, bytes, prefs::kMaxFileBytes)) {
      prefs::LineTable onDisk;
      onDisk.Load(bytes);
      added = PrefsChanges(onDisk, PrefsLines);
    }
    list.Discovered(ini::HeldWrites(), added);
    RunClean(choices, list);
    std::printf("%s", list.Text().c_str());
    if (OSV == 0) std::printf("Mopwell is not set up yet: /run refuses to clean until it is.\n");
    HoldAllWrites(false);
    plat::Install(nullptr);
    return kCompleted;
  }
  ConsoleReport report(yesBookmarks);
  bool completed = RunClean(choices, report);
  if (!completed) std::printf("STOPPED: the steps after the bookmark step were not run.\n");
  plat::Install(nullptr);
  return completed && !report.failed() ? kCompleted : kNotCompleted;
}
