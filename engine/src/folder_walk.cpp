#include "folder_walk.h"

#include <windows.h>

#include "places.h"
#include "text/paths.h"

namespace {

// Everything that is not a plain file the user left in the folder.
constexpr DWORD kNotListed = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN |
                             FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT |
                             FILE_ATTRIBUTE_DEVICE;

bool IsLink(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

std::optional<std::string> FileInsideFolder(const std::string& folder, const std::string& path) {
  if (folder.empty() || path.empty() || !paths::IsAbsolute(folder)) return std::nullopt;
  std::string named = paths::IsAbsolute(path) ? path : paths::Join(folder, path);
  std::string base = FullLongPath(folder);
  // A short name is a second name of an entry of the same folder, so a
  // path that lies inside the folder's long name by its text lies inside
  // the folder on the disk: only other paths need the long form of every
  // step (which looks through each folder on the way: slow in one that
  // holds thousands of files).
  std::string file = FullPath(named);
  if (!paths::IsInside(base, file)) file = FullLongPath(named);
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

