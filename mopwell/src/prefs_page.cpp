// The preferences page (dialog 600): sixteen boxes, each standing for one
// "Prefs" key of MOPWELL.INI. Save stores every box; the cookie boxes, the
// diagnostics box and the Corel box also act at once on the browser's
// settings, the cookie file or MOPWELL.INI. A cookie box changes the
// browser's preference only when the user changed the box, and gives back
// the browser's own line when switched back. Undo loads the stored states
// again.
#include <windows.h>

#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "config/names.h"
#include "ini.h"
#include "mopwell.h"
#include "platform.h"
#include "prefs_file.h"
#include "registry.h"
#include "resource.h"

namespace {

struct BoxKey {
  int box;
  const char* key;
};

// In the order the page loads them.
constexpr BoxKey kBoxes[] = {
    {IDC_PREFS_NETCASTER, kKeyNewsMsgs}, {IDC_PREFS_RCG, kKeyNewsRCGs},
    {IDC_PREFS_HOSTINFO, kKeyNewsHost},  {IDC_PREFS_SUBFOLDERS, kKeyNewsSubS},
    {IDC_PREFS_SENT, kKeyDoSent},        {IDC_PREFS_DRAFT, kKeyDoDraft},
    {IDC_PREFS_INBOX, kKeyDoInbox},      {IDC_PREFS_OUTBOX, kKeyDoOutBx},
    {IDC_PREFS_JAVA, kKeyJavaDesired},   {IDC_PREFS_COOKBLOCK, kKeyCookBlocker},
    {IDC_PREFS_COOKWARN, kKeyCookieWarn}, {IDC_PREFS_FATDB, kKeyFatDB},
    {IDC_PREFS_DIAG, kKeyMooVariable},   {IDC_PREFS_UNRECOVER, kKeyUnrecover},
    {IDC_PREFS_BOOKBACK, kKeyBookBack},  {IDC_PREFS_ALTCFG, kKeyAltCfg},
};

constexpr char kBehaviorKey[] = "network.cookie.cookieBehavior";
constexpr char kBehaviorPlaceholderKey[] = "browser.url_history.URL_19";
constexpr char kRefuseCookies[] = "\nuser_pref(\"network.cookie.cookieBehavior\", 2);";
constexpr char kBehaviorPlaceholder[] = "\nuser_pref(\"browser.url_history.URL_19\", \"\");";
constexpr char kWarnKey[] = "network.cookie.warnAboutCookies";
constexpr char kWarnPlaceholderKey[] = "browser.url_history.URL_16";
constexpr char kWarnCookies[] = "\nuser_pref(\"network.cookie.warnAboutCookies\", true);";
constexpr char kWarnPlaceholder[] = "\nuser_pref(\"browser.url_history.URL_16\", \"\");";
// Where the browser's own line is remembered while a box has it replaced.
constexpr char kBehaviorWas[] = "CookieBehaviorWas";
constexpr char kWarnWas[] = "CookieWarnWas";
constexpr char kSaveTitle[] = "Saving Preferences";

// One of the two cookie boxes and the preference line it switches.
struct CookieSwitch {
  int box;
  const char* key;             // the preference
  const char* placeholderKey;  // the placeholder that keeps its place
  const char* placeholder;
  const char* on;              // the line the box puts in
  bool appendWhenMissing;      // the warning only ever takes its placeholder's place
  const char* was;             // the "Prefs" key that remembers the browser's own line
};
constexpr CookieSwitch kBlocker = {IDC_PREFS_COOKBLOCK, kBehaviorKey,  kBehaviorPlaceholderKey, kBehaviorPlaceholder,
                                   kRefuseCookies,      true,          kBehaviorWas};
constexpr CookieSwitch kWarning = {IDC_PREFS_COOKWARN, kWarnKey,     kWarnPlaceholderKey, kWarnPlaceholder,
                                   kWarnCookies,       false,        kWarnWas};

// What the page keeps between its messages: the boxes as they were
// loaded, so that Save knows which ones the user changed.
struct PrefsPageState {
  bool loaded[std::size(kBoxes)] = {};
};
PrefsPageState g_page;

bool Checked(HWND page, int box) { return IsDlgButtonChecked(page, box) == BST_CHECKED; }

bool WasChecked(int box) {
  for (std::size_t i = 0; i < std::size(kBoxes); ++i)
    if (kBoxes[i].box == box) return g_page.loaded[i];
  return false;
}

bool CommunicatorInUse() { return ini::GetInt(szIniFile, kSecOptions, kKeyMoz, 0) != 0; }

void Load(HWND page) {
  for (std::size_t i = 0; i < std::size(kBoxes); ++i) {
    g_page.loaded[i] = ini::GetInt(szIniFile, kSecPrefs, kBoxes[i].key, 0) != 0;
    CheckDlgButton(page, kBoxes[i].box, g_page.loaded[i] ? BST_CHECKED : BST_UNCHECKED);
  }
}

// Lines remembered in one "Prefs" value, apart by a character no line of
// prefs.js (nor of an INI file) holds.
constexpr char kApart = '\x1f';

// A cookie box the user switched: every line of the preference takes the
// box's line, after the browser's own lines have been remembered; switched
// back, exactly those lines return, each to its place. A box left as it was
// found changes no line of prefs.js. Returns the "Prefs" value that
// remembers the browser's lines after the change (null: forget them).
std::optional<std::string> SwitchCookieLine(const CookieSwitch& c, bool on) {
  std::vector<int> lines = PrefLinesOf(c.key);
  if (on) {
    std::string own;
    for (int slot : lines) {
      std::string line = PrefsLines[slot];
      if (!line.empty() && line[0] == '\n') line.erase(0, 1);
      own += (own.empty() ? "" : std::string(1, kApart)) + line;
    }
    for (int slot : lines) ReplacePrefLine(slot, c.on);
    if (lines.empty()) {
      int placeholder = FindPrefLine(c.placeholderKey);
      if (!PrefsLines[placeholder].empty())
        ReplacePrefLine(placeholder, c.on);
      else if (c.appendWhenMissing)
        AppendPrefLine(c.on);
    }
    return own;
  }
  std::string was = ini::GetString(szIniFile, kSecPrefs, c.was, "", 1u << 20);
  std::vector<std::string> own;
  for (std::size_t at = 0; !was.empty() && at <= was.size();) {
    std::size_t end = was.find(kApart, at);
    if (end == std::string::npos) end = was.size();
    own.push_back("\n" + was.substr(at, end - at));
    at = end + 1;
  }
  // As many lines as were remembered: each to its own place. Otherwise
  // (the file was edited meanwhile) the one the browser read, everywhere.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string back = own.empty() ? std::string(c.placeholder) : own.size() == lines.size() ? own[i] : own.back();
    ReplacePrefLine(lines[i], back.c_str());
  }
  return std::nullopt;
}

