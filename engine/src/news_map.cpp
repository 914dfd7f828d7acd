// Repair of the news reader's map file and choice of the news server folder.
#include "news_map.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "clean_gate.h"
#include "config/names.h"
#include "engine.h"
#include "folder_walk.h"
#include "globals.h"
#include "ini.h"
#include "news/fat_map.h"
#include "places.h"
#include "platform.h"
#include "registry.h"
#include "text/bounded.h"
#include "text/paths.h"

namespace {

constexpr char kHostNews[] = "host-news";

constexpr char kAskTitle[] = "FAT file error";
constexpr char kAskText[] =
    "The Netscape \"FAT\" file for newsgroups was not found.\nAre you using the \"standalone "
    "browser\" (Navigator, not Communicator) or\nsomething other than Netscape for newsgroups?";
constexpr char kFinderTitle[] = "Mopwell FAT finder";
constexpr char kFinderText[] =
    " The FAT file used by Netscape to point to usenet news\nlocations was not found. The first "
    "thing we want to do is\nsee if Netscape will make one.  Please do the following:\n\n 1. "
    "Click the OK button below.\n 2. Netscape will run. Wait for it.\n 3. Click OK on any "
    "NETSCAPE error messages.\n 4. Exit news reader then exit Netscape.\n\n If something other "
    "than Netscape runs, that's why the\nproblem. You're not using Netscape for news.";
constexpr char kWaitTitle[] = "DO NOT CLICK OK UNTIL NETSCAPE IS SHUT DOWN!!!";
constexpr char kWaitText[] =
    "SHUT DOWN ALL OF NETSCAPE FIRST!\n\nPress the OK button to see if FAT file was made.";
constexpr char kNewsUrl[] = "news:alt.alt";
constexpr DWORD kBrowserWaitMs = 20000;

// Trace keys of the folder creation are written whatever the switch says.
void AlwaysTrace(const char* key, const std::string& value) {
  ini::Write(szIniFile, kSecDiagnostics, key, value.c_str());
}

// Points the browser's setting HKEY_CURRENT_USER\<regit><leaf> at a
// folder. True when it was written.
bool StoreDirectory(const char* leaf, const char* value, const std::string& path) {
  // Without the browser's key prefix the key would land at the top of the
  // user's registry.
  if (regit[0] == '\0') return false;
  return reg::WriteText(plat::Hkcu(), std::string(regit) + leaf, value, path);
}

// Step 1: a profile without a news folder gets one (with a server folder
// "host-news"), and a mail folder when that is missing too; the browser's
// settings are pointed at them.
void MakeMissingFolders() {
  // Only below a real profile folder: never from "@", "??" or a relative
  // name, which would create folders wherever the program runs.
  std::optional<std::string> profile = ResolvePlace(ProfileDir);
  if (!profile) return;
  std::string news = paths::Join(*profile, "news");
  if (!CreateDirectoryA(news.c_str(), nullptr)) return;
  text::CopyCut(szNewsLoc, news);
  std::string host = paths::Join(news, kHostNews);
  CreateDirectoryA(host.c_str(), nullptr);
  AlwaysTrace("MadeNewsDir", host);
  if (StoreDirectory("News", "News Directory", host)) AlwaysTrace("WriteRegNews", host);
  std::string mail = paths::Join(*profile, "mail");
  if (!CreateDirectoryA(mail.c_str(), nullptr)) return;
  AlwaysTrace("MadeMailDir", mail);
  if (StoreDirectory("Mail", "Mail Directory", mail)) AlwaysTrace("WriteRegMail", mail);
}

bool CanRead(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

// Step 3: the user lets the browser write the map itself.
void LetBrowserWriteMap() {
  plat::Prompt(nullptr, kFinderText, kFinderTitle, MB_OK | MB_ICONEXCLAMATION);
  HINSTANCE started = plat::Get().ShellOpen(ShellOwner, nullptr, kNewsUrl, nullptr, nullptr, SW_SHOWNORMAL);
  if (reinterpret_cast<INT_PTR>(started) <= 32) return;
  plat::Wait(kBrowserWaitMs);
  plat::Prompt(nullptr, kWaitText, kWaitTitle, MB_OK | MB_ICONINFORMATION);
}

// Writes the whole text in binary mode in place of any old file. A write
// that does not complete leaves no half map behind.
bool WriteWhole(const std::string& path, const std::string& textOut) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(textOut.data(), 1, textOut.size(), f) == textOut.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) DeleteFileA(path.c_str());
  return ok;
}

// Step 5: the map built from the server folders found.
void BuildMap() {
  plat::Prompt(nullptr, "Mopwell will build a FAT file for you.", "Failed.", MB_OK | MB_ICONINFORMATION);
  text::CopyCut(szCacheFile, szNewsLoc);
  // Never at the root of a drive or in a folder that holds other stores.
  std::optional<std::string> place = FolderToEmpty(szNewsLoc);
  if (!place) return;
  const std::string& folder = *place;
  std::string map = news::BuildFatMap(folder, ListServerFolders(folder));
  std::string path = paths::Join(folder, news::kMapFileName);
  if (WriteWhole(path, map)) Trace("FATbyMopwell", path.c_str());
}

}  // namespace

std::optional<std::string> FolderToEmpty(const std::string& named) {
  // The clean run's own rule for the news folder.
  gate::Candidate place = Examine(named);
  if (!gate::Judge(gate::Use::NewsFolder, place, KeptPlaces()).empty()) return std::nullopt;
  return place.path;
}

std::string NewsMapPath() {
  // A bare "\FAT" would name the root of the current drive.
  if (szNewsLoc[0] == '\0') return std::string();
  return std::string(szNewsLoc) + "\\" + news::kMapFileName;
}

std::vector<std::string> ListServerFolders(const std::string& newsFolder) {
  return ListNames(newsFolder, [](const WIN32_FIND_DATAA& f) {
    return f.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY && lstrcmpiA(f.cFileName, ".") != 0 &&
           lstrcmpiA(f.cFileName, "..") != 0;
  });
}

void FixFat() {
  MakeMissingFolders();
  if (plat::Prompt(nullptr, kAskText, kAskTitle, MB_YESNO | MB_ICONQUESTION) == IDNO)
    LetBrowserWriteMap();
  std::string map = NewsMapPath();
  text::CopyCut(szNewsPlace, map);
  if (!map.empty() && CanRead(map)) {
    plat::Prompt(nullptr, "Netscape created the FAT file.", "Success!", MB_OK | MB_ICONINFORMATION);
    Trace("FATbyNetscape", map.c_str());
    return;
  }
  BuildMap();
}

void FixSubs() {
  std::string chosen;
  std::string folder = szNewsLoc;
  text::CopyCut(szCacheFile, folder);
  int count = 0;
  for (const std::string& name : ListServerFolders(folder)) {
    chosen = name;
    Trace((std::to_string(++count) + "-host").c_str(), name.c_str());
  }
  if (chosen.size() <= 4) chosen = kHostNews;
  ini::Write(szIniFile, kSecCustoms, kKeySubs, chosen.c_str());
  Trace("NewshostMod", chosen.c_str());
}

void ApplyNewsFolderOverride(const char* key) {
  std::string value = ini::GetString(szIniFile, kSecCustoms, key, szNewsLoc, 1024);
  if (value.empty() || value.size() >= sizeof szNewsLoc || value.find(kNoOverride[0]) != std::string::npos)
    return;
  text::CopyCut(szNewsLoc, value);
}

std::string UpperCase(std::string path) {
  if (!path.empty()) CharUpperBuffA(&path[0], static_cast<DWORD>(path.size()));
  return path;
}
