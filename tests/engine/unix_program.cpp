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

std::string UnixName(const std::string& path) {
  using ToUnix = char*(CDECL*)(LPCWSTR);
  auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!toUnix) return std::string();
  wchar_t wide[MAX_PATH] = L"";
  if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return std::string();
  char* unix = toUnix(wide);
  if (!unix) return std::string();
  std::string name = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return name;
}

std::string ShellQuoted(const std::string& unixName) {
  if (unixName.empty() || unixName[0] != '/' || unixName.find('\'') != std::string::npos) return std::string();
  return "'" + unixName + "'";
}

namespace {

bool ReadSmallFile(const std::string& path, std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buf[4096];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(h, buf, sizeof buf, &got, nullptr) != 0) && got > 0 && bytes.size() < (1u << 20))
    bytes.append(buf, got);
  CloseHandle(h);
  return ok;
}

}  // namespace

std::string RunUnixShell(const std::string& script) {
  char temp[MAX_PATH] = "";
  if (!GetTempPathA(MAX_PATH, temp)) return "no temporary folder";
  static int calls = 0;
  const std::string mark =
      std::string(temp) + "shell-done-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++calls);
  const std::string unixMark = UnixName(mark);
  if (unixMark.empty()) return "no Unix name for " + mark;
  DeleteFileA(mark.c_str());
  DeleteFileA((mark + ".err").c_str());
  std::string command = "Z:\\bin\\sh -c \"(" + script + ") 2> '" + unixMark + ".err'; echo $? > '" + unixMark +
                        ".part' && mv '" + unixMark + ".part' '" + unixMark + "'\"";
  std::string why;
  if (!StartUnixProgram(command, &why)) return why;
  const DWORD start = GetTickCount();
  while (GetFileAttributesA(mark.c_str()) == INVALID_FILE_ATTRIBUTES) {
    if (GetTickCount() - start > 30000) return "no finished mark after 30 s";
    Sleep(10);
  }
  std::string code, errors;
  const bool read = ReadSmallFile(mark, code);
  const DWORD readError = GetLastError();
  ReadSmallFile(mark + ".err", errors);
  DeleteFileA(mark.c_str());
  DeleteFileA((mark + ".err").c_str());
  if (!read) return "the finished mark could not be read (error " + std::to_string(readError) + ")";
  if (code.empty() || code[0] != '0') return "the script ended with " + code + errors;
  return std::string();
}
