// The cookie keeper page (dialog 400): the cookies the browser holds and the
// ones the user keeps, moved between two lists; Save writes the kept ones
// to the keep file "hookies.txt" in the program's folder, which the clean
// run copies over the browser's cookie file.
//
// Each cookie is held raw, one line of a file with its own line end, in the
// page's state; that is what is matched, moved and written. The lists show
// it readably (fields in columns, no line-end glyphs) and each row carries
// the index of its raw line, since the sorted lists move rows about.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cookies/keep_list.h"
#include "mopwell.h"
#include "places.h"
#include "platform.h"
#include "prefs_file.h"
#include "resource.h"

namespace {

constexpr char kKeepFile[] = "hookies.txt";
// A browser keeps a few hundred cookies of at most a few kilobytes each;
// past these only the start of a file is read, so a damaged or planted
// file can neither fill the memory nor keep the page busy for minutes.
constexpr std::size_t kReadLimit = 4u << 20;
constexpr std::size_t kMostCookies = 5000;
// Column layout, in average character widths: the space between columns,
// and the widest a column grows for a long field.
constexpr int kColumnGap = 2;
constexpr int kWidestColumn = 40;
// Rows are measured up to this many characters, and scroll to at most this
// many pixels: far past any cookie a browser keeps (about 4,000 bytes).
constexpr std::size_t kLongRow = 16384;
constexpr int kWidestRow = 0x7fff;

struct Cookie {
  std::string raw;   // the line as read, line end included
  std::string text;  // what the lists show
  int width = 0;     // the shown text's width in the lists, in pixels
};

struct KeeperState {
  std::vector<Cookie> cookies;  // every row of both lists points here
  // The keep list holds every cookie the keep file holds (or there is no
  // keep file): only then may Save replace it.
  bool keepLoaded = false;
  bool loaded = false;  // a reload has run
};

KeeperState* State(HWND page) { return reinterpret_cast<KeeperState*>(GetWindowLongPtrA(page, GWLP_USERDATA)); }

enum class Read { Whole, Missing, Cut, Failed };

// The cookies of a file: all of them (Whole), none since there is no such
// file (Missing), the first ones only (Cut: the file is larger than is
// read), or none or some since it could not be read (Failed: held by
// another program, no access).
Read ReadCookies(const char* path, std::vector<std::string>& lines) {
  lines.clear();
  if (!path[0]) return Read::Missing;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Read::Missing : Read::Failed;
  }
  std::string data;
  Read result = Read::Whole;
  char chunk[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) {
      result = Read::Failed;
      break;
    }
    if (got == 0) break;
    if (data.size() + got > kReadLimit) {
      // Cut at the limit, the last line is only a piece: no cookie to keep.
      data.append(chunk, kReadLimit - data.size());
      std::size_t lf = data.rfind('\n');
      data.resize(lf == std::string::npos ? 0 : lf + 1);
      result = Read::Cut;
      break;
    }
    data.append(chunk, got);
  }
  CloseHandle(file);
  if (result == Read::Failed) return result;
  lines = cookies::CookieLines(data);
  if (lines.size() > kMostCookies) {
    lines.resize(kMostCookies);
    result = Read::Cut;
  }
  return result;
}

bool CanOpen(const char* path) {
  std::FILE* f = path[0] ? std::fopen(path, "rb") : nullptr;
  if (f) std::fclose(f);
  return f != nullptr;
}

// The list's font and its average character width (as dialogs and lists
// reckon it), for measuring rows.
class ListDc {
 public:
  explicit ListDc(HWND list) : list_(list), dc_(GetDC(list)) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0));
    if (font) old_ = SelectObject(dc_, font);
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    GetTextExtentPoint32A(dc_, kLetters, 52, &size);
    avg_ = std::max<LONG>(1, (size.cx / 26 + 1) / 2);
  }
  ~ListDc() {
    if (old_) SelectObject(dc_, old_);
    ReleaseDC(list_, dc_);
  }
  ListDc(const ListDc&) = delete;
  ListDc& operator=(const ListDc&) = delete;
  HDC dc() const { return dc_; }
  int avg() const { return avg_; }
  int Width(std::string_view text) const {
    SIZE size{};
    GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(std::min<std::size_t>(text.size(), kLongRow)), &size);
    return size.cx;
  }

 private:
  HWND list_;
  HDC dc_;
  HGDIOBJ old_ = nullptr;
  int avg_ = 1;
};

