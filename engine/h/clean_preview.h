// The preview of a clean run: the engine runs in its preview mode and this
// front end lists everything the run would destroy, replace, set, delete
// and change, step by step, with totals. The clean page shows the list in
// a window of its own (preview_window.h); mopclean prints it.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "clean_engine.h"
#include "clean_report.h"

class PreviewList : public CleanReport {
 public:
  // `person`: the run would be the clean page's, where a person answers
  // the questions (both answers are listed, and what Yes does follows).
  // Otherwise it would be mopclean's: the bookmark question is answered by
  // `yesBookmarks` (/yes-bookmarks) and the news map is never repaired.
  explicit PreviewList(bool person = true, bool yesBookmarks = false)
      : canAsk_(person), yesBookmarks_(yesBookmarks) {}
  bool Preview() const override { return true; }
  bool CanAsk() const override { return canAsk_; }
  void StepStarted(CleanStep step) override;
  void File(CleanStep step, const FileEvent& e) override;
  void Setting(CleanStep step, const SettingEvent& e) override;
  void PrefsLine(CleanStep step, const std::string& before, const std::string& after) override;
  void Notice(CleanStep step, const char* text, const char* title) override;
  bool Ask(CleanStep step, const CleanQuestion& q) override;
  void StepFinished(CleanStep step, const std::string& status, StepResult result) override;

  // What discovery (before the steps) would record: INI keys, each as
  // ini::HeldWrites gives it, and prefs.js lines (before, after). Listed
  // first, under a heading of their own.
  void Discovered(const std::vector<std::string>& iniKeys,
                  const std::vector<std::pair<std::string, std::string>>& prefsChanges);

  // Everything, as reported.
  std::vector<FileEvent> files;
  std::vector<SettingEvent> settings;
  std::vector<std::pair<std::string, std::string>> prefsLines;
  StepResult results[kCleanSteps] = {};
  // The answer a question gets in the preview: Yes lists what Yes would do.
  bool answer = true;

  // Totals of the files that would be destroyed.
  std::size_t destroyedFiles() const;
  std::uint64_t destroyedBytes() const;
  // The list as text, one line per entry (CR LF line ends when `crlf`).
  std::string Text(bool crlf = false) const;
  // "N files (B bytes) would be destroyed, ..." for the end of the list.
  std::string Totals() const;

 private:
  void Line(const std::string& line) { lines_.push_back(line); }
  bool canAsk_;
  bool yesBookmarks_;
  std::vector<std::string> lines_;
};

// Runs the clean page's preview of `choices` into a new list.
PreviewList PreviewClean(const CleanChoices& choices);

// A byte count with thousands separators ("1,234,567").
std::string Grouped(std::uint64_t n);
