// The news and mail steps of the clean run: the newsgroup subscription
// files the news map names (box 107), the databases in the news server
// folders (box 108) and the mail folders with their summaries (box 150).
// Every file goes through the secure wipe.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cleaners.h"
#include "config/names.h"
#include "folder_walk.h"
#include "globals.h"
#include "ini.h"
#include "mopwell.h"
#include "news/fat_map.h"
#include "news_map.h"
#include "text/bounded.h"
#include "text/paths.h"
#include "wipe.h"

namespace {

constexpr int kBoxNews = 107, kBoxNewsSubs = 108, kBoxMail = 150;
constexpr char kHostNews[] = "host-news";

// How often the news step lets the map repair try before it gives up: the
// repair either makes a readable map at once (built, or written by the
// browser) or cannot make one at all, so a second try is only for a map
// the browser finishes late.
constexpr int kMapRepairs = 2;
constexpr char kNoMapCaption[] = "No FAT file!  News data left alone.";

// A news map names one file per news server and holds a few hundred bytes;
// a file far past this size is no map, and only its start is read.
constexpr std::size_t kMapReadLimit = 32u << 20;

bool PrefOn(const char* key) { return ini::GetInt(szIniFile, kSecPrefs, key, 0) != 0; }

// A "customs" folder override. A value holding "*" means "not overridden",
// as it does for every other path override; so does an empty one, which
// names no folder, and one too long for the field: cut short it would name
// another folder, which the server-folder walk would empty.
void ApplyFolderOverride(const char* key) {
  std::string value = ini::GetString(szIniFile, kSecCustoms, key, szNewsLoc, 1024);
  if (value.empty() || value.size() >= sizeof szNewsLoc || value.find(kNoOverride[0]) != std::string::npos)
    return;
  text::CopyCut(szNewsLoc, value);
}

std::string UpperCase(std::string s) {
  if (!s.empty()) CharUpperBuffA(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

// The map file's whole text behind one blank, or nothing when no readable
// map can be had.
bool ReadMap(std::string& data) {
  for (int repair = 0;; ++repair) {
    std::string path = NewsMapPath();
    FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (f) {
      data = " ";
      char chunk[4096];
      std::size_t got;
      while (data.size() < kMapReadLimit && (got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        data.append(chunk, got);
      std::fclose(f);
      Trace("FatOPEN", szNewsPlace);
      return true;
    }
    Trace("FatFILE", "NOT found!");
    if (repair == kMapRepairs) return false;
    FixFat();
  }
}

// Folders the server-folder walk may go through: a full path below the
// root of a drive (the walk empties every folder one level down).
bool WalkableNewsFolder(const std::string& folder) {
  std::optional<std::vector<std::string>> parts = paths::Components(folder);
  return parts && parts->size() > 1;
}

void WipeMail(HWND page, const char* base, const char* name, const char* caption) {
  if (base[0] != '\0') nukeIt(paths::Join(base, name).c_str());
  if (caption) SetStatus(page, kBoxMail, caption);
}

// The browser names the folder of unsent messages "Unsent Messages"; older
// records know it only by its short name.
void WipeUnsent(HWND page, const char* longName, const char* shortName, const char* caption) {
  const char* name = longName;
  if (szMail[0] != '\0' &&
      GetFileAttributesA(paths::Join(szMail, longName).c_str()) == INVALID_FILE_ATTRIBUTES)
    name = shortName;
  WipeMail(page, szMail, name, caption);
}

}  // namespace

void CleanNewsTracks(HWND page) {
  int wiped = 0, skipped = 0, outside = 0;
  ApplyFolderOverride(kKeyNews);
  std::string subs = ini::GetString(szIniFile, kSecCustoms, kKeySubs, kHostNews, sizeof newsit);
  text::CopyCut(NewsSub, subs);
  text::CopyCut(newsit, subs);
  ApplyFolderOverride(kKeyFat);

  text::CopyCut(szNewsPlace, NewsMapPath());
  text::CopyCut(NewsSub, paths::Join(szNewsLoc, newsit));
  SetStatus(page, kBoxNews, szNewsPlace);
  Trace("Newschk", "using FAT");
  Trace("Newsreg", szNewsPlace);

  std::string data;
  if (!ReadMap(data)) {
    SetStatus(page, kBoxNews, kNoMapCaption);
    return;
  }
  Trace("FatOPEN", "FAT Newsdata read OK");

  bool wipeRcg = PrefOn(kKeyNewsRCGs);
  for (const std::string& path : news::FatMapPaths(data)) {
    std::optional<std::string> target = FileInsideFolder(szNewsLoc, path);
    if (!target) {
      // Not a file of this news folder: a damaged or planted map.
      Trace(("NewsOutside" + std::to_string(++outside)).c_str(), path.c_str());
      continue;
    }
    std::string upper = UpperCase(path);
    text::CopyCut(NewsKill, upper);
    if (upper.find(".RCG") == std::string::npos) {
      SetStatus(page, kBoxNews, upper.c_str());
      Trace(("Newsrc" + std::to_string(++wiped)).c_str(), upper.c_str());
      nukeIt(target->c_str());
    } else {
      ++skipped;
      if (wipeRcg) nukeIt(target->c_str());
    }
  }
  Trace("Newsrcg", (std::to_string(skipped) + " rcg's skipped").c_str());
  Trace("Newsdid", NewsKill);
  SetStatus(page, kBoxNews, "Done!     News data cleaned.");
}

void CleanNewsDatabases(HWND page) {
  text::CopyCut(NewsSub, NewsPrefjs);
  bool walk = true;
  if (GetFileAttributesA(NewsSub) != FILE_ATTRIBUTE_DIRECTORY) {
    if (ProfileDir[0] == '\0') {
      // No profile known: the news folder would be "\news" at a drive root.
      walk = false;
    } else {
      text::CopyCut(szNewsLoc, paths::Join(ProfileDir, "news"));
      ini::GetString(szIniFile, kSecCustoms, kKeySubs, kHostNews, newsit);
      std::string subfix = ini::GetString(szIniFile, kSecCustoms, kKeySubfix, szNewsLoc, sizeof NewsSub);
      text::CopyCut(NewsSub, paths::Join(subfix, newsit));
    }
  }
  SetStatus(page, kBoxNewsSubs, "Subscribed news data");

  std::string folder = szNewsLoc;
  if (walk && WalkableNewsFolder(folder)) {
    bool keepHostInfo = !PrefOn(kKeyNewsHost);
    for (const std::string& server : ListServerFolders(folder)) {
      std::string sub = paths::Join(folder, server);
      for (const std::string& name : ListPlainFiles(sub)) {
        std::string path = paths::Join(sub, name);
        if (keepHostInfo && text::ContainsNoCase(path, "hostinfo.dat")) continue;
        SetStatus(page, kBoxNewsSubs, name.c_str());
        nukeIt(path.c_str());
      }
    }
  }
  SetStatus(page, kBoxNewsSubs, "Done!     Subs+folders cleaned.");
}

void CleanMail(HWND page) {
  // Each row: the preference that chooses it (none: always), the folder,
  // the file, and the status text shown after its wipe.
  struct Row {
    const char* pref;
    const char* base;
    const char* name;
    const char* caption;
  };
  static const Row kRows[] = {
      {nullptr, MainDir, "summary.dat", nullptr},
      {nullptr, MainDir, "summary2.dat", "summary database"},
      {nullptr, szMail, "trash", "trash folder"},
      {nullptr, szMail, "trash.snm", "trash database"},
      {kKeyDoSent, szMail, "sent", "sent"},
      {kKeyDoSent, szMail, "sent.snm", "sent database"},
      {kKeyDoDraft, szMail, "drafts", "drafts"},
      {kKeyDoDraft, szMail, "drafts.snm", "draft database"},
      {kKeyDoInbox, szMail, "inbox", "inbox"},
      {kKeyDoInbox, szMail, "inbox.snm", "inbox database"},
      {kKeyDoOutBx, szMail, "outbox", "outbox"},
      {kKeyDoOutBx, szMail, "outbox.snm", "outbox database"},
  };
  for (const Row& row : kRows)
    if (!row.pref || PrefOn(row.pref)) WipeMail(page, row.base, row.name, row.caption);
  if (PrefOn(kKeyDoOutBx)) {
    WipeUnsent(page, "Unsent Messages", "unsent~1", "Unsent folder");
    WipeUnsent(page, "Unsent Messages.snm", "Unsent~1.snm", "Unsent database");
  }
  ini::Write(szIniFile, kSecOptions, kKeyMail, kOn);
  SetStatus(page, kBoxMail, "Done!     Email cleaned.  ");
}
