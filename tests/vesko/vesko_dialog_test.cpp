// vesko's dialog and its ends: the double-click on the icon, the three
// buttons, the two-press removal, the close request and a quit message from
// outside; and the icon calls themselves.
#include <string>

#include "vesko_run.h"

namespace {
const char kShutdownTitle[] = "VESKO Traybar icon shutdown";
const char kShutdownText[] =
    "Please doubleclick the icon and select \n\"Remove icon\" again to confirm that \nyou want the "
    "traybar icon to go away.";
}  // namespace

TEST_F(VeskoRun, OnlyADoubleClickOpensTheDialogAndCancelClosesIt) {
  int open = 0;
  Then("the first refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; },
       [&] {
         for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDBLCLK, WM_MOUSEMOVE})
           PostMessageA(vesko::hWndMain, WM_VESKO_ICON, VESKO_ICON_ID, mouse);
       });
  // Timer ticks come after every posted message has been handled.
  Then("the other mouse messages handled", [] { return true; }, [&] { open = OpenDialog() ? 1 : 0; DoubleClickIcon(); });
  Then("the dialog", [&] { return OpenDialog() != nullptr; }, [&] { DoubleClickIcon(); });
  Then("the second double-click handled", [] { return true; },
       [&] {
         OpenDialog(&open);
         PressInDialog(IDCANCEL);
       });
  Then("the dialog closed", [&] { return OpenDialog() == nullptr; });
  ThenQuit();
  Run();
  EXPECT_EQ(open, 1) << "one dialog, however often the icon is double-clicked";
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_TRUE(tray.execs.empty());
  EXPECT_TRUE(CallsBeforeQuit(NIM_DELETE).empty());
}

TEST_F(VeskoRun, TheDialogHasItsThreeButtonsAtItsPlace) {
  RECT r{};
  std::string texts[3];
  LONG style = 0, exStyle = 0;
  Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; }, [&] { DoubleClickIcon(); });
  Then("the dialog", [&] { return OpenDialog() != nullptr; },
       [&] {
         HWND dlg = OpenDialog();
         GetClientRect(dlg, &r);
         MapWindowPoints(dlg, nullptr, reinterpret_cast<POINT*>(&r), 2);
         style = GetWindowLongA(dlg, GWL_STYLE);
         exStyle = GetWindowLongA(dlg, GWL_EXSTYLE);
         int ids[3] = {IDC_RUN_MOPWELL, IDCANCEL, IDC_REMOVE_ICON};
         char buf[64];
         for (int i = 0; i < 3; ++i) {
           GetDlgItemTextA(dlg, ids[i], buf, sizeof buf);
           texts[i] = buf;
         }
         // Compared below in pixels: the dialog units of its own font,
         // from the owner's client area, as for every dialog placed
         // without DS_ABSALIGN. Place and size are each converted on
         // their own, as the dialog manager does (the far corner would
         // round differently).
         RECT place{301, 222, 0, 0}, size{0, 0, 59, 54};
         MapDialogRect(dlg, &place);
         MapDialogRect(dlg, &size);
         POINT origin{0, 0};
         ClientToScreen(vesko::hWndMain, &origin);
         RECT du{place.left, place.top, place.left + size.right, place.top + size.bottom};
         OffsetRect(&du, origin.x, origin.y);
         r.left -= du.left, r.top -= du.top, r.right -= du.right, r.bottom -= du.bottom;
         PressInDialog(IDCANCEL);
       });
  Then("closed", [&] { return OpenDialog() == nullptr; });
  ThenQuit();
  Run();
  EXPECT_EQ(texts[0], "Run Mopwell");
  EXPECT_EQ(texts[1], "Cancel");
  EXPECT_EQ(texts[2], "Remove icon");
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_NE(style & WS_CAPTION, WS_CAPTION) << "no title bar";
  EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
  // Place and size of the client area: 59 by 54 dialog units at 301,222.
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 0);
  EXPECT_EQ(r.bottom, 0);
}

TEST_F(VeskoRun, RunMopwellStartsTheMainProgramShownNormallyFromItsFolder) {
  std::string program = platform.Folder("main program");
  WriteIni("CopyMe", "which", (program + "\\MOPWELL.BKM").c_str());
  Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; }, [&] { DoubleClickIcon(); });
  Then("the dialog", [&] { return OpenDialog() != nullptr; }, [&] { PressInDialog(IDC_RUN_MOPWELL); });
  Then("the start", [&] { return !tray.execs.empty() && OpenDialog() == nullptr; });
  ThenQuit();
  Run();
  ASSERT_EQ(tray.execs.size(), 1u);
  // By its full path: by name alone the system looks in this program's own
  // folder (the Startup folder) before the current one.
  EXPECT_EQ(tray.execs[0].cmdLine, "\"" + program + "\\MOPWELL.EXE\"");
  EXPECT_EQ(tray.execs[0].show, static_cast<UINT>(SW_SHOWNORMAL));
  EXPECT_EQ(tray.execs[0].cwd, program);
  EXPECT_TRUE(CallsBeforeQuit(NIM_DELETE).empty());
}

