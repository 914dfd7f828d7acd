// Finding and driving another program's windows from outside, the way a
// user (or a test standing in for one) would: by class, title and control
// id, with plain messages that cross process boundaries.
#pragma once
#include <windows.h>

#include <string>

namespace probe {

// Waits up to timeoutMs for a visible top-level window; class or title may
// be null (any). Returns nullptr on time-out.
HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs);

// Waits up to timeoutMs for a top-level message box ("#32770") whose title
// is `title` and returns it.
HWND WaitForMessageBox(const char* title, DWORD timeoutMs);

// The text of a message box (its static with id 65535).
std::string MessageBoxText(HWND box);

// Presses a button of a dialog by id (IDOK 1, IDYES 6, IDNO 7 ...).
void PressButton(HWND dialog, int id);

std::string WindowText(HWND hwnd);
HWND FindChildByClass(HWND parent, const char* className);
int TabCount(HWND mainWindow);

// Waits for a process to end; returns its exit code or -1 on time-out.
long WaitForExit(HANDLE process, DWORD timeoutMs);

}  // namespace probe
