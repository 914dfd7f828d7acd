// The settings page (dialog 500): the real identity and the alias the clean
// run switches between, the browser generation, and the browser directory.
// Save stores both identities in MOPWELL.INI and in the profile's
// MPW-ID.INI; the two version buttons act at once: they record the
// generation, point the browser's Navigator 3 registry locations at its
// install directory or remove them, and put the matching bookmark template
// in place. The identities are written into the browser only by the clean
// run, which is why Save refuses any value prefs.js could not take as it is.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cleaners.h"
#include "config/names.h"
#include "discovery.h"
#include "ini.h"
#include "mopwell.h"
#include "places.h"
#include "platform.h"
#include "prefs/pref_value.h"
#include "prefs_file.h"
#include "registry.h"
#include "resource.h"
#include "text/bounded.h"
#include "text/paths.h"

namespace {

constexpr char kNavigatorKey[] = "Software\\Netscape\\Netscape Navigator";
constexpr char kPlaceholder16[] = "\nuser_pref(\"browser.url_history.URL_16\", \"\");";
constexpr char kSaveTitle[] = "Saving settings";

// One identity field: its control, its record member, how much of it is
// kept, its INI key and how a message names it.
using Text = char[sizeof(IdentityRecord::user)];
struct Field {
  int control;
  Text IdentityRecord::*member;
  int kept;  // characters Save takes from the control
  const char* key;
  const char* label;
};
constexpr Field kRealFields[] = {
    {IDC_SETTINGS_REAL_NAME, &IdentityRecord::user, 49, kKeyUser, "Real identity, \"Your name\""},
    {IDC_SETTINGS_REAL_EMAIL, &IdentityRecord::address, 49, kKeyUserAddr, "Real identity, \"Email address\""},
    {IDC_SETTINGS_REAL_ORG, &IdentityRecord::organization, 49, kKeyUserOrg, "Real identity, \"Organization\""},
    {IDC_SETTINGS_REAL_SIG, &IdentityRecord::sigFile, 149, kKeySigFile, "Real identity, \"Signature file\""},
};
constexpr Field kAliasFields[] = {
    {IDC_SETTINGS_ALIAS_NAME, &IdentityRecord::user, 49, kKeyUser, "Your alias, \"Alias name\""},
    {IDC_SETTINGS_ALIAS_EMAIL, &IdentityRecord::address, 49, kKeyUserAddr, "Your alias, \"Email address\""},
    {IDC_SETTINGS_ALIAS_ORG, &IdentityRecord::organization, 49, kKeyUserOrg, "Your alias, \"Organization\""},
    {IDC_SETTINGS_ALIAS_SIG, &IdentityRecord::sigFile, 149, kKeySigFile, "Your alias, \"Signature file\""},
};
constexpr int kDirKept = 149;
// A bookmark template is a few kilobytes.
constexpr std::size_t kTemplateLimit = 4u << 20;

// The keys of a record in the order they are read, with the read limit
// used on MPW-ID.INI.
struct KeyRead {
  const char* key;
  Text IdentityRecord::*member;
  DWORD profileLimit;
};
constexpr KeyRead kReadOrder[] = {
    {kKeySigFile, &IdentityRecord::sigFile, 150},    {kKeyUserOrg, &IdentityRecord::organization, 50},
    {kKeyUserAddr, &IdentityRecord::address, 50},    {kKeyUser, &IdentityRecord::user, 50},
    {kKeyReplyTo, &IdentityRecord::replyTo, 50},
};

std::string Held(const char* field, std::size_t size) { return std::string(field, text::BoundedLen(field, size)); }
std::string Held(const Text& field) { return Held(field, sizeof field); }

// The identity the browser itself presents, as the page last found it: in
// a Communicator profile's prefs.js, or (Navigator 3) in the registry. The
// reply-to address and the mail login are kept beside it, so that the real
// identity taken from the browser gives them back exactly.
struct BrowserIdentity {
  bool fromPrefs = false;
  std::string name, address, organization, signature, replyTo, login;
  std::string held[kIdentityPrefs];  // its own lines of prefs.js, by kIdentityPrefKeys
};

// While the alias is in force the browser presents it, not the user: what
// the browser holds then is no real identity.
bool AliasInForce() { return ini::GetInt(szIniFile, kSecOptions, kKeyUserID, 0) != 0; }

// The real identity as stored, standing in for the browser's own while
// the browser presents the alias.
BrowserIdentity FromRecord(const IdentityRecord& r) {
  auto held = [](const char* field, std::size_t size) { return std::string(field, text::BoundedLen(field, size)); };
  auto stored = [](const std::string& v) { return !text::EqualsNoCase(v, kIdentityEmpty); };
  BrowserIdentity b;
  b.fromPrefs = true;
  b.name = held(r.user, sizeof r.user);
  b.address = held(r.address, sizeof r.address);
  b.organization = held(r.organization, sizeof r.organization);
  b.signature = held(r.sigFile, sizeof r.sigFile);
  std::string replyTo = held(r.replyTo, sizeof r.replyTo), login = held(r.popName, sizeof r.popName);
  b.replyTo = stored(replyTo) ? replyTo : b.address;
  b.login = stored(login) ? login : b.address;
  for (int i = 0; i < kIdentityPrefs; ++i) b.held[i] = held(r.held[i], sizeof r.held[i]);
  return b;
}

// What the page keeps between its messages.
struct SettingsState {
  BrowserIdentity browser;
};
SettingsState g_state;

// The page's view of the program-wide data it works on.
struct SettingsPage {
  HWND hwnd;

