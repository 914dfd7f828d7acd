// The seam between the programs and everything that stops or leaves the
// process: prompts to the user, starting other programs, waiting, the
// places the programs find outside themselves (Windows directory, program
// folder, registry roots), and the functions only later Windows has. The
// shipped programs use the real Windows calls; tests install their own
// Platform to answer prompts, record launches, skip waits, point the places
// at scratch folders and keys, and play an older Windows.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>

namespace plat {

class Platform {
 public:
  virtual ~Platform() = default;

  // Prompts. Same arguments and result as MessageBoxA.
  virtual int Prompt(HWND owner, const char* text, const char* title, UINT type);

  // Starting programs and documents. Same arguments and results as the
  // Windows functions of the same names.
  virtual UINT Exec(const char* cmdLine, UINT show);
  virtual HINSTANCE ShellOpen(HWND owner, const char* verb, const char* file,
                                 const char* params, const char* dir, INT show);
  virtual BOOL Help(HWND owner, const char* helpFile, UINT command, ULONG_PTR data);

  // The common file-open dialog: same argument and result as
  // GetOpenFileNameA. Only a program that hands over the dialog
  // (UseFileDialog) shows one; elsewhere nothing is chosen (FALSE, as for a
  // cancel), so that a program without windows does not bring in the
  // common dialogs at all.
  virtual BOOL ChooseFile(OPENFILENAMEA* request);

  // Waiting.
  virtual void Pause(DWORD ms);

  // Writing a file's bytes through to the disk: same arguments and results
  // as WriteFile and FlushFileBuffers. The secure wipe writes through here,
  // so that tests can count its writes and flushes and make them fail.
  virtual BOOL WriteBytes(HANDLE file, const void* data, DWORD size, DWORD* written);
  virtual BOOL Flush(HANDLE file);
  // Listing a folder the clean run empties: same arguments and results as
  // FindFirstFileW and FindNextFileW, so that tests can make a listing
  // fail or break off.
  virtual HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* found);
  virtual BOOL FindNext(HANDLE find, WIN32_FIND_DATAW* found);

  // Places. The Windows directory holds the shared configuration file; the
  // program directory holds the program's own files. ProgramPath is the
  // running program's file; the program directory is always the folder that
  // holds it (at a drive root "C:\", never "C:").
  virtual std::string WindowsDirectory();
  // The Windows system folder (where the system's own programs are).
  virtual std::string SystemDirectory();
  virtual std::string ProgramPath();
  std::string ProgramDirectory();
  virtual HKEY CurrentUser();
  virtual HKEY LocalMachine();

  // A function of later Windows, looked up in a system DLL the program
  // already has loaded (it is never loaded from here); null where this
  // Windows lacks it, and the caller takes its older way. Asked at every
  // use rather than kept, so that a test can take the older way too.
  virtual FARPROC Proc(const char* dll, const char* name);
};

// The platform in force. Install(nullptr) brings back the real one.
Platform& Get();
void Install(Platform* platform);

// The file-open dialog the real platform's ChooseFile shows: the program
// with the page that chooses files hands over GetOpenFileNameA at start.
using FileDialog = BOOL(WINAPI*)(OPENFILENAMEA*);
void UseFileDialog(FileDialog dialog);

// Once a program's main window is gone, no box is shown: code that ran
// inside a box's modal loop when the window closed goes on after the box
// returns, and a box shown then would end at once (the quit message is
// still on its way) yet keep the closing program alive while it comes and
// goes. Prompt answers IDCANCEL then. The main window switches prompts off
// when it is destroyed and on when it is made.
void AllowPrompts(bool allowed);
bool PromptsAllowed();

// Short forms used throughout the programs.
inline int Prompt(HWND owner, const char* text, const char* title, UINT type) {
  return PromptsAllowed() ? Get().Prompt(owner, text, title, type) : IDCANCEL;
}
inline void Wait(DWORD ms) { Get().Pause(ms); }
inline HKEY Hkcu() { return Get().CurrentUser(); }
inline HKEY Hklm() { return Get().LocalMachine(); }

// Windows directory + "\\" + name: how the programs address the INI files
// and other files that live in the Windows directory.
std::string InWindowsDirectory(const char* name);

}  // namespace plat
