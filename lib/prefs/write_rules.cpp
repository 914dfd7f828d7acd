#include "prefs/write_rules.h"

namespace prefs {

WriteAction PlanWrite(std::size_t profileDirLen, const WriteTarget& target, bool ownsTarget) {
  if (profileDirLen < kMinProfileDirLen) return WriteAction::Refuse;
  if (target.unknown) return WriteAction::Refuse;
  if (!target.exists) return WriteAction::Create;
  if (target.folder || target.readOnly) return WriteAction::Refuse;
  // An existing file the table was not loaded from (it could not be read,
  // say) would be replaced by whatever the table holds: never.
  if (!ownsTarget) return WriteAction::Refuse;
  return target.link ? WriteAction::WriteThrough : WriteAction::Replace;
}

std::string PrefsPathIn(std::string_view profileDir) {
  std::string path(profileDir);
  if (path.empty() || (path.back() != '\\' && path.back() != '/')) path += '\\';
  return path + "prefs.js";
}

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
char Fold(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

}  // namespace

bool SamePath(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsSeparator(a[i]) && IsSeparator(b[j])) {
      while (i < a.size() && IsSeparator(a[i])) ++i;
      while (j < b.size() && IsSeparator(b[j])) ++j;
      continue;
    }
    if (Fold(a[i]) != Fold(b[j])) return false;
    ++i;
    ++j;
  }
  return i == a.size() && j == b.size();
}

}  // namespace prefs
