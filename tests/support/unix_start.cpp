// unix_start: starts the Unix program named by the rest of its command line
// (for example  unix_start Z:\bin\ln -s "/a" "/b") and ends; exit code 0
// when Wine took the program, 2 without a command, and when Wine refused
// it 0x10000 plus the error it gave (1 if none).
//
// The tests start Unix programs through this go-between, never themselves.
// Wine 8 reports a Unix program started with CreateProcess as a success
// with no process handle and a thread handle that is whatever its own
// stack held (often the value of a handle closed a moment before), and it
// keeps a handle to the program's file open in the starting process. A
// test that closed that "thread handle" closed one of its own handles
// instead: in a long run of many tests it was the handle Wine keeps to the
// folder of named objects, and from then on every named event and mutex
// failed with ERROR_INVALID_HANDLE. Here those handles are never used, and
// whatever Wine leaves behind ends with this process.
#include <windows.h>

int main() {
  // The command line after this program's own name.
  const char* rest = GetCommandLineA();
  if (*rest == '"') {
    ++rest;
    while (*rest && *rest != '"') ++rest;
    if (*rest) ++rest;
  } else {
    while (*rest && *rest != ' ' && *rest != '\t') ++rest;
  }
  while (*rest == ' ' || *rest == '\t') ++rest;
  if (!*rest) return 2;
  char command[32768];
  lstrcpynA(command, rest, sizeof command);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return 0;
  const DWORD error = GetLastError();
  return error ? static_cast<int>(0x10000 + error) : 1;
}
