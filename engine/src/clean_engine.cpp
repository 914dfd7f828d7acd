// The clean run's driver and the one place through which its steps change
// anything: files, INI keys, registry values and prefs.js. In a preview the
// same steps run, every change is reported instead of made, and the
// program-wide state the steps touch is put back afterwards.
#include "clean_engine.h"

#include <windows.h>

#include <cstring>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "config/names.h"
#include "engine.h"
#include "folder_walk.h"
#include "globals.h"
#include "ini.h"
#include "places.h"
#include "platform.h"
#include "prefs_file.h"
#include "registry.h"
#include "step_settings.h"
#include "text/bounded.h"
#include "text/paths.h"

const char kLeftAlone[] = "              Left alone.";

namespace {

struct StepRow {
  CleanStep step;
  const char* title;  // the clean page's box caption
  const char* key;    // its "Options" key
};
constexpr StepRow kSteps[kCleanSteps] = {
    {CleanStep::Identity, "Use anonymous User ID online", kKeyUserID},
    {CleanStep::NewsTracks, "Remove your newsgroup tracks", kKeyNewsrc},
    {CleanStep::NewsDatabases, "Remove news database details", kKeyNewsSubs},
    {CleanStep::Mail, "Remove your email activities", kKeyMail},
    {CleanStep::History, "Remove your history database", kKeyWebsites},
    {CleanStep::TypedUrls, "Remove your URL windows list", kKeyUrlwin},
    {CleanStep::Cookies, "Remove your unwanted cookies", kKeyCookies},
    {CleanStep::Bookmarks, "Remove all bookmark settings", kKeyBookmarks},
    {CleanStep::Cache, "Remove caches and databases", kKeyCache},
    {CleanStep::RecentDocs, "Remove start button documents", kKeyDocs},
};

constexpr char kAbsent[] = "<absent>";

// In a preview, prefs.js as the run would have left it so far (the file
// itself is not written): each later write is told against this.
bool g_previewWritten = false;
prefs::LineTable g_previewFile;

// In a preview, the files already listed as destroyed or as losing their
// name: the run finds nothing there the second time a map or a walk names
// one. Kept by the full path in capitals, with the path as spelled and the
// form that reaches the file: names that differ only in letter case are
// one file on a Windows disk but two on a Unix disk under Wine, and only
// when two such names meet is the disk asked whether they are one.
struct GoneName {
  std::string spelled;
  std::wstring reach;
};
std::map<std::string, std::vector<GoneName>> g_previewGone;

std::string PlaceKey(const std::string& path) {
  // The long form is asked for only where a short name may stand: Wine
  // reads the whole folder for it, and a walk names thousands of files.
  std::string key;
  if (path.find('~') != std::string::npos) {
    key = FullLongPath(path);
  } else {
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    key = n > 0 && n < sizeof full ? std::string(full, n) : path;
  }
  return key;
}

std::string Capitals(std::string s) {
  if (!s.empty()) CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

bool IsGone(const std::string& shown, const std::wstring& reach) {
  std::string spelled = PlaceKey(shown);
  auto it = g_previewGone.find(Capitals(spelled));
  if (it == g_previewGone.end()) return false;
  for (const GoneName& gone : it->second) {
    if (gone.spelled == spelled) return true;
    std::optional<gate::PlaceId> a = PlaceIdOf(gone.reach), b = PlaceIdOf(reach);
    if (a && b && *a == *b) return true;
  }
  return false;
}

void MarkGone(const std::string& shown, const std::wstring& reach) {
  std::string spelled = PlaceKey(shown);
  g_previewGone[Capitals(spelled)].push_back({spelled, reach});
}

// The program-wide texts the steps change while they work (news folder,
// typed address 1, ...). A preview puts them back, so that a run after it
// starts from what discovery found, as it would without the preview.
struct HeldState {
  struct Field {
    char* text;
    std::size_t size;
  };
  const Field fields[8] = {{szNewsLoc, sizeof szNewsLoc}, {NewsSub, sizeof NewsSub},
                           {newsit, sizeof newsit},       {szNewsPlace, sizeof szNewsPlace},
                           {NewsKill, sizeof NewsKill},   {URL1, sizeof URL1},
                           {szCacheLoc, sizeof szCacheLoc}, {PrefsFile, sizeof PrefsFile}};
  std::vector<std::string> saved;  // each field whole, as bytes
  prefs::LineTable lines;
  PrefsFileMark mark = CurrentPrefsFileMark();
  HeldState() : lines(PrefsLines) {
    for (const Field& f : fields) saved.emplace_back(f.text, f.size);
  }
  void Restore() const {
    for (std::size_t i = 0; i < std::size(fields); ++i) std::memcpy(fields[i].text, saved[i].data(), fields[i].size);
    PrefsLines = lines;
    RestorePrefsFileMark(mark);
  }
};

// The prefs.js lines of the file as a table holds them, without the LF
// each slot but the first begins with.
std::vector<std::string> TableLines(const prefs::LineTable& table) {
  std::vector<std::string> lines;
  for (int slot = 0; slot <= table.Count(); ++slot) {
    std::string line = table[slot];
    if (!line.empty() && line[0] == '\n') line.erase(0, 1);
    lines.push_back(line);
  }
  return lines;
}

// One step of the driver: "1" and the work when chosen, "0" and the
// left-alone text when not.
void Step(const CleanChoices& choices, CleanReport& report, CleanStep step, void (*clean)(CleanRun&)) {
  CleanRun run(report, step);
  report.StepStarted(step);
  if (choices[step]) {
    run.SetIni(szIniFile, kSecOptions, StepKey(step), kOn);
    clean(run);
  } else {
    run.SetIni(szIniFile, kSecOptions, StepKey(step), kOff);
    run.Status(kLeftAlone, StepResult::Unchecked);
  }
  run.End();
}

bool RunSteps(const CleanChoices& choices, CleanReport& report) {
  {
    CleanRun run(report, CleanStep::Identity);
    report.StepStarted(CleanStep::Identity);
    SwitchIdentityStep(run, choices[CleanStep::Identity]);
    run.End();
  }
  if (!choices[CleanStep::NewsTracks]) Trace("Newschk", "Left alone");
  Step(choices, report, CleanStep::NewsTracks, NewsTracksStep);
  Step(choices, report, CleanStep::NewsDatabases, NewsDatabasesStep);
  Step(choices, report, CleanStep::Mail, MailStep);
  Step(choices, report, CleanStep::History, HistoryStep);
  Step(choices, report, CleanStep::TypedUrls, TypedUrlsStep);
  Step(choices, report, CleanStep::Cookies, CookiesStep);
  {
    CleanRun run(report, CleanStep::Bookmarks);
    report.StepStarted(CleanStep::Bookmarks);
    if (choices[CleanStep::Bookmarks]) {
      bool goOn = BookmarksStep(run);
      run.End();
      if (!goOn) return false;
    } else {
      run.SetIni(szIniFile, kSecOptions, kKeyBookmarks, kOff);
      run.Status(kLeftAlone, StepResult::Unchecked);
      run.End();
    }
  }
  Step(choices, report, CleanStep::Cache, CacheStep);
  Step(choices, report, CleanStep::RecentDocs, RecentDocumentsStep);
  return true;
}

}  // namespace

void HoldAllWrites(bool hold) {
  ini::HoldWrites(hold);
  HoldPrefsWrites(hold);
  LookUpReadOnly(hold);
}

std::vector<std::pair<std::string, std::string>> PrefsChanges(const prefs::LineTable& before,
                                                              const prefs::LineTable& after) {
  std::vector<std::string> was = TableLines(before), now = TableLines(after);
  std::vector<std::pair<std::string, std::string>> changes;
  // The table keeps every line in its place: an edit replaces a line or
  // adds one after the last.
  for (std::size_t i = 0; i < now.size() || i < was.size(); ++i) {
    const std::string& a = i < was.size() ? was[i] : std::string();
    const std::string& b = i < now.size() ? now[i] : std::string();
    if (a != b) changes.emplace_back(a, b);
  }
  return changes;
}

const char* StepTitle(CleanStep step) { return kSteps[static_cast<int>(step)].title; }
const char* StepKey(CleanStep step) { return kSteps[static_cast<int>(step)].key; }

CleanChoices SavedChoices() {
  CleanChoices choices;
  for (const StepRow& row : kSteps) choices[row.step] = ini::GetInt(szIniFile, kSecOptions, row.key, 0) != 0;
  return choices;
}

void LoadRunSettings() {
  text::CopyCut(szCacheLoc, szCacheIn);
  OSV = ini::GetInt(szIniFile, kSecOptions, kKeyNT, 0);
  IdentitiesRead = false;
  if (OSV != 0) {
    ReadIdentities(false);
    ReadBookmarkTemplatePath();
  }
  if (ini::GetInt(szIniFile, kSecOptions, kKeyMoz, 0) != 0) {
    FormIdFilePath();
    ReadIdentities(true);
    ReadBookmarkTemplatePath();
  }
  ReadDiagnosticsSwitch();
}

bool RunClean(const CleanChoices& choices, CleanReport& report) {
  if (!report.Preview()) return RunSteps(choices, report);
  // Nothing may change: not even the trace, which the steps write as they
  // go.
  HeldState held;
  bool wasMuted = MuteTrace(true);
  bool wasHeld = HoldPrefsReload(false);
  // Lines discovery added to the table while writes were held are the
  // run's first change to prefs.js: the steps' changes are told after them.
  g_previewWritten = PrefsWritesPending();
  if (g_previewWritten) {
    g_previewFile = PrefsLines;
    HoldPrefsReload(true);
  }
  g_previewGone.clear();
  bool completed = RunSteps(choices, report);
  g_previewWritten = false;
  g_previewGone.clear();
  HoldPrefsReload(wasHeld);
  MuteTrace(wasMuted);
  held.Restore();
  return completed;
}

// ---- CleanRun ----

void CleanRun::Outcome(const std::string& text, StepResult result) {
  // A refused or failed step keeps the text that says so.
  if (result == StepResult::Done && (result_ == StepResult::Refused || result_ == StepResult::Failed)) return;
  status_ = text;
  if (static_cast<int>(result) > static_cast<int>(result_) || result == StepResult::Unchecked) result_ = result;
}

void CleanRun::Status(const std::string& text, StepResult result) {
  Outcome(text, result);
  report_.Working(step_, status_, false);
}

void CleanRun::WriteFailed(const char* text) { Status(text, StepResult::Failed); }

void CleanRun::Finish(const WipeTally& tally, const char* done) {
  if (tally.unlisted) {
    Status("Error!    Folder could not be read!", StepResult::Failed);
  } else if (tally.left == 0) {
    Status(done);
  } else {
    Status("Error!    " + std::to_string(tally.left) + (tally.left == 1 ? " file" : " files") + " could not be wiped!",
           StepResult::Failed);
  }
}

void CleanRun::End() { report_.StepFinished(step_, status_, result_); }

// ---- The gate ----

const std::vector<gate::Kept>& CleanRun::Kept() {
  if (!keptKnown_) {
    kept_ = KeptPlaces();
    keptKnown_ = true;
  }
  return kept_;
}

std::unique_ptr<HeldPlace> CleanRun::Admit(std::string refusal, const std::function<std::unique_ptr<HeldPlace>()>& hold,
                                           const std::string& shown, std::string* why) {
  std::unique_ptr<HeldPlace> held;
  if (refusal.empty()) {
    held = hold();
    // Held now: a folder on the way that turned into a link, or cannot be
    // held, is refused as a link would have been.
    if (held->state() == PlacePin::State::Refused) {
      held.reset();
      refusal = gate::kLinkRefusal;
    }
  }
  if (!held) {
    Left(shown, "refused: " + refusal);
    if (why) *why = refusal;
  }
  return held;
}

std::unique_ptr<HeldPlace> CleanRun::Enter(gate::Use use, const std::string& named, std::string* why) {
  gate::Candidate place = Examine(named);
  // The cache's FAT-database option switches off its name rule, never the
  // rest of the rule.
  bool nameRuleOff = use == gate::Use::Cache && ini::GetInt(szIniFile, kSecPrefs, kKeyFatDB, 0) != 0;
  return Admit(
      gate::Judge(use, place, Kept(), nameRuleOff), [&] { return std::make_unique<HeldPlace>(place.path); },
      place.path.empty() ? named : place.path, why);
}

std::unique_ptr<HeldPlace> CleanRun::EnterBelow(gate::Use use, const HeldPlace& parent, const FolderEntry& entry,
                                                std::string* why) {
  std::string shown = paths::Join(parent.path(), entry.shown);
  std::string refusal = entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT
                            ? std::string(gate::kLinkRefusal)
                            : gate::Judge(use, gate::Candidate{shown, false, {}}, Kept());
  return Admit(refusal, [&] { return std::make_unique<HeldPlace>(parent, entry.name); }, shown, why);
}

std::unique_ptr<HeldPlace> CleanRun::EnterFile(gate::Use use, const std::string& path, std::wstring* name,
                                               std::string* why) {
  gate::Candidate place = Examine(path);
  std::string::size_type slash = place.path.find_last_of('\\');
  return Admit(
      gate::Judge(use, place, Kept()),
      [&] {
        if (name) *name = Widen(place.path.substr(slash + 1));
        return std::make_unique<HeldPlace>(place.path.substr(0, slash));
      },
      place.path.empty() ? path : place.path, why);
}

WipeTally CleanRun::Empty(const HeldPlace& folder, Walk walk, const std::function<void(const std::string&)>& passing,
                          const std::function<const char*(const std::string&)>& keep) {
  WipeTally tally;
  if (folder.state() != PlacePin::State::Held) return tally;  // not there: nothing in it
  std::unordered_set<std::wstring> met;
  // A folder that keeps receiving new files must not hold the run forever.
  constexpr int kMaxListings = 8;
  std::vector<FolderEntry> entries;
  for (int listing = 0; listing < (walk == Walk::Once ? 1 : kMaxListings); ++listing) {
    if (!ListFolder(folder, entries)) {
      Left(folder.path(), "the folder could not be listed: what it holds stays");
      tally.unlisted = true;
      return tally;
    }
    bool fresh = false;
    for (const FolderEntry& e : entries) {
      // By the name as listed: two names that differ only in case are two
      // files where the disk tells them apart.
      if (!met.insert(e.name).second) continue;  // met before: taken, left or kept already
      std::string shown = paths::Join(folder.path(), e.shown);
      if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        Left(shown, e.attributes & FILE_ATTRIBUTE_REPARSE_POINT ? "a link to a folder: only files are taken"
                                                                : "a folder: only files are taken");
        continue;
      }
      if (e.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) {
        Left(shown, "a hidden or system file: kept");
        continue;
      }
      if (const char* kept = keep ? keep(shown) : nullptr) {
        Left(shown, kept);
        continue;
      }
      fresh = true;
      if (passing) passing(e.shown);
      tally.Count(Destroy(folder.reach() + L"\\" + e.name, shown, false, false));
    }
    if (!fresh) break;
  }
  return tally;
}

