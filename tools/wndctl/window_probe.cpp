#include "window_probe.h"

#include <commctrl.h>

namespace probe {

namespace {

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
                                  SMTO_ABORTIFHUNG, 5000, nullptr);
  (void)n;
  buf[sizeof buf - 1] = '\0';
  return buf;
}

std::string MessageBoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  return text ? WindowText(text) : std::string();
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
  HWND tab = FindChildByClass(mainWindow, WC_TABCONTROLA);
  if (!tab) return -1;
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutA(tab, TCM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) return -1;
  return static_cast<int>(count);
}

long WaitForExit(HANDLE process, DWORD timeoutMs) {
  if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  return static_cast<long>(code);
}

}  // namespace probe
