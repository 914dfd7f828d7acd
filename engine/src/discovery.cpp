// Discovery of the browser's files and identity. Runs once while the main
// window is created, right after the profile registry lookup. It works in
// stages; a later stage overwrites what an earlier one found.
//
// Paths are never cut to fit a field: a cut path names another folder (the
// profile folder instead of its cache, say), so a path that does not fit is
// left empty and the steps that use it find nothing. Texts (identity, typed
// addresses) are cut at the field size.
#include <optional>
#include <string>

#include "config/names.h"
#include "discovery.h"
#include "engine.h"
#include "ini.h"
#include "places.h"
#include "platform.h"
#include "registry.h"
#include "text/bounded.h"
#include "text/paths.h"

namespace {

constexpr char kPlainKey[] = "Software\\Netscape\\Netscape Navigator\\";
constexpr char kCorelKey[] = "Software\\Corel\\Corel Netscape\\Netscape Navigator\\";
constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kNscpIni[] = "NSCP.INI";

// Staging sizes of the registry reads.
constexpr size_t kDirStage = 190;
constexpr size_t kTextStage = 180;

// The staging buffers that survive across stages.
struct Staging {
  std::string mainDir;
  std::string identity[5];  // signature, organization, address, name, reply-to
};

std::string WorkingDirectory() {
  char cwd[MAX_PATH + 1] = "";
  DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  return (n == 0 || n >= sizeof cwd) ? std::string() : std::string(cwd, n);
}

// A directory value read from the registry or a setting: resolved, and
// kept only when it resolves and fits the staging buffer whole; anything
// else is "not found" (empty), never a relative name.
void TakeDir(const std::string& value, std::string& staging) {
  std::optional<std::string> place = ResolvePlace(value);
  staging = place && place->size() < kDirStage ? *place : std::string();
}

// A store's folder or file (news, mail, cache, cookies, ...) as the value
// names it, links not followed: the clean run's gate judges the link.
void TakeStore(const std::string& value, std::string& staging) {
  std::optional<std::string> place = NamedPlace(value);
  staging = place && place->size() < kDirStage ? *place : std::string();
}

// A file or folder below a folder that was found; nothing below none.
std::string Below(const std::string& folder, const char* name) {
  return folder.empty() ? std::string() : paths::Join(folder, name);
}

void TakeText(const std::string& value, std::string& staging) {
  staging = value.substr(0, kTextStage - 1);
}

// Registry read under HKEY_CURRENT_USER (or HKEY_LOCAL_MACHINE): a missing
// key or value leaves `out` as it was.
reg::Read ReadUser(const std::string& key, const char* value, std::string& out) {
  std::string got;
  reg::Read r = reg::ReadText(plat::Hkcu(), key, value, got);
  if (r == reg::Read::Ok) out = got;
  return r;
}

// ---- stages ----

void ProgramFiles() {
  std::string dir = WorkingDirectory();
  text::CopyWhole(TemplateFile, paths::Join(dir, "MOPWELL.BKM"));
  text::CopyWhole(helpLoc, paths::Join(dir, "MOPWELL.HLP"));
  ini::Write(szIniFile, kSecCopyMe, kKeyWhich, TemplateFile);
}

void Defaults(Staging& st) {
  std::string windows = plat::Get().WindowsDirectory();
  if (windows.size() > 160) windows.clear();
  st.mainDir = windows;
  text::CopyWhole(szDocDir, windows + "\\RECENT");
  OSV = ini::GetInt(szIniFile, kSecOptions, kKeyNT, 1);
}

void RegistryRoot() {
  if (!reg::KeyExists(plat::Hkcu(), kCorelKey)) {
    text::CopyCut(regit, kPlainKey);
    return;
  }
  std::string mode = ini::GetString(szIniFile, kSecOptions, kKeyMode, kPlainKey, 150);
  text::CopyCut(regit, mode.find("Corel") != std::string::npos ? kPlainKey : kCorelKey);
}

void NavigatorDirectories(Staging& st) {
  // An install directory that does not resolve (a drive's root, a text
  // too long for its field) counts as not read: the default stands.
  std::string value, install;
  if (ReadUser(std::string(regit) + "Main", "Install Directory", value) == reg::Read::Ok) {
    TakeDir(value, install);
    if (!install.empty()) st.mainDir = install;
  }
  text::CopyWhole(MainDir, st.mainDir);

  std::string news, newsValue;
  if (ReadUser(std::string(regit) + "News", "News Directory", newsValue) == reg::Read::Ok) TakeStore(newsValue, news);
  text::CopyWhole(szNewsLoc, news);

  std::string mailValue, mail;
  reg::Read mailRead = reg::ReadText(plat::Hkcu(), std::string(regit) + "Mail", "Mail Directory", mailValue);
  if (mailRead != reg::Read::NoKey) {
    if (mailRead == reg::Read::Ok) TakeStore(mailValue, mail);
    text::CopyWhole(szMail, mail);
  }
  if (text::BoundedLen(szMail, sizeof szMail) < 5) text::CopyWhole(szMail, Below(MainDir, "mail"));

  Trace("Version", "MPW450");
  Trace("Build", MOPWELL_BUILD);
  Trace("Startup", "normal 32 bit");
  Trace("MainDir from registry", MainDir);
  Trace("szNewsL", szNewsLoc);
  Trace("szMailReg", szMail);
  Trace("UsesReg", "OK");
  Trace("regitVal", regit);
}

// The browser directory the user typed on the settings page is kept when
// it really holds a Navigator installation. It is a hint only: the main
// directory stays the one the browser's own settings name.
void CheckChosenDirectory() {
  std::string where = ini::GetString(szIniFile, kSecCopyMe, kKeyWhere, kNotSet, 260);
  if (text::EqualsNoCase(where, kNotSet) || text::EqualsNoCase(where, "QUIT") || !paths::IsAbsolute(where))
    return;
  std::string netscapeIni = paths::Join(where, "NETSCAPE.INI");
  std::string fancy = ini::GetString(netscapeIni.c_str(), "Main", "Fancy News", "\x01", 8);
  if (fancy != "\x01") ini::Write(szIniFile, kSecCopyMe, kKeyWhere, where.c_str());
}

struct FileRow {
  char* field;
  size_t size;
  const char* customsKey;
  const char* subkey;
  const char* value;
  const char* fileName;
  const char* traceKey;
};

void NavigatorFiles() {
  const FileRow rows[] = {
      {szBookmarkLoc, sizeof szBookmarkLoc, kKeyCustBookmarks, "Bookmark List", "File Location", "bookmark.htm", "Bookmar"},
      {szCacheLoc, sizeof szCacheLoc, kKeyCustCache, "Cache", "Cache Dir", "cache", "szCache"},
      {szCookieLoc, sizeof szCookieLoc, kKeyCustCookies, "Cookies", "Cookie File", "cookies.txt", "Cookies"},
      {HistLoc, sizeof HistLoc, kKeyCustHistory, "History", "History File", "netscape.hst", "HistLoc"},
  };
  for (const FileRow& row : rows) {
    // Read in full, so an override too long for the field is seen as such.
    std::string buffer = ini::GetString(szIniFile, kSecCustoms, row.customsKey, kNoOverride, 1024);
    if (buffer.size() > 199) buffer.clear();
    if (buffer.find('*') != std::string::npos) {
      std::string value;
      reg::Read r = reg::ReadText(plat::Hkcu(), std::string(regit) + row.subkey, row.value, value);
      if (r == reg::Read::NoKey)
        buffer = Below(MainDir, row.fileName);
      else if (r == reg::Read::Ok)
        buffer = value;
    }
    TakeStore(buffer, buffer);
    text::CopyWhole(row.field, row.size, buffer);
    Trace(row.traceKey, row.field);
  }
}

void TypedUrls() {
  for (int i = 1; i <= 10; ++i) {
    std::string value;
    std::string name = "URL_" + std::to_string(i);
    ReadUser(std::string(regit) + "URL History", name.c_str(), value);
    text::CopyCut(TypedUrl(i), 91, value.substr(0, kTextStage - 1));
  }
  Trace("Url1Loc", URL1);
}

void NavigatorIdentity(Staging& st) {
  const char* names[5] = {"Sig_File", "User_Organization", "User_Addr", "User_Name", "Reply_To"};
  for (int i = 0; i < 5; ++i) {
    std::string value;
    if (ReadUser(std::string(regit) + "User", names[i], value) == reg::Read::Ok) TakeText(value, st.identity[i]);
  }
}

void MarkCommunicatorFound(const char* folder) {
  OSV = 2;
  ini::Write(szIniFile, kSecCopyMe, kKeyWhere, folder);
  ini::Write(szIniFile, kSecCopyMe, kKeyCopyUserID, folder);
  ini::Write(szIniFile, kSecOptions, kKeyMoz, "4");
}

void CommunicatorProfile() {
  std::string name;
  std::string usersKey = std::string(regit) + "Users";
  std::string userKey;
  if (reg::ReadText(plat::Hklm(), usersKey, "CurrentUser", name) != reg::Read::NoKey) {
    name = name.substr(0, kTextStage - 1);
    text::CopyCut(User40, name);
    userKey = usersKey + "\\" + name;
  }
  std::string dirRoot;
  reg::Read r = userKey.empty() ? reg::Read::NoKey : reg::ReadText(plat::Hklm(), userKey, "DirRoot", dirRoot);
  // A profile folder that does not resolve (relative, a drive's root)
  // would put every store in the wrong place: treated as no profile.
  std::optional<std::string> place = ResolvePlace(dirRoot);
  if (r != reg::Read::NoKey && place && text::CopyWhole(DirRoot, *place)) {
    MarkCommunicatorFound(DirRoot);
    UseProfileFolder(DirRoot);
    return;
  }

  std::string current = ini::GetString(kNscpIni, "Users Additional Info", "CurrentUser", kNotSet, 150);
  text::CopyCut(ProfileDir, current);
  if (current.empty()) {
    ini::Write(szIniFile, kSecOptions, kKeyMoz, "0");
    plat::Prompt(nullptr,
                 "Communicator 4 was not detected.\n\nIf you are using Communicator, something is wrong "
                 "with your preferences settings. Run Communicator and let it rebuild the file and try "
                 "again.",
                 "Whoops!", MB_ICONEXCLAMATION);
    return;
  }
  if (text::EqualsNoCase(current, kNotSet)) return;
  // Read whole: a folder cut to the field's size would be another folder,
  // so one too long for it is none.
  std::string folder = ini::GetString(kNscpIni, "Users", current.c_str(), "??", 1024);
  if (!text::CopyWhole(ProfileDir, folder)) return;
  MarkCommunicatorFound(ProfileDir);
}

void RegistryFileOverride() {
  std::string current(RegProfileDir, text::BoundedLen(RegProfileDir, sizeof RegProfileDir));
  std::string value = ini::GetString(szIniFile, kSecCustoms, kKeyNsreg, current.c_str(), 1024);
  if (value.size() > 199) value.clear();  // a cut folder is another folder
  text::CopyWhole(RegProfileDir, value);
  // Without a location in the registry file this is "name\": no folder.
  // A folder that does not resolve (a drive's root, "C:\.") is none either.
  std::optional<std::string> folder = value.size() > 4 ? ResolvePlace(value) : std::nullopt;
  if (folder) UseProfileFolder(*folder);
  Trace("szNewsL", szNewsLoc);
  Trace("szMailReg", szMail);
  Trace("Bookmar", szBookmarkLoc);
  Trace("szCache", szCacheLoc);
  Trace("Cookies", szCookieLoc);
  Trace("HistLoc", HistLoc);
}

void Identity(const Staging& st) {
  char* fields[5] = {Udata1, Udata2, Udata3, Udata4, Udata5};
  for (int i = 0; i < 5; ++i) text::CopyCut(fields[i], 150, st.identity[i]);
  Trace("NSUserN", Udata4);
  Trace("NSUserA", Udata3);
}

void RecentDocuments() {
  std::string recent;
  if (reg::ReadText(plat::Hkcu(), kShellFolders, "Recent", recent) == reg::Read::Ok &&
      recent.size() < kDirStage) {
    char expanded[200] = "";
    DWORD n = ExpandEnvironmentStringsA(recent.c_str(), expanded, sizeof expanded);
    std::string folder;
    if (n > 0 && n <= sizeof expanded) TakeStore(expanded, folder);
    text::CopyWhole(szDocDir, folder);
  }
  if (text::BoundedLen(szDocDir, sizeof szDocDir) <= 4) {
    std::string windows = plat::Get().WindowsDirectory();
    text::CopyWhole(szDocDir, windows + "\\RECENT");
  }
}

}  // namespace

