// The places the gate keeps, how a named place is examined, and the held
// folders the clean run works in.
#include "clean_gate.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "config/names.h"
#include "folder_walk.h"
#include "globals.h"
#include "ini.h"
#include "platform.h"
#include "registry.h"
#include "step_settings.h"
#include "text/bounded.h"
#include "text/paths.h"

namespace {

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kWindowsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion";

std::string Field(const char* field, std::size_t size) { return std::string(field, text::BoundedLen(field, size)); }
template <std::size_t N>
std::string Field(const char (&field)[N]) {
  return Field(field, N);
}

// A shell folder value may hold %VARIABLES%.
std::string Expanded(const std::string& value) {
  if (value.find('%') == std::string::npos) return value;
  char out[MAX_PATH * 2] = "";
  DWORD n = ExpandEnvironmentStringsA(value.c_str(), out, sizeof out);
  return n > 0 && n <= sizeof out ? std::string(out) : std::string();
}

}  // namespace

std::optional<gate::PlaceId> PlaceIdOf(const std::wstring& reach) {
  HANDLE h = CreateFileW(reach.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  bool known = GetFileInformationByHandle(h, &info) != 0;
  CloseHandle(h);
  if (!known) return std::nullopt;
  return gate::PlaceId{info.dwVolumeSerialNumber,
                       (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

namespace {

class KeptList {
 public:
  void Add(const std::string& named, gate::Role role, const char* name, unsigned owners = 0) {
    if (named.empty()) return;
    std::optional<std::string> place = ResolvePlace(named);
    if (place) list.push_back({*place, role, name, owners, IdentityOf(*place)});
  }
  std::vector<gate::Kept> list;
};

constexpr char kPlainKey[] = "Software\\Netscape\\Netscape Navigator\\";
constexpr char kCorelKey[] = "Software\\Corel\\Corel Netscape\\Netscape Navigator\\";

// What the browser keeps besides the profile in use: the stores its
// registry names (those of Navigator 3 when Communicator is in use, and
// the other way round), and every other Communicator profile, by the
// machine's list of users and by the folders beside the profile in use
// that hold a prefs.js.
void AddOtherStores(KeptList& k) {
  using gate::Bit;
  using gate::Role;
  using gate::Use;
  plat::Platform& p = plat::Get();
  const unsigned news = Bit(Use::NewsFolder) | Bit(Use::NewsServer);
  const struct {
    const char* subkey;
    const char* value;
    Role role;
    const char* name;
    unsigned owners;
  } stores[] = {
      {"Mail", "Mail Directory", Role::Closed, "a mail folder of the browser's", Bit(Use::MailFiles)},
      {"News", "News Directory", Role::Closed, "a news folder of the browser's", news},
      {"Cache", "Cache Dir", Role::Closed, "a cache folder of the browser's", Bit(Use::Cache)},
      {"Cookies", "Cookie File", Role::File, "a cookie file of the browser's", Bit(Use::CookieFile)},
      {"History", "History File", Role::File, "a history file of the browser's", Bit(Use::HistoryFile)},
      {"Bookmark List", "File Location", Role::File, "a bookmark file of the browser's", Bit(Use::BookmarkFile)},
  };
  for (const char* root : {kPlainKey, kCorelKey}) {
    for (const auto& store : stores) {
      std::string value;
      if (reg::ReadText(p.CurrentUser(), std::string(root) + store.subkey, store.value, value) == reg::Read::Ok)
        k.Add(value, store.role, store.name, store.owners);
    }
  }
  // The profile in use is the browser's folder for its summary files;
  // every other one is no place of this run's.
  std::optional<std::string> current = ResolvePlace(Field(ProfileDir));
  auto addProfile = [&](const std::string& folder) {
    std::optional<std::string> place = ResolvePlace(folder);
    if (!place || (current && SamePlace(*place, *current))) return;
    k.Add(*place, Role::Holder, "another profile folder of the browser's");
  };
  for (const char* root : {kPlainKey, kCorelKey}) {
    std::string users = std::string(root) + "Users";
    HKEY key;
    if (RegOpenKeyExA(p.LocalMachine(), users.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    std::vector<std::string> names = reg::SubkeyNames(key);
    RegCloseKey(key);
    for (const std::string& name : names) {
      std::string dirRoot;
      if (reg::ReadText(p.LocalMachine(), users + "\\" + name, "DirRoot", dirRoot) == reg::Read::Ok)
        addProfile(dirRoot);
    }
  }
  if (current) {
    std::string holder = paths::FolderOf(*current);
    for (const std::string& name : ListNames(holder, [](const WIN32_FIND_DATAA& f) {
           return (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && lstrcmpA(f.cFileName, ".") != 0 &&
                  lstrcmpA(f.cFileName, "..") != 0;
         })) {
      std::string folder = paths::Join(holder, name);
      if (GetFileAttributesA(paths::Join(folder, "prefs.js").c_str()) != INVALID_FILE_ATTRIBUTES) addProfile(folder);
    }
  }
}

}  // namespace

std::vector<gate::Kept> KeptPlaces() {
  using gate::Bit;
  using gate::Role;
  using gate::Use;
  KeptList k;
  plat::Platform& p = plat::Get();

  k.Add(p.WindowsDirectory(), Role::Windows, "the Windows folder");
  k.Add(p.SystemDirectory(), Role::Closed, "the Windows system folder");
  k.Add(p.ProgramDirectory(), Role::Closed, "this program's folder");

  // The user's own folders, as Windows records them for this user and for
  // everybody.
  const char* closedUser[] = {"Desktop",  "Personal", "My Pictures", "My Music", "My Video", "Favorites", "Start Menu",
                              "Programs", "Startup",  "SendTo",      "Templates", "Fonts"};
  for (const char* name : closedUser) {
    std::string value;
    if (reg::ReadText(p.CurrentUser(), kShellFolders, name, value) == reg::Read::Ok)
      k.Add(Expanded(value), Role::Closed, "one of the user's own folders");
  }
  const char* closedCommon[] = {"Common Desktop", "Common Documents", "Common Programs", "Common Start Menu",
                                "Common Startup"};
  for (const char* name : closedCommon) {
    std::string value;
    if (reg::ReadText(p.LocalMachine(), kShellFolders, name, value) == reg::Read::Ok)
      k.Add(Expanded(value), Role::Closed, "a folder all users share");
  }
  for (const char* name : {"AppData", "Local AppData", "Local Settings"}) {
    std::string value;
    if (reg::ReadText(p.CurrentUser(), kShellFolders, name, value) == reg::Read::Ok)
      k.Add(Expanded(value), Role::Holder, "the user's application data folder");
  }
  std::string programFiles;
  if (reg::ReadText(p.LocalMachine(), kWindowsKey, "ProgramFilesDir", programFiles) == reg::Read::Ok)
    k.Add(programFiles, Role::Holder, "the folder of installed programs");
  char profile[MAX_PATH] = "";
  DWORD n = GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile);
  if (n > 0 && n < sizeof profile) k.Add(profile, Role::Holder, "the user's profile folder");

  // The browser's folders, and every store it keeps: each store is the
  // own of the step that empties it.
  // The browser keeps its summary files in its main folder, which for a
  // Communicator profile is the profile folder.
  const unsigned summaries = Bit(Use::BrowserFiles);
  k.Add(Field(ProfileDir), Role::Holder, "the profile folder", summaries);
  k.Add(Field(DirRoot), Role::Holder, "the profile folder", summaries);
  std::string registered = Field(RegProfileDir);
  if (registered.size() > 4) k.Add(registered, Role::Holder, "the profile folder", summaries);
  std::string mainDir = Field(MainDir);
  k.Add(mainDir, Role::Holder, "the browser's folder", Bit(Use::BrowserFiles));
  if (Field(regit).size() > 0) {
    std::string install;
    if (reg::ReadText(p.CurrentUser(), Field(regit) + "Main", "Install Directory", install) == reg::Read::Ok)
      k.Add(install, Role::Holder, "the browser's install folder", summaries);
  }
  AddOtherStores(k);
  k.Add(Field(szMail), Role::Closed, "the mail folder", Bit(Use::MailFiles));
  const unsigned news = Bit(Use::NewsFolder) | Bit(Use::NewsServer);
  k.Add(Field(szNewsLoc), Role::Closed, "the news folder", news);
  k.Add(Field(NewsPrefjs), Role::Closed, "the news folder", news);
  k.Add(Field(szCacheLoc), Role::Closed, "the cache folder", Bit(Use::Cache));
  if (!mainDir.empty()) k.Add(paths::Join(mainDir, "archive"), Role::Closed, "the archive folder", Bit(Use::Archive));
  k.Add(Field(szDocDir), Role::Closed, "the recent documents folder", Bit(Use::Recent));

  // Files no step may take but its own.
  std::string profileDir = Field(ProfileDir);
  if (!profileDir.empty()) k.Add(paths::Join(profileDir, "prefs.js"), Role::File, "prefs.js");
  k.Add(Field(PrefsFile), Role::File, "prefs.js");
  k.Add(Field(szProFile), Role::File, "the identity file MPW-ID.INI");
  if (registered.size() > 4) k.Add(registered + "MPW-ID.INI", Role::File, "the identity file MPW-ID.INI");
  k.Add(plat::InWindowsDirectory(szIniFile), Role::File, "MOPWELL.INI");
  k.Add(Field(HistLoc), Role::File, "the history file", Bit(Use::HistoryFile));
  k.Add(Field(szCookieLoc), Role::File, "the cookie file", Bit(Use::CookieFile));
  k.Add(Field(szBookmarkLoc), Role::File, "the bookmark file", Bit(Use::BookmarkFile));
  for (const std::string& sig : {Field(AliasIdentity.sigFile), Field(RealIdentity.sigFile), Field(Udata1)})
    k.Add(sig, Role::File, "a signature file");
  k.Add(Field(szFixBookmark), Role::File, "the bookmark template");
  k.Add(Field(TemplateFile), Role::File, "the bookmark template");
  std::string vnet = ini::GetString(szIniFile, kSecCustoms, kKeyVnet, "=", MAX_PATH);
  if (vnet != "=") k.Add(vnet, Role::File, "the browser's settings file");
  gate::DropFalseStores(k.list);
  return k.list;
}

gate::Identity IdentityOf(const std::string& path) {
  gate::Identity id;
  std::wstring w = Widen(path);
  if (w.size() < 3 || w[1] != L':') return id;
  while (w.size() > 3 && (w.back() == L'\\' || w.back() == L'/')) w.pop_back();
  id.self = PlaceIdOf(L"\\\\?\\" + w + (w.size() == 2 ? L"\\" : L""));
  // Each folder above, up to the drive's root.
  for (std::wstring::size_type cut = w.find_last_of(L"\\/"); cut != std::wstring::npos && cut >= 2;
       cut = w.find_last_of(L"\\/")) {
    w.resize(cut);
    std::wstring reach = L"\\\\?\\" + w + (w.size() == 2 ? L"\\" : L"");
    if (std::optional<gate::PlaceId> above = PlaceIdOf(reach)) id.above.push_back(*above);
    if (w.size() == 2) break;
  }
  return id;
}

gate::Candidate Examine(const std::string& named) {
  gate::Candidate c;
  if (!paths::IsAbsolute(named) || named.size() < 3 || named[1] != ':' || named.find('\0') != std::string::npos)
    return c;
  std::string full = FullLongPath(named);
  std::optional<std::vector<std::string>> parts = paths::Components(full);
  if (!parts) return c;
  std::string step = (*parts)[0] + "\\";
  for (std::size_t i = 1; i < parts->size(); ++i) {
    step = paths::Join(step, (*parts)[i]);
    DWORD attributes = GetFileAttributesA(step.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) break;  // the rest is not there (yet)
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) c.viaLink = true;
  }
  c.path = (*parts)[0] + "\\";
  for (std::size_t i = 1; i < parts->size(); ++i) c.path = paths::Join(c.path, (*parts)[i]);
  c.identity = IdentityOf(c.path);
  return c;
}

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
  return out;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

HeldPlace::HeldPlace(const std::string& path)
    : path_(path), reach_(L"\\\\?\\" + Widen(path)), pin_(std::make_unique<PlacePin>(Widen(path))) {}

HeldPlace::HeldPlace(const HeldPlace& parent, const std::wstring& name)
    : path_(paths::Join(parent.path_, Narrow(name))),
      reach_(parent.reach_ + L"\\" + name),
      pin_(std::make_unique<PlacePin>(reach_.substr(4))) {}

bool ListFolder(const HeldPlace& folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  WIN32_FIND_DATAW found;
  HANDLE find = plat::Get().FindFirst((folder.reach() + L"\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) {
    // An existing folder always lists "." at least; nothing at all is
    // only right for a folder that is not there.
    DWORD error = GetLastError();
    return folder.state() == PlacePin::State::Missing &&
           (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
  }
  do {
    std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({name, Narrow(name), found.dwFileAttributes});
  } while (plat::Get().FindNext(find, &found));
  DWORD error = GetLastError();
  FindClose(find);
  return error == ERROR_NO_MORE_FILES;
}

bool CreateWhole(const HeldPlace& folder, const std::wstring& name, const std::string& bytes) {
  if (folder.state() != PlacePin::State::Held) return false;
  std::wstring path = folder.reach() + L"\\" + name;
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    DWORD piece = bytes.size() - done < (1u << 20) ? static_cast<DWORD>(bytes.size() - done) : (1u << 20);
    DWORD wrote = 0;
    ok = WriteFile(out, bytes.data() + done, piece, &wrote, nullptr) && wrote == piece;
    done += wrote;
  }
  ok = FlushFileBuffers(out) && ok;
  if (!CloseHandle(out)) ok = false;
  if (!ok) DeleteFileW(path.c_str());
  return ok;
}
