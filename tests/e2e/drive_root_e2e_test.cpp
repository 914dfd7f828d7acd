// The real mopwell.exe placed at the root of a drive and started from
// another folder of that drive: its working files are the root's, and the
// close leaves the starting folder's files alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "e2e_support.h"
#include "window_probe.h"

namespace {

constexpr DWORD kPatience = 60000;

// Deletes a file or an empty folder this test made, pass or fail.
class Removed {
 public:
  explicit Removed(std::string path, bool folder = false) : path_(std::move(path)), folder_(folder) {}
  ~Removed() {
    SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (folder_)
      RemoveDirectoryA(path_.c_str());
    else
      DeleteFileA(path_.c_str());
  }
  Removed(const Removed&) = delete;
  Removed& operator=(const Removed&) = delete;

 private:
  std::string path_;
  bool folder_;
};

class Started {
 public:
  Started(const std::string& exe, const std::string& startIn) {
    std::string cmd = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    ok_ = CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, startIn.c_str(), &si,
                         &pi_) != 0;
    if (!ok_) error_ = GetLastError();
  }
  ~Started() {
    if (!ok_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
    WaitForSingleObject(pi_.hProcess, kPatience);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;
  bool ok() const { return ok_; }
  DWORD error() const { return error_; }
  HANDLE process() const { return pi_.hProcess; }

 private:
  PROCESS_INFORMATION pi_{};
  bool ok_ = false;
  DWORD error_ = 0;
};

}  // namespace

TEST(EndToEnd, AProgramAtADriveRootWipesItsDumpFilesAtTheRootNotInTheStartingFolder) {
  std::string ini = WindowsDir() + "\\MOPWELL.INI";
  Removed iniGone(ini);
  DeleteFileA(ini.c_str());
  WritePrivateProfileStringA("Options", "NT", "2", ini.c_str());

  char temp[MAX_PATH] = "";
  GetTempPathA(sizeof temp, temp);
  std::string start = std::string(temp) + "mopwell-root-start-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(start.c_str(), nullptr));
  Removed startGone(start, true);
  ASSERT_EQ(start[1], ':');
  const std::string root = start.substr(0, 3);  // the starting folder's drive

  const std::string exe = root + "mopwell-root-test.exe";
  Removed exeGone(exe);
  ASSERT_TRUE(CopyFileA(WindowsPath(MOPWELL_EXE).c_str(), exe.c_str(), TRUE)) << "a copy left at " << exe;

  // Dump-file names in the starting folder are somebody else's files.
  const char* names[] = {"History.Database", "Newsgroups"};
  Removed keep0(start + "\\" + names[0]), keep1(start + "\\" + names[1]);
  for (const char* name : names) ASSERT_TRUE(Write(start + "\\" + name, "the user's own"));
  // The program's own dump file, at the root.
  const std::string rootDump = root + "Cookies.Database";
  Removed rootDumpGone(rootDump);
  ASSERT_EQ(GetFileAttributesA(rootDump.c_str()), INVALID_FILE_ATTRIBUTES) << "left over: " << rootDump;
  ASSERT_TRUE(Write(rootDump, "a dump"));

  Started mopwell(exe, start);
  ASSERT_TRUE(mopwell.ok()) << "CreateProcessA failed with error " << mopwell.error() << " for " << exe;
  HWND main = probe::WaitForWindow("Mopwell", "Mopwell", kPatience);
  ASSERT_NE(main, nullptr) << "no main window";
  PostMessageA(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(probe::WaitForExit(mopwell.process(), kPatience), 0);

  for (const char* name : names) EXPECT_EQ(Read(start + "\\" + name), "the user's own") << name;
  EXPECT_EQ(Read(rootDump), "<missing>");
  char which[MAX_PATH] = "";
  GetPrivateProfileStringA("CopyMe", "which", "", which, sizeof which, ini.c_str());
  EXPECT_EQ(std::string(which), root + "MOPWELL.BKM");
}
