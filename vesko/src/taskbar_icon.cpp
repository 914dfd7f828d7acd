// The one notification icon: added at start, modified by every refresh,
// added again when the taskbar is made anew, deleted on a close request, on
// the confirmed "Remove icon", at the end of the session and whenever the
// program ends with the icon still up.
#include "vesko.h"
#include "text/bounded.h"

namespace vesko {

namespace {

// The record as the first shells know it: their tips hold 63 characters,
// and so do ours.
BOOL Notify(DWORD message, HWND hwnd, UINT id, HICON icon, const char* tip) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = hwnd;
  data.uID = id;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_VESKO_ICON;
  data.hIcon = icon;
  text::CopyCut(data.szTip, 64, tip ? tip : "");
  BOOL result = GetShell().NotifyIcon(message, &data);
  if (icon) DestroyIcon(icon);
  return result;
}

}  // namespace

BOOL MyTaskBarAddIcon(HWND hwnd, UINT id, HICON icon, const char* tip) {
  return Notify(NIM_ADD, hwnd, id, icon, tip);
}

BOOL MyTaskBarModifyIcon(HWND hwnd, UINT id, HICON icon, const char* tip) {
  return Notify(NIM_MODIFY, hwnd, id, icon, tip);
}

BOOL MyTaskBarDeleteIcon(HWND hwnd, UINT id) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = hwnd;
  data.uID = id;
  return GetShell().NotifyIcon(NIM_DELETE, &data);
}

void AddIdentityIcon(HWND hwnd, bool alias, const char* tip) {
  state.iconUp = true;
  state.shownAlias = alias;
  text::CopyCut(state.shownTip, tip);
  MyTaskBarAddIcon(hwnd, VESKO_ICON_ID, LoadIdentityIcon(alias), state.shownTip);
}

void ShowIdentity(HWND hwnd, bool alias, const char* tip) {
  state.shownAlias = alias;
  text::CopyCut(state.shownTip, tip);
  // A removed icon stays removed: a change in the Windows directory only
  // updates what it would show.
  if (state.iconUp) MyTaskBarModifyIcon(hwnd, VESKO_ICON_ID, LoadIdentityIcon(alias), state.shownTip);
}

void AddIconAgain(HWND hwnd) {
  // A new taskbar knows no icons: the one this program shows goes in again,
  // as it was. One the user or a close request took away stays away.
  if (state.iconUp) MyTaskBarAddIcon(hwnd, VESKO_ICON_ID, LoadIdentityIcon(state.shownAlias), state.shownTip);
}

void TakeIconDown(HWND hwnd) {
  if (!state.iconUp) return;
  state.iconUp = false;
  MyTaskBarDeleteIcon(hwnd, VESKO_ICON_ID);
}

HICON LoadIdentityIcon(bool alias) {
  // Loaded at the tray's size and not shared, so that destroying it after
  // the shell has taken its copy is right.
  return static_cast<HICON>(LoadImageA(hInstance, alias ? "GRN" : "RED", IMAGE_ICON,
                                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                       LR_DEFAULTCOLOR));
}

}  // namespace vesko
