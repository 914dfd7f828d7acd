// Program-wide state of the clean engine: written by one module, read by
// others (the main window and its pages keep theirs apart).
// Fixed-size buffers are limits on what is kept; every copy into them goes
// through the size-checked helpers of text/bounded.h.
#pragma once
#include <windows.h>

// The cache folder as discovery found it, taken back before a run.
extern char szCacheIn[200];
// The window that owns what the engine starts through the shell (the news
// reader): the main window's tab control, none without a window.
extern HWND ShellOwner;

// ---- Setup state and diagnostics switch ----
extern int OSV;  // 0 not set up, 1 Navigator 3, 2 Communicator 4
extern char szCommand[200];
bool DiagnosticsOn();

// ---- Discovered browser locations and identity ----
extern char MainDir[256];
extern char szNewsLoc[200];
extern char szMail[200];
extern char szBookmarkLoc[200];
extern char szCacheLoc[200];
extern char szCookieLoc[200];
extern char HistLoc[200];
extern char szDocDir[200];
extern char URL1[91], URL2[91], URL3[91], URL4[91], URL5[91], URL6[91], URL7[91], URL8[91],
    URL9[91], URL10[91], URL11[91], URL12[91], URL13[91], URL14[91], URL15[91];
extern char Udata1[150];  // signature file
extern char Udata2[150];  // organization
extern char Udata3[150];  // e-mail address
extern char Udata4[150];  // display name
extern char Udata5[150];  // reply-to address
extern char ProfileDir[150];
extern char PrefsFile[256];
extern char RegProfileDir[512];
extern char NewsPrefjs[200];
extern char regit[150];
extern char CurrentUser[25];
extern char User40[25];
extern char DirRoot[256];
extern char helpLoc[200];
extern char TemplateFile[200];

// The typed-URL entries in list order, URL1 first.
char* TypedUrl(int index);  // index 1..15, nullptr outside

// ---- News working texts (map repair, news cleaner, viewer page) ----
extern char szNewsPlace[200];  // full path of the news map file "FAT"
extern char szCacheFile[200];  // the folder being listed by the map repair
extern char NewsSub[200];      // news folder, "\" and the server folder name
extern char newsit[200];       // server folder name ("customs" "subs")
extern char NewsKill[200];     // the subscription file last handled, upper case
