#include "text/paths.h"

#include "text/bounded.h"

namespace paths {

static bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsAbsolute(std::string_view path) {
  if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && (path[2] == '\\' || path[2] == '/'))
    return true;
  // A network path needs a server name after the two backslashes, and a
  // separator of either kind is none.
  return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\' && path[2] != '/';
}

std::string Join(std::string_view folder, std::string_view name) {
  std::string out(folder);
  while (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.remove_prefix(1);
  if (!out.empty() && out.back() != '\\' && out.back() != '/') out += '\\';
  out += name;
  return out;
}

static bool IsSep(char c) { return c == '\\' || c == '/'; }

// The root of a network path whose server name starts at `at`: up to and
// including the separator after the share name (the whole text when the
// share name ends it). 0 when the server or the share name is missing.
static std::size_t ShareRootLength(std::string_view path, std::size_t at) {
  std::size_t server = at;
  while (server < path.size() && !IsSep(path[server])) ++server;
  if (server == at || server == path.size()) return 0;
  std::size_t end = server + 1;
  while (end < path.size() && !IsSep(path[end])) ++end;
  if (end == server + 1) return 0;
  return end < path.size() ? end + 1 : end;
}

// The length of the root a path starts with, its closing separator
// included: "C:\", "\\server\share\", "\\?\C:\", "\\?\UNC\server\share\",
// or "\" alone (the root of the current drive). 0 for a relative path.
static std::size_t RootLength(std::string_view path) {
  std::size_t start = 0;
  if (path.size() >= 4 && IsSep(path[0]) && IsSep(path[1]) && (path[2] == '?' || path[2] == '.') &&
      IsSep(path[3])) {
    start = 4;
    if (path.size() >= 8 && text::EqualsNoCase(path.substr(4, 3), "UNC") && IsSep(path[7]))
      return ShareRootLength(path, 8);
  }
  if (path.size() >= start + 3 && IsLetter(path[start]) && path[start + 1] == ':' && IsSep(path[start + 2]))
    return start + 3;
  if (start != 0) return 0;
  if (path.size() >= 2 && IsSep(path[0]) && IsSep(path[1])) return ShareRootLength(path, 2);
  return !path.empty() && IsSep(path[0]) ? 1 : 0;
}

std::string FolderOf(std::string_view path) {
  std::string_view::size_type cut = path.find_last_of("\\/");
  if (cut == std::string_view::npos) return std::string();
  std::size_t root = RootLength(path);
  while (cut > root && IsSep(path[cut - 1])) --cut;
  return std::string(path.substr(0, cut < root ? root : cut));
}

// Windows drops dots and blanks at the end of a name ("news." is "news",
// "... " may climb), and opens a device for a reserved name in any folder
// ("news\\CON", "LPT1.txt"): such names are not taken as files of a folder.
bool IsPlainName(std::string_view part) {
  if (part.empty()) return false;
  if (part.back() == '.' || part.back() == ' ') return false;
  std::string_view stem = part.substr(0, part.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
    if (text::EqualsNoCase(stem, device)) return false;
  if (stem.size() == 4 && (text::EqualsNoCase(stem.substr(0, 3), "COM") || text::EqualsNoCase(stem.substr(0, 3), "LPT")) &&
      stem[3] >= '0' && stem[3] <= '9')
    return false;
  return true;
}

std::optional<std::vector<std::string>> Components(std::string_view path) {
  // Whatever takes the path as a C string stops at a NUL byte and would
  // name another file than the parts below.
  if (!IsAbsolute(path) || path.find('\0') != std::string_view::npos) return std::nullopt;
  auto isSep = [](char c) { return c == '\\' || c == '/'; };
  std::vector<std::string> parts;
  std::string_view rest;
  if (path[1] == ':') {
    parts.emplace_back(path.substr(0, 2));
    rest = path.substr(2);
  } else {
    // "\\server\share": both names make up the root.
    std::string_view after = path.substr(2);
    std::string root = "\\\\";
    for (int name = 0; name < 2; ++name) {
      while (!after.empty() && isSep(after.front())) after.remove_prefix(1);
      std::string_view::size_type end = 0;
      while (end < after.size() && !isSep(after[end])) ++end;
      if (end == 0) return std::nullopt;
      if (name == 1) root += '\\';
      root += after.substr(0, end);
      after.remove_prefix(end);
    }
    parts.push_back(root);
    rest = after;
  }
  while (!rest.empty()) {
    while (!rest.empty() && isSep(rest.front())) rest.remove_prefix(1);
    std::string_view::size_type end = 0;
    while (end < rest.size() && !isSep(rest[end])) ++end;
    std::string_view part = rest.substr(0, end);
    rest.remove_prefix(end);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.size() == 1) return std::nullopt;
      parts.pop_back();
      continue;
    }
    if (part.find(':') != std::string_view::npos || !IsPlainName(part)) return std::nullopt;
    parts.emplace_back(part);
  }
  return parts;
}

bool IsInside(std::string_view folder, std::string_view path) {
  std::optional<std::vector<std::string>> outer = Components(folder);
  std::optional<std::vector<std::string>> inner = Components(path);
  if (!outer || !inner || inner->size() <= outer->size()) return false;
  for (std::size_t i = 0; i < outer->size(); ++i)
    if (!text::EqualsNoCase((*outer)[i], (*inner)[i])) return false;
  return true;
}

}  // namespace paths
