// Small helpers shared by the end-to-end tests.
#pragma once
#include <windows.h>
#include <shlwapi.h>

#include <string>
#include <utility>

// A path of the build tree as the Windows programs see it ("Z:\...").
inline std::string WindowsPath(const char* unixPath) {
  std::string path = unixPath;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A file's bytes, or "<missing>". The read shares writing: a program that
// writes the file meanwhile must never find it locked by the test (the
// recording vesko host lost an icon line that way, and the test waited for
// it in vain).
inline std::string Read(const std::string& path) {
  std::string bytes;
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got) bytes.append(buf, got);
  CloseHandle(h);
  return bytes;
}

// Writes a file anew; true when every byte reached it.
inline bool Write(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &wrote, nullptr);
  CloseHandle(h);
  return ok && wrote == bytes.size();
}

// A scratch folder of the test's own, by name, in the temporary folder.
inline std::string ScratchFolder(const char* name) {
  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  return std::string(temp) + name;
}

// The folder the real mopwell.exe lies in (where it keeps its dump files).
inline std::string ProgramFolder() {
  std::string exe = WindowsPath(MOPWELL_EXE);
  return exe.substr(0, exe.find_last_of('\\'));
}

inline std::string WindowsDir() {
  char dir[MAX_PATH] = "";
  GetWindowsDirectoryA(dir, sizeof dir);
  return dir;
}

// Removes a file or a folder with all it holds. A folder link is removed
// as a link: what it leads to is never entered.
inline void RemoveTree(const std::string& path) {
  DWORD attr = GetFileAttributesA(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES) return;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!(attr & FILE_ATTRIBUTE_DIRECTORY)) {
    DeleteFileA(path.c_str());
    return;
  }
  if (!(attr & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::string name = fd.cFileName;
        if (name != "." && name != "..") RemoveTree(path + "\\" + name);
      } while (FindNextFileA(find, &fd));
      FindClose(find);
    }
  }
  RemoveDirectoryA(path.c_str());
}

// The real mopwell.exe in its own process. A program still running when
// the test ends (an assertion returned early) is stopped, so it neither
// holds the prefix's files nor meets the next test's program.
class Program {
 public:
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  bool Start() {
    std::string exe = WindowsPath(MOPWELL_EXE);
    return Launch(exe, "\"" + exe + "\"", nullptr, nullptr);
  }
  HANDLE process() const { return pi_.hProcess; }
  virtual ~Program() {
    if (pi_.hProcess) {
      if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(pi_.hProcess, 99);
        WaitForSingleObject(pi_.hProcess, 10000);
      }
      CloseHandle(pi_.hProcess);
      CloseHandle(pi_.hThread);
    }
  }

 protected:
  // Starts `exe` with the command line `cmd` in `folder` (null: this
  // program's), with the show state `show` asks for (null: the default).
  bool Launch(const std::string& exe, std::string cmd, const char* folder, const WORD* show) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (show) {
      si.dwFlags = STARTF_USESHOWWINDOW;
      si.wShowWindow = *show;
    }
    return CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &si, &pi_) != 0;
  }
  PROCESS_INFORMATION pi_{};
};

// What the programs leave in the shared prefix: MOPWELL.INI and the
// browser's profile registry in the Windows folder, the browser's registry
// keys, and a scratch folder of the test's own (when one is named). Removed
// when the guard is made, so no test runs on what another left, and again
// when it goes, however the test ended. Declare it before the Program, so
// the program has stopped by then.
class PrefixCleanup {
 public:
  explicit PrefixCleanup(std::string folder = std::string()) : folder_(std::move(folder)) { Clean(); }
  ~PrefixCleanup() { Clean(); }
  PrefixCleanup(const PrefixCleanup&) = delete;
  PrefixCleanup& operator=(const PrefixCleanup&) = delete;

 private:
  void Clean() const {
    DeleteFileA((WindowsDir() + "\\MOPWELL.INI").c_str());
    DeleteFileA((WindowsDir() + "\\nsreg.dat").c_str());
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Netscape");
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Netscape");
    if (!folder_.empty()) RemoveTree(folder_);
  }
  std::string folder_;
};
