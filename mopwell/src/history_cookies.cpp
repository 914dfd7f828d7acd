// Three steps of the clean run: the history database, the list of typed
// addresses, and the cookie file together with the Java choice.
//
// The typed addresses live in three places: the Navigator 3 registry key,
// the Corel edition's own INI file, and prefs.js. The Java choice is kept
// in prefs.js without deleting lines: refusing turns the placeholders for
// entries 17 and 18 into the two "false" lines, allowing turns those lines
// back into placeholders.
#include <windows.h>

#include <optional>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "clean_engine.h"
#include "cleaners.h"
#include "config/names.h"
#include "ini.h"
#include "mopwell.h"
#include "places.h"
#include "platform.h"
#include "prefs/pref_value.h"
#include "prefs_file.h"
#include "registry.h"
#include "text/bounded.h"
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

// Destroys the cookie file; `unmark` clears the read-only mark an earlier
// run's cookie blocker set, which the wipe would otherwise respect. The
// mark belongs to the file, not to the name: when another name shares the
// file it is not cleared (and the file is left), and when the wipe leaves
// the file it is put back, so the blocker still holds. True when the file
// was left as it was.
bool CookieWipe(CleanRun& run, bool unmark) {
  if (!unmark) return run.Destroy(szCookieLoc) == WipeOutcome::Left;
  if (HasOtherNames(szCookieLoc)) {
    Trace("NotWiped", szCookieLoc);
    run.Left(szCookieLoc, "read-only, and another name shares the file: its mark is not cleared");
    return true;
  }
  DWORD marked = GetFileAttributesA(szCookieLoc);
  if (!run.preview()) SetFileAttributesA(szCookieLoc, FILE_ATTRIBUTE_ARCHIVE);
  bool left = run.Destroy(szCookieLoc, false, true) == WipeOutcome::Left;
  if (!run.preview() && GetFileAttributesA(szCookieLoc) != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesA(szCookieLoc, marked);
  return left;
}

// The cookie file is replaced by the keep file, or destroyed when there
// is none. A keep file that is there but cannot be read (held by another
// program) is not taken for a missing one: the cookie file then stays as
// it is, exactly as when the copy itself fails. True when the cookie
// file was left as it was.
bool CleanCookieFile(CleanRun& run) {
  if (szCookieLoc[0] == '\0') return false;  // no cookie file known
  HANDLE keep = CreateFileA(kKeepFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (keep == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
      Trace("NotWiped", szCookieLoc);
      run.Left(szCookieLoc, "the keep file hookies.txt cannot be read");
      return true;
    }
    // A read-only mark here was set by an earlier run with the cookie
    // blocker on; the wipe leaves read-only files alone, so it goes first.
    DWORD attributes = GetFileAttributesA(szCookieLoc);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & FILE_ATTRIBUTE_READONLY))
      return CookieWipe(run, true);
    return CookieWipe(run, false);
  }
  bool blocker = ini::GetInt(szIniFile, kSecPrefs, kKeyCookBlocker, 0) != 0;
  // The read-only mark of an earlier blocked run goes before the copy, but
  // only once the name is the cookie file's alone: the mark belongs to the
  // file, which may have another name.
  if (run.preview()) {
    CloseHandle(keep);
    DWORD found = GetFileAttributesA(szCookieLoc);
    bool blocked = found != INVALID_FILE_ATTRIBUTES && (found & FILE_ATTRIBUTE_READONLY);
    // The copy goes through as the run's would: a name of the file's own
    // (a shared one removed first), its folder there, and no program
    // holding the file (the copy opens it for itself alone).
    bool removes = false;
    bool copies = run.Unshare(szCookieLoc, &removes) && FolderOfPathExists(szCookieLoc);
    if (copies && !removes && found != INVALID_FILE_ATTRIBUTES) {
      HANDLE alone = CreateFileA(szCookieLoc, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      copies = alone != INVALID_HANDLE_VALUE && !(found & FILE_ATTRIBUTE_DIRECTORY);
      if (alone != INVALID_HANDLE_VALUE) CloseHandle(alone);
    }
    if (!copies) {
      run.Left(szCookieLoc, "the keep file could not be copied over it");
      return true;
    }
    run.Replaced(szCookieLoc, std::string("the keep file hookies.txt") +
                                  (blocked && !removes ? ", its read-only mark cleared first" : "") +
                                  (blocker ? ", then made read-only (cookie blocker)" : ""));
    return false;
  }
  bool unshared = UnshareName(szCookieLoc);
  if (unshared) SetFileAttributesA(szCookieLoc, FILE_ATTRIBUTE_ARCHIVE);
  // Windows refuses to copy over a read-only file; Wine running as root
  // does not, so the mark is checked here.
  DWORD attributes = GetFileAttributesA(szCookieLoc);
  bool copied = false;
  if (unshared && (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)))
    copied = CopyFileA(kKeepFile, szCookieLoc, FALSE) != 0;
  // The copy takes the keep file's own attributes; the blocker alone
  // decides whether the browser may write the cookie file (never another
  // file that still shares its name).
  if (unshared)
    SetFileAttributesA(szCookieLoc, blocker ? FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY
                                            : FILE_ATTRIBUTE_ARCHIVE);
  CloseHandle(keep);
  if (!copied) {
    Trace("NotWiped", szCookieLoc);
    run.Left(szCookieLoc, "the keep file could not be copied over it");
  } else {
    run.Replaced(szCookieLoc, std::string("the keep file hookies.txt") +
                                  (blocker ? ", then made read-only (cookie blocker)" : ""));
  }
  return !copied;
}

}  // namespace

void HistoryStep(CleanRun& run) {
  run.Show(HistLoc);
  Trace("HistKil", HistLoc);
  run.Finish(run.Destroy(HistLoc) == WipeOutcome::Left ? 1 : 0, "Done!     History DB cleaned.");
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
  bool left = CleanCookieFile(run);
  run.Finish(left ? 1 : 0, "Done!     Cookie file cleaned.");

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
  if (refuse && !left) run.Status("Done!     Cookies+java cleaned.");
}
