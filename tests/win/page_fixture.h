// A tab page on its own: the clean slate of the discovery tests, a plain
// top-level window to hold the page (a child dialog), and the messages the
// page posts to itself delivered after each step.
#pragma once
#include <windows.h>

#include <string>

#include "demo_profile.h"
#include "discovery_fixture.h"
#include "mopwell.h"
#include "resource.h"
#include "wipe.h"

class PageTest : public DiscoveryTest {
 protected:
  void SetUp() override {
    DiscoveryTest::SetUp();
    holder = CreateWindowExA(0, "STATIC", "holder", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
  }
  void TearDown() override {
    FormDumpFilePaths(std::string());
    if (page) DestroyWindow(page);
    page = nullptr;
    DestroyWindow(holder);
    Pump();
    DiscoveryTest::TearDown();
  }
  // A demo browser user made with `seed` and found as the program finds it
  // at start (the registry, the profile, the cache and the dump files'
  // paths in the program folder). Returns its Communicator generation.
  DemoGeneration StartOnDemo(int seed) {
    DemoOptions o = DemoHere(seed);
    std::string error;
    EXPECT_TRUE(MakeDemoProfile(o, nullptr, &error)) << error;
    CheckNSReg();
    getIt();
    lstrcpyA(szCacheIn, szCacheLoc);
    FormDumpFilePaths(fake->programDir);
    return DescribeDemo(o).communicator;
  }
  // The clean page, first tab, ready for a step to be driven on it (no
  // posted message delivered yet).
  void OpenCleanPage() {
    CurrentPage = 0;
    page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CLEAN), holder, DlgProc1, 0);
    ASSERT_NE(page, nullptr);
    lstrcpyA(szCommand, "moo");
  }
  // A clean run started from a clean page of its own, with the alias box
  // checked or not; the page is gone again afterwards.
  void CleanFromPage(bool alias) {
    HWND clean = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CLEAN), holder, DlgProc1, 0);
    ASSERT_NE(clean, nullptr);
    CheckDlgButton(clean, 125, alias ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(clean, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(clean, IDOK)));
    DestroyWindow(clean);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
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
