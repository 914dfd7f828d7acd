// Where the program stands: the Windows directory it watches, the folder it
// was started in, the configuration file it reads, and the main program's
// folder, which becomes the current directory so that "MOPWELL.EXE" is
// found there. The three trace keys record the last two for support.
#include <string>

#include "config/names.h"
#include "config/tray_rules.h"
#include "ini.h"
#include "platform.h"
#include "text/bounded.h"
#include "vesko.h"

namespace vesko {

namespace {

constexpr char kVersion[] = "4.50.001";
constexpr char kTraceVersion[] = "VESKO";
constexpr char kTraceMainFolder[] = "VESKOloc";
constexpr char kTraceStartFolder[] = "VESKOwas";
// The configuration file's name as the refreshes use it: 14 characters.
constexpr DWORD kShortIniNameSize = 15;
constexpr size_t kWhichLimit = 149;

}  // namespace

void TakePlaces() {
  // A folder that does not fit is not kept cut: a cut path names another place.
  text::CopyWhole(state.WatchDir, plat::Get().WindowsDirectory());
  char cwd[sizeof state.was_at];
  DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  text::CopyWhole(state.was_at, n > 0 && n < sizeof cwd ? std::string(cwd, n) : std::string());

  ini::GetString(szIniFile, kSecPrefs, kKeyIniFileName, szIniFile, state.szIniFile);

  // "which" holds at most 149 characters. A longer value is not taken cut:
  // without its end the folder left after dropping the file name would be
  // another one. It names no folder then.
  char which[1024];
  ini::GetString(state.szIniFile, kSecCopyMe, kKeyWhich, kNotSet, which);
  const std::string_view whole(which);
  text::CopyWhole(state.is_at, whole.size() <= kWhichLimit ? tray::MainProgramFolder(whole) : std::string());
  // No folder named: the program stays where it was started.
  if (state.is_at[0]) SetCurrentDirectoryA(state.is_at);
}

void ShortenIniFileName() {
  ini::GetString(szIniFile, kSecPrefs, kKeyIniFileName, szIniFile, state.szIniFile, kShortIniNameSize);
}

void WriteTraceKeys() {
  ini::Write(szIniFile, kSecDiagnostics, kTraceVersion, kVersion);
  ini::Write(szIniFile, kSecDiagnostics, kTraceMainFolder, state.is_at);
  ini::Write(szIniFile, kSecDiagnostics, kTraceStartFolder, state.was_at);
}

}  // namespace vesko
