#include "folder_walk.h"

#include <windows.h>

#include <unordered_set>

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

}  // namespace

std::vector<std::string> ListPlainFiles(const std::string& folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(paths::Join(folder, "*.*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & kNotListed) continue;  // also "." and ".."
    names.emplace_back(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

std::size_t WipeListedFiles(const std::string& folder, const BeforeWipe& before) {
  // The whole listing is taken before the first wipe: a wipe renames the
  // entry it destroys, which must not show up again in an open listing.
  std::vector<std::string> names = ListPlainFiles(folder);
  for (const std::string& name : names) {
    if (before) before(name);
    nukeIt(paths::Join(folder, name).c_str());
  }
  return names.size();
}

std::size_t WipeUntilEmpty(const std::string& folder, const BeforeWipe& before) {
  std::unordered_set<std::string> wiped;
  for (int listing = 0; listing < kMaxListings; ++listing) {
    bool fresh = false;
    for (const std::string& name : ListPlainFiles(folder)) {
      if (!wiped.insert(NameKey(name)).second) continue;  // survived its wipe
      fresh = true;
      if (before) before(name);
      nukeIt(paths::Join(folder, name).c_str());
    }
    if (!fresh) break;
  }
  return wiped.size();
}