// Lines the fields of every cookie up in columns in both lists, and
// measures each row with the tabs expanded as the lists draw them.
void LayOut(HWND page, KeeperState& state) {
  HWND collected = GetDlgItem(page, IDC_KEEPER_COLLECTED), kept = GetDlgItem(page, IDC_KEEPER_KEPT);
  ListDc measure(collected);
  const int avg = measure.avg();
  std::vector<std::vector<int>> widths;
  for (const Cookie& c : state.cookies) {
    widths.emplace_back();
    for (std::string_view field : cookies::Fields(c.text)) widths.back().push_back(measure.Width(field));
  }
  std::vector<int> stops = cookies::ColumnStops(widths, kColumnGap * avg, kWidestColumn * avg);
  // The lists take their stops in quarters of the average character width.
  std::vector<INT> units, pixels;
  for (int px : stops) {
    units.push_back(MulDiv(px, 4, avg) + 1);
    pixels.push_back(MulDiv(units.back(), avg, 4));
  }
  for (HWND list : {collected, kept})
    SendMessageA(list, LB_SETTABSTOPS, units.size(), units.empty() ? 0 : reinterpret_cast<LPARAM>(units.data()));
  for (Cookie& c : state.cookies) {
    // The tabbed extent comes in 16 bits; a row that long is measured
    // plainly, from its last column on.
    int width = c.text.size() < kLongRow / 4
                    ? LOWORD(GetTabbedTextExtentA(measure.dc(), c.text.data(), static_cast<int>(c.text.size()),
                                                  static_cast<int>(pixels.size()),
                                                  pixels.empty() ? nullptr : pixels.data()))
                    : (pixels.empty() ? 0 : pixels.back()) + measure.Width(c.text);
    // A little room for the list's own margin and the focus frame.
    c.width = std::min(width + avg, kWidestRow);
  }
}

// Makes sure the list scrolls sideways far enough for the cookie's row.
void Widen(HWND list, const Cookie& c) {
  if (SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0) < c.width)
    SendMessageA(list, LB_SETHORIZONTALEXTENT, c.width, 0);
}

// False when the list took no row.
bool AddRow(HWND list, const KeeperState& state, std::size_t index) {
  LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(state.cookies[index].text.c_str()));
  if (at == LB_ERR || at == LB_ERRSPACE) return false;
  SendMessageA(list, LB_SETITEMDATA, at, static_cast<LPARAM>(index));
  Widen(list, state.cookies[index]);
  return true;
}

// The cookie a list row stands for; null for no row.
const Cookie* RowCookie(HWND list, const KeeperState& state, LRESULT row) {
  if (row == LB_ERR) return nullptr;
  LRESULT index = SendMessageA(list, LB_GETITEMDATA, row, 0);
  if (index == LB_ERR || index < 0 || static_cast<std::size_t>(index) >= state.cookies.size()) return nullptr;
  return &state.cookies[static_cast<std::size_t>(index)];
}

void Clear(HWND page, KeeperState& state) {
  for (int id : {IDC_KEEPER_COLLECTED, IDC_KEEPER_KEPT}) {
    SendDlgItemMessageA(page, id, LB_RESETCONTENT, 0, 0);
    SendDlgItemMessageA(page, id, LB_SETHORIZONTALEXTENT, 0, 0);
  }
  state.cookies.clear();
  state.keepLoaded = false;
}

void Reload(HWND page, KeeperState& state) {
  HWND collected = GetDlgItem(page, IDC_KEEPER_COLLECTED), kept = GetDlgItem(page, IDC_KEEPER_KEPT);
  // Clears a read-only mark the cookie blocker set: never on a folder, and
  // never through a name the file shares with another, whose mark it is
  // as well.
  DWORD attributes = GetFileAttributesA(szCookieLoc);
  if (szCookieLoc[0] && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      !HasOtherNames(szCookieLoc))
    SetFileAttributesA(szCookieLoc, FILE_ATTRIBUTE_ARCHIVE);
  Clear(page, state);
  state.loaded = true;
  std::vector<std::string> browser, keep;
  ReadCookies(szCookieLoc, browser);
  Read keepRead = ReadCookies(kKeepFile, keep);
  state.keepLoaded = keepRead == Read::Whole || keepRead == Read::Missing;
  // A cookie already kept is not offered again.
  browser = cookies::NotKept(browser, keep);
  for (std::string& line : keep) state.cookies.push_back({line, cookies::DisplayText(line), 0});
  for (std::string& line : browser) state.cookies.push_back({line, cookies::DisplayText(line), 0});
  LayOut(page, state);
  for (std::size_t i = 0; i < state.cookies.size(); ++i)
    if (!AddRow(i < keep.size() ? kept : collected, state, i) && i < keep.size()) state.keepLoaded = false;
}

