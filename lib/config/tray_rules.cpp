#include "config/tray_rules.h"

namespace tray {

namespace {
constexpr std::size_t kTemplateNameLength = 12;  // "\MOPWELL.BKM"

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
}  // namespace

std::string MainProgramFolder(std::string_view which) {
  if (which.size() < kTemplateNameLength) return std::string();
  std::string folder(which.substr(0, which.size() - kTemplateNameLength));
  if (folder.size() == 2 && folder[1] == ':' && IsDriveLetter(folder[0])) folder += '\\';
  return folder;
}

std::string IdentityTip(bool alias) { return alias ? "Using ALIAS!" : "Using REAL NAME!"; }

std::string ProfileTip(std::string_view profile, bool alias) {
  return std::string(profile) + (alias ? " is using ALIAS!" : " is using REAL NAME!");
}

}  // namespace tray
