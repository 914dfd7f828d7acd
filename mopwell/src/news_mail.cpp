// The news and mail steps of the clean run: the newsgroup subscription
// files the news map names (box 107), the databases in the news server
// folders (box 108) and the mail folders with their summaries (box 150).
// Every file goes through the secure wipe.
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "clean_engine.h"
#include "cleaners.h"
#include "config/names.h"
#include "folder_walk.h"
#include "globals.h"
#include "ini.h"
#include "mopwell.h"
#include "news/fat_map.h"
#include "news_map.h"
#include "places.h"
#include "text/bounded.h"
#include "text/paths.h"
#include "wipe.h"

namespace {

constexpr char kHostNews[] = "host-news";

constexpr char kNoMapCaption[] = "No FAT file!  News data left alone.";
constexpr char kRefusedNews[] = "Error!    News data left alone!";
constexpr char kRefusedServers[] = "Error!    News folders left alone!";
constexpr char kNewsTrap[] = "BADnewsLOC-PROT-TRIG";

// A news map names one file per news server and holds a few hundred bytes;
// a file far past this size is no map, and only its start is read.
constexpr std::size_t kMapReadLimit = 32u << 20;

bool PrefOn(const char* key) { return ini::GetInt(szIniFile, kSecPrefs, key, 0) != 0; }

// The map file's whole text behind one blank, or nothing when no readable
// map can be had.
// The map repair asks the user and may create folders and a map: only a
// real run with a person to answer may start it.
bool ReadMap(CleanRun& run, std::string& data) {
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
    if (repair == kMapRepairs || run.preview() || !run.canAsk()) return false;
    FixFat();
  }
}

// One mail file: nothing when its folder did not resolve.
void WipeMail(CleanRun& run, const std::optional<std::string>& base, const char* name, const char* caption,
              WipeTally& tally) {
  if (base) tally.Count(run.Destroy(paths::Join(*base, name)));
  if (caption) run.Show(caption);
}

// The browser names the folder of unsent messages "Unsent Messages"; older
// records know it only by its short name.
void WipeUnsent(CleanRun& run, const std::optional<std::string>& mail, const char* longName, const char* shortName,
                const char* caption, WipeTally& tally) {
  const char* name = longName;
  if (mail && GetFileAttributesA(paths::Join(*mail, longName).c_str()) == INVALID_FILE_ATTRIBUTES)
    name = shortName;
  WipeMail(run, mail, name, caption, tally);
}

// A news step that may not touch the folder it was given.
void RefuseNews(CleanRun& run, const char* caption) {
  Trace(kNewsTrap, szNewsLoc);
  run.Left(szNewsLoc, "the news folder is no folder to empty (it holds the profile, the browser or this program)");
  run.Status(caption, StepResult::Refused);
}

}  // namespace

void NewsTracksStep(CleanRun& run) {
  int wiped = 0, skipped = 0, outside = 0;
  ApplyNewsFolderOverride(kKeyNews);
  std::string subs = ini::GetString(szIniFile, kSecCustoms, kKeySubs, kHostNews, sizeof newsit);
  text::CopyCut(NewsSub, subs);
  text::CopyCut(newsit, subs);
  ApplyNewsFolderOverride(kKeyFat);

  text::CopyCut(szNewsPlace, NewsMapPath());
  text::CopyCut(NewsSub, paths::Join(szNewsLoc, newsit));
  run.Show(szNewsPlace);
  Trace("Newschk", "using FAT");
  Trace("Newsreg", szNewsPlace);

  // A folder named but not fit for cleaning is not even read or repaired.
  if (szNewsLoc[0] != '\0' && !FolderToEmpty(szNewsLoc)) {
    RefuseNews(run, kRefusedNews);
    return;
  }
  std::string data;
  if (!ReadMap(run, data)) {
    run.Left(szNewsPlace, run.preview() && run.canAsk()
                              ? "no map file: the run would first try to have one made (it asks), else "
                                "leaves news data alone"
                              : "no map file: news data left alone");
    run.Status(kNoMapCaption, StepResult::Refused);
    return;
  }
  Trace("FatOPEN", "FAT Newsdata read OK");
  // The repair may have chosen the folder: judged again.
  std::optional<std::string> folder = FolderToEmpty(szNewsLoc);
  if (!folder) {
    RefuseNews(run, kRefusedNews);
    return;
  }

  bool wipeRcg = PrefOn(kKeyNewsRCGs);
  WipeTally tally;
  for (const std::string& path : news::FatMapPaths(data)) {
    std::optional<std::string> target = FileInsideFolder(*folder, path);
    // The folders down to the file are held while it is wiped, and the
    // file is judged again once nothing on the way can change.
    std::optional<PlacePin> pin;
    if (target) {
      pin.emplace(target->substr(0, target->find_last_of('\\')));
      if (pin->state() != PlacePin::State::Held || FileInsideFolder(*folder, *target) != target) target.reset();
    }
    if (!target) {
      // Not a file of this news folder: a damaged or planted map.
      Trace(("NewsOutside" + std::to_string(++outside)).c_str(), path.c_str());
      run.Left(path, "outside the news folder");
      continue;
    }
    std::string upper = UpperCase(path);
    text::CopyCut(NewsKill, upper);
    if (upper.find(".RCG") == std::string::npos) {
      run.Passing(upper);
      Trace(("Newsrc" + std::to_string(++wiped)).c_str(), upper.c_str());
      tally.Count(run.Destroy(*target));
    } else {
      ++skipped;
      if (wipeRcg)
        tally.Count(run.Destroy(*target));
      else if (GetFileAttributesA(target->c_str()) != INVALID_FILE_ATTRIBUTES)
        run.Left(*target, ".rcg subscription kept (NewsRCGs is 0)");
    }
  }
  Trace("Newsrcg", (std::to_string(skipped) + " rcg's skipped").c_str());
  Trace("Newsdid", NewsKill);
  run.Finish(tally.left, "Done!     News data cleaned.");
}

