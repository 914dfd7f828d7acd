// The clean page: what it shows at set-up, and the run's frame — step
// order, keys, captions, the wait and the end of the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "cleaners.h"
#include "discovery_fixture.h"
#include "main_window_fixture.h"

using std::string;

namespace {

class CleanPageTest : public DiscoveryTest {
 protected:
  void SetUp() override {
    DiscoveryTest::SetUp();
    CurrentPage = 0;
  }
  void TearDown() override {
    if (page) DestroyWindow(page);
    if (holder) DestroyWindow(holder);
    DrainQuit();
    DiscoveryTest::TearDown();
  }
  // The page is a child window: it lives in a plain top-level holder here.
  HWND Open(int dialog = 100) {
    if (!holder)
      holder = CreateWindowExA(0, "STATIC", "holder", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(dialog), holder, DlgProc1, 0);
    return page;
  }
  void Press(int id) {
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
  }
  string Text(int id) {
    char buf[512] = "";
    GetDlgItemTextA(page, id, buf, sizeof buf);
    return buf;
  }
  // True when the run posted the quit message.
  bool DrainQuit() {
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) quit = quit || msg.message == WM_QUIT;
    return quit;
  }
  HWND page = nullptr;
  HWND holder = nullptr;
};

const char* kKeys[] = {"newsrc", "news-subs", "mail", "websites", "urlwin",
                       "cookies", "bookmarks", "cache", "docs"};

}  // namespace

TEST_F(CleanPageTest, BoxesComeBackFromTheirKeys) {
  SetIni("Options", "cookies", "1");
  SetIni("Options", "cache", "7");
  SetIni("Options", "docs", "0");
  SetIni("Options", "userID", "1");
  Open();
  EXPECT_EQ(IsDlgButtonChecked(page, 111), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(page, 113), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(page, 125), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(page, 153), BST_UNCHECKED);
  EXPECT_EQ(IsDlgButtonChecked(page, 107), BST_UNCHECKED);
}

TEST_F(CleanPageTest, InformationAreaDependsOnSetupAndProfile) {
  Open();
  EXPECT_EQ(Text(133), "");
  EXPECT_EQ(Text(134), "");
  DestroyWindow(page);

  SetIni("Options", "NT", "1");
  Open();
  EXPECT_EQ(Text(133), "For free support:");
  EXPECT_EQ(Text(134), kSupportWeb);
  DestroyWindow(page);

  SetIni("Options", "Moz", "4");
  lstrcpyA(RegProfileDir, "C:\\profiles\\mary\\");
  lstrcpyA(CurrentUser, "mary");
  lstrcpyA(User40, "machine user");
  Open();
  EXPECT_EQ(Text(133), "Last Netscape User:");
  EXPECT_EQ(Text(134), "mary");
  DestroyWindow(page);

  lstrcpyA(RegProfileDir, "\\");
  Open();
  EXPECT_EQ(Text(134), "machine user");
}

TEST_F(CleanPageTest, SetUpRestoresTheCacheFolderAndTheDiagnosticsSwitch) {
  lstrcpyA(szCacheIn, "C:\\Netscape\\cache");
  lstrcpyA(szCacheLoc, "C:\\Netscape\\cache\\*.*");
  SetIni("Options", "cow", "yes");
  Open();
  EXPECT_EQ(string(szCacheLoc), "C:\\Netscape\\cache");
  EXPECT_TRUE(DiagnosticsOn());
}

TEST_F(CleanPageTest, WelcomePageRefusesAndChangesNothing) {
  CurrentPage = 6;
  Open(900);
  Press(IDOK);
  ASSERT_EQ(fake->boxes.size(), 1u);
  EXPECT_EQ(fake->boxes[0].title, "Protection triggered!");
  EXPECT_EQ(fake->boxes[0].text,
            "Your Mopwell is not properly configured yet. Cleanup cannot occur until you have done "
            "your Settings and Preferences and saved them.");
  EXPECT_EQ(fake->boxes[0].type, static_cast<UINT>(MB_ICONEXCLAMATION));
  for (const char* key : kKeys) EXPECT_EQ(Ini("Options", key), "<absent>") << key;
  EXPECT_TRUE(fake->sleeps.empty());
  EXPECT_FALSE(DrainQuit());
}

