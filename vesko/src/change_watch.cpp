// The program's only loop while it runs: one wait for either a write in the
// Windows directory or a message. A write posts the refresh message and
// re-arms the notification; messages are handled as they come. Nothing
// polls, and no timer runs.
#include "vesko.h"

namespace vesko {

namespace {

bool Watching() { return state.dwChangeHandles != INVALID_HANDLE_VALUE && state.dwChangeHandles != nullptr; }

void StopWatching() {
  if (Watching()) FindCloseChangeNotification(state.dwChangeHandles);
  state.dwChangeHandles = INVALID_HANDLE_VALUE;
}

// Takes every waiting message off the queue and dispatches it; true when
// the quit message came.
bool HandleMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      state.ended = true;
      state.exitCode = static_cast<int>(msg.wParam);
      return true;
    }
    DispatchMessageA(&msg);
  }
  return false;
}

}  // namespace

void ArmWatch() {
  state.dwChangeHandles =
      FindFirstChangeNotificationA(state.WatchDir, FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
}

int Check(HWND hwnd) {
  for (;;) {
    // Without a notification (it could not be armed) the wait is for
    // messages alone: never an invalid handle, which would fail the wait
    // at once and turn this loop into a spin.
    HANDLE watch = state.dwChangeHandles;
    DWORD count = Watching() ? 1 : 0;
    DWORD woke = GetShell().Wait(count, count ? &watch : nullptr);

    if (count && woke == WAIT_OBJECT_0) {
      PostMessageA(hwnd, WM_USER, 0, 0);
      StopWatching();
      ArmWatch();
    } else if (woke == WAIT_OBJECT_0 + count) {
      if (HandleMessages()) break;
    } else {
      // The wait itself failed: the notification is no longer usable.
      // Drop it and go on with messages; when no handle was waited on,
      // block until a message comes.
      if (count) StopWatching();
      else WaitMessage();
      if (HandleMessages()) break;
    }
  }
  StopWatching();
  return state.exitCode;
}

}  // namespace vesko
