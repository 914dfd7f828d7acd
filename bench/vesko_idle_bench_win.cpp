// What the tray companion costs while it sits in the tray: the processor
// time (user + kernel, from GetProcessTimes) the real vesko.exe uses over
// 10 idle seconds, and over 10 seconds with one unrelated write in the
// Windows directory each second (each write wakes it for one refresh),
// beside an idle process that only sleeps, measured over the same seconds.
//   vesko_idle_bench_win.exe [SECONDS]
// It needs a display (the program makes a window) and writes into the
// prefix's Windows directory: MOPWELL.INI (vesko's trace, removed again
// when there was no file before) and VESKOBENCH.INI (removed).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string WindowsPath(const char* unixPath) {
  std::string path = unixPath;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

double CpuSeconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
  auto value = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(value(kernel) + value(user)) / 1e7;
}

bool Start(const std::string& exe, std::string cmd, PROCESS_INFORMATION* pi) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  return CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, pi) != 0;
}

void Stop(PROCESS_INFORMATION& pi) {
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
}

struct Figures {
  double vesko, idle;
};

// Both processes' processor time over `seconds`; with `writes`, one write
// in the Windows directory at the start of each second.
Figures Measure(HANDLE vesko, HANDLE idle, int seconds, bool writes) {
  double v0 = CpuSeconds(vesko), i0 = CpuSeconds(idle);
  for (int s = 0; s < seconds; ++s) {
    if (writes) {
      std::string value = std::to_string(s);
      WritePrivateProfileStringA("Bench", "tick", value.c_str(), "VESKOBENCH.INI");
    }
    Sleep(1000);
  }
  return {CpuSeconds(vesko) - v0, CpuSeconds(idle) - i0};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--idle") == 0) {
    Sleep(INFINITE);
    return 0;
  }
  int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
  if (seconds <= 0) seconds = 10;

  char windir[MAX_PATH] = "";
  GetWindowsDirectoryA(windir, sizeof windir);
  std::string ini = std::string(windir) + "\\MOPWELL.INI";
  bool hadIni = GetFileAttributesA(ini.c_str()) != INVALID_FILE_ATTRIBUTES;

  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  PROCESS_INFORMATION idle{}, vesko{};
  if (!Start(self, std::string("\"") + self + "\" --idle", &idle)) {
    std::fprintf(stderr, "cannot start the idle process\n");
    return 1;
  }
  std::string exe = WindowsPath(VESKO_EXE);
  if (!Start(exe, "\"" + exe + "\"", &vesko)) {
    std::fprintf(stderr, "cannot start %s\n", exe.c_str());
    Stop(idle);
    return 1;
  }
  // Measured once the program is up and its start is behind it.
  DWORD start = GetTickCount();
  while (!FindWindowA("vesko", "VESKO") && GetTickCount() - start < 60000) Sleep(50);
  if (!FindWindowA("vesko", "VESKO")) {
    std::fprintf(stderr, "vesko's window did not appear\n");
    Stop(vesko);
    Stop(idle);
    return 1;
  }
  Sleep(2000);

  Figures quiet = Measure(vesko.hProcess, idle.hProcess, seconds, false);
  Figures busy = Measure(vesko.hProcess, idle.hProcess, seconds, true);

  std::printf("processor time over %d s (user + kernel)\n", seconds);
  std::printf("  idle:                      vesko %8.3f ms   sleeping process %8.3f ms\n", quiet.vesko * 1e3,
              quiet.idle * 1e3);
  std::printf("  one write per second:      vesko %8.3f ms   sleeping process %8.3f ms\n", busy.vesko * 1e3,
              busy.idle * 1e3);
  std::printf("  per refresh (write phase): vesko %8.3f ms\n", busy.vesko * 1e3 / seconds);
  std::printf("(under Wine the times of another process come in whole ticks of 10 ms)\n");

  Stop(vesko);
  Stop(idle);
  DeleteFileA((std::string(windir) + "\\VESKOBENCH.INI").c_str());
  if (!hadIni) DeleteFileA(ini.c_str());
  return 0;
}