// Moves the selected cookie of one list to the other.
void Move(HWND page, const KeeperState& state, int from, int to) {
  HWND source = GetDlgItem(page, from);
  LRESULT row = SendMessageA(source, LB_GETCURSEL, 0, 0);
  const Cookie* c = RowCookie(source, state, row);
  if (!c || c->raw.empty()) return;
  // A row the other list cannot take stays where it is.
  if (AddRow(GetDlgItem(page, to), state, static_cast<std::size_t>(c - state.cookies.data())))
    SendMessageA(source, LB_DELETESTRING, row, 0);
}

void ShowSelected(HWND page, const KeeperState& state) {
  const Cookie* c = nullptr;
  for (int id : {IDC_KEEPER_COLLECTED, IDC_KEEPER_KEPT}) {
    HWND list = GetDlgItem(page, id);
    LRESULT row = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (row != LB_ERR) {
      c = RowCookie(list, state, row);
      break;
    }
  }
  std::string text = c ? c->text : std::string();
  if (text.empty()) text = "You must highlight a cookie to see its contents. Try again.";
  plat::Prompt(nullptr, text.c_str(), "Highlighted cookie", MB_ICONINFORMATION);
}

// The keep file is the user's own: it is replaced whole, never cut short,
// and a failure is said as such. Nor is it replaced by a keep list that
// does not hold what it holds: the cookies kept before would be lost.
void Save(HWND page, const KeeperState& state) {
  if (!state.keepLoaded) {
    plat::Prompt(nullptr,
                 state.loaded
                     ? "Fettlor settings were not saved: hookies.txt could not be read whole, and saving now would "
                       "lose the cookies kept in it."
                     : "Fettlor settings were not saved: Netscape's cookies were not found, so the cookies kept "
                       "before were not loaded either, and saving now would lose them.",
                 "Fettlor settings", MB_ICONEXCLAMATION);
    return;
  }
  HWND kept = GetDlgItem(page, IDC_KEEPER_KEPT);
  std::vector<std::string> entries;
  LRESULT count = SendMessageA(kept, LB_GETCOUNT, 0, 0);
  for (LRESULT row = 0; row < count; ++row)
    if (const Cookie* c = RowCookie(kept, state, row)) entries.push_back(c->raw);
  if (ReplaceFileWhole(kKeepFile, cookies::BuildKeepFile(entries)))
    plat::Prompt(nullptr, "Fettlor settings have been saved.", "Fettlor settings", MB_ICONINFORMATION);
  else
    plat::Prompt(nullptr, "Fettlor settings could not be saved: hookies.txt cannot be written.",
                 "Fettlor settings", MB_ICONEXCLAMATION);
}

}  // namespace

INT_PTR CALLBACK DlgProc3(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  KeeperState* state = State(page);
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new KeeperState));
      if (CanOpen(szCookieLoc)) PostMessageA(page, WM_PAGEREFRESH, 0, 0);
      return TRUE;
    case WM_DESTROY:
      SetWindowLongPtrA(page, GWLP_USERDATA, 0);
      delete state;
      return FALSE;
    case WM_PAGEREFRESH:
      if (state) {
        try {
          Reload(page, *state);
        } catch (const std::bad_alloc&) {
          Clear(page, *state);  // and Save stays refused
        }
      }
      return TRUE;
    case WM_COMMAND: {
      if (lParam == 0 || !state) return FALSE;
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
        case IDC_KEEPER_KEEP: Move(page, *state, IDC_KEEPER_COLLECTED, IDC_KEEPER_KEPT); return TRUE;
        case IDC_KEEPER_REMOVE: Move(page, *state, IDC_KEEPER_KEPT, IDC_KEEPER_COLLECTED); return TRUE;
        case IDC_KEEPER_SHOW: ShowSelected(page, *state); return TRUE;
        case IDC_KEEPER_SAVE: Save(page, *state); return TRUE;
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
