// The news and mail steps of the clean run: the newsgroup subscription
// files the news map names (box 107), the databases in the news server
// folders (box 108) and the mail folders with their summaries (box 150).
// Every file goes through the secure wipe.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "clean_engine.h"
#include "config/names.h"
#include "engine.h"
#include "folder_walk.h"
#include "globals.h"
#include "ini.h"
#include "news/fat_map.h"
#include "news_map.h"
#include "places.h"
#include "step_settings.h"
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
// `whole` tells whether the map was read to its end; a map past the limit
// keeps its whole lines only, and one that could not be read to its end
// none past the break.
bool ReadMap(CleanRun& run, std::string& data, bool& whole) {
  for (int repair = 0;; ++repair) {
    std::string path = NewsMapPath();
    FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (f) {
      data = " ";
      char chunk[4096];
      std::size_t got = 0;
      while (data.size() < kMapReadLimit && (got = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        data.append(chunk, got);
      whole = data.size() < kMapReadLimit ? !std::ferror(f) : std::fgetc(f) == EOF && !std::ferror(f);
      std::fclose(f);
      if (!whole) data.resize(1 + news::WholeLinesLength(data.substr(1)));
      Trace("FatOPEN", szNewsPlace);
      return true;
    }
    Trace("FatFILE", "NOT found!");
    if (repair == kMapRepairs || run.preview() || !run.canAsk()) return false;
    FixFat();
  }
}

// One mail file: nothing when its folder is not known or was refused.
void WipeMail(CleanRun& run, const HeldPlace* base, const char* name, const char* caption, WipeTally& tally) {
  if (base) tally.Count(run.DestroyIn(*base, name));
  if (caption) run.Show(caption);
}

// The browser names the folder of unsent messages "Unsent Messages"; older
// records know it only by its short name.
void WipeUnsent(CleanRun& run, const HeldPlace* mail, const char* longName, const char* shortName,
                const char* caption, WipeTally& tally) {
  const char* name = longName;
  if (mail && GetFileAttributesW((mail->reach() + L"\\" + Widen(longName)).c_str()) == INVALID_FILE_ATTRIBUTES)
    name = shortName;
  WipeMail(run, mail, name, caption, tally);
}

// A news step that may not touch the folder it was given.
void RefuseNews(CleanRun& run, const char* caption) {
  Trace(kNewsTrap, szNewsLoc);
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
  if (szNewsLoc[0] != '\0' && !run.Enter(gate::Use::NewsFolder, szNewsLoc)) {
    RefuseNews(run, kRefusedNews);
    return;
  }
  std::string data;
  bool mapWhole = true;
  if (!ReadMap(run, data, mapWhole)) {
    run.Left(szNewsPlace, run.preview() && run.canAsk()
                              ? "no map file: the run would first try to have one made (it asks), else "
                                "leaves news data alone"
                              : "no map file: news data left alone");
    run.Status(kNoMapCaption, StepResult::Refused);
    return;
  }
  Trace("FatOPEN", "FAT Newsdata read OK");
  // The repair may have chosen the folder: judged again, and held while
  // the files the map names go.
  std::unique_ptr<HeldPlace> folder = run.Enter(gate::Use::NewsFolder, szNewsLoc);
  if (!folder) {
    RefuseNews(run, kRefusedNews);
    return;
  }

  bool wipeRcg = PrefOn(kKeyNewsRCGs);
  WipeTally tally;
  for (const std::string& path : news::FatMapPaths(data)) {
    std::string upper = UpperCase(path);
    bool outsideFolder = false;
    run.DestroyNamed(*folder, path, tally, &outsideFolder, [&](const std::string&) -> const char* {
      text::CopyCut(NewsKill, upper);
      if (upper.find(".RCG") != std::string::npos) {
        ++skipped;
        return wipeRcg ? nullptr : ".rcg subscription kept (NewsRCGs is 0)";
      }
      run.Passing(upper);
      Trace(("Newsrc" + std::to_string(++wiped)).c_str(), upper.c_str());
      return nullptr;
    });
    // Not a file of this news folder: a damaged or planted map.
    if (outsideFolder) Trace(("NewsOutside" + std::to_string(++outside)).c_str(), path.c_str());
  }
  Trace("Newsrcg", (std::to_string(skipped) + " rcg's skipped").c_str());
  Trace("Newsdid", NewsKill);
  if (!mapWhole) {
    // The files the rest of the map names stay: the step did not do all
    // it was meant to.
    run.Left(szNewsPlace, "news map not read to its end: the files its later lines name were left");
    run.Status("Error!    News map too large to read whole!", StepResult::Failed);
    return;
  }
  run.Finish(tally, "Done!     News data cleaned.");
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
    // Every server folder one level down is emptied: the news folder must
    // be one that holds nothing else the user keeps.
    std::unique_ptr<HeldPlace> folder = run.Enter(gate::Use::NewsFolder, szNewsLoc);
    if (!folder) {
      RefuseNews(run, kRefusedServers);
      return;
    }
    bool keepHostInfo = !PrefOn(kKeyNewsHost);
    auto hostInfo = [keepHostInfo](const std::string& path) -> const char* {
      return keepHostInfo && text::ContainsNoCase(path, "hostinfo.dat") ? "host information kept (NewsHost is 0)"
                                                                          : nullptr;
    };
    std::vector<FolderEntry> entries;
    if (folder->state() == PlacePin::State::Held && !ListFolder(*folder, entries)) {
      run.Left(folder->path(), "the folder could not be listed: what it holds stays");
      tally.unlisted = true;
    }
    for (const FolderEntry& entry : entries) {
      // Server folders are plain folders; files beside them are not this
      // step's.
      if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
      if (entry.attributes != FILE_ATTRIBUTE_DIRECTORY) {
        run.Left(paths::Join(folder->path(), entry.shown),
                 entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT ? "a link to a folder: not followed"
                                                                 : "not a plain server folder: left");
        continue;
      }
      std::unique_ptr<HeldPlace> server = run.EnterBelow(gate::Use::NewsServer, *folder, entry);
      if (!server) {
        ++tally.left;
        continue;
      }
      tally += run.Empty(*server, CleanRun::Walk::Once, [&run](const std::string& name) { run.Passing(name); },
                         hostInfo);
    }
  }
  run.Finish(tally, "Done!     Subs+folders cleaned.");
}

void MailStep(CleanRun& run) {
  // Each folder judged by the gate and held while its files go. A folder
  // that is not known has no files; one that is refused keeps them, and
  // the step says so.
  std::unique_ptr<HeldPlace> main, mail;
  if (MainDir[0] && !(main = run.Enter(gate::Use::BrowserFiles, MainDir)))
    run.Status("Error!    Summary files left alone!", StepResult::Refused);
  if (szMail[0] && !(mail = run.Enter(gate::Use::MailFiles, szMail)))
    run.Status("Error!    Email folder left alone!", StepResult::Refused);
  // Each row: the preference that chooses it (none: always), the folder,
  // the file, and the status text shown after its wipe.
  struct Row {
    const char* pref;
    const HeldPlace* base;
    const char* name;
    const char* caption;
  };
  const Row rows[] = {
      {nullptr, main.get(), "summary.dat", nullptr},
      {nullptr, main.get(), "summary2.dat", "summary database"},
      {nullptr, mail.get(), "trash", "trash folder"},
      {nullptr, mail.get(), "trash.snm", "trash database"},
      {kKeyDoSent, mail.get(), "sent", "sent"},
      {kKeyDoSent, mail.get(), "sent.snm", "sent database"},
      {kKeyDoDraft, mail.get(), "drafts", "drafts"},
      {kKeyDoDraft, mail.get(), "drafts.snm", "draft database"},
      {kKeyDoInbox, mail.get(), "inbox", "inbox"},
      {kKeyDoInbox, mail.get(), "inbox.snm", "inbox database"},
      {kKeyDoOutBx, mail.get(), "outbox", "outbox"},
      {kKeyDoOutBx, mail.get(), "outbox.snm", "outbox database"},
  };
  WipeTally tally;
  for (const Row& row : rows)
    if (!row.pref || PrefOn(row.pref)) WipeMail(run, row.base, row.name, row.caption, tally);
  if (PrefOn(kKeyDoOutBx)) {
    WipeUnsent(run, mail.get(), "Unsent Messages", "unsent~1", "Unsent folder", tally);
    WipeUnsent(run, mail.get(), "Unsent Messages.snm", "Unsent~1.snm", "Unsent database", tally);
  }
  run.SetIni(szIniFile, kSecOptions, kKeyMail, kOn);
  run.Finish(tally, "Done!     Email cleaned.  ");
}