// The first file Save needs that cannot be written now, or empty. Checked
// before anything is written, so that MOPWELL.INI, prefs.js and the
// cookie file never disagree.
std::string UnwritableFile(HWND page, bool prefsToo) {
  for (const BoxKey& row : kBoxes)
    if (!ini::CanWrite(szIniFile, kSecPrefs, row.key, Checked(page, row.box) ? kOn : kOff))
      return ini::PathOf(szIniFile);
  if (prefsToo) {
    std::string path;
    if (!PrefsWriteTarget(path) || !PrefsWriteWouldSucceed(path)) return path.empty() ? std::string("prefs.js") : path;
  }
  return std::string();
}

void Save(HWND page) {
  const bool blockerOn = Checked(page, IDC_PREFS_COOKBLOCK), warnOn = Checked(page, IDC_PREFS_COOKWARN);
  const bool blockerChanged = blockerOn != WasChecked(IDC_PREFS_COOKBLOCK);
  const bool warnChanged = warnOn != WasChecked(IDC_PREFS_COOKWARN);
  const bool prefsToo = CommunicatorInUse() && (blockerChanged || warnChanged);
  std::string unwritable = UnwritableFile(page, prefsToo);
  if (!unwritable.empty()) {
    std::string message = "Nothing was saved: " + unwritable +
                          " cannot be written now (it may be read-only, or held open by Netscape). Close "
                          "Netscape, or clear the file's read-only mark, and save again.";
    plat::Prompt(nullptr, message.c_str(), kSaveTitle, MB_ICONEXCLAMATION);
    return;
  }

  // prefs.js first: the one write that may still fail.
  std::optional<std::string> behaviorWas, warnWas;
  if (prefsToo) {
    ReloadPrefsIfChanged();
    prefs::LineTable before = PrefsLines;
    if (blockerChanged) behaviorWas = SwitchCookieLine(kBlocker, blockerOn);
    if (warnChanged) warnWas = SwitchCookieLine(kWarning, warnOn);
    if (!WritePrefsFile()) {
      PrefsLines = before;
      std::string message = "Nothing was saved: " + std::string(PrefsFile) +
                            " could not be written. Close Netscape and save again.";
      plat::Prompt(nullptr, message.c_str(), kSaveTitle, MB_ICONEXCLAMATION);
      return;
    }
  }
  bool ok = true;
  auto write = [&ok](const char* section, const char* key, const char* value) {
    ok = ini::Write(szIniFile, section, key, value) && ok;
  };
  // Kept as they are, blanks around them and all.
  if (blockerChanged) write(kSecPrefs, kBehaviorWas, behaviorWas ? ini::Kept(*behaviorWas).c_str() : nullptr);
  if (warnChanged) write(kSecPrefs, kWarnWas, warnWas ? ini::Kept(*warnWas).c_str() : nullptr);
  for (const BoxKey& row : kBoxes) write(kSecPrefs, row.key, Checked(page, row.box) ? kOn : kOff);

  // The cookie file's mark follows the refusal; the Navigator 3 warning
  // follows the box when it was changed.
  DWORD attributes = GetFileAttributesA(szCookieLoc);
  if (szCookieLoc[0] != '\0' && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    SetFileAttributesA(szCookieLoc, blockerOn ? FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_ARCHIVE);
  if (warnChanged && regit[0] != '\0') {
    if (HKEY key = reg::OpenForWriting(plat::Hkcu(), std::string(regit) + "Network")) {
      reg::SetText(key, "Warn Accepting Cookie", warnOn ? "yes" : "no");
      RegCloseKey(key);
    }
  }
  if (Checked(page, IDC_PREFS_DIAG)) {
    write(kSecOptions, kKeyCow, "moo");
  } else {
    write(kSecOptions, kKeyCow, "oom");
    ini::Write(szIniFile, kSecDiagnostics, nullptr, nullptr);
  }
  write(kSecOptions, kKeyMode, Checked(page, IDC_PREFS_ALTCFG) ? "Corel" : nullptr);
  if (!ok) {
    std::string message = "Your Preferences could not all be saved in " + ini::PathOf(szIniFile) +
                          ". Make sure the file can be written and save again.";
    plat::Prompt(nullptr, message.c_str(), kSaveTitle, MB_ICONEXCLAMATION);
    return;
  }
  for (std::size_t i = 0; i < std::size(kBoxes); ++i) g_page.loaded[i] = Checked(page, kBoxes[i].box);
  plat::Prompt(nullptr, "Your Preferences have been saved.", kSaveTitle, MB_ICONINFORMATION);
}

}  // namespace

INT_PTR CALLBACK DlgProc5(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      Load(page);
      return TRUE;
    case WM_COMMAND:
      // Only the buttons' own clicks: a notification of a box is no command.
      if (lParam == 0 || HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (LOWORD(wParam) == IDC_PREFS_SAVE) {
        Save(page);
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_PREFS_UNDO) {
        Load(page);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      DestroyWindow(page);
      return TRUE;
    default:
      return FALSE;
  }
}
