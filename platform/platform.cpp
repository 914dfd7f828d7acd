#include "platform.h"

#include <shellapi.h>

#include "text/paths.h"

namespace plat {

namespace {
bool g_promptsAllowed = true;
FileDialog g_fileDialog = nullptr;
}  // namespace

void UseFileDialog(FileDialog dialog) { g_fileDialog = dialog; }

void AllowPrompts(bool allowed) { g_promptsAllowed = allowed; }
bool PromptsAllowed() { return g_promptsAllowed; }

int Platform::Prompt(HWND owner, const char* text, const char* title, UINT type) {
  return ::MessageBoxA(owner, text, title, type);
}

UINT Platform::Exec(const char* cmdLine, UINT show) { return ::WinExec(cmdLine, show); }

HINSTANCE Platform::ShellOpen(HWND owner, const char* verb, const char* file,
                                 const char* params, const char* dir, INT show) {
  return ::ShellExecuteA(owner, verb, file, params, dir, show);
}

BOOL Platform::Help(HWND owner, const char* helpFile, UINT command, ULONG_PTR data) {
  return ::WinHelpA(owner, helpFile, command, data);
}

BOOL Platform::ChooseFile(OPENFILENAMEA* request) { return g_fileDialog ? g_fileDialog(request) : FALSE; }

void Platform::Pause(DWORD ms) { ::Sleep(ms); }

BOOL Platform::WriteBytes(HANDLE file, const void* data, DWORD size, DWORD* written) {
  return ::WriteFile(file, data, size, written, nullptr);
}

BOOL Platform::Flush(HANDLE file) { return ::FlushFileBuffers(file); }

HANDLE Platform::FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* found) {
  return ::FindFirstFileW(pattern, found);
}

BOOL Platform::FindNext(HANDLE find, WIN32_FIND_DATAW* found) { return ::FindNextFileW(find, found); }

std::string Platform::WindowsDirectory() {
  char buf[MAX_PATH + 1];
  UINT n = ::GetWindowsDirectoryA(buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
}

std::string Platform::SystemDirectory() {
  char buf[MAX_PATH + 1];
  UINT n = ::GetSystemDirectoryA(buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
}

std::string Platform::ProgramPath() {
  char buf[MAX_PATH + 1];
  DWORD n = ::GetModuleFileNameA(nullptr, buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return std::string();
  return std::string(buf, n);
}

std::string Platform::ProgramDirectory() { return paths::FolderOf(ProgramPath()); }

HKEY Platform::CurrentUser() { return HKEY_CURRENT_USER; }
HKEY Platform::LocalMachine() { return HKEY_LOCAL_MACHINE; }

FARPROC Platform::Proc(const char* dll, const char* name) {
  HMODULE module = ::GetModuleHandleA(dll);
  return module ? ::GetProcAddress(module, name) : nullptr;
}

namespace {
Platform g_real;
Platform* g_current = &g_real;
}  // namespace

Platform& Get() { return *g_current; }
void Install(Platform* platform) {
  g_current = platform ? platform : &g_real;
  g_promptsAllowed = true;  // a platform put in place starts with a program that runs
}

std::string InWindowsDirectory(const char* name) {
  std::string dir = Get().WindowsDirectory();
  if (!dir.empty() && dir.back() != '\\') dir += '\\';
  return dir + name;
}

}  // namespace plat
