// Which Communicator profile was used last, and where its folder is, from
// the browser's profile registry file nsreg.dat in the Windows directory.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine.h"
#include "nsreg/nsreg.h"
#include "nsreg/nsreg_hooks.h"
#include "platform.h"
#include "text/bounded.h"

namespace {

bool g_readOnly = false;

// Refuses the library's open for writing, so it takes the file read-only:
// it neither sets a header right nor brings an older file up to date.
FILE* ReadOnlyOpen(const char* path, const char* mode) {
  if (std::strchr(mode, '+') || std::strchr(mode, 'w') || std::strchr(mode, 'a')) {
    errno = EACCES;
    return nullptr;
  }
  return std::fopen(path, mode);
}

// The file opened for the lookup, read-only while that is asked for.
REGERR OpenRegistryFile(const std::string& file, HREG* reg) {
  if (!g_readOnly) return NR_RegOpen(file.c_str(), reg);
  NR_FileOpener was = NR_SetFileOpener(&ReadOnlyOpen);
  REGERR err = NR_RegOpen(file.c_str(), reg);
  NR_SetFileOpener(was);
  return err;
}

constexpr uint32_t kValueBuffer = 256;  // longer values are not read

// Reads a string entry into `field` (a buffer of at least 256 bytes) the
// way the profile lookup relies on: a failed read leaves the field as it was.
void ReadEntry(HREG reg, RKEY key, const char* name, char* field, size_t fieldSize) {
  char value[kValueBuffer] = "";
  if (NR_RegGetEntryString(reg, key, name, value, sizeof value) == REGERR_OK)
    text::CopyCut(field, fieldSize, std::string(value, text::BoundedLen(value, sizeof value)));
}

// Opens the file; finds "Netscape/ProfileManager" below "Common" and reads
// its "LastNetscapeUser" into RegProfileDir, copying the name to CurrentUser.
bool OpenAndReadLastUser(const std::string& file, HREG* reg) {
  *reg = nullptr;
  if (OpenRegistryFile(file, reg) != REGERR_OK) {
    *reg = nullptr;
    return false;
  }
  RKEY manager = 0;
  if (NR_RegGetKey(*reg, ROOTKEY_COMMON, "Netscape/ProfileManager", &manager) == REGERR_OK)
    ReadEntry(*reg, manager, "LastNetscapeUser", RegProfileDir, sizeof RegProfileDir);
  text::CopyCut(CurrentUser, RegProfileDir);
  return true;
}

// Reads "ProfileLocation" of the profile key `name` below "Users".
void ReadLocation(HREG reg, const char* name) {
  RKEY user = 0;
  if (reg && NR_RegGetKey(reg, ROOTKEY_USERS, name, &user) == REGERR_OK)
    ReadEntry(reg, user, "ProfileLocation", RegProfileDir, sizeof RegProfileDir);
}

}  // namespace

bool LookUpReadOnly(bool readOnly) {
  bool was = g_readOnly;
  g_readOnly = readOnly;
  return was;
}

void CheckNSReg() {
  RegProfileDir[0] = '\0';
  std::string file = plat::InWindowsDirectory("nsreg.dat");

  HREG reg = nullptr;
  bool opened = OpenAndReadLastUser(file, &reg);
  if (!opened) CurrentUser[0] = '\0';
  std::string lastUser = RegProfileDir;
  ReadLocation(reg, lastUser.c_str());
  text::AppendCut(RegProfileDir, "\\");
  if (opened) NR_RegClose(reg);

  // The guest profile has a key of its own and no identity.
  if (std::strstr(RegProfileDir, "guest") == nullptr) return;
  opened = OpenAndReadLastUser(file, &reg);
  text::CopyCut(CurrentUser, "guest_us");
  ReadLocation(reg, "guest%20user");
  text::AppendCut(RegProfileDir, "\\");
  text::CopyCut(Udata4, "Guest user has no ID!");
  if (opened) NR_RegClose(reg);
}
