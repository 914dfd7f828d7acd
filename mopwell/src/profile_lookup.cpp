// Which Communicator profile was used last, and where its folder is, from
// the browser's profile registry file nsreg.dat in the Windows directory.
#include <cstring>
#include <string>

#include "mopwell.h"
#include "nsreg/nsreg.h"
#include "platform.h"
#include "text/bounded.h"

namespace {

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
  if (NR_RegOpen(file.c_str(), reg) != REGERR_OK) {
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