void UseProfileFolder(const std::string& folder) {
  text::CopyWhole(ProfileDir, folder);
  text::CopyWhole(szMail, paths::Join(folder, "mail"));
  text::CopyWhole(szBookmarkLoc, paths::Join(folder, "bookmark.htm"));
  text::CopyWhole(szCacheLoc, paths::Join(folder, "cache"));
  text::CopyWhole(szCookieLoc, paths::Join(folder, "cookies.txt"));
  text::CopyWhole(HistLoc, paths::Join(folder, "netscape.hst"));
  text::CopyWhole(szNewsLoc, paths::Join(folder, "news"));
}

void getIt() {
  Staging st;
  ProgramFiles();
  Defaults(st);
  ReadDiagnosticsSwitch();
  RegistryRoot();
  NavigatorDirectories(st);
  CheckChosenDirectory();
  NavigatorFiles();
  TypedUrls();
  NavigatorIdentity(st);
  CommunicatorProfile();
  RegistryFileOverride();
  // The preference stage writes into the profile folder: only a folder
  // that resolves to a real place below a drive's root.
  size_t profileLen = text::BoundedLen(ProfileDir, sizeof ProfileDir);
  std::optional<std::string> profile = profileLen >= 5 ? ResolvePlace(ProfileDir) : std::nullopt;
  if (profile && text::CopyWhole(ProfileDir, *profile)) {
    PreferenceStage(st.identity);
    for (std::string& value : st.identity) value = value.substr(0, kTextStage - 1);
  }
  Identity(st);
  RecentDocuments();
}
