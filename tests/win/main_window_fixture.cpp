#include "main_window_fixture.h"

namespace {
BOOL CALLBACK CountDialogs(HWND hwnd, LPARAM lp) {
  char cls[64] = "";
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpA(cls, "#32770") == 0 && GetParent(hwnd) == htab) ++*reinterpret_cast<int*>(lp);
  return TRUE;
}
}  // namespace

void MainWindowTest::SetUp() {
  fake = std::make_unique<FakePlatform>();
  htab = nullptr;
  hWndMain = nullptr;
  hWndDialog1 = hWndDialog2 = hWndDialog3 = hWndDialog4 = hWndDialog5 = hWndDialog6 = nullptr;
  CurrentPage = 0;
  OSV = 0;
  szCommand[0] = '\0';
  static bool registered = false;
  if (!registered) registered = RegisterMainClass(GetModuleHandleA(nullptr));
  ASSERT_TRUE(registered);
}

void MainWindowTest::TearDown() {
  if (main && IsWindow(main)) DestroyWindow(main);
  Pump();
  fake.reset();
}

HWND MainWindowTest::Start() {
  main = CreateMainWindow(SW_SHOWNORMAL);
  Pump();
  return main;
}

int MainWindowTest::Pump() {
  MSG msg;
  int code = -1;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      code = static_cast<int>(msg.wParam);
      quitCode = code;
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return code;
}

void MainWindowTest::SelectTab(int index) {
  NMHDR hdr{htab, static_cast<UINT_PTR>(GetDlgCtrlID(htab)), static_cast<UINT>(TCN_SELCHANGING)};
  LRESULT allow = SendMessageA(main, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr));
  ASSERT_EQ(allow, 0) << "the main window must let the tab change";
  SendMessageA(htab, TCM_SETCURSEL, index, 0);
  hdr.code = static_cast<UINT>(TCN_SELCHANGE);
  EXPECT_EQ(SendMessageA(main, WM_NOTIFY, hdr.idFrom, reinterpret_cast<LPARAM>(&hdr)), 0);
  Pump();
}

int MainWindowTest::LivePages() const {
  int n = 0;
  EnumChildWindows(htab, CountDialogs, reinterpret_cast<LPARAM>(&n));
  return n;
}

std::string MainWindowTest::ControlText(HWND dialog, int id) const {
  char buf[1024] = "";
  GetDlgItemTextA(dialog, id, buf, sizeof buf);
  return buf;
}

std::string MainWindowTest::MenuText(UINT id) const {
  char buf[256] = "";
  HMENU menu = GetSystemMenu(main, FALSE);
  if (GetMenuStringA(menu, id, buf, sizeof buf, MF_BYCOMMAND) <= 0) return std::string();
  return buf;
}
