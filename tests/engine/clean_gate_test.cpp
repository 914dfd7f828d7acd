// Every place a clean step destroys in, pointed at something the user
// never chose: the profile folder, Windows, this program's folder, a folder
// that holds the browser's stores, the user's documents, a link, a link to
// a link, a drive's root, a path that climbs back with "..". Each row runs
// the step's preview and then the step itself, and checks against the
// names, bytes and attributes captured before either ran that nothing
// changed anywhere, and that the step ends Refused, both times.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "clean_engine.h"
#include "discovery_fixture.h"
#include "engine.h"
#include "folder_link.h"
#include "prefs_file.h"
#include "step_settings.h"

using std::string;

namespace {

// What a step told its front end.
class Recorder : public CleanReport {
 public:
  explicit Recorder(bool preview) : preview_(preview) {}
  bool Preview() const override { return preview_; }
  bool CanAsk() const override { return true; }
  bool Ask(CleanStep, const CleanQuestion&) override { return true; }
  void File(CleanStep, const FileEvent& e) override {
    if (e.kind == FileEvent::Left) left.push_back(e.path + ": " + e.note);
    if (e.kind == FileEvent::Destroyed || e.kind == FileEvent::NameRemoved) destroyed.push_back(e.path);
  }
  void StepFinished(CleanStep, const string& s, StepResult r) override {
    status = s;
    result = r;
  }
  std::vector<string> left, destroyed;
  string status;
  StepResult result = StepResult::Done;

 private:
  bool preview_;
};

// One entry of the captured world: attributes and bytes, or a link.
struct Entry {
  DWORD attributes;
  string bytes;
  bool operator==(const Entry& o) const { return attributes == o.attributes && bytes == o.bytes; }
};
using World = std::map<string, Entry>;

void Capture(const string& folder, World& world) {
  WIN32_FIND_DATAA f;
  HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &f);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    string name = f.cFileName;
    if (name == "." || name == ".." || lstrcmpiA(name.c_str(), "MOPWELL.INI") == 0) continue;
    string path = folder + "\\" + name;
    Entry e{f.dwFileAttributes, ""};
    if (f.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
      e.bytes = "<link>";
    } else if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      Capture(path, world);
    } else {
      ReadFileBytes(path, e.bytes);
    }
    world[path] = e;
  } while (FindNextFileA(h, &f));
  FindClose(h);
}

// What differs between two captures, for the failure message.
string Changes(const World& before, const World& after) {
  string out;
  for (const auto& [path, e] : before) {
    auto it = after.find(path);
    if (it == after.end())
      out += "  gone: " + path + "\n";
    else if (!(it->second == e))
      out += "  changed: " + path + "\n";
  }
  for (const auto& [path, e] : after)
    if (!before.count(path)) out += "  new: " + path + "\n";
  return out;
}

// A plain file at the root of drive C:, removed again however the test ends.
struct RootVictim {
  RootVictim() : path("C:\\mopwell-gate-victim-" + std::to_string(GetCurrentProcessId()) + ".txt") {
    EXPECT_TRUE(WriteFileBytes(path, "at the root of the drive"));
  }
  ~RootVictim() { DeleteFileA(path.c_str()); }
  string path;
};

enum class Kind { Cache, Archive, Recent, NewsTracks, NewsServers, Mail, BrowserFiles, History, Cookies, Bookmarks };
enum class Place { Profile, ProfileByDots, Windows, System, Program, Holder, OtherStore, Documents, Link, LinkToLink, DriveRoot, LinkToRoot };

const char* KindName(Kind k) {
  const char* names[] = {"cache", "archive", "recent documents", "news tracks", "news servers",
                         "mail", "browser summary", "history", "cookies", "bookmarks"};
  return names[static_cast<int>(k)];
}
const char* PlaceName(Place p) {
  const char* names[] = {"profile folder", "profile through ..", "Windows folder", "system folder",
                         "program folder", "folder holding the profile", "another store",
                         "documents", "link", "link to a link", "drive root", "link to a drive root"};
  return names[static_cast<int>(p)];
}

class GateWorld : public DiscoveryTest {
 protected:
  void SetUp() override {
    DiscoveryTest::SetUp();
    const string& r = fake->root;
    // Every folder of this world carries "cache" and "Recent" in its name
    // (but Windows' and the program's own), so that the name rules of the
    // cache and the recent documents never decide a row: the rest of the
    // rule must.
    holder = r + "\\Users cache Recent";
    profile = holder + "\\Ann cache Recent";
    documents = r + "\\Documents cache Recent";
    install = r + "\\Netscape cache Recent";
    recent = r + "\\Recent";
    links = r + "\\links cache Recent";
  }
  void TearDown() override {
    while (!made.empty()) made.pop_back();  // a link before what it leads to
    DiscoveryTest::TearDown();
  }

