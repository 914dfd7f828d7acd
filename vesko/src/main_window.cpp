// The hidden main window. Its creation does all the program's work: it
// finds its places, arms the watch, shows the first icon, writes the trace
// and then runs the combined wait until the program ends.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "vesko.h"

namespace vesko {

HINSTANCE hInstance = nullptr;
HWND hWndMain = nullptr;
State state;

namespace {

constexpr char kClassName[] = "vesko";
constexpr char kTitle[] = "VESKO";
constexpr char kTaskbarCreated[] = "TaskbarCreated";

// The mutex held while this program's icon belongs in the tray.
HANDLE g_instance = nullptr;

// False when another vesko of this session holds the icon. When no mutex
// can be made at all, the icon goes up: one icon too many is better than
// none.
bool ClaimInstance() {
  SetLastError(ERROR_SUCCESS);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, GetShell().InstanceName());
  DWORD error = GetLastError();
  if (mutex && error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return false;
  }
  // Held by a program that gave the mutex no access for us: there is one.
  if (!mutex && error == ERROR_ACCESS_DENIED) return false;
  g_instance = mutex;
  return true;
}

// Every way out of ProgramMain gives the claim up.
struct InstanceClaim {
  ~InstanceClaim() { ReleaseInstance(); }
};

void Startup(HWND hwnd) {
  std::memset(&state, 0, sizeof state);
  state.dwChangeHandles = INVALID_HANDLE_VALUE;
  state.taskbarCreated = RegisterWindowMessageA(kTaskbarCreated);
  hWndMain = hwnd;

  TakePlaces();
  ArmWatch();
  ShortenIniFileName();
  AddFirstIcon(hwnd);
  PostMessageA(hwnd, WM_USER, 0, 0);
  WriteTraceKeys();
  Check(hwnd);
  // However the quit came (the confirmed removal has taken the icon down
  // already; a quit message from elsewhere has not), no icon stays behind
  // for a program that has ended.
  TakeIconDown(hwnd);
}

}  // namespace

void ReleaseInstance() {
  if (g_instance) CloseHandle(g_instance);
  g_instance = nullptr;
}

int ProgramMain(HINSTANCE instance, HINSTANCE previous) {
  hInstance = instance;
  // A second start (the Startup folder and the user both, or the user
  // twice) ends here without a word: one icon is enough.
  if (!ClaimInstance()) return 0;
  InstanceClaim claim;
  if (!previous) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "0VESKO");
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);  // a class left by an earlier run in this process serves as well
  }
  // Never shown. Its creation returns when the program ends.
  HWND hwnd = CreateWindowExA(0, kClassName, kTitle, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX,
                              224, 238, 145, 106, nullptr, nullptr, instance, nullptr);
  // The quit message has been taken off the queue by the wait inside the
  // creation: the program ends here, whether or not the window is still
  // there (the confirmed "Remove icon" destroys it, a quit message from
  // elsewhere does not). A loop started now would wait for ever.
  if (state.ended) return state.exitCode;
  if (!hwnd) return 0;

  InitCommonControls();
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Sent to every top-level window when the taskbar has been made anew
  // (Explorer started again): the icons it had are gone.
  if (message == state.taskbarCreated && message != 0) {
    AddIconAgain(hwnd);
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      Startup(hwnd);
      return 0;
    case WM_USER:
      Refresh(hwnd);
      return 0;
    case WM_VESKO_ICON:
      if (lParam == WM_LBUTTONDBLCLK) {
        OpenDialog(hwnd);
        return 0;
      }
      break;
    case WM_CLOSE:
      // The icon goes, the window stays. Without its icon this program is
      // no longer the one that shows it: a later start may.
      TakeIconDown(hwnd);
      ReleaseInstance();
      SetCurrentDirectoryA(state.was_at);
      return 0;
    case WM_ENDSESSION:
      // The session ends and with it this program, without another
      // message: the icon goes now.
      if (wParam) {
        TakeIconDown(hwnd);
        ReleaseInstance();
      }
      return 0;
    case WM_DESTROY:
      TakeIconDown(hwnd);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace vesko
