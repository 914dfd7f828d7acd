// The viewer page (dialog 300, tab "Glimso"): what the browser holds, one
// row per store, counted each time the page is shown. "Show me" shows a
// short list in a message box, or copies a store's file to a dump file in
// the program's folder and starts the file viewer on the copy, so the
// browser's own file is never opened by the viewer. The page writes nothing
// but the dump files (and trace keys while diagnostics are on).
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "cleaners.h"
#include "config/names.h"
#include "cookies/keep_list.h"
#include "folder_walk.h"
#include "ini.h"
#include "mopwell.h"
#include "news/fat_map.h"
#include "news_map.h"
#include "places.h"
#include "platform.h"
#include "resource.h"
#include "text/bounded.h"
#include "text/line_count.h"
#include "text/paths.h"
#include "wipe.h"

namespace {

// Dump files, by their index in kDumpFiles.
enum Dump { kNewsgroups, kHistory, kCookies, kNewsDb, kMail, kCache, kBookmarks };

constexpr char kCounting[] = "Counting ...";
// A store the browser holds without sharing is not empty: it is not read.
constexpr char kInUse[] = "In use by Netscape: not counted.";
constexpr char kInUseShow[] = "In use by Netscape: not shown. Close Netscape to see it.";
constexpr char kHostNews[] = "host-news";
constexpr char kGuest[] = "guest_us";
// Files are read in pieces of this size, and counted whole, piece by
// piece, however large.
constexpr DWORD kChunk = 1u << 16;
// A news map names one file per news server: a few hundred bytes. One far
// past this size is no map; only its start is read, and the count says so.
constexpr std::size_t kMapTextLimit = 32u << 20;

// What the count pass leaves for the buttons: held whole.
struct ViewerState {
  std::string newsKill;    // the last subscription file the pass met
  std::string recentDocs;  // one recent document's name per line
};
ViewerState g_viewer;

std::string Held(const char* field, std::size_t size) { return std::string(field, text::BoundedLen(field, size)); }

std::string Number(std::uint64_t n) { return std::to_string(n); }

void Show(HWND page, int id, const std::string& text) { SetStatus(page, id, text.c_str()); }

bool IsGuest() { return std::strstr(CurrentUser, kGuest) != nullptr; }

// ---- files ----

HANDLE OpenToRead(const std::string& path) {
  if (path.empty()) return INVALID_HANDLE_VALUE;
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

bool CanRead(const std::string& path) {
  HANDLE file = OpenToRead(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// The first `limit` bytes of a file; nothing when it cannot be opened.
// `whole` tells whether that was all of it.
std::optional<std::string> ReadStart(const std::string& path, std::size_t limit, bool& whole) {
  HANDLE file = OpenToRead(path);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string data;
  std::string chunk(kChunk, '\0');
  DWORD got = 0;
  whole = true;
  for (;;) {
    if (!ReadFile(file, &chunk[0], kChunk, &got, nullptr)) {
      whole = false;  // a read that broke off is no end of the file
      break;
    }
    if (got == 0) break;
    if (data.size() + got > limit) {
      data.append(chunk.data(), limit - data.size());
      whole = false;
      break;
    }
    data.append(chunk.data(), got);
  }
  CloseHandle(file);
  return data;
}

// Feeds a whole file to a counter that takes pieces; false when it cannot
// be opened.
template <typename Counter>
bool CountWhole(const std::string& path, Counter& counter) {
  HANDLE file = OpenToRead(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string chunk(kChunk, '\0');
  DWORD got = 0;
  while (ReadFile(file, &chunk[0], kChunk, &got, nullptr) && got > 0) counter.Feed(std::string_view(chunk.data(), got));
  CloseHandle(file);
  return true;
}

// Whether the last open failed because another program holds the file
// without sharing it.
bool HeldElsewhere() {
  DWORD error = GetLastError();
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// A file's length as the folder reports it: also while the browser holds
// the file without sharing it.
std::optional<std::uint64_t> LengthOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (path.empty() || !GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

struct Listing {
  std::uint64_t files = 0, bytes = 0;
  std::vector<std::string> names;
};

// The plain files of `folder` matching `pattern` (no folders, hidden or
// system files, nor links), with their lengths as the listing gives them.
Listing ListFiles(const std::string& folder, const char* pattern, bool keepNames = false) {
  Listing l;
  if (folder.empty()) return l;  // would list the working directory
  WIN32_FIND_DATAA fd;
  HANDLE find = FindFirstFileA(paths::Join(folder, pattern).c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) return l;
  constexpr DWORD kNotListed =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;
  do {
    if (fd.dwFileAttributes & kNotListed) continue;
    ++l.files;
    l.bytes += (static_cast<std::uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    if (keepNames) l.names.push_back(fd.cFileName);
  } while (FindNextFileA(find, &fd));
  FindClose(find);
  return l;
}

// Copies a store's file to a dump file of the program's folder. The copy
// made before is destroyed first (it holds the same private data), which
// also leaves the name free: the new copy is a file of its own, made anew,
// never written through a name another file shares, and never read-only
// (it could be neither replaced nor wiped). The store is read with full
// sharing, so a browser holding it open does not stop the copy. False when
// nothing was copied.
bool CopyToDump(const std::string& source, Dump dump) {
  std::string target = DumpFilePath(dump);
  if (source.empty() || target.empty()) return false;
  // The source first: a copy already there (the list the user chose) is
  // replaced only by one that can be made.
  HANDLE in = OpenToRead(source);
  if (in == INVALID_HANDLE_VALUE) return false;
  if (nukeIt(target.c_str()) == WipeOutcome::Left) {
    CloseHandle(in);
    return false;
  }
  HANDLE out = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  bool ok = out != INVALID_HANDLE_VALUE;
  std::string chunk(kChunk, '\0');
  DWORD got = 0, wrote = 0;
  while (ok && ReadFile(in, &chunk[0], kChunk, &got, nullptr) && got > 0)
    ok = WriteFile(out, chunk.data(), got, &wrote, nullptr) && wrote == got;
  CloseHandle(in);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  if (!ok && out != INVALID_HANDLE_VALUE) nukeIt(target.c_str());  // no half copy
  return ok;
}

// The viewer on a dump file, found by the system's program search; the
// bare name is opened in the working directory it inherits, the program's
// folder.
void StartViewer(Dump dump) {
  std::string command = std::string("GLIMSO ") + kDumpFiles[dump];
  plat::Get().Exec(command.c_str(), SW_SHOWMAXIMIZED);
}

void Inform(const std::string& text, const char* title) {
  plat::Prompt(nullptr, text.c_str(), title, MB_OK | MB_ICONINFORMATION);
}

// ---- the count pass ----

// The map's text, or nothing when no map could be had within the repairs
// the clean run also allows. Button 120 says "ERROR!" while it is missing.
std::optional<std::string> NewsMapText(HWND page, bool& mapWhole) {
  const std::string map = NewsMapPath();  // formed once, as the pass names it
  for (int repair = 0;; ++repair) {
    SetDlgItemTextA(page, IDC_VIEWER_NEWSGROUPS, "Show me");
    Trace("Newsreg", map.c_str());
    ApplyNewsFolderOverride(kKeyFat);
    if (std::optional<std::string> data = ReadStart(map, kMapTextLimit, mapWhole)) {
      // Of a map read in part only its whole lines: the piece of a line
      // at the cut would name another file.
      if (!mapWhole) data->resize(news::WholeLinesLength(*data));
      return data;
    }
    SetDlgItemTextA(page, IDC_VIEWER_NEWSGROUPS, "ERROR!");
    if (repair == kMapRepairs) return std::nullopt;
    FixFat();
  }
}

void CountNewsgroups(HWND page) {
  Show(page, IDC_VIEWER_NEWSGROUPS_TEXT, kCounting);
  std::uint64_t count = 0;
  bool mapWhole = true;
  g_viewer.newsKill = ini::GetString(szIniFile, kSecCustoms, kKeyNews, kNoOverride, 1024);
  std::string subs = ini::GetString(szIniFile, kSecCustoms, kKeySubs, kHostNews, 1024);
  if (g_viewer.newsKill.find(kNoOverride[0]) != std::string::npos) {
    Trace("Newschk", "using FAT");
    text::CopyWhole(NewsSub, paths::Join(Held(szNewsLoc, sizeof szNewsLoc), subs));
    std::optional<std::string> map = NewsMapText(page, mapWhole);
    if (!map) {
      Trace("Newsdid", "no FAT file");
      Show(page, IDC_VIEWER_NEWSGROUPS_TEXT, "The news map (FAT) is missing: nothing counted.");
      return;
    }
    std::string text = " ";
    for (char c : *map)
      if (c != '\r' && c != '\n') text += c;
    Trace("NewsOp1", "FAT Newsdata found");
    // Only files of the news folder are read: a damaged or planted map
    // could name a network share, a device that never answers, or a
    // file of the user's elsewhere.
    std::optional<std::string> news = ResolvePlace(Held(szNewsLoc, sizeof szNewsLoc));
    int numbered = 0, skipped = 0, outside = 0;
    for (const std::string& path : news::FatMapPaths(text)) {
      std::optional<std::string> file = news ? FileInsideFolder(*news, path) : std::nullopt;
      if (!file) {
        Trace(("NewsOutside" + Number(static_cast<std::uint64_t>(++outside))).c_str(), path.c_str());
        continue;
      }
      g_viewer.newsKill = UpperCase(*file);
      if (g_viewer.newsKill.find(".RCG") != std::string::npos) {
        ++skipped;
        continue;
      }
      Trace(("Newsrc" + Number(static_cast<std::uint64_t>(++numbered))).c_str(), g_viewer.newsKill.c_str());
      text::LineCounter lines;
      // Read by the name as found: Windows takes any case, but on a disk
      // that tells case apart the upper-case name must be searched for.
      if (CountWhole(*file, lines)) count += lines.Lines();
    }
    Trace("Newsrcg", (Number(static_cast<std::uint64_t>(skipped)) + " rcg's skipped").c_str());
  } else {
    Trace("NewsINI", g_viewer.newsKill.c_str());
  }
  Trace("Newsdid", g_viewer.newsKill.c_str());
  Show(page, IDC_VIEWER_NEWSGROUPS_TEXT,
       "You've visited " + Number(count) +
           (mapWhole ? std::string(" newsgroups.") : " newsgroups, or more: the news map is too large to read whole."));
}

void CountNewsDatabases(HWND page) {
  Show(page, IDC_VIEWER_NEWSDB_TEXT, kCounting);
  std::string news = Held(szNewsLoc, sizeof szNewsLoc);
  Listing all;
  for (const std::string& server : ListServerFolders(news)) {
    Listing l = ListFiles(paths::Join(news, server), "*.snm");
    all.files += l.files;
    all.bytes += l.bytes;
  }
  Trace("Newsubs#", Number(all.files).c_str());
  Show(page, IDC_VIEWER_NEWSDB_TEXT, Number(all.files) + " databases, " + Number(all.bytes) + " bytes.");
}

void CountMail(HWND page) {
  Show(page, IDC_VIEWER_EMAIL_TEXT, kCounting);
  std::string mail = Held(szMail, sizeof szMail);
  auto on = [](const char* key) { return ini::GetInt(szIniFile, kSecPrefs, key, 0) != 0; };
  // The browser names the folder of unsent messages "Unsent Messages";
  // older records know it only by its short name.
  const char* unsent =
      !mail.empty() && GetFileAttributesA(paths::Join(mail, "Unsent Messages").c_str()) != INVALID_FILE_ATTRIBUTES
          ? "Unsent Messages"
          : "unsent~1";
  const struct {
    const char* name;
    bool read;
  } folders[] = {{"trash", true},         {"sent", on(kKeyDoSent)},     {"drafts", on(kKeyDoDraft)},
                 {"inbox", on(kKeyDoInbox)}, {"outbox", on(kKeyDoOutBx)}, {unsent, true}};
  std::uint64_t messages = 0;
  for (const auto& f : folders) {
    if (!f.read || mail.empty()) continue;
    text::LineCounter ids("Message-ID");
    if (CountWhole(paths::Join(mail, f.name), ids)) messages += ids.Matching();
  }
  Show(page, IDC_VIEWER_EMAIL_TEXT, Number(messages) + " email msgs of concern.");
}

void CountHistory(HWND page) {
  Show(page, IDC_VIEWER_HISTORY_TEXT, kCounting);
  std::optional<std::uint64_t> length = LengthOf(Held(HistLoc, sizeof HistLoc));
  Show(page, IDC_VIEWER_HISTORY_TEXT,
       length ? "History database is " + Number(*length) + " bytes." : "History database is clean.");
}

void CountTypedUrls(HWND page) {
  std::uint64_t n = 0;
  for (int i = 1; i <= 15; ++i)
    if (TypedUrl(i)[0] != '\0') ++n;
  Show(page, IDC_VIEWER_URLWIN_TEXT, "You have " + Number(n) + " URL's in your window.");
}

// The cookies the file holds, told apart from its header, comments and
// empty lines as the keeper page tells them, whoever wrote the file.
void CountCookies(HWND page) {
  Show(page, IDC_VIEWER_COOKIES_TEXT, kCounting);
  cookies::CookieCounter counter;
  bool read = CountWhole(Held(szCookieLoc, sizeof szCookieLoc), counter);
  Show(page, IDC_VIEWER_COOKIES_TEXT,
       read              ? "You have " + Number(counter.Count()) + " cookies stored."
       : HeldElsewhere() ? std::string(kInUse)
                         : std::string("You have no cookies stored."));
}

void CountBookmarks(HWND page) {
  Show(page, IDC_VIEWER_BOOKMARKS_TEXT, kCounting);
  text::LineCounter links("HREF");
  bool read = CountWhole(Held(szBookmarkLoc, sizeof szBookmarkLoc), links);
  Show(page, IDC_VIEWER_BOOKMARKS_TEXT,
       read              ? "You have " + Number(links.Matching()) + " bookmarks."
       : HeldElsewhere() ? std::string(kInUse)
                         : std::string("You have no bookmarks."));
}

void CountCache(HWND page) {
  Show(page, IDC_VIEWER_CACHES_TEXT, kCounting);
  Listing l = ListFiles(Held(szCacheLoc, sizeof szCacheLoc), "*.*");
  Trace("Caches#", Number(l.files).c_str());
  Show(page, IDC_VIEWER_CACHES_TEXT, Number(l.files) + " files total, " + Number(l.bytes) + " bytes.");
}

void CountRecentDocuments(HWND page) {
  g_viewer.recentDocs.clear();
  Listing l = ListFiles(Held(szDocDir, sizeof szDocDir), "*.*", true);
  for (const std::string& name : l.names) g_viewer.recentDocs += name.substr(0, name.find('.')) + "\n";
  Trace("Docs#", Number(l.files).c_str());
  Show(page, IDC_VIEWER_DOCS_TEXT, Number(l.files) + " files total, " + Number(l.bytes) + " bytes.");
}

void CountPass(HWND page) {
  text::CopyCut(szCacheLoc, szCacheIn);
  Show(page, IDC_VIEWER_USERID_TEXT,
       IsGuest() ? std::string("Guest user has no identity.") : "You are " + Held(Udata4, sizeof Udata4) + ".");
  CountNewsgroups(page);
  CountNewsDatabases(page);
  CountMail(page);
  CountHistory(page);
  CountTypedUrls(page);
  CountCookies(page);
  CountBookmarks(page);
  CountCache(page);
  CountRecentDocuments(page);
}

// ---- the buttons ----

// One file-open dialog as every chooser of the page asks for it. The file
// title chosen, or nothing when it is shorter than `minTitle` (a cancelled
// dialog leaves it empty).
struct Chosen {
  std::string path, title;
};
std::optional<Chosen> Choose(HWND page, const char* filter, const char* title, const std::string& initialDir,
                             std::size_t minTitle) {
  char path[256] = "";
  char fileTitle[200] = "";
  OPENFILENAMEA request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = page;
  request.lpstrFilter = filter;
  request.nFilterIndex = 1;
  request.lpstrFile = path;
  request.nMaxFile = sizeof path;
  request.lpstrFileTitle = fileTitle;
  request.nMaxFileTitle = sizeof fileTitle;
  request.lpstrInitialDir = initialDir.c_str();
  request.lpstrTitle = title;
  request.Flags = OFN_READONLY | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST |
                  OFN_SHAREAWARE | OFN_NOLONGNAMES;
  // The dialog may move the working directory, through which the program
  // finds its own files and the viewer its dump: it is put back.
  char cwd[MAX_PATH + 1] = "";
  DWORD kept = GetCurrentDirectoryA(sizeof cwd, cwd);
  plat::Get().ChooseFile(&request);  // decided by the title, as a cancel leaves it empty
  if (kept > 0 && kept < sizeof cwd) SetCurrentDirectoryA(cwd);
  std::string chosenTitle(fileTitle, text::BoundedLen(fileTitle, sizeof fileTitle));
  if (chosenTitle.size() < minTitle) return std::nullopt;
  return Chosen{std::string(path, text::BoundedLen(path, sizeof path)), chosenTitle};
}

void ShowIdentity() {
  std::string text =
      IsGuest() ? std::string("Username:\tGuest User\nAddress :\t\t(none)\nUser Org:\t\t(none)\nReply to:\t\t(none)"
                              "\nSig File:\t\t(none)")
                : "Username:\t" + Held(Udata4, sizeof Udata4) + "\nAddress :\t\t" + Held(Udata3, sizeof Udata3) +
                      "\nUser Org:\t\t" + Held(Udata2, sizeof Udata2) + "\nReply to:\t\t" +
                      Held(Udata5, sizeof Udata5) + "\nSig File:\t\t" + Held(Udata1, sizeof Udata1);
  Inform(text, "User ID information");
}

bool ShowNewsgroups(HWND page) {
  std::optional<Chosen> c = Choose(page, "Newsgroups lists\0*.rc\0All Files (*.*)\0*.*\0",
                                   "Choose newsgroup list to view:", Held(szNewsLoc, sizeof szNewsLoc), 3);
  if (!c) return false;
  CopyToDump(c->path, kNewsgroups);
  CopyToDump(g_viewer.newsKill, kNewsgroups);
  StartViewer(kNewsgroups);
  return true;
}

// The folder the news-database chooser opens in: the news folder prefs.js
// names, else the "subfix" one; the subscription repair may make it, a
// bounded number of times.
std::optional<std::string> NewsDatabaseFolder() {
  auto isFolder = [](const std::string& dir) {
    return !dir.empty() && GetFileAttributesA(dir.c_str()) == FILE_ATTRIBUTE_DIRECTORY;
  };
  for (int repair = 0;; ++repair) {
    ini::GetString(szIniFile, kSecCustoms, kKeySubs, kHostNews, 1024);
    std::string dir = Held(NewsPrefjs, sizeof NewsPrefjs);
    if (!isFolder(dir)) dir = ini::GetString(szIniFile, kSecCustoms, kKeySubfix, szNewsLoc, 1024);
    if (isFolder(dir)) return dir;
    Trace("viewsubsERR", dir.c_str());
    if (repair == kMapRepairs) return std::nullopt;
    FixSubs();
  }
}

bool ShowNewsDatabase(HWND page) {
  std::optional<std::string> folder = NewsDatabaseFolder();
  if (!folder) return false;
  std::optional<Chosen> c = Choose(page, "News databases\0*.snm\0All Files (*.*)\0*.*\0",
                                   "Choose news database to view:", *folder, 3);
  if (!c) return false;
  CopyToDump(c->path, kNewsDb);
  Trace("Newssub", g_viewer.newsKill.c_str());
  StartViewer(kNewsDb);
  return true;
}

bool ShowMail(HWND page) {
  std::string mail = Held(szMail, sizeof szMail);
  std::optional<Chosen> c =
      Choose(page, "Email_databases\0\0", "Choose mail database to view:", mail + "\\", 4);
  if (!c) return false;
  // The file the user chose, wherever they went to choose it.
  CopyToDump(c->path, kMail);
  Trace("lastmailfolder", c->path.c_str());
  if (CanRead(c->path)) StartViewer(kMail);
  return true;
}

bool ShowCache(HWND page) {
  std::string cache = Held(szCacheIn, sizeof szCacheIn);
  std::optional<Chosen> c = Choose(page, "Cache databases\0\0", "Choose cache file to view:", cache, 4);
  if (!c) return false;
  CopyToDump(c->path, kCache);
  Trace("cacheshow", c->title.c_str());
  StartViewer(kCache);
  return true;
}

// A store's file shown through its dump, or the box that says it is empty,
// or (as its row says) that Netscape holds it.
void ShowStore(const std::string& source, Dump dump, const char* emptyText, const char* emptyTitle) {
  if (!CanRead(source)) {
    Inform(HeldElsewhere() ? std::string(kInUseShow) : std::string(emptyText), emptyTitle);
    return;
  }
  CopyToDump(source, dump);
  StartViewer(dump);
}

void ShowTypedUrls() {
  if (URL1[0] == '\0') {
    Inform("There are no URL's recorded at this time.", "URL Window contents");
    return;
  }
  std::string text;
  for (int i = 1; i <= 15; ++i) text += Held(TypedUrl(i), 91) + "\n";
  Inform(text, "URL Window contents");
}

void ShowRecentDocuments() {
  if (g_viewer.recentDocs.size() < 3)
    Inform("Recent documents database is empty.", "Recent documents");
  else
    Inform(g_viewer.recentDocs, "Recent Documents seen:");
}

// False when a chooser was cancelled or the control is none of the page's.
bool OnButton(HWND page, int id) {
  switch (id) {
    case IDC_VIEWER_USERID: ShowIdentity(); return true;
    case IDC_VIEWER_NEWSGROUPS: return ShowNewsgroups(page);
    case IDC_VIEWER_NEWSDB: return ShowNewsDatabase(page);
    case IDC_VIEWER_EMAIL: return ShowMail(page);
    case IDC_VIEWER_HISTORY:
      ShowStore(Held(HistLoc, sizeof HistLoc), kHistory, "History database is empty.", "History database");
      return true;
    case IDC_VIEWER_URLWIN: ShowTypedUrls(); return true;
    case IDC_VIEWER_COOKIES:
      ShowStore(Held(szCookieLoc, sizeof szCookieLoc), kCookies, "Cookie database is empty", "Cookie database");
      return true;
    case IDC_VIEWER_BOOKMARKS:
      ShowStore(Held(szBookmarkLoc, sizeof szBookmarkLoc), kBookmarks, "Bookmarks database is empty.",
                "Bookmarks database");
      return true;
    case IDC_VIEWER_CACHES: return ShowCache(page);
    case IDC_VIEWER_DOCS: ShowRecentDocuments(); return true;
    case IDOK:
    case IDCANCEL: PostQuitMessage(0); return true;
    default: return false;
  }
}

}  // namespace

INT_PTR CALLBACK DlgProc2(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      PostMessageA(page, WM_PAGEREFRESH, 0, 0);
      return TRUE;
    case WM_PAGEREFRESH:
      CountPass(page);
      return TRUE;
    case WM_COMMAND:
      if (lParam == 0 && LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) return FALSE;
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      return OnButton(page, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_CREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(page);
      return TRUE;
    default:
      return FALSE;
  }
}
