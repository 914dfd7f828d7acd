// The bookmark step (box 112), the disk cache and archive step (box 113) and
// the recent-documents step (box 153) of the clean run.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "clean_engine.h"
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

// Fourteen blanks, the indent of a cache file's name in its box.
constexpr char kIndent[] = "              ";

// The template is copied in pieces of at most this many characters: a line,
// or the part of a line that fits.
constexpr std::size_t kPiece = 216;

bool HasAny(const char* path, const char* a, const char* b, const char* c) {
  return std::strstr(path, a) || std::strstr(path, b) || std::strstr(path, c);
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

bool BookmarksStep(CleanRun& run) {
  static const CleanQuestion kKillAll = {
      "You have asked Mopwell to kill all your bookmarks.\n\nDo you REALLY want to remove them all?", "WARNING!",
      "the bookmark file is wiped and rebuilt from the template", "the bookmark file is left as it is"};
  if (!run.Ask(kKillAll)) {
    run.Status(kLeftAlone, run.canAsk() ? StepResult::Unchecked : StepResult::Refused);
    return true;
  }
  run.SetIni(szIniFile, kSecOptions, kKeyBookmarks, kOn);
  run.Show(szBookmarkLoc);

  // One backup each time the user asks for one.
  if (ini::GetInt(szIniFile, kSecPrefs, kKeyBookBack, 0) != 0) {
    // A backup name that shares its file with another would carry the
    // bookmarks into that other file: it goes first.
    if (run.Unshare("bookmark.bak")) {
      // No bookmark file, or one a program holds shut: no copy is made.
      bool copied = false;
      if (!run.preview()) {
        copied = CopyFileA(szBookmarkLoc, "bookmark.bak", FALSE) != 0;
      } else {
        HANDLE source = szBookmarkLoc[0] ? CreateFileA(szBookmarkLoc, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                                         : INVALID_HANDLE_VALUE;
        copied = source != INVALID_HANDLE_VALUE && MayCreate("bookmark.bak");
        if (source != INVALID_HANDLE_VALUE) CloseHandle(source);
      }
      if (copied)
        run.Replaced(FullLongPath("bookmark.bak"), std::string("a copy of ") + szBookmarkLoc);
      else
        run.Left(FullLongPath("bookmark.bak"), std::string("no copy made of ") + szBookmarkLoc);
    }
    run.SetIni(szIniFile, kSecPrefs, kKeyBookBack, kOff);
  }

  Trace("Bookill", szBookmarkLoc);
  bool left = run.Destroy(szBookmarkLoc, true) == WipeOutcome::Left;

  std::FILE* in = szFixBookmark[0] ? std::fopen(szFixBookmark, "rb") : nullptr;
  if (!in) {
    run.Notice("Bookmark control file not found.", "Error!");
    Trace("Bookma1", "Bookmark source NOT found");
    run.Outcome("Bookmark control file not found: the run stops here.", StepResult::Failed);
    return false;
  }
  bool written = run.preview() ? !left && szBookmarkLoc[0] && MayCreate(szBookmarkLoc) &&
                                   FolderOfPathExists(szBookmarkLoc)
                               : WriteFromTemplate(in, szBookmarkLoc);
  std::fclose(in);
  if (!written) {
    run.Notice("Cannot write new Bookmark file!", "ERROR! ERROR! ERROR!");
    Trace("Bookma2", "Bookmark write failure");
    run.Outcome("Cannot write new Bookmark file: the run stops here.", StepResult::Failed);
    return false;
  }
  run.Replaced(szBookmarkLoc, std::string("the template ") + szFixBookmark);
  run.Status("Done!     Bookmarks cleaned.");
  return true;
}

void CacheStep(CleanRun& run) {
  // The driver has written the "cache" key. szCacheLoc stays the folder:
  // the search pattern is formed beside it. The guard judges the folder
  // the walk will really list: "." and ".." resolved, links followed.
  run.Show(szCacheLoc);
  std::optional<std::string> place = ResolvePlace(szCacheLoc);
  const std::string folder = place ? *place : std::string(szCacheLoc);
  Trace("CachFil", folder.c_str());
  Trace("CachLoc", paths::Join(folder, "*.*").c_str());

  WipeTally tally;
  bool refused = !place || (!HasAny(folder.c_str(), "CACHE", "cache", "Cache") &&
                            ini::GetInt(szIniFile, kSecPrefs, kKeyFatDB, 0) == 0);
  if (!refused) {
    tally = WipeListedFiles(
        folder, [&run](const std::string& name) { run.Passing(kIndent + name); },
        [&run](const std::string& path) { return run.Destroy(path); });
    refused = tally.refused;
  }
  if (refused) {
    Trace("BADcachefileLOC-PROT-TRIG", folder.c_str());
    run.Notice("Cache files not in a folder named CACHE.", "Protection triggered!");
    run.Left(folder, "not in a folder named CACHE");
    run.Status("Error!    Cache left alone!", StepResult::Refused);
  } else {
    run.Finish(tally.left, "Done!     Cache dir cleaned.");
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
    archived = WipeUntilEmpty(
        *archive, [&run](const std::string& name) { run.Passing(name); },
        [&run](const std::string& path) { return run.Destroy(path); });
  }
  if (!archive || archived.refused) {
    Trace("BADarchiveLOC-PROT-TRIG", named.c_str());
    run.Left(named, "the archive is no folder to empty");
    run.Status("Error!    Archive left alone!", StepResult::Refused);
    return;
  }
  tally += archived;
  Trace("Archive Dir was done", paths::Join(*archive, "*.*").c_str());
  run.Finish(tally.left, "Done!     Cache+archive cleaned");
}

void RecentDocumentsStep(CleanRun& run) {
  // The driver has written the "docs" key.
  std::optional<std::string> place = ResolvePlace(szDocDir);
  const std::string folder = place ? *place : std::string(szDocDir);
  Trace("Docfile", paths::Join(folder, "*.*").c_str());
  WipeTally tally;
  bool refused = !place || !HasAny(folder.c_str(), "RECENT", "recent", "Recent");
  if (!refused) {
    tally = WipeUntilEmpty(
        folder, [&run](const std::string& name) { run.Passing(name); },
        [&run](const std::string& path) { return run.Destroy(path); });
    refused = tally.refused;
  }
  if (refused) {
    Trace("BADrecentdocsfileLOC-PROT-TRIG", folder.c_str());
    run.Notice("Recent documents were not found.", "Protection triggered!");
    run.Left(folder, "not in a folder named RECENT");
    run.Status("Error!    Recent Docs left alone!", StepResult::Refused);
    return;
  }
  run.Finish(tally.left, "Done!     Recent docs cleaned.");
}
