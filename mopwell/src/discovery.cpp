// Discovery of the browser's files and identity. Runs once while the main
// window is created, right after the profile registry lookup.
#include <string>

#include "config/names.h"
#include "ini.h"
#include "mopwell.h"
#include "platform.h"
#include "text/bounded.h"

namespace {

std::string WorkingDirectory() {
  char cwd[MAX_PATH + 1] = "";
  DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  return (n == 0 || n >= sizeof cwd) ? std::string() : std::string(cwd, n);
}

// Program files: the bookmark template and the help file beside the program.
void ProgramFiles() {
  std::string dir = WorkingDirectory();
  text::CopyWhole(TemplateFile, dir + "\\MOPWELL.BKM");
  text::CopyWhole(helpLoc, dir + "\\MOPWELL.HLP");
  ini::Write(szIniFile, kSecCopyMe, kKeyWhich, TemplateFile);
}

// Defaults: everything in the Windows directory until something better is found.
void Defaults() {
  std::string windows = plat::Get().WindowsDirectory();
  if (windows.size() > 160) windows.clear();
  text::CopyWhole(MainDir, windows);
  text::CopyWhole(szDocDir, windows + "\\RECENT");
  OSV = ini::GetInt(szIniFile, kSecOptions, kKeyNT, 1);
}

}  // namespace

void getIt() {
  ProgramFiles();
  Defaults();
  ReadDiagnosticsSwitch();
}
