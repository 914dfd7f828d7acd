// Program-wide state of the main window and its pages: written by one
// module, read by others. What the engine keeps is in globals.h.
#pragma once
#include <windows.h>

#include "globals.h"

// ---- Main window (entry point and tab control) ----
extern HINSTANCE hInstance;
extern char szAppName[20];
extern HWND hWndMain;
extern HWND htab;
extern HWND hWndDialog1, hWndDialog2, hWndDialog3, hWndDialog4, hWndDialog5, hWndDialog6;
extern int CurrentPage;  // 0..5 the tab shown, 6 the welcome page