void NewsDatabasesStep(CleanRun& run) {
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
  run.Show("Subscribed news data");

  WipeTally tally;
  if (walk) {
    // Every folder one level down is emptied: the news folder must be one
    // that holds nothing else the user keeps.
    std::optional<std::string> folder = FolderToEmpty(szNewsLoc);
    if (!folder) {
      RefuseNews(run, kRefusedServers);
      return;
    }
    bool keepHostInfo = !PrefOn(kKeyNewsHost);
    for (const std::string& server : ListServerFolders(*folder)) {
      std::string sub = paths::Join(*folder, server);
      PlacePin pin(sub);  // held while its files go: never swapped for a link
      if (pin.state() != PlacePin::State::Held) continue;
      for (const std::string& name : ListPlainFiles(sub)) {
        std::string path = paths::Join(sub, name);
        if (keepHostInfo && text::ContainsNoCase(path, "hostinfo.dat")) {
          run.Left(path, "host information kept (NewsHost is 0)");
          continue;
        }
        run.Passing(name);
        tally.Count(run.Destroy(path));
      }
    }
  }
  run.Finish(tally.left, "Done!     Subs+folders cleaned.");
}

void MailStep(CleanRun& run) {
  // Each row: the preference that chooses it (none: always), the folder,
  // the file, and the status text shown after its wipe.
  // Each folder resolved once (links followed, never a drive root) and held
  // while its files go.
  std::optional<std::string> main = ResolvePlace(MainDir), mail = ResolvePlace(szMail);
  PlacePin mainPin(main ? *main : std::string()), mailPin(mail ? *mail : std::string());
  if (mainPin.state() == PlacePin::State::Refused) main.reset();
  if (mailPin.state() == PlacePin::State::Refused) mail.reset();
  struct Row {
    const char* pref;
    const std::optional<std::string>* base;
    const char* name;
    const char* caption;
  };
  const Row rows[] = {
      {nullptr, &main, "summary.dat", nullptr},
      {nullptr, &main, "summary2.dat", "summary database"},
      {nullptr, &mail, "trash", "trash folder"},
      {nullptr, &mail, "trash.snm", "trash database"},
      {kKeyDoSent, &mail, "sent", "sent"},
      {kKeyDoSent, &mail, "sent.snm", "sent database"},
      {kKeyDoDraft, &mail, "drafts", "drafts"},
      {kKeyDoDraft, &mail, "drafts.snm", "draft database"},
      {kKeyDoInbox, &mail, "inbox", "inbox"},
      {kKeyDoInbox, &mail, "inbox.snm", "inbox database"},
      {kKeyDoOutBx, &mail, "outbox", "outbox"},
      {kKeyDoOutBx, &mail, "outbox.snm", "outbox database"},
  };
  WipeTally tally;
  for (const Row& row : rows)
    if (!row.pref || PrefOn(row.pref)) WipeMail(run, *row.base, row.name, row.caption, tally);
  if (PrefOn(kKeyDoOutBx)) {
    WipeUnsent(run, mail, "Unsent Messages", "unsent~1", "Unsent folder", tally);
    WipeUnsent(run, mail, "Unsent Messages.snm", "Unsent~1.snm", "Unsent database", tally);
  }
  run.SetIni(szIniFile, kSecOptions, kKeyMail, kOn);
  run.Finish(tally.left, "Done!     Email cleaned.  ");
}