// Without a main program's folder (no "which" yet) the name alone is all
// there is; a folder at a drive root gets no second backslash.
TEST_F(VeskoRun, RunMopwellWithoutAFolderOrAtADriveRoot) {
  for (const char* which : {"@", "C:\\MOPWELL.BKM"}) {
    WriteIni("CopyMe", "which", which);
    tray.execs.clear();
    Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; }, [&] { DoubleClickIcon(); });
    Then("the dialog", [&] { return OpenDialog() != nullptr; }, [&] { PressInDialog(IDC_RUN_MOPWELL); });
    Then("the start", [&] { return !tray.execs.empty() && OpenDialog() == nullptr; });
    ThenQuit();
    Run();
    ASSERT_EQ(tray.execs.size(), 1u) << which;
    EXPECT_EQ(tray.execs[0].cmdLine, which[0] == '@' ? "MOPWELL.EXE" : "\"C:\\MOPWELL.EXE\"") << which;
    TearDown();
  }
}

TEST_F(VeskoRun, RemovingTheIconTakesTwoPressesTheFirstOnlyExplains) {
  size_t callsAtFirstBox = 0;
  platform.onBox = [&](const ShownBox&) { callsAtFirstBox = tray.calls.size(); };
  Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; }, [&] { DoubleClickIcon(); });
  Then("the dialog", [&] { return OpenDialog() != nullptr; }, [&] { PressInDialog(IDC_REMOVE_ICON); });
  Then("the explanation", [&] { return platform.boxes.size() == 1 && OpenDialog() == nullptr; },
       [&] { DoubleClickIcon(); });
  Then("the dialog again", [&] { return OpenDialog() != nullptr; }, [&] { PressInDialog(IDC_REMOVE_ICON); });
  // No quit from the test: the program ends by itself.
  EXPECT_EQ(Run(), 0);

  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].title, kShutdownTitle);
  EXPECT_EQ(platform.boxes[0].text, kShutdownText);
  EXPECT_EQ(platform.boxes[0].type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(platform.boxes[0].owner, nullptr);
  ASSERT_EQ(Calls(NIM_DELETE).size(), 1u);
  EXPECT_EQ(Describe(tray.calls.back()), "DEL 199");
  EXPECT_EQ(tray.calls.back().owner, vesko::hWndMain);
  EXPECT_FALSE(IsWindow(vesko::hWndMain));
  EXPECT_GT(callsAtFirstBox, 0u);
  for (size_t i = 0; i + 1 < tray.calls.size(); ++i) EXPECT_NE(tray.calls[i].message, static_cast<DWORD>(NIM_DELETE));
}

// The explanation asks for another double-click: one made while it is
// still up opens the dialog again, as one made after it.
TEST_F(VeskoRun, ADoubleClickWhileTheExplanationIsUpOpensTheDialog) {
  // The recorded box stays "up" while its handler runs: the handler
  // double-clicks the icon and lets the program's window have its
  // messages, as a modal box would, until the dialog has come and gone.
  bool inBox = false, openedDuringBox = false;
  platform.onBox = [&](const ShownBox&) {
    inBox = true;
    DoubleClickIcon();
    DWORD start = GetTickCount();
    MSG msg;
    while (!openedDuringBox && GetTickCount() - start < 20000) {
      if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      else Sleep(5);
    }
    inBox = false;
  };
  Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; }, [&] { DoubleClickIcon(); });
  Then("the dialog", [&] { return OpenDialog() != nullptr; }, [&] { PressInDialog(IDC_REMOVE_ICON); });
  Then("the dialog again while the explanation is up", [&] { return inBox && OpenDialog() != nullptr; },
       [&] {
         openedDuringBox = true;
         PressInDialog(IDCANCEL);
       });
  Then("the explanation gone", [&] { return !inBox && platform.boxes.size() == 1 && OpenDialog() == nullptr; });
  ThenQuit();
  Run();
  EXPECT_TRUE(openedDuringBox);
  EXPECT_TRUE(CallsBeforeQuit(NIM_DELETE).empty()) << "a cancelled dialog removes nothing";
}

