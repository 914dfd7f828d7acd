#include "unix_program.h"

#include <windows.h>

bool StartUnixProgram(const std::string& commandLine) {
  std::string exe = UNIX_START_EXE;  // the build's Unix path
  if (!exe.empty() && exe[0] == '/') exe = "Z:" + exe;
  for (char& c : exe)
    if (c == '/') c = '\\';
  std::string command = "\"" + exe + "\" " + commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return false;
  DWORD code = 1;
  bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
  if (ended) GetExitCodeProcess(process.hProcess, &code);
  else TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended && code == 0;
}
