// Dialog 100, opened by a double-click on the icon: start the main program,
// cancel, or remove the icon. Removing takes two presses in one run; the
// first only says how to confirm.
#include <string>

#include "platform.h"
#include "vesko.h"

namespace vesko {

namespace {

constexpr char kMainProgram[] = "MOPWELL.EXE";
constexpr char kShutdownTitle[] = "VESKO Traybar icon shutdown";
constexpr char kShutdownText[] =
    "Please doubleclick the icon and select \n\"Remove icon\" again to confirm that \nyou want the "
    "traybar icon to go away.";

// The main program in its own folder, by full path: by name alone the
// system would look in this program's folder (the Startup folder) first,
// and any program of that name on the search path would do. Without a
// known folder the name alone is all there is.
std::string MainProgramCommand() {
  if (!state.is_at[0]) return kMainProgram;
  std::string path = state.is_at;
  if (path.back() != '\\') path += '\\';
  return "\"" + path + kMainProgram + "\"";
}

// After the dialog has gone, so that a double-click while the explanation
// is up opens the dialog again rather than finding the closing one.
void RemoveIcon() {
  if (state.removePresses == 0) {
    ++state.removePresses;
    plat::Prompt(nullptr, kShutdownText, kShutdownTitle, MB_OK);
    return;
  }
  TakeIconDown(hWndMain);
  DestroyWindow(hWndMain);
  PostQuitMessage(0);
}

}  // namespace

void OpenDialog(HWND owner) {
  // Another double-click while the dialog is up brings that dialog
  // forward; a second dialog on top of it would answer for the same icon.
  if (state.dialog) {
    SetForegroundWindow(state.dialog);
    return;
  }
  INT_PTR chosen = DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_VESKO), owner, DlgProc6, 0);
  state.dialog = nullptr;
  if (chosen == IDC_REMOVE_ICON) RemoveIcon();
}

INT_PTR CALLBACK DlgProc6(HWND dlg, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      state.dialog = dlg;
      SetForegroundWindow(dlg);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDCANCEL:
          EndDialog(dlg, IDCANCEL);
          return TRUE;
        case IDC_RUN_MOPWELL:
          EndDialog(dlg, IDC_RUN_MOPWELL);
          GetShell().Exec(MainProgramCommand().c_str(), SW_SHOWNORMAL);
          return TRUE;
        case IDC_REMOVE_ICON:
          EndDialog(dlg, IDC_REMOVE_ICON);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace vesko
