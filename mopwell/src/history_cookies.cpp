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
#include <string>

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

constexpr int kBoxHistory = 109, kBoxUrls = 110, kBoxCookies = 111;

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
void ClearTypedUrlsInPrefs() {
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
  WritePrefsFile();
}

void SetJavaInRegistry(const char* data) {
  HKEY key = reg::OpenForWriting(plat::Hkcu(), std::string(regit) + "Java");
  if (!key) return;
  reg::SetText(key, "Enable Java", data);
  reg::SetText(key, "Enable JavaScript", data);
  RegCloseKey(key);
}

// The cookie file is replaced by the keep file, or destroyed when there
// is none. A keep file that is there but cannot be read (held by another
// program) is not taken for a missing one: the cookie file then stays as
// it is, exactly as when the copy itself fails. True when the cookie
// file was left as it was.
bool CleanCookieFile() {
  if (szCookieLoc[0] == '\0') return false;  // no cookie file known
  HANDLE keep = CreateFileA(kKeepFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (keep == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
      Trace("NotWiped", szCookieLoc);
      return true;
    }
    // A read-only mark here was set by an earlier run with the cookie
    // blocker on; the wipe leaves read-only files alone, so it goes first.
    DWORD attributes = GetFileAttributesA(szCookieLoc);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
        (attributes & FILE_ATTRIBUTE_READONLY))
      SetFileAttributesA(szCookieLoc, FILE_ATTRIBUTE_ARCHIVE);
    return nukeIt(szCookieLoc) == WipeOutcome::Left;
  }
  bool blocker = ini::GetInt(szIniFile, kSecPrefs, kKeyCookBlocker, 0) != 0;
  // The read-only mark of an earlier blocked run goes before the copy, but
  // only once the name is the cookie file's alone: the mark belongs to the
  // file, which may have another name.
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
  if (!copied) Trace("NotWiped", szCookieLoc);
  return !copied;
}

}  // namespace

void CleanHistory(HWND page) {
  SetStatus(page, kBoxHistory, HistLoc);
  Trace("HistKil", HistLoc);
  FinishStatus(page, kBoxHistory, nukeIt(HistLoc) == WipeOutcome::Left ? 1 : 0,
               "Done!     History DB cleaned.");
}

void CleanTypedUrls(HWND page) {
  SetStatus(page, kBoxUrls, "Done!     URL listings cleaned.");

  std::string keyPath = std::string(regit) + "URL History";
  HKEY key = reg::OpenForWriting(plat::Hkcu(), keyPath);
  URL1[0] = '\0';
  if (key) {
    for (int n = 1; n <= kRegistryUrls; ++n) reg::SetText(key, ("URL_" + std::to_string(n)).c_str(), "");
    Trace("Url-Reg", "URL clears written to reg");
    Trace("Url-Loc", keyPath.c_str());
    RegCloseKey(key);
  }

  // The Corel edition's own settings file. Deleting keys never creates a
  // missing file.
  std::string vnet = ini::GetString(szIniFile, kSecCustoms, kKeyVnet, kVnetNone, MAX_PATH);
  if (!text::EqualsNoCase(vnet, kVnetNone)) {
    for (int n = 1; n <= kRegistryUrls; ++n)
      ini::Write(vnet.c_str(), kVnetSection, ("URL History\\URL_" + std::to_string(n)).c_str(), nullptr);
  }
  Trace("Url-End", "URL clears above?");

  ClearTypedUrlsInPrefs();
}

void CleanCookiesAndJava(HWND page) {
  SetStatus(page, kBoxCookies, szCookieLoc);
  bool left = CleanCookieFile();
  FinishStatus(page, kBoxCookies, left ? 1 : 0, "Done!     Cookie file cleaned.");

  bool refuse = ini::GetInt(szIniFile, kSecPrefs, kKeyJavaDesired, 0) != 0;
  SetJavaInRegistry(refuse ? "no" : "yes");
  ReloadPrefsIfChanged();
  if (refuse) {
    SwitchPrefOn(kJavaScriptPlaceholderKey, kJavaScriptKey, kRefuseJavaScript);
    SwitchPrefOn(kJavaPlaceholderKey, kJavaKey, kRefuseJava);
  } else {
    SwitchPrefOff(kJavaScriptKey, kJavaScriptPlaceholder);
    SwitchPrefOff(kJavaKey, kJavaPlaceholder);
  }
  WritePrefsFile();
  if (refuse && !left) SetStatus(page, kBoxCookies, "Done!     Cookies+java cleaned.");
}