WipeOutcome CleanRun::DestroyIn(const HeldPlace& folder, const std::wstring& name, bool quiet, bool markCleared) {
  if (folder.state() != PlacePin::State::Held) return WipeOutcome::Missing;
  return Destroy(folder.reach() + L"\\" + name, paths::Join(folder.path(), Narrow(name)), quiet, markCleared);
}

WipeOutcome CleanRun::DestroyNamed(const HeldPlace& folder, const std::string& path, WipeTally& tally,
                                   bool* outside, const std::function<const char*(const std::string&)>& decide) {
  if (outside) *outside = false;
  std::optional<std::string> target =
      folder.state() == PlacePin::State::Held ? FileInsideFolder(folder.path(), path) : std::nullopt;
  // The folders down to the file are held while it is wiped, and the file
  // is judged again once nothing on the way can change.
  std::optional<PlacePin> pin;
  if (target) {
    pin.emplace(target->substr(0, target->find_last_of('\\')));
    if (pin->state() != PlacePin::State::Held || FileInsideFolder(folder.path(), *target) != target) target.reset();
  }
  if (!target) {
    if (folder.state() == PlacePin::State::Missing) return WipeOutcome::Missing;
    // Not a file of this folder: a damaged or planted list. It is left,
    // and the step does not claim it.
    Left(path, "outside the news folder");
    if (outside) *outside = true;
    ++tally.left;
    return WipeOutcome::Left;
  }
  if (const char* kept = decide ? decide(*target) : nullptr) {
    if (GetFileAttributesA(target->c_str()) != INVALID_FILE_ATTRIBUTES) Left(*target, kept);
    return WipeOutcome::Missing;
  }
  std::wstring reach = L"\\\\?\\" + Widen(*target);
  WipeOutcome outcome = Destroy(reach, *target, false, false);
  tally.Count(outcome);
  return outcome;
}

