#include "unix_program.h"

#include <windows.h>

bool StartUnixProgram(const std::string& commandLine, std::string* why) {
  std::string exe = UNIX_START_EXE;  // the build's Unix path
  if (!exe.empty() && exe[0] == '/') exe = "Z:" + exe;
  for (char& c : exe)
    if (c == '/') c = '\\';
  std::string command = "\"" + exe + "\" " + commandLine;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    if (why) *why = "the go-between did not start (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  DWORD code = 1;
  bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
  if (ended) GetExitCodeProcess(process.hProcess, &code);
  else TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (why && !ended) *why = "the go-between did not end within 60 s";
  if (why && ended && code != 0) *why = "the go-between ended with " + std::to_string(code);
  return ended && code == 0;
}
