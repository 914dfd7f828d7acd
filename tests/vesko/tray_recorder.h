// A shell for vesko that records what the program asks of it: every call of
// the notification icon (with which of the program's two identity icons it
// carried, told by the picture's own bits), every program start (with the
// current directory at that moment) and every wait. The waits are real, so
// the program runs its own loop; the tray and the starts are left out
// unless `passThrough` is set. The one-icon mutex has a name of this test
// process's own, so that tests running side by side (and a vesko on the
// same desktop) neither meet nor turn each other away.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "vesko.h"

struct TrayCall {
  DWORD message;  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  HWND owner;
  UINT id;
  UINT flags;
  UINT callback;
  std::string icon;  // "GRN", "RED", "none" or "other"
  std::string tip;
};

struct ExecCall {
  std::string cmdLine;
  UINT show;
  std::string cwd;
};

class TrayRecorder : public vesko::Shell {
 public:
  explicit TrayRecorder(bool passThrough = false);
  ~TrayRecorder() override;
  TrayRecorder(const TrayRecorder&) = delete;
  TrayRecorder& operator=(const TrayRecorder&) = delete;

  BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data) override;
  UINT Exec(const char* cmdLine, UINT show) override;
  DWORD Wait(DWORD count, const HANDLE* handles) override;
  const char* InstanceName() const override { return instanceName_.c_str(); }

  std::vector<TrayCall> calls;
  std::vector<ExecCall> execs;
  std::vector<DWORD> waitCounts;  // how many handles each wait was given
  // While set, the shell has no taskbar yet (as at logon before Explorer
  // has made it): every icon call is recorded and refused.
  bool noTaskbar = false;
  // Told of every call as it is recorded.
  std::function<void(const TrayCall&)> onCall;
  std::function<void(const ExecCall&)> onExec;

 private:
  bool passThrough_;
  std::string instanceName_;
};

// Which of the resources "GRN" and "RED" of this program an icon shows,
// compared at the small-icon size by the colour and mask bits: "GRN",
// "RED", "none" for a null handle, "other" for anything else.
std::string IconName(HICON icon);

// One line for a record: "ADD 199 RED 301 Using REAL NAME!" and the like.
std::string Describe(const TrayCall& call);
