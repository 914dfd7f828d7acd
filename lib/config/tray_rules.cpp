#include "config/tray_rules.h"

#include "text/paths.h"

namespace tray {

namespace {
constexpr std::size_t kTemplateNameLength = 12;  // "\MOPWELL.BKM"

constexpr char kIdFileTail[] = "\\MPW-ID.INI";

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// One folder name, as Windows would take it as written.
bool IsFolderName(std::string_view name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) < 32) return false;
    for (char bad : {'\\', '/', ':', '*', '?', '"', '<', '>', '|'})
      if (c == bad) return false;
  }
  return paths::IsPlainName(name);
}
}  // namespace

std::string MainProgramFolder(std::string_view which) {
  if (which.size() < kTemplateNameLength) return std::string();
  std::string folder(which.substr(0, which.size() - kTemplateNameLength));
  if (folder.size() == 2 && folder[1] == ':' && IsDriveLetter(folder[0])) folder += '\\';
  return folder;
}

std::string ProfileIdFile(std::string_view profroot, std::string_view profile, std::size_t limit) {
  if (!IsFolderName(profile)) return std::string();
  std::string file = std::string(profroot) + std::string(profile) + kIdFileTail;
  return file.size() <= limit ? file : std::string();
}

std::string IdentityTip(bool alias) { return alias ? "Using ALIAS!" : "Using REAL NAME!"; }

std::string ProfileTip(std::string_view profile, bool alias) {
  return std::string(profile) + (alias ? " is using ALIAS!" : " is using REAL NAME!");
}

}  // namespace tray