WipeOutcome CleanRun::Destroy(const std::wstring& reach, const std::string& shown, bool quiet, bool markCleared) {
  std::uint64_t size = 0;
  const char* why = "";
  WipeOutcome outcome = WipeOutcome::Missing;
  if (!preview()) {
    outcome = WipeFile(reach, shown, &size, &why);
  } else if (!IsGone(shown, reach)) {
    outcome = WouldWipeFile(reach, &size, &why, markCleared);
    if (outcome != WipeOutcome::Left && outcome != WipeOutcome::Missing) MarkGone(shown, reach);
  }
  switch (outcome) {
    case WipeOutcome::Destroyed:
      if (!quiet) {
        std::string note = markCleared ? "its read-only mark (the cookie blocker's) is cleared first" : "";
        if (*why) note += (note.empty() ? "" : "; ") + std::string(why);
        report_.File(step_, FileEvent{FileEvent::Destroyed, shown, size, note});
      }
      break;
    case WipeOutcome::NameOnly:
    case WipeOutcome::Unshared: report_.File(step_, FileEvent{FileEvent::NameRemoved, shown, 0, why}); break;
    case WipeOutcome::Left: report_.File(step_, FileEvent{FileEvent::Left, shown, size, why}); break;
    case WipeOutcome::Missing: break;
  }
  return outcome;
}

