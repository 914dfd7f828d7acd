// What the steps of the clean run tell their front end. The steps
// (identity_switch.cpp, news_mail.cpp, history_cookies.cpp,
// bookmarks_cache.cpp, driven by clean_engine.cpp) never touch a window
// themselves: they report here, and each front end turns the reports into
// what its user sees — check-box captions and message boxes on the clean
// page (clean_page.cpp), a list of what would happen (clean_preview.cpp),
// printed lines (mopclean/).
#pragma once
#include <cstdint>
#include <string>

// The ten steps, in the order the run takes them.
enum class CleanStep { Identity, NewsTracks, NewsDatabases, Mail, History, TypedUrls, Cookies, Bookmarks, Cache, RecentDocs };
constexpr int kCleanSteps = 10;

// How a step ended. Unchecked: the user did not choose it. Refused: a
// guard (or the front end) kept it from touching anything it was meant
// to. Failed: it ran, but something it was meant to change stayed (a file
// that could not be wiped, a bookmark file that could not be written).
enum class StepResult { Done, Unchecked, Refused, Failed };

// One file the step destroyed, replaced or left.
struct FileEvent {
  enum Kind { Destroyed, NameRemoved, Replaced, Left } kind;
  std::string path;
  std::uint64_t size = 0;  // bytes of the file as found (Destroyed, Replaced)
  std::string note;        // why it was left; where a replacement comes from
};

// One INI key or registry value set or deleted.
struct SettingEvent {
  enum Kind { IniSet, IniDeleted, RegistrySet } kind;
  std::string where;  // INI file path, or registry key below HKEY_CURRENT_USER
  std::string section;
  std::string name;
  std::string value;     // new value (nothing for a deletion)
  std::string previous;  // the value before, "<absent>" when there was none
};

// A question the clean page asks with a message box.
struct CleanQuestion {
  const char* text;
  const char* title;
  const char* onYes;  // what each answer does, in words, for lists
  const char* onNo;
};

class CleanReport {
 public:
  virtual ~CleanReport() = default;
  // Whether this front end is a preview: then nothing may be changed, and
  // the engine reports what would be done instead of doing it.
  virtual bool Preview() const { return false; }
  // Whether a person is there to answer questions and the map repair's
  // prompts. A front end without one gets the answer No.
  virtual bool CanAsk() const { return true; }

  virtual void StepStarted(CleanStep) {}
  // A text the step shows while it works. `passing` texts come one per
  // file of a walk: a front end may skip some of them.
  virtual void Working(CleanStep, const std::string& /*text*/, bool /*passing*/) {}
  virtual void File(CleanStep, const FileEvent&) {}
  virtual void Setting(CleanStep, const SettingEvent&) {}
  // One line of prefs.js changed (both without their line end).
  virtual void PrefsLine(CleanStep, const std::string& /*before*/, const std::string& /*after*/) {}
  // A guard's or an error's message (the clean page's message boxes).
  virtual void Notice(CleanStep, const char* /*text*/, const char* /*title*/) {}
  // True for Yes.
  virtual bool Ask(CleanStep, const CleanQuestion&) { return false; }
  // The step's status text as it ended, and how it ended.
  virtual void StepFinished(CleanStep, const std::string& /*status*/, StepResult) {}
};

// The clean page's caption of a step's box, and the Options key that
// remembers the user's choice.
const char* StepTitle(CleanStep step);
const char* StepKey(CleanStep step);
