// The window the clean page shows a preview of the clean run in.
#include "preview_window.h"

#include <windows.h>

const char kPreviewWindowClass[] = "MopwellPreview";

namespace {

constexpr int kListId = 100, kTotalsId = 101, kCloseId = IDOK;

HWND g_window = nullptr;

void Layout(HWND window) {
  RECT rc;
  GetClientRect(window, &rc);
  int w = rc.right - rc.left, h = rc.bottom - rc.top;
  MoveWindow(GetDlgItem(window, kListId), 0, 0, w, h - 36, TRUE);
  MoveWindow(GetDlgItem(window, kTotalsId), 6, h - 30, w - 100, 24, TRUE);
  MoveWindow(GetDlgItem(window, kCloseId), w - 88, h - 32, 80, 26, TRUE);
}

LRESULT CALLBACK PreviewProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE: Layout(window); return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kCloseId) DestroyWindow(window);
      return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_DESTROY:
      if (g_window == window) g_window = nullptr;
      return 0;
    default: return DefWindowProcA(window, msg, wParam, lParam);
  }
}

bool Registered() {
  static bool done = false;
  if (done) return true;
  WNDCLASSA wc{};
  wc.lpfnWndProc = PreviewProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kPreviewWindowClass;
  done = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  return done;
}

}  // namespace

HWND ShowPreviewWindow(HWND owner, const PreviewList& list) {
  if (!Registered()) return nullptr;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!g_window) {
    g_window = CreateWindowExA(0, kPreviewWindowClass, "Mopwell: what the clean run would do",
                               WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 720, 480, owner, nullptr,
                               instance, nullptr);
    if (!g_window) return nullptr;
    HFONT font = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    HWND edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                                    ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                                0, 0, 10, 10, g_window, reinterpret_cast<HMENU>(kListId), instance, nullptr);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // A long list must fit: the field's default limit is 32 KB.
    SendMessageA(edit, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 10, 10, g_window,
                    reinterpret_cast<HMENU>(kTotalsId), instance, nullptr);
    CreateWindowExA(0, "BUTTON", "Close", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 0, 0, 10, 10, g_window,
                    reinterpret_cast<HMENU>(kCloseId), instance, nullptr);
    Layout(g_window);
  }
  SetDlgItemTextA(g_window, kListId, list.Text(true).c_str());
  SetDlgItemTextA(g_window, kTotalsId, list.Totals().c_str());
  ShowWindow(g_window, SW_SHOW);
  SetForegroundWindow(g_window);
  return g_window;
}
