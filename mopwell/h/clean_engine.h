// The clean run itself, without any window: the steps in their fixed
// order, each reporting through CleanReport (clean_report.h). Every change
// a step makes to a file, an INI key, a registry value or prefs.js goes
// through CleanRun, which in a preview reports the change instead of
// making it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "clean_report.h"
#include "prefs/line_table.h"
#include "wipe.h"

// Which steps the user chose (the clean page's boxes).
struct CleanChoices {
  bool chosen[kCleanSteps] = {};
  bool& operator[](CleanStep s) { return chosen[static_cast<int>(s)]; }
  bool operator[](CleanStep s) const { return chosen[static_cast<int>(s)]; }
};

// The choices saved in MOPWELL.INI "Options", as the clean page restores
// its boxes from them.
CleanChoices SavedChoices();

// What the clean page reads at set-up for a run: the cache folder taken
// back, the configured flag OSV, the identities, the bookmark template
// path, the MPW-ID.INI path and the diagnostics switch.
void LoadRunSettings();

// Runs the steps in order. False when a step stopped the run (the
// bookmark template missing, the new bookmark file not written).
bool RunClean(const CleanChoices& choices, CleanReport& report);

// The context a step works in: the report, the step being run, and every
// change the step makes.
class CleanRun {
 public:
  CleanRun(CleanReport& report, CleanStep step) : report_(report), step_(step) {}
  bool preview() const { return report_.Preview(); }
  bool canAsk() const { return report_.CanAsk(); }
  CleanReport& report() { return report_; }
  CleanStep step() const { return step_; }

  // Texts shown while the step works.
  void Show(const std::string& text) { report_.Working(step_, text, false); }
  void Passing(const std::string& text) { report_.Working(step_, text, true); }
  // A status text; the last one is the step's final status, and the worst
  // result given on the way is how it ended.
  void Status(const std::string& text, StepResult result = StepResult::Done);
  // The same without showing it: the clean page keeps the caption it has.
  // After a failed write, a Done text no longer replaces its error text.
  void Outcome(const std::string& text, StepResult result);
  // Something the step was meant to write (prefs.js, the browser's
  // settings) was not written: the step fails with `text`, shown now.
  void WriteFailed(const char* text);
  // The final text of a step that wiped files: `done` when every file was
  // destroyed, otherwise one that says how many were left.
  void Finish(std::size_t left, const char* done);
  void Notice(const char* text, const char* title) { report_.Notice(step_, text, title); }
  bool Ask(const CleanQuestion& q) { return report_.Ask(step_, q); }
  // Ends the step: tells the front end the final status.
  void End();

  // Destroys one file through the secure wipe and reports what became of
  // it. `quiet`: a destroyed file is not reported (it is replaced next).
  // `markCleared`: the step has cleared (in a preview: would clear) the
  // file's read-only mark first.
  WipeOutcome Destroy(const std::string& path, bool quiet = false, bool markCleared = false);
  // A file the step does not touch, and why.
  void Left(const std::string& path, const std::string& why);
  void Replaced(const std::string& path, const std::string& from);
  // Makes sure a name is a file's own before it is written (UnshareName).
  // `removed`, when given, tells whether the name is (would be) removed.
  bool Unshare(const char* path, bool* removed = nullptr);
  // Sets (value) or deletes (nullptr) an INI key.
  void SetIni(const char* file, const char* section, const char* key, const char* value);
  // Sets text values on an existing key below HKEY_CURRENT_USER; nothing
  // when the key is not there.
  void SetRegistry(const std::string& keyPath, const std::vector<std::pair<std::string, std::string>>& values);
  // Writes prefs.js from the line table, reporting every line that
  // differs from what the file holds. True when it was written (in a
  // preview: would be).
  bool WritePrefs();

 private:
  CleanReport& report_;
  CleanStep step_;
  std::string status_;
  StepResult result_ = StepResult::Done;
  bool writeFailed_ = false;
};

// While held, what the program writes reaches no file: INI keys and
// prefs.js are kept in memory (and read back), and the browser's profile
// registry file is opened read-only. A preview that starts with discovery
// (mopclean /preview) holds them from the start.
void HoldAllWrites(bool hold);

// The lines of prefs.js that differ between two tables (before, after;
// without line ends), in file order.
std::vector<std::pair<std::string, std::string>> PrefsChanges(const prefs::LineTable& before,
                                                              const prefs::LineTable& after);

// While muted (a preview runs) the diagnostics trace writes nothing.
// Returns the state before.
bool MuteTrace(bool muted);

// The steps. Each runs only when chosen; the driver writes their
// "Options" key (the identity switch and the bookmark step write theirs
// themselves).
void SwitchIdentityStep(CleanRun& run, bool alias);
void NewsTracksStep(CleanRun& run);
void NewsDatabasesStep(CleanRun& run);
void MailStep(CleanRun& run);
void HistoryStep(CleanRun& run);
void TypedUrlsStep(CleanRun& run);
void CookiesStep(CleanRun& run);
bool BookmarksStep(CleanRun& run);
void CacheStep(CleanRun& run);
void RecentDocumentsStep(CleanRun& run);
