#include "folder_walk.h"

#include <windows.h>

#include <unordered_set>

#include "places.h"
#include "text/paths.h"
#include "wipe.h"

namespace {

// Everything that is not a plain file the user left in the folder.
constexpr DWORD kNotListed = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT |
                             FILE_ATTRIBUTE_DEVICE;

// A folder that keeps receiving new files must not hold the run forever.
constexpr int kMaxListings = 8;

// File names compare without regard to case.
std::string NameKey(const std::string& name) {
  std::string key = name;
  if (!key.empty()) CharUpperBuffA(&key[0], static_cast<DWORD>(key.size()));
  return key;
}

bool IsLink(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::optional<std::string> FileInsideFolder(const std::string& folder, const std::string& path) {
  if (folder.empty() || path.empty() || !paths::IsAbsolute(folder)) return std::nullopt;
  std::string named = paths::IsAbsolute(path) ? path : paths::Join(folder, path);
  std::string base = FullLongPath(folder);
  std::string file = FullLongPath(named);
  if (base.empty() || file.empty() || !paths::IsInside(base, file)) return std::nullopt;
  // Every step below the folder, the file included, must be no link.
  std::optional<std::vector<std::string>> outer = paths::Components(base);
  std::optional<std::vector<std::string>> inner = paths::Components(file);
  if (!outer || !inner) return std::nullopt;
  std::string step = base;
  for (std::size_t i = outer->size(); i < inner->size(); ++i) {
    step = paths::Join(step, (*inner)[i]);
    if (IsLink(step)) return std::nullopt;
  }
  return file;
}

std::vector<std::string> ListNames(const std::string& folder,
                                   const std::function<bool(const WIN32_FIND_DATAA&)>& keep) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(paths::Join(folder, "*.*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (keep(found)) names.emplace_back(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

std::vector<std::string> ListPlainFiles(const std::string& folder) {
  // The attribute test also leaves out "." and "..". A name Windows would
  // not open as written (a device such as NUL or LPT1, a trailing dot) is
  // no file of the folder: opened by that name it would be something else.
  return ListNames(folder, [](const WIN32_FIND_DATAA& f) {
    return !(f.dwFileAttributes & kNotListed) && paths::IsPlainName(f.cFileName);
  });
}

WipeTally WipeListedFiles(const std::string& folder, const BeforeWipe& before, const Wiper& wipe) {
  // The whole listing is taken before the first wipe: a wipe renames the
  // entry it destroys, which must not show up again in an open listing.
  WipeTally tally;
  PlacePin pin(folder);
  tally.refused = pin.state() == PlacePin::State::Refused;
  if (pin.state() != PlacePin::State::Held) return tally;
  for (const std::string& name : ListPlainFiles(folder)) {
    if (before) before(name);
    std::string path = paths::Join(folder, name);
    tally.Count(wipe ? wipe(path) : nukeIt(path.c_str()));
  }
  return tally;
}

WipeTally WipeUntilEmpty(const std::string& folder, const BeforeWipe& before, const Wiper& wipe) {
  WipeTally tally;
  PlacePin pin(folder);
  tally.refused = pin.state() == PlacePin::State::Refused;
  if (pin.state() != PlacePin::State::Held) return tally;
  std::unordered_set<std::string> wiped;
  for (int listing = 0; listing < kMaxListings; ++listing) {
    bool fresh = false;
    for (const std::string& name : ListPlainFiles(folder)) {
      if (!wiped.insert(NameKey(name)).second) continue;  // survived its wipe
      fresh = true;
      if (before) before(name);
      std::string path = paths::Join(folder, name);
    tally.Count(wipe ? wipe(path) : nukeIt(path.c_str()));
    }
    if (!fresh) break;
  }
  return tally;
}
