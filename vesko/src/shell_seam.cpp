// The real shell calls, with the arguments the program gives them.
#include "vesko.h"

namespace vesko {

BOOL Shell::NotifyIcon(DWORD message, NOTIFYICONDATAA* data) { return ::Shell_NotifyIconA(message, data); }

UINT Shell::Exec(const char* cmdLine, UINT show) { return ::WinExec(cmdLine, show); }

DWORD Shell::Wait(DWORD count, const HANDLE* handles) {
  return ::MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, QS_ALLINPUT);
}

// Without a "Global\" or "Local\" prefix, which the first Windows do
// not know: the name then lives where later Windows keep a session's own.
const char* Shell::InstanceName() const { return "Mopwell VESKO tray icon"; }

namespace {
Shell g_real;
Shell* g_current = &g_real;
}  // namespace

Shell& GetShell() { return *g_current; }
void InstallShell(Shell* shell) { g_current = shell ? shell : &g_real; }

}  // namespace vesko
