// The bookmark step (box 112), the disk cache and archive step (box 113) and
// the recent-documents step (box 153) of the clean run.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "cleaners.h"
#include "config/names.h"
#include "folder_walk.h"
#include "ini.h"
#include "mopwell.h"
#include "news_map.h"
#include "places.h"
#include "platform.h"
#include "text/paths.h"
#include "wipe.h"

char szFixBookmark[MAX_PATH];

namespace {

constexpr int kBoxBookmarks = 112, kBoxCache = 113, kBoxDocs = 153;

// Fourteen blanks, the indent of a cache file's name in its box.
constexpr char kIndent[] = "              ";

// The template is copied in pieces of at most this many characters: a line,
// or the part of a line that fits.
constexpr std::size_t kPiece = 216;

bool HasAny(const char* path, const char* a, const char* b, const char* c) {
  return std::strstr(path, a) || std::strstr(path, b) || std::strstr(path, c);
}

void Exclaim(const char* text, const char* title) {
  plat::Prompt(nullptr, text, title, MB_OK | MB_ICONEXCLAMATION);
}

// Reads the next piece of `in` into `piece`; returns its length, 0 at the
// end. Any byte may occur, a zero byte included.
std::size_t ReadPiece(std::FILE* in, char* piece) {
  std::size_t n = 0;
  int c;
  while (n < kPiece && (c = std::getc(in)) != EOF) {
    piece[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  return n;
}

// Whether a new bookmark file may be created at `path`. Windows refuses to
// replace a read-only file; Wine running as root does not, so the mark is
// honoured here. A folder in the way is refused by the open itself.
bool MayCreate(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes == INVALID_FILE_ATTRIBUTES ||
         !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

// Copies the open template into a new bookmark file at `path`, piece by
// piece, each piece written exactly as read. False when the file cannot be
// created or not every byte reached it.
bool WriteFromTemplate(std::FILE* in, const char* path) {
  if (path[0] == '\0' || !MayCreate(path)) return false;
  std::FILE* out = std::fopen(path, "wb");
  if (!out) return false;
  char piece[kPiece];
  bool ok = true;
  for (std::size_t n; ok && (n = ReadPiece(in, piece)) > 0;)
    ok = std::fwrite(piece, 1, n, out) == n;
  if (std::fclose(out) != 0) ok = false;
  return ok;
}

}  // namespace

void ReadBookmarkTemplatePath() {
  // Without the key the path stays empty, which names no file.
  ini::GetString(szIniFile, kSecCopyMe, kKeyWhich, "", szFixBookmark);
}

bool CleanBookmarks(HWND page) {
  if (plat::Prompt(nullptr,
                   "You have asked Mopwell to kill all your bookmarks.\n\n"
                   "Do you REALLY want to remove them all?",
                   "WARNING!", MB_YESNO | MB_ICONQUESTION) != IDYES) {
    SetStatus(page, kBoxBookmarks, kLeftAlone);
    return true;
  }
  ini::Write(szIniFile, kSecOptions, kKeyBookmarks, kOn);
  SetStatus(page, kBoxBookmarks, szBookmarkLoc);

  // One backup each time the user asks for one.
  if (ini::GetInt(szIniFile, kSecPrefs, kKeyBookBack, 0) != 0) {
    // A backup name that shares its file with another would carry the
    // bookmarks into that other file: it goes first.
    if (UnshareName("bookmark.bak")) CopyFileA(szBookmarkLoc, "bookmark.bak", FALSE);
    ini::Write(szIniFile, kSecPrefs, kKeyBookBack, kOff);
  }

  Trace("Bookill", szBookmarkLoc);
  nukeIt(szBookmarkLoc);

  std::FILE* in = szFixBookmark[0] ? std::fopen(szFixBookmark, "rb") : nullptr;
  if (!in) {
    Exclaim("Bookmark control file not found.", "Error!");
    Trace("Bookma1", "Bookmark source NOT found");
    return false;
  }
  bool written = WriteFromTemplate(in, szBookmarkLoc);
  std::fclose(in);
  if (!written) {
    Exclaim("Cannot write new Bookmark file!", "ERROR! ERROR! ERROR!");
    Trace("Bookma2", "Bookmark write failure");
    return false;
  }
  SetStatus(page, kBoxBookmarks, "Done!     Bookmarks cleaned.");
  return true;
}

void CleanCache(HWND page) {
  // The driver has written the "cache" key. szCacheLoc stays the folder:
  // the search pattern is formed beside it. The guard judges the folder
  // the walk will really list: "." and ".." resolved, links followed.
  SetStatus(page, kBoxCache, szCacheLoc);
  std::optional<std::string> place = ResolvePlace(szCacheLoc);
  const std::string folder = place ? *place : std::string(szCacheLoc);
  Trace("CachFil", folder.c_str());
  Trace("CachLoc", paths::Join(folder, "*.*").c_str());

  WipeTally tally;
  bool refused = !place || (!HasAny(folder.c_str(), "CACHE", "cache", "Cache") &&
                            ini::GetInt(szIniFile, kSecPrefs, kKeyFatDB, 0) == 0);
  if (!refused) {
    Progress progress(page, kBoxCache);
    tally = WipeListedFiles(folder, [&progress](const std::string& name) { progress.Show(kIndent + name); });
    refused = tally.refused;
  }
  if (refused) {
    Trace("BADcachefileLOC-PROT-TRIG", folder.c_str());
    Exclaim("Cache files not in a folder named CACHE.", "Protection triggered!");
    SetStatus(page, kBoxCache, "Error!    Cache left alone!");
  } else {
    FinishStatus(page, kBoxCache, tally.left, "Done!     Cache dir cleaned.");
  }

  // The archive has no guard of its own and is emptied even when the cache
  // guard refused.
  if (ini::GetInt(szIniFile, kSecPrefs, kKeyNewsMsgs, 0) == 0) {
    Trace("Archive Dir NOT selected", "unchecked");
    return;
  }
  // Without a browser folder there is no archive (rather than "\archive"
  // at the root of the current drive). An archive that is a link to the
  // browser folder, to one holding the profile, or to Windows is no
  // archive either: everything in it would go.
  const std::string named = MainDir[0] ? paths::Join(MainDir, "archive") : std::string();
  std::optional<std::string> archive = FolderToEmpty(named);
  WipeTally archived;
  if (archive) {
    Progress progress(page, kBoxCache);
    archived = WipeUntilEmpty(*archive, [&progress](const std::string& name) { progress.Show(name); });
  }
  if (!archive || archived.refused) {
    Trace("BADarchiveLOC-PROT-TRIG", named.c_str());
    SetStatus(page, kBoxCache, "Error!    Archive left alone!");
    return;
  }
  tally += archived;
  Trace("Archive Dir was done", paths::Join(*archive, "*.*").c_str());
  FinishStatus(page, kBoxCache, tally.left, "Done!     Cache+archive cleaned");
}

void CleanRecentDocuments(HWND page) {
  // The driver has written the "docs" key.
  std::optional<std::string> place = ResolvePlace(szDocDir);
  const std::string folder = place ? *place : std::string(szDocDir);
  Trace("Docfile", paths::Join(folder, "*.*").c_str());
  WipeTally tally;
  bool refused = !place || !HasAny(folder.c_str(), "RECENT", "recent", "Recent");
  if (!refused) {
    Progress progress(page, kBoxDocs);
    tally = WipeUntilEmpty(folder, [&progress](const std::string& name) { progress.Show(name); });
    refused = tally.refused;
  }
  if (refused) {
    Trace("BADrecentdocsfileLOC-PROT-TRIG", folder.c_str());
    Exclaim("Recent documents were not found.", "Protection triggered!");
    SetStatus(page, kBoxDocs, "Error!    Recent Docs left alone!");
    return;
  }
  FinishStatus(page, kBoxDocs, tally.left, "Done!     Recent docs cleaned.");
}