void CleanRun::Left(const std::string& path, const std::string& why) {
  report_.File(step_, FileEvent{FileEvent::Left, path, 0, why});
}

void CleanRun::Replaced(const std::string& path, const std::string& from) {
  if (preview()) g_previewGone.erase(Capitals(PlaceKey(path)));  // there again
  WIN32_FILE_ATTRIBUTE_DATA data{};
  std::uint64_t size = 0;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
    size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  report_.File(step_, FileEvent{FileEvent::Replaced, path, size, from});
}

bool CleanRun::Unshare(const char* path, bool* removed) {
  bool removes = false;
  if (removed) *removed = false;
  if (!preview()) {
    bool shared = removed && HasOtherNames(path);
    bool own = UnshareName(path);
    if (removed) *removed = own && shared;
    return own;
  }
  bool would = WouldUnshare(path, &removes);
  if (removed) *removed = removes;
  if (removes) {
    report_.File(step_, FileEvent{FileEvent::NameRemoved, path, 0, "a link or second name: removed before writing"});
    MarkGone(path, Widen(path));
  }
  return would;
}

void CleanRun::SetIni(const char* file, const char* section, const char* key, const char* value) {
  std::string previous = ini::GetString(file, section, key, kAbsent, 4096);
  if (!value && previous == kAbsent) return;  // nothing to delete
  // A preview tries the file for writing as the run would write it.
  if (preview() ? !ini::CanWrite(file, section, key, value) : !ini::Write(file, section, key, value)) {
    // Not written (a read-only file, say). MOPWELL.INI only remembers the
    // program's own choices; any other file is the browser's, and then the
    // step did not do all it was meant to.
    Left(ini::PathOf(file), std::string("[") + section + "] " + key + " could not be written");
    if (lstrcmpiA(file, szIniFile) != 0) WriteFailed("Error!    Settings could not be written!");
    return;
  }
  if (!value) {
    report_.Setting(step_, SettingEvent{SettingEvent::IniDeleted, ini::PathOf(file), section, key, "", previous});
    return;
  }
  report_.Setting(step_, SettingEvent{SettingEvent::IniSet, ini::PathOf(file), section, key, value, previous});
}