TEST_F(CleanPageTest, RunWithNothingCheckedLeavesEverythingAloneAndEnds) {
  SetIni("Options", "NT", "1");
  for (const char* key : kKeys) SetIni("Options", key, "1");
  Open();
  for (int box : {125, 107, 108, 150, 109, 110, 111, 112, 113, 153}) CheckDlgButton(page, box, BST_UNCHECKED);
  Press(IDOK);
  for (const char* key : kKeys) EXPECT_EQ(Ini("Options", key), "0") << key;
  EXPECT_EQ(Ini("Options", "userID"), "0");
  for (int box : {107, 108, 150, 109, 110, 111, 112, 113, 153})
    EXPECT_EQ(Text(box), "              Left alone.") << box;
  EXPECT_EQ(Text(125).substr(0, 14), string(14, ' '));
  ASSERT_EQ(fake->sleeps.size(), 1u);
  EXPECT_EQ(fake->sleeps[0], 3000u);
  EXPECT_TRUE(DrainQuit());
}

TEST_F(CleanPageTest, DiagnosticsNoteThatNewsWasLeftAlone) {
  SetIni("Options", "cow", "moo");
  Open();
  CheckDlgButton(page, 107, BST_UNCHECKED);
  Press(IDOK);
  EXPECT_EQ(Ini("Diagnostics", "Newschk"), "Left alone");
}

TEST_F(CleanPageTest, CancelEndsTheProgramAndHelpOpensTheContents) {
  Open();
  Press(120);
  ASSERT_EQ(fake->launches.size(), 1u);
  EXPECT_EQ(fake->launches[0].how, "WinHelp");
  EXPECT_EQ(fake->launches[0].what, "MOPWELL.HLP");
  EXPECT_EQ(fake->launches[0].show, 3) << "HELP_CONTENTS";
  EXPECT_EQ(fake->launches[0].params, "1");
  EXPECT_FALSE(DrainQuit());
  Press(IDCANCEL);
  EXPECT_TRUE(DrainQuit());
  EXPECT_TRUE(fake->sleeps.empty());
}

TEST_F(CleanPageTest, CommandsWithoutAControlAreIgnored) {
  Open();
  SendMessageA(page, WM_COMMAND, IDOK, 0);
  SendMessageA(page, WM_COMMAND, IDCANCEL, 0);
  EXPECT_FALSE(DrainQuit());
  EXPECT_EQ(Ini("Options", "cookies"), "<absent>");
}

TEST_F(MainWindowTest, NoInputReachesTheWindowWhileARunWaitsForAnAnswer) {
  SetIni("Options", "NT", "1");
  SetIni("Options", "cache", "1");
  Start();
  bool disabledDuringBox = false;
  fake->onBox = [&](const ShownBox&) { disabledDuringBox = !IsWindowEnabled(main); };
  // The cache guard refuses a folder without "cache" in its name: a box.
  lstrcpyA(szCacheIn, (fake->root + "\\temp").c_str());
  SendMessageA(hWndDialog1, WM_INITDIALOG, 0, 0);
  SendMessageA(hWndDialog1, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(hWndDialog1, IDOK)));
  ASSERT_FALSE(fake->boxes.empty());
  EXPECT_TRUE(disabledDuringBox);
  EXPECT_TRUE(IsWindowEnabled(main)) << "enabled again after the run";
}

TEST_F(CleanPageTest, ButtonNotificationsAreNoCommands) {
  SetIni("Options", "NT", "1");
  Open();
  // What a button sends when the pointer moves over it.
  NMHDR hover{GetDlgItem(page, IDOK), IDOK, static_cast<UINT>(-1249) /* BCN_HOTITEMCHANGE */};
  SendMessageA(page, WM_NOTIFY, IDOK, reinterpret_cast<LPARAM>(&hover));
  hover.hwndFrom = GetDlgItem(page, 120);
  hover.idFrom = 120;
  SendMessageA(page, WM_NOTIFY, 120, reinterpret_cast<LPARAM>(&hover));
  EXPECT_FALSE(DrainQuit());
  EXPECT_TRUE(fake->launches.empty());
  EXPECT_EQ(Ini("Options", "cookies"), "<absent>");
}
