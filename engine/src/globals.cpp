#include "globals.h"

#include "config/diag_switch.h"
#include "text/bounded.h"

char szCacheIn[200];
HWND ShellOwner;

int OSV;
char szCommand[200];

bool DiagnosticsOn() { return diag::IsOn(std::string_view(szCommand, text::BoundedLen(szCommand, sizeof szCommand))); }

char MainDir[256];
char szNewsLoc[200];
char szMail[200];
char szBookmarkLoc[200];
char szCacheLoc[200];
char szCookieLoc[200];
char HistLoc[200];
char szDocDir[200];
char URL1[91], URL2[91], URL3[91], URL4[91], URL5[91], URL6[91], URL7[91], URL8[91], URL9[91],
    URL10[91], URL11[91], URL12[91], URL13[91], URL14[91], URL15[91];
char Udata1[150];
char Udata2[150];
char Udata3[150];
char Udata4[150];
char Udata5[150];
char ProfileDir[150];
char PrefsFile[256];
char RegProfileDir[512];
char NewsPrefjs[200];
char regit[150];
char CurrentUser[25];
char User40[25];
char DirRoot[256];
char helpLoc[200];
char TemplateFile[200];

char* TypedUrl(int index) {
  static char* const urls[] = {URL1, URL2,  URL3,  URL4,  URL5,  URL6,  URL7, URL8,
                               URL9, URL10, URL11, URL12, URL13, URL14, URL15};
  if (index < 1 || index > 15) return nullptr;
  return urls[index - 1];
}

char szNewsPlace[200];
char szCacheFile[200];
char NewsSub[200];
char newsit[200];
char NewsKill[200];
