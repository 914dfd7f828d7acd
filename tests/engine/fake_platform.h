// A platform for tests: prompts are answered from a script and recorded,
// launches are recorded instead of made, waits are skipped, and the Windows
// directory, program directory and registry roots are scratch places of
// this test alone, removed again when it ends.
#pragma once
#include <windows.h>

#include <deque>
#include <map>
#include <set>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform.h"

struct ShownBox {
  HWND owner;
  std::string text;
  std::string title;
  UINT type;
};

// A file-open dialog as the program asked for it.
struct ShownChooser {
  HWND owner;
  std::string filter;  // the pairs with their NULs, up to the closing pair of NULs
  std::string title;
  std::string initialDir;
  DWORD flags;
  DWORD filterIndex;
  DWORD fileSize, titleSize;  // the buffers' sizes
  bool fileEmptied, titleEmptied;
  bool defaultExtension;
};

struct Launch {
  std::string how;  // "WinExec", "ShellExecute", "WinHelp"
  std::string what;
  std::string params;
  int show;
};

class FakePlatform : public plat::Platform {
 public:
  FakePlatform();
  ~FakePlatform() override;
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  int Prompt(HWND owner, const char* text, const char* title, UINT type) override;
  UINT Exec(const char* cmdLine, UINT show) override;
  HINSTANCE ShellOpen(HWND owner, const char* verb, const char* file, const char* params,
                         const char* dir, INT show) override;
  BOOL Help(HWND owner, const char* helpFile, UINT command, ULONG_PTR data) override;
  BOOL ChooseFile(OPENFILENAMEA* request) override;
  void Pause(DWORD ms) override;
  std::string WindowsDirectory() override { return windowsDir; }
  std::string SystemDirectory() override { return windowsDir + "\\system32"; }
  // The wipe's writes and flushes: counted, and failed while the test says.
  BOOL WriteBytes(HANDLE file, const void* data, DWORD size, DWORD* written) override;
  BOOL Flush(HANDLE file) override;
  HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* found) override;
  BOOL FindNext(HANDLE find, WIN32_FIND_DATAW* found) override;
  // The program file "mopwell.exe" in programDir.
  std::string ProgramPath() override;
  HKEY CurrentUser() override { return hkcu; }
  HKEY LocalMachine() override { return hklm; }
  // Null for a name in `missingProcs`, as on a Windows without it; the
  // stand-in of `procs` for a name there; the real lookup otherwise.
  // `onProc` is told every name asked.
  FARPROC Proc(const char* dll, const char* name) override;

  // Scripted answers, taken in order; when none is left the box is answered
  // with its first button (IDOK, or IDYES for a yes/no box).
  std::deque<int> answers;
  // Called while a box is "on the screen", before it is answered.
  std::function<void(const ShownBox&)> onBox;
  std::vector<ShownBox> boxes;
  // Files the user picks in file-open dialogs, taken in order: a full path,
  // or an empty text for Cancel (also when none is left).
  std::deque<std::string> picks;
  std::vector<ShownChooser> choosers;
  // Where a file-open dialog leaves the working directory, as the real one
  // may; empty: where it was.
  std::string chooserMovesTo;
  std::vector<Launch> launches;
  std::vector<HWND> helpOwners;  // the owner of each help call, in order
  std::vector<DWORD> sleeps;
  std::set<std::string> missingProcs;
  std::map<std::string, FARPROC> procs;
  std::function<void(const std::string&)> onProc;

  int writes = 0, flushes = 0;
  bool failWrites = false;  // every write fails before a byte is written
  bool failFlushes = false;
  // Writes that succeed before the next ones fail (the disk fills up):
  // -1 for no limit.
  int writesLeft = -1;
  // Entries a listing gives before it fails with ERROR_ACCESS_DENIED (0:
  // the listing is refused at once); -1 for listings that work.
  int listingFailsAfter = -1;

  UINT winExecResult = 33;
  INT_PTR shellExecuteResult = 42;
  BOOL winHelpResult = TRUE;

  std::string root;        // scratch folder of this test
  std::string windowsDir;  // root\windows
  std::string programDir;  // root\program (a test may point it at a drive root)
  HKEY hkcu = nullptr;
  HKEY hklm = nullptr;

  // Helpers for tests.
  std::string IniPath() const { return windowsDir + "\\MOPWELL.INI"; }
  std::string InProgram(const std::string& name) const;
  // A folder (with its parents) below the scratch root; returns its path.
  std::string Folder(const std::string& relative) const;
  // The key below HKEY_CURRENT_USER that holds both registry roots.
  const std::string& KeyPath() const { return keyPath_; }

 private:
  std::string keyPath_;
  std::string savedCwd_;
  int listed_ = 0;
};

// Small file helpers for tests.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool ReadFileBytes(const std::string& path, std::string& bytes);
bool FileExists(const std::string& path);
// The names in a folder, without "." and "..".
std::set<std::string> NamesIn(const std::string& dir);
void RemoveTree(const std::string& path);
void SetRegText(HKEY root, const char* keyPath, const char* value, const std::string& data);
bool GetRegText(HKEY root, const char* keyPath, const char* value, std::string& data);
std::string ReadIni(const std::string& file, const char* section, const char* key,
                    const char* def = "<absent>");

// Progress a walk shows while it wipes files one after another: the caption
// seen at each wipe is that file's own (`shown[i]`) or the one of a file
// wiped before it, since captions change at most every few tens of
// milliseconds; the first wipe always shows its own.
::testing::AssertionResult ShowsProgress(const std::vector<std::string>& captions,
                                         const std::vector<std::string>& shown);
