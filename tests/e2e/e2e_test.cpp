// Starts the real mopwell.exe in its own process, on the prefix's real
// Windows directory, and checks it from outside as a user would see it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "e2e_support.h"
#include "window_probe.h"

namespace {

std::string IniPath() { return WindowsDir() + "\\MOPWELL.INI"; }

constexpr DWORD kPatience = 60000;  // a cold prefix can take long to show a window

}  // namespace

TEST(EndToEnd, FirstStartShowsTheSetupMessageThenSixTabsAtTheFixedPlace) {
  PrefixCleanup cleanup;
  Program mopwell;
  ASSERT_TRUE(mopwell.Start());

  HWND box = probe::WaitForMessageBox("IMPORTANT! PLEASE READ THIS!", kPatience);
  ASSERT_NE(box, nullptr) << "no first-run message";
  EXPECT_EQ(probe::MessageBoxText(box).rfind("Thank you for purchasing Mopwell Quorvix.", 0), 0u);
  probe::PressButton(box, IDOK);

  HWND main = probe::WaitForWindow("Mopwell", "Mopwell", kPatience);
  ASSERT_NE(main, nullptr) << "no main window";
  RECT r{};
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, 75);
  EXPECT_EQ(r.top, 67);
  EXPECT_EQ(r.right - r.left, 478);
  EXPECT_EQ(r.bottom - r.top, 358);
  EXPECT_EQ(probe::TabCount(main), 6);

  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(probe::WaitForExit(mopwell.process(), kPatience), 0);

  // The start wrote where its program files are.
  char which[MAX_PATH] = "";
  GetPrivateProfileStringA("CopyMe", "which", "", which, sizeof which, IniPath().c_str());
  EXPECT_NE(std::string(which).find("\\MOPWELL.BKM"), std::string::npos) << which;
}

TEST(EndToEnd, SetUpStartShowsNoMessageAndUsesTheStoredSize) {
  PrefixCleanup cleanup;
  WritePrivateProfileStringA("Options", "NT", "2", IniPath().c_str());
  WritePrivateProfileStringA("customs", "sizeX", "520", IniPath().c_str());
  WritePrivateProfileStringA("customs", "sizeY", "380", IniPath().c_str());
  Program mopwell;
  ASSERT_TRUE(mopwell.Start());
  HWND main = probe::WaitForWindow("Mopwell", "Mopwell", kPatience);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(probe::WaitForMessageBox("IMPORTANT! PLEASE READ THIS!", 0), nullptr);
  RECT r{};
  GetWindowRect(main, &r);
  EXPECT_EQ(r.left, 75);
  EXPECT_EQ(r.right - r.left, 520);
  EXPECT_EQ(r.bottom - r.top, 380);
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(probe::WaitForExit(mopwell.process(), kPatience), 0);
}
