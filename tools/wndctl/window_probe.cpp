#include "window_probe.h"

#include <commctrl.h>

namespace probe {

namespace {

constexpr DWORD kAnswerMs = 5000;  // how long a control may take to answer a question

struct Search {
  const char* className;
  const char* title;
  HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
  Search* s = reinterpret_cast<Search*>(lp);
  char cls[256] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (s->className && lstrcmpA(cls, s->className) != 0) return TRUE;
  if (s->title && WindowText(hwnd) != s->title) return TRUE;
  if (!IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

BOOL CALLBACK VisitChild(HWND hwnd, LPARAM lp) {
  Search* s = reinterpret_cast<Search*>(lp);
  char cls[256] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpiA(cls, s->className) != 0) return TRUE;
  s->found = hwnd;
  return FALSE;
}

bool IsClass(HWND hwnd, const char* className) {
  char cls[256] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  return lstrcmpiA(cls, className) == 0;
}

// Asks a window a question whose answer is the result alone (no pointer
// in the message). False when it does not answer in time.
bool Ask(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, DWORD_PTR* result) {
  return hwnd && SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, kAnswerMs, result) != 0;
}

// Memory inside another process, for the control messages whose answer
// is written through a pointer that Windows does not carry across
// processes (TCM_GETITEMRECT and the like).
class RemoteMemory {
 public:
  RemoteMemory(HWND owner, SIZE_T size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(owner, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteMemory() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
  }
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;

  void* address() const { return address_; }
  bool Read(void* into) const {
    SIZE_T got = 0;
    return address_ && ReadProcessMemory(process_, address_, into, size_, &got) && got == size_;
  }

 private:
  HANDLE process_ = nullptr;
  void* address_ = nullptr;
  SIZE_T size_;
};

bool TabItemRect(HWND tab, int index, RECT* rect) {
  RemoteMemory memory(tab, sizeof(RECT));
  if (!memory.address()) return false;
  DWORD_PTR ok = 0;
  if (!Ask(tab, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(memory.address()), &ok) ||
      !ok)
    return false;
  return memory.Read(rect);
}

HWND TabControl(HWND mainWindow) { return FindChildByClass(mainWindow, WC_TABCONTROLA); }

struct PageSearch {
  HWND tab;
  HWND found;
};

BOOL CALLBACK VisitPage(HWND hwnd, LPARAM lp) {
  PageSearch* s = reinterpret_cast<PageSearch*>(lp);
  if (GetParent(hwnd) != s->tab || !IsClass(hwnd, "#32770") || !IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}

struct BoxSearch {
  DWORD pid;
  std::vector<std::string>* titles;
};

BOOL CALLBACK VisitBox(HWND hwnd, LPARAM lp) {
  BoxSearch* s = reinterpret_cast<BoxSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->pid && IsClass(hwnd, "#32770") && IsWindowVisible(hwnd)) {
    char title[512] = "";
    GetWindowTextA(hwnd, title, sizeof title);  // a top-level caption is read without a message
    s->titles->push_back(title);
  }
  return TRUE;
}

int RowOf(const std::vector<std::string>& rows, const std::string& text) {
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i] == text) return static_cast<int>(i);
  return -1;
}

}  // namespace

HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    Search s{className, title, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(50);
  }
}

HWND WaitForMessageBox(const char* title, DWORD timeoutMs) {
  return WaitForWindow("#32770", title, timeoutMs);
}

std::string WindowText(HWND hwnd) {
  char buf[8192] = "";
  // WM_GETTEXT crosses processes; GetWindowText would not for controls.
  LRESULT n = SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf),
                                  SMTO_ABORTIFHUNG, kAnswerMs, nullptr);
  (void)n;
  buf[sizeof buf - 1] = '\0';
  return buf;
}

std::string StoredText(HWND hwnd) {
  wchar_t wide[4096] = L"";
  int n = InternalGetWindowText(hwnd, wide, sizeof wide / sizeof wide[0]);
  if (n <= 0) return std::string();
  char buf[8192] = "";
  int got = WideCharToMultiByte(CP_ACP, 0, wide, n, buf, sizeof buf, nullptr, nullptr);
  return std::string(buf, got > 0 ? got : 0);
}

std::string MessageBoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  return text ? WindowText(text) : std::string();
}

std::vector<std::string> OpenMessageBoxes(HWND window) {
  std::vector<std::string> titles;
  BoxSearch s{0, &titles};
  GetWindowThreadProcessId(window, &s.pid);
  if (s.pid) EnumWindows(VisitBox, reinterpret_cast<LPARAM>(&s));
  return titles;
}

void PressButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

