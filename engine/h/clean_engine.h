// The clean run itself, without any window: the steps in their fixed
// order, each reporting through CleanReport (clean_report.h). Every change
// a step makes to a file, an INI key, a registry value or prefs.js goes
// through CleanRun, which in a preview reports the change instead of
// making it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "clean_gate.h"
#include "clean_report.h"
#include "prefs/line_table.h"
#include "wipe.h"

// What a walk did: files handed to the wipe, those of them that stayed
// although they were meant to go (read-only, held open, not overwritten),
// and whether the folder could not be listed (then nothing can be said of
// what it holds).
struct WipeTally {
  std::size_t taken = 0;
  std::size_t left = 0;
  bool unlisted = false;
  // A file whose bytes another name keeps is not gone either.
  void Count(WipeOutcome outcome) {
    ++taken;
    if (outcome == WipeOutcome::Left || outcome == WipeOutcome::Unshared) ++left;
  }
  WipeTally& operator+=(const WipeTally& other) {
    taken += other.taken;
    left += other.left;
    unlisted = unlisted || other.unlisted;
    return *this;
  }
};

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
  // result given on the way is how it ended. Once a step has been refused
  // or has failed, a Done text no longer replaces its text: a step that
  // left what it was meant to take never says "Done!".
  void Status(const std::string& text, StepResult result = StepResult::Done);
  // The same without showing it: the clean page keeps the caption it has.
  void Outcome(const std::string& text, StepResult result);
  // Something the step was meant to write (prefs.js, the browser's
  // settings) was not written: the step fails with `text`, shown now.
  void WriteFailed(const char* text);
  // The final text of a step that wiped files: `done` when every file was
  // destroyed, otherwise one that says how many were left (or that a
  // folder could not be listed).
  void Finish(const WipeTally& tally, const char* done);
  void Notice(const char* text, const char* title) { report_.Notice(step_, text, title); }
  bool Ask(const CleanQuestion& q) { return report_.Ask(step_, q); }
  // Ends the step: tells the front end the final status.
  void End();

  // ---- The gate: the only way a step destroys anything ----
  //
  // Judges `named` as the folder `use` works in (gate/place_rule.h, against
  // KeptPlaces()) and holds it. Nothing when refused: the refusal is
  // reported (the place left, with the reason) and `why` receives the
  // reason; the step shows its own texts and ends Refused.
  std::unique_ptr<HeldPlace> Enter(gate::Use use, const std::string& named, std::string* why = nullptr);
  // A folder one level below a held one (a news server folder), judged by
  // the same rule.
  std::unique_ptr<HeldPlace> EnterBelow(gate::Use use, const HeldPlace& parent, const FolderEntry& entry,
                                        std::string* why = nullptr);
  // One store file (history, cookie file, bookmark file): judged by the
  // gate as a file; its folder is held. `name` receives the file's name in
  // that folder.
  std::unique_ptr<HeldPlace> EnterFile(gate::Use use, const std::string& path, std::wstring* name,
                                       std::string* why = nullptr);

  enum class Walk { Once, UntilEmpty };
  // Destroys every file of a held folder, in one listing (Once) or until a
  // fresh listing shows no file not met before (UntilEmpty: files that
  // arrive meanwhile go too, a survivor is not wiped twice). Every entry is
  // accounted for: a subfolder, a hidden or system file and a file `keep`
  // keeps (it returns why) are reported left and do not count against the
  // step; a file meant to go that stays is counted in `left`; a folder that
  // cannot be listed sets `unlisted`. `passing` is called with each file's
  // name before its wipe.
  WipeTally Empty(const HeldPlace& folder, Walk walk, const std::function<void(const std::string& name)>& passing,
                  const std::function<const char*(const std::string& path)>& keep = {});
  // One file of a held folder by its name. `quiet`: a destroyed file is
  // not reported (it is replaced next). `markCleared`: the step has cleared
  // (in a preview: would clear) the file's read-only mark first.
  WipeOutcome DestroyIn(const HeldPlace& folder, const std::wstring& name, bool quiet = false,
                        bool markCleared = false);
  WipeOutcome DestroyIn(const HeldPlace& folder, const std::string& name) { return DestroyIn(folder, Widen(name)); }
  // A file another file names (the news map): destroyed only when the path
  // leads inside the held folder, links never followed; otherwise left as
  // "outside", counted against the step, and `outside` (when given) is
  // set. A file inside is first shown to `decide` (by its full path),
  // which returns why it is kept, or nothing to let it go.
  WipeOutcome DestroyNamed(const HeldPlace& folder, const std::string& path, WipeTally& tally, bool* outside,
                           const std::function<const char*(const std::string& inside)>& decide);

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
  // What the gate keeps, found once a step (the step's own changes to the
  // places it knows come after it asked).
  std::vector<gate::Kept> kept_;
  bool keptKnown_ = false;
  const std::vector<gate::Kept>& Kept();
  // A judged place: held when `refusal` is empty (and refused after all
  // when a folder on the way cannot be held), else reported left.
  std::unique_ptr<HeldPlace> Admit(std::string refusal, const std::function<std::unique_ptr<HeldPlace>()>& hold,
                                   const std::string& shown, std::string* why);
  WipeOutcome Destroy(const std::wstring& reach, const std::string& shown, bool quiet, bool markCleared);
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
