// The cookie keeper page (dialog 400): the cookies the browser holds and the
// ones the user keeps, moved between two lists; Save writes the kept ones
// to the keep file "hookies.txt" in the program's folder, which the clean
// run copies over the browser's cookie file. A list entry is one raw line
// of a file, its line end included.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "mopwell.h"
#include "platform.h"
#include "prefs_file.h"
#include "resource.h"

namespace {

constexpr char kKeepFile[] = "hookies.txt";
constexpr char kKeepHeader[] =
    "# Netscape HTTP Cookie File\r\r\n"
    "# http://www.netscape.com/newsref/std/cookie_spec.html\r\r\n"
    "# This is a generated file!  Do not edit.\r\r\n"
    "\r\r\n";
constexpr int kHeaderLines = 4;
// A cookie file holds a few hundred lines; past this only the start is
// read, so a damaged or planted file cannot fill the memory.
constexpr std::size_t kReadLimit = 16u << 20;

// The lines of a file after its four header lines, each with its line end
// (the last one may have none). False when the file cannot be opened.
bool ReadEntries(const char* path, std::vector<std::string>& entries) {
  entries.clear();
  std::FILE* f = path[0] ? std::fopen(path, "rb") : nullptr;
  if (!f) return false;
  std::string data;
  char chunk[4096];
  for (std::size_t got; data.size() < kReadLimit && (got = std::fread(chunk, 1, sizeof chunk, f)) > 0;)
    data.append(chunk, got);
  std::fclose(f);
  int line = 0;
  for (std::size_t at = 0; at < data.size();) {
    std::size_t end = data.find('\n', at);
    end = end == std::string::npos ? data.size() : end + 1;
    if (++line > kHeaderLines) entries.push_back(data.substr(at, end - at));
    at = end;
  }
  return true;
}

bool CanOpen(const char* path) {
  std::FILE* f = path[0] ? std::fopen(path, "rb") : nullptr;
  if (f) std::fclose(f);
  return f != nullptr;
}

std::string EntryText(HWND list, int index) {
  LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
  if (length == LB_ERR) return std::string();
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  LRESULT got = SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(&text[0]));
  text.resize(got == LB_ERR ? 0 : static_cast<std::size_t>(got));
  return text;
}

std::vector<std::string> Entries(HWND list) {
  std::vector<std::string> entries;
  LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; ++i) entries.push_back(EntryText(list, i));
  return entries;
}

void Add(HWND list, const std::string& entry) {
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
}

// An empty line as Save writes it (CR, CR, LF) at the top of a list.
void DropEmptyFirst(HWND list) {
  if (SendMessageA(list, LB_GETCOUNT, 0, 0) > 0 && EntryText(list, 0).size() == 3)
    SendMessageA(list, LB_DELETESTRING, 0, 0);
}

void Reload(HWND page) {
  HWND collected = GetDlgItem(page, IDC_KEEPER_COLLECTED), kept = GetDlgItem(page, IDC_KEEPER_KEPT);
  // Clears a read-only mark the cookie blocker set (never on a folder).
  DWORD attributes = GetFileAttributesA(szCookieLoc);
  if (szCookieLoc[0] && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    SetFileAttributesA(szCookieLoc, FILE_ATTRIBUTE_ARCHIVE);
  SendMessageA(collected, LB_RESETCONTENT, 0, 0);
  SendMessageA(kept, LB_RESETCONTENT, 0, 0);
  std::vector<std::string> entries;
  if (ReadEntries(szCookieLoc, entries))
    for (const std::string& e : entries) Add(collected, e);
  if (ReadEntries(kKeepFile, entries))
    for (const std::string& e : entries) Add(kept, e);
  // A cookie already kept is not offered again.
  for (const std::string& e : Entries(kept)) {
    LRESULT at = SendMessageA(collected, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(e.c_str()));
    if (at != LB_ERR) SendMessageA(collected, LB_DELETESTRING, at, 0);
  }
  DropEmptyFirst(kept);
  DropEmptyFirst(collected);
}

// Moves the selected entry of one list to the other.
void Move(HWND page, int from, int to) {
  HWND source = GetDlgItem(page, from);
  LRESULT at = SendMessageA(source, LB_GETCURSEL, 0, 0);
  if (at == LB_ERR) return;
  std::string text = EntryText(source, static_cast<int>(at));
  if (text.empty()) return;
  Add(GetDlgItem(page, to), text);
  SendMessageA(source, LB_DELETESTRING, at, 0);
}

void ShowSelected(HWND page) {
  std::string text;
  for (int id : {IDC_KEEPER_COLLECTED, IDC_KEEPER_KEPT}) {
    HWND list = GetDlgItem(page, id);
    LRESULT at = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (at != LB_ERR) {
      text = EntryText(list, static_cast<int>(at));
      break;
    }
  }
  if (text.size() < 4) text = "You must highlight a cookie to see its contents. Try again.";
  plat::Prompt(nullptr, text.c_str(), "Highlighted cookie", MB_ICONINFORMATION);
}

// The keep file is the user's own: it is replaced whole, never cut short,
// and a failure is said as such.
void Save(HWND page) {
  std::string bytes = kKeepHeader;
  for (const std::string& e : Entries(GetDlgItem(page, IDC_KEEPER_KEPT))) {
    bytes += e;
    // A last line without its end would run into the next entry.
    if (e.empty() || e.back() != '\n') bytes += "\r\n";
  }
  if (ReplaceFileWhole(kKeepFile, bytes))
    plat::Prompt(nullptr, "Fettlor settings have been saved.", "Fettlor settings", MB_ICONINFORMATION);
  else
    plat::Prompt(nullptr, "Fettlor settings could not be saved: hookies.txt cannot be written.",
                 "Fettlor settings", MB_ICONEXCLAMATION);
}

}  // namespace

INT_PTR CALLBACK DlgProc3(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      if (CanOpen(szCookieLoc)) PostMessageA(page, WM_PAGEREFRESH, 0, 0);
      return TRUE;
    case WM_PAGEREFRESH:
      Reload(page);
      return TRUE;
    case WM_COMMAND: {
      if (lParam == 0) return FALSE;
      int id = LOWORD(wParam);
      if (id == IDC_KEEPER_COLLECTED || id == IDC_KEEPER_KEPT) {
        // At most one list has a selection.
        if (HIWORD(wParam) == LBN_SELCHANGE)
          SendDlgItemMessageA(page, id == IDC_KEEPER_COLLECTED ? IDC_KEEPER_KEPT : IDC_KEEPER_COLLECTED,
                              LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        return TRUE;
      }
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      switch (id) {
        case IDC_KEEPER_KEEP: Move(page, IDC_KEEPER_COLLECTED, IDC_KEEPER_KEPT); return TRUE;
        case IDC_KEEPER_REMOVE: Move(page, IDC_KEEPER_KEPT, IDC_KEEPER_COLLECTED); return TRUE;
        case IDC_KEEPER_SHOW: ShowSelected(page); return TRUE;
        case IDC_KEEPER_SAVE: Save(page); return TRUE;
        case IDC_KEEPER_UNDO:
          if (CanOpen(szCookieLoc))
            PostMessageA(page, WM_PAGEREFRESH, 0, 0);
          else
            plat::Prompt(nullptr, "Cookies data was not found.", "File error:", MB_ICONEXCLAMATION);
          return TRUE;
        default: return FALSE;
      }
    }
    case WM_CLOSE:
      DestroyWindow(page);
      return TRUE;
    default:
      return FALSE;
  }
}
