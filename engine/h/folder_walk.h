// Listing folders by their ANSI names, and telling whether a path another
// file names leads inside a folder. The clean run's own walks are the
// engine's (CleanRun::Empty), which reach every name of a folder.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

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

// Where a path that came from outside the program (a file the browser
// wrote) really leads, when that is inside `folder`: the full, long-form
// path of the file, or nothing. A relative path is taken as relative to
// `folder`; "." and ".." are resolved; short and long names compare alike,
// without regard to case, whole folder names only ("news2\x" is not inside
// "news"). A link (reparse point) on the way below `folder`, or as the file
// itself, leads elsewhere and is never inside.
std::optional<std::string> FileInsideFolder(const std::string& folder, const std::string& path);