TEST_F(VeskoRun, ACloseRequestRemovesTheIconAndGoesBackToTheStartFolderButTheWindowStays) {
  std::string program = platform.Folder("closing");
  WriteIni("CopyMe", "which", (program + "\\MOPWELL.BKM").c_str());
  std::string before, after;
  bool windowAfter = false;
  Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; },
       [&] {
         before = CurrentDirectory();
         PostMessageA(vesko::hWndMain, WM_CLOSE, 0, 0);
       });
  Then("the icon removed", [&] { return !Calls(NIM_DELETE).empty(); },
       [&] {
         after = CurrentDirectory();
         windowAfter = IsWindow(vesko::hWndMain) != FALSE;
       });
  ThenQuit(3);
  EXPECT_EQ(Run(), 3);
  EXPECT_EQ(before, program);
  EXPECT_EQ(after, startDir);
  EXPECT_TRUE(windowAfter);
  EXPECT_EQ(Describe(Calls(NIM_DELETE)[0]), "DEL 199");
}

TEST_F(VeskoRun, AQuitMessageFromOutsideEndsTheProgramWithItsCode) {
  // The wait inside the window's creation takes the quit message; the
  // program must end then, not wait in a second loop for a quit that has
  // already come.
  Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; });
  ThenQuit(42);
  EXPECT_EQ(Run(), 42);
  EXPECT_TRUE(IsWindow(vesko::hWndMain));
}

TEST(VeskoIcon, TipsAreCutToSixtyThreeCharactersAndTheIconIsDestroyedAfterwards) {
  TrayRecorder tray;
  vesko::hInstance = GetModuleHandleA(nullptr);
  HWND owner = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  std::string tip(100, 't');
  HICON icon = vesko::LoadIdentityIcon(true);
  ASSERT_NE(icon, nullptr);
  EXPECT_TRUE(vesko::MyTaskBarAddIcon(owner, 7, icon, tip.c_str()));
  ICONINFO info{};
  EXPECT_FALSE(GetIconInfo(icon, &info)) << "the icon handle passed in is destroyed";
  EXPECT_TRUE(vesko::MyTaskBarModifyIcon(owner, 7, vesko::LoadIdentityIcon(false), nullptr));
  EXPECT_TRUE(vesko::MyTaskBarModifyIcon(owner, 7, vesko::LoadIdentityIcon(false), std::string(63, 'u').c_str()));
  ASSERT_EQ(tray.calls.size(), 3u);
  EXPECT_EQ(tray.calls[0].tip, std::string(63, 't'));
  EXPECT_EQ(tray.calls[0].icon, "GRN");
  EXPECT_EQ(tray.calls[0].id, 7u);
  EXPECT_EQ(tray.calls[1].tip, "");
  EXPECT_EQ(tray.calls[1].icon, "RED");
  EXPECT_EQ(tray.calls[2].tip, std::string(63, 'u'));
  DestroyWindow(owner);
}

// ---- one icon: a second start, the ends of the program, a new taskbar ----

TEST_F(VeskoRun, ASecondStartWhileAnotherHoldsTheIconEndsQuietlyAndALaterOneShowsIt) {
  // Another vesko of this session holds the icon.
  HANDLE other = CreateMutexA(nullptr, FALSE, tray.InstanceName());
  ASSERT_NE(other, nullptr);
  // Only a program that ran its loop takes this step.
  Then("the loop, which a second start never reaches", [] { return true; },
       [] {
         ADD_FAILURE() << "the second start runs";
         PostQuitMessage(98);
       });
  EXPECT_EQ(Run(false), 0);
  EXPECT_TRUE(tray.calls.empty()) << Describe(tray.calls.front());
  EXPECT_TRUE(tray.waitCounts.empty()) << "it never ran its loop";
  EXPECT_EQ(vesko::hWndMain, nullptr) << "no window";
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_EQ(ReadIni(Ini(), "Diagnostics", "VESKO"), "<absent>") << "nothing written";
  CloseHandle(other);

  // Once the other has gone, a start shows its icon; the claim is given
  // up again when the program ends.
  Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; },
       [&] { EXPECT_FALSE(ClaimFree()) << "held while the icon is up"; });
  ThenQuit();
  Run();
  EXPECT_EQ(Calls(NIM_ADD).size(), 1u);
  EXPECT_TRUE(ClaimFree());
}

