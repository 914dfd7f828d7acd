// vesko, the tray companion: a program without a visible window that keeps
// one icon in the taskbar notification area, green while the browser
// presents the alias identity and red while it presents the real one. It
// watches the Windows directory (where MOPWELL.INI lives) and rereads its
// keys after every write there; a double-click on the icon opens a small
// dialog that starts the main program or removes the icon.
//
// One thread, one window. The Windows calls that leave the process (the
// tray, starting the main program, the wait) go through the Shell seam
// below; prompts, the Windows directory and the registry root go through
// the shared platform seam.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "vesko_ids.h"

namespace vesko {

// ---- program-wide ----

extern HINSTANCE hInstance;  // icons and the dialog come from here
extern HWND hWndMain;        // the hidden window that owns the icon

// What the program knows while it runs. Filled afresh each time the main
// window is created; nothing of it is stored.
struct State {
  char WatchDir[200];          // the Windows directory, which is watched
  HANDLE dwChangeHandles;      // the armed notification, or INVALID_HANDLE_VALUE
  char szIniFile[150];         // configuration file, from "Prefs" "inifilename"
  char was_at[250];            // the current directory at start
  char is_at[250];             // the main program's folder (from "CopyMe" "which")
  char CurrentUser[25];        // the browser's current profile, 24 characters at most
  char profileFolder[250];     // the same name whole (empty when it does not fit)
  char szProFile[250];         // that profile's MPW-ID.INI, empty when the name names no file
  int removePresses;           // "Remove icon" chosen so far in this run
  HWND dialog;                 // dialog 100 while it is open
  bool ended;                  // the quit message has arrived
  int exitCode;                // and carried this code
  UINT taskbarCreated;         // the shell's registered "TaskbarCreated" message
  bool iconUp;                 // the icon belongs in the tray (added, not yet removed)
  bool shownAlias;             // what the icon shows: green (alias) or red
  char shownTip[64];           // and its tip
};
extern State state;

// ---- the seam for the shell ----

class Shell {
 public:
  virtual ~Shell() = default;
  // Shell_NotifyIconA.
  virtual BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data);
  // WinExec.
  virtual UINT Exec(const char* cmdLine, UINT show);
  // Waits without a time-out for one of `count` handles (none: messages
  // alone) or for any input to this thread: MsgWaitForMultipleObjects.
  virtual DWORD Wait(DWORD count, const HANDLE* handles);
  // The name of the mutex that the one running vesko of a session holds,
  // so that a second start ends quietly instead of adding a second icon.
  virtual const char* InstanceName() const;
};
Shell& GetShell();
void InstallShell(Shell* shell);  // nullptr brings back the real one

// ---- start (main_window.cpp) ----

// What WinMain does: claims the session's one icon (another vesko holding
// it: ends at once with 0, having done nothing), registers the class
// `vesko` (unless a previous instance did), creates the hidden main
// window, whose creation runs the program until it ends, and returns the
// exit code (0 when the window cannot be made). The claim is given up when
// the icon goes or the program ends, however it ends.
int ProgramMain(HINSTANCE instance, HINSTANCE previous);
// Gives up the claim, so that a later start can put its icon up.
void ReleaseInstance();
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---- places and the configuration file (start_places.cpp) ----

// Creation steps 1 to 4: WatchDir, was_at, szIniFile, is_at (made the
// current directory when it names a folder).
void TakePlaces();
// Step 6: "inifilename" read again, kept to 14 characters.
void ShortenIniFileName();
// The three trace keys, written whatever the diagnostics switch says.
void WriteTraceKeys();

// ---- the icon (taskbar_icon.cpp) ----

// Fill the notification record (tip cut to 63 characters, empty for
// nullptr), add or modify the icon, then destroy `icon`. Return the shell's
// result.
BOOL MyTaskBarAddIcon(HWND hwnd, UINT id, HICON icon, const char* tip);
BOOL MyTaskBarModifyIcon(HWND hwnd, UINT id, HICON icon, const char* tip);
BOOL MyTaskBarDeleteIcon(HWND hwnd, UINT id);
// "GRN" (alias in use) or "RED" (real identity), at the small-icon size,
// owned by the caller.
HICON LoadIdentityIcon(bool alias);
// The icon as the program keeps it: shown (added), changed, added again
// with what it showed last (the taskbar was made anew and has lost it), and
// removed. Once removed, nothing brings it back in this run.
void AddIdentityIcon(HWND hwnd, bool alias, const char* tip);
void ShowIdentity(HWND hwnd, bool alias, const char* tip);
void AddIconAgain(HWND hwnd);
void TakeIconDown(HWND hwnd);

// ---- the identity shown (identity_refresh.cpp) ----

// Creation step 7: the first icon, from "Options" "UserID".
void AddFirstIcon(HWND hwnd);
// The refresh message: "Options" "UserID" first, then, once "profroot" is
// set, the current profile's MPW-ID.INI.
void Refresh(HWND hwnd);

// ---- the watch (change_watch.cpp) ----

// Arms a last-write notification on WatchDir, without subfolders.
void ArmWatch();
// The combined wait for the notification or a message; returns the quit
// message's code when it arrives.
int Check(HWND hwnd);

// ---- the dialog (control_dialog.cpp) ----

// Opens dialog 100 modally, or brings it forward when it is open already.
void OpenDialog(HWND owner);
INT_PTR CALLBACK DlgProc6(HWND dlg, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace vesko