HWND FindChildByClass(HWND parent, const char* className) {
  Search s{className, nullptr, nullptr};
  EnumChildWindows(parent, VisitChild, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

int TabCount(HWND mainWindow) {
  DWORD_PTR count = 0;
  if (!Ask(TabControl(mainWindow), TCM_GETITEMCOUNT, 0, 0, &count)) return -1;
  return static_cast<int>(count);
}

long WaitForExit(HANDLE process, DWORD timeoutMs) {
  if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return static_cast<long>(code);
}

HWND CurrentPage(HWND mainWindow) {
  PageSearch s{TabControl(mainWindow), nullptr};
  if (s.tab) EnumChildWindows(s.tab, VisitPage, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

int SelectedTab(HWND mainWindow) {
  DWORD_PTR selected = 0;
  if (!Ask(TabControl(mainWindow), TCM_GETCURSEL, 0, 0, &selected)) return -1;
  return static_cast<int>(static_cast<LONG_PTR>(selected));
}

HWND PickTab(HWND mainWindow, int index, DWORD timeoutMs) {
  HWND tab = TabControl(mainWindow);
  RECT r;
  if (!tab || !TabItemRect(tab, index, &r)) return nullptr;
  HWND before = CurrentPage(mainWindow);
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  PostMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(tab, WM_LBUTTONUP, 0, at);
  DWORD start = GetTickCount();
  for (;;) {
    HWND page = CurrentPage(mainWindow);
    if (page && page != before && (!before || !IsWindow(before)) && SelectedTab(mainWindow) == index) return page;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(20);
  }
}

bool Settle(HWND dialog, DWORD timeoutMs) {
  // A marker travels behind whatever was posted before it: the dialog's
  // default button id, set by a posted DM_SETDEFID and read back with
  // DM_GETDEFID. Once it reads back, everything before it has been
  // handled; then the old default is put back.
  static WORD marker = 0x7A00;
  marker = static_cast<WORD>(marker == 0x7AFF ? 0x7A00 : marker + 1);
  DWORD_PTR before = 0;
  if (!SendMessageTimeoutA(dialog, DM_GETDEFID, 0, 0, SMTO_NORMAL, timeoutMs, &before)) return false;
  if (!PostMessageA(dialog, DM_SETDEFID, marker, 0)) return false;
  DWORD start = GetTickCount();
  for (;;) {
    DWORD_PTR now = 0;
    if (SendMessageTimeoutA(dialog, DM_GETDEFID, 0, 0, SMTO_NORMAL, kAnswerMs, &now) && LOWORD(now) == marker)
      break;
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  WPARAM old = HIWORD(before) == DC_HASDEFID ? LOWORD(before) : 0;
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(dialog, DM_SETDEFID, old, 0, SMTO_NORMAL, kAnswerMs, &ignored) != 0;
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

int CheckState(HWND dialog, int id) {
  DWORD_PTR state = 0;
  if (!Ask(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, &state)) return -1;
  return static_cast<int>(state);
}

bool SetCheck(HWND dialog, int id, bool checked, DWORD timeoutMs) {
  const int want = checked ? BST_CHECKED : BST_UNCHECKED;
  int state = CheckState(dialog, id);
  if (state < 0) return false;
  if (state == want) return true;
  Click(dialog, id);
  DWORD start = GetTickCount();
  while (CheckState(dialog, id) != want) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(20);
  }
  return true;
}

bool SetItemText(HWND dialog, int id, const std::string& text) {
  HWND control = GetDlgItem(dialog, id);
  DWORD_PTR ok = 0;
  return control && SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                        SMTO_ABORTIFHUNG, kAnswerMs, &ok) &&
         ok;
}

std::string ItemText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? WindowText(control) : std::string();
}

std::vector<std::string> ListRows(HWND dialog, int id) {
  std::vector<std::string> rows;
  HWND list = GetDlgItem(dialog, id);
  DWORD_PTR count = 0;
  if (!Ask(list, LB_GETCOUNT, 0, 0, &count) || static_cast<LONG_PTR>(count) < 0) return rows;
  for (DWORD_PTR i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    if (!Ask(list, LB_GETTEXTLEN, i, 0, &length) || static_cast<LONG_PTR>(length) < 0) break;
    // Asked for in wide characters: Wine 8 carries LB_GETTEXT across
    // processes with its buffer but hands the ANSI form the wide text,
    // twice the bytes the caller made room for.
    std::wstring wide(length + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&wide[0]), SMTO_ABORTIFHUNG, kAnswerMs,
                             &got) ||
        static_cast<LONG_PTR>(got) < 0 || got > length)
      break;
    std::string row(2 * got + 1, '\0');
    int n = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(got), &row[0], static_cast<int>(row.size()),
                                nullptr, nullptr);
    row.resize(n > 0 ? n : 0);
    rows.push_back(row);
  }
  return rows;
}

bool SelectRow(HWND dialog, int id, const std::string& text) {
  HWND list = GetDlgItem(dialog, id);
  int row = RowOf(ListRows(dialog, id), text);
  DWORD_PTR result = 0;
  if (row < 0 || !Ask(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0, &result) ||
      static_cast<LONG_PTR>(result) != row)
    return false;
  // A click on a row of a notifying list tells the dialog; LB_SETCURSEL
  // alone does not.
  return PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list)) != 0;
}

bool WaitForRow(HWND dialog, int id, const std::string& text, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (RowOf(ListRows(dialog, id), text) < 0) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

}  // namespace probe
