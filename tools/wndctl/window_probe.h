// Finding and driving another program's windows from outside, the way a
// user (or a test standing in for one) would: by class, title and control
// id, with plain messages that cross process boundaries.
//
// Actions that may open a message box (a button press, a tab click) are
// posted, never sent: a message box is modal and holds the thread that
// shows it, so a sent message would wait for the box it opened.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace probe {

// Waits up to timeoutMs for a visible top-level window; class or title may
// be null (any). Returns nullptr on time-out.
HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs);

// Waits up to timeoutMs for a top-level message box ("#32770") whose title
// is `title` and returns it.
HWND WaitForMessageBox(const char* title, DWORD timeoutMs);

// The text of a message box (its static with id 65535).
std::string MessageBoxText(HWND box);

// The titles of the message boxes (visible top-level "#32770" windows)
// that the process owning `window` shows now.
std::vector<std::string> OpenMessageBoxes(HWND window);

// Presses a button of a dialog by id (IDOK 1, IDYES 6, IDNO 7 ...) by
// posting the command a click sends to the dialog.
void PressButton(HWND dialog, int id);

std::string WindowText(HWND hwnd);

// A window's caption as stored, read without a message: it answers while
// the program is busy inside a long step (where WM_GETTEXT would wait).
std::string StoredText(HWND hwnd);
HWND FindChildByClass(HWND parent, const char* className);
int TabCount(HWND mainWindow);

// Waits for a process to end; returns its exit code or -1 on time-out.
long WaitForExit(HANDLE process, DWORD timeoutMs);

// ---- pages of a window with a tab control ----

// The page on show: the visible dialog ("#32770") child of the main
// window's tab control, or nullptr.
HWND CurrentPage(HWND mainWindow);

// The tab control's selected tab, -1 when it cannot be asked.
int SelectedTab(HWND mainWindow);

// Clicks tab `index` of the main window's tab control with the mouse (a
// posted button press and release in the middle of the tab), so that the
// control itself tells its parent of the change. Waits until the page
// that was on show is gone and a new one is there; returns it, or nullptr
// on time-out. A message box the new page opens while it starts does not
// stop the wait.
HWND PickTab(HWND mainWindow, int index, DWORD timeoutMs);

// Waits until every message posted to the dialog's thread before this
// call has been handled, or a message box it opened is waiting for an
// answer (its modal loop handles them too). False on time-out.
bool Settle(HWND dialog, DWORD timeoutMs);

// ---- controls of a dialog, by id ----

// Clicks a button: posts BM_CLICK, which presses and releases it as the
// mouse does; the dialog hears of it as of a real click.
void Click(HWND dialog, int id);

// A check box's state (BST_UNCHECKED, BST_CHECKED ...), -1 when there is
// no such control or it does not answer.
int CheckState(HWND dialog, int id);

// Makes a check box read `checked`, clicking it when it does not, and
// waits up to timeoutMs until it does. False when it never does.
bool SetCheck(HWND dialog, int id, bool checked, DWORD timeoutMs);

// Replaces the text of a control (an edit field) as typing it would
// leave it; true when the control took it.
bool SetItemText(HWND dialog, int id, const std::string& text);
std::string ItemText(HWND dialog, int id);

// The rows of a list box, each as held (line ends included).
std::vector<std::string> ListRows(HWND dialog, int id);

// Selects the row whose text is exactly `text` and tells the dialog, as a
// click on the row does (LBN_SELCHANGE). False when there is no such row.
bool SelectRow(HWND dialog, int id, const std::string& text);

// Waits up to timeoutMs until the list holds a row whose text is `text`.
bool WaitForRow(HWND dialog, int id, const std::string& text, DWORD timeoutMs);

}  // namespace probe
