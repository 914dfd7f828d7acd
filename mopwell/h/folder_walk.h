// Walking the folders the clean run empties. Only ordinary files are ever
// handed out: never a subfolder, a hidden or system file, or anything that
// Windows reports as a reparse point (symbolic link, junction), so a link
// planted in a folder can never lead the wipe outside it.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "wipe.h"

// Names (without folder) of the ordinary files directly inside `folder`, in
// the order the listing gives them, leaving out names Windows would not
// open as written (devices, trailing dots or blanks). An empty folder path
// lists nothing: it would otherwise mean the working directory.
std::vector<std::string> ListPlainFiles(const std::string& folder);

// Names of the entries of one listing of `folder` ("*.*", folders
// included) that `keep` accepts, in listing order. An empty folder path
// lists nothing.
std::vector<std::string> ListNames(const std::string& folder,
                                   const std::function<bool(const WIN32_FIND_DATAA&)>& keep);

// Called with the file's name before it is wiped.
using BeforeWipe = std::function<void(const std::string& name)>;
// What wipes a file (by full path); nukeIt when none is given. The clean
// run passes its own, which reports each file (and in a preview only
// looks).
using Wiper = std::function<WipeOutcome(const std::string& path)>;

// What a walk did: files handed to the wipe, and those of them it had to
// leave as they were (held open, read-only).
struct WipeTally {
  std::size_t taken = 0;
  std::size_t left = 0;
  bool refused = false;  // the folder could not be held: nothing was touched
  void Count(WipeOutcome outcome) {
    ++taken;
    if (outcome == WipeOutcome::Left) ++left;
  }
  WipeTally& operator+=(const WipeTally& other) {
    taken += other.taken;
    left += other.left;
    return *this;
  }
};

// The walks below hold `folder` (a resolved place) and every folder above
// it for as long as they run (PlacePin): a folder on the way that is a
// link, or cannot be held, is refused and nothing is touched; a folder that
// does not exist holds nothing.

// Wipes every file of one listing of `folder`.
WipeTally WipeListedFiles(const std::string& folder, const BeforeWipe& before, const Wiper& wipe = {});

// Wipes the files of `folder` until a fresh listing shows no file that has
// not been wiped already: files that appear while the walk runs are taken
// too, and a file that survives its wipe (read-only, held open) is never
// wiped a second time. Each listing costs one pass over the folder, so the
// walk stays linear in the number of files.
WipeTally WipeUntilEmpty(const std::string& folder, const BeforeWipe& before, const Wiper& wipe = {});

// Where a path that came from outside the program (a file the browser
// wrote) really leads, when that is inside `folder`: the full, long-form
// path of the file, or nothing. A relative path is taken as relative to
// `folder`; "." and ".." are resolved; short and long names compare alike,
// without regard to case, whole folder names only ("news2\x" is not inside
// "news"). A link (reparse point) on the way below `folder`, or as the file
// itself, leads elsewhere and is never inside.
std::optional<std::string> FileInsideFolder(const std::string& folder, const std::string& path);
