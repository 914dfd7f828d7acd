// The clean page (dialog 100) and the welcome page (dialog 900): the boxes
// remember the user's choice, OK runs the steps in their fixed order and
// ends the program after a completed run.
#include <windows.h>

#include <cstring>
#include <string>

#include "cleaners.h"
#include "config/names.h"
#include "ini.h"
#include "mopwell.h"
#include "platform.h"
#include "resource.h"
#include "text/bounded.h"

const char kLeftAlone[] = "              Left alone.";

namespace {

constexpr int kBoxIdentity = 125, kBoxNews = 107, kBoxNewsSubs = 108, kBoxMail = 150,
              kBoxHistory = 109, kBoxUrls = 110, kBoxCookies = 111, kBoxBookmarks = 112,
              kBoxCache = 113, kBoxDocs = 153;
constexpr int kInfo1 = 133, kInfo2 = 134, kHelpButton = 120;

bool g_running = false;

// Boxes restored from their keys, in this order.
struct BoxKey {
  const char* key;
  int box;
};
const BoxKey kRemembered[] = {{kKeyNewsrc, kBoxNews},     {kKeyWebsites, kBoxHistory},
                              {kKeyCookies, kBoxCookies}, {kKeyCache, kBoxCache},
                              {kKeyBookmarks, kBoxBookmarks}, {kKeyUrlwin, kBoxUrls},
                              {kKeyUserID, kBoxIdentity}, {kKeyNewsSubs, kBoxNewsSubs},
                              {kKeyDocs, kBoxDocs},       {kKeyMail, kBoxMail}};

void SetUp(HWND page) {
  text::CopyCut(szCacheLoc, szCacheIn);
  OSV = ini::GetInt(szIniFile, kSecOptions, kKeyNT, 0);
  IdentitiesRead = false;
  if (OSV != 0) {
    SetDlgItemTextA(page, kInfo1, "For free support:");
    SetDlgItemTextA(page, kInfo2, kSupportWeb);
    ReadIdentities(false);
    ReadBookmarkTemplatePath();
  }
  if (ini::GetInt(szIniFile, kSecOptions, kKeyMoz, 0) != 0) {
    FormIdFilePath();
    SetDlgItemTextA(page, kInfo1, "Last Netscape User:");
    SetDlgItemTextA(page, kInfo2,
                    text::BoundedLen(RegProfileDir, sizeof RegProfileDir) > 5 ? CurrentUser : User40);
    ReadIdentities(true);
    ReadBookmarkTemplatePath();
  }
  for (const BoxKey& r : kRemembered)
    CheckDlgButton(page, r.box, ini::GetInt(szIniFile, kSecOptions, r.key, 0) != 0 ? BST_CHECKED : BST_UNCHECKED);
  ReadDiagnosticsSwitch();
}

bool Checked(HWND page, int box) { return IsDlgButtonChecked(page, box) == BST_CHECKED; }

// The common frame of a step: "1" and the work when checked, "0" and the
// left-alone text when not.
void Step(HWND page, int box, const char* key, void (*clean)(HWND)) {
  if (Checked(page, box)) {
    ini::Write(szIniFile, kSecOptions, key, kOn);
    clean(page);
  } else {
    ini::Write(szIniFile, kSecOptions, key, kOff);
    SetStatus(page, box, kLeftAlone);
  }
}

// Returns false when a step stopped the run.
bool RunSteps(HWND page) {
  SwitchIdentity(page, Checked(page, kBoxIdentity));
  if (!Checked(page, kBoxNews)) Trace("Newschk", "Left alone");
  Step(page, kBoxNews, kKeyNewsrc, CleanNewsTracks);
  Step(page, kBoxNewsSubs, kKeyNewsSubs, CleanNewsDatabases);
  Step(page, kBoxMail, kKeyMail, CleanMail);
  Step(page, kBoxHistory, kKeyWebsites, CleanHistory);
  Step(page, kBoxUrls, kKeyUrlwin, CleanTypedUrls);
  Step(page, kBoxCookies, kKeyCookies, CleanCookiesAndJava);
  if (Checked(page, kBoxBookmarks)) {
    if (!CleanBookmarks(page)) return false;
  } else {
    ini::Write(szIniFile, kSecOptions, kKeyBookmarks, kOff);
    SetStatus(page, kBoxBookmarks, kLeftAlone);
  }
  Step(page, kBoxCache, kKeyCache, CleanCache);
  Step(page, kBoxDocs, kKeyDocs, CleanRecentDocuments);
  return true;
}

void Run(HWND page) {
  if (CurrentPage == 6) {
    plat::Prompt(nullptr,
                 "Your Mopwell is not properly configured yet. Cleanup cannot occur until you have "
                 "done your Settings and Preferences and saved them.",
                 "Protection triggered!", MB_ICONEXCLAMATION);
    return;
  }
  if (g_running) return;
  g_running = true;
  // While the run works (and while its message boxes wait for an answer)
  // no tab switch, second OK or close may reach the window.
  HWND main = hWndMain;
  bool wasEnabled = main && IsWindowEnabled(main);
  if (main) EnableWindow(main, FALSE);
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  bool completed = RunSteps(page);
  if (completed) plat::Wait(3000);
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  if (main && wasEnabled) EnableWindow(main, TRUE);
  g_running = false;
  if (completed) PostQuitMessage(0);
}

}  // namespace

void SetStatus(HWND page, int box, const char* text) {
  SetDlgItemTextA(page, box, text);
  HWND control = GetDlgItem(page, box);
  if (control) UpdateWindow(control);
}

void Progress::Show(const char* text) {
  // Often enough to look alive, rarely enough to cost nothing next to the
  // wipes themselves.
  constexpr DWORD kEveryMs = 50;
  DWORD now = GetTickCount();
  if (shown_ && now - shownAt_ < kEveryMs) return;
  shown_ = true;
  shownAt_ = now;
  SetStatus(page_, box_, text);
}

void FinishStatus(HWND page, int box, std::size_t left, const char* done) {
  if (left == 0) {
    SetStatus(page, box, done);
    return;
  }
  std::string text = "Error!    " + std::to_string(left) + (left == 1 ? " file" : " files") +
                     " could not be wiped!";
  SetStatus(page, box, text.c_str());
}

INT_PTR CALLBACK DlgProc1(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetUp(page);
      return TRUE;
    case WM_NOTIFY:
      // Buttons of the version 6 common controls send notifications of
      // their own (the pointer moving over them, say) with the button's id:
      // they are no commands. Only a real command may start a run.
      return FALSE;
    case WM_COMMAND:
      if (lParam == 0) return FALSE;
      switch (LOWORD(wParam)) {
        case IDOK:
          Run(page);
          return FALSE;
        case IDCANCEL:
          PostQuitMessage(0);
          return TRUE;
        case kHelpButton:
          plat::Get().Help(page, "MOPWELL.HLP", HELP_CONTENTS, 1);
          return FALSE;
        default:
          return FALSE;
      }
    case WM_CREATE:
    case WM_GETDLGCODE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(page);
      return TRUE;
    default:
      return FALSE;
  }
}
