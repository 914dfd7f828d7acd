// The clean page (dialog 100) and the welcome page (dialog 900): the boxes
// remember the user's choice, OK runs the steps in their fixed order
// (clean_engine.cpp) and ends the program after a completed run, Preview
// lists what OK would do (clean_preview.cpp). The page is the engine's
// front end that shows each step's texts in its box.
#include <windows.h>

#include <cstring>
#include <string>

#include "clean_engine.h"
#include "cleaners.h"
#include "config/names.h"
#include "ini.h"
#include "mopwell.h"
#include "platform.h"
#include "preview_window.h"
#include "resource.h"
#include "text/bounded.h"

namespace {

constexpr int kBoxIdentity = 125, kBoxNews = 107, kBoxNewsSubs = 108, kBoxMail = 150,
              kBoxHistory = 109, kBoxUrls = 110, kBoxCookies = 111, kBoxBookmarks = 112,
              kBoxCache = 113, kBoxDocs = 153;
constexpr int kInfo1 = 133, kInfo2 = 134, kHelpButton = 120, kPreviewButton = 135;

bool g_running = false;

// Each step's box, in the order of the steps.
constexpr int kBoxes[kCleanSteps] = {kBoxIdentity, kBoxNews,    kBoxNewsSubs,  kBoxMail,  kBoxHistory,
                                     kBoxUrls,     kBoxCookies, kBoxBookmarks, kBoxCache, kBoxDocs};
int BoxOf(CleanStep step) { return kBoxes[static_cast<int>(step)]; }

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

// The clean page as a front end of the run: every text a step shows goes
// into its box's caption, guards and errors are message boxes, questions
// are yes/no boxes. The page itself is the progress report.
class PageReport : public CleanReport {
 public:
  explicit PageReport(HWND page) : page_(page) {}
  void Working(CleanStep step, const std::string& text, bool passing) override {
    int i = static_cast<int>(step);
    if (!passing) {
      // A walk that starts after this text shows its first file at once.
      shown_[i] = false;
      SetStatus(page_, BoxOf(step), text.c_str());
      return;
    }
    // Often enough to look alive, rarely enough to cost nothing next to
    // the wipes themselves (a caption costs milliseconds).
    constexpr DWORD kEveryMs = 50;
    DWORD now = GetTickCount();
    if (shown_[i] && now - shownAt_[i] < kEveryMs) return;
    shown_[i] = true;
    shownAt_[i] = now;
    SetStatus(page_, BoxOf(step), text.c_str());
  }
  void Notice(CleanStep, const char* text, const char* title) override {
    plat::Prompt(nullptr, text, title, MB_OK | MB_ICONEXCLAMATION);
  }
  bool Ask(CleanStep, const CleanQuestion& q) override {
    return plat::Prompt(nullptr, q.text, q.title, MB_YESNO | MB_ICONQUESTION) == IDYES;
  }

 private:
  HWND page_;
  bool shown_[kCleanSteps] = {};
  DWORD shownAt_[kCleanSteps] = {};
};

void SetUp(HWND page) {
  LoadRunSettings();
  if (OSV != 0) {
    SetDlgItemTextA(page, kInfo1, "For free support:");
    SetDlgItemTextA(page, kInfo2, kSupportWeb);
  }
  if (ini::GetInt(szIniFile, kSecOptions, kKeyMoz, 0) != 0) {
    SetDlgItemTextA(page, kInfo1, "Last Netscape User:");
    SetDlgItemTextA(page, kInfo2,
                    text::BoundedLen(RegProfileDir, sizeof RegProfileDir) > 5 ? CurrentUser : User40);
  }
  for (const BoxKey& r : kRemembered)
    CheckDlgButton(page, r.box, ini::GetInt(szIniFile, kSecOptions, r.key, 0) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

bool Checked(HWND page, int box) { return IsDlgButtonChecked(page, box) == BST_CHECKED; }

CleanChoices BoxChoices(HWND page) {
  CleanChoices choices;
  for (int i = 0; i < kCleanSteps; ++i) choices.chosen[i] = Checked(page, kBoxes[i]);
  return choices;
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
  PageReport report(page);
  bool completed = RunClean(BoxChoices(page), report);
  if (completed) plat::Wait(3000);
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  if (main && wasEnabled) EnableWindow(main, TRUE);
  g_running = false;
  if (completed) PostQuitMessage(0);
}

// What OK would do with the boxes as they are checked now, in a window of
// its own; nothing is changed, and the page stays as it is.
void Preview(HWND page) {
  if (g_running) return;
  SetCursor(LoadCursor(nullptr, IDC_WAIT));
  PreviewList list = PreviewClean(BoxChoices(page));
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  ShowPreviewWindow(GetAncestor(page, GA_ROOT), list);
}

// A step run on its own through the page (as the run runs it).
template <void (*F)(CleanRun&), CleanStep S>
void OnPage(HWND page) {
  PageReport report(page);
  CleanRun run(report, S);
  F(run);
  run.End();
}

}  // namespace

void SetStatus(HWND page, int box, const char* text) {
  SetDlgItemTextA(page, box, text);
  HWND control = GetDlgItem(page, box);
  if (control) UpdateWindow(control);
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
        case kPreviewButton:
          Preview(page);
          return FALSE;
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

// The steps one by one, as the page runs them.
void SwitchIdentity(HWND page, bool alias) {
  PageReport report(page);
  CleanRun run(report, CleanStep::Identity);
  SwitchIdentityStep(run, alias);
  run.End();
}
void CleanNewsTracks(HWND page) { OnPage<NewsTracksStep, CleanStep::NewsTracks>(page); }
void CleanNewsDatabases(HWND page) { OnPage<NewsDatabasesStep, CleanStep::NewsDatabases>(page); }
void CleanMail(HWND page) { OnPage<MailStep, CleanStep::Mail>(page); }
void CleanHistory(HWND page) { OnPage<HistoryStep, CleanStep::History>(page); }
void CleanTypedUrls(HWND page) { OnPage<TypedUrlsStep, CleanStep::TypedUrls>(page); }
void CleanCookiesAndJava(HWND page) { OnPage<CookiesStep, CleanStep::Cookies>(page); }
bool CleanBookmarks(HWND page) {
  PageReport report(page);
  CleanRun run(report, CleanStep::Bookmarks);
  bool goOn = BookmarksStep(run);
  run.End();
  return goOn;
}
void CleanCache(HWND page) { OnPage<CacheStep, CleanStep::Cache>(page); }
void CleanRecentDocuments(HWND page) { OnPage<RecentDocumentsStep, CleanStep::RecentDocs>(page); }
