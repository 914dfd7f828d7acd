// vesko's own code in a process of its own, with a shell that tells: every
// icon call and program start is written as one line to the file named on
// the command line, then made for real (see CMakeLists.txt for why).
//   vesko_host.exe RECORD-FILE
// Lines: "ADD 199 RED 301 Using REAL NAME! -> 1", "DEL 199 -> 1",
// "EXEC MOPWELL.EXE 1 C:\folder -> 33".
#include <windows.h>

#include <cstdlib>
#include <string>

#include "tray_recorder.h"

namespace {

class FileShell : public vesko::Shell {
 public:
  explicit FileShell(std::string file) : file_(std::move(file)) {}

  BOOL NotifyIcon(DWORD message, NOTIFYICONDATAA* data) override {
    TrayCall call{message, data->hWnd, data->uID, data->uFlags, data->uCallbackMessage,
                  message == NIM_DELETE ? std::string() : IconName(data->hIcon),
                  message == NIM_DELETE ? std::string() : std::string(data->szTip)};
    BOOL result = vesko::Shell::NotifyIcon(message, data);
    Append(Describe(call) + " -> " + std::to_string(result));
    return result;
  }

  UINT Exec(const char* cmdLine, UINT show) override {
    char cwd[MAX_PATH + 1] = "";
    GetCurrentDirectoryA(sizeof cwd, cwd);
    UINT result = vesko::Shell::Exec(cmdLine, show);
    Append(std::string("EXEC ") + cmdLine + " " + std::to_string(show) + " " + cwd + " -> " +
           std::to_string(result));
    return result;
  }

 private:
  void Append(const std::string& line) {
    HANDLE h = CreateFileA(file_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    std::string bytes = line + "\r\n";
    DWORD wrote = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
    CloseHandle(h);
  }
  std::string file_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int) {
  if (__argc < 2) return 2;
  FileShell shell(__argv[1]);
  vesko::InstallShell(&shell);
  int code = vesko::ProgramMain(instance, previous);
  vesko::InstallShell(nullptr);
  return code;
}
