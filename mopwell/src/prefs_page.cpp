// The preferences page (dialog 600): sixteen boxes, each standing for one
// "Prefs" key of MOPWELL.INI. Save stores every box; the cookie boxes, the
// diagnostics box and the Corel box also act at once on the browser's
// settings, the cookie file or MOPWELL.INI. Undo loads the stored states
// again. The page keeps no state of its own: the boxes are the state.
#include <windows.h>

#include <string>

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

// The boxes Save stores without acting on anything else.
constexpr int kPlainFirst[] = {IDC_PREFS_NETCASTER, IDC_PREFS_RCG,   IDC_PREFS_HOSTINFO, IDC_PREFS_SUBFOLDERS,
                               IDC_PREFS_SENT,      IDC_PREFS_DRAFT, IDC_PREFS_INBOX,    IDC_PREFS_OUTBOX,
                               IDC_PREFS_JAVA};

constexpr char kBehaviorKey[] = "network.cookie.cookieBehavior";
constexpr char kBehaviorPlaceholderKey[] = "browser.url_history.URL_19";
constexpr char kRefuseCookies[] = "\nuser_pref(\"network.cookie.cookieBehavior\", 2);";
constexpr char kBehaviorPlaceholder[] = "\nuser_pref(\"browser.url_history.URL_19\", \"\");";
constexpr char kWarnKey[] = "network.cookie.warnAboutCookies";
constexpr char kWarnPlaceholderKey[] = "browser.url_history.URL_16";
constexpr char kWarnCookies[] = "\nuser_pref(\"network.cookie.warnAboutCookies\", true);";
constexpr char kWarnPlaceholder[] = "\nuser_pref(\"browser.url_history.URL_16\", \"\");";

const char* KeyOf(int box) {
  for (const BoxKey& row : kBoxes)
    if (row.box == box) return row.key;
  return nullptr;
}

bool Checked(HWND page, int box) { return IsDlgButtonChecked(page, box) == BST_CHECKED; }

// Stores one box as "1" or "0"; returns whether it was checked.
bool Store(HWND page, int box) {
  bool on = Checked(page, box);
  ini::Write(szIniFile, kSecPrefs, KeyOf(box), on ? kOn : kOff);
  return on;
}

bool CommunicatorInUse() { return ini::GetInt(szIniFile, kSecOptions, kKeyMoz, 0) != 0; }

void Load(HWND page) {
  for (const BoxKey& row : kBoxes)
    CheckDlgButton(page, row.box, ini::GetInt(szIniFile, kSecPrefs, row.key, 0) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

// Refusing every cookie: the cookie file becomes read-only, and the
// browser's own setting follows. Switching off puts back every line the
// setting has, so a refusal saved twice never outlives the change of mind.
void SaveCookieBlocker(HWND page) {
  bool on = Store(page, IDC_PREFS_COOKBLOCK);
  DWORD attributes = GetFileAttributesA(szCookieLoc);
  if (szCookieLoc[0] != '\0' && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    SetFileAttributesA(szCookieLoc, on ? FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_ARCHIVE);
  if (!CommunicatorInUse()) return;
  ReloadPrefsIfChanged();
  if (on)
    SwitchPrefOn(kBehaviorPlaceholderKey, kBehaviorKey, kRefuseCookies);
  else
    SwitchPrefOff(kBehaviorKey, kBehaviorPlaceholder);
  WritePrefsFile();
}

// The warning: the Navigator 3 registry value, and the Communicator line,
// which only ever takes the place of its placeholder (seeded at setup).
void SaveCookieWarning(HWND page) {
  bool on = Checked(page, IDC_PREFS_COOKWARN);
  if (regit[0] != '\0') {
    if (HKEY key = reg::OpenForWriting(plat::Hkcu(), std::string(regit) + "Network")) {
      reg::SetText(key, "Warn Accepting Cookie", on ? "yes" : "no");
      RegCloseKey(key);
    }
  }
  Store(page, IDC_PREFS_COOKWARN);
  if (!CommunicatorInUse()) return;
  ReloadPrefsIfChanged();
  int slot = FindPrefLine(on ? kWarnPlaceholderKey : kWarnKey);
  if (!PrefsLines[slot].empty()) ReplacePrefLine(slot, on ? kWarnCookies : kWarnPlaceholder);
  WritePrefsFile();
}

void Save(HWND page) {
  for (int box : kPlainFirst) Store(page, box);
  SaveCookieBlocker(page);
  SaveCookieWarning(page);
  Store(page, IDC_PREFS_FATDB);
  if (Store(page, IDC_PREFS_DIAG)) {
    ini::Write(szIniFile, kSecOptions, kKeyCow, "moo");
  } else {
    ini::Write(szIniFile, kSecOptions, kKeyCow, "oom");
    ini::Write(szIniFile, kSecDiagnostics, nullptr, nullptr);
  }
  Store(page, IDC_PREFS_UNRECOVER);
  Store(page, IDC_PREFS_BOOKBACK);
  if (Store(page, IDC_PREFS_ALTCFG))
    ini::Write(szIniFile, kSecOptions, kKeyMode, "Corel");
  else
    ini::Write(szIniFile, kSecOptions, kKeyMode, nullptr);
  plat::Prompt(nullptr, "Your Preferences have been saved.", "Saving Preferences", MB_ICONINFORMATION);
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
