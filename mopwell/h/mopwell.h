// Entry points shared by the modules of mopwell.
#pragma once
#include <windows.h>

#include "globals.h"

// ---- Main window ----
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
bool RegisterMainClass(HINSTANCE instance);  // false when registration fails
HWND CreateMainWindow(int nCmdShow);         // nullptr when creation fails
int RunMessageLoop();                        // returns the quit message's code

// Texts the main window shows.
extern const char kFirstRunTitle[];
extern const char kFirstRunText[];
extern const char kSupportMail[];
extern const char kSupportWeb[];

// ---- Page dialogs ----
INT_PTR CALLBACK DlgProc1(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);  // clean / welcome
INT_PTR CALLBACK DlgProc2(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);  // viewer
INT_PTR CALLBACK DlgProc3(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);  // cookie keeper
INT_PTR CALLBACK DlgProc4(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);  // settings
INT_PTR CALLBACK DlgProc5(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);  // preferences
INT_PTR CALLBACK DlgProc6(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);  // documentation

// Private message a page posts to itself to (re)load its data.
constexpr UINT WM_PAGEREFRESH = 0x90DE;

// ---- Discovery ----
void CheckNSReg();  // last Communicator profile from the browser's registry file
// While set, the lookup opens the browser's registry file read-only (it
// may otherwise set the file's header right). Returns the state before.
bool LookUpReadOnly(bool readOnly);
void getIt();       // every browser location and the identity

// ---- Configuration ----
// Reads "cow" into szCommand by the diagnostics rule.
void ReadDiagnosticsSwitch();
// Writes one trace key, only while diagnostics mode is on.
void Trace(const char* key, const char* value);