// However the program is ended from outside, its icon goes exactly once,
// and the one-icon claim with it, so that the next start (in this same
// process too) shows its icon.
TEST_F(VeskoRun, EveryEndFromOutsideTakesTheIconDownOnceAndGivesUpTheClaim) {
  struct Case {
    const char* what;
    UINT message;
    WPARAM wParam;
    bool iconGoesAtOnce;  // before the program ends
  } cases[] = {
      {"a quit message posted to the window", WM_QUIT, 7, true},
      {"the session ends", WM_ENDSESSION, TRUE, true},
      {"a close request", WM_CLOSE, 0, true},
      {"a session end called off", WM_ENDSESSION, FALSE, false},
  };
  for (const Case& c : cases) {
    tray.calls.clear();
    size_t delsAfter = 99;
    bool freeAfter = false;
    Then("the refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; },
         [&] { PostMessageA(vesko::hWndMain, c.message, c.wParam, 0); });
    if (c.message != WM_QUIT) {
      // Timer ticks come after every posted message has been handled.
      Then("the message handled", [] { return true; },
           [&] {
             delsAfter = Calls(NIM_DELETE).size();
             freeAfter = ClaimFree();
             // A refresh after the icon went must not bring it back.
             PostMessageA(vesko::hWndMain, WM_USER, 0, 0);
           });
      Then("the refresh handled", [] { return true; });
      ThenQuit(7);
    }
    EXPECT_EQ(Run(), 7) << c.what;
    if (c.message != WM_QUIT) {
      EXPECT_EQ(delsAfter, c.iconGoesAtOnce ? 1u : 0u) << c.what;
      EXPECT_EQ(freeAfter, c.iconGoesAtOnce) << c.what;
    }
    EXPECT_EQ(Calls(NIM_DELETE).size(), 1u) << c.what;
    ASSERT_FALSE(tray.calls.empty());
    EXPECT_EQ(Describe(tray.calls.back()), "DEL 199") << c.what << ": nothing after the removal";
    EXPECT_EQ(tray.calls.back().owner, vesko::hWndMain) << c.what;
    EXPECT_TRUE(ClaimFree()) << c.what;
    TearDown();
  }
}

TEST_F(VeskoRun, ANewTaskbarGetsTheIconAgainAsLastShownButNotOnceItWasRemoved) {
  const UINT created = RegisterWindowMessageA("TaskbarCreated");
  ASSERT_NE(created, 0u);
  WriteIni("CopyMe", "profroot", ProfileRoot().c_str());
  Profile("Gus", "1");
  SetNavigatorUser("Software\\Netscape\\Netscape Navigator", "Gus");
  Then("Gus's tip", [&] { return Shows("GRN", "Gus is using ALIAS!"); },
       [&] { PostMessageA(vesko::hWndMain, created, 0, 0); });
  Then("added again", [&] { return Calls(NIM_ADD).size() >= 2; },
       [&] { PostMessageA(vesko::hWndMain, WM_CLOSE, 0, 0); });
  Then("removed", [&] { return !Calls(NIM_DELETE).empty(); },
       [&] { PostMessageA(vesko::hWndMain, created, 0, 0); });
  Then("the second new taskbar handled", [] { return true; });
  ThenQuit();
  Run();
  std::vector<TrayCall> adds = Calls(NIM_ADD);
  ASSERT_EQ(adds.size(), 2u) << "once at start, once for the new taskbar; none after the removal";
  EXPECT_EQ(Describe(adds[1]), "ADD 199 GRN 301 Gus is using ALIAS!");
  EXPECT_EQ(adds[1].owner, vesko::hWndMain);
  EXPECT_EQ(adds[1].flags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(Describe(tray.calls.back()), "DEL 199");
}

// Started at logon before Explorer has made its taskbar, the program's
// first icon calls are refused; the icon comes with the taskbar, showing
// what the refreshes found meanwhile.
TEST_F(VeskoRun, StartedBeforeTheTaskbarTheIconComesWithItShowingTheLatestIdentity) {
  const UINT created = RegisterWindowMessageA("TaskbarCreated");
  tray.noTaskbar = true;
  Then("the first refresh", [&] { return Calls(NIM_MODIFY).size() >= 1; },
       [&] { WriteIni("Options", "userID", "1"); });
  Then("the alias refreshed", [&] { return Shows("GRN", "Using ALIAS!"); },
       [&] {
         tray.noTaskbar = false;
         PostMessageA(vesko::hWndMain, created, 0, 0);
       });
  Then("added", [&] { return Calls(NIM_ADD).size() >= 2; });
  ThenQuit();
  Run();
  std::vector<TrayCall> adds = Calls(NIM_ADD);
  ASSERT_EQ(adds.size(), 2u);
  EXPECT_EQ(Describe(adds[0]), "ADD 199 RED 301 Using REAL NAME!") << "refused: no taskbar yet";
  EXPECT_EQ(Describe(adds[1]), "ADD 199 GRN 301 Using ALIAS!");
}
