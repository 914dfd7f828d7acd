// Which identity the browser presents, shown as the icon's colour and tip.
// The first stage reads the choice the main program's last clean run wrote
// into the configuration file; once the settings page has recorded where
// the Communicator profiles live ("profroot"), the second stage reads the
// current profile's own MPW-ID.INI and names the profile in the tip.
#include <cstring>
#include <string>

#include "config/names.h"
#include "config/tray_rules.h"
#include "ini.h"
#include "platform.h"
#include "registry.h"
#include "text/bounded.h"
#include "vesko.h"

namespace vesko {

namespace {

constexpr char kKeyIdentityInUse[] = "UserID";  // "userID" as the clean page spells it
constexpr char kNavigatorKey[] = "Software\\Netscape\\Netscape Navigator\\";
constexpr char kBiffKey[] = "Software\\Netscape\\Netscape Navigator\\Biff";
constexpr char kCurrentUserValue[] = "CurrentUser";

// The profile name from one key, when the key and a text value are there.
// The tip shows at most 24 characters of it; the profile's folder is named
// by the whole name, or a longer name would read another profile's file
// (one too long to keep names no folder).
void TakeCurrentUser(const char* keyPath) {
  std::string name;
  if (reg::ReadText(plat::Hkcu(), keyPath, kCurrentUserValue, name) != reg::Read::Ok) return;
  text::CopyCut(state.CurrentUser, name);
  if (!text::CopyWhole(state.profileFolder, name)) state.profileFolder[0] = '\0';
}

}  // namespace

void AddFirstIcon(HWND hwnd) {
  bool alias = ini::GetInt(state.szIniFile, kSecOptions, kKeyIdentityInUse, 0) != 0;
  AddIdentityIcon(hwnd, alias, tray::IdentityTip(alias).c_str());
}

void Refresh(HWND hwnd) {
  bool alias = ini::GetInt(state.szIniFile, kSecOptions, kKeyIdentityInUse, 0) != 0;
  ShowIdentity(hwnd, alias, tray::IdentityTip(alias).c_str());

  char profroot[150];
  ini::GetString(state.szIniFile, kSecCopyMe, kKeyProfRoot, kNotSet, profroot);
  if (std::strlen(profroot) < 3) return;

  // The browser's own key first; the later key wins when both name one.
  // Neither there: the name found last time stays.
  TakeCurrentUser(kNavigatorKey);
  TakeCurrentUser(kBiffKey);

  // A name that is no plain folder name (or none at all), or a path that
  // does not fit, names no file: it reads as "UserID" 0, as a missing file.
  text::CopyWhole(state.szProFile, tray::ProfileIdFile(profroot, state.profileFolder, sizeof state.szProFile - 1));

  alias = state.szProFile[0] && ini::GetInt(state.szProFile, kSecOptions, kKeyIdentityInUse, 0) != 0;
  ShowIdentity(hwnd, alias, tray::ProfileTip(state.CurrentUser, alias).c_str());
}

}  // namespace vesko
