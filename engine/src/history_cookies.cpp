// Three steps of the clean run: the history database, the list of typed
// addresses, and the cookie file together with the Java choice.
//
// The typed addresses live in three places: the Navigator 3 registry key,
// the Corel edition's own INI file, and prefs.js. The Java choice is kept
// in prefs.js without deleting lines: refusing turns the placeholders for
// entries 17 and 18 into the two "false" lines, allowing turns those lines
// back into placeholders.
#include <windows.h>

#include <memory>
#include <optional>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "clean_engine.h"
#include "config/names.h"
#include "engine.h"
#include "ini.h"
#include "places.h"
#include "platform.h"
#include "prefs/pref_value.h"
#include "prefs_file.h"
#include "registry.h"
#include "step_settings.h"
#include "text/bounded.h"
#include "text/paths.h"
#include "wipe.h"

namespace {

constexpr char kKeepFile[] = "hookies.txt";
constexpr char kVnetNone[] = "=";
constexpr char kVnetSection[] = "Netscape Settings";

constexpr char kUrlKeyPrefix[] = "browser.url_history.URL_";
constexpr int kRegistryUrls = 10;  // URL_1 .. URL_10 in the registry and the INI file
constexpr int kPrefsUrls = 15;     // URL_1 .. URL_15 in prefs.js

constexpr char kJavaScriptPlaceholderKey[] = "browser.url_history.URL_17";
constexpr char kJavaPlaceholderKey[] = "browser.url_history.URL_18";
constexpr char kJavaScriptKey[] = "javascript.enabled";
constexpr char kJavaKey[] = "security.enable_java";
constexpr char kJavaScriptPlaceholder[] = "\nuser_pref(\"browser.url_history.URL_17\", \"\");";
constexpr char kJavaPlaceholder[] = "\nuser_pref(\"browser.url_history.URL_18\", \"\");";
constexpr char kRefuseJavaScript[] = "\nuser_pref(\"javascript.enabled\", false);";
constexpr char kRefuseJava[] = "\nuser_pref(\"security.enable_java\", false);";

std::string UrlKey(int n) { return kUrlKeyPrefix + std::to_string(n); }

std::string EmptyUrlLine(int n) { return "\nuser_pref(\"" + UrlKey(n) + "\", \"\");"; }

bool Found(int slot) { return !PrefsLines[slot].empty(); }

// The entry number n of a line that names browser.url_history.URL_n
// exactly (the key's closing quote right after the digits), else 0.
int UrlEntryOf(const std::string& line) {
  std::string::size_type at = line.find(kUrlKeyPrefix);
  while (at != std::string::npos) {
    std::string::size_type p = at + sizeof kUrlKeyPrefix - 1;
    int n = 0, digits = 0;
    while (p < line.size() && line[p] >= '0' && line[p] <= '9' && digits < 3) {
      n = n * 10 + (line[p] - '0');
      ++p;
      ++digits;
    }
    if (digits > 0 && p < line.size() && line[p] == '"') return n;
    at = line.find(kUrlKeyPrefix, at + 1);
  }
  return 0;
}

// prefs.js part of the typed-address step. Each entry is looked for by
// its key as a substring, so the search for entry 1 also takes the line
// of entries 10 to 19 when one of those comes first; that line becomes an
// empty entry 1. Such a match can leave the real line of an entry further
// down with its address in it, so a last pass empties every entry 1 to 15
// that still holds a value, under its own number.
void ClearTypedUrlsInPrefs(CleanRun& run) {
  ReloadPrefsIfChanged();
  for (int n = 1; n <= kPrefsUrls; ++n) {
    int slot = FindPrefLine(UrlKey(n).c_str());
    if (Found(slot)) ReplacePrefLine(slot, EmptyUrlLine(n).c_str());
  }
  for (int slot = 1; slot <= LineCount; ++slot) {
    const std::string& line = PrefsLines[slot];
    int n = UrlEntryOf(line);
    if (n < 1 || n > kPrefsUrls) continue;
    std::optional<std::string> value = prefs::CutValue(line);
    if (value && value->empty()) continue;
    ReplacePrefLine(slot, EmptyUrlLine(n).c_str());
  }
  run.WritePrefs();
}

void SetJavaInRegistry(CleanRun& run, const char* data) {
  run.SetRegistry(std::string(regit) + "Java", {{"Enable Java", data}, {"Enable JavaScript", data}});
}

// Destroys the cookie file `name` of the held folder; `unmark` clears the
// read-only mark an earlier run's cookie blocker set, which the wipe would
// otherwise respect. The mark belongs to the file, not to the name: when
// another name shares the file it is not cleared (and the file is left),
// and when the wipe leaves the file it is put back, so the blocker still
// holds. `quiet`: the file is replaced next.
WipeOutcome CookieWipe(CleanRun& run, const HeldPlace& folder, const std::wstring& name, bool unmark, bool quiet) {
  if (!unmark) return run.DestroyIn(folder, name, quiet);
  std::wstring reach = folder.reach() + L"\\" + name;
  std::string shown = paths::Join(folder.path(), Narrow(name));
  if (HasOtherNames(shown.c_str())) {
    Trace("NotWiped", shown.c_str());
    run.Left(shown, "read-only, and another name shares the file: its mark is not cleared");
    return WipeOutcome::Left;
  }
  DWORD marked = GetFileAttributesW(reach.c_str());
  if (!run.preview()) SetFileAttributesW(reach.c_str(), FILE_ATTRIBUTE_ARCHIVE);
  WipeOutcome outcome = run.DestroyIn(folder, name, quiet, true);
  if (!run.preview() && GetFileAttributesW(reach.c_str()) != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesW(reach.c_str(), marked);
  return outcome;
}

// A keep file holds the cookies of a few sites; one far past this size is
// no keep file, and is not read into memory.
constexpr std::size_t kKeepLimit = 64u << 20;

enum class Keep { None, Unreadable, Read };

// The keep file read whole, before the cookie file is touched.
Keep ReadKeepFile(std::string& bytes) {
  SetLastError(ERROR_SUCCESS);
  if (ReadSmallFile(kKeepFile, bytes, kKeepLimit)) return Keep::Read;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Keep::None : Keep::Unreadable;
}

// The cookie file is replaced by the keep file, or destroyed when there
// is none. The keep file is read whole first: a keep file that is there
// but cannot be read (held by another program) is not taken for a missing
// one, and the cookie file then stays as it is. Replacing destroys the old
// file through the wipe (the cookies not kept go with it) and writes the
// kept ones in its place.
enum class CookieFile { Cleaned, Left, Refused };
CookieFile CleanCookieFile(CleanRun& run) {
  if (szCookieLoc[0] == '\0') return CookieFile::Cleaned;  // no cookie file known
  std::string kept;
  Keep keep = ReadKeepFile(kept);
  if (keep == Keep::Unreadable) {
    Trace("NotWiped", szCookieLoc);
    run.Left(szCookieLoc, "the keep file hookies.txt cannot be read");
    return CookieFile::Left;
  }
  std::wstring name;
  std::unique_ptr<HeldPlace> folder = run.EnterFile(gate::Use::CookieFile, szCookieLoc, &name);
  if (!folder) {
    Trace("BADcookieLOC-PROT-TRIG", szCookieLoc);
    run.Status("Error!    Cookie file left alone!", StepResult::Refused);
    return CookieFile::Refused;
  }
  std::wstring reach = folder->reach() + L"\\" + name;
  std::string shown = paths::Join(folder->path(), Narrow(name));
  // A read-only mark here was set by an earlier run with the cookie
  // blocker on; the wipe leaves read-only files alone, so it goes first.
  DWORD found = GetFileAttributesW(reach.c_str());
  bool blocked = found != INVALID_FILE_ATTRIBUTES && !(found & FILE_ATTRIBUTE_DIRECTORY) &&
                 (found & FILE_ATTRIBUTE_READONLY);
  // Cookies that another name of the file keeps are not gone: the step
  // does not say they are.
  if (keep == Keep::None) {
    WipeOutcome outcome = CookieWipe(run, *folder, name, blocked, false);
    return outcome == WipeOutcome::Left || outcome == WipeOutcome::Unshared ? CookieFile::Left : CookieFile::Cleaned;
  }

  bool blocker = ini::GetInt(szIniFile, kSecPrefs, kKeyCookBlocker, 0) != 0;
  WipeOutcome old = CookieWipe(run, *folder, name, blocked, true);
  if (old == WipeOutcome::Left) return CookieFile::Left;  // the old file stays: nothing is written
  bool written = run.preview() ? folder->state() == PlacePin::State::Held : CreateWhole(*folder, name, kept);
  if (!written) {
    Trace("NotWiped", shown.c_str());
    run.Left(shown, "the kept cookies could not be written (the keep file still holds them)");
    return CookieFile::Left;
  }
  // The blocker alone decides whether the browser may write the new file.
  if (!run.preview() && blocker) SetFileAttributesW(reach.c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  run.Replaced(shown, std::string("the keep file hookies.txt") + (blocked ? ", its read-only mark cleared first" : "") +
                          (blocker ? ", then made read-only (cookie blocker)" : ""));
  return old == WipeOutcome::Unshared ? CookieFile::Left : CookieFile::Cleaned;
}

}  // namespace

void HistoryStep(CleanRun& run) {
  run.Show(HistLoc);
  Trace("HistKil", HistLoc);
  WipeTally tally;
  if (HistLoc[0] != '\0') {  // no history file known: nothing to destroy
    std::wstring name;
    std::unique_ptr<HeldPlace> folder = run.EnterFile(gate::Use::HistoryFile, HistLoc, &name);
    if (!folder) {
      Trace("BADhistoryLOC-PROT-TRIG", HistLoc);
      run.Status("Error!    History DB left alone!", StepResult::Refused);
      return;
    }
    tally.Count(run.DestroyIn(*folder, name));
  }
  run.Finish(tally, "Done!     History DB cleaned.");
}

void TypedUrlsStep(CleanRun& run) {
  run.Status("Done!     URL listings cleaned.");

  std::string keyPath = std::string(regit) + "URL History";
  URL1[0] = '\0';
  if (reg::KeyExists(plat::Hkcu(), keyPath)) {
    std::vector<std::pair<std::string, std::string>> values;
    for (int n = 1; n <= kRegistryUrls; ++n) values.emplace_back("URL_" + std::to_string(n), "");
    run.SetRegistry(keyPath, values);
    Trace("Url-Reg", "URL clears written to reg");
    Trace("Url-Loc", keyPath.c_str());
  }

  // The Corel edition's own settings file. Deleting keys never creates a
  // missing file.
  std::string vnet = ini::GetString(szIniFile, kSecCustoms, kKeyVnet, kVnetNone, MAX_PATH);
  if (!text::EqualsNoCase(vnet, kVnetNone)) {
    for (int n = 1; n <= kRegistryUrls; ++n)
      run.SetIni(vnet.c_str(), kVnetSection, ("URL History\\URL_" + std::to_string(n)).c_str(), nullptr);
  }
  Trace("Url-End", "URL clears above?");

  ClearTypedUrlsInPrefs(run);
}

void CookiesStep(CleanRun& run) {
  run.Show(szCookieLoc);
  CookieFile file = CleanCookieFile(run);
  if (file != CookieFile::Refused) {
    WipeTally tally;
    tally.left = file == CookieFile::Left ? 1 : 0;
    run.Finish(tally, "Done!     Cookie file cleaned.");
  }

  bool refuse = ini::GetInt(szIniFile, kSecPrefs, kKeyJavaDesired, 0) != 0;
  SetJavaInRegistry(run, refuse ? "no" : "yes");
  ReloadPrefsIfChanged();
  if (refuse) {
    SwitchPrefOn(kJavaScriptPlaceholderKey, kJavaScriptKey, kRefuseJavaScript);
    SwitchPrefOn(kJavaPlaceholderKey, kJavaKey, kRefuseJava);
  } else {
    SwitchPrefOff(kJavaScriptKey, kJavaScriptPlaceholder);
    SwitchPrefOff(kJavaKey, kJavaPlaceholder);
  }
  run.WritePrefs();
  if (refuse && file == CookieFile::Cleaned) run.Status("Done!     Cookies+java cleaned.");
}