  string Put(const string& path, const string& bytes) {
    EXPECT_TRUE(WriteFileBytes(path, bytes)) << path;
    return path;
  }
  string Dir(const string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
    return path;
  }

  // The believable user: a profile with its stores, the browser's folder,
  // documents, Windows with its system folder, this program's folder.
  void Build() {
    const string& w = fake->windowsDir;
    Put(w + "\\win.ini", "[windows]");
    Put(w + "\\notepad.exe", "MZ notepad");
    Put(w + "\\nsreg.dat", "the browser's profile registry");
    Put(w + "\\trash", "not a mail folder");
    Dir(w + "\\system32");
    Put(w + "\\system32\\kernel32.dll", "MZ kernel");
    Put(w + "\\system32\\trash", "not a mail folder");
    Dir(w + "\\archive");
    Put(w + "\\archive\\old.arc", "in Windows");
    const string& p = fake->programDir;
    Put(p + "\\mopwell.exe", "MZ mopwell");
    Put(p + "\\hookies.txt", "# kept cookies");
    Put(p + "\\MOPWELL.BKM", "<!DOCTYPE NETSCAPE-Bookmark-file-1>");
    Put(p + "\\trash", "not a mail folder");
    Dir(p + "\\help");
    Put(p + "\\help\\topic.txt", "help");
    Dir(documents);
    Put(documents + "\\letter.txt", "the user's letter");
    Put(documents + "\\trash", "the user's file called trash");
    Dir(documents + "\\Holiday");
    Put(documents + "\\Holiday\\beach.jpg", "a picture");
    Dir(holder);
    Put(holder + "\\readme.txt", "profiles live here");
    Dir(profile);
    Put(profile + "\\prefs.js", "user_pref(\"mail.identity.username\", \"Ann\");\r\n");
    Put(profile + "\\bookmark.htm", "<the user's bookmarks>");
    Put(profile + "\\cookies.txt", "# the user's cookies");
    Put(profile + "\\netscape.hst", "history");
    Put(profile + "\\sig.txt", "-- Ann");
    Put(profile + "\\MPW-ID.INI", "[Options]\r\nuserID=0\r\n");
    Put(profile + "\\trash", "a file in the profile");
    Dir(profile + "\\cache");
    Put(profile + "\\cache\\c1.moz", "cached page");
    Dir(profile + "\\mail");
    Put(profile + "\\mail\\inbox", "mail");
    Dir(profile + "\\news");
    Dir(profile + "\\news\\host-news");
    Put(profile + "\\news\\host-news\\alt.snm", "news");
    Dir(install);
    Put(install + "\\netscape.exe", "MZ browser");
    Dir(install + "\\archive");
    Dir(recent);
    Put(recent + "\\doc.lnk", "a recent document");
    Dir(links);
    // The user's own folders, as Windows records them.
    SetUser("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Personal", documents);
    SetUser(kPlain + "Main", "Install Directory", install);
    SetIni("Prefs", "FatDB", "1");  // the cache's name rule off: the rest must hold
    for (const char* key : {"DoSent", "DoDraft", "DoInbox", "DoOutBx", "NewsMsgs", "NewsRCGs", "NewsHost"})
      SetIni("Prefs", key, "1");

    lstrcpyA(regit, kPlain.c_str());
    lstrcpyA(ProfileDir, profile.c_str());
    lstrcpyA(DirRoot, profile.c_str());
    lstrcpyA(PrefsFile, (profile + "\\prefs.js").c_str());
    lstrcpyA(MainDir, install.c_str());
    lstrcpyA(szMail, (profile + "\\mail").c_str());
    lstrcpyA(szNewsLoc, (profile + "\\news").c_str());
    lstrcpyA(NewsPrefjs, (profile + "\\news").c_str());
    lstrcpyA(szCacheLoc, (profile + "\\cache").c_str());
    lstrcpyA(szCookieLoc, (profile + "\\cookies.txt").c_str());
    lstrcpyA(HistLoc, (profile + "\\netscape.hst").c_str());
    lstrcpyA(szBookmarkLoc, (profile + "\\bookmark.htm").c_str());
    lstrcpyA(szDocDir, recent.c_str());
    lstrcpyA(Udata1, (profile + "\\sig.txt").c_str());
    lstrcpyA(szFixBookmark, (fake->programDir + "\\MOPWELL.BKM").c_str());
    // The line table belongs to this profile, as discovery leaves it.
    ASSERT_TRUE(LoadPrefsFile(PrefsFile));
  }

