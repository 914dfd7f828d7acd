// Small rules about Windows path texts, without touching any file.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace paths {

// "C:\..." or "\\server\share...": a path that does not depend on the
// working directory or the current drive.
bool IsAbsolute(std::string_view path);

// Joins a folder and a name with exactly one backslash between them.
std::string Join(std::string_view folder, std::string_view name);

// The folder holding the file `path` names, as a working directory takes
// it: "C:\a\mopwell.exe" gives "C:\a". At a root the root keeps its
// backslash: "C:\mopwell.exe" gives "C:\" (for "C:" alone means the current
// folder of drive C), "\\server\share\x.exe" gives "\\server\share\", and
// "\\?\C:\x.exe" gives "\\?\C:\". Runs of separators count as one. Empty
// for a name without any separator, which says nothing of a folder.
std::string FolderOf(std::string_view path);

// The parts of an absolute path after "." and ".." are resolved: the root
// first ("C:" or "\\server\share"), then one entry per folder or file.
// Both separators count; runs of them are one. Nothing when the path is
// not absolute, climbs above its root, has a ":" past the drive (a stream
// name or a second drive), holds a NUL byte, or has a part that Windows
// would not take as written: one ending in a dot or blank, or a device
// name (CON, NUL, COM1, LPT1.txt, ...).
std::optional<std::vector<std::string>> Components(std::string_view path);

// A name Windows takes as written for a file of a folder: not empty, no
// trailing dot or blank, no device name (CON, NUL, COM1, LPT1.txt, ...).
bool IsPlainName(std::string_view name);

// True when `path` lies below `folder` (not the folder itself), comparing
// whole parts without regard to letter case: "C:\news2\x" is not below
// "C:\news". Both must be absolute; anything else is never inside.
bool IsInside(std::string_view folder, std::string_view path);

}  // namespace paths
