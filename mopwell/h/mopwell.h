// Entry points of the main window and its pages, shared by the modules of
// mopwell. The engine's own entry points are in engine.h.
#pragma once
#include <windows.h>

#include "engine.h"
#include "page_globals.h"

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
