// The bookmark step (box 112), the disk cache and archive step (box 113) and
// the recent-documents step (box 153) of the clean run.
#include <windows.h>

#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "clean_engine.h"
#include "config/names.h"
#include "engine.h"
#include "ini.h"
#include "news_map.h"
#include "places.h"
#include "platform.h"
#include "prefs_file.h"
#include "step_settings.h"
#include "text/paths.h"
#include "wipe.h"

char szFixBookmark[MAX_PATH];

namespace {

// Fourteen blanks, the indent of a cache file's name in its box.
constexpr char kIndent[] = "              ";

// Whether a copy may be made at `path`. Windows refuses to replace a
// read-only file; Wine running as root does not, so the mark is honoured
// here. A folder in the way is refused by the open itself.
bool MayCreate(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes == INVALID_FILE_ATTRIBUTES ||
         !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

// A bookmark template is a page of a few kilobytes; a file far past this
// size is no template, and is not read into memory.
constexpr std::size_t kTemplateLimit = 16u << 20;

// A guard's message: the name rule's own text, or the reason.
std::string GuardText(const std::string& why, const char* nameRuleText, const char* what) {
  if (why == gate::kNotNamedCache || why == gate::kNotNamedRecent) return nameRuleText;
  return std::string(what) + " left alone: " + why + ".";
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
  // The template is read whole before the bookmark file is touched.
  std::string templ;
  if (!ReadSmallFile(szFixBookmark, templ, kTemplateLimit)) {
    run.Notice("Bookmark control file not found.", "Error!");
    Trace("Bookma1", "Bookmark source NOT found");
    run.Left(szBookmarkLoc, std::string("kept: the template ") + szFixBookmark + " cannot be read");
    run.Outcome("Bookmark control file not found: the run stops here.", StepResult::Failed);
    return false;
  }
  std::wstring name;
  std::string why;
  std::unique_ptr<HeldPlace> folder = run.EnterFile(gate::Use::BookmarkFile, szBookmarkLoc, &name, &why);
  if (!folder) {
    // Not the browser's bookmark file: left as it is, and the run goes on.
    Trace("BADbookmarkLOC-PROT-TRIG", szBookmarkLoc);
    run.Notice(GuardText(why, "", "The bookmark file was").c_str(), "Protection triggered!");
    run.Status("Error!    Bookmarks left alone!", StepResult::Refused);
    return true;
  }
  WipeTally old;
  old.Count(run.DestroyIn(*folder, name, true));
  // The old file stays (read-only, held open): nothing is written over it.
  // One of its names only went: the new file is written all the same.
  bool left = old.left > 0 && GetFileAttributesW((folder->reach() + L"\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES;
  bool written = !left && (run.preview() ? folder->state() == PlacePin::State::Held : CreateWhole(*folder, name, templ));
  if (!written) {
    run.Notice("Cannot write new Bookmark file!", "ERROR! ERROR! ERROR!");
    Trace("Bookma2", "Bookmark write failure");
    run.Outcome("Cannot write new Bookmark file: the run stops here.", StepResult::Failed);
    return false;
  }
  run.Replaced(paths::Join(folder->path(), Narrow(name)), std::string("the template ") + szFixBookmark);
  // Bookmarks that another name of the old file keeps are not gone.
  run.Finish(old, "Done!     Bookmarks cleaned.");
  return true;
}

void CacheStep(CleanRun& run) {
  // The driver has written the "cache" key. szCacheLoc stays the folder:
  // the search pattern is formed beside it.
  run.Show(szCacheLoc);
  std::string why;
  std::unique_ptr<HeldPlace> cache = run.Enter(gate::Use::Cache, szCacheLoc, &why);
  std::string examined = Examine(szCacheLoc).path;
  const std::string shown = cache ? cache->path() : examined.empty() ? std::string(szCacheLoc) : examined;
  Trace("CachFil", shown.c_str());
  Trace("CachLoc", paths::Join(shown, "*.*").c_str());

  WipeTally tally;
  if (!cache) {
    Trace("BADcachefileLOC-PROT-TRIG", shown.c_str());
    run.Notice(GuardText(why, "Cache files not in a folder named CACHE.", "The cache folder was").c_str(),
               "Protection triggered!");
    run.Status("Error!    Cache left alone!", StepResult::Refused);
  } else {
    tally = run.Empty(*cache, CleanRun::Walk::Once, [&run](const std::string& name) { run.Passing(kIndent + name); });
    run.Finish(tally, "Done!     Cache dir cleaned.");
  }

  // The archive is emptied even when the cache was refused (its own
  // refusal is its own), but a refused cache keeps its text.
  if (ini::GetInt(szIniFile, kSecPrefs, kKeyNewsMsgs, 0) == 0) {
    Trace("Archive Dir NOT selected", "unchecked");
    return;
  }
  // Without a browser folder there is no archive (rather than "\archive"
  // at the root of the current drive).
  const std::string named = MainDir[0] ? paths::Join(MainDir, "archive") : std::string();
  std::unique_ptr<HeldPlace> archive = run.Enter(gate::Use::Archive, named);
  if (!archive) {
    Trace("BADarchiveLOC-PROT-TRIG", named.c_str());
    run.Status("Error!    Archive left alone!", StepResult::Refused);
    return;
  }
  tally += run.Empty(*archive, CleanRun::Walk::UntilEmpty, [&run](const std::string& name) { run.Passing(name); });
  Trace("Archive Dir was done", paths::Join(archive->path(), "*.*").c_str());
  run.Finish(tally, "Done!     Cache+archive cleaned");
}

void RecentDocumentsStep(CleanRun& run) {
  // The driver has written the "docs" key.
  std::string why;
  std::unique_ptr<HeldPlace> recent = run.Enter(gate::Use::Recent, szDocDir, &why);
  std::string examined = Examine(szDocDir).path;
  const std::string shown = recent ? recent->path() : examined.empty() ? std::string(szDocDir) : examined;
  Trace("Docfile", paths::Join(shown, "*.*").c_str());
  if (!recent) {
    Trace("BADrecentdocsfileLOC-PROT-TRIG", shown.c_str());
    run.Notice(GuardText(why, "Recent documents were not found.", "The recent documents folder was").c_str(),
               "Protection triggered!");
    run.Status("Error!    Recent Docs left alone!", StepResult::Refused);
    return;
  }
  WipeTally tally =
      run.Empty(*recent, CleanRun::Walk::UntilEmpty, [&run](const std::string& name) { run.Passing(name); });
  run.Finish(tally, "Done!     Recent docs cleaned.");
}
