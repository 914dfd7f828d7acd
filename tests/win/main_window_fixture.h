// Creates the real main window in this process on a scratch platform, and
// drives it with real messages.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fake_platform.h"
#include "mopwell.h"

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the main window as WinMain does and lets it settle.
  HWND Start();
  // Handles every queued message; returns the quit code if a quit message
  // was seen, else -1.
  int Pump();
  // The user picks tab `index`: the tab control's notifications in order.
  void SelectTab(int index);
  // The page dialogs alive under the tab control.
  int LivePages() const;
  std::string Ini(const char* section, const char* key) const {
    return ReadIni(fake->IniPath(), section, key);
  }
  void SetIni(const char* section, const char* key, const char* value) {
    WritePrivateProfileStringA(section, key, value, fake->IniPath().c_str());
  }
  std::string ControlText(HWND dialog, int id) const;
  std::string MenuText(UINT id) const;  // empty when the item is absent

  std::unique_ptr<FakePlatform> fake;
  HWND main = nullptr;
  int quitCode = -1;
};
