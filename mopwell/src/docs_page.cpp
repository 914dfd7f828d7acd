// The documentation page (dialog 700): one wide button per topic. Five open
// the program's help file at their topic, two open a text file of the
// program's folder in Notepad. Nothing is checked first: the help program
// or Notepad says so when a file is missing.
#include <windows.h>

#include "mopwell.h"
#include "platform.h"
#include "resource.h"

namespace {

struct HelpTopic {
  int button;
  UINT command;
  ULONG_PTR data;
};
constexpr HelpTopic kHelpTopics[] = {
    {IDC_DOCS_MOPWELL, HELP_CONTENTS, 1}, {IDC_DOCS_GLIMSO, HELP_CONTEXT, 2}, {IDC_DOCS_FETTLOR, HELP_CONTEXT, 3},
    {IDC_DOCS_SETTINGS, HELP_CONTEXT, 4}, {IDC_DOCS_PREFS, HELP_CONTEXT, 5},
};

// False for a command that is none of the page's buttons.
bool OnButton(HWND page, int id) {
  for (const HelpTopic& topic : kHelpTopics)
    if (topic.button == id) {
      plat::Get().Help(page, helpLoc, topic.command, topic.data);
      return true;
    }
  switch (id) {
    case IDC_DOCS_TROUBLE: plat::Get().Exec("NOTEPAD TROUBLE.TXT", SW_SHOWMAXIMIZED); return true;
    case IDC_DOCS_WARRANTY: plat::Get().Exec("NOTEPAD MOPWELL.TXT", SW_SHOWMAXIMIZED); return true;
    default: return false;
  }
}

}  // namespace

INT_PTR CALLBACK DlgProc6(HWND page, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      // Only a click on one of the buttons: not Enter, Escape or a command
      // without its control.
      if (lParam == 0 || HIWORD(wParam) != BN_CLICKED) return FALSE;
      return OnButton(page, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_CLOSE:
      DestroyWindow(page);
      return TRUE;
    default:
      return FALSE;
  }
}
