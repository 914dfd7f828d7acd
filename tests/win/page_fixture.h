// A tab page on its own: the clean slate of the discovery tests, a plain
// top-level window to hold the page (a child dialog), and the messages the
// page posts to itself delivered after each step.
#pragma once
#include <windows.h>

#include <string>

#include "discovery_fixture.h"
#include "mopwell.h"

class PageTest : public DiscoveryTest {
 protected:
  void SetUp() override {
    DiscoveryTest::SetUp();
    holder = CreateWindowExA(0, "STATIC", "holder", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  }
  void TearDown() override {
    if (page) DestroyWindow(page);
    page = nullptr;
    DestroyWindow(holder);
    Pump();
    DiscoveryTest::TearDown();
  }
  // Creates the page as the main window does and lets its posted load
  // arrive.
  void OpenPage(int dialog, DLGPROC proc) {
    page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialog), holder, proc, 0);
    ASSERT_NE(page, nullptr);
    Pump();
  }
  void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  // A click on a button as it reaches the page.
  void Press(int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    Pump();
  }
  std::string Text(int id) {
    char buf[512] = "";
    GetDlgItemTextA(page, id, buf, sizeof buf);
    return buf;
  }
  HWND holder = nullptr, page = nullptr;
};
