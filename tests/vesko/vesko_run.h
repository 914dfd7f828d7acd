// Runs the real vesko in this process, with its resources linked in: the
// hidden window, its wait loop and its dialog, on a scratch Windows
// directory and registry root (FakePlatform) and a recording shell.
//
// The program's creation does not return until the program ends, so the
// test speaks to it from inside its own loop: a thread timer, dispatched by
// the program's wait (and by the dialog's modal loop while it is open),
// takes the test's steps one after another, each once its condition
// holds. A step only posts messages or writes files, as a user or another
// program would; it never calls into the program's window directly.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_platform.h"
#include "tray_recorder.h"
#include "vesko.h"

class VeskoRun : public ::testing::Test {
 protected:
  void TearDown() override;

  // A step: once `ready` holds, `act` runs. A step that is never ready
  // within a generous time fails the test and ends the run.
  void Then(const std::string& what, std::function<bool()> ready, std::function<void()> act = nullptr);
  // A step that ends the run with a quit message of `code`, as one from
  // outside the program would (which takes the icon down).
  void ThenQuit(int code = 0);
  // Runs the program through all steps (a step not taken fails the test
  // unless `allSteps` is false); returns what it returned.
  int Run(bool allSteps = true);

  // ---- conditions and actions for steps ----
  // The tray records so far with `message`, in order.
  std::vector<TrayCall> Calls(DWORD message) const;
  // Those made before the last quit step (all when there was none).
  std::vector<TrayCall> CallsBeforeQuit(DWORD message) const;
  // The last icon record (added or modified) shows `icon` with `tip`.
  bool Shows(const std::string& icon, const std::string& tip) const;
  // Dialog 100 of this thread when it is open (visible), else nullptr;
  // `count` tells how many are open.
  HWND OpenDialog(int* count = nullptr) const;
  void DoubleClickIcon() const;
  void PressInDialog(int id) const;
  // No vesko of this test process holds the one-icon mutex: a start now
  // would show its icon.
  bool ClaimFree() const;

  // ---- the scratch places ----
  void WriteIni(const char* section, const char* key, const char* value, const char* file = "MOPWELL.INI");
  std::string Ini(const char* file = "MOPWELL.INI") const { return platform.windowsDir + "\\" + file; }
  // A profile folder below "profiles" and its MPW-ID.INI with "Options" "userID".
  std::string ProfileRoot() const { return platform.root + "\\profiles\\"; }
  void Profile(const std::string& name, const char* userID);
  void SetNavigatorUser(const char* key, const std::string& name);
  static std::string CurrentDirectory();

  FakePlatform platform;
  TrayRecorder tray;
  std::string startDir = CurrentDirectory();

 private:
  struct Step {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
  };
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Advance();
  std::vector<Step> steps_;
  size_t next_ = 0;
  size_t callsAtQuit_ = SIZE_MAX;
  DWORD stepStart_ = 0;
  bool busy_ = false;
  static VeskoRun* current_;
};