  // The folder a place names, and (for steps that take one file) the
  // user's file in it that the step must not take. Links are made here.
  struct Target {
    string folder;
    string file;
  };
  Target Where(Place place) {
    switch (place) {
      case Place::Profile: return {profile, profile + "\\prefs.js"};
      case Place::ProfileByDots: return {profile + "\\cache\\..", profile + "\\cache\\..\\prefs.js"};
      case Place::Windows: return {fake->windowsDir, fake->windowsDir + "\\win.ini"};
      case Place::System: return {fake->windowsDir + "\\system32", fake->windowsDir + "\\system32\\kernel32.dll"};
      case Place::Program: return {fake->programDir, fake->programDir + "\\hookies.txt"};
      case Place::Holder: return {holder, holder + "\\readme.txt"};
      case Place::OtherStore: return {profile + "\\mail", profile + "\\mail\\inbox"};
      case Place::Documents: return {documents, documents + "\\letter.txt"};
      case Place::Link: {
        Link(links + "\\to documents", documents);
        return {links + "\\to documents", links + "\\to documents\\letter.txt"};
      }
      case Place::LinkToLink: {
        Link(links + "\\first", documents);
        Link(links + "\\second", links + "\\first");
        return {links + "\\second", links + "\\second\\letter.txt"};
      }
      case Place::DriveRoot: return {"C:\\", victim->path};
      case Place::LinkToRoot: {
        Link(links + "\\to root", "C:\\");
        return {links + "\\to root", links + "\\to root\\" + victim->path.substr(3)};
      }
    }
    return {};
  }
  void Link(const string& link, const string& target) {
    made.push_back(std::make_unique<FolderLink>(link, target));
    ASSERT_TRUE(made.back()->ok()) << "a folder link is needed for this test: " << link;
  }

  // Points the step of `kind` at the place; false when the step cannot be
  // pointed there (the archive is always "archive" below the browser's
  // folder, so only a link can take it elsewhere).
  bool Aim(Kind kind, const Target& t, Place place) {
    switch (kind) {
      case Kind::Cache: lstrcpyA(szCacheLoc, t.folder.c_str()); return true;
      case Kind::Archive: {
        if (place == Place::Windows) {  // no browser folder known: Windows stands in
          lstrcpyA(MainDir, fake->windowsDir.c_str());
          return true;
        }
        string main = Dir(fake->root + "\\main cache Recent");
        lstrcpyA(MainDir, main.c_str());
        Link(main + "\\archive", t.folder);
        return true;
      }
      case Kind::Recent: lstrcpyA(szDocDir, t.folder.c_str()); return true;
      case Kind::NewsTracks: {
        // A planted map that names every file of the place (none is
        // planted at a drive's root).
        lstrcpyA(szNewsLoc, t.folder.c_str());
        if (place == Place::DriveRoot || place == Place::LinkToRoot) return true;
        string map = "header";
        WIN32_FIND_DATAA f;
        HANDLE h = FindFirstFileA((t.folder + "\\*").c_str(), &f);
        if (h != INVALID_HANDLE_VALUE) {
          do {
            if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
              map += string("\tserver\t") + t.folder + "\\" + f.cFileName + "\tFALSE\r\n";
          } while (FindNextFileA(h, &f));
          FindClose(h);
        }
        return WriteFileBytes(t.folder + "\\FAT", map);
      }
      case Kind::NewsServers: lstrcpyA(szNewsLoc, t.folder.c_str()); return true;
      case Kind::Mail: lstrcpyA(szMail, t.folder.c_str()); return true;
      case Kind::BrowserFiles:
        lstrcpyA(MainDir, t.folder.c_str());
        return place == Place::DriveRoot || place == Place::LinkToRoot || WriteFileBytes(t.folder + "\\summary.dat", "a file called summary");
      case Kind::History: lstrcpyA(HistLoc, t.file.c_str()); return true;
      case Kind::Cookies: lstrcpyA(szCookieLoc, t.file.c_str()); return true;
      case Kind::Bookmarks: lstrcpyA(szBookmarkLoc, t.file.c_str()); return true;
    }
    return false;
  }

  // Runs the step of `kind` with `report` as its front end.
  // One step on its own, as RunClean runs it: a preview step that would
  // write prefs.js holds the file's reload until its run ends, and the end
  // gives it back (held, every later load of prefs.js in this process
  // would be skipped).
  static void RunStep(Kind kind, CleanReport& report) {
    const bool reloadHeld = HoldPrefsReload(false);
    const CleanStep steps[] = {CleanStep::Cache,    CleanStep::Cache,      CleanStep::RecentDocs, CleanStep::NewsTracks,
                               CleanStep::NewsDatabases, CleanStep::Mail,  CleanStep::Mail,       CleanStep::History,
                               CleanStep::Cookies,  CleanStep::Bookmarks};
    CleanRun run(report, steps[static_cast<int>(kind)]);
    switch (kind) {
      case Kind::Cache:
      case Kind::Archive: CacheStep(run); break;
      case Kind::Recent: RecentDocumentsStep(run); break;
      case Kind::NewsTracks: NewsTracksStep(run); break;
      case Kind::NewsServers: NewsDatabasesStep(run); break;
      case Kind::Mail:
      case Kind::BrowserFiles: MailStep(run); break;
      case Kind::History: HistoryStep(run); break;
      case Kind::Cookies: CookiesStep(run); break;
      case Kind::Bookmarks: BookmarksStep(run); break;
    }
    run.End();
    HoldPrefsReload(reloadHeld);
  }