void CleanRun::SetRegistry(const std::string& keyPath, const std::vector<std::pair<std::string, std::string>>& values) {
  HKEY key = reg::OpenForWriting(plat::Hkcu(), keyPath);
  if (!key) return;
  for (const auto& v : values) {
    // Read through a handle of its own: the one above may only set values,
    // and a read through it fails, which listed every value as not there.
    std::string previous;
    if (reg::ReadText(plat::Hkcu(), keyPath, v.first.c_str(), previous) != reg::Read::Ok) previous = kAbsent;
    if (!preview() && !reg::SetText(key, v.first.c_str(), v.second)) {
      Left("HKEY_CURRENT_USER\\" + keyPath, v.first + " could not be set");
      WriteFailed("Error!    Settings could not be written!");
      continue;
    }
    report_.Setting(step_, SettingEvent{SettingEvent::RegistrySet, keyPath, "", v.first, v.second, previous});
  }
  RegCloseKey(key);
}

bool CleanRun::WritePrefs() {
  std::string path;
  bool writable = PrefsWriteTarget(path);
  // What the file holds now, to tell the changed lines.
  prefs::LineTable before;
  std::string bytes;
  if (preview() && g_previewWritten)
    before = g_previewFile;
  else if (writable && ReadSmallFile(path, bytes, prefs::kMaxFileBytes))
    before.Load(bytes);
  bool written = writable && (preview() ? PrefsWriteWouldSucceed(path) : WritePrefsFile());
  if (!written) {
    if (!path.empty()) {
      Left(path, writable ? "prefs.js cannot be written now (held open by another program)"
                          : "prefs.js cannot be written (read-only, or not the file that was read)");
      // Its lines keep what the step was meant to change.
      WriteFailed("Error!    prefs.js could not be written!");
    }
    return false;
  }
  if (preview()) {
    // From here the run would keep its own table rather than load the
    // file again.
    g_previewWritten = true;
    g_previewFile = PrefsLines;
    HoldPrefsReload(true);
  }
  for (const auto& change : PrefsChanges(before, PrefsLines)) report_.PrefsLine(step_, change.first, change.second);
  return true;
}