  std::string Get(int control) const {
    int length = GetWindowTextLengthA(GetDlgItem(hwnd, control));
    std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    int got = GetDlgItemTextA(hwnd, control, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
  }
  void Set(int control, const std::string& text) const { SetDlgItemTextA(hwnd, control, text.c_str()); }
  void ShowDir(const char* dir) const { SetDlgItemTextA(hwnd, IDC_SETTINGS_DIR, dir); }
};

void Limit(HWND page) {
  for (const Field* fields : {kRealFields, kAliasFields})
    for (int i = 0; i < 4; ++i) SendDlgItemMessageA(page, fields[i].control, EM_LIMITTEXT, fields[i].kept, 0);
  SendDlgItemMessageA(page, IDC_SETTINGS_DIR, EM_LIMITTEXT, kDirKept, 0);
}

// ---- Load ----

// The string value of the last line that sets `key` (the one the
// browser reads), escapes undone; nothing when no line sets it.
std::optional<std::string> PrefText(const char* key) {
  std::vector<int> slots = PrefLinesOf(key);
  if (slots.empty()) return std::nullopt;
  std::optional<std::string> held = prefs::CutValue(PrefsLines[slots.back()]);
  // A line without a string value gives an empty one.
  return held ? prefs::Unescape(*held) : std::string();
}

// The browser's identity from the prefs.js the line table holds, with
// the lines it was read from.
BrowserIdentity IdentityFromPrefs() {
  BrowserIdentity b;
  b.fromPrefs = true;
  b.organization = PrefText("mail.identity.organization").value_or("{empty}");
  b.name = PrefText("mail.identity.username").value_or(std::string());
  b.address = PrefText("mail.identity.useremail").value_or(std::string());
  b.signature = PrefText("mail.signature_file").value_or(std::string());
  b.replyTo = PrefText("mail.identity.reply_to").value_or(b.address);
  b.login = PrefText("mail.pop_name").value_or(b.address);
  for (int i = 0; i < kIdentityPrefs; ++i) {
    std::vector<int> slots = PrefLinesOf(kIdentityPrefKeys[i]);
    if (slots.empty()) continue;
    std::string line = PrefsLines[slots.back()];
    if (!line.empty() && line[0] == '\n') line.erase(0, 1);
    b.held[i] = line;
  }
  return b;
}

// The Navigator 3 identity from the registry; fields the key lacks keep
// what `b` holds.
void IdentityFromRegistry(BrowserIdentity& b) {
  std::string keyPath = Held(regit, sizeof regit) + "User";
  HKEY key;
  if (RegOpenKeyExA(plat::Hkcu(), keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  const struct {
    const char* name;
    std::string* field;
  } values[] = {{"Sig_File", &b.signature}, {"User_Organization", &b.organization}, {"User_Addr", &b.address},
                {"User_Name", &b.name},     {"Reply_To", &b.replyTo}};
  for (const auto& v : values) reg::ReadText(key, v.name, *v.field);
  RegCloseKey(key);
  b.login = b.address;
}

// Into the program-wide fields of the browser's identity.
void Publish(const BrowserIdentity& b) {
  text::CopyCut(Udata1, b.signature);
  text::CopyCut(Udata2, b.organization);
  text::CopyCut(Udata3, b.address);
  text::CopyCut(Udata4, b.name);
  text::CopyCut(Udata5, b.replyTo);
}

// The identity the browser in use presents: a Communicator profile's own
// prefs.js (the Navigator 3 registry key is another browser's), else the
// registry.
void ReadBrowserIdentity(bool communicator) {
  BrowserIdentity b;
  b.name = Held(Udata4, sizeof Udata4);
  b.address = Held(Udata3, sizeof Udata3);
  b.organization = Held(Udata2, sizeof Udata2);
  b.signature = Held(Udata1, sizeof Udata1);
  b.replyTo = Held(Udata5, sizeof Udata5);
  if (communicator && !AliasInForce()) {
    ReloadPrefsIfChanged();
    if (LineCount > 0) b = IdentityFromPrefs();
  }
  if (!b.fromPrefs) IdentityFromRegistry(b);
  g_state.browser = b;
  Publish(b);
}

void ReadStoredIdentities(bool communicator) {
  const char* browser[5] = {Udata1, Udata2, Udata3, Udata4, Udata5};
  for (int i = 0; i < 5; ++i) {
    const KeyRead& k = kReadOrder[i];
    const char* aliasDefault = i == 0 ? "" : kAliasNotEntered;
    ini::GetString(szIniFile, kSecAlias, k.key, aliasDefault, AliasIdentity.*k.member, 150);
  }
  for (int i = 0; i < 5; ++i) {
    const KeyRead& k = kReadOrder[i];
    ini::GetString(szIniFile, kSecRealid, k.key, Held(browser[i], sizeof Udata1).c_str(), RealIdentity.*k.member,
                   150);
  }
  if (!communicator) return;
  FormIdFilePath();
  if (szProFile[0] != '\0') {
    for (IdentityRecord* record : {&AliasIdentity, &RealIdentity}) {
      const char* section = record == &AliasIdentity ? kSecAlias : kSecRealid;
      for (const KeyRead& k : kReadOrder) {
        std::string def = Held(record->*k.member);
        ini::GetString(szProFile, section, k.key, def.c_str(), record->*k.member, k.profileLimit);
      }
    }
  }
  ReadBookmarkTemplatePath();
}

// The folder that holds the profile folders, ending in a backslash; empty
// without a profile folder that leads somewhere.
std::string ProfileRoot() {
  std::string dir = Held(RegProfileDir, sizeof RegProfileDir);
  std::optional<std::string> profile = dir.size() > 4 ? ResolvePlace(dir) : std::nullopt;
  if (!profile) return std::string();
  std::string root = paths::FolderOf(*profile);
  if (root.empty()) return std::string();
  if (root.back() != '\\') root += '\\';
  return root;
}

void Load(const SettingsPage& page) {
  const bool communicator = ini::GetInt(szIniFile, kSecOptions, kKeyMoz, 0) != 0;
  ReadBrowserIdentity(communicator);
  ReadStoredIdentities(communicator);
  if (communicator && AliasInForce()) g_state.browser = FromRecord(RealIdentity);
  ini::Write(szIniFile, kSecCopyMe, kKeyProfRoot, ProfileRoot().c_str());

  // A field shows what Save will keep of it.
  for (const Field& f : kRealFields) page.Set(f.control, Held(RealIdentity.*f.member).substr(0, f.kept));
  for (const Field& f : kAliasFields) page.Set(f.control, Held(AliasIdentity.*f.member).substr(0, f.kept));
  page.ShowDir(communicator ? ProfileDir : MainDir);
  if (text::BoundedLen(RegProfileDir, sizeof RegProfileDir) > 4) page.ShowDir(RegProfileDir);

  if (Held(AliasIdentity.address).find('?') != std::string::npos) {
    AppendPrefLine(kPlaceholder16);
    plat::Prompt(nullptr,
                 "Your alias settings haven't been set. Something HAS TO be there. Please enter alias ID "
                 "information, and then select the button for the version of Netscape you're using.\n\nBe "
                 "sure to hit the SAVE button below or your settings will be lost.",
                 "Reminder ...", MB_ICONINFORMATION);
  }
}

// ---- Save ----

// Whether the INI files give `value` back as it went in: a line break
// would split their lines (blanks and quotes around a value are kept by
// writing it quoted; prefs.js takes any text, escaped).
bool IniGivesBack(const std::string& value) { return value.find_first_of("\r\n") == std::string::npos; }

// The first field whose text the settings files could not keep, or null.
const Field* Unfit(const SettingsPage& page) {
  for (const Field* fields : {kRealFields, kAliasFields})
    for (int i = 0; i < 4; ++i) {
      std::string value = page.Get(fields[i].control).substr(0, static_cast<std::size_t>(fields[i].kept));
      if (!IniGivesBack(value)) return &fields[i];
    }
  return nullptr;
}

// The reply-to address and login of a record: the e-mail address, except
// that the real identity taken unchanged from the browser keeps the
// browser's own, and the lines it had, so that a real run gives back
// exactly what it had.
void SetReplyAndLogin(IdentityRecord& r, const BrowserIdentity* browser) {
  std::string address = Held(r.address);
  bool asFound = browser && !address.empty() && address == browser->address;
  text::CopyCut(r.replyTo, asFound ? browser->replyTo : address);
  text::CopyCut(r.popName, asFound ? browser->login : std::string(kIdentityEmpty));
  for (int i = 0; i < kIdentityPrefs; ++i) text::CopyCut(r.held[i], asFound ? browser->held[i] : std::string());
}

// What Save keeps of a real field: the browser's own value, whole, when the
// field shows it as far as the field goes (a value longer than the field
// takes is not cut by a Save that did not change it).
std::string RealValue(const std::string& typed, const std::string& browser, std::size_t kept) {
  return browser.size() > kept && typed == browser.substr(0, kept) ? browser : typed;
}

// Navigator 3's own identity, for a user of both generations: taken from
// its registry key while the real identity is in force (while the alias is,
// the key presents the alias).
void KeepNavigator3Identity() {
  if (ini::GetInt(szIniFile, kSecOptions, kKeyMoz, 0) == 0 || AliasInForce()) return;
  if (!reg::KeyExists(plat::Hkcu(), Held(regit, sizeof regit) + "User")) return;
  BrowserIdentity n;
  IdentityFromRegistry(n);
  IdentityRecord r{};
  text::CopyCut(r.user, n.name);
  text::CopyCut(r.address, n.address);
  text::CopyCut(r.organization, n.organization);
  text::CopyCut(r.sigFile, n.signature);
  text::CopyCut(r.replyTo, n.replyTo);
  text::CopyCut(r.popName, kIdentityEmpty);
  WriteIdentityRecord(szIniFile, kSecRealid3, r, false);
}

void NotSaved(const std::string& file) {
  std::string message = "Your settings could not be saved in " + file +
                        ". Make sure the file can be written (it may be read-only) and save again.";
  plat::Prompt(nullptr, message.c_str(), kSaveTitle, MB_ICONEXCLAMATION);
}

void Save(const SettingsPage& page) {
  if (const Field* bad = Unfit(page)) {
    std::string message = std::string("Nothing was saved. ") + bad->label +
                          " holds a line break, or is wrapped in quotes. The settings files cannot keep "
                          "that; please change it and save again.";
    plat::Prompt(nullptr, message.c_str(), kSaveTitle, MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(page.hwnd, bad->control));
    return;
  }
  std::string dir = page.Get(IDC_SETTINGS_DIR).substr(0, kDirKept);
  if (dir.find_first_of("\r\n") != std::string::npos) {
    plat::Prompt(nullptr,
                 "Nothing was saved. \"Netscape directory:\" holds a line break; please change it and save again.",
                 kSaveTitle, MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(page.hwnd, IDC_SETTINGS_DIR));
    return;
  }
  const BrowserIdentity& b = g_state.browser;
  const std::string browserValues[4] = {b.name, b.address, b.organization, b.signature};
  for (int i = 0; i < 4; ++i) {
    const Field& f = kRealFields[i];
    std::string typed = page.Get(f.control).substr(0, f.kept);
    text::CopyCut(RealIdentity.*f.member, RealValue(typed, browserValues[i], f.kept));
  }
  for (const Field& f : kAliasFields) text::CopyCut(AliasIdentity.*f.member, page.Get(f.control).substr(0, f.kept));
  SetReplyAndLogin(RealIdentity, &g_state.browser);
  SetReplyAndLogin(AliasIdentity, nullptr);
  // The directory typed is a hint for the next start, which checks it. The
  // folder the run protects changes only to a place that exists as such.
  if (std::optional<std::string> place = ResolvePlace(dir)) text::CopyWhole(MainDir, *place);

  bool ok = WriteIdentityRecord(szIniFile, kSecAlias, AliasIdentity, false);
  ok = WriteIdentityRecord(szIniFile, kSecRealid, RealIdentity, true) && ok;
  ok = ini::Write(szIniFile, kSecCopyMe, kKeyWhere, dir.c_str()) && ok;
  if (!ok) return NotSaved(ini::PathOf(szIniFile));
  KeepNavigator3Identity();
  // Only a profile in use has an MPW-ID.INI, and only one whose folder
  // resolved (szProFile is never a relative or root path).
  if (ini::GetInt(szIniFile, kSecOptions, kKeyMoz, 0) != 0 && szProFile[0] != '\0') {
    // Never written through a link or into a file with a second name.
    if (!UnshareName(szProFile)) {
      std::string message = std::string("Your settings have been saved, but not in ") + szProFile +
                            ": that name is shared with another file and cannot be made its own.";
      plat::Prompt(nullptr, message.c_str(), kSaveTitle, MB_ICONEXCLAMATION);
      return;
    }
    ok = WriteIdentityRecord(szProFile, kSecAlias, AliasIdentity, false);
    if (!(WriteIdentityRecord(szProFile, kSecRealid, RealIdentity, true) && ok)) return NotSaved(szProFile);
  }
  plat::Prompt(nullptr, "Your settings have been saved.", kSaveTitle, MB_ICONINFORMATION);
}

// ---- Version buttons ----

// The bookmark template for a browser generation becomes the one the
// bookmark step uses. MOPWELL.BKM is replaced whole, never written into.
void UseTemplate(const char* source) {
  std::string bytes;
  if (!ReadSmallFile(source, bytes, kTemplateLimit)) return;
  ReplaceFileWhole("MOPWELL.BKM", bytes);
}

// A Communicator profile has been found by the machine's registry or by
// NSCP.INI: its folder resolved into ProfileDir.
void MarkFound(const SettingsPage& page) {
  OSV = 2;
  page.ShowDir(ProfileDir);
  ini::Write(szIniFile, kSecCopyMe, kKeyWhere, ProfileDir);
  ini::Write(szIniFile, kSecCopyMe, kKeyCopyUserID, ProfileDir);
  ini::Write(szIniFile, kSecOptions, kKeyMoz, "4");
}

// Whether a profile folder and every store path below it fit their
// fields: a folder that does not is taken as none, never cut or emptied.
bool FolderFits(const std::string& folder) {
  return folder.size() < sizeof ProfileDir && paths::Join(folder, "bookmark.htm").size() < sizeof szBookmarkLoc &&
         folder.size() + 1 < sizeof RegProfileDir;
}

// Takes a folder named by the browser's settings: resolved, or not at all.
bool TakeProfile(const std::string& named) {
  std::optional<std::string> place = ResolvePlace(named);
  return place && FolderFits(*place) && text::CopyWhole(ProfileDir, *place);
}

// From the machine's registry, then NSCP.INI: the user name of the
// profile found, its folder resolved into ProfileDir; nothing when neither
// names a profile folder that leads somewhere.
std::optional<std::string> FindProfile(const SettingsPage& page) {
  std::string usersKey = Held(regit, sizeof regit) + "Users";
  std::string name, dirRoot;
  if (reg::ReadText(plat::Hklm(), usersKey, "CurrentUser", name) == reg::Read::Ok && !name.empty() &&
      reg::ReadText(plat::Hklm(), usersKey + "\\" + name, "DirRoot", dirRoot) != reg::Read::NoKey &&
      TakeProfile(dirRoot)) {
    MarkFound(page);
    for (const char* store : {"Cache", "Cookies", "Bookmark List", "History", "News", "Mail"})
      reg::DeleteTree(plat::Hkcu(), std::string(kNavigatorKey) + "\\" + store);
    return name;
  }
  char current[150] = "";
  DWORD got = ini::GetString("NSCP.INI", "Users Additional Info", "CurrentUser", kNotSet, current);
  if (got == 0) {
    ini::Write(szIniFile, kSecOptions, kKeyMoz, "0");
    return std::nullopt;
  }
  if (text::EqualsNoCase(current, kNotSet)) return std::nullopt;
  // Read whole: a folder cut to a buffer's size would be another folder.
  std::string folder = ini::GetString("NSCP.INI", "Users", current, "??", 1024);
  if (!TakeProfile(folder)) return std::nullopt;
  MarkFound(page);
  return std::string(current);
}

// Whether the real identity stored is one the user saved: not missing,
// not the "not entered" mark, and not merely the Navigator 3 identity the
// page offered before Communicator was chosen.
bool RealIdentityIsTheUsers() {
  std::string stored = ini::GetString(szIniFile, kSecRealid, kKeyUserAddr, "", 150);
  if (stored.empty() || text::EqualsNoCase(stored, kAliasNotEntered)) return false;
  BrowserIdentity navigator3;
  IdentityFromRegistry(navigator3);
  return navigator3.address.empty() || stored != navigator3.address;
}

// The browser's identity from the profile's prefs.js, into the real
// identity fields while the user has not saved one of their own.
bool TakeIdentityFromPrefs(const SettingsPage& page) {
  std::string prefsPath = paths::Join(Held(ProfileDir, sizeof ProfileDir), "prefs.js");
  text::CopyWhole(PrefsFile, prefsPath);
  if (!LoadPrefsFile(prefsPath.c_str())) {
    plat::Prompt(nullptr, "Java file not found", "Java error:", MB_ICONEXCLAMATION);
    return false;
  }
  // While the alias is in force prefs.js presents it: the real identity
  // stays as stored.
  if (AliasInForce()) return true;
  g_state.browser = IdentityFromPrefs();
  Publish(g_state.browser);
  if (!RealIdentityIsTheUsers()) {
    const BrowserIdentity& b = g_state.browser;
    page.Set(IDC_SETTINGS_REAL_NAME, b.name.substr(0, 49));
    page.Set(IDC_SETTINGS_REAL_EMAIL, b.address.substr(0, 49));
    page.Set(IDC_SETTINGS_REAL_ORG, b.organization.substr(0, 49));
    page.Set(IDC_SETTINGS_REAL_SIG, b.signature.substr(0, 149));
  }
  return true;
}

void Version4(const SettingsPage& page) {
  ini::Write(szIniFile, kSecOptions, kKeyNT, "2");
  std::optional<std::string> user = FindProfile(page);
  CheckNSReg();
  std::string fromRegistryFile = Held(RegProfileDir, sizeof RegProfileDir);
  std::optional<std::string> profile =
      fromRegistryFile.size() > 4 ? ResolvePlace(fromRegistryFile) : std::nullopt;
  if (profile && !FolderFits(*profile)) {
    // Too long for the fields it would fill: as if the file named none.
    profile.reset();
    text::CopyCut(RegProfileDir, "\\");
  }
  if (profile) {
    UseProfileFolder(*profile);
    // Found by the browser's registry file alone, it is in use as surely
    // as one the other routes found.
    MarkFound(page);
  } else if (user) {
    // Found without a registry file: the profile the other routes named
    // stands in for it, so that Save and the next run use it.
    profile = std::string(ProfileDir, text::BoundedLen(ProfileDir, sizeof ProfileDir));
    text::CopyWhole(RegProfileDir, *profile + "\\");
    text::CopyCut(CurrentUser, *user);
    UseProfileFolder(*profile);
  }
  // MPW-ID.INI follows what was found now: after a failed detection a
  // Save writes no earlier profile's file.
  FormIdFilePath();
  if (!profile) {
    plat::Prompt(nullptr, "Netscape 4.xx failed detection.", "Error!", MB_ICONEXCLAMATION);
  } else if (!TakeIdentityFromPrefs(page)) {
    return;
  }
  UseTemplate("MOPWELL.BK4");
}

void Version3(const SettingsPage& page) {
  ini::Write(szIniFile, kSecOptions, kKeyNT, "1");
  ini::Write(szIniFile, kSecOptions, kKeyMoz, "0");
  OSV = 1;
  std::string named;
  reg::ReadText(plat::Hkcu(), Held(regit, sizeof regit) + "Main", "Install Directory", named);
  std::optional<std::string> install = ResolvePlace(named);
  if (!install || install->size() >= sizeof ProfileDir) {
    // Without an install directory every location would be a path at a
    // drive's root: they stay as they were.
    plat::Prompt(nullptr,
                 "Netscape 3.xx failed detection: its install directory is not in the registry. Netscape's "
                 "file locations were left as they were.",
                 "Error!", MB_ICONEXCLAMATION);
  } else {
    text::CopyWhole(MainDir, *install);
    text::CopyWhole(ProfileDir, *install);
    page.ShowDir(MainDir);
    ini::Write(szIniFile, kSecCopyMe, kKeyCopyUserID, install->c_str());
    const struct {
      const char* subkey;
      const char* value;
      const char* name;
    } rows[] = {{"Bookmark List", "File Location", "bookmark.htm"}, {"History", "History File", "netscape.hst"},
                {"Cookies", "Cookie File", "cookies.txt"},          {"Cache", "Cache Dir", "cache"},
                {"News", "News Directory", "News"},                 {"Mail", "Mail Directory", "Mail"}};
    for (const auto& row : rows)
      reg::WriteText(plat::Hkcu(), std::string(kNavigatorKey) + "\\" + row.subkey, row.value,
                     paths::Join(*install, row.name));
  }
  UseTemplate("MOPWELL.BK3");
}

}  // namespace

INT_PTR CALLBACK DlgProc4(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  SettingsPage page{hwnd};
  switch (msg) {
    case WM_INITDIALOG:
      Limit(hwnd);
      PostMessageA(hwnd, WM_PAGEREFRESH, 0, 0);
      return TRUE;
    case WM_PAGEREFRESH:
      Load(page);
      return TRUE;
    case WM_COMMAND:
      if (lParam == 0 || HIWORD(wParam) != BN_CLICKED) return TRUE;  // Enter and Escape do nothing
      switch (LOWORD(wParam)) {
        case IDC_SETTINGS_SAVE: Save(page); break;
        case IDC_SETTINGS_UNDO: PostMessageA(hwnd, WM_PAGEREFRESH, 0, 0); break;
        case IDC_SETTINGS_V4: Version4(page); break;
        case IDC_SETTINGS_V3: Version3(page); break;
        default: break;
      }
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return TRUE;
    default:
      return FALSE;
  }
}