  string holder, profile, documents, install, recent, links;
  std::unique_ptr<RootVictim> victim;
  std::vector<std::unique_ptr<FolderLink>> made;
};

// One test per kind of step, a row per place it is pointed at.
class GateTableTest : public GateWorld, public ::testing::WithParamInterface<Kind> {};

TEST_P(GateTableTest, NoStepDestroysAnythingOutsideTheUsersChoice) {
  const Kind kind = GetParam();
  const Place places[] = {Place::Profile,   Place::ProfileByDots, Place::Windows,    Place::System,
                          Place::Program,   Place::Holder,        Place::OtherStore, Place::Documents,
                          Place::Link,      Place::LinkToLink,    Place::DriveRoot,  Place::LinkToRoot};
  int rows = 0;
  for (Place place : places) {
    // A file that lies in a folder holding profiles is no store file
    // of anybody's: a step that destroys one named file may take it,
    // and the browser's own folder holds its stores by nature.
    if (place == Place::Holder && (kind == Kind::History || kind == Kind::Cookies || kind == Kind::Bookmarks ||
                                   kind == Kind::BrowserFiles))
      continue;
    // The mail folder is the mail step's own store, and a Communicator
    // profile is the browser's folder where its summary files live.
    if (place == Place::OtherStore && kind == Kind::Mail) continue;
    if ((place == Place::Profile || place == Place::ProfileByDots) && kind == Kind::BrowserFiles) continue;
    SCOPED_TRACE(string(KindName(kind)) + " pointed at the " + PlaceName(place));
    ++rows;
    // A fresh world for every row.
    while (!made.empty()) made.pop_back();  // a link before what it leads to
    RemoveTree(fake->root + "\\Users cache Recent");
    RemoveTree(documents);
    RemoveTree(install);
    RemoveTree(links);
    RemoveTree(fake->root + "\\main cache Recent");
    victim = std::make_unique<RootVictim>();
    Build();
    Target t = Where(place);
    if (HasFatalFailure()) return;
    ASSERT_TRUE(Aim(kind, t, place));
    if (kind == Kind::Archive) lstrcpyA(szCacheLoc, (profile + "\\cache").c_str());

    World before;
    Capture(fake->root, before);
    string rootBefore;
    ReadFileBytes(victim->path, rootBefore);
    // The legitimate store the rest of the step empties (the cache
    // beside the archive, the mail folder beside the summary file) is
    // the user's choice.
    string chosen = kind == Kind::Archive ? profile + "\\cache\\" : kind == Kind::BrowserFiles ? profile + "\\mail\\" : "";
    auto Outside = [&](World w) {
      if (!chosen.empty())
        for (auto it = w.begin(); it != w.end();) it = it->first.rfind(chosen, 0) == 0 ? w.erase(it) : std::next(it);
      return w;
    };

    for (bool preview : {true, false}) {
      SCOPED_TRACE(preview ? "preview" : "run");
      Recorder report(preview);
      RunStep(kind, report);
      World after;
      Capture(fake->root, after);
      EXPECT_EQ(Changes(Outside(before), Outside(after)), "");
      string rootAfter;
      ReadFileBytes(victim->path, rootAfter);
      EXPECT_EQ(rootAfter, rootBefore);
      EXPECT_EQ(report.result, StepResult::Refused) << report.status;
      EXPECT_EQ(report.status.find("Done!"), string::npos) << report.status;
      EXPECT_FALSE(report.left.empty()) << "a refusal names what it left, and why";
    }
  }
  // Rows left out above are the step's own places, not hostile ones.
  const int expected[] = {12, 12, 12, 12, 12, 11, 9, 11, 11, 11};
  EXPECT_EQ(rows, expected[static_cast<int>(kind)]);
}

std::string KindTestName(const ::testing::TestParamInfo<Kind>& info) {
  const char* names[] = {"Cache", "Archive", "Recent", "NewsTracks", "NewsServers",
                         "Mail",  "BrowserFiles", "History", "Cookies", "Bookmarks"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryStep, GateTableTest,
                         ::testing::Values(Kind::Cache, Kind::Archive, Kind::Recent, Kind::NewsTracks,
                                           Kind::NewsServers, Kind::Mail, Kind::BrowserFiles, Kind::History,
                                           Kind::Cookies, Kind::Bookmarks),
                         KindTestName);

}  // namespace
